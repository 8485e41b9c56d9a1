#pragma once

#include <QString>

// The export's progress on standard error: "gyrolook-pack export: <stage> <done> of <total>".
// On a terminal the line is rewritten in place; otherwise a line is written at every tenth of
// the stage and at its end.
class ExportProgress {
public:
    ExportProgress();

    void begin(const QString& stage, int total);
    void step();
    void end();

private:
    void print(bool last);

    bool m_terminal = false;
    QString m_stage;
    int m_total = 0;
    int m_done = 0;
    int m_lastTenth = -1;
};
