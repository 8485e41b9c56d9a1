// Camera-sized pictures in the real main window on a 1920 x 1080 screen: seen whole on opening,
// panned when zoomed. The screen is the benchmarks' offscreen one, so the program has an
// application of its own.
#include "view/ViewerFixture.h"

#include "opening/PackageStore.h"
#include "pictures/JpegDecoder.h"
#include "pictures/PictureKeeper.h"
#include "pictures/PicturePainter.h"
#include "qt/OwnApplication.h"
#include "support/JpegFiles.h"

#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>

namespace {

const auto* const environment = ::testing::AddGlobalTestEnvironment(new OwnApplication(
    "QT_QPA_PLATFORM", "offscreen:configfile=" GYRO_SOURCE_DIR "/bench/screen-1920x1080.json"));

class LargePicture : public Viewer {
protected:
    void SetUp() override {
        ASSERT_EQ(QGuiApplication::primaryScreen()->availableGeometry().size(), QSize(1920, 1080));
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    }

    static TestPackage cameraPackage(QSize size) {
        TestPackage p;
        p.horizontal = 2;
        p.extension = QStringLiteral(".jpg");
        p.pictureSize = size;
        return p;
    }

    QScrollArea* area() const { return window.findChild<QScrollArea*>(); }
};

TEST_F(LargePicture, OpensWholeAtTheLargestStepThatFits) {
    open(cameraPackage(QSize(6000, 4000)));
    // 25 % would be 1500 x 1000 in a window 1100 high; 20 % is 1200 x 800.
    EXPECT_EQ(window.hscrlZoom->value(), 4);
    EXPECT_EQ(window.lblZoom->text(), QStringLiteral("Zoom: 20%"));
    EXPECT_EQ(window.imgMain->size(), QSize(1200, 800));
    EXPECT_TRUE(window.screen()->availableGeometry().contains(window.frameGeometry()));
    EXPECT_FALSE(area()->isVisible()); // the picture sits in its own place, unscrolled
    EXPECT_EQ(window.imgMain->parentWidget(), window.centralWidget());

    // A package that fits opens at 100 % again, as the bar was lowered by the opening only.
    open(cameraPackage(QSize(640, 480)));
    EXPECT_EQ(window.lblZoom->text(), QStringLiteral("Zoom: 100%"));
    EXPECT_EQ(window.imgMain->size(), QSize(640, 480));
}

TEST_F(LargePicture, PanningAt400PercentReachesTheBottomRightCorner) {
    open(cameraPackage(QSize(6000, 4000)));
    window.hscrlZoom->setValue(80);
    ASSERT_EQ(window.imgMain->size(), QSize(24000, 16000));
    QScrollArea* scrolled = area();
    ASSERT_TRUE(scrolled->isVisible());
    EXPECT_TRUE(window.centralWidget()->rect().contains(scrolled->geometry()));
    EXPECT_EQ(scrolled->geometry().topLeft(), QPoint(8, 56)); // where the picture was
    // The point in the middle stays in the middle: the picture's middle, seen whole before.
    QScrollBar* across = scrolled->horizontalScrollBar();
    QScrollBar* down = scrolled->verticalScrollBar();
    const QSize view = scrolled->viewport()->size();
    EXPECT_NEAR(across->value(), (24000 - view.width()) / 2, 1);
    EXPECT_NEAR(down->value(), (16000 - view.height()) / 2, 1);

    // The wheel pans; then the bars to their ends.
    const int before = down->value();
    QWheelEvent wheel(QPointF(100, 100), scrolled->viewport()->mapToGlobal(QPointF(100, 100)),
                      QPoint(), QPoint(0, -120), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase,
                      false);
    QApplication::sendEvent(scrolled->viewport(), &wheel);
    EXPECT_GT(down->value(), before);
    across->setValue(across->maximum());
    down->setValue(down->maximum());
    QApplication::processEvents();

    // The pointer on the view's last pixel is on the picture's last pixel.
    const QPoint corner(view.width() - 1, view.height() - 1);
    QTest::mouseMove(scrolled->viewport(), corner);
    EXPECT_EQ(window.imgMain->mapFrom(scrolled->viewport(), corner), QPoint(23999, 15999));
    EXPECT_EQ(window.lblX->text(), QStringLiteral("359985"));
    EXPECT_EQ(window.lblY->text(), QStringLiteral("239985"));
    // And the picture is painted there.
    const QImage shown = scrolled->viewport()->grab(QRect(corner, QSize(1, 1))).toImage();
    const QColor colour = TestPackage::colourFor(horizontal(0));
    EXPECT_NEAR(QColor(shown.pixel(0, 0)).red(), colour.red(), 8);
    EXPECT_NEAR(QColor(shown.pixel(0, 0)).green(), colour.green(), 8);

    // Back to 20 %: in its place again.
    window.hscrlZoom->setValue(4);
    EXPECT_FALSE(scrolled->isVisible());
    EXPECT_EQ(window.imgMain->geometry(), QRect(QPoint(8, 56), QSize(1200, 800)));
}

// A photo larger than the screen is held at the level the opening shows it at; at 100 % the
// window shows the library's own decode of the whole picture, first from a decode of the part
// shown, then, panned to the far corner, from the whole picture decoded ahead.
// Photos the package stores uncompressed, held decoded, read their file's bytes back from it.
TEST_F(LargePicture, HeldAtTheScreenLevelAndExactAt100Percent) {
    const struct { bool decoded, stored; } cases[] = {{true, false}, {false, false}, {true, true}};
    for (const auto [decoded, stored] : cases) {
        SCOPED_TRACE(decoded ? "held decoded" : "held compressed");
        SCOPED_TRACE(stored ? "stored" : "deflated");
        settings.bOptUseRam = decoded;
        TestPackage p = cameraPackage(QSize(4000, 3000));
        p.storeUncompressed = stored;
        const QByteArray photo =
            encodeJpegSampled(detailedPicture(p.pictureSize), JpegSampling::S420);
        for (const QString& name : p.pictureNames()) {
            p.omitMembers << name;
            p.extraMembers[name] = photo;
        }
        open(p);
        // Opens at 30 % (1200 x 900): the strongest reduction at least that large is 1/2.
        ASSERT_EQ(window.hscrlZoom->value(), 6);
        window.imgMain->repaint(); // seen at the opening's zoom first
        const PicturePtr shown = window.imgMain->picture();
        EXPECT_EQ(shown->levelDenominator(), 2);
        EXPECT_EQ(shown->isDecoded(), decoded);
        const bool readBack = decoded && stored;
        EXPECT_EQ(shown->readsBack(), readBack);
        EXPECT_EQ(shown->heldBytes(),
                  (readBack ? 0 : photo.size()) + (decoded ? 2000 * 1500 * 3 / 2 : 0));

        const QImage reference = JpegDecoder::decode(photo).image;
        QScrollArea* scrolled = area();
        auto shownPart = [&] {
            const QRect seen(window.imgMain->mapFrom(scrolled->viewport(), QPoint(0, 0)),
                             scrolled->viewport()->size());
            return std::pair(
                scrolled->viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32),
                reference.copy(seen));
        };
        const qint64 regions = PicturePainter::regionCount();
        window.hscrlZoom->setValue(20);
        ASSERT_TRUE(scrolled->isVisible());
        const auto [middle, middleExpected] = shownPart();
        EXPECT_TRUE(middle == middleExpected);
        EXPECT_GT(PicturePainter::regionCount(), regions);

        QApplication::processEvents(); // the decodes ahead start
        window.pictureKeeper().waitForDone();
        scrolled->horizontalScrollBar()->setValue(scrolled->horizontalScrollBar()->maximum());
        scrolled->verticalScrollBar()->setValue(scrolled->verticalScrollBar()->maximum());
        const qint64 before = PicturePainter::regionCount();
        const auto [corner, cornerExpected] = shownPart();
        EXPECT_TRUE(corner == cornerExpected);
        EXPECT_EQ(PicturePainter::regionCount(), before); // painted from the whole decode
        window.hscrlZoom->setValue(6);
    }
}

// A package written to while it is shown: the next read back from it (the paint at 100 %) finds
// it changed, and the package is closed as a failed opening leaves it, with a message naming it.
TEST_F(LargePicture, APackageChangedOnDiskIsClosedWithAMessage) {
    TestPackage p = cameraPackage(QSize(4000, 3000));
    p.storeUncompressed = true;
    open(p);
    ASSERT_TRUE(window.imgMain->picture()->readsBack());
    const QString path = folder.file(QStringLiteral("obj.360"));
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::Append));
        ASSERT_EQ(file.write("written over"), 12);
    }
    window.hscrlZoom->setValue(20);
    window.imgMain->repaint();
    QApplication::processEvents(); // the news reaches the window
    EXPECT_EQ(prompter.messages, QStringList{PackageStore::changedMessage("obj.360")});
    EXPECT_EQ(window.imgMain->picture(), nullptr);
    EXPECT_FALSE(window.imgMain->isVisible());
    EXPECT_TRUE(window.sPackageDir.isEmpty()); // the private folder is gone
    EXPECT_TRUE(QFileInfo::exists(path));      // and the package was never touched otherwise
}

} // namespace
