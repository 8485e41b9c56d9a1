#include "PhotoProcessor.h"
#include "ExifOrientation.h"
#include "JpegEncoder.h"
#include "PhotoEdit.h"
#include "PhotoResizer.h"

#include "pictures/JpegDecoder.h"

#include <QFile>
#include <cmath>

namespace {

bool isIccProfile(const JpegDecoder::Marker& m) {
    return m.code == 0xE2 && m.data.startsWith("ICC_PROFILE");
}

bool isExif(const JpegDecoder::Marker& m) {
    return m.code == 0xE1 && m.data.startsWith(QByteArray("Exif\0\0", 6));
}

} // namespace

QSize PhotoProcessor::outputSize(QSize stored, int orientation) const {
    const QSize upright =
        m_options.autoRotate ? ExifOrientation::uprightSize(stored, orientation) : stored;
    return PhotoResizer::fitted(m_edit ? m_edit->area(upright).size() : upright, m_options.fit);
}

bool PhotoProcessor::changes(QSize stored, int orientation) const {
    return m_edit || m_options.quality > 0 || m_options.strip ||
           (m_options.autoRotate && orientation != 1) ||
           outputSize(stored, orientation) !=
               (m_options.autoRotate ? ExifOrientation::uprightSize(stored, orientation) : stored);
}

QString PhotoProcessor::process(const QString& source, const QString& target) const {
    QFile in(source);
    if (!in.open(QIODevice::ReadOnly))
        return QStringLiteral("%1 cannot be read: %2").arg(source, in.errorString());
    const QByteArray bytes = in.readAll();
    in.close();
    // The header first, for the orientation and the size the DCT scale must cover.
    const JpegDecoder::Scaled read = JpegDecoder::header(bytes);
    if (!read.problem.isEmpty())
        return QStringLiteral("%1 cannot be decoded: %2").arg(source, read.problem);
    int orientation = 1;
    for (const JpegDecoder::Marker& m : read.markers)
        if (isExif(m))
            orientation = orientationOf(ExifOrientation::read(m.data));
    QList<JpegDecoder::Marker> keep;
    for (const JpegDecoder::Marker& m : read.markers)
        if (!m_options.strip || isIccProfile(m))
            keep.append(
                isExif(m) && (m_options.autoRotate || m_options.ignoreOrientation)
                    ? JpegDecoder::Marker{m.code, ExifOrientation::withOrientation(m.data, 1)}
                    : m);
    const int turn = m_options.autoRotate ? orientation : 1;
    QString problem;
    const QImage image = edited(source, bytes, read.fullSize, turn, problem);
    if (!problem.isEmpty())
        return problem;
    const QByteArray encoded = JpegEncoder::encode(
        image, m_options.quality > 0 ? m_options.quality : JpegEncoder::kDefaultQuality, keep);
    QFile file(target);
    if (encoded.isEmpty() || !file.open(QIODevice::WriteOnly) ||
        file.write(encoded) != encoded.size() || !file.flush())
        return QStringLiteral("cannot write %1: %2").arg(target, file.errorString());
    return QString();
}

QImage PhotoProcessor::edited(const QString& source, const QByteArray& bytes, QSize full, int turn,
                              QString& problem) const {
    const QSize out = outputSize(full, turn);
    if (!m_edit) {
        // Scaled as stored, then turned: the turn moves the fewest pixels that way.
        const QSize stored = ExifOrientation::uprightSize(out, turn);
        const JpegDecoder::Scaled pixels = JpegDecoder::decodeScaled(bytes, stored);
        if (!pixels.problem.isEmpty())
            problem = QStringLiteral("%1 cannot be decoded: %2").arg(source, pixels.problem);
        return problem.isEmpty()
                   ? ExifOrientation::upright(PhotoResizer::scaled(pixels.image, stored), turn)
                   : QImage();
    }
    // Decoded so that the kept area still covers the size packed (upright, only the part the
    // edit reads), turned, edited, then scaled and finished.
    const QSize upright = ExifOrientation::uprightSize(full, turn);
    const QSize area = m_edit->area(upright).size();
    const QSize need(int(std::ceil(double(upright.width()) * out.width() / area.width())),
                     int(std::ceil(double(upright.height()) * out.height() / area.height())));
    const JpegDecoder::Scaled pixels =
        turn == 1 ? JpegDecoder::decodeScaledRegion(bytes, need, m_edit->sourceArea(source, full))
                  : JpegDecoder::decodeScaled(bytes, ExifOrientation::uprightSize(need, turn));
    if (!pixels.problem.isEmpty()) {
        problem = QStringLiteral("%1 cannot be decoded: %2").arg(source, pixels.problem);
        return QImage();
    }
    const double scale =
        double((qint64(upright.width()) * pixels.eighths + 7) / 8) / upright.width();
    const QImage cut = m_edit->apply(source, ExifOrientation::upright(pixels.image, turn),
                                     pixels.origin, scale, upright);
    if (cut.isNull()) {
        problem = QStringLiteral("%1: no memory for the picture").arg(source);
        return QImage();
    }
    QImage packed = PhotoResizer::scaled(cut, out);
    m_edit->finish(source, packed);
    return packed;
}
