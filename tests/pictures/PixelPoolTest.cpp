// Recycling pixel memory from one opening to the next.
#include "pictures/PixelPool.h"

#include <gtest/gtest.h>

namespace {

TEST(PixelPool, RecyclesOnlyWhileAPackageIsReplaced) {
    PixelPool& pool = PixelPool::instance();
    const uchar* first = nullptr;
    {
        QImage shown = pool.allocate(64, 48, QImage::Format_RGB32);
        ASSERT_FALSE(shown.isNull());
        EXPECT_EQ(shown.bytesPerLine(), 256);
        first = shown.constBits();
        PixelPool::Recycling replacing;
        shown = QImage(); // the previous package is released...
        EXPECT_EQ(pool.pooledBytes(), 64 * 48 * 4);
        const QImage sameSize = pool.allocate(64, 48, QImage::Format_RGB32);
        EXPECT_EQ(sameSize.constBits(), first); // ...and its memory reused
        EXPECT_EQ(pool.pooledBytes(), 0);
        QImage other = pool.allocate(10, 10, QImage::Format_ARGB32_Premultiplied);
        other = QImage();
        EXPECT_EQ(pool.pooledBytes(), 400);
    }
    // The replacement is over: nothing is kept, and a released picture is freed at once.
    EXPECT_EQ(pool.pooledBytes(), 0);
    QImage later = pool.allocate(64, 48, QImage::Format_RGB32);
    later = QImage();
    EXPECT_EQ(pool.pooledBytes(), 0);
    EXPECT_TRUE(pool.allocate(0, 10, QImage::Format_RGB32).isNull());
}

TEST(PixelPool, ImagesStayUsableAndCopiesShareThePixels) {
    PixelPool::Recycling replacing;
    QImage image = PixelPool::instance().allocate(3, 2, QImage::Format_RGB32);
    image.fill(Qt::red);
    const QImage copy = image;
    EXPECT_EQ(copy.constBits(), image.constBits());
    image.setPixel(0, 0, qRgb(0, 0, 255)); // detaches: the copy keeps its pixels
    EXPECT_EQ(copy.pixel(0, 0), qRgb(255, 0, 0));
    EXPECT_EQ(image.pixel(0, 0), qRgb(0, 0, 255));
}

} // namespace
