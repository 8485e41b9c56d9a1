#pragma once

#include <QtGlobal>

// The bytes one picture of width x height pixels holds at most once it is loaded decoded: 32-bit
// pixels. JPEG pictures held as their planes hold less (1 to 3 bytes a pixel, rows padded to whole
// blocks), so a package whose pictures fit by this rule fits decoded; the loader counts what each
// picture really holds (Picture::heldBytes()) and holds one that would not fit compressed. The
// memory check decides with it whether a package's pictures can be held decoded. Sizes that would
// pass the 64-bit range stop at its maximum; negative sizes count as zero.
qint64 decodedPictureBytes(qint64 width, qint64 height);
