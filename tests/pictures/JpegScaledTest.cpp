// The package tool's decodes scaled by M/8 (JpegDecoderScaled.cpp): the scale rule, the sizes the
// library gives, and a region decode that lies where the whole decode has the same pixels.
#include "pictures/JpegDecoder.h"
#include "support/JpegFiles.h"

#include <gtest/gtest.h>

namespace {

TEST(JpegScaled, TheSmallestEighthThatStillCoversTheSizeAskedFor) {
    const struct {
        QSize full;
        QSize atLeast;
        int eighths;
    } cases[] = {
        {{6000, 4000}, {2560, 1}, 4},    // 3000: 3/8 gives 2250
        {{6000, 4000}, {1500, 1000}, 2}, // exactly 2/8
        {{6000, 4000}, {1501, 1}, 3},
        {{6000, 4000}, {751, 1}, 2},     // 1/8 gives 750
        {{6001, 4001}, {751, 1}, 1},     // the library rounds 750.125 up
        {{6000, 4000}, {1, 3001}, 7},    // the height decides
        {{6000, 4000}, {6000, 4000}, 8}, // nothing smaller
        {{6000, 4000}, {9000, 1}, 8},    // never more than whole
        {{6000, 4000}, {}, 8},           // invalid: whole
        {{}, {10, 10}, 8},
    };
    for (const auto& c : cases)
        EXPECT_EQ(JpegDecoder::eighthsFor(c.full, c.atLeast), c.eighths)
            << c.full.width() << "x" << c.full.height() << " at least " << c.atLeast.width() << "x"
            << c.atLeast.height();
}

TEST(JpegScaled, WholeAndRegionDecodesAgree) {
    const QByteArray jpeg =
        encodeJpegSampled(detailedPicture(QSize(200, 120)), JpegSampling::S420, false);
    const struct {
        QSize atLeast;
        QSize size; // ceil(200 m / 8) x ceil(120 m / 8)
    } sizes[] = {{{30, 1}, {50, 30}}, {{51, 1}, {75, 45}}, {{}, {200, 120}}};
    for (const auto& s : sizes) {
        const JpegDecoder::Scaled whole = JpegDecoder::decodeScaled(jpeg, s.atLeast);
        ASSERT_TRUE(whole.problem.isEmpty()) << whole.problem.toStdString();
        EXPECT_EQ(whole.image.size(), s.size);
        EXPECT_EQ(whole.fullSize, QSize(200, 120));
        EXPECT_EQ(whole.origin, QPoint(0, 0));
    }
    // A part of the whole picture: its pixels are the whole decode's where its origin says.
    const JpegDecoder::Scaled whole = JpegDecoder::decodeScaled(jpeg, QSize());
    const QRect region(90, 50, 40, 30);
    const JpegDecoder::Scaled part = JpegDecoder::decodeScaledRegion(jpeg, QSize(), region);
    ASSERT_TRUE(part.problem.isEmpty()) << part.problem.toStdString();
    EXPECT_LE(part.origin.x(), region.left());
    EXPECT_EQ(part.origin.y(), region.top());
    ASSERT_TRUE(QRect(part.origin, part.image.size()).contains(region));
    EXPECT_LT(part.image.width(), 200);
    for (const QPoint p : {region.topLeft(), region.bottomRight(), region.center()})
        EXPECT_EQ(part.image.pixel(p - part.origin), whole.image.pixel(p)) << p.x() << "," << p.y();
}

TEST(JpegScaled, DamagedAndTruncatedDataAreProblems) {
    const QByteArray jpeg =
        encodeJpegSampled(detailedPicture(QSize(200, 120)), JpegSampling::S420, false);
    const QByteArray cases[] = {jpeg.left(jpeg.size() / 2), QByteArray("not a picture"),
                                QByteArray()};
    for (const QByteArray& bytes : cases) {
        const JpegDecoder::Scaled read = JpegDecoder::decodeScaled(bytes, QSize(30, 1));
        EXPECT_FALSE(read.problem.isEmpty());
        EXPECT_TRUE(read.image.isNull());
    }
}

} // namespace
