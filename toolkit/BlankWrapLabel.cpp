#include "BlankWrapLabel.h"

#include <QFontMetrics>
#include <QPainter>
#include <QStyle>

BlankWrapLabel::BlankWrapLabel(const QString& text, QWidget* parent) : QLabel(text, parent) {
    setTextFormat(Qt::PlainText);
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
}

QStringList BlankWrapLabel::wrapAtBlanks(const QString& text, const QFontMetrics& metrics,
                                         int width) {
    QStringList lines;
    QString line;
    for (const QString& word : text.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        const QString longer = line.isEmpty() ? word : line + QLatin1Char(' ') + word;
        if (line.isEmpty() || metrics.horizontalAdvance(longer) <= width) {
            line = longer;
        } else {
            lines.append(line);
            line = word;
        }
    }
    if (!line.isEmpty())
        lines.append(line);
    return lines;
}

void BlankWrapLabel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QRect area = contentsRect();
    const QFontMetrics metrics = fontMetrics();
    const int horizontal = int(alignment() & Qt::AlignHorizontal_Mask);
    int top = area.top();
    for (const QString& line : wrapAtBlanks(text(), metrics, area.width())) {
        const QRect lineArea(area.left(), top, area.width(), metrics.height());
        style()->drawItemText(&painter, lineArea, horizontal | Qt::AlignTop, palette(), isEnabled(),
                              line, foregroundRole());
        top += metrics.lineSpacing();
    }
}
