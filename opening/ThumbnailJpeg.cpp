#include "ThumbnailJpeg.h"

#include "pictures/JpegSession.h"

#include <csetjmp>

namespace {

using Session = JpegSession;

// Start-of-scan markers never occur inside entropy-coded data (its 0xFF bytes are followed by
// 0x00), so counting them counts the scans, plus those of a preview the metadata may embed.
int countScans(const QByteArray& bytes) {
    return int(std::min<qsizetype>(bytes.count(QByteArrayView("\xFF\xDA", 2)), 1 << 30));
}

// The functions below call libjpeg under setjmp; no object with a destructor lives in their
// frames.

bool readHeader(Session& session, const QByteArray& bytes, qint64 memoryMb) {
    if (setjmp(session.back))
        return false;
    jpeg_create_decompress(&session.info);
    session.info.mem->max_memory_to_use = long(memoryMb) << 20;
    jpeg_mem_src(&session.info, reinterpret_cast<const unsigned char*>(bytes.constData()),
                 static_cast<unsigned long>(bytes.size()));
    jpeg_read_header(&session.info, TRUE);
    return true;
}

bool readPixels(Session& session, QImage& image) {
    if (setjmp(session.back))
        return false;
    jpeg_decompress_struct& info = session.info;
    jpeg_start_decompress(&info);
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = image.scanLine(int(info.output_scanline));
        if (jpeg_read_scanlines(&info, &row, 1) == 0)
            return false;
    }
    jpeg_finish_decompress(&info);
    return true;
}

QString messageOf(const Session& session) {
    return session.message[0] ? QString::fromLocal8Bit(session.message)
                              : QStringLiteral("the picture data is damaged");
}

ThumbnailJpeg::Result refused(const QString& problem) {
    return {ThumbnailJpeg::Status::Refused, QImage(), problem};
}

} // namespace

int ThumbnailJpeg::scaleFor(QSize natural, QSize target) {
    for (int denominator : {8, 4, 2})
        if ((natural.width() + denominator - 1) / denominator >= target.width() &&
            (natural.height() + denominator - 1) / denominator >= target.height())
            return denominator;
    return 1;
}

ThumbnailJpeg::Result ThumbnailJpeg::decode(const QByteArray& bytes, QSize target,
                                            const Limits& limits) {
    const int scans = countScans(bytes);
    if (scans > limits.scans)
        return refused(
            QStringLiteral("holds %1 scans; at most %2 are decoded").arg(scans).arg(limits.scans));
    Session session{};
    session.attachErrors();
    Result result;
    if (!readHeader(session, bytes, limits.memoryMb)) {
        result = refused(QStringLiteral("cannot be decoded: %1").arg(messageOf(session)));
    } else {
        jpeg_decompress_struct& info = session.info;
        const QSize natural(int(info.image_width), int(info.image_height));
        const qint64 pixels = qint64(natural.width()) * natural.height();
        const qint64 work = info.progressive_mode ? pixels * std::max(scans, 1) : pixels;
        const J_COLOR_SPACE space = info.jpeg_color_space;
        if (pixels <= 0) {
            result = refused(QStringLiteral("gives no size in its header"));
        } else if (pixels > limits.pixels || work > limits.work) {
            result =
                refused(QStringLiteral("is %1 x %2 pixels%3, too large for a thumbnail")
                            .arg(natural.width())
                            .arg(natural.height())
                            .arg(info.progressive_mode ? QStringLiteral(" in %1 scans").arg(scans)
                                                       : QString()));
        } else if (space != JCS_GRAYSCALE && space != JCS_YCbCr && space != JCS_RGB) {
            result.status = Status::NeedsReader;
        } else {
            info.out_color_space = kPaintColorSpace;
            info.scale_num = 1;
            info.scale_denom = unsigned(scaleFor(natural, target));
            jpeg_calc_output_dimensions(&info);
            QImage image(int(info.output_width), int(info.output_height), QImage::Format_RGB32);
            if (image.isNull())
                result = refused(QStringLiteral("cannot be decoded: out of memory"));
            else if (!readPixels(session, image))
                result = refused(QStringLiteral("cannot be decoded: %1").arg(messageOf(session)));
            else
                result = {Status::Decoded, std::move(image), QString()};
        }
    }
    jpeg_destroy_decompress(&session.info);
    return result;
}
