// Pictures a package stores uncompressed are left in it: the extraction counts and shows them as
// it always did but writes none of them, the loader reads them where they lie, and a member whose
// bytes do not match its CRC is refused in the extraction's own words.
#include "support/HeadlessOpening.h"

#include "archive/MemberCopy.h"
#include "format/MemberNames.h"
#include "support/QtPrinters.h"

#include <QFile>

namespace {

struct Steps {
    bool extracted = false;
    QStringList written; // what the folder holds right after the extraction
    int left = 0;
    QString extractionMessage;
    Opened opened;
};

// Runs the opening's steps one by one, with pictures left in the package or written.
Steps openSteps(const QString& path, bool inPackage) {
    PrivateFolder folder(QFileInfo(path).absolutePath());
    packageCounters().reset();
    RecordingProgressSink progress;
    ScriptedPrompter prompter;
    FixedFreeMemory memory(kPlenty);
    const OptionSettings options;
    PackageOpening opening(progress, prompter, memory, options);
    opening.setPicturesInPackage(inPackage);
    Steps steps;
    steps.extracted = opening.extract(path, folder.path());
    steps.written = QDir(folder.path()).entryList(QDir::Files | QDir::NoDotAndDotDot);
    steps.left = opening.picturesLeftInPackage();
    steps.extractionMessage = opening.extractionMessage();
    Opened& o = steps.opened;
    o.ok = steps.extracted && opening.readDescriptor() && opening.probeFirstPicture() &&
           opening.checkMemory() && opening.loadPictures(o.slots);
    o.problem = opening.problem();
    o.progress = progress.messages;
    o.counters = opening.counters();
    o.leftInFolder = QDir(folder.path()).entryList(QDir::Files | QDir::NoDotAndDotDot);
    return steps;
}

TestPackage ringed(bool stored) {
    TestPackage p;
    p.extension = QStringLiteral(".bmp"); // pictures larger than the descriptor, and no checksum
    p.horizontal = 12;
    p.upper = TestPackage::evenRings(12, 3, 2);
    p.lower = TestPackage::evenRings(12, 4, 1);
    p.sound = QStringLiteral("tune.mp3");
    p.soundBytes = QByteArray(100, 's'); // smaller than any picture
    p.storeUncompressed = stored;
    return p;
}

// Flips one byte in the middle of a member's data, where the package file holds it.
bool spoil(const QString& path, const QByteArray& data) {
    QFile file(path);
    if (!file.open(QIODevice::ReadWrite))
        return false;
    QByteArray bytes = file.readAll();
    const qsizetype at = bytes.indexOf(data);
    if (at < 0 || bytes.indexOf(data, at + 1) >= 0)
        return false;
    bytes[at + data.size() / 2] = char(bytes[at + data.size() / 2] ^ 0x20);
    return file.seek(0) && file.write(bytes) == bytes.size();
}

// Left or written, the same package counts, shows and holds the same; left, no picture is written.
TEST(PicturesInPackage, LeftPicturesAreCountedShownAndHeldAsWrittenOnesButNeverWritten) {
    for (const bool stored : {true, false}) {
        SCOPED_TRACE(stored ? "stored" : "deflated");
        const TestPackage package = ringed(stored);
        TempDir dir;
        const QString path = dir.file(QStringLiteral("thing.360"));
        ASSERT_TRUE(package.write(path));
        const Steps left = openSteps(path, true);
        const Steps written = openSteps(path, false);
        ASSERT_TRUE(left.opened.ok) << left.opened.problem.toStdString();
        ASSERT_TRUE(written.opened.ok) << written.opened.problem.toStdString();

        const int pictures = int(package.pictureNames().size());
        EXPECT_EQ(left.left, stored ? pictures : 0);
        EXPECT_EQ(written.left, 0);
        EXPECT_EQ(left.written, stored ? QStringList({"info.ini", "tune.mp3"}) : written.written);
        EXPECT_EQ(written.written.size(), pictures + 2);

        EXPECT_EQ(left.opened.progress, written.opened.progress);
        EXPECT_TRUE(
            left.opened.progress.contains(QStringLiteral("Uncompressing #%1").arg(pictures + 2)));
        const PackageCounters& a = left.opened.counters;
        const PackageCounters& b = written.opened.counters;
        EXPECT_EQ(std::tuple(a.sngUnzipCount, a.sngHCount, a.sngMaxFileLen, a.bytVCount,
                             a.bytVColumns, a.bytVRows, a.bytMCount, a.bytMColumns, a.bytMRows),
                  std::tuple(b.sngUnzipCount, b.sngHCount, b.sngMaxFileLen, b.bytVCount,
                             b.bytVColumns, b.bytVRows, b.bytMCount, b.bytMColumns, b.bytMRows));
        const QString first = horizontalMemberName(package.baseName, 0, package.extension);
        EXPECT_EQ(a.sngMaxFileLen, float(package.pictureBytes(first).size()));

        ASSERT_EQ(left.opened.slots.pictures.size(), written.opened.slots.pictures.size());
        for (std::size_t slot = 0; slot < left.opened.slots.pictures.size(); ++slot) {
            const PicturePtr& one = left.opened.slots.pictures[slot];
            const PicturePtr& other = written.opened.slots.pictures[slot];
            ASSERT_EQ(bool(one), bool(other)) << slot;
            if (one)
                EXPECT_EQ(one->image(), other->image()) << slot;
        }
        EXPECT_EQ(left.opened.leftInFolder, QStringList{"tune.mp3"});
    }
}

// A member left in the package whose bytes do not match its CRC is refused when the loader first
// reads it, in the words the extraction gives such a member when it writes it.
TEST(PicturesInPackage, AMemberThatFailsItsChecksumIsRefusedInTheExtractionsWords) {
    const TestPackage package = ringed(true);
    const QString late =
        verticalMemberName(package.baseName, RingKind::Lower, 8, 2, package.extension);
    TempDir dir;
    const QString path = dir.file(QStringLiteral("thing.360"));
    ASSERT_TRUE(package.write(path));
    ASSERT_TRUE(spoil(path, package.pictureBytes(late)));

    const QString line =
        late + QStringLiteral(": ") + QString::fromStdString(describeMemberError(ZIP_ER_CRC, 0));
    const Steps written = openSteps(path, false);
    EXPECT_FALSE(written.extracted);
    EXPECT_TRUE(written.extractionMessage.startsWith(line + QStringLiteral("\r\n")))
        << written.extractionMessage.toStdString();

    const Steps left = openSteps(path, true);
    EXPECT_TRUE(left.extracted);
    EXPECT_FALSE(left.opened.ok);
    EXPECT_EQ(left.opened.problem, PackageOpening::refusal(QStringLiteral("thing.360"), line));
    EXPECT_TRUE(left.opened.slots.pictures.empty());
}

} // namespace
