#include "ExportProgress.h"

#include <QTextStream>
#include <cstdio>
#include <unistd.h>

ExportProgress::ExportProgress() : m_terminal(::isatty(STDERR_FILENO) == 1) {}

void ExportProgress::begin(const QString& stage, int total) {
    m_stage = stage;
    m_total = total;
    m_done = 0;
    m_lastTenth = -1;
    print(false);
}

void ExportProgress::step() {
    ++m_done;
    print(false);
}

void ExportProgress::end() {
    print(true);
}

void ExportProgress::print(bool last) {
    const int tenth = m_total > 0 ? m_done * 10 / m_total : 10;
    if (!m_terminal && !last && tenth == m_lastTenth)
        return;
    if (!m_terminal && last && m_lastTenth == 10)
        return;
    m_lastTenth = tenth;
    QTextStream err(stderr);
    err << (m_terminal ? "\r" : "") << "gyrolook-pack export: " << m_stage << ' ' << m_done
        << " of " << m_total;
    if (!m_terminal || last)
        err << '\n';
    err.flush();
}
