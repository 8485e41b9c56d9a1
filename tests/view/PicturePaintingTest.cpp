// What the window paints of camera-like JPEG packages: held as planes (or compressed), every
// picture shown is pixel-identical to the same control painting libjpeg-turbo's own decode to
// 32-bit pixels, at 100 % and zoomed, whole and in exposed parts.
#include "ViewerFixture.h"

#include "pictures/JpegDecoder.h"
#include "support/JpegFiles.h"

#include "pictures/ViewsAhead.h"

#include <QBackingStore>
#include <QPainter>

namespace {

class PicturePainting : public Viewer {
protected:
    void SetUp() override {
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    }

    // Three pictures of an odd size in one sampling; returns the member bytes by position.
    std::vector<QByteArray> openJpegPackage(JpegSampling sampling, bool progressive) {
        TestPackage p;
        p.horizontal = 3;
        p.extension = QStringLiteral(".jpg");
        std::vector<QByteArray> files;
        for (int i = 0; i < p.horizontal; ++i) {
            const QString name = horizontalMemberName(p.baseName, i, p.extension);
            files.push_back(encodeJpegSampled(detailedPicture({63 - i, 45}).mirrored(i, false),
                                              sampling, progressive));
            p.omitMembers.append(name);
            p.extraMembers.insert(name, files.back());
        }
        open(p);
        return files;
    }

    // imgMain painted over `part` of itself, and the same control painting the library's decode.
    std::pair<QImage, QImage> paintedAndReference(const QByteArray& file, const QRect& part) {
        ImageControl reference;
        reference.setStretch(window.imgMain->stretch());
        reference.resize(window.imgMain->size());
        reference.setPicture(Picture::fromImage(JpegDecoder::decode(file).image));
        return {window.imgMain->grab(part).toImage(), reference.grab(part).toImage()};
    }

    // The library's decode painted where the window paints `part` of imgMain, by one plain Qt call
    // in the window's coordinates: copied at its natural size, smoothly scaled otherwise.
    QImage libraryPainted(const QByteArray& file, const QRect& part) {
        const QImage decoded = JpegDecoder::decode(file).image;
        const auto* store = static_cast<QImage*>(window.backingStore()->paintDevice());
        const QPoint offset = window.imgMain->mapTo(&window, QPoint(0, 0));
        QImage canvas(store->size(), store->format());
        QPainter painter(&canvas);
        painter.translate(offset);
        const QSize control = window.imgMain->size();
        if (control == decoded.size()) {
            painter.drawImage(part.topLeft(), decoded, part);
        } else {
            const double sx = double(decoded.width()) / control.width();
            const double sy = double(decoded.height()) / control.height();
            painter.setRenderHint(QPainter::SmoothPixmapTransform);
            painter.drawImage(
                QRectF(part), decoded,
                QRectF(part.x() * sx, part.y() * sy, part.width() * sx, part.height() * sy));
        }
        painter.end();
        return canvas.copy(part.translated(offset)).convertToFormat(QImage::Format_RGB32);
    }

    // What the window's own backing store holds under `part` of imgMain after a repaint.
    QImage windowPixels(const QRect& part) {
        window.imgMain->repaint();
        QPaintDevice* device = window.backingStore()->paintDevice();
        if (!device || device->devType() != QInternal::Image)
            return QImage();
        const QImage& store = *static_cast<QImage*>(device);
        return store.copy(part.translated(window.imgMain->mapTo(&window, QPoint(0, 0))))
            .convertToFormat(QImage::Format_RGB32);
    }
};

TEST_F(PicturePainting, EveryKindOfJpegPaintsAsTheLibraryDecodesIt) {
    const struct {
        const char* name;
        JpegSampling sampling;
        bool progressive;
        bool useRam;
    } cases[] = {
        {"4:2:0", JpegSampling::S420, false, true},
        {"4:2:2", JpegSampling::S422, false, true},
        {"4:4:4", JpegSampling::S444, false, true},
        {"grey", JpegSampling::Grey, false, true},
        {"progressive 4:2:0", JpegSampling::S420, true, true},
        {"4:2:0 held compressed", JpegSampling::S420, false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        settings.bOptUseRam = c.useRam;
        const std::vector<QByteArray> files = openJpegPackage(c.sampling, c.progressive);
        for (const int zoom : {20, 7, 37, 80}) {
            SCOPED_TRACE(zoom);
            window.hscrlZoom->setValue(zoom);
            for (int position = 1; position <= 2; ++position) {
                window.HscrArray->setValue(position);
                const QRect whole = window.imgMain->rect();
                for (const QRect& part : {whole, QRect(whole.center(), whole.bottomRight()),
                                          QRect(3, 2, whole.width() / 3, whole.height() / 4)}) {
                    const auto [painted, reference] =
                        paintedAndReference(files[std::size_t(position)], part);
                    ASSERT_FALSE(painted.isNull());
                    EXPECT_EQ(painted, reference) << "part " << part.x() << ',' << part.y();
                }
            }
        }
        window.HscrArray->setValue(0);
    }
}

// Turning paints the window itself (its image, where the pictures are converted straight into, or
// views painted ahead are copied) exactly as one plain Qt call paints the library's decode there.
TEST_F(PicturePainting, TurningPaintsTheWindowAsTheLibraryDecodesIt) {
    const qint64 viewsBefore = ViewsAhead::shownCount();
    for (const JpegSampling sampling : {JpegSampling::S420, JpegSampling::S444}) {
        for (const bool useRam : {true, false}) {
            SCOPED_TRACE(int(sampling) * 2 + int(useRam));
            settings.bOptUseRam = useRam;
            const std::vector<QByteArray> files = openJpegPackage(sampling, false);
            for (const int zoom : {20, 37, 80}) {
                SCOPED_TRACE(zoom);
                window.hscrlZoom->setValue(zoom);
                for (const int position : {1, 2, 0, 2}) {
                    QTest::qWait(50); // the work ahead of the turn before starts
                    window.imgMain->waitForPaintAhead();
                    window.HscrArray->setValue(position);
                    const QRect visible = window.imgMain->visibleRegion().boundingRect();
                    const QImage shown = windowPixels(visible);
                    ASSERT_FALSE(shown.isNull());
                    EXPECT_EQ(shown, libraryPainted(files[std::size_t(position)], visible))
                        << "position " << position;
                }
            }
        }
    }
    EXPECT_GT(ViewsAhead::shownCount(), viewsBefore); // turns were painted from views ahead
}

} // namespace
