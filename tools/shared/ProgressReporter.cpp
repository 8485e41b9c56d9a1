#include "ProgressReporter.h"

#include <cstdio>
#include <unistd.h>

namespace {

constexpr qint64 kTerminalEveryMs = 100;
constexpr qint64 kLogEveryMs = 5000;

} // namespace

ProgressReporter::ProgressReporter(const QString& command, bool quiet)
    : m_command(QStringLiteral("gyrolook-pack %1: ").arg(command)), m_quiet(quiet),
      m_terminal(isatty(STDERR_FILENO) != 0) {
    m_clock.start();
}

ProgressReporter::~ProgressReporter() {
    finish();
}

void ProgressReporter::step(const QString& what, qint64 done, qint64 total) {
    if (m_quiet)
        return;
    const QString line =
        total > 0 ? QStringLiteral("%1 %2 of %3").arg(what).arg(done).arg(total) : what;
    show(line, total > 0 && done >= total);
}

void ProgressReporter::setMessage(const QString& text) {
    if (!m_quiet)
        show(text, false);
}

void ProgressReporter::show(const QString& line, bool last) {
    const std::lock_guard<std::mutex> lock(m_mutex);
    const qint64 now = m_clock.elapsed();
    const qint64 every = m_terminal ? kTerminalEveryMs : kLogEveryMs;
    if (!last && m_shownAt >= 0 && now - m_shownAt < every)
        return;
    if (m_shownAt < 0 && !m_terminal && now < every)
        return; // a quick command says nothing in a log
    m_shownAt = now;
    const QByteArray text = (m_command + line).toLocal8Bit();
    if (m_terminal) {
        const int pad = std::max(0, m_width - static_cast<int>(text.size()));
        std::fprintf(stderr, "\r%s%*s", text.constData(), pad, "");
        m_width = static_cast<int>(text.size());
    } else {
        std::fprintf(stderr, "%s\n", text.constData());
    }
    std::fflush(stderr);
}

void ProgressReporter::finish() {
    const std::lock_guard<std::mutex> lock(m_mutex);
    if (m_terminal && m_width > 0) {
        std::fprintf(stderr, "\r%*s\r", m_width, "");
        std::fflush(stderr);
    }
    m_width = 0;
}
