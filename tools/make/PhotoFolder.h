#pragma once

#include <QString>
#include <QStringList>

// What a folder given to `make` holds, sorted out before anything is read: the photos (regular
// files, or links to them, that are not hidden) in natural order of their names; the files a
// camera, an editor or a file manager leaves beside photos (Thumbs.db, desktop.ini, .DS_Store,
// *.xmp and *.thm sidecars, a RAW file beside a JPEG of the same stem, packages of an earlier
// run, hidden files and subfolders), skipped with a line each; and the entries that would lose a
// frame without a word (broken links, link loops, FIFOs, sockets, devices, unreadable files),
// each a problem naming its path. Whether a photo is a picture at all is for SourcePicture.
struct PhotoFolder {
    QString folder;       // as the user gave it
    QStringList photos;   // full paths
    QStringList skipped;  // "PATH: why it is skipped"
    QStringList problems; // "PATH: what is wrong"
    QString error;        // the folder itself cannot be listed; empty otherwise

    // option: the command-line option that named the folder, for the messages ("--ring").
    static PhotoFolder list(const QString& folder, const QString& option);
};
