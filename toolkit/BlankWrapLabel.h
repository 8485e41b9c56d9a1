#pragma once

#include <QLabel>
#include <QStringList>

class QFontMetrics;

// A label whose text wraps onto further lines only at blanks, so that a word with punctuation
// inside it (such as ".360" in quotes) is never split. text() returns the text as given. Lines
// are drawn from the top with the label's horizontal alignment; a word wider than the label
// stands alone on its line and is cut at the right edge.
class BlankWrapLabel : public QLabel {
    Q_OBJECT

public:
    explicit BlankWrapLabel(const QString& text, QWidget* parent = nullptr);

    // The lines the text is drawn in at this width.
    static QStringList wrapAtBlanks(const QString& text, const QFontMetrics& metrics, int width);

protected:
    void paintEvent(QPaintEvent* event) override;
};
