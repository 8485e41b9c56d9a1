// Decodes that do less than the whole picture: reduced by the DCT scaling, and parts of it.
#include "pictures/JpegDecoder.h"
#include "pictures/JpegPlanes.h"
#include "support/JpegFiles.h"

#include <jpeglib.h>

#include <csetjmp>
#include <cstdlib>
#include <gtest/gtest.h>

namespace {

struct Kind {
    const char* name;
    JpegSampling sampling;
    bool progressive;
};

const Kind kKinds[] = {
    {"4:2:0", JpegSampling::S420, false},
    {"4:2:2", JpegSampling::S422, false},
    {"4:4:4", JpegSampling::S444, false},
    {"grey", JpegSampling::Grey, false},
    {"4:2:0 progressive", JpegSampling::S420, true},
};

struct Failure {
    jpeg_error_mgr manager;
    std::jmp_buf back;
};

[[noreturn]] void fail(j_common_ptr info) {
    std::longjmp(reinterpret_cast<Failure*>(info->err)->back, 1);
}

// The library's own decode to 32-bit pixels at 1/scale, default settings otherwise.
QImage libraryDecode(const QByteArray& file, int scale) {
    jpeg_decompress_struct info{};
    Failure failure{};
    info.err = jpeg_std_error(&failure.manager);
    failure.manager.error_exit = fail;
    QImage image;
    if (setjmp(failure.back)) {
        jpeg_destroy_decompress(&info);
        return {};
    }
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, reinterpret_cast<const unsigned char*>(file.constData()),
                 static_cast<unsigned long>(file.size()));
    jpeg_read_header(&info, TRUE);
    info.scale_num = 1;
    info.scale_denom = unsigned(scale);
    info.out_color_space = JCS_EXT_BGRA;
    jpeg_start_decompress(&info);
    image = QImage(int(info.output_width), int(info.output_height), QImage::Format_RGB32);
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = image.scanLine(int(info.output_scanline));
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    return image;
}

} // namespace

// A reduced picture held as planes paints what the library's reduced decode gives (at 1/8 the
// library stops smoothing 4:2:2 chroma, which the planes still do: not compared there). Reduced
// 4:2:0 pictures hold their chroma halved: compared on a photo below.
TEST(JpegReduced, PlanesAtEveryScaleConvertAsTheLibraryDecodes) {
    for (const Kind& kind : kKinds) {
        const QByteArray file =
            encodeJpegSampled(detailedPicture({203, 131}), kind.sampling, kind.progressive);
        for (const int scale : {1, 2, 4, 8}) {
            SCOPED_TRACE(testing::Message() << kind.name << " 1/" << scale);
            const JpegDecoder::Result held = JpegDecoder::decode(
                file, {}, JpegDecoder::Output::Planes, [scale](QSize) { return scale; });
            ASSERT_EQ(held.status, JpegDecoder::Status::Decoded);
            ASSERT_TRUE(held.planes);
            EXPECT_EQ(held.scale, scale);
            EXPECT_EQ(held.natural, QSize(203, 131));
            EXPECT_EQ(held.planes->size(),
                      QSize((203 + scale - 1) / scale, (131 + scale - 1) / scale));
            if (scale == 8 && kind.sampling == JpegSampling::S422)
                continue;
            if (scale > 1 && kind.sampling == JpegSampling::S420) {
                EXPECT_EQ(held.planes->chroma(), planes::Chroma::HalfHV);
                continue;
            }
            EXPECT_EQ(held.planes->toImage(), libraryDecode(file, scale));
        }
    }
}

// The screen level of a 4:2:0 photo holds 1.5 bytes a pixel, its chroma at half width and height
// as the file has it, where the library's reduced decode gives chroma as many samples as luma.
// Painted, it is within one level of that decode nearly everywhere: only sharp colour edges, which
// half the chroma samples cannot hold, differ by more.
TEST(JpegReduced, ScreenLevelsOf420PhotosHoldHalfTheChroma) {
    const QImage render(QStringLiteral(GYRO_SOURCE_DIR "/data/samples/teapot/teapot_H_0000.jpg"));
    ASSERT_FALSE(render.isNull());
    const QImage photo =
        render.scaled(render.size() * 4, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    const QByteArray file =
        encodeJpegSampled(photo.convertToFormat(QImage::Format_RGB32), JpegSampling::S420);
    for (const int scale : {2, 4, 8}) {
        SCOPED_TRACE(testing::Message() << "1/" << scale);
        const JpegDecoder::Result held = JpegDecoder::decode(file, {}, JpegDecoder::Output::Planes,
                                                             [scale](QSize) { return scale; });
        ASSERT_EQ(held.status, JpegDecoder::Status::Decoded);
        ASSERT_TRUE(held.planes);
        const QSize size = held.planes->size();
        ASSERT_EQ(size, photo.size() / scale); // whole MCUs: no padding
        EXPECT_EQ(held.planes->heldBytes(), qint64(size.width()) * size.height() * 3 / 2);

        const QImage shown = held.planes->toImage();
        const QImage library = libraryDecode(file, scale);
        ASSERT_EQ(library.size(), size);
        qint64 samples = 0, apart = 0, sum = 0;
        for (int y = 0; y < size.height(); ++y) {
            const QRgb* a = reinterpret_cast<const QRgb*>(shown.constScanLine(y));
            const QRgb* b = reinterpret_cast<const QRgb*>(library.constScanLine(y));
            for (int x = 0; x < size.width(); ++x)
                for (const int d : {qRed(a[x]) - qRed(b[x]), qGreen(a[x]) - qGreen(b[x]),
                                    qBlue(a[x]) - qBlue(b[x])}) {
                    ++samples;
                    apart += std::abs(d) > 1;
                    sum += std::abs(d);
                }
        }
        EXPECT_LT(double(apart) / double(samples), 0.10);
        EXPECT_LT(double(sum) / double(samples), 0.5);
    }
}

// Parts at every position that matters: corners, edges, inside, single pixels, parts off the
// picture's iMCU grid, the whole picture.
TEST(JpegReduced, PartsHaveThePixelsOfTheWholeDecode) {
    const QSize size(203, 131);
    // Parts that start or end on an iMCU's edge, at even and odd columns and rows, need the chroma
    // samples beyond them.
    const QRect parts[] = {
        {0, 0, 203, 131},  {0, 0, 17, 9},   {186, 122, 17, 9}, {50, 40, 1, 1},    {31, 15, 34, 18},
        {33, 17, 100, 60}, {0, 70, 203, 3}, {120, 0, 5, 131},  {190, 60, 40, 40}, {32, 16, 32, 16},
        {48, 32, 17, 17},  {15, 15, 2, 2},  {64, 63, 64, 2}};
    for (const Kind& kind : kKinds) {
        const QByteArray file =
            encodeJpegSampled(detailedPicture(size), kind.sampling, kind.progressive);
        const QImage whole = libraryDecode(file, 1);
        for (const QRect& part : parts) {
            SCOPED_TRACE(testing::Message() << kind.name << " part " << part.x() << ',' << part.y()
                                            << ' ' << part.width() << 'x' << part.height());
            const JpegDecoder::Result region = JpegDecoder::decodeRegion(file, part);
            ASSERT_EQ(region.status, JpegDecoder::Status::Decoded);
            EXPECT_EQ(region.natural, size);
            EXPECT_EQ(region.image, whole.copy(part & QRect(QPoint(), size)));
        }
    }
    EXPECT_EQ(
        JpegDecoder::decodeRegion(encodeJpegSampled(detailedPicture(size), JpegSampling::S420),
                                  QRect(300, 300, 10, 10))
            .status,
        JpegDecoder::Status::Failed);
}
