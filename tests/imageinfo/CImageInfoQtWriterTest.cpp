// Probes of pictures written by Qt's image writers: the probe must report the size that Qt's own
// reader finds and the depth that the writer stores for each pixel format.
#include "ImageHeaderBytes.h"
#include "imageinfo/CImageInfo.h"
#include "support/TempDir.h"
#include "support/TestFiles.h"

#include <QColor>
#include <QImage>
#include <QImageReader>
#include <QImageWriter>
#include <gtest/gtest.h>

namespace {

struct WrittenCase {
    const char* name;
    QImage::Format format;
    const char* writerFormat;
    qint32 imageType;
    int depth;
};

// A picture with some structure, so that writers do not take shortcuts for flat images.
QImage testPicture(QImage::Format format, int width, int height) {
    QImage rgb(width, height, QImage::Format_ARGB32);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x)
            rgb.setPixel(x, y, qRgba(x * 7 % 256, y * 11 % 256, (x + y) % 256, 128 + x % 128));
    }
    return rgb.convertToFormat(format);
}

void PrintTo(const WrittenCase& c, std::ostream* out) {
    *out << c.name;
}

class QtWrittenPicture : public testing::TestWithParam<WrittenCase> {};

TEST_P(QtWrittenPicture, ProbeMatchesWriterAndReader) {
    const WrittenCase& c = GetParam();
    TempDir dir;
    const QString path = dir.file(QStringLiteral("picture.") + QLatin1String(c.writerFormat));
    const QImage image = testPicture(c.format, 157, 83);
    QImageWriter writer(path, c.writerFormat);
    ASSERT_TRUE(writer.write(image)) << writer.errorString().toStdString();

    CImageInfo info;
    info.ReadImageInfo(path);
    EXPECT_EQ(info.ImageType(), c.imageType);
    EXPECT_EQ(info.Width(), 157);
    EXPECT_EQ(info.Height(), 83);
    EXPECT_EQ(int(info.Depth()), c.depth);
    EXPECT_EQ(QSize(info.Width(), info.Height()), QImageReader(path).size());
}

const WrittenCase kWrittenCases[] = {
    {"png_rgb888", QImage::Format_RGB888, "png", 3, 24},
    {"png_argb32", QImage::Format_ARGB32, "png", 3, 32},
    {"png_grey8", QImage::Format_Grayscale8, "png", 3, 8},
    {"png_grey16", QImage::Format_Grayscale16, "png", 3, 16},
    {"png_indexed8", QImage::Format_Indexed8, "png", 3, 8},
    {"jpeg_colour", QImage::Format_RGB32, "jpg", 2, 24},
    {"jpeg_grey", QImage::Format_Grayscale8, "jpg", 2, 8},
    {"bmp_rgb32", QImage::Format_RGB32, "bmp", 4, 24},
    {"bmp_indexed8", QImage::Format_Indexed8, "bmp", 4, 8},
};

INSTANTIATE_TEST_SUITE_P(CImageInfo, QtWrittenPicture, testing::ValuesIn(kWrittenCases),
                         [](const testing::TestParamInfo<WrittenCase>& info) {
                             return std::string(info.param.name);
                         });

// Qt reads GIF but may not write it; the file is then built by hand, and Qt's reader confirms
// that it is a real GIF of that size.
TEST(CImageInfoQtGif, GifThatQtReads) {
    TempDir dir;
    const QString path = dir.file(QStringLiteral("picture.gif"));
    if (QImageWriter::supportedImageFormats().contains("gif")) {
        ASSERT_TRUE(testPicture(QImage::Format_Indexed8, 157, 83).save(path, "gif"));
    } else {
        writeWholeFile(path, gifFile(157, 83, 4));
        ASSERT_EQ(QImage(path).size(), QSize(157, 83));
    }

    CImageInfo info;
    info.ReadImageInfo(path);
    EXPECT_EQ(info.ImageType(), 1);
    EXPECT_EQ(QSize(info.Width(), info.Height()), QImageReader(path).size());
    EXPECT_EQ(QSize(info.Width(), info.Height()), QSize(157, 83));
    EXPECT_GE(info.Depth(), 1);
    EXPECT_LE(info.Depth(), 8);
}

} // namespace
