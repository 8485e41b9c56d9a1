// The pure rules behind turning, zooming and the pointer read-out.
#include "view/PointerReadout.h"
#include "view/ViewSelection.h"
#include "view/ZoomRules.h"

#include <gtest/gtest.h>

namespace {

TEST(FormatSingle, GeneralFormat) {
    const struct {
        float value;
        const char* text;
    } cases[] = {
        {0.0f, "0"},
        {-0.0f, "0"},
        {300.0f, "300"},
        {187.5f, "187.5"},
        {1234567.0f, "1234567"},
        {1234567.8f, "1234568"},
        {12345678.0f, "1.234568E+07"},
        {0.1f, "0.1"},
        {0.00001f, "1E-05"},
        {-42.25f, "-42.25"},
        {1.0f / 3.0f, "0.3333333"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(formatSingle(c.value).toStdString(), c.text) << c.value;
}

TEST(PointerInside, StrictEdgesAndZoom) {
    const HotSpotRect spot{100, 200, 500, 600};
    const struct {
        const char* x;
        const char* y;
        int zoom;
        bool inside;
    } cases[] = {
        {"300", "400", 20, true},  {"100", "400", 20, false}, {"500", "400", 20, false},
        {"300", "200", 20, false}, {"300", "600", 20, false}, {"101", "201", 20, true},
        {"900", "1100", 40, true}, {"300", "300", 40, false}, {"15", "30", 1, false},
        {"5.5", "10.5", 1, true},
    };
    for (const auto& c : cases)
        EXPECT_EQ(pointerInside(QString::fromLatin1(c.x), QString::fromLatin1(c.y), c.zoom, spot),
                  c.inside)
            << c.x << "," << c.y << " at " << c.zoom;
    EXPECT_FALSE(pointerInside(QStringLiteral("300"), QStringLiteral("400"), 20, std::nullopt));
    EXPECT_FALSE(pointerInside(QStringLiteral("1"), QStringLiteral("1"), 20, HotSpotRect{}));
    // A rectangle whose left edge is not below its right edge never holds the pointer.
    EXPECT_FALSE(pointerInside(QStringLiteral("300"), QStringLiteral("400"), 20,
                               HotSpotRect{500, 200, 100, 600}));
}

TEST(ZoomRules, CaptionAndSize) {
    EXPECT_EQ(zoomCaption(20), QStringLiteral("Zoom: 100%"));
    EXPECT_EQ(zoomCaption(1), QStringLiteral("Zoom: 5%"));
    EXPECT_EQ(zoomCaption(80), QStringLiteral("Zoom: 400%"));
    const TwipSize natural = zoomedSize(20, 9600, 7200);
    EXPECT_DOUBLE_EQ(natural.width, 9600);
    EXPECT_DOUBLE_EQ(natural.height, 7200);
    const TwipSize tiny = zoomedSize(1, 9600, 7200);
    EXPECT_DOUBLE_EQ(tiny.width, 480);
    EXPECT_DOUBLE_EQ(tiny.height, 360);
}

TEST(ZoomRules, WindowFollowsThePicturePastTheThresholds) {
    const struct {
        TwipSize picture;
        TwipSize window;
        TwipSize expected;
    } cases[] = {
        // Zooming in from a window below the thresholds.
        {{4745, 3285}, {4000, 4000}, {4000, 4000}}, // exactly on both thresholds: unchanged
        {{4746, 3285}, {4000, 4000}, {4966, 4000}},
        {{4745, 3286}, {4000, 4000}, {4000, 4786}},
        {{6000, 4500}, {4000, 4000}, {6220, 6000}}, // 400 % of 1500 x 1125
        {{100, 100}, {4000, 4000}, {4000, 4000}},
        // Zooming out of a grown window: back to the picture plus its margins ...
        {{5000, 3500}, {6220, 6000}, {5220, 5000}},
        {{4746, 3286}, {6220, 6000}, {4966, 4786}},
        // ... and no further than the thresholds, whatever the picture.
        {{4745, 3285}, {6220, 6000}, {4965, 4785}},
        {{75, 56.25}, {6220, 6000}, {4965, 4785}},
        // One side past its threshold, the other not.
        {{3000, 4000}, {6220, 3000}, {4965, 5500}},
        // A window grown by hand beyond the picture comes back to it.
        {{6000, 4500}, {9000, 8000}, {6220, 6000}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.picture.width << " x " << c.picture.height << " in "
                                        << c.window.width << " x " << c.window.height);
        const TwipSize zoomed = zoomedWindowSize(c.picture, c.window);
        EXPECT_DOUBLE_EQ(zoomed.width, c.expected.width);
        EXPECT_DOUBLE_EQ(zoomed.height, c.expected.height);
    }
}

TEST(ViewSelection, SlotForColumnAndLevel) {
    std::vector<std::uint8_t> upper(37, 255);
    std::vector<std::uint8_t> lower(37, 255);
    upper[0] = 37;
    upper[9] = 40;
    lower[0] = 49;
    lower[18] = 51;
    const struct {
        int h;
        int v;
        std::optional<int> slot;
    } cases[] = {
        {5, 1, 5},    {0, 2, 37}, {0, 4, 39}, {9, 2, 40},  {9, 10, 48}, {0, 0, 49},  {0, -1, 50},
        {18, -2, 53}, {3, 2, {}}, {3, 0, {}}, {37, 2, {}}, {-1, 2, {}}, {0, 11, {}}, {0, -9, {}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(pictureSlotFor(c.h, c.v, upper, lower), c.slot) << c.h << "," << c.v;
}

TEST(ViewSelection, RowsStopAtTheNextRing) {
    // 36 columns; upper rings of 3 rows at 0 and 9, lower rings of 2 rows at 0 and 18.
    std::vector<std::uint8_t> upper(37, 255);
    std::vector<std::uint8_t> lower(37, 255);
    upper[0] = 37;
    upper[9] = 40;
    lower[0] = 43;
    lower[18] = 45;
    const RingRows rows = RingRows::from(upper, lower, 47);
    const struct {
        int h;
        int v;
        std::optional<int> slot;
        int within;
    } cases[] = {
        {0, 4, 39, 4},   {0, 5, {}, 4},    {9, 4, 42, 4},  {9, 10, {}, 4}, {0, -1, 44, -1},
        {0, -2, {}, -1}, {18, -1, 46, -1}, {18, 2, {}, 1}, {5, 3, {}, 1},  {5, 1, 5, 1},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(pictureSlotFor(c.h, c.v, upper, lower, &rows), c.slot) << c.h << "," << c.v;
        EXPECT_EQ(verticalWithinRings(c.h, c.v, rows), c.within) << c.h << "," << c.v;
    }
}

} // namespace
