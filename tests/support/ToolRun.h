#pragma once

#include <QString>
#include <QStringList>

// One run of the package tool as a separate process.
struct ToolRun {
    int exitCode = -1; // -1 when the process crashed or did not finish
    QString out;
    QString err;
};

ToolRun runPack(const QStringList& args);
