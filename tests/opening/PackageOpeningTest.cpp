// Opening packages without a window: slots, ring maps, counters, progress lines, refusals.
#include "opening/PackageOpening.h"
#include "format/OptionSettings.h"
#include "opening/FixedFreeMemory.h"
#include "opening/PrivateFolder.h"
#include "pictures/PictureKeeper.h"
#include "support/HeadlessOpening.h"
#include "support/QtPrinters.h"
#include "support/RecordingProgressSink.h"
#include "support/ScriptedPrompter.h"
#include "support/TempDir.h"
#include "support/TestFiles.h"
#include "support/TestPackage.h"

#include <QDir>
#include <QImage>
#include <gtest/gtest.h>

namespace {

std::vector<std::uint8_t> allNoRing(int n) {
    return std::vector<std::uint8_t>(static_cast<std::size_t>(n + 1), 255);
}

TEST(PackageOpening, HorizontalRingOnly) {
    TestPackage package;
    const Opened opened = openPackage(package);
    ASSERT_TRUE(opened.ok) << opened.problem.toStdString();
    ASSERT_EQ(opened.slots.pictures.size(), 37u);
    for (int i = 0; i < 36; ++i) {
        ASSERT_TRUE(opened.slots.at(i)) << i;
        EXPECT_EQ(
            opened.slots.at(i)->image().pixelColor(0, 0),
            TestPackage::colourFor(QStringLiteral("obj_H_%1.png").arg(i, 4, 10, QLatin1Char('0'))));
    }
    EXPECT_FALSE(opened.slots.at(36)); // the wrap-around slot holds no picture
    EXPECT_EQ(opened.slots.UpperRing, allNoRing(36));
    EXPECT_EQ(opened.slots.LowerRing, allNoRing(36));
    // Extraction counts every member, then the loading lines follow in order.
    EXPECT_EQ(opened.progress.first(), QStringLiteral("Uncompressing #1"));
    const int firstLoading =
        opened.progress.indexOf(QStringLiteral("Gyrolook: Loading Horizontal Image #1 of 36"));
    ASSERT_GT(firstLoading, 0);
    EXPECT_EQ(opened.progress.at(firstLoading - 1), QStringLiteral("Uncompressing #37"));
    EXPECT_EQ(opened.progress.last(),
              QStringLiteral("Gyrolook: Loading Horizontal Image #36 of 36"));
    EXPECT_TRUE(opened.leftInFolder.isEmpty()) << opened.leftInFolder.join(',').toStdString();
    EXPECT_EQ(opened.storage, PictureStorage::Decoded);
}

TEST(PackageOpening, UpperAndLowerRingsFillSlotsAndMaps) {
    TestPackage package;
    package.upper = {{0, 3}, {9, 3}, {18, 3}, {27, 3}};
    package.lower = {{0, 2}, {18, 2}};
    const Opened opened = openPackage(package);
    ASSERT_TRUE(opened.ok) << opened.problem.toStdString();
    EXPECT_EQ(opened.counters.bytVCount, 12);
    EXPECT_EQ(opened.counters.bytVColumns, 4);
    EXPECT_EQ(opened.counters.bytVRows, 3);
    EXPECT_EQ(opened.counters.bytMCount, 4);

    auto upper = allNoRing(36);
    upper[0] = 37;
    upper[9] = 40;
    upper[18] = 43;
    upper[27] = 46;
    auto lower = allNoRing(36);
    lower[0] = 49;
    lower[18] = 51;
    EXPECT_EQ(opened.slots.UpperRing, upper);
    EXPECT_EQ(opened.slots.LowerRing, lower);
    const struct {
        int slot;
        const char* member;
    } expected[] = {{37, "obj_V00_0002.png"}, {39, "obj_V00_0004.png"}, {40, "obj_V09_0002.png"},
                    {48, "obj_V27_0004.png"}, {49, "obj_M00_0002.png"}, {52, "obj_M18_0003.png"}};
    for (const auto& e : expected) {
        ASSERT_TRUE(opened.slots.at(e.slot)) << e.slot;
        EXPECT_EQ(opened.slots.at(e.slot)->image().pixelColor(0, 0),
                  TestPackage::colourFor(QString::fromLatin1(e.member)))
            << e.slot;
    }
    EXPECT_TRUE(
        opened.progress.contains(QStringLiteral("Gyrolook: Loading Vertical Image #1 of 12")));
    EXPECT_TRUE(
        opened.progress.contains(QStringLiteral("Gyrolook: Loading Vertical Image #12 of 12")));
    EXPECT_EQ(opened.progress.last(),
              QStringLiteral("Gyrolook: Loading Lower Vertical Image #4 of 4"));
    EXPECT_TRUE(opened.leftInFolder.isEmpty());
}

TEST(PackageOpening, OptionsSteerRingsAndStorage) {
    TestPackage package;
    package.upper = TestPackage::evenRings(36, 3, 2);
    OptionSettings noRings;
    noRings.bOptLoadVertical = false;
    const Opened flat = openPackage(package, kPlenty, noRings);
    ASSERT_TRUE(flat.ok) << flat.problem.toStdString();
    EXPECT_EQ(flat.slots.heldCount(), 36);
    EXPECT_EQ(flat.slots.UpperRing, allNoRing(36));

    OptionSettings compressed;
    compressed.bOptUseRam = false;
    const Opened held = openPackage(package, kPlenty, compressed);
    ASSERT_TRUE(held.ok) << held.problem.toStdString();
    EXPECT_EQ(held.storage, PictureStorage::Compressed);
    ASSERT_TRUE(held.slots.at(44)); // columns 0, 3, 6, 9 of two rows each: 37 ... 44
    EXPECT_FALSE(held.slots.at(44)->isDecoded());
    EXPECT_EQ(held.slots.at(44)->image().pixelColor(1, 1),
              TestPackage::colourFor(QStringLiteral("obj_V09_0003.png")));
}

TEST(PackageOpening, MemoryGate) {
    TestPackage package; // 36 pictures of 32 x 24
    const qint64 decoded = 36 * 32 * 24 * 3 + 10'000'000;
    const Opened fits = openPackage(package, decoded + 1);
    EXPECT_TRUE(fits.ok);
    EXPECT_EQ(fits.storage, PictureStorage::Decoded);
    const Opened equal = openPackage(package, decoded);
    EXPECT_TRUE(equal.ok);
    EXPECT_EQ(equal.storage, PictureStorage::Compressed);
    const Opened none = openPackage(package, 10'000'000);
    EXPECT_FALSE(none.ok);
    EXPECT_TRUE(none.problem.startsWith(
        QStringLiteral("Sorry, not enough space in memory to load these images. Space available = "
                       "10000000. Space required = ")));
    EXPECT_EQ(none.slots.heldCount(), 0);
}

TEST(PackageOpening, LittleFreeMemoryShrinksTheDecodesKeptOrRefuses) {
    // 36 pictures of 32 x 24 held compressed: beside their bytes, the two latest decodes must fit;
    // the decodes kept beyond them get half of what is left.
    TestPackage package;
    OptionSettings compressed;
    compressed.bOptUseRam = false;
    const Opened plenty = openPackage(package, kPlenty, compressed);
    ASSERT_TRUE(plenty.ok) << plenty.problem.toStdString();
    EXPECT_EQ(plenty.keptDecodeCap, PictureKeeper::kMostKeptBytes);
    const qint64 needed =
        std::min<qint64>(36 * qint64(plenty.counters.sngMaxFileLen), 36 * 32 * 24 * 3) +
        10'000'000 + 2 * 32 * 24 * 4;
    const struct {
        qint64 free;
        bool ok;
        qint64 cap;
    } cases[] = {{needed + 2'000'000, true, 1'000'000}, {needed + 1, true, 0}, {needed, false, 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.free);
        const Opened opened = openPackage(package, c.free, compressed);
        EXPECT_EQ(opened.ok, c.ok) << opened.problem.toStdString();
        EXPECT_EQ(opened.keptDecodeCap, c.cap);
        if (!c.ok) {
            EXPECT_TRUE(opened.problem.endsWith(QStringLiteral("Space required = %1").arg(needed)))
                << opened.problem.toStdString();
        }
    }
}

TEST(PackageOpening, APictureLargerThanTheFreeMemoryIsHeldCompressed) {
    // The estimate goes by picture 0. A later picture larger than it would take memory the check
    // did not count: it is refused by the size its header gives, before any decode, and named.
    // A smaller one takes less than it is counted for and opens; one that passes the memory left
    // to it all the same (a decode at another screen level) is held as its file's bytes.
    TestPackage package;
    package.pictureSize = QSize(640, 480);
    QImage huge(2000, 2000, QImage::Format_RGB32);
    huge.fill(Qt::blue);
    const QString last = QStringLiteral("obj_H_0035.png");
    package.omitMembers << last;
    package.extraMembers[last] = encodeImage(huge, "PNG");
    const qint64 held = 36 * 640 * 480 * 4;
    const Opened refused = openPackage(package, held + 5'000'000);
    EXPECT_FALSE(refused.ok);
    EXPECT_TRUE(refused.problem.endsWith(
        QStringLiteral("The picture obj_H_0035.png is 2000 x 2000 pixels, larger than the first "
                       "picture obj_H_0000.png (640 x 480): no picture of a package may be larger "
                       "than its first.")))
        << refused.problem.toStdString();
    EXPECT_EQ(refused.slots.heldCount(), 0);

    QImage small(640, 2, QImage::Format_RGB32);
    small.fill(Qt::blue);
    package.extraMembers[last] = encodeImage(small, "PNG");
    const Opened opened = openPackage(package, held + 5'000'000);
    ASSERT_TRUE(opened.ok) << opened.problem.toStdString();
    EXPECT_EQ(opened.slots.at(35)->size(), QSize(640, 2));
    EXPECT_EQ(opened.slots.at(35)->image().pixelColor(639, 1), QColor(Qt::blue));
}

TEST(PackageOpening, RefusalsNameThePackageAndTheProblem) {
    const struct {
        const char* name;
        std::function<void(TestPackage&)> damage;
        const char* problem;
    } cases[] = {
        {"missing horizontal picture",
         [](TestPackage& p) { p.omitMembers << QStringLiteral("obj_H_0007.png"); },
         "obj_H_0007.png is missing"},
        {"missing ring picture",
         [](TestPackage& p) {
             p.upper = {{0, 2}, {18, 2}};
             p.omitMembers << QStringLiteral("obj_V18_0003.png");
         },
         "obj_V18_0003.png is missing"},
        {"no horizontal picture", [](TestPackage& p) { p.horizontal = 0; },
         "no horizontal picture"},
        {"no row-2 picture",
         [](TestPackage& p) {
             p.upper = {{0, 2}};
             p.omitMembers << QStringLiteral("obj_V00_0002.png");
         },
         "vertical pictures"},
        {"undecodable picture",
         [](TestPackage& p) {
             p.omitMembers << QStringLiteral("obj_H_0003.png");
             p.extraMembers[QStringLiteral("obj_H_0003.png")] = QByteArray("\x89PNG not really");
         },
         "obj_H_0003.png cannot be decoded"},
        {"first picture not a picture",
         [](TestPackage& p) {
             p.omitMembers << QStringLiteral("obj_H_0000.png");
             p.extraMembers[QStringLiteral("obj_H_0000.png")] = QByteArray("plain text");
         },
         "obj_H_0000.png is not a GIF, JPEG, PNG or BMP picture"},
        {"too many slots for rings",
         [](TestPackage& p) {
             p.horizontal = 240;
             p.upper = TestPackage::evenRings(240, 20, 2);
         },
         "at most 254"},
        {"no descriptor", [](TestPackage& p) { p.withDescriptor = false; }, "no descriptor"},
    };
    for (const auto& c : cases) {
        TestPackage package;
        c.damage(package);
        const Opened opened = openPackage(package);
        EXPECT_FALSE(opened.ok) << c.name;
        EXPECT_TRUE(opened.problem.startsWith(QStringLiteral("Cannot open thing.360.")))
            << c.name << ": " << opened.problem.toStdString();
        EXPECT_TRUE(opened.problem.contains(QString::fromLatin1(c.problem)))
            << c.name << ": " << opened.problem.toStdString();
        EXPECT_EQ(opened.slots.heldCount(), 0) << c.name;
    }
}

TEST(PackageOpening, SoundMemberStaysAndIsResolved) {
    TestPackage package;
    package.sound = QStringLiteral("Engine Sound.mp3");
    package.soundBytes = sampleSoundBytes();
    const Opened opened = openPackage(package);
    ASSERT_TRUE(opened.ok) << opened.problem.toStdString();
    const QString shortName = opened.soundShortName;
    EXPECT_FALSE(shortName.isEmpty());
    EXPECT_FALSE(shortName.contains(QLatin1Char(' ')));
    EXPECT_TRUE(opened.leftInFolder.contains(shortName));
    EXPECT_FALSE(opened.leftInFolder.contains(QStringLiteral("info.ini")));
    EXPECT_EQ(opened.progress.first(), QStringLiteral("Uncompressing #1"));
}

} // namespace
