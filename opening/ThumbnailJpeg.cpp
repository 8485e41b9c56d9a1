#include "ThumbnailJpeg.h"

#include "pictures/JpegDecoder.h"
#include "pictures/JpegSession.h"

#include <csetjmp>

namespace {

// Start-of-scan markers never occur inside entropy-coded data (its 0xFF bytes are followed by
// 0x00), so counting them counts the scans, plus those of a preview the metadata may embed.
int countScans(const QByteArray& bytes) {
    return int(std::min<qsizetype>(bytes.count(QByteArrayView("\xFF\xDA", 2)), 1 << 30));
}

// Calls libjpeg under setjmp; no object with a destructor lives in its frame.
bool readHeader(JpegSession& session, const QByteArray& bytes) {
    if (setjmp(session.back))
        return false;
    jpeg_create_decompress(&session.info);
    jpeg_mem_src(&session.info, reinterpret_cast<const unsigned char*>(bytes.constData()),
                 static_cast<unsigned long>(bytes.size()));
    jpeg_read_header(&session.info, TRUE);
    return true;
}

// The header as the library read it; `scans` counted from the bytes.
ThumbnailJpeg::Header headerOf(const jpeg_decompress_struct& info, int scans) {
    ThumbnailJpeg::Header header;
    header.natural = QSize(int(info.image_width), int(info.image_height));
    header.progressive = info.progressive_mode;
    header.scans = scans;
    for (int c = 0; c < info.num_components; ++c)
        header.coefficientBytes += qint64(info.comp_info[c].width_in_blocks) *
                                   info.comp_info[c].height_in_blocks * DCTSIZE2 *
                                   qint64(sizeof(JCOEF));
    return header;
}

ThumbnailJpeg::Result refused(const QString& problem) {
    return {ThumbnailJpeg::Status::Refused, QImage(), problem};
}

QString sizeText(QSize size) {
    return QStringLiteral("%1 x %2 pixels").arg(size.width()).arg(size.height());
}

} // namespace

int ThumbnailJpeg::scaleFor(QSize natural, QSize target) {
    for (int denominator : {8, 4, 2})
        if ((natural.width() + denominator - 1) / denominator >= target.width() &&
            (natural.height() + denominator - 1) / denominator >= target.height())
            return denominator;
    return 1;
}

QString ThumbnailJpeg::refusal(const Header& header, QSize target, const Limits& limits) {
    const qint64 pixels = qint64(header.natural.width()) * header.natural.height();
    if (header.natural.width() <= 0 || header.natural.height() <= 0)
        return QStringLiteral("gives no size in its header");
    if (header.scans > limits.scans)
        return QStringLiteral("holds %1 scans; at most %2 are decoded")
            .arg(header.scans)
            .arg(limits.scans);
    const int scale = scaleFor(header.natural, target);
    const qint64 scaled = qint64((header.natural.width() + scale - 1) / scale) *
                          ((header.natural.height() + scale - 1) / scale);
    const qint64 passes = header.progressive ? std::max(header.scans, 1) : 1;
    const bool tooMuch = scaled > limits.scaledPixels || pixels * passes > limits.work ||
                         (header.progressive && header.coefficientBytes > limits.coefficientBytes);
    if (!tooMuch)
        return QString();
    return QStringLiteral("is %1%2, too large for a thumbnail")
        .arg(sizeText(header.natural),
             header.progressive ? QStringLiteral(" in %1 scans").arg(header.scans) : QString());
}

ThumbnailJpeg::Result ThumbnailJpeg::decode(const QByteArray& bytes, QSize target,
                                            const Limits& limits) {
    JpegSession session{};
    session.attachErrors();
    const bool read = readHeader(session, bytes);
    const Header header = read ? headerOf(session.info, countScans(bytes)) : Header{};
    jpeg_destroy_decompress(&session.info);
    if (!read)
        return refused(QStringLiteral("cannot be decoded: %1")
                           .arg(session.message[0]
                                    ? QString::fromLocal8Bit(session.message)
                                    : QStringLiteral("the picture data is damaged")));
    const QString problem = refusal(header, target, limits);
    if (!problem.isEmpty())
        return refused(problem);

    const int scale = scaleFor(header.natural, target);
    JpegDecoder::Result decoded = JpegDecoder::decode(
        bytes, [&](qint64 bytesNeeded) { return bytesNeeded <= limits.scaledPixels * 4; },
        JpegDecoder::Output::Pixels, [scale](QSize) { return scale; });
    switch (decoded.status) {
    case JpegDecoder::Status::Decoded:
        return {Status::Decoded, std::move(decoded.image), QString()};
    case JpegDecoder::Status::Unsupported:
        return {Status::NeedsReader, QImage(), QString()};
    case JpegDecoder::Status::Declined:
        return refused(
            QStringLiteral("is %1, too large for a thumbnail").arg(sizeText(header.natural)));
    case JpegDecoder::Status::Failed:
        break;
    }
    return refused(QStringLiteral("cannot be decoded: %1").arg(decoded.error));
}
