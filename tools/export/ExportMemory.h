#pragma once

#include <QSize>
#include <QString>
#include <QtGlobal>

#include <vector>

// What an export holds in memory at once, estimated before the first frame is made from the
// frames' size and count, so that an export that cannot fit is refused before any work rather
// than killed halfway. Two parts: the frames made ahead (each one a decode in flight, the file
// read and its pixels at the DCT scale used, then the frame scaled from it and waiting its turn),
// and what the encoder keeps while it works:
//   WebP  its canvases and the frame being coded, and the coded frames it keeps until the file
//         is assembled (then once more as the assembled file);
//   GIF   the frame in colours and the one before it (what changed is stored against it), and
//         the quantiser's copies of the frames its palette is made from;
//   MP4   the frames libx264 looks ahead over and keeps for reference;
//   WebM  the frames libvpx holds back for its look-ahead;
//   page  each writing thread's picture of the larger set, the page's one and their JPEG bytes.
// Figures per pixel measured with /usr/bin/time -v on 24-megapixel shoots and the sample at the
// sizes the export takes (tools/export/ExportMemory.cpp says which). Pure functions.
class ExportMemory {
public:
    enum class Kind { Page, WebP, Gif, Mp4, WebM };

    struct Work {
        Kind kind = Kind::WebP;
        QSize frame;            // each frame's size; the page's pictures' size
        QSize large;            // the page's larger set; invalid when it has none
        int frames = 0;         // the frames of one turn; the page's pictures
        int turns = 1;          // a video's turns
        qint64 decodeBytes = 0; // one decode in flight (file and pixels at the scale used)
        int ahead = 2;          // frames made ahead at once; the page's writing threads
    };

    // One part of what the export holds, for the user.
    struct Share {
        QString what;
        qint64 bytes = 0;
    };

    // The frames made ahead (all `ahead` of them), then the encoder's part.
    static Share aheadShare(const Work& work);
    static Share encoderShare(const Work& work);
    // Both parts and the margin kept free for the rest of the process.
    static qint64 total(const Work& work);

    // How many frames may be made ahead within `free` bytes beside the encoder's part: at most
    // work.ahead, 0 when not even one fits.
    static int aheadThatFits(const Work& work, qint64 free);

    // The refusal when not even one frame ahead fits: one line naming the part that does not fit.
    static QString refusal(const Work& work, qint64 free);
};
