#include "opening/MemoryBudget.h"

#include "format/PackageCounters.h"
#include "pictures/DecodedBytes.h"
#include "pictures/PictureKeeper.h"
#include "pictures/ScreenLevel.h"

#include <algorithm>
#include <limits>

namespace {

constexpr qint64 kMax = std::numeric_limits<qint64>::max();

qint64 nonNegative(qint64 value) {
    return value < 0 ? 0 : value;
}

qint64 multiply(qint64 a, qint64 b) {
    qint64 product = 0;
    return __builtin_mul_overflow(a, b, &product) ? kMax : product;
}

qint64 add(qint64 a, qint64 b) {
    qint64 sum = 0;
    return __builtin_add_overflow(a, b, &sum) ? kMax : sum;
}

} // namespace

qint64 picturesToLoad(const PackageCounters& counters, bool bLoadVertical) {
    // The horizontal count is a float counter holding a whole number of members.
    const float count = counters.sngHCount;
    const qint64 horizontal = count >= 1.0f && count < 1.0e15f ? static_cast<qint64>(count) : 0;
    if (!bLoadVertical)
        return horizontal;
    return horizontal + counters.bytVCount + counters.bytMCount;
}

qint64 decodedEstimate(qint64 pictureCount, qint64 width, qint64 height) {
    const qint64 pictureBytes = multiply(multiply(nonNegative(width), nonNegative(height)), 3);
    return add(multiply(nonNegative(pictureCount), pictureBytes), kMemoryMargin);
}

qint64 compressedEstimate(qint64 pictureCount, qint64 largestMember) {
    return add(multiply(nonNegative(pictureCount), nonNegative(largestMember)), kMemoryMargin);
}

QString notEnoughMemoryMessage(qint64 availableBytes, qint64 compressedBytes) {
    return QStringLiteral("Sorry, not enough space in memory to load these images. Space "
                          "available = ") +
           QString::number(availableBytes) + QStringLiteral(". Space required = ") +
           QString::number(compressedBytes);
}

namespace {

// The estimates of a package's pictures, held decoded (at their screen level beside their files'
// bytes when they have one) and held compressed; nothing decided yet.
MemoryBudget estimatesOf(qint64 pictureCount, qint64 width, qint64 height, qint64 largestMember,
                         int levelScale, qint64 levelBytes, qint64 keptFileBytes) {
    MemoryBudget budget;
    budget.pictureCount = nonNegative(pictureCount);
    // Pictures with a screen level hold it decoded beside their file's bytes.
    const bool level = levelScale > 1;
    const QSize reduced = reducedSize(QSize(int(std::min<qint64>(nonNegative(width), 65535)),
                                            int(std::min<qint64>(nonNegative(height), 65535))),
                                      levelScale);
    const qint64 heldWidth = level ? reduced.width() : width;
    const qint64 heldHeight = level ? reduced.height() : height;
    const qint64 keptFile = keptFileBytes < 0 ? largestMember : keptFileBytes;
    const qint64 filesHeld = level ? multiply(budget.pictureCount, nonNegative(keptFile)) : 0;
    budget.compressedBytes = compressedEstimate(pictureCount, largestMember);
    const qint64 pictureHeld =
        level && levelBytes > 0 ? levelBytes : decodedPictureBytes(heldWidth, heldHeight);
    // A level whose holding the decoder has told is estimated at that, not at 3 bytes a pixel.
    const qint64 levelEstimate = add(multiply(budget.pictureCount, pictureHeld), kMemoryMargin);
    budget.decodedBytes =
        add(level && levelBytes > 0 ? levelEstimate
                                    : decodedEstimate(pictureCount, heldWidth, heldHeight),
            filesHeld);
    budget.heldDecodedBytes = add(multiply(budget.pictureCount, pictureHeld), filesHeld);
    return budget;
}

} // namespace

MemoryBudget checkMemoryBudget(qint64 pictureCount, qint64 width, qint64 height,
                               qint64 largestMember, qint64 availableBytes, bool bPreferDecoded,
                               int levelScale, qint64 levelBytes, qint64 keptFileBytes) {
    MemoryBudget budget = estimatesOf(pictureCount, width, height, largestMember, levelScale,
                                      levelBytes, keptFileBytes);
    const bool level = levelScale > 1;
    budget.availableBytes = availableBytes;

    const bool decodedFits = budget.decodedBytes < availableBytes;
    const bool compressedFits = budget.compressedBytes < availableBytes;
    if (!decodedFits && !compressedFits) {
        budget.message = notEnoughMemoryMessage(availableBytes, budget.compressedBytes);
        return budget;
    }
    // The estimates decide whether the package opens; how it is held goes by what the loader will
    // really hold. Pictures whose decoded pixels would not fit are held compressed, even where only
    // the decoded estimate fits: that holds less, and the loader checks the real bytes.
    const bool holdDecoded = decodedFits && budget.heldDecodedBytes < availableBytes;
    budget.storage = holdDecoded && (bPreferDecoded || !compressedFits)
                         ? PictureStorage::Decoded
                         : PictureStorage::Compressed;
    if (budget.storage == PictureStorage::Decoded && !level)
        return budget;
    // Compressed pictures are decoded when shown, and so are the whole pictures of those with a
    // screen level zoomed past it: the caches of those decodes are counted, and shrunk to what the
    // memory leaves.
    const qint64 latestTwo = multiply(decodedPictureBytes(width, height), 2);
    if (budget.storage == PictureStorage::Decoded) {
        const qint64 withDecodes = add(budget.heldDecodedBytes, latestTwo);
        if (withDecodes < availableBytes) {
            budget.keptDecodeCap = PictureKeeper::capFor(availableBytes - withDecodes);
            budget.keptDecodeBytes = budget.keptDecodeCap + latestTwo;
            return budget;
        }
        budget.storage = PictureStorage::Compressed;
    }
    // The pictures held open by either estimate (a decoded estimate that fits holds the files too).
    const qint64 needed = add(std::min(budget.compressedBytes, budget.decodedBytes), latestTwo);
    // Only pictures without a screen level can do without the two decodes: held decoded, they
    // are never decoded again.
    if (needed >= availableBytes && holdDecoded && !level) {
        budget.storage = PictureStorage::Decoded;
        return budget;
    }
    if (needed >= availableBytes) {
        budget.storage = PictureStorage::Refused;
        budget.message = notEnoughMemoryMessage(availableBytes, needed);
        return budget;
    }
    budget.keptDecodeCap = PictureKeeper::capFor(availableBytes - needed);
    budget.keptDecodeBytes = budget.keptDecodeCap + latestTwo;
    return budget;
}
