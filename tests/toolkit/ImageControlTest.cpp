#include "toolkit/ImageControl.h"
#include "pictures/PictureKeeper.h"
#include "support/TestFiles.h"
#include "toolkit/ImageArray.h"

#include <QApplication>
#include <QMouseEvent>
#include <QWidget>
#include <gtest/gtest.h>
#include <tuple>
#include <vector>

namespace {

// Left half red, right half blue.
PicturePtr twoColourPicture(int width, int height) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::red);
    for (int y = 0; y < height; ++y)
        for (int x = width / 2; x < width; ++x)
            image.setPixelColor(x, y, Qt::blue);
    return Picture::fromImage(image);
}

TEST(ImageControl, NaturalSizeOrStretched) {
    QWidget parent;
    ImageControl image(&parent);
    image.setGeometry(8, 56, 129, 121);
    const PicturePtr picture = twoColourPicture(60, 40);

    image.setPicture(picture); // stretch off: the control takes the picture's size
    EXPECT_EQ(image.geometry(), QRect(8, 56, 60, 40));
    EXPECT_EQ(image.widthTwips(), 900);

    image.setStretch(true);
    image.moveTwips(120, 840, 1800, 900); // stretch on: the size is the caller's
    EXPECT_EQ(image.geometry(), QRect(8, 56, 120, 60));
    image.setPicture(picture);
    EXPECT_EQ(image.size(), QSize(120, 60));

    image.setStretch(false); // back to the natural size
    EXPECT_EQ(image.size(), QSize(60, 40));
    image.setPicture(nullptr); // no picture leaves the size alone
    EXPECT_EQ(image.size(), QSize(60, 40));
    EXPECT_EQ(image.picture(), nullptr);
}

TEST(ImageControl, SharesThePictureObjectWithoutDecoding) {
    const QByteArray png = [] {
        QImage image(8, 8, QImage::Format_RGB32);
        image.fill(Qt::green);
        return encodeImage(image, "PNG");
    }();
    const PicturePtr compressed = Picture::fromEncoded(png, QSize(8, 8));
    PictureKeeper keeper;
    ImageControl slot;
    ImageControl shown;
    shown.setKeeper(&keeper);
    slot.setPicture(compressed);
    shown.setPicture(slot.picture());
    EXPECT_EQ(shown.picture().get(), compressed.get());
    EXPECT_EQ(keeper.shownDecodes(), 0); // handing over decodes nothing
    EXPECT_EQ(shown.size(), QSize(8, 8));
}

TEST(ImageControl, PaintsThePictureScaledToTheControl) {
    QWidget parent;
    parent.resize(200, 100);
    ImageControl image(&parent);
    image.setStretch(true);
    image.setGeometry(0, 0, 120, 60);
    image.setPicture(twoColourPicture(40, 20));
    const QImage shown = image.grab().toImage();
    ASSERT_EQ(shown.size(), QSize(120, 60));
    EXPECT_EQ(shown.pixelColor(10, 30), QColor(Qt::red));
    EXPECT_EQ(shown.pixelColor(110, 30), QColor(Qt::blue));

    image.setStretch(false); // natural size: an exact copy
    EXPECT_EQ(image.grab().toImage().convertToFormat(QImage::Format_RGB32),
              image.picture()->image());
}

TEST(ImageControl, PaintsTheBackgroundWhereNoOpaquePictureCovers) {
    QImage clear(20, 10, QImage::Format_ARGB32);
    clear.fill(Qt::transparent);
    const struct {
        const char* name;
        PicturePtr picture;
        QColor expected;
    } cases[] = {
        {"no picture", nullptr, QColor()},
        {"transparent picture", Picture::fromImage(clear), QColor()},
        {"opaque picture", twoColourPicture(20, 10), QColor(Qt::red)},
    };
    for (const auto& c : cases) {
        QWidget parent;
        ImageControl image(&parent);
        image.setGeometry(0, 0, 20, 10);
        image.setPicture(c.picture);
        const QColor background = image.palette().window().color();
        const QImage shown = image.grab().toImage();
        EXPECT_EQ(shown.pixelColor(2, 5), c.expected.isValid() ? c.expected : background) << c.name;
    }
}

TEST(ImageControl, PointerMovesInTwipsWithButtonAndShiftState) {
    ImageControl image;
    image.resize(100, 100);
    std::vector<std::tuple<int, int, float, float>> moves;
    QObject::connect(&image, &ImageControl::mouseMoved,
                     [&](int b, int s, float x, float y) { moves.emplace_back(b, s, x, y); });
    const struct {
        QPointF at;
        Qt::MouseButtons buttons;
        Qt::KeyboardModifiers modifiers;
        int button, shift;
        float x, y;
    } cases[] = {
        {{20, 30}, Qt::NoButton, Qt::NoModifier, 0, 0, 300.0f, 450.0f},
        {{0.5, 1}, Qt::LeftButton, Qt::ShiftModifier, 1, 1, 7.5f, 15.0f},
        {{3, 4},
         Qt::RightButton | Qt::MiddleButton,
         Qt::ControlModifier | Qt::AltModifier,
         6,
         6,
         45.0f,
         60.0f},
    };
    for (const auto& c : cases) {
        QMouseEvent move(QEvent::MouseMove, c.at, image.mapToGlobal(c.at), Qt::NoButton, c.buttons,
                         c.modifiers);
        QApplication::sendEvent(&image, &move);
    }
    ASSERT_EQ(moves.size(), std::size(cases));
    for (std::size_t i = 0; i < moves.size(); ++i) {
        EXPECT_EQ(std::get<0>(moves[i]), cases[i].button) << i;
        EXPECT_EQ(std::get<1>(moves[i]), cases[i].shift) << i;
        EXPECT_FLOAT_EQ(std::get<2>(moves[i]), cases[i].x) << i;
        EXPECT_FLOAT_EQ(std::get<3>(moves[i]), cases[i].y) << i;
    }
    EXPECT_TRUE(image.hasMouseTracking()); // moves without a button count
}

TEST(ImageArray, CreatesHiddenEmptyElementsAndKeepsElementZero) {
    QWidget window;
    auto* first = new ImageControl(&window);
    first->setPicture(twoColourPicture(10, 10));
    first->setGeometry(152, 136, 41, 33);
    first->hide();
    ImageArray array(first);

    ImageControl* third = array.load(3);
    ASSERT_NE(third, nullptr);
    EXPECT_EQ(third->parentWidget(), &window);
    EXPECT_TRUE(third->isHidden());
    EXPECT_EQ(third->picture(), nullptr);
    EXPECT_EQ(third->geometry(), first->geometry());
    EXPECT_FALSE(array.exists(1));
    EXPECT_EQ(array.load(3), third); // an existing element is returned, not made again
    EXPECT_EQ(array.count(), 2);
    EXPECT_EQ(array.upperBound(), 3);

    array.unload(0); // element 0 stays
    array.unload(3);
    array.unload(7); // nothing there
    EXPECT_EQ(array.at(0), first);
    EXPECT_EQ(array.at(3), nullptr);
    EXPECT_EQ(array.count(), 1);
    EXPECT_EQ(array.upperBound(), 0);
    EXPECT_EQ(window.findChildren<ImageControl*>().size(), 1);
    EXPECT_EQ(array.load(-1), nullptr);
}

} // namespace
