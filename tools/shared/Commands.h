#pragma once

#include <QStringList>

// The package tool's commands. Each takes the arguments after its own name and returns the
// process exit status. Results go to standard output, failures to standard error.
int runProbe(const QStringList& args);
int runCreate(const QStringList& args);
int runExtract(const QStringList& args);
int runCheck(const QStringList& args);
int runMake(const QStringList& args);
int runSheet(const QStringList& args);
int runThumbnail(const QStringList& args);
int runExport(const QStringList& args);
