#pragma once

#include <QString>
#include <QtGlobal>

struct PackageCounters;

// Whether a package's pictures fit into free memory, and how to hold them. The opening runs the
// check after probing the first horizontal picture and before decoding any; it takes the free
// memory figure from a FreeMemorySource (SystemFreeMemory in the viewer). Pure functions, 64-bit
// arithmetic throughout; figures that would pass the 64-bit range stop at its maximum.

// How the pictures are held when they fit.
enum class PictureStorage {
    Decoded,    // decoded into memory while the package opens
    Compressed, // held as the bytes of their files, decoded when shown
    Refused,    // they do not fit: the opening stops
};

// Bytes added to both estimates for the program itself.
inline constexpr qint64 kMemoryMargin = 10'000'000;

// The outcome of one check, with the figures it compared.
struct MemoryBudget {
    PictureStorage storage = PictureStorage::Refused;
    qint64 pictureCount = 0;
    qint64 decodedBytes = 0;     // pictureCount x (width x height x 3) + margin
    qint64 compressedBytes = 0;  // pictureCount x largest member + margin
    qint64 heldDecodedBytes = 0; // pictureCount x what one picture holds decoded (no margin)
    qint64 availableBytes = 0;
    // Compressed pictures: the bytes the decodes kept of them may take beyond the latest two
    // (PictureKeeper's byte cap), sized from the memory left once the pictures are held; and all
    // the memory those decodes may take (that cap plus the latest two), which the loader does not
    // give to pictures. Both 0 for pictures held decoded.
    qint64 keptDecodeCap = 0;
    qint64 keptDecodeBytes = 0;
    QString message; // the refusal text; empty unless storage is Refused
};

// The pictures that will be loaded: the horizontal ring, plus the upper and lower rings when the
// vertical rings will be loaded.
qint64 picturesToLoad(const PackageCounters& counters, bool bLoadVertical);

// The two estimates. Negative inputs count as zero.
qint64 decodedEstimate(qint64 pictureCount, qint64 width, qint64 height);
qint64 compressedEstimate(qint64 pictureCount, qint64 largestMember);

// "Sorry, not enough space in memory to load these images. Space available = <available>. Space
// required = <compressed>", both figures as plain decimal integers.
QString notEnoughMemoryMessage(qint64 availableBytes, qint64 compressedBytes);

// The check. An estimate fits when it is strictly below the available bytes; refused when
// neither fits, with notEnoughMemoryMessage. Otherwise the pictures are held decoded only when the
// decoded estimate fits and so do the bytes the loader will really hold for them decoded
// (heldDecodedBytes, below the available bytes), and then with bPreferDecoded (the "hold pictures
// decoded" option) or when the compressed estimate does not fit; in every other case they are
// held compressed. So more free memory never turns an opening into a refusal.
// Held compressed, the two latest decodes (the picture shown and the one decoded next) must fit
// beside the compressed estimate, or the pictures are refused all the same, the figure required
// counting them; the decodes kept beyond those two get half of what is left (at most
// PictureKeeper::kMostKeptBytes).
// Pictures with a screen level (`levelScale` above 1, see ScreenLevel.h) hold the level decoded
// and their file's bytes: both count for them held decoded, and so do the two latest decodes of
// whole pictures (zoomed past the level) and the decodes kept beyond those, as for compressed
// pictures. `levelBytes` is what one picture's level really holds (a 4:2:0 photo's planes: 1.5
// bytes a pixel); 0 counts it as 32-bit pixels. `keptFileBytes` is the largest file a picture
// with a screen level keeps in memory beside it: 0 when the package stores every picture's file
// uncompressed and they are read back from it, negative for `largestMember`.
MemoryBudget checkMemoryBudget(qint64 pictureCount, qint64 width, qint64 height,
                               qint64 largestMember, qint64 availableBytes, bool bPreferDecoded,
                               int levelScale = 1, qint64 levelBytes = 0,
                               qint64 keptFileBytes = -1);
