#include "DecodedBytes.h"

#include <limits>

qint64 decodedPictureBytes(qint64 width, qint64 height) {
    // Decoded pictures are held as 32-bit pixels, rows without padding.
    constexpr qint64 kBytesPerPixel = 4;
    if (width <= 0 || height <= 0)
        return 0;
    qint64 pixels = 0;
    qint64 bytes = 0;
    if (__builtin_mul_overflow(width, height, &pixels) ||
        __builtin_mul_overflow(pixels, kBytesPerPixel, &bytes))
        return std::numeric_limits<qint64>::max();
    return bytes;
}
