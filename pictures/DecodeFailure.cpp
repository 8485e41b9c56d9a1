#include "DecodeFailure.h"

#include <QImageReader>
#include <cstdlib>

QString decodeFailureReason(const QImageReader& reader, QSize declared) {
    const QString text = reader.errorString();
    // Qt's readers give up on a size they do not take without saying so ("Unknown error",
    // "Unable to read image data"): the declared size tells.
    const bool vague = reader.error() == QImageReader::UnknownError ||
                       reader.error() == QImageReader::InvalidDataError;
    if (!vague && !text.isEmpty())
        return text;
    const qint64 width = std::abs(qint64(declared.width()));
    const qint64 height = std::abs(qint64(declared.height()));
    if (width == 0 || height == 0 || !declared.isValid())
        return QStringLiteral("the picture reader does not take its header (a size or form past "
                              "its limits, or a header cut off)");
    const qint64 limitMb = QImageReader::allocationLimit();
    const qint64 mb = (width * height * 4 + (1 << 20) - 1) >> 20;
    if (limitMb > 0 && mb > limitMb)
        return QStringLiteral("its %1 x %2 pixels would take %3 MB decoded, more than the %4 MB "
                              "a picture may take")
            .arg(width)
            .arg(height)
            .arg(mb)
            .arg(limitMb);
    if (reader.error() == QImageReader::InvalidDataError && !text.isEmpty())
        return QStringLiteral("%1 (%2 x %3 pixels declared)").arg(text).arg(width).arg(height);
    return QStringLiteral("the picture reader gives no reason for its %1 x %2 pixels")
        .arg(width)
        .arg(height);
}
