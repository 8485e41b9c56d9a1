#include "ScrollBar.h"

#include <QKeyEvent>
#include <QScrollBar>
#include <QSignalBlocker>
#include <algorithm>

ScrollBar::ScrollBar(Qt::Orientation orientation, QWidget* parent)
    : QWidget(parent), m_bar(new QScrollBar(orientation, this)) {
    m_bar->setTracking(false);
    m_bar->setFocusPolicy(Qt::StrongFocus);
    m_bar->setSingleStep(1);
    m_bar->setPageStep(1);
    setFocusProxy(m_bar);
    setFocusPolicy(Qt::StrongFocus);
    m_bar->installEventFilter(this);
    applyRange();
    connect(m_bar, &QScrollBar::valueChanged, this, &ScrollBar::changed);
    connect(m_bar, &QScrollBar::sliderMoved, this, &ScrollBar::scrolled);
}

void ScrollBar::setMin(int min) {
    m_min = min;
    applyRange();
}

void ScrollBar::setMax(int max) {
    m_max = max;
    applyRange();
}

int ScrollBar::value() const {
    // The slider position follows the thumb during a drag and equals the value otherwise.
    return fromBar(m_bar->sliderPosition());
}

void ScrollBar::setValue(int value) {
    m_bar->setValue(toBar(std::clamp(value, std::min(m_min, m_max), std::max(m_min, m_max))));
}

int ScrollBar::smallChange() const {
    return m_bar->singleStep();
}

void ScrollBar::setSmallChange(int step) {
    m_bar->setSingleStep(step);
}

int ScrollBar::largeChange() const {
    return m_bar->pageStep();
}

void ScrollBar::setLargeChange(int step) {
    m_bar->setPageStep(step);
}

void ScrollBar::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    m_bar->setGeometry(rect());
}

bool ScrollBar::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_bar && event->type() == QEvent::KeyPress) {
        // Up and Left are "line up" on either bar, Down and Right "line down": towards the top or
        // left end, which is the inner bar's minimum (Qt's own bar turns Left and Right round on
        // a vertical bar, and on a horizontal one unless right to left). Left and Right follow the
        // mirroring of a horizontal bar laid out right to left.
        const int key = static_cast<QKeyEvent*>(event)->key();
        bool towardsMinimum = false;
        switch (key) {
        case Qt::Key_Up:
            towardsMinimum = true;
            break;
        case Qt::Key_Down:
            towardsMinimum = false;
            break;
        case Qt::Key_Left:
        case Qt::Key_Right: {
            const bool mirrored = m_bar->orientation() == Qt::Horizontal && m_bar->isRightToLeft();
            towardsMinimum = (key == Qt::Key_Left) != mirrored;
            break;
        }
        default:
            return QWidget::eventFilter(watched, event);
        }
        m_bar->triggerAction(towardsMinimum ? QAbstractSlider::SliderSingleStepSub
                                            : QAbstractSlider::SliderSingleStepAdd);
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void ScrollBar::applyRange() {
    const int before = value();
    const int kept = std::clamp(before, std::min(m_min, m_max), std::max(m_min, m_max));
    {
        // Switching between plain and negated ranges moves the inner value without a change
        // that the owner could see; only a clamp is reported, below.
        const QSignalBlocker blocker(m_bar);
        m_negated = m_min > m_max;
        m_bar->setRange(toBar(m_min), toBar(m_max));
        m_bar->setValue(toBar(kept));
    }
    m_bar->update();
    if (kept != before)
        Q_EMIT changed();
}
