#pragma once

#include "PackagePlan.h"

#include <QByteArray>
#include <QString>

// Writes a new package: the descriptor first, then every planned member with the bytes of its
// source file, unchanged. Pictures that are already compressed and the sound are stored, the
// rest deflated. The archive is created anew (never over an existing file); a failed write
// leaves no file behind. Returns an empty text on success, else what went wrong.
QString writePackage(const QString& path, const QByteArray& descriptor,
                     const std::vector<PlannedMember>& members);
