#pragma once

#include "format/ProgressSink.h"

#include <QElapsedTimer>
#include <QString>
#include <mutex>

// Tells on standard error how far a long command has got: "gyrolook-pack make: writing 37 of
// 180". On a terminal it is one line rewritten in place (at most ten times a second); otherwise
// (a log, a pipe) a line every few seconds once a command has run that long, and then the last
// line of each stage too. Quiet prints nothing.
// Any thread may report; finish() ends the line before the command prints anything else.
//
// As a ProgressSink it shows the opening's own lines ("Gyrolook: Loading Horizontal Image #3 of
// 36") the same way.
class ProgressReporter : public ProgressSink {
public:
    ProgressReporter(const QString& command, bool quiet);
    ~ProgressReporter() override;

    // Stage `what`, `done` of `total` (total 0: no count shown).
    void step(const QString& what, qint64 done, qint64 total);
    void finish();

    void setMessage(const QString& text) override;
    void refresh() override {}

private:
    void show(const QString& line, bool last);

    QString m_command;
    bool m_quiet;
    bool m_terminal;
    std::mutex m_mutex;
    QElapsedTimer m_clock;
    qint64 m_shownAt = -1;
    int m_width = 0; // of the line standing on the terminal
};
