#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

// Makes real archives for tests with the tools people make them with: Info-ZIP's zip command,
// Python's zipfile module and libzip. Each returns false (and records a test failure) when the
// archive could not be made.

// Runs program with args in workDir and waits for it; true when it exits with status 0.
bool runProgram(const QString& program, const QStringList& args, const QString& workDir);

// Runs "zip <options> archive <files>" in folder (the files are named relative to it).
bool makeInfoZip(const QString& archive, const QString& folder, const QStringList& options,
                 const QStringList& files);

// Runs a Python script with the archive path as sys.argv[1].
bool makePythonZip(const QString& archive, const QString& script);

// One member of an archive written through libzip.
struct LibzipMember {
    QByteArray name;
    QByteArray content;
    int method = 8;      // ZIP_CM_DEFLATE
    int encryption = 0;  // ZIP_EM_NONE, or e.g. ZIP_EM_AES_256
    QByteArray password; // for encryption
};

bool makeLibzipArchive(const QString& archive, const QList<LibzipMember>& members);
