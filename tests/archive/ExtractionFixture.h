#pragma once

#include "archive/BindingState.h"
#include "archive/CGUnzipFiles.h"
#include "format/PackageCounters.h"
#include "support/RecordingProgressSink.h"
#include "support/ScriptedPrompter.h"
#include "support/TempDir.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <gtest/gtest.h>

// A fresh process-wide state, a folder for archives and a sandbox whose only entry is the
// extraction folder "out", so that a test can see whether anything landed beside it.
class ExtractionTest : public ::testing::Test {
protected:
    void SetUp() override {
        packageCounters().reset();
        bindingState().reset();
        ASSERT_TRUE(QDir(sandbox.path()).mkdir(QStringLiteral("out")));
    }

    QString outDir() const { return sandbox.file(QStringLiteral("out")); }
    QString archivePath(const QString& name) const { return archives.file(name); }

    QString writeArchive(const QString& name, const QByteArray& bytes) {
        writeWholeFile(archivePath(name), bytes);
        return archivePath(name);
    }

    // Extracts with the options the opening uses (HonorDirectories cleared) unless told.
    std::int32_t extract(const QString& archive, bool honorDirectories = false) {
        CGUnzipFiles request(progress, prompter);
        request.setHonorDirectories(honorDirectories);
        return request.Unzip(archive, outDir());
    }

    QString lastMessage() const { return bindingState().sLastMessage; }

    // Every entry below the extraction folder, relative to it, sorted ("a", "sub/", "sub/b").
    QStringList written() const {
        QStringList found;
        QDirIterator it(outDir(),
                        QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System,
                        QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QFileInfo info(it.next());
            QString relative = QDir(outDir()).relativeFilePath(info.filePath());
            if (info.isDir() && !info.isSymLink())
                relative += QLatin1Char('/');
            found.append(relative);
        }
        found.sort();
        return found;
    }

    // True when the sandbox holds nothing but the extraction folder.
    bool nothingBesideOut() const {
        return QDir(sandbox.path())
                   .entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden |
                              QDir::System) == QStringList{QStringLiteral("out")};
    }

    TempDir archives;
    TempDir sandbox;
    RecordingProgressSink progress;
    ScriptedPrompter prompter;
};
