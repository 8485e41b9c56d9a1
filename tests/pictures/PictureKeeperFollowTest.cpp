// What the keeper decodes of a photo with a screen level as the window tells it what it shows
// (follow()), with a real event loop: the whole photo after the view rests on it, and first of
// all when it is zoomed past the level.
#include "pictures/PictureKeeper.h"

#include "pictures/DecodedBytes.h"

#include "support/JpegFiles.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QThread>
#include <algorithm>
#include <functional>
#include <mutex>
#include <utility>
#include <vector>

namespace {

constexpr QSize kNatural(640, 480);
constexpr QSize kLevel(320, 240); // held at 1/2, as the opening holds a photo past the screen

class PictureKeeperFollow : public testing::Test {
protected:
    // Photos held at their screen level, as the opening holds camera photos: the level's pixels
    // and the file's bytes.
    PictureKeeperFollow() {
        const QByteArray jpeg = rampJpeg(kNatural);
        QImage level(kLevel, QImage::Format_RGB32);
        level.fill(Qt::darkCyan);
        for (int i = 0; i < 4; ++i)
            photos.push_back(Picture::fromLevel({level, nullptr}, jpeg, kNatural, 2));
    }

    // The decodes the keeper begins, in order: which photo (its index) and at which scale.
    void watch(PictureKeeper& keeper) {
        keeper.watchDecodes([this](const PicturePtr& picture, int scale, bool) {
            std::lock_guard<std::mutex> lock(mutex);
            const auto at = std::find(photos.begin(), photos.end(), picture);
            begun.emplace_back(int(at - photos.begin()), scale);
        });
    }
    std::vector<std::pair<int, int>> begunSoFar() {
        std::lock_guard<std::mutex> lock(mutex);
        return begun;
    }
    std::vector<PicturePtr> others(int shown) const {
        std::vector<PicturePtr> next;
        for (int i = 0; i < int(photos.size()); ++i)
            if (i != shown)
                next.push_back(photos[std::size_t(i)]);
        return next;
    }
    bool wholeKept(const PictureKeeper& keeper, int i) const {
        return !keeper.kept(photos[std::size_t(i)], 1).isNull();
    }

    // Runs the event loop until `done` holds; false when it still does not after 10 s.
    static bool runEventsUntil(const std::function<bool()>& done) {
        const QDeadlineTimer deadline(10'000);
        while (!done() && !deadline.hasExpired()) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
            QThread::msleep(5);
        }
        return done();
    }

    int argc = 1;
    char name[8] = "keeper";
    char* argv[2] = {name, nullptr};
    QCoreApplication app{argc, argv}; // before the keepers: their timers need its event loop
    std::vector<PicturePtr> photos;
    std::mutex mutex;
    std::vector<std::pair<int, int>> begun;
};

// Resting at the screen level on the photo shown last decodes it whole once the rest is over,
// and nothing else: the photos next hold their level, a photo turned past before the rest ends
// is not decoded.
TEST_F(PictureKeeperFollow, RestingOnAPhotoDecodesItWhole) {
    const struct {
        const char* what;
        std::vector<int> shown; // told one after the other, without the event loop between
    } cases[] = {{"one photo", {1}}, {"turned on before the rest", {1, 2}}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        begun.clear();
        PictureKeeper keeper;
        watch(keeper);
        for (const int i : c.shown)
            keeper.follow(photos[std::size_t(i)], kLevel, true, others(i), QRect());
        const int rested = c.shown.back();
        EXPECT_TRUE(begunSoFar().empty()); // the rest waits for the event loop
        EXPECT_TRUE(runEventsUntil([&] { return wholeKept(keeper, rested); }));
        keeper.waitForDone();
        EXPECT_EQ(begunSoFar(), (std::vector<std::pair<int, int>>{{rested, 1}}));
    }
}

// Zoomed past the level, the shown photo's whole decode is asked for before those of the photos
// next: decoded first, and the one made when half the byte cap holds one decode.
TEST_F(PictureKeeperFollow, ZoomedPastTheLevelTheShownPhotoIsDecodedFirst) {
    const qint64 whole = decodedPictureBytes(kNatural.width(), kNatural.height());
    const struct {
        const char* what;
        qint64 cap;
        std::vector<std::pair<int, int>> begun;
    } cases[] = {
        {"room for all", PictureKeeper::kMostKeptBytes, {{0, 1}, {1, 1}, {2, 1}, {3, 1}}},
        {"room for one", 2 * whole + 1, {{0, 1}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        begun.clear();
        PictureKeeper keeper(c.cap, 1); // one worker: the order begun is the order asked for
        watch(keeper);
        keeper.follow(photos[0], kNatural, false, others(0), QRect(QPoint(100, 80), kLevel));
        EXPECT_TRUE(begunSoFar().empty()); // once the zoom is painted
        QCoreApplication::processEvents();
        keeper.waitForDone();
        EXPECT_EQ(begunSoFar(), c.begun);
        EXPECT_TRUE(wholeKept(keeper, 0));
    }
}

} // namespace
