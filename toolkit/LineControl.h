#pragma once

#include <QColor>
#include <QWidget>

// A straight horizontal or vertical line drawn on its parent, given by its two end points in the
// parent's twips. The line is lineWidth() pixels thick, growing right of a vertical line and below
// a horizontal one, and covers both end points. It takes no input and no focus.
class LineControl : public QWidget {
    Q_OBJECT

public:
    explicit LineControl(QWidget* parent = nullptr);

    void setEndsTwips(double x1, double y1, double x2, double y2);
    void setColor(const QColor& color);
    QColor color() const { return m_color; }
    void setLineWidth(int pixels);
    int lineWidth() const { return m_width; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void place();

    QPoint m_from;
    QPoint m_to;
    QColor m_color = Qt::black;
    int m_width = 1;
};
