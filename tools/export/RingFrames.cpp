#include "RingFrames.h"

#include "tools/photo/PhotoResizer.h"

#include "SpinMoves.h"
#include "SpinSource.h"

#include <cmath>

long long RingFrames::startOf(int i, int unitsPerSecond) const {
    const double total = turnSeconds * unitsPerSecond;
    return std::llround(total * i / std::max<std::size_t>(1, slots.size()));
}

RingFrames RingFrames::plan(const SpinSource& source, int ring, int longestSide, double turnSeconds,
                            bool evenSize, QString& error) {
    RingFrames frames;
    frames.turnSeconds = turnSeconds;
    frames.slots = ringSlots(source.layout(), ring);
    if (frames.slots.empty()) {
        error =
            ring == 0 ? QStringLiteral("the package has no horizontal ring")
            : ring > 0
                ? QStringLiteral("the package has no row %1 above the horizontal ring").arg(ring)
                : QStringLiteral("the package has no row %1 below the horizontal ring").arg(-ring);
        return frames;
    }
    frames.size = PhotoResizer::fitted(source.layout().pictureSize, longestSide);
    if (evenSize)
        frames.size =
            QSize(std::max(2, frames.size.width() & ~1), std::max(2, frames.size.height() & ~1));
    return frames;
}

QImage RingFrames::frame(const SpinSource& source, int i, int longestSide) const {
    QImage image = source.picture(slots[std::size_t(i)], longestSide);
    if (image.isNull())
        return image;
    if (image.size() != size)
        image = image.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    return image.convertToFormat(QImage::Format_RGB32);
}
