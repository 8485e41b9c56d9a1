#pragma once

#include <QByteArray>
#include <QString>

// Whether a file given as a package's sound is MPEG audio: after an ID3v2 tag (if any), an MPEG
// audio frame header, followed by the next frame header where the first frame ends (when the
// file goes on that far). A text that merely begins with "ID3", or any other file, is refused.
class Mp3Check {
public:
    // Empty when `head` (the file's first bytes, at least 64 KiB of it or all) starts MPEG audio;
    // otherwise why not, as a phrase ("holds no MPEG audio frame after its ID3 tag").
    static QString problem(const QByteArray& head);
    // The same for a file; the phrase says when it cannot be read.
    static QString fileProblem(const QString& path);

    // The length in bytes of the MPEG audio frame whose 4-byte header starts at `at`; 0 when
    // there is no valid header there.
    static int frameLength(const QByteArray& bytes, qsizetype at);
};
