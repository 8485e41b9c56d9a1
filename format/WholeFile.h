#pragma once

#include <QByteArray>
#include <QString>

// Writing a file so that a full disk or a failed write leaves no partial picture behind. Each
// function takes bytes already encoded in memory, reserves their space on the disk before the
// first byte is written (posix_fallocate: a full disk is found before anything changes), writes
// them and syncs them. The text returned is empty on success, else the reason in the system's
// words ("No space left on device"); callers name the file.

// Writes bytes into fd, a new file opened for writing and still empty. On failure the file is left
// empty (its caller removes it).
QString fillNewFile(int fd, const QByteArray& bytes);

// Replaces the contents of the existing regular file fd (opened for reading and writing) by bytes,
// in place, so that whoever holds the file open reads the new bytes. Only once the space for them
// is reserved is the file written; a write that fails after all puts the old contents back.
QString replaceFileContents(int fd, const QByteArray& bytes);
