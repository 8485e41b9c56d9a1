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

FirstPictureTiming::FirstPictureTiming(QWidget* picture, QWidget* window, bool packageNamed,
                                       QObject* parent)
    : QObject(parent) {
    const QByteArray asked = qgetenv("GYROLOOK_TIMING");
    if (asked.isEmpty() || asked == "0")
        return;
    m_exit = asked == "exit";
    m_picture = picture;
    if (!packageNamed)
        m_window = window;
    // On the application, so that it sees the paint before any filter of the control does: what
    // those start once the paint is done (the sound) then runs after the moment is taken.
    QCoreApplication::instance()->installEventFilter(this);
}

bool FirstPictureTiming::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::Paint)
        return QObject::eventFilter(watched, event);
    const auto* control = qobject_cast<ImageControl*>(watched);
    if (m_window && watched == m_window)
        report("empty window");
    else if (!m_window && watched == m_picture && control && control->picture())
        report("first picture");
    return QObject::eventFilter(watched, event);
}

void FirstPictureTiming::report(const char* what) {
    QCoreApplication::instance()->removeEventFilter(this);
    // The paint and the flush to the screen finish before the event loop runs again.
    QTimer::singleShot(0, this, [this, what] {
        timespec wall{};
        clock_gettime(CLOCK_REALTIME, &wall);
        std::fprintf(stderr, "gyrolook: %s %.1f ms at %lld%09ld\n", what, sinceProcessStart(),
                     static_cast<long long>(wall.tv_sec), wall.tv_nsec);
        std::fflush(stderr);
        if (m_exit)
            QCoreApplication::exit(0);
    });
}
