#pragma once

// Opens a package without a window, into a private folder of a temporary folder, and reports
// what the opening held, said and left behind. Shared by the package test programs.
#include "format/OptionSettings.h"
#include "opening/FixedFreeMemory.h"
#include "opening/PackageOpening.h"
#include "opening/PrivateFolder.h"
#include "support/RecordingProgressSink.h"
#include "support/ScriptedPrompter.h"
#include "support/TempDir.h"
#include "support/TestPackage.h"

#include <QDir>
#include <QFileInfo>
#include <gtest/gtest.h>

inline constexpr qint64 kPlenty = qint64(8) << 30;

struct Opened {
    bool ok = false;
    QString problem;
    PictureSlots slots;
    QStringList progress;
    QStringList leftInFolder;
    PackageCounters counters;
    PictureStorage storage = PictureStorage::Refused;
    qint64 keptDecodeCap = 0; // the byte cap of the decodes kept of compressed pictures
    Descriptor descriptor;
    int early = 0;          // pictures decoded while the extraction ran, and taken
    QString soundShortName; // the sound member's blank-free name in the folder
    int skipped = 0;        // members the package does not use, left in the archive
};

// Opens the package file at `path` into a private folder made beside it.
inline Opened openPackageFile(const QString& path, qint64 freeMemory = kPlenty,
                              OptionSettings options = {}) {
    PrivateFolder folder(QFileInfo(path).absolutePath());
    packageCounters().reset();
    RecordingProgressSink progress;
    ScriptedPrompter prompter;
    FixedFreeMemory memory(freeMemory);
    PackageOpening opening(progress, prompter, memory, options);
    Opened result;
    result.ok = opening.runAll(path, folder.path(), result.slots);
    result.problem = opening.problem();
    result.progress = progress.messages;
    result.counters = opening.counters();
    result.storage = opening.memory().storage;
    result.keptDecodeCap = opening.memory().keptDecodeCap;
    result.descriptor = opening.descriptor();
    result.early = opening.earlyPictureCount();
    result.soundShortName = opening.soundShortName();
    result.skipped = opening.skippedMembers();
    result.leftInFolder = QDir(folder.path()).entryList(QDir::Files | QDir::NoDotAndDotDot);
    return result;
}

inline Opened openPackage(const TestPackage& package, qint64 freeMemory = kPlenty,
                          OptionSettings options = {}) {
    TempDir dir;
    const QString path = dir.file(QStringLiteral("thing.360"));
    EXPECT_TRUE(package.write(path));
    return openPackageFile(path, freeMemory, std::move(options));
}
