// The plain line `check` prints first.
#include "tools/shared/CheckSummary.h"

#include <gtest/gtest.h>

namespace {

TEST(CheckSummary, SaysWhatThePackageHoldsAndWhatTheViewerTakes) {
    const struct {
        const char* name;
        CheckFigures figures;
        const char* summary;
    } cases[] = {
        // 36 x 640 x 480 x 4 bytes, held whole.
        {"ring only",
         {36, 0, 0, 0, 0, {640, 480}, 116'320, {1920, 1080}},
         "36 photos: 36 around; 640 x 480; up to about 44 MB in the viewer on a 1920 x 1080 "
         "screen"},
        // Shown at most 1470 x 980: held at 1/4 (1500 x 1000 x 4) beside 8 MB files, 180 times,
        // and two whole decodes (6000 x 4000 x 4).
        {"camera shoot",
         {90, 60, 2, 30, 1, {6000, 4000}, 8'000'000, {1920, 1080}},
         "180 photos: 90 around, 2 rows above, 1 row below; 6000 x 4000; up to about 2712 MB in "
         "the viewer on a 1920 x 1080 screen"},
        // The same shoot stored uncompressed: the viewer reads the files back from the package
        // and holds only the levels (180 x 6 MB) and the two whole decodes.
        {"camera shoot whose files stay in the package",
         {90, 60, 2, 30, 1, {6000, 4000}, 8'000'000, {1920, 1080}, 0},
         "180 photos: 90 around, 2 rows above, 1 row below; 6000 x 4000; up to about 1272 MB in "
         "the viewer on a 1920 x 1080 screen"},
        // Shown at most 3090 x 2060: 1/2 is smaller, so every photo is held whole.
        {"camera shoot on a large screen",
         {90, 60, 2, 30, 1, {6000, 4000}, 8'000'000, {3840, 2160}},
         "180 photos: 90 around, 2 rows above, 1 row below; 6000 x 4000; up to about 17280 MB in "
         "the viewer on a 3840 x 2160 screen"},
        {"one row above",
         {36, 12, 1, 0, 0, {100, 50}, 1000, {1920, 1080}},
         "48 photos: 36 around, 1 row above; 100 x 50; up to about 1 MB in the viewer on a 1920 x "
         "1080 screen"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(checkSummary(c.figures).toStdString(), c.summary) << c.name;
}

} // namespace
