#pragma once

#include <QObject>

class QSocketNotifier;

// Turns the termination signals (SIGTERM, SIGINT, SIGHUP) into a normal end of the event loop, so
// that the program ends as it does after Exit: the main window's owners are destroyed and the
// private extraction folder is removed. Create one, after the application object, in main().
class TerminationSignals : public QObject {
public:
    explicit TerminationSignals(QObject* parent = nullptr);
    ~TerminationSignals() override;

    TerminationSignals(const TerminationSignals&) = delete;
    TerminationSignals& operator=(const TerminationSignals&) = delete;

private:
    void onSignal();

    QSocketNotifier* m_notifier = nullptr;
};
