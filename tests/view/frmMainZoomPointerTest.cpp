// Zooming a real package (picture and window sizes) and the pointer read-out over it.
#include "ViewerFixture.h"

#include "toolkit/Twips.h"
#include "view/WholePicture.h"

#include <QLabel>
#include <QMouseEvent>
#include <QScreen>

namespace {

class Zoom : public Viewer {
protected:
    void SetUp() override {
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    }

    // A package of four pictures of 100 x 75 pixels: 1500 x 1125 twips at 100 %.
    static TestPackage smallPackage() {
        TestPackage p;
        p.horizontal = 4;
        p.pictureSize = QSize(100, 75);
        return p;
    }

    // A zoom key pressed in the window, made the active one as the user's would be.
    void zoomKey(int key) {
        QApplication::setActiveWindow(&window);
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
        QTest::keyClick(&window, Qt::Key(key), Qt::ControlModifier);
    }

    QSize outer() const { return {window.outerWidthTwips(), window.outerHeightTwips()}; }
    // A length in twips as the window system can show it: whole pixels.
    static int shown(double twips) { return pixelsToTwips(twipsToPixels(twips)); }
};

TEST_F(Zoom, ZoomValuesSizeThePictureAndTheWindowFollows) {
    open(smallPackage());
    ASSERT_EQ(window.lPicWidth, 1500);
    ASSERT_EQ(window.lPicHeight, 1125);
    const QSize opened = outer();
    const QPoint corner = window.imgMain->pos();
    const struct {
        int z;
        const char* caption;
        double width, height; // imgMain, twips
        QSize window;         // outer size, twips
    } steps[] = {
        {20, "Zoom: 100%", 1500, 1125, opened},
        {1, "Zoom: 5%", 75, 56.25, opened},
        {80, "Zoom: 400%", 6000, 4500, QSize(shown(6220), shown(6000))},
        {60, "Zoom: 300%", 4500, 3375, QSize(shown(4965), shown(4875))}, // shrinks back
        {40, "Zoom: 200%", 3000, 2250, QSize(shown(4965), shown(4785))}, // to the thresholds
        {20, "Zoom: 100%", 1500, 1125, QSize(shown(4965), shown(4785))},
    };
    for (const auto& s : steps) {
        SCOPED_TRACE(s.z);
        window.hscrlZoom->setValue(s.z == 20 ? 21 : 20); // make sure the value changes
        window.hscrlZoom->setValue(s.z);
        EXPECT_EQ(window.lblZoom->text(), QString::fromLatin1(s.caption));
        EXPECT_EQ(window.imgMain->size(), QSize(twipsToPixels(s.width), twipsToPixels(s.height)));
        EXPECT_EQ(window.imgMain->pos(), corner);
        EXPECT_EQ(outer(), s.window);
    }
}

TEST_F(Zoom, WindowGrowsOnlyPastTheExactThresholds) {
    // Base sizes in twips that are not whole pixels: the thresholds are judged on the twips.
    const struct {
        qint32 baseWidth, baseHeight;
        bool wider, taller;
    } cases[] = {
        {4745, 3285, false, false},
        {4746, 3285, true, false},
        {4745, 3286, false, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.baseWidth << " x " << c.baseHeight);
        window.hscrlZoom->setValue(20);
        open(smallPackage());
        window.setOuterSizeTwips(3000, 3000);
        const QSize before = outer();
        window.lPicWidth = c.baseWidth;
        window.lPicHeight = c.baseHeight;
        window.hscrlZoom->setValue(19);
        EXPECT_EQ(outer(), before);
        window.hscrlZoom->setValue(20); // the picture is exactly the base size
        EXPECT_EQ(outer().width(), c.wider ? shown(c.baseWidth + 220) : before.width());
        EXPECT_EQ(outer().height(), c.taller ? shown(c.baseHeight + 1500) : before.height());
    }
}

TEST_F(Zoom, KeysMoveTheBarAndTheWindowKeepsItsCorner) {
    open(smallPackage());
    const QRect area = window.screen()->availableGeometry();
    const struct {
        QPoint corner; // where the window stands, from the area's top-left
        int key;
        int z; // the zoom value after the key
    } presses[] = {
        {{40, 30}, Qt::Key_Equal, 21}, {{40, 30}, Qt::Key_Plus, 22},
        {{40, 30}, Qt::Key_Minus, 21}, {{40, 30}, Qt::Key_1, 20},
        {{40, 30}, Qt::Key_Minus, 19}, {{40, 30}, Qt::Key_0, 20}, // fits whole at 100 %
    };
    for (const auto& p : presses) {
        SCOPED_TRACE(testing::Message() << p.key << " to " << p.z);
        window.move(area.topLeft() + p.corner);
        zoomKey(p.key);
        EXPECT_EQ(window.hscrlZoom->value(), p.z);
        EXPECT_EQ(window.lblZoom->text(), QStringLiteral("Zoom: %1%").arg(p.z * 5));
        EXPECT_EQ(window.imgMain->width(), twipsToPixels(p.z * 0.05 * 1500));
        EXPECT_EQ(window.frameGeometry().topLeft(), area.topLeft() + p.corner);
    }

    // Growing near the area's edges: the window stays where it is and on the area.
    window.move(area.right() - 350, area.bottom() - 350);
    const QPoint corner = window.frameGeometry().topLeft();
    for (int i = 0; i < 70; ++i)
        zoomKey(Qt::Key_Plus);
    EXPECT_EQ(window.hscrlZoom->value(), 80);
    EXPECT_EQ(window.frameGeometry().topLeft(), corner);
    EXPECT_TRUE(area.contains(window.frameGeometry()));
    // And back out: the window comes back to the picture (the thresholds' size here).
    window.move(area.topLeft());
    for (int i = 0; i < 85; ++i)
        zoomKey(Qt::Key_Minus);
    EXPECT_EQ(window.hscrlZoom->value(), 1);
    EXPECT_EQ(outer(), QSize(shown(4965), shown(4785)));

    // Fit: the largest step at which a picture twice the area's size is seen whole there.
    window.lPicWidth = pixelsToTwips(area.width() * 2);
    window.lPicHeight = pixelsToTwips(area.height() * 2);
    zoomKey(Qt::Key_0);
    const int fit = window.hscrlZoom->value();
    EXPECT_LT(fit, 10);
    EXPECT_GE(fit, 5);
    EXPECT_LE(window.imgMain->height() + kWindowAroundPicture.height(), area.height());
    EXPECT_GT(twipsToPixels((fit + 1) * 0.05 * window.lPicHeight) + kWindowAroundPicture.height(),
              area.height());
}

TEST_F(Zoom, KeysDoNothingWithoutAPackage) {
    for (const Qt::Key key : {Qt::Key_Plus, Qt::Key_Minus, Qt::Key_0}) {
        zoomKey(key);
        EXPECT_EQ(window.hscrlZoom->value(), 20) << key;
    }
}

TEST_F(Zoom, PictureFollowsTheThumbWhileItIsDragged) {
    open(smallPackage());
    QScrollBar* bar = window.hscrlZoom->bar();
    const QPoint grip = scrollBarPartRect(bar, QStyle::SC_ScrollBarSlider).center();
    QTest::mousePress(bar, Qt::LeftButton, {}, grip);
    QTest::mouseMove(bar, grip + QPoint(20, 0));
    const int z = window.hscrlZoom->value();
    ASSERT_GT(z, 20);
    EXPECT_EQ(window.lblZoom->text(), QStringLiteral("Zoom: %1%").arg(z * 5));
    EXPECT_EQ(window.imgMain->width(), twipsToPixels(z * 0.05 * 1500));
    QTest::mouseRelease(bar, Qt::LeftButton, {}, grip + QPoint(20, 0));
}

TEST_F(Zoom, TurningKeepsTheZoomedSize) {
    TestPackage p = smallPackage();
    p.upper = {{0, 2}};
    open(p);
    window.hscrlZoom->setValue(30);
    const QRect zoomed = window.imgMain->geometry();
    clickAdd(window.HscrArray);
    EXPECT_EQ(shownSlot(), 1);
    EXPECT_EQ(window.imgMain->geometry(), zoomed);
    clickSub(window.HscrArray);
    clickSub(window.VscrArray); // up into the ring
    EXPECT_EQ(shownMember(), upper(0, 2));
    EXPECT_EQ(window.imgMain->geometry(), zoomed);
}

using Pointer = Zoom;

// Hot spot 1 spans 100 .. 500 by 200 .. 600 twips on image 0; hot spot 2 covers image 1 whole.
TestPackage hotSpotPackage() {
    TestPackage p;
    p.horizontal = 4;
    p.pictureSize = QSize(100, 75);
    p.upper = {{0, 2}};
    p.hotSpots =
        QStringLiteral("NumOfHotSpots=2\r\n"
                       "[HotSpot1]\r\nNumOfImages=1\r\nImageNum=0\r\n"
                       "Image0-X1=100\r\nImage0-Y1=200\r\nImage0-X2=500\r\nImage0-Y2=600\r\n"
                       "[HotSpot2]\r\nNumOfImages=1\r\nImageNum=1\r\n"
                       "Image1-X1=0\r\nImage1-Y1=0\r\nImage1-X2=9000\r\nImage1-Y2=9000");
    return p;
}

TEST_F(Pointer, HotSpotOneOfTheCurrentColumnScaledByTheZoom) {
    open(hotSpotPackage());
    const struct {
        int z;
        float x, y;
        const char* xText;
        const char* yText;
        const char* inOut;
    } moves[] = {
        {20, 300, 400, "300", "400", "In"},
        {20, 100, 400, "100", "400", "Out"}, // on the left edge
        {20, 101, 201, "101", "201", "In"},
        {20, 499.5f, 599.5f, "499.5", "599.5", "In"},
        {20, 500, 400, "500", "400", "Out"},
        {20, 300, 200, "300", "200", "Out"},
        {20, 300, 600, "300", "600", "Out"},
        {20, 100.00001f, 400, "100", "400", "Out"}, // judged on the text shown
        {20, 0.1f, 0, "0.1", "0", "Out"},
        {20, 12345678, 123.456f, "1.234568E+07", "123.456", "Out"},
        {40, 900, 1100, "900", "1100", "In"},
        {40, 300, 300, "300", "300", "Out"},
        {40, 200, 401, "200", "401", "Out"}, // the left edge doubled
        {40, 201, 401, "201", "401", "In"},
        {1, 10, 10, "10", "10", "Out"}, // 5 .. 25 by 10 .. 30: on the top edge
        {1, 10, 11, "10", "11", "In"},
    };
    for (const auto& m : moves) {
        SCOPED_TRACE(testing::Message() << m.z << ": " << m.xText << ", " << m.yText);
        window.hscrlZoom->setValue(m.z);
        window.imgMain_MouseMove(0, 0, m.x, m.y);
        EXPECT_EQ(window.lblX->text(), QString::fromLatin1(m.xText));
        EXPECT_EQ(window.lblY->text(), QString::fromLatin1(m.yText));
        EXPECT_EQ(window.lblInOut->text(), QString::fromLatin1(m.inOut));
    }
}

TEST_F(Pointer, RealPointerMovesAndTheRectangleOfTheColumn) {
    open(hotSpotPackage());
    auto moveTo = [&](QPoint pixel) {
        QMouseEvent move(QEvent::MouseMove, pixel, window.imgMain->mapToGlobal(pixel), Qt::NoButton,
                         Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(window.imgMain, &move);
        return window.lblInOut->text();
    };
    const QPoint inside(20, 26); // 300, 390 twips
    EXPECT_EQ(moveTo(inside), QStringLiteral("In"));
    EXPECT_EQ(window.lblX->text(), QStringLiteral("300"));
    EXPECT_EQ(window.lblY->text(), QStringLiteral("390"));
    EXPECT_EQ(moveTo(QPoint(2, 26)), QStringLiteral("Out"));

    clickSub(window.VscrArray); // a ring picture of column 0: still column 0's rectangle
    ASSERT_EQ(shownMember(), upper(0, 2));
    EXPECT_EQ(moveTo(inside), QStringLiteral("In"));
    clickAdd(window.VscrArray);

    clickAdd(window.HscrArray); // column 1: hot spot 1 has no rectangle there (all edges 0)
    EXPECT_EQ(moveTo(inside), QStringLiteral("Out"));
    EXPECT_EQ(moveTo(QPoint(0, 0)), QStringLiteral("Out"));
}

TEST_F(Pointer, NoHotSpotOneIsAlwaysOut) {
    TestPackage p = hotSpotPackage();
    p.hotSpots = QStringLiteral("NumOfHotSpots=0");
    open(p);
    window.imgMain_MouseMove(1, 0, 300, 400);
    EXPECT_EQ(window.lblX->text(), QStringLiteral("300"));
    EXPECT_EQ(window.lblInOut->text(), QStringLiteral("Out"));
}

} // namespace
