#include "PictureDecoder.h"

#include "pictures/DecodeFailure.h"
#include "pictures/DecodedBytes.h"

#include <QBuffer>
#include <QImageReader>
#include <cstdlib>

namespace {

DecodedPicture failed(const QString& why) {
    return {DecodedPicture::Status::Failed, {}, why};
}

DecodedPicture readerDecode(const QByteArray& bytes, const JpegDecoder::Reserve& reserve) {
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    reader.setAutoTransform(false);
    // The reader gives a BMP stored top-down a negative height; its rows are read all the same.
    const QSize header = reader.size();
    const qint64 width = std::abs(qint64(header.width()));
    const qint64 height = std::abs(qint64(header.height()));
    if (!reader.canRead() || width == 0 || height == 0)
        return failed(decodeFailureReason(reader, header));
    // The bound the reader itself would refuse with (0: none), said plainly before any pixel
    // memory is asked for.
    const qint64 mostBytes = qint64(QImageReader::allocationLimit()) << 20;
    if (mostBytes > 0 && decodedPictureBytes(width, height) > mostBytes)
        return failed(
            QStringLiteral("a picture of %1 x %2 pixels is too large").arg(width).arg(height));
    if (reserve && !reserve(decodedPictureBytes(width, height)))
        return {DecodedPicture::Status::Declined, {}, {}};
    const QImage image = toPaintFormat(reader.read());
    if (image.isNull())
        return failed(decodeFailureReason(reader, header));
    return {DecodedPicture::Status::Decoded, {image, nullptr}, {}, image.size()};
}

} // namespace

QImage toPaintFormat(QImage image) {
    if (image.isNull())
        return image;
    const QImage::Format want =
        image.hasAlphaChannel() ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32;
    if (image.format() != want)
        image.convertTo(want);
    return image;
}

DecodedPicture decodePicture(const QByteArray& bytes, const JpegDecoder::Reserve& reserve,
                             const JpegDecoder::ScaleFor& scaleFor) {
    if (JpegDecoder::looksLikeJpeg(bytes)) {
        JpegDecoder::Result jpeg =
            JpegDecoder::decode(bytes, reserve, JpegDecoder::Output::Planes, scaleFor);
        switch (jpeg.status) {
        case JpegDecoder::Status::Decoded:
            return {DecodedPicture::Status::Decoded,
                    {std::move(jpeg.image), std::move(jpeg.planes)},
                    {},
                    jpeg.natural,
                    jpeg.scale};
        case JpegDecoder::Status::Failed:
            return failed(jpeg.error);
        case JpegDecoder::Status::Declined:
            return {DecodedPicture::Status::Declined, {}, {}};
        case JpegDecoder::Status::Unsupported:
            break; // CMYK and YCCK: the reader's
        }
    }
    return readerDecode(bytes, reserve);
}
