#include "ThumbnailJpeg.h"

#include "pictures/JpegDecoder.h"
#include "pictures/ScreenLevel.h"

namespace {

// Start-of-scan markers never occur inside entropy-coded data (its 0xFF bytes are followed by
// 0x00), so counting them counts the scans, plus those of a preview the metadata may embed.
int countScans(const QByteArray& bytes) {
    return int(std::min<qsizetype>(bytes.count(QByteArrayView("\xFF\xDA", 2)), 1 << 30));
}

ThumbnailJpeg::Result refused(const QString& problem) {
    return {ThumbnailJpeg::Status::Refused, QImage(), problem};
}

QString sizeText(QSize size) {
    return QStringLiteral("%1 x %2 pixels").arg(size.width()).arg(size.height());
}

} // namespace

QString ThumbnailJpeg::refusal(const Header& header, QSize target, const Limits& limits) {
    const qint64 pixels = qint64(header.natural.width()) * header.natural.height();
    if (header.natural.width() <= 0 || header.natural.height() <= 0)
        return QStringLiteral("gives no size in its header");
    if (header.scans > limits.scans)
        return QStringLiteral("holds %1 scans; at most %2 are decoded")
            .arg(header.scans)
            .arg(limits.scans);
    const QSize reduced = reducedSize(header.natural, levelScale(header.natural, target));
    const qint64 scaled = qint64(reduced.width()) * reduced.height();
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
    const JpegDecoder::Scaled read = JpegDecoder::header(bytes, false);
    if (!read.problem.isEmpty())
        return refused(QStringLiteral("cannot be decoded: %1").arg(read.problem));
    const Header header{read.fullSize, read.progressive, countScans(bytes), read.coefficientBytes};
    const QString problem = refusal(header, target, limits);
    if (!problem.isEmpty())
        return refused(problem);

    JpegDecoder::Result decoded = JpegDecoder::decode(
        bytes, [&](qint64 bytesNeeded) { return bytesNeeded <= limits.scaledPixels * 4; },
        JpegDecoder::Output::Pixels,
        [target](QSize natural) { return levelScale(natural, target); });
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
