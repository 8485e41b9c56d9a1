#pragma once

#include <QObject>

class QSocketNotifier;
class QTimer;

// Turns the termination signals (SIGTERM, SIGINT, SIGHUP) into a normal end of the event loop, so
// that the program ends as it does after Exit: the main window's owners are destroyed and the
// private extraction folder is removed. Create one, after the application object, in main().
//
// A signal is seen the next time events are processed: in the main loop, in a modal box's loop,
// or while the progress window is refreshed during an opening (also the one start-up runs before
// the main loop). From then on every event loop, running or started later, ends at once: a box
// that is up closes, the opening runs to its end without waiting for answers, and the main loop
// returns as soon as it starts.
class TerminationSignals : public QObject {
public:
    explicit TerminationSignals(QObject* parent = nullptr);
    ~TerminationSignals() override;

    TerminationSignals(const TerminationSignals&) = delete;
    TerminationSignals& operator=(const TerminationSignals&) = delete;

    // True once a termination signal has been seen.
    bool requested() const { return m_ending != nullptr; }

private:
    void onSignal();

    QSocketNotifier* m_notifier = nullptr;
    QTimer* m_ending = nullptr; // ends every event loop that runs, from the signal on
};
