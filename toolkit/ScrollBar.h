#pragma once

#include <QWidget>

class QScrollBar;

// A scroll bar with the classic contract the windows are written against.
//
// - min() may be greater than max(): the top (or left) end then holds the larger value. Qt cannot
//   hold such a range, so the bar inside runs over the negated range and holds the negated value;
//   arrow and page clicks, keys, the wheel and dragging then all move the right way (the up arrow
//   of a bar from 10 at the top to -8 at the bottom raises the value).
// - setValue() clamps to the range. Setting a different value raises changed() before setValue()
//   returns; setting the same value raises nothing.
// - changed() is also raised once after an arrow or page click, a key, the wheel, and when the
//   thumb is released after a drag (never during the drag).
// - scrolled() is raised for every thumb movement while the user drags it; during the drag
//   value() reads the thumb's current position.
// - Up and Left are "line up" on both orientations (towards the top or left end, min()), Down and
//   Right "line down" (towards max()); on a vertical bar from 10 down to -8 Left raises the value
//   as Up does. Qt's own bar turns Left and Right round.
// - Changing min() or max() keeps the value where it is when it stays in the new range, and clamps
//   it (raising changed()) otherwise.
// Enabled and visible are the widget's own. The widget forwards focus to the bar inside.
class ScrollBar : public QWidget {
    Q_OBJECT

public:
    explicit ScrollBar(Qt::Orientation orientation, QWidget* parent = nullptr);

    int min() const { return m_min; }
    void setMin(int min);
    int max() const { return m_max; }
    void setMax(int max);

    int value() const;
    void setValue(int value);

    int smallChange() const;
    void setSmallChange(int step);
    int largeChange() const;
    void setLargeChange(int step);

    // The Qt scroll bar inside (runs over the negated range when min() > max()). For input
    // simulation and styling only; read and set values through this class.
    QScrollBar* bar() const { return m_bar; }

Q_SIGNALS:
    void changed();
    void scrolled();

protected:
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    int toBar(int value) const { return m_negated ? -value : value; }
    int fromBar(int value) const { return m_negated ? -value : value; }
    void applyRange();

    QScrollBar* m_bar;
    int m_min = 0;
    int m_max = 32767;
    bool m_negated = false;
};
