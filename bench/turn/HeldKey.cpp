// A held arrow key, as the system repeats it.
#include "turn/HeldKey.h"

#include "toolkit/ImageControl.h"
#include "toolkit/ScrollBar.h"
#include "view/frmMain.h"

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QKeyEvent>
#include <QScrollBar>
#include <QTimer>
#include <algorithm>

namespace {

// Notes the position of each paint of imgMain, and when the paint was over: the first event the
// window thread takes after it, or its going idle.
class PaintWatch : public QObject {
public:
    PaintWatch(frmMain& window, int start) : m_window(window), m_start(start) {
        m_clock.start();
        window.imgMain->installEventFilter(this);
        qApp->installEventFilter(this);
        connect(QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::aboutToBlock, this,
                [this] { settle(); });
    }
    ~PaintWatch() override { qApp->removeEventFilter(this); }

    // Positions turned from the start, as last painted; and when each was first on screen.
    int shown() const { return m_shown; }
    const std::vector<double>& shownAt() const { return m_shownAt; }
    double now() const { return double(m_clock.nsecsElapsed()) / 1e6; }

protected:
    bool eventFilter(QObject* object, QEvent* event) override {
        const bool paint = object == m_window.imgMain && event->type() == QEvent::Paint;
        if (!paint)
            settle();
        else
            m_painting = stepsOf();
        return false;
    }

private:
    // Positions from the start, counting whole turns round: a paint never goes back. The column
    // shown, not the picture: the loading may hold a slot's picture anew after it is shown.
    int stepsOf() const {
        const int n = m_window.iHCount;
        return m_shown + ((m_window.iCurrent - m_start - m_shown) % n + n) % n;
    }
    void settle() {
        if (m_painting < 0)
            return;
        const double at = now();
        m_shown = m_painting;
        while (int(m_shownAt.size()) < m_shown)
            m_shownAt.push_back(at);
        m_painting = -1;
    }

    frmMain& m_window;
    int m_start;
    QElapsedTimer m_clock;
    int m_painting = -1;
    int m_shown = 0;
    std::vector<double> m_shownAt; // [k]: when position k + 1 was first on screen
};

} // namespace

HeldKeyFigures holdRightArrow(frmMain& window, int presses, int paceMs) {
    HeldKeyFigures figures;
    figures.presses = presses;
    QApplication::processEvents();
    PaintWatch watch(window, window.HscrArray->value());
    int posted = 0;
    QEventLoop loop;
    const auto press = [&] {
        const double at = watch.now();
        const int due = std::min(presses, int(at / paceMs) + 1);
        figures.mostBehind = std::max(figures.mostBehind, due - watch.shown());
        for (; posted < due; ++posted)
            QCoreApplication::postEvent(window.HscrArray->bar(),
                                        new QKeyEvent(QEvent::KeyPress, Qt::Key_Right, {}));
        if (posted == presses && watch.shown() >= presses)
            loop.quit();
    };
    QTimer repeat;
    repeat.setTimerType(Qt::PreciseTimer);
    QObject::connect(&repeat, &QTimer::timeout, press);
    QTimer check; // the end: the last press shown
    QObject::connect(&check, &QTimer::timeout, [&] {
        if (posted == presses && watch.shown() >= presses)
            loop.quit();
    });
    QTimer::singleShot(presses * 1000, &loop, &QEventLoop::quit); // a window that never shows it
    press();                                                      // the first press at once
    repeat.start(paceMs);
    check.start(5);
    loop.exec();
    for (int k = 0; k < std::min(presses, int(watch.shownAt().size())); ++k)
        figures.shownAfter.push_back(watch.shownAt()[std::size_t(k)] - double(k) * paceMs);
    return figures;
}
