// The main window stays on its screen and keeps room for its control strip, whatever size the
// pictures and the zoom ask for.
#include "ViewerFixture.h"

#include "toolkit/Twips.h"

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

} // namespace
