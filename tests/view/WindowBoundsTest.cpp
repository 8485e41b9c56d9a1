// The main window stays on its screen and keeps room for its control strip, whatever size the
// pictures and the zoom ask for.
#include "ViewerFixture.h"

#include "toolkit/Twips.h"
#include "view/WindowBounds.h"

#include <QLabel>
#include <QScreen>

namespace {

class WindowBounds : public Viewer {
protected:
    void SetUp() override {
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    }

    static TestPackage packageOf(QSize pictureSize) {
        TestPackage p;
        p.horizontal = 2;
        p.pictureSize = pictureSize;
        return p;
    }

    QRect area() const { return window.screen()->availableGeometry(); }
    // The window's frame lies on the area windows may use.
    ::testing::AssertionResult onScreen() const {
        const QRect frame = window.frameGeometry();
        if (area().contains(frame))
            return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure()
               << frame.width() << "x" << frame.height() << "+" << frame.x() << "+" << frame.y();
    }
};

TEST_F(WindowBounds, BigPicturesAndZoomKeepTheWindowOnItsScreen) {
    const QSize screen = area().size();
    open(packageOf(screen * 2));
    EXPECT_TRUE(onScreen());
    window.hscrlZoom->setValue(80);
    EXPECT_TRUE(onScreen());
    // The picture keeps the size the zoom gives it; only the window is bounded.
    EXPECT_EQ(window.imgMain->width(), screen.width() * 2 * 4);
}

TEST_F(WindowBounds, SmallPicturesLeaveTheControlStripVisible) {
    for (const QSize size : {QSize(160, 120), QSize(1, 1)}) {
        SCOPED_TRACE(size.width());
        open(packageOf(size));
        const int client = window.centralWidget()->width();
        for (const QWidget* control :
             {static_cast<QWidget*>(window.Label1), static_cast<QWidget*>(window.txtHorizontal),
              static_cast<QWidget*>(window.lblInOut)})
            EXPECT_LE(control->geometry().right(), client) << control->metaObject()->className();
        // By hand neither.
        window.resize(100, window.height());
        EXPECT_GE(window.centralWidget()->width(), window.lblInOut->geometry().right());
    }
}

// The rules themselves, on an area that does not start at the screen's corner (a panel on the
// left and one at the top), which the offscreen screen cannot show.
TEST(WindowBoundsRules, FramesAreMovedOntoTheArea) {
    const QRect area(100, 50, 800, 600); // right 899, bottom 649
    struct Case {
        QRect frame;
        QPoint corner;
    };
    const Case cases[] = {
        {{200, 100, 300, 200}, {200, 100}}, // fits: stays
        {{700, 100, 300, 200}, {600, 100}}, // past the right edge
        {{200, 500, 300, 200}, {200, 450}}, // past the bottom
        {{40, 100, 300, 200}, {100, 100}},  // left of the area
        {{200, 0, 300, 200}, {200, 50}},    // above it
        {{0, 0, 1000, 700}, {100, 50}},     // larger than the area: its top-left corner
    };
    for (const Case& c : cases)
        EXPECT_EQ(keptOnArea(c.frame, area), c.corner) << c.frame.x() << "," << c.frame.y();
}

TEST(WindowBoundsRules, SizesKeepTheStripAndStayInsideTheArea) {
    const QSize frame(10, 30);
    struct Case {
        QSize requested;
        int strip;
        QSize available;
        QSize outer;
    };
    const Case cases[] = {
        {{800, 600}, 325, {1920, 1050}, {800, 600}},     // fits
        {{200, 600}, 325, {1920, 1050}, {335, 600}},     // the strip and the frame across
        {{3000, 2000}, 325, {1920, 1050}, {1920, 1050}}, // the area
        {{200, 600}, 325, {300, 1050}, {300, 600}},      // the screen wins over the strip
        {{3000, 2000}, 325, {0, 0}, {3000, 2000}},       // no area known
        {{0, 0}, 0, {1920, 1050}, {11, 31}},             // at least a pixel inside the frame
    };
    for (const Case& c : cases)
        EXPECT_EQ(boundedOuterSize(c.requested, frame, c.strip, c.available), c.outer)
            << c.requested.width() << "x" << c.requested.height();
}

TEST(WindowBoundsRules, RoomFromTheCornerToTheAreasEdges) {
    const QRect area(100, 50, 800, 600); // right 899, bottom 649
    struct Case {
        QRect frame;
        QSize room;
    };
    const Case cases[] = {
        {{100, 50, 300, 200}, {800, 600}},  // in the area's corner: all of it
        {{500, 250, 300, 200}, {400, 400}}, // up to the right and bottom edges
        {{700, 500, 300, 200}, {300, 200}}, // already past them: no less than it has
        {{0, 0, 1000, 700}, {800, 600}},    // larger than the area: no more than the area
    };
    for (const Case& c : cases)
        EXPECT_EQ(roomFromCorner(c.frame, area), c.room) << c.frame.x() << "," << c.frame.y();
}

} // namespace
