#include "format/PackageCounters.h"

#include <gtest/gtest.h>
#include <string>

namespace {

TEST(PackageCounters, EachNameCountsByItsMarkers) {
    PackageCounters c;
    countMember(c, "obj_H_0001.jpg", 1000);
    countMember(c, "obj_V00_0002.jpg", 3000);
    countMember(c, "obj_M01_0003.jpg", 2000);
    EXPECT_EQ(c.sngUnzipCount, 3);
    EXPECT_EQ(c.sngHCount, 1);
    EXPECT_EQ(c.bytVCount, 1);
    EXPECT_EQ(c.bytVColumns, 1);
    EXPECT_EQ(c.bytVRows, 1);
    EXPECT_EQ(c.bytMCount, 1);
    EXPECT_EQ(c.bytMColumns, 0);
    EXPECT_EQ(c.bytMRows, 0);
    EXPECT_EQ(c.sngMaxFileLen, 3000);
}

TEST(PackageCounters, MarkersAreExactCaseAndEmptyNamesCountOnlyAsMembers) {
    PackageCounters c;
    countMember(c, "obj_h_0001.jpg", std::nullopt);
    countMember(c, "obj_v00_0002.jpg", std::nullopt);
    countMember(c, "", 5);
    EXPECT_EQ(c.sngUnzipCount, 3);
    EXPECT_EQ(c.sngHCount, 0);
    EXPECT_EQ(c.bytVCount, 0);
    EXPECT_EQ(c.bytVColumns, 0);
    EXPECT_EQ(c.bytMCount, 0);
    EXPECT_EQ(c.sngMaxFileLen, 5);
}

TEST(PackageCounters, ByteCountersStopAt255) {
    PackageCounters c;
    for (int i = 0; i < 300; ++i)
        countMember(c, "obj_V00_0002.jpg", std::nullopt);
    EXPECT_EQ(c.sngUnzipCount, 300);
    EXPECT_EQ(c.bytVCount, 255);
    EXPECT_EQ(c.bytVColumns, 255);
    EXPECT_EQ(c.bytVRows, 255);
    EXPECT_EQ(c.sngMaxFileLen, 0); // no size was measured
}

TEST(PackageCounters, LargestSizeIsKeptAndResetClearsEverything) {
    PackageCounters c;
    countMember(c, "info.ini", 400);
    countMember(c, "sound.mp3", 90000);
    countMember(c, "obj_H_0000.jpg", 60000);
    EXPECT_EQ(c.sngMaxFileLen, 90000);
    c.reset();
    EXPECT_EQ(c.sngUnzipCount, 0);
    EXPECT_EQ(c.sngMaxFileLen, 0);
}

} // namespace
