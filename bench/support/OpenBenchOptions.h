#pragma once

#include <QSize>
#include <QString>
#include <QStringList>

// The command line of open_bench: PKG.360 [--runs K] [--compressed] [--screen WxH].
struct OpenBenchOptions {
    QString package;
    int runs = 5;            // openings timed; the figures are their medians
    bool compressed = false; // hold pictures compressed instead of decoded
    QSize screen;            // the screen's available area, as the viewer opens (empty: none)
    QString error;           // why the command line was refused ("" when it was taken)

    static constexpr int kMostRuns = 1000;

    // Reads the arguments after the program name. Exactly one package path; --runs takes a count
    // from 1 to kMostRuns, as the next argument or as --runs=K; --screen a size such as 1920x1080.
    static OpenBenchOptions parse(const QStringList& args);

    static QString usage() {
        return QStringLiteral("usage: open_bench PKG.360 [--runs K] [--compressed] [--screen WxH]");
    }
};
