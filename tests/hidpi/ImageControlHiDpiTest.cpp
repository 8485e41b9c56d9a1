// Pictures on a screen with two device pixels per logical pixel: a zoomed picture is sampled at
// the screen's resolution, while the control keeps its logical size. The whole program runs at
// that scale, so it has an application of its own.
#include "pictures/Picture.h"
#include "qt/OwnApplication.h"
#include "toolkit/ImageControl.h"

#include <QApplication>
#include <QPixmap>
#include <gtest/gtest.h>

namespace {

const auto* const environment =
    ::testing::AddGlobalTestEnvironment(new OwnApplication("QT_SCALE_FACTOR", "2"));

// One-pixel checks: painting at logical size and scaling up turns them grey.
QImage checkerboard(int side) {
    QImage image(side, side, QImage::Format_RGB32);
    for (int y = 0; y < side; ++y)
        for (int x = 0; x < side; ++x)
            image.setPixel(x, y, (x + y) % 2 ? 0xFF000000 : 0xFFFFFFFF);
    return image;
}

TEST(HiDpi, ZoomedPictureIsSampledAtDeviceResolution) {
    const QImage picture = checkerboard(64);
    ImageControl control;
    control.setStretch(true);
    control.setPicture(Picture::fromImage(picture));
    control.resize(32, 32); // 50 %: 64 device pixels on this screen
    control.show();
    ASSERT_EQ(control.devicePixelRatioF(), 2.0);
    EXPECT_EQ(control.size(), QSize(32, 32)); // the layout stays in logical pixels

    const QImage shown = control.grab().toImage().convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(shown.size(), QSize(64, 64));
    int wrong = 0;
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x)
            wrong += qAbs(qGray(shown.pixel(x, y)) - qGray(picture.pixel(x, y))) > 16;
    EXPECT_EQ(wrong, 0);
}

} // namespace
