#pragma once

#include <QString>

// File helpers of the opening, the sound handling and Exit. Neither raises an error or shows a
// message.

// True when path names an existing regular file (after following symbolic links); a file of
// length 0 counts. False for an empty path, a folder, a missing file, any other kind of file and
// a name that cannot be a path (one holding a NUL character).
bool FileExists(const QString& path);

// A blank-free name for the file fileName in folder, by which the sound layer can open it from a
// command line that it splits at blanks. The opening passes the descriptor's Sound value and its
// private extraction folder.
//
// - fileName must be a bare name. The empty text comes back when it is empty, is "." or "..",
//   holds '/', '\\' or a NUL character, when folder is empty, or when folder/fileName is not an
//   existing regular file (FileExists).
// - A name without blanks (no white space of any kind) comes back unchanged.
// - Otherwise a second name for the same file is made in folder: every white-space character
//   becomes '_' ("Engine Sound.mp3" -> "Engine_Sound.mp3"); when that name is taken by another
//   file, "~1", "~2", ... up to "~999" goes before the extension ("Engine_Sound~1.mp3"). An
//   existing name for the very same file is reused, so asking twice gives the same answer. The
//   name is a hard link, or a symbolic link where the file system has no hard links; both are
//   created without ever replacing an existing entry. The bare new name comes back.
// - The empty text comes back when no such name can be made.
// Nothing is ever written outside folder, and no existing entry of folder is changed.
QString GetShortPath(const QString& fileName, const QString& folder);
