// Which JPEG pictures the thumbnailer decodes, weighed from what their headers declare.
#include "opening/ThumbnailJpeg.h"
#include "opening/PackageThumbnail.h"

#include <gtest/gtest.h>

namespace {

const ThumbnailJpeg::Limits kLimits{PackageThumbnail::MaxDecodePixels,
                                    PackageThumbnail::MaxDecodeWork, PackageThumbnail::MaxJpegScans,
                                    PackageThumbnail::MaxCoefficientBytes};

TEST(ThumbnailJpeg, PicturesAreWeighedByTheWorkTheyDeclare) {
    const qint64 mb = 1024 * 1024;
    const struct {
        const char* name;
        ThumbnailJpeg::Header header;
        const char* refusal; // empty when decoded
    } cases[] = {
        {"24 MP camera", {{6016, 4016}, false, 1, 72 * mb}, ""},
        {"36 MP camera", {{7360, 4912}, false, 1, 108 * mb}, ""},
        {"61 MP camera", {{9504, 6336}, false, 1, 180 * mb}, ""},
        {"61 MP camera with a preview's scan", {{9504, 6336}, false, 2, 180 * mb}, ""},
        {"baseline past the work", {{20000, 20000}, false, 1, 1200 * mb}, "too large"},
        {"progressive 24 MP in 10 scans", {{6000, 4000}, true, 10, 72 * mb}, ""},
        {"progressive 4000 x 4000 in 20 scans",
         {{4000, 4000}, true, 20, 48 * mb},
         "is 4000 x 4000 pixels in 20 scans, too large"},
        {"progressive holding too many coefficients",
         {{9504, 6336}, true, 4, 180 * mb},
         "9504 x 6336 pixels in 4 scans, too large"},
        {"progressive 61 MP held in the bound", {{9504, 6336}, true, 4, 150 * mb}, ""},
        {"too many scans", {{64, 64}, false, 101, mb}, "holds 101 scans"},
        {"no size", {{0, 16}, false, 1, 0}, "no size"},
    };
    for (const auto& c : cases) {
        const QString refusal = ThumbnailJpeg::refusal(c.header, QSize(256, 170), kLimits);
        if (*c.refusal == '\0')
            EXPECT_EQ(refusal, QString()) << c.name;
        else
            EXPECT_TRUE(refusal.contains(QLatin1String(c.refusal)))
                << c.name << ": " << refusal.toStdString();
    }
}

// The scale a photo is decoded at, read from the pixels it is weighed by: the smallest picture of
// 1/8, 1/4, 1/2 or whole that still covers the thumbnail, its sides rounded up.
TEST(ThumbnailJpeg, PhotosAreDecodedAtTheSmallestScaleThatCoversTheThumbnail) {
    const qint64 plenty = qint64(1) << 40;
    const struct {
        QSize photo, thumbnail, decoded;
    } cases[] = {
        {{6016, 4016}, {256, 170}, {752, 502}},     {{7360, 4912}, {256, 170}, {920, 614}},
        {{9504, 6336}, {256, 170}, {1188, 792}},    {{6016, 4016}, {2048, 1365}, {3008, 2008}},
        {{7360, 4912}, {2048, 1365}, {3680, 2456}}, {{9504, 6336}, {2048, 1365}, {2376, 1584}},
        {{6016, 4016}, {752, 502}, {752, 502}},     // exactly the size at 1/8
        {{6001, 4001}, {751, 501}, {751, 501}},     // 750.125 x 500.125, rounded up
        {{6016, 4016}, {6016, 4016}, {6016, 4016}}, // whole
    };
    for (const auto& c : cases) {
        const ThumbnailJpeg::Header header{c.photo, false, 1, 0};
        const qint64 pixels = qint64(c.decoded.width()) * c.decoded.height();
        EXPECT_EQ(ThumbnailJpeg::refusal(header, c.thumbnail, {pixels, plenty, 1, plenty}),
                  QString())
            << c.photo.width() << " for " << c.thumbnail.width();
        EXPECT_NE(ThumbnailJpeg::refusal(header, c.thumbnail, {pixels - 1, plenty, 1, plenty}),
                  QString())
            << c.photo.width() << " for " << c.thumbnail.width();
    }
}

} // namespace
