#pragma once

#include <QtGlobal>

// The bytes one picture of width x height pixels holds once it is loaded decoded (what
// Picture::heldBytes() reports for it). The memory check decides with it whether a package's
// pictures can be held decoded, so it must follow whatever a decoded picture holds. Sizes that
// would pass the 64-bit range stop at its maximum; negative sizes count as zero.
qint64 decodedPictureBytes(qint64 width, qint64 height);
