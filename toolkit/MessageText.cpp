#include "MessageText.h"

#include <QFontMetrics>
#include <QStringList>
#include <algorithm>

namespace {

QString clipped(const QString& line, int maxLength) {
    if (line.size() <= maxLength || maxLength < 5)
        return line;
    const int kept = maxLength - 3;
    const int head = (kept + 1) / 2;
    return line.left(head) + QStringLiteral("...") + line.right(kept - head);
}

// Pixels a line takes once wrapped at `width`; generous, so that the box never ends up taller.
int wrappedHeight(const QString& line, const QFontMetrics& metrics, int width) {
    const int advance = metrics.horizontalAdvance(line);
    const int rows = std::max(1, (advance + width - 1) / std::max(width, 1) + (advance > width));
    return rows * metrics.lineSpacing();
}

} // namespace

QString fittedMessage(const QString& text, const QFontMetrics& metrics, int lineWidth,
                      int maxHeight, int maxLineLength) {
    QStringList lines = text.split(QLatin1Char('\n'));
    QList<int> heights;
    int total = 0;
    for (QString& line : lines) {
        line = clipped(line, maxLineLength);
        heights.append(wrappedHeight(line, metrics, lineWidth));
        total += heights.last();
    }
    if (total <= maxHeight)
        return lines.join(QLatin1Char('\n'));

    // Drop lines just before the last two until the rest and the note fit.
    const int note = metrics.lineSpacing();
    const int keepAtEnd = std::min<int>(2, int(lines.size()) - 1);
    int dropFrom = int(lines.size()) - keepAtEnd;
    int dropped = 0;
    while (dropFrom > 1 && total + note > maxHeight) {
        --dropFrom;
        total -= heights[dropFrom];
        ++dropped;
    }
    QStringList kept = lines.mid(0, dropFrom);
    kept.append(QStringLiteral("... (%1 more lines left out)").arg(dropped));
    kept.append(lines.mid(dropFrom + dropped));
    return kept.join(QLatin1Char('\n'));
}
