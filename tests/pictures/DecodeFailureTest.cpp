#include "pictures/DecodeFailure.h"

#include "support/TestFiles.h"
#include "support/ZipBuilder.h"

#include <QBuffer>
#include <QImageReader>
#include <QtEndian>
#include <gtest/gtest.h>

namespace {

// A BMP header (24 bits, uncompressed) declaring the given size, with a few bytes of pixels.
QByteArray bmpDeclaring(qint32 width, qint32 height) {
    QByteArray bytes(54, '\0');
    auto put32 = [&](int at, quint32 value) { qToLittleEndian(value, bytes.data() + at); };
    bytes[0] = 'B';
    bytes[1] = 'M';
    put32(2, 54 + 12);
    put32(10, 54);
    put32(14, 40);
    put32(18, quint32(width));
    put32(22, quint32(height));
    qToLittleEndian<quint16>(1, bytes.data() + 26);
    qToLittleEndian<quint16>(24, bytes.data() + 28);
    return bytes + QByteArray(12, '\x7f');
}

// A PNG whose header declares width x height (its checksum made right) over a few pixels.
QByteArray pngDeclaring(const QByteArray& png, quint32 width, quint32 height) {
    QByteArray bytes = png;
    qToBigEndian(width, bytes.data() + 16);
    qToBigEndian(height, bytes.data() + 20);
    qToBigEndian(zipCrc32(bytes.mid(12, 17)), bytes.data() + 29);
    return bytes;
}

} // namespace

// Qt's readers say "Unknown error" or "Unable to read image data" for what they refuse by size:
// the reason names the size and the limit instead.
TEST(DecodeFailure, SaysWhatTheReaderLeavesUnsaid) {
    QImage small(16, 16, QImage::Format_RGB32);
    small.fill(Qt::gray);
    const QByteArray jpeg = encodeImage(small, "JPEG");
    const struct {
        const char* name;
        QByteArray bytes;
        const char* says;
    } cases[] = {
        {"PNG claiming 20000 x 20000", pngDeclaring(encodeImage(small, "PNG"), 20000, 20000),
         "20000 x 20000 pixels would take 1526 MB decoded, more than the"},
        {"JPEG claiming 65535 x 65535", withClaimedJpegSize(jpeg, 65535, 65535),
         "does not take its header"},
        {"BMP 2^31 wide", bmpDeclaring(qint32(0x80000000u), 1), "does not take its header"},
        {"BMP of no size", bmpDeclaring(0, 0), "does not take its header"},
        {"PNG cut off", encodeImage(small, "PNG").left(60), "does not take its header"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QBuffer buffer;
        buffer.setData(c.bytes);
        buffer.open(QIODevice::ReadOnly);
        QImageReader reader(&buffer);
        const QSize declared = reader.size();
        ASSERT_TRUE(reader.read().isNull());
        const QString reason = decodeFailureReason(reader, declared);
        EXPECT_FALSE(reason.isEmpty());
        EXPECT_FALSE(reason.contains(QStringLiteral("Unknown error"))) << reason.toStdString();
        EXPECT_TRUE(reason.contains(QString::fromUtf8(c.says))) << reason.toStdString();
    }
}
