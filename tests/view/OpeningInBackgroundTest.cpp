// Through the real main window: a package's first picture is shown before the rest are held, the
// rest load behind it, and turning, Open, closing and a broken picture found late all behave
// while they do.
#include "ViewerFixture.h"
#include "opening/BackgroundLoading.h"
#include "pictures/PictureKeeper.h"
#include "support/HeadlessOpening.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QKeyEvent>
#include <QThread>
#include <algorithm>
#include <mutex>

namespace {

class OpeningInBackground : public Viewer {
protected:
    int held() const {
        int count = 0;
        for (int i = 0; i <= window.imgArray->upperBound(); ++i)
            count += window.imgArray->at(i) && window.imgArray->at(i)->picture() ? 1 : 0;
        return count;
    }
    // What the event loop does next for the user: the presses queued and the picture turned to.
    // The loading's news stays queued: taking it as fast as the workers post it could hold every
    // picture, and the loading ends (and is let go) before a test has looked at it.
    void settle() {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::KeyPress);
        QCoreApplication::sendPostedEvents(&window, QEvent::MetaCall);
    }
    void pressRight() {
        QCoreApplication::postEvent(window.HscrArray->bar(),
                                    new QKeyEvent(QEvent::KeyPress, Qt::Key_Right, {}));
    }
};

TEST_F(OpeningInBackground, TheFirstPictureIsShownAndTurningShowsPicturesNotHeldYet) {
    start(ringedPackage());
    ASSERT_EQ(prompter.messages, QStringList{});
    EXPECT_EQ(shownMember(), horizontal(0));
    EXPECT_TRUE(window.imgMain->isVisibleTo(&window));
    EXPECT_TRUE(window.HscrArray->isVisibleTo(&window));
    ASSERT_TRUE(window.loading());
    EXPECT_EQ(held(), 1); // only the event loop hands the others over
    EXPECT_TRUE(window.loadingProgress.window());

    for (const int position : {18, 35, 7}) {
        window.HscrArray->setValue(position);
        settle();
        EXPECT_EQ(shownMember(), horizontal(position)) << position;
    }
    window.HscrArray->setValue(9);
    window.VscrArray->setValue(window.VscrArray->value() + 1); // onto the upper ring's row 2
    settle();
    EXPECT_EQ(shownMember(), upper(9, 2));

    window.finishLoading();
    EXPECT_FALSE(window.loading());
    EXPECT_EQ(held(), package.pictureNames().size());
    EXPECT_EQ(window.loadingProgress.window(), nullptr);
    EXPECT_EQ(prompter.messages, QStringList{});
}

TEST_F(OpeningInBackground, AHeldKeyDecodesOnlyThePositionItHasComeTo) {
    TestPackage ring; // 178 .. 183 are among the last the loading comes to
    ring.horizontal = 360;
    ring.pictureSize = {640, 480}; // so that the loading takes a while on any machine
    start(ring);
    ASSERT_TRUE(window.loading());
    window.HscrArray->setValue(178);
    const int before = window.loading()->decodedHere();
    pressRight();
    QCoreApplication::sendPostedEvents(window.HscrArray->bar(), QEvent::KeyPress);
    for (int press = 0; press < 4; ++press) // the system's repeats, queued while it decodes
        pressRight();
    settle();
    ASSERT_TRUE(window.loading()) << "the loading ended before the presses were looked at";
    EXPECT_EQ(window.HscrArray->value(), 183);
    EXPECT_EQ(shownMember(), horizontal(183));
    // 183 alone, or none: the loading, told the positions ahead of 178, may have begun it.
    EXPECT_LE(window.loading()->decodedHere() - before, 1);
}

TEST_F(OpeningInBackground, TheLoadingDecodesThePositionsATurnReachesBeforeThoseItPassed) {
    // The turns made and the direction of the last one; 166 .. 194 are among the last the
    // loading's own order comes to (the neighbours of position 0 both ways first).
    struct Case {
        std::vector<int> turns;
        int step;
    };
    constexpr int kNear = 6;    // positions ahead looked at
    constexpr int kPassed = 12; // positions passed looked at, more than the loading is told
    for (const Case& turn : {Case{{178}, 1}, Case{{183, 182}, -1}}) {
        TestPackage ring;
        ring.horizontal = 360;
        ring.pictureSize = {640, 480}; // so that the loading takes a while on any machine
        start(ring);
        ASSERT_TRUE(window.loading());
        std::size_t before = 0; // the decodes begun before the last turn told the loading
        for (const int position : turn.turns) {
            window.HscrArray->setValue(position);
            // Taken once the turn has told the loading: a decode a worker began before it, in the
            // order of an earlier turn, is not this turn's.
            before = window.loading()->decodeOrder().size();
            settle();
            ASSERT_TRUE(window.loading()) << "the loading ended before the turn was looked at";
        }
        const int to = turn.turns.back();
        // The workers go on without the event loop, which would hold their pictures.
        std::vector<int> order;
        const auto begun = [&order](int slot) {
            const auto found = std::find(order.begin(), order.end(), slot);
            return found == order.end() ? -1 : int(found - order.begin());
        };
        for (int round = 0; round < 5000; ++round) {
            order = window.loading()->decodeOrder();
            int missing = 0;
            for (int k = -kPassed; k <= kPassed; ++k)
                missing += begun(to + k) < 0 ? 1 : 0;
            if (missing == 0)
                break;
            QThread::msleep(1);
        }
        order.erase(order.begin(), order.begin() + std::ptrdiff_t(before));
        int ahead = 0;
        for (int k = 1; k <= kNear; ++k) {
            const int next = begun(to + k * turn.step);
            ahead += next >= 0 ? 1 : 0;
            for (int j = 1; j <= kPassed && next >= 0; ++j) {
                const int passed = begun(to - j * turn.step); // -1: begun before the turn
                EXPECT_TRUE(passed < 0 || next < passed)
                    << to + k * turn.step << " after " << to - j * turn.step;
            }
        }
        // A loading slow enough that it had not come near the turn before it.
        EXPECT_GE(ahead, kNear - 2);
    }
}

// Held compressed, the pictures next are decoded ahead of the turn; those the loading holds only
// after the turn are decoded ahead as they come.
TEST_F(OpeningInBackground, PicturesNextHeldAfterTheTurnAreDecodedAhead) {
    settings.bOptUseRam = false;
    std::mutex mutex;
    std::vector<PicturePtr> ahead;
    window.pictureKeeper().watchDecodes([&](const PicturePtr& picture, int, bool forScreen) {
        const std::lock_guard<std::mutex> lock(mutex);
        if (!forScreen)
            ahead.push_back(picture);
    });
    TestPackage ring; // 179 .. 182 are among the last the loading comes to
    ring.horizontal = 360;
    ring.pictureSize = {640, 480};
    start(ring);
    ASSERT_TRUE(window.loading());
    window.HscrArray->setValue(178);
    settle();
    ASSERT_EQ(shownMember(), horizontal(178));
    window.finishLoading();
    QTest::qWait(50); // the keeper is told once the loading's news is taken
    window.pictureKeeper().waitForDone();
    const std::lock_guard<std::mutex> lock(mutex);
    for (const int next : {179, 180, 181, 182}) {
        const PicturePtr picture = window.imgArray->at(next)->picture();
        EXPECT_NE(std::find(ahead.begin(), ahead.end(), picture), ahead.end()) << next;
    }
}

TEST_F(OpeningInBackground, OpenAndCloseDuringTheLoadingLeaveNothingBehind) {
    start(ringedPackage());
    const QString first = window.sPackageDir;
    ASSERT_TRUE(window.loading());
    TestPackage small;
    small.horizontal = 20;
    small.baseName = QStringLiteral("small");
    start(small, QStringLiteral("small.360"));
    EXPECT_FALSE(QDir(first).exists());
    window.finishLoading();
    EXPECT_EQ(held(), 20);
    EXPECT_EQ(shownMember(), horizontal(0));

    start(ringedPackage());
    const QString second = window.sPackageDir;
    ASSERT_TRUE(window.loading());
    window.Form_Unload();
    EXPECT_FALSE(window.loading());
    EXPECT_FALSE(QDir(second).exists());
    QCoreApplication::processEvents(); // news from the loading stopped changes nothing
    EXPECT_EQ(prompter.messages, QStringList{});
}

TEST_F(OpeningInBackground, ABrokenPictureFoundLateGivesTheOpeningsMessageAndAnEmptyWindow) {
    TestPackage broken = ringedPackage();
    const QString late = horizontal(30);
    broken.omitMembers << late;
    broken.extraMembers[late] = QByteArray(300, 'x');
    // What the opening says of this package when it loads every picture before showing one.
    const Opened whole = openPackage(broken);
    ASSERT_FALSE(whole.ok);

    start(broken);
    ASSERT_EQ(prompter.messages, QStringList{});
    EXPECT_EQ(shownMember(), horizontal(0));
    const QString privateFolder = window.sPackageDir;
    // The event loop brings the news.
    for (int round = 0; round < 10000 && prompter.messages.isEmpty(); ++round)
        QTest::qWait(5);
    EXPECT_EQ(prompter.messages,
              QStringList{QString(whole.problem)
                              .replace(QStringLiteral("thing.360"), QStringLiteral("obj.360"))});
    EXPECT_FALSE(window.imgMain->isVisibleTo(&window));
    EXPECT_FALSE(window.HscrArray->isVisibleTo(&window));
    EXPECT_FALSE(window.hscrlZoom->isVisibleTo(&window));
    EXPECT_FALSE(window.imgMain->picture());
    EXPECT_EQ(held(), 0);
    EXPECT_FALSE(window.loading());
    EXPECT_EQ(window.loadingProgress.window(), nullptr);
    EXPECT_TRUE(window.sPackageDir.isEmpty());
    EXPECT_FALSE(QDir(privateFolder).exists());
}

// A package that stores its pictures uncompressed is read where it lies: no picture file is ever
// written to the private folder, and every position shows its own picture.
TEST_F(OpeningInBackground, APackageStoringItsPicturesIsReadWhereTheyLieAndNoneIsWritten) {
    TestPackage stored = ringedPackage();
    stored.storeUncompressed = true;
    stored.sound = QStringLiteral("tune.mp3");
    stored.soundBytes = sampleSoundBytes();
    start(stored);
    ASSERT_EQ(prompter.messages, QStringList{});
    const QDir privateFolder(window.sPackageDir);
    const auto files = [&privateFolder] {
        return privateFolder.entryList(QDir::Files | QDir::Hidden | QDir::System);
    };
    EXPECT_EQ(files(), QStringList{"tune.mp3"}); // as the first picture is shown
    EXPECT_EQ(shownMember(), horizontal(0));

    window.finishLoading();
    EXPECT_EQ(held(), stored.pictureNames().size());
    for (int position = 0; position < stored.horizontal; ++position) {
        window.HscrArray->setValue(position);
        settle();
        EXPECT_EQ(shownMember(), horizontal(position)) << position;
    }
    window.HscrArray->setValue(9);
    window.VscrArray->setValue(window.VscrArray->value() - 2); // the lower ring's row 3
    settle();
    EXPECT_EQ(shownMember(), lower(9, 3));
    EXPECT_EQ(files(), QStringList{"tune.mp3"});
    EXPECT_EQ(prompter.messages, QStringList{});
}

// A picture left in the package whose bytes do not match its CRC is found when it is loaded: the
// extraction's words for it, and the window left as a failed opening leaves it.
TEST_F(OpeningInBackground,
       APictureFailingItsChecksumLateGivesTheExtractionsWordsAndAnEmptyWindow) {
    TestPackage stored = ringedPackage();
    stored.storeUncompressed = true;
    const QString late = horizontal(30);
    const QString path = folder.file(QStringLiteral("obj.360"));
    ASSERT_TRUE(stored.write(path));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    QByteArray bytes = file.readAll();
    const QByteArray data = stored.pictureBytes(late);
    const qsizetype at = bytes.indexOf(data) + data.size() / 2;
    ASSERT_GT(at, data.size() / 2);
    bytes[at] = char(bytes[at] ^ 0x20);
    ASSERT_TRUE(file.seek(0) && file.write(bytes) == bytes.size());
    file.close();

    package = stored;
    window.sCommandFile = QLatin1Char('"') + path + QLatin1Char('"');
    window.bCommandFile = true;
    window.mnuOpen_Click();
    EXPECT_EQ(shownMember(), horizontal(0));
    const QString privateFolder = window.sPackageDir;
    for (int round = 0; round < 10000 && prompter.messages.isEmpty(); ++round)
        QTest::qWait(5);
    EXPECT_EQ(
        prompter.messages,
        QStringList{
            QStringLiteral("Cannot open obj.360.\n\n%1: damaged (checksum mismatch)").arg(late)});
    EXPECT_FALSE(window.imgMain->isVisibleTo(&window));
    EXPECT_FALSE(window.imgMain->picture());
    EXPECT_EQ(held(), 0);
    EXPECT_FALSE(window.loading());
    EXPECT_FALSE(QDir(privateFolder).exists());
}

} // namespace
