// Opens the input as a package the way the viewer does, without a window: extraction into a
// private folder, descriptor, layout checks, probe, memory check and picture loading. A refusal
// must say what is wrong; an opening that succeeds must hold a picture in every slot its rings
// point at; and once the private folder is gone nothing may be left beside the package, and the
// decoy pictures beside it (files of the user that a descriptor could try to reach with "../")
// must be untouched.
//
// The input's size picks the variant: bit 0 holds the pictures compressed instead of decoded,
// bit 1 leaves the vertical rings out.
#include "FuzzSupport.h"
#include "ZipCrcFixer.h"

#include "format/Navigation.h"
#include "format/OptionSettings.h"
#include "format/PackageCounters.h"
#include "format/ProgressSink.h"
#include "opening/FixedFreeMemory.h"
#include "opening/PackageOpening.h"
#include "opening/PrivateFolder.h"

#include <QFileInfo>
#include <algorithm>

namespace {

constexpr qint64 kFreeMemory = qint64(2) << 30;

// A tiny valid GIF: what a user's picture next to the private folder could be.
const char kDecoy[] =
    "GIF89a\x01\x00\x01\x00\x00\x00\x00,\x00\x00\x00\x00\x01\x00\x01\x00\x00\x02\x00;";
const QStringList kDecoyNames{QStringLiteral("decoy_H_0000.gif"),
                              QStringLiteral("decoy_V00_0002.gif")};

void plantDecoys(const QString& base) {
    for (const QString& name : kDecoyNames) {
        const QString path = base + QLatin1Char('/') + name;
        if (QFileInfo(path).size() != qint64(sizeof kDecoy - 1))
            fuzz::writeBytes(path, reinterpret_cast<const std::uint8_t*>(kDecoy),
                             sizeof kDecoy - 1);
    }
}

void checkRing(const std::vector<std::uint8_t>& ring, int n, int first, int count) {
    if (ring.size() != static_cast<std::size_t>(n + 1))
        fuzz::fail("a ring map of the wrong length");
    for (std::uint8_t slot : ring)
        if (slot != navigation::kNoRing && (slot < first || slot >= first + count))
            fuzz::fail("a ring map points outside its rings:", QString::number(slot));
}

void checkHeld(const PictureSlots& slots, int slot) {
    const PicturePtr picture = slots.at(slot);
    if (!picture)
        fuzz::fail("an empty slot after a successful opening:", QString::number(slot));
    if (picture->size().isEmpty())
        fuzz::fail("a picture without pixels in slot", QString::number(slot));
}

// The horizontal slots and the rows that the rings' geometry names must hold pictures; ring slots
// beyond those (counted pictures that no row reaches) stay empty, and no ring map points there.
void checkOpened(const PackageOpening& opening, const PictureSlots& slots) {
    const int n = opening.horizontalCount();
    const int upper = opening.upperCount();
    const int lower = opening.lowerCount();
    if (slots.pictures.size() != static_cast<std::size_t>(n + 1 + upper + lower))
        fuzz::fail("slot count does not match the rings");
    for (int slot = 0; slot < n; ++slot)
        checkHeld(slots, slot);
    const int upperRows =
        upper > 0
            ? static_cast<int>(opening.upperGeometry().members(opening.counters().bytVRows).size())
            : 0;
    const int lowerRows =
        lower > 0
            ? static_cast<int>(opening.lowerGeometry().members(opening.counters().bytMRows).size())
            : 0;
    for (int i = 0; i < std::min(upper, upperRows); ++i)
        checkHeld(slots, n + 1 + i);
    for (int i = 0; i < std::min(lower, lowerRows); ++i)
        checkHeld(slots, n + 1 + upper + i);
    checkRing(slots.UpperRing, n, n + 1, upper);
    checkRing(slots.LowerRing, n, n + upper + 1, lower);
    for (const auto* ring : {&slots.UpperRing, &slots.LowerRing})
        for (std::uint8_t slot : *ring)
            if (slot != navigation::kNoRing)
                checkHeld(slots, slot);
    if (opening.pictureWidth() <= 0 || opening.pictureHeight() <= 0)
        fuzz::fail("an opened package without a picture size");
}

} // namespace

// Most mutations are followed by mending the checksums of stored members, so that changes inside
// the descriptor and the pictures get past the extraction.
extern "C" std::size_t LLVMFuzzerCustomMutator(std::uint8_t* data, std::size_t size,
                                               std::size_t maxSize, unsigned int seed) {
    return fuzz::mutateMendingCrcs(data, size, maxSize, seed);
}

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    fuzz::startQt(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const QString base = fuzz::scratchBase("fuzz_open");
    plantDecoys(base);
    const QString package = base + QStringLiteral("/x.360");
    fuzz::writeBytes(package, data, size);

    OptionSettings options;
    options.bOptUseRam = !(size & 1);
    options.bOptLoadVertical = !(size & 2);
    packageCounters().reset();
    NullProgressSink progress;
    fuzz::CancelPrompter prompter;
    FixedFreeMemory memory(kFreeMemory);
    {
        PrivateFolder folder(base);
        if (!folder.isValid())
            fuzz::fail("no private folder:", folder.errorString());
        PackageOpening opening(progress, prompter, memory, options);
        PictureSlots slots;
        if (opening.runAll(package, folder.path(), slots))
            checkOpened(opening, slots);
        else if (opening.problem().trimmed().isEmpty())
            fuzz::fail("a refused package without a message");
    }
    QStringList expected = kDecoyNames;
    expected << QStringLiteral("x.360");
    expected.sort();
    if (fuzz::entriesOf(base) != expected)
        fuzz::fail("something was left or removed beside the package:",
                   fuzz::entriesOf(base).join(QLatin1Char(' ')));
    for (const QString& name : kDecoyNames)
        if (QFileInfo(base + QLatin1Char('/') + name).size() != qint64(sizeof kDecoy - 1))
            fuzz::fail("a file beside the private folder was changed:", name);
    return 0;
}
