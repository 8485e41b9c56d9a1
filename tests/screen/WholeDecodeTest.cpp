// When the window has a photo larger than the screen decoded whole: after the view rests on it at
// its screen level, and first of all when it is zoomed past the level. Six positions, so that the
// pictures ahead of a turn never wrap round to the one shown.
#include "view/ViewerFixture.h"

#include "pictures/PictureKeeper.h"
#include "support/JpegFiles.h"

#include <QScreen>

namespace {

class WholeDecode : public Viewer {
protected:
    void SetUp() override {
        ASSERT_EQ(QGuiApplication::primaryScreen()->availableGeometry().size(), QSize(1920, 1080));
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
        TestPackage p;
        p.horizontal = 6;
        p.extension = QStringLiteral(".jpg");
        p.pictureSize = QSize(4000, 3000); // held at 1/2 on this screen
        const QByteArray photo = rampJpeg(p.pictureSize);
        for (const QString& name : p.pictureNames()) {
            p.omitMembers << name;
            p.extraMembers[name] = photo;
        }
        ASSERT_NO_FATAL_FAILURE(open(p));
        ASSERT_EQ(window.imgMain->picture()->levelDenominator(), 2);
    }

    PictureKeeper& keeper() { return window.pictureKeeper(); }
    PicturePtr at(int slot) const { return window.imgArray->at(slot)->picture(); }
    bool wholeKept(const PicturePtr& picture) { return !keeper().kept(picture, 1).isNull(); }
};

// A real wait in the real window: the rest after a turn ends in the whole decode of the photo
// turned to, and not before the event loop has run.
TEST_F(WholeDecode, RestingOnAPhotoDecodesItWhole) {
    window.HscrArray->setValue(3);
    const PicturePtr shown = window.imgMain->picture();
    ASSERT_EQ(shown, at(3));
    EXPECT_FALSE(wholeKept(shown));
    EXPECT_TRUE(QTest::qWaitFor([&] { return wholeKept(shown); }, 10'000));
    EXPECT_FALSE(wholeKept(at(4))); // only the photo rested on
}

// Zoomed past the level, the shown photo's whole decode is asked for before the pictures ahead:
// with room for one decode ahead, it is the one made.
TEST_F(WholeDecode, ZoomedPastTheLevelTheShownPhotoIsDecodedFirst) {
    window.HscrArray->setValue(2); // the rest after the opening no longer applies
    const PicturePtr shown = window.imgMain->picture();
    const qint64 planes = 4000 * 3000 * 3 / 2;
    keeper().setByteCap(2 * planes + 1'000'000); // half of it: one whole decode
    window.hscrlZoom->setValue(20);              // 100 %
    QApplication::processEvents();               // the decodes ahead start after the paint
    keeper().waitForDone();
    EXPECT_TRUE(wholeKept(shown));
    EXPECT_FALSE(wholeKept(at(3)));
}

} // namespace
