#include "support/EventWait.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QObject>
#include <QTimer>

void waitWhile(const std::function<bool()>& pending, int mostMs) {
    QElapsedTimer waited;
    waited.start();
    QEventLoop idle;
    QTimer tick; // wakes the loop to look again when no event comes
    QObject::connect(&tick, &QTimer::timeout, &idle, &QEventLoop::quit);
    tick.start(50);
    while (pending() && (mostMs < 0 || waited.elapsed() < mostMs))
        idle.exec();
}

void idleFor(int ms) {
    waitWhile([] { return true; }, ms);
}
