#pragma once

#include "PackagePlan.h"

#include <QByteArray>
#include <QString>
#include <zip.h>

class ProgressReporter;

// Whether a member of that name is stored rather than deflated: pictures and sound that do not
// shrink.
bool alreadyCompressed(const QString& name);

// A new archive at `path`, never over an existing file; null with `why` set when it cannot be
// created.
zip_t* createArchive(const QString& path, QString& why);

// Writes a new package: the descriptor first, then every planned member with the bytes of its
// source file, unchanged. Pictures that are already compressed and the sound are stored, the
// rest deflated. The archive is created anew (never over an existing file); a failed write
// leaves no file behind. Returns an empty text on success, else what went wrong. progress, when
// given, hears how far the writing has got.
QString writePackage(const QString& path, const QByteArray& descriptor,
                     const std::vector<PlannedMember>& members,
                     ProgressReporter* progress = nullptr);
