#pragma once

// What the fuzz targets share: the Qt application object, a scratch folder per process, file
// writing and listing, and a prompter that answers every question with "no". Every failure of the
// harness itself aborts, so that libFuzzer records it with the input that caused it.

#include "format/Prompter.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>

namespace fuzz {

// Stops the run with a line on standard error; libFuzzer saves the input as a crash.
[[noreturn]] inline void fail(const char* what, const QString& detail = QString()) {
    std::fprintf(stderr, "fuzz invariant violated: %s %s\n", what, qPrintable(detail));
    std::abort();
}

// Creates the process-wide application object (plugins and library paths need one). It is never
// destroyed: libFuzzer ends the process from inside its driver, after Qt's own globals may be gone.
inline void startQt(int* argc, char*** argv) {
    static int appArgc = 1;
    static char* appArgv[] = {(*argc > 0 ? (*argv)[0] : const_cast<char*>("fuzz")), nullptr};
    static QCoreApplication* app = new QCoreApplication(appArgc, appArgv);
    (void)app;
}

// A folder of this process for the files a target writes, removed when the process ends. It lies
// under $GYRO_FUZZ_TMP when set (a memory file system such as /dev/shm makes runs faster), under
// the system's temporary folder otherwise.
inline const QString& scratchBase(const char* targetName) {
    static std::unique_ptr<QTemporaryDir> dir;
    static QString path;
    if (!dir) {
        const QByteArray root = qgetenv("GYRO_FUZZ_TMP");
        const QString base = root.isEmpty() ? QDir::tempPath() : QString::fromLocal8Bit(root);
        dir = std::make_unique<QTemporaryDir>(
            base + QLatin1Char('/') + QString::fromLatin1(targetName) + QStringLiteral("-XXXXXX"));
        if (!dir->isValid())
            fail("cannot create the scratch folder under", base);
        path = dir->path();
        std::atexit([] { dir.reset(); });
    }
    return path;
}

inline void writeBytes(const QString& path, const std::uint8_t* data, std::size_t size) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        fail("cannot write", path);
    if (size > 0 && file.write(reinterpret_cast<const char*>(data), static_cast<qint64>(size)) !=
                        static_cast<qint64>(size))
        fail("cannot write", path);
}

// Every name in a folder, hidden ones included, sorted.
inline QStringList entriesOf(const QString& folder) {
    QStringList names = QDir(folder).entryList(
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
    return names;
}

// Answers every question with Cancel and every input box with the empty text.
class CancelPrompter : public Prompter {
public:
    void message(const QString&) override {}
    Reply askYesNoCancel(const QString&, const QString&) override { return Reply::Cancel; }
    QString inputBox(const QString&, const QString&) override { return QString(); }
};

} // namespace fuzz
