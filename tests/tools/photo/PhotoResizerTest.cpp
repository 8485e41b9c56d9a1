// The area filter against a plain double-precision area average of the same photo.
#include "tools/photo/PhotoResizer.h"

#include <QImage>
#include <cmath>
#include <gtest/gtest.h>

namespace {

// The mean of channel c over the input area that output pixel (x, y) covers.
double areaMean(const QImage& in, QSize out, int x, int y, int c) {
    const double sx = double(in.width()) / out.width(), sy = double(in.height()) / out.height();
    double sum = 0;
    for (int j = int(y * sy); j < std::min<double>(in.height(), (y + 1) * sy); ++j)
        for (int i = int(x * sx); i < std::min<double>(in.width(), (x + 1) * sx); ++i) {
            const double wx = std::min((x + 1) * sx, i + 1.0) - std::max(x * sx, double(i));
            const double wy = std::min((y + 1) * sy, j + 1.0) - std::max(y * sy, double(j));
            sum += wx * wy * in.constScanLine(j)[3 * i + c];
        }
    return sum / (sx * sy);
}

TEST(PhotoResizer, EveryPixelIsTheMeanOfTheAreaItCovers) {
    QImage noise(97, 61, QImage::Format_RGB888);
    unsigned seed = 12345;
    for (int y = 0; y < noise.height(); ++y)
        for (int x = 0; x < 3 * noise.width(); ++x)
            noise.scanLine(y)[x] = uchar((seed = seed * 1103515245u + 12345u) >> 24);
    for (const QSize out : {QSize(48, 30), QSize(60, 40), QSize(13, 7), QSize(96, 61)}) {
        const QImage made = PhotoResizer::scaled(noise, out);
        ASSERT_EQ(made.size(), out);
        double worst = 0;
        for (int y = 0; y < out.height(); ++y)
            for (int x = 0; x < out.width(); ++x)
                for (int c = 0; c < 3; ++c)
                    worst = std::max(worst, std::abs(made.constScanLine(y)[3 * x + c] -
                                                     areaMean(noise, out, x, y, c)));
        EXPECT_LT(worst, 0.75) << out.width() << " x " << out.height();
    }
    EXPECT_EQ(PhotoResizer::fitted(QSize(6000, 4000), 2560), QSize(2560, 1707));
    EXPECT_EQ(PhotoResizer::fitted(QSize(4000, 6000), 2560), QSize(1707, 2560));
    EXPECT_EQ(PhotoResizer::fitted(QSize(640, 480), 2560), QSize(640, 480));
}

} // namespace
