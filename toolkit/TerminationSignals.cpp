#include "TerminationSignals.h"

#include <QCoreApplication>
#include <QSocketNotifier>
#include <QTimer>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace {

// The write end of the pipe the handler wakes the event loop through; -1 when none.
int g_wakeFd = -1;

void handleSignal(int) {
    if (g_wakeFd >= 0) {
        const char byte = 1;
        [[maybe_unused]] const ssize_t written = ::write(g_wakeFd, &byte, 1);
    }
}

} // namespace

TerminationSignals::TerminationSignals(QObject* parent) : QObject(parent) {
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC | O_NONBLOCK) != 0)
        return; // the signals keep their default action
    g_wakeFd = fds[1];
    m_notifier = new QSocketNotifier(fds[0], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &TerminationSignals::onSignal);
    struct sigaction action {};
    action.sa_handler = handleSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int signal : {SIGTERM, SIGINT, SIGHUP})
        ::sigaction(signal, &action, nullptr);
}

TerminationSignals::~TerminationSignals() {
    if (!m_notifier)
        return;
    struct sigaction action {};
    action.sa_handler = SIG_DFL;
    sigemptyset(&action.sa_mask);
    for (int signal : {SIGTERM, SIGINT, SIGHUP})
        ::sigaction(signal, &action, nullptr);
    const int readFd = int(m_notifier->socket());
    delete m_notifier;
    ::close(readFd);
    ::close(g_wakeFd);
    g_wakeFd = -1;
}

void TerminationSignals::onSignal() {
    char buffer[16];
    while (::read(int(m_notifier->socket()), buffer, sizeof buffer) > 0) {
    }
    if (!m_ending) {
        // A loop that has not started yet (the main loop while start-up still opens a package)
        // would miss a single exit(); the timer ends each loop that runs from now on.
        m_ending = new QTimer(this);
        m_ending->setInterval(10);
        connect(m_ending, &QTimer::timeout, this, [] { QCoreApplication::exit(0); });
        m_ending->start();
    }
    QCoreApplication::exit(0);
}
