// What is decoded ahead of compressed turning, in which order, and what is kept.
#include "pictures/PictureKeeper.h"

#include "pictures/DecodedBytes.h"
#include "pictures/JpegDecoder.h"

#include "support/TestFiles.h"

#include <gtest/gtest.h>

#include <QImage>
#include <algorithm>
#include <mutex>
#include <vector>

namespace {

std::vector<PicturePtr> compressedPictures(int count) {
    QImage image(16, 8, QImage::Format_RGB32);
    image.fill(Qt::darkCyan);
    const QByteArray jpeg = encodeImage(image, "JPEG");
    std::vector<PicturePtr> pictures;
    for (int i = 0; i < count; ++i)
        pictures.push_back(Picture::fromEncoded(jpeg, image.size()));
    return pictures;
}

// A ring of 12 columns; rings branch off at columns 0, 3, 6 and 9: one upper row (slots 13 ..
// 16) and one lower row (17 .. 20).
std::optional<int> ringSlot(int h, int v) {
    if (v == 1)
        return h;
    if (h % 3 != 0 || h >= 12 || v < 0 || v > 2)
        return std::nullopt;
    return (v == 2 ? 13 : 17) + h / 3;
}

TEST(PictureKeeper, SlotsAheadFollowTheTurnThenTheOtherRings) {
    const struct {
        const char* what;
        int h, v;
        bool forward;
        int hCount;
        std::vector<int> slots;
    } cases[] = {
        {"forward on the ring", 4, 1, true, 12, {5, 6, 7, 8}},
        {"after a reversal", 4, 1, false, 12, {3, 2, 1, 0}},
        {"wrapping round forward", 10, 1, true, 12, {11, 0, 1, 2}},
        {"wrapping round back", 1, 1, false, 12, {0, 11, 10, 9}},
        {"with the rings above and below", 3, 1, true, 12, {4, 5, 6, 7, 14, 18}},
        {"up a ring, a step is three columns", 3, 2, true, 12, {15, 16, 13, 14, 3}},
        {"up a ring, turned back", 3, 2, false, 12, {13, 16, 15, 14, 3}},
        {"down a ring", 9, 0, true, 12, {17, 18, 19, 20, 9}},
        {"a column without the ring: the horizontal ring on", 9, 2, true, 14, {12, 13, 0, 1, 9}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const TurnPosition at{c.h, c.v, c.forward, c.hCount, ringSlot};
        EXPECT_EQ(PictureKeeper::slotsAhead(at), c.slots);
    }
    const TurnPosition outside{12, 1, true, 12, ringSlot};
    EXPECT_TRUE(PictureKeeper::slotsAhead(outside).empty());
}

// The order ahead on an upper ring of one row that branches off at `columns` of a horizontal ring
// of n, as the viewer turns there: a turn moves the user's step and two columns more, a step past
// either end wraps first, the bar clamps at the ends (n forward, which is column 0; -1 backward,
// which is the horizontal ring's last column), and where the column reached has no ring the view
// is back on the horizontal ring, whose next turns move one column each. The cases are worked out
// by hand from those rules.
TEST(PictureKeeper, SlotsAheadOnAVerticalRingTurnAsTheViewerTurns) {
    const struct {
        const char* what;
        int n;
        std::vector<int> columns; // with a ring; their slots follow the horizontal ring's
        int h;
        bool forward;
        std::vector<int> slots;
    } cases[] = {
        {"round the ring and on", 12, {0, 3, 6, 9}, 6, true, {15, 12, 13, 14, 6}},
        {"forward the bar stops at the end: column 0", 8, {0, 3, 6}, 3, true, {10, 8, 9, 3}},
        {"past the end the wrap comes first: between rings",
         10,
         {0, 3, 6, 9},
         9,
         true,
         {2, 3, 4, 5, 9}},
        {"back past the start, then between rings", 10, {0, 3, 6, 9}, 3, false, {10, 7, 6, 5, 3}},
        {"back the bar stops at -1: the last column", 9, {1, 4, 7}, 1, false, {8, 7, 6, 5, 1}},
        {"a column on the way without the ring", 12, {0, 3, 9}, 3, true, {6, 7, 8, 9, 3}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const auto slotFor = [&c](int h, int v) -> std::optional<int> {
            if (v == 1)
                return h;
            const auto ring = std::find(c.columns.begin(), c.columns.end(), h);
            if (v != 2 || ring == c.columns.end())
                return std::nullopt;
            return c.n + int(ring - c.columns.begin());
        };
        const TurnPosition at{c.h, 2, c.forward, c.n, slotFor};
        EXPECT_EQ(PictureKeeper::slotsAhead(at), c.slots);
    }
}

// The rule of what is kept, played as a sequence: each step keeps a decode (shown or ahead) or
// asks for one again; then the pictures whose decodes are still kept.
TEST(PictureKeeper, KeepsThePinnedPictureAndThoseAskedForAgain) {
    const std::vector<PicturePtr> p = compressedPictures(6);
    enum Op { Ahead, Shown, Again };
    const struct {
        const char* what;
        std::size_t most;
        qint64 cap;
        std::vector<std::pair<Op, int>> steps;
        std::vector<bool> kept;
    } cases[] = {
        {"the least recently used goes",
         3,
         1000,
         {{Ahead, 0}, {Ahead, 1}, {Ahead, 2}, {Ahead, 3}},
         {false, true, true, true, false, false}},
        {"the shown picture is pinned",
         3,
         1000,
         {{Shown, 0}, {Ahead, 1}, {Ahead, 2}, {Ahead, 3}, {Ahead, 4}},
         {true, false, false, true, true, false}},
        {"asked for again outlasts one left behind",
         3,
         1000,
         {{Ahead, 0}, {Ahead, 1}, {Ahead, 2}, {Again, 0}, {Ahead, 3}},
         {true, false, true, true, false, false}},
        {"bytes past the cap go, beyond the latest two",
         6,
         250,
         {{Ahead, 0}, {Ahead, 1}, {Ahead, 2}, {Ahead, 3}},
         {false, false, true, true, false, false}},
        {"the latest two stay whatever the cap",
         6,
         0,
         {{Ahead, 0}, {Ahead, 1}, {Ahead, 2}},
         {false, true, true, false, false, false}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        KeptDecodes kept(c.most, c.cap);
        for (const auto& [op, i] : c.steps) {
            if (op == Again)
                kept.askAgain(p[std::size_t(i)]);
            else
                kept.keep(p[std::size_t(i)], p[std::size_t(i)]->decodeAtLevel(), 100, op == Shown);
        }
        for (std::size_t i = 0; i < p.size(); ++i)
            EXPECT_EQ(!kept.find(p[i]).isNull(), c.kept[i]) << i;
    }
}

// Only as many pictures ahead as half the byte cap holds are decoded (the nearest, one at least),
// so that big pictures ahead do not push one another out before they are shown.
TEST(PictureKeeper, DecodesAsManyAheadAsHalfTheCapHolds) {
    const qint64 oneDecode = decodedPictureBytes(16, 8);
    const struct {
        qint64 cap;
        int kept;
    } cases[] = {{PictureKeeper::kMostKeptBytes, 6}, {oneDecode * 4, 2}, {0, 1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.cap);
        const std::vector<PicturePtr> next = compressedPictures(6);
        PictureKeeper keeper(c.cap);
        keeper.ahead(next);
        keeper.waitForDone();
        for (int i = 0; i < 6; ++i)
            EXPECT_EQ(!keeper.kept(next[std::size_t(i)]).isNull(), i < c.kept) << i;
        EXPECT_EQ(keeper.shownDecodes(), 0);
    }
}

// The pictures ahead are decoded nearest first (one worker, so the order begun is the order
// handed over), those kept already not again.
TEST(PictureKeeper, DecodesAheadNearestFirst) {
    const std::vector<PicturePtr> p = compressedPictures(6);
    const struct {
        const char* what;
        std::vector<int> before; // decoded ahead first
        std::vector<int> next;
        std::vector<int> decoded; // then, in this order
    } cases[] = {
        {"all of them", {}, {0, 1, 2, 3, 4, 5}, {0, 1, 2, 3, 4, 5}},
        {"from the far end", {}, {5, 3, 1}, {5, 3, 1}},
        {"some kept already", {1, 3}, {2, 1, 4, 3, 0}, {2, 4, 0}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        PictureKeeper keeper(PictureKeeper::kMostKeptBytes, 1);
        auto pictures = [&p](const std::vector<int>& indices) {
            std::vector<PicturePtr> list;
            for (const int i : indices)
                list.push_back(p[std::size_t(i)]);
            return list;
        };
        keeper.ahead(pictures(c.before));
        keeper.waitForDone();
        std::mutex mutex;
        std::vector<PicturePtr> begun;
        keeper.watchDecodes([&](const PicturePtr& picture, int, bool) {
            std::lock_guard<std::mutex> lock(mutex);
            begun.push_back(picture);
        });
        keeper.ahead(pictures(c.next));
        keeper.waitForDone();
        EXPECT_EQ(begun, pictures(c.decoded));
    }
}

// A picture shown that was decoded ahead is not decoded again; one not decoded ahead is decoded
// once, and stays for a repaint.
TEST(PictureKeeper, ShowsFromTheDecodesAheadAndDecodesTheRestOnce) {
    const std::vector<PicturePtr> p = compressedPictures(3);
    PictureKeeper keeper;
    keeper.ahead({p[0], p[1]});
    keeper.waitForDone();
    EXPECT_FALSE(keeper.pixelsToPaint(p[1]).isNull());
    EXPECT_EQ(keeper.shownDecodes(), 0);
    EXPECT_FALSE(keeper.pixelsToPaint(p[2]).isNull());
    EXPECT_FALSE(keeper.pixelsToPaint(p[2]).isNull());
    EXPECT_EQ(keeper.shownDecodes(), 1);
    keeper.clear();
    EXPECT_EQ(keeper.keptCount(), 0u);
}

// Past a photo's screen level, turning decodes ahead the part the window shows (a region of the
// whole picture, not the whole): a paint of that part or less finds it, a paint of another part
// has it decoded once and kept; its pixels are the library's decode of the whole picture there.
TEST(PictureKeeper, RegionsAheadStandForTheWholePictureInThePartShown) {
    const QSize natural(96, 64);
    QImage image(natural, QImage::Format_RGB32);
    for (int y = 0; y < natural.height(); ++y)
        for (int x = 0; x < natural.width(); ++x)
            image.setPixel(x, y, qRgb(x * 5 & 0xFF, y * 9 & 0xFF, (x ^ y) * 3 & 0xFF));
    const QByteArray jpeg = encodeImage(image, "JPEG");
    const QImage whole = JpegDecoder::decode(jpeg).image;
    const QRect window(16, 8, 48, 40);
    const struct {
        const char* what;
        QRect part;     // a paint reads
        QRect kept;     // the region it paints from
        qint64 decodes; // on the window thread
    } cases[] = {
        {"the part shown", window, window, 0},
        {"within it", QRect(20, 10, 8, 8), window, 0},
        {"panned past it", QRect(40, 8, 48, 40), QRect(40, 8, 48, 40), 1},
        {"past the picture's edge", QRect(80, 50, 40, 40), QRect(80, 50, 16, 14), 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const PicturePtr photo = Picture::fromEncoded(jpeg, natural, 2);
        PictureKeeper keeper;
        keeper.ahead({photo}, natural, window);
        keeper.waitForDone();
        EXPECT_TRUE(keeper.kept(photo, 1).isNull()); // not the whole picture
        const PictureKeeper::Region region = keeper.regionToPaint(photo, c.part);
        EXPECT_EQ(region.part, c.kept);
        EXPECT_EQ(region.image, whole.copy(c.kept));
        EXPECT_EQ(keeper.shownDecodes(), c.decodes);
        keeper.regionToPaint(photo, c.part); // a repaint
        EXPECT_EQ(keeper.shownDecodes(), c.decodes);
    }
}

TEST(PictureKeeper, CapFollowsTheMemoryLeft) {
    EXPECT_EQ(PictureKeeper::capFor(-5), 0);
    EXPECT_EQ(PictureKeeper::capFor(100'000'000), 50'000'000);
    EXPECT_EQ(PictureKeeper::capFor(qint64(8) << 30), PictureKeeper::kMostKeptBytes);
}

} // namespace
