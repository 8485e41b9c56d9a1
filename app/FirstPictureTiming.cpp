#include "FirstPictureTiming.h"

#include "toolkit/ImageControl.h"

#include <QCoreApplication>
#include <QEvent>
#include <QFile>
#include <QTimer>

#include <cstdio>
#include <ctime>
#include <unistd.h>

namespace {

// Milliseconds since this process started, from the start time the kernel keeps (clock ticks
// since boot) and the boot-time clock.
double sinceProcessStart() {
    QFile stat(QStringLiteral("/proc/self/stat"));
    if (!stat.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray text = stat.readAll();
    // The fields after the command name, which ends with the last ')': state is field 3, the start
    // time field 22.
    const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
    if (fields.size() < 20)
        return -1;
    const double startTicks = fields[19].toDouble();
    timespec now{};
    clock_gettime(CLOCK_BOOTTIME, &now);
    const double nowMs = double(now.tv_sec) * 1e3 + double(now.tv_nsec) / 1e6;
    return nowMs - startTicks * 1e3 / double(sysconf(_SC_CLK_TCK));
}

} // namespace

FirstPictureTiming::FirstPictureTiming(QWidget* picture, QObject* parent) : QObject(parent) {
    const QByteArray asked = qgetenv("GYROLOOK_TIMING");
    if (asked.isEmpty() || asked == "0")
        return;
    m_exit = asked == "exit";
    m_picture = picture;
    // On the application, so that it sees the paint before any filter of the control does: what
    // those start once the paint is done (the sound) then runs after the moment is taken.
    QCoreApplication::instance()->installEventFilter(this);
}

bool FirstPictureTiming::eventFilter(QObject* watched, QEvent* event) {
    const auto* control = qobject_cast<ImageControl*>(watched);
    if (watched == m_picture && event->type() == QEvent::Paint && control && control->picture()) {
        QCoreApplication::instance()->removeEventFilter(this);
        // The paint and the flush to the screen finish before the event loop runs again.
        QTimer::singleShot(0, this, [this] {
            timespec wall{};
            clock_gettime(CLOCK_REALTIME, &wall);
            std::fprintf(stderr, "gyrolook: first picture %.1f ms at %lld%09ld\n",
                         sinceProcessStart(), static_cast<long long>(wall.tv_sec), wall.tv_nsec);
            std::fflush(stderr);
            if (m_exit)
                QCoreApplication::exit(0);
        });
    }
    return QObject::eventFilter(watched, event);
}
