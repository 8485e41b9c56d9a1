// Makes the thumbnail of the input as a package, the way gyrolook-pack thumbnail does, and
// writes it. A refusal must say what is wrong in one line and leave no file behind; a thumbnail
// must fit its size; and nothing but the package and the thumbnail may ever appear in the folder.
//
// The input's size picks the thumbnail size: 1, 16, 256 or 2048 pixels.
#include "FuzzSupport.h"
#include "ZipCrcFixer.h"

#include "opening/PackageThumbnail.h"

#include <QFile>

extern "C" std::size_t LLVMFuzzerCustomMutator(std::uint8_t* data, std::size_t size,
                                               std::size_t maxSize, unsigned int seed) {
    return fuzz::mutateMendingCrcs(data, size, maxSize, seed);
}

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    fuzz::startQt(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const QString base = fuzz::scratchBase("fuzz_thumbnail");
    static const int sizes[] = {1, 16, 256, 2048};
    const QString package = base + QStringLiteral("/x.360");
    const QString out = base + QStringLiteral("/x.png");
    fuzz::writeBytes(package, data, size);
    QFile::remove(out);

    const int side = sizes[size % 4];
    PackageThumbnail thumbnail;
    const bool made = thumbnail.make(package, side) && thumbnail.writePng(out);
    QStringList expected{QStringLiteral("x.360")};
    if (made) {
        const QImage& image = thumbnail.image();
        if (image.isNull() || image.width() > side || image.height() > side)
            fuzz::fail("a thumbnail that does not fit its size");
        expected.prepend(QStringLiteral("x.png"));
        expected.sort();
    } else if (thumbnail.problem().trimmed().isEmpty() ||
               thumbnail.problem().contains(QLatin1Char('\n'))) {
        fuzz::fail("a refusal that is not one line:", thumbnail.problem());
    }
    if (fuzz::entriesOf(base) != expected)
        fuzz::fail("unexpected files beside the package:",
                   fuzz::entriesOf(base).join(QLatin1Char(' ')));
    return 0;
}
