#pragma once

#include <QObject>

class QWidget;

// Launch-to-first-picture timing for the benchmarks: when the environment variable GYROLOOK_TIMING
// is set (to anything but empty or "0"), the first time the picture control paints with a picture
// and the paint has gone to the screen, one line goes to standard error:
//
//   gyrolook: first picture <ms since the process started> ms at <wall clock, ns since the epoch>
//
// Started without a package, the start-up is timed instead: the first paint of the main window,
// empty, gone to the screen, gives
//
//   gyrolook: empty window <ms since the process started> ms at <wall clock, ns since the epoch>
//
// With GYROLOOK_TIMING=exit the event loop then ends, as on SIGTERM. Nothing else changes.
class FirstPictureTiming : public QObject {
public:
    // Watches `picture` (an ImageControl), or `window` when no package opens at start-up, when the
    // variable asks for it; does nothing otherwise.
    FirstPictureTiming(QWidget* picture, QWidget* window, bool packageNamed,
                       QObject* parent = nullptr);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Writes the line for `what` once the paint has gone to the screen.
    void report(const char* what);

    QWidget* m_picture = nullptr;
    QWidget* m_window = nullptr; // set when the start-up is timed
    bool m_exit = false;
};
