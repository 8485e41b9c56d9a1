#include "ExportInterrupt.h"

#include <array>
#include <atomic>
#include <csignal>

namespace {

constexpr std::array<int, 3> kSignals{SIGINT, SIGTERM, SIGHUP};
std::atomic<int> g_signal{0};
std::array<struct sigaction, 3> g_previous{};

extern "C" void noteSignal(int number) {
    g_signal.store(number);
}

} // namespace

ExportInterrupt::ExportInterrupt() {
    struct sigaction action {};
    action.sa_handler = noteSignal;
    sigemptyset(&action.sa_mask);
    // A signal ignored when the program started (a background job's interrupt) stays ignored.
    for (std::size_t i = 0; i < kSignals.size(); ++i) {
        sigaction(kSignals[i], nullptr, &g_previous[i]);
        if (g_previous[i].sa_handler != SIG_IGN)
            sigaction(kSignals[i], &action, nullptr);
    }
}

ExportInterrupt::~ExportInterrupt() {
    for (std::size_t i = 0; i < kSignals.size(); ++i)
        sigaction(kSignals[i], &g_previous[i], nullptr);
}

bool ExportInterrupt::requested() {
    return g_signal.load() != 0;
}

int ExportInterrupt::signalNumber() {
    return g_signal.load();
}
