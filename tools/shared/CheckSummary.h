#pragma once

#include <QSize>
#include <QString>
#include <QtGlobal>

// The plain line `check` prints first: how many photos, how they lie around the object, their
// size and the memory the viewer takes for them on a screen of a given size, e.g.
// "180 photos: 90 around, 2 rows above, 1 row below; 6000 x 4000; up to about 2712 MB in the
// viewer on a 1920 x 1080 screen".
struct CheckFigures {
    int around = 0;         // horizontal pictures
    int above = 0;          // pictures of the upper rings
    int rowsAbove = 0;      // their rows
    int below = 0;          // pictures of the lower rings
    int rowsBelow = 0;      // their rows
    QSize size;             // of every picture
    qint64 largestFile = 0; // the largest picture member, in bytes
    QSize screen;
    // The largest file a photo held at a screen level keeps beside its level: 0 when the viewer
    // reads the files back from the package (PackageOpening::keptFileBytes), negative for
    // largestFile.
    qint64 keptFile = -1;
};

// The screen the package tool plans for when it is told of none.
inline constexpr QSize kDefaultScreen(1920, 1080);

// What the viewer's memory check plans for these pictures on that screen, with its default
// options: each picture larger than its window at its screen level beside its file's bytes, unless
// they stay in the package (and
// the two latest decodes of a whole picture, for zooming past the level), the others decoded
// whole, 4 bytes a pixel. The level is chosen for the picture fitted into a window as large as
// the screen; the viewer opens at a zoom step no larger, in a window no larger, and JPEG pictures
// held as planes take less: the most the viewer holds.
qint64 viewerBytes(const CheckFigures& figures);

// The size a picture of `natural` pixels is shown at when it is fitted into a window as large as
// the screen, or an empty size when it fits whole (see OpeningShownSize).
QSize shownOnScreen(QSize natural, QSize screen);

QString checkSummary(const CheckFigures& figures);
