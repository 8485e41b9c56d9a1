#include "PackageThumbnail.h"

#include "archive/DisplayText.h"
#include "archive/MemberReader.h"
#include "format/Descriptor.h"
#include "format/IniFile.h"
#include "format/MemberNames.h"
#include "format/WholeFile.h"
#include "opening/ThumbnailJpeg.h"
#include "pictures/DecodeFailure.h"

#include <QBuffer>
#include <QFileInfo>
#include <QImageReader>
#include <QSaveFile>

namespace {

bool isNamePart(const QString& text) {
    return !text.contains(QLatin1Char('/')) && !text.contains(QLatin1Char('\\')) &&
           !text.contains(QChar(0));
}

} // namespace

bool PackageThumbnail::refuse(const QString& problem) {
    m_image = QImage();
    m_problem = problem;
    return false;
}

bool PackageThumbnail::make(const QString& packagePath, int size) {
    m_image = QImage();
    m_problem.clear();
    const QString label = displayFileName(QFileInfo(packagePath).fileName());
    if (size < 1 || size > MaxSize)
        return refuse(
            QStringLiteral("The thumbnail size %1 is outside 1 ... %2.").arg(size).arg(MaxSize));

    MemberReader archive;
    if (!archive.open(packagePath))
        return refuse(archive.problem());

    const std::int64_t ini = archive.find(descriptorMemberName());
    if (ini == MemberReader::NotFound)
        return refuse(
            QStringLiteral("%1 holds no descriptor (%2).").arg(label, descriptorMemberName()));
    if (ini == MemberReader::Ambiguous)
        return refuse(
            QStringLiteral("%1 holds more than one %2.").arg(label, descriptorMemberName()));
    QByteArray bytes;
    if (!archive.read(ini, IniFile::MaxFileBytes, bytes))
        return refuse(archive.problem());
    const Descriptor descriptor = readDescriptor(IniFile::fromBytes(std::move(bytes)));

    const QString name = horizontalMemberName(descriptor.fileName, 0, descriptor.fileType);
    if (!isNamePart(descriptor.fileName) || !isNamePart(descriptor.fileType))
        return refuse(QStringLiteral("The picture name %1 that the descriptor of %2 gives reaches "
                                     "outside the package.")
                          .arg(name, label));
    const std::int64_t picture = archive.find(name);
    if (picture == MemberReader::NotFound)
        return refuse(QStringLiteral("The picture %1 is missing from %2.").arg(name, label));
    if (picture == MemberReader::Ambiguous)
        return refuse(QStringLiteral("%1 holds more than one %2.").arg(label, name));
    if (!archive.read(picture, MaxPictureBytes, bytes))
        return refuse(archive.problem());
    return decode(bytes, name, size);
}

bool PackageThumbnail::decode(const QByteArray& bytes, const QString& name, int size) {
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    const QByteArray format = QImageReader::imageFormat(&buffer);
    static const QList<QByteArray> accepted{"jpeg", "png", "gif", "bmp"};
    if (!accepted.contains(format))
        return refuse(
            QStringLiteral("The picture %1 is not a GIF, JPEG, PNG or BMP picture.").arg(name));

    QImageReader reader(&buffer, format);
    reader.setAutoDetectImageFormat(false);
    reader.setAutoTransform(false);
    const QSize natural = reader.size();
    if (!natural.isValid() || natural.isEmpty())
        return refuse(QStringLiteral("The picture %1 cannot be decoded: %2.")
                          .arg(name, decodeFailureReason(reader, natural)));
    QSize target = natural;
    if (target.width() > size || target.height() > size)
        target = natural.scaled(size, size, Qt::KeepAspectRatio).expandedTo(QSize(1, 1));

    QImage image;
    if (format == "jpeg") {
        ThumbnailJpeg::Result jpeg = ThumbnailJpeg::decode(
            bytes, target, {MaxDecodePixels, MaxDecodeWork, MaxJpegScans, MaxCoefficientBytes});
        if (jpeg.status == ThumbnailJpeg::Status::Refused)
            return refuse(QStringLiteral("The picture %1 %2.").arg(name, jpeg.problem));
        image = std::move(jpeg.image);
        if (jpeg.status == ThumbnailJpeg::Status::NeedsReader)
            reader.setScaledSize(target);
    }
    // The other kinds are decoded whole, which their size must keep well inside the bound Qt's
    // readers put on one picture.
    if (image.isNull() && format != "jpeg" &&
        qint64(natural.width()) * natural.height() > MaxDecodePixels)
        return refuse(QStringLiteral("The picture %1 is %2 x %3 pixels, too large for a thumbnail.")
                          .arg(name)
                          .arg(natural.width())
                          .arg(natural.height()));
    if (image.isNull())
        image = reader.read();
    if (image.isNull())
        return refuse(QStringLiteral("The picture %1 cannot be decoded: %2.")
                          .arg(name, decodeFailureReason(reader, natural)));
    if (image.size() != target)
        image = image.scaled(target, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    m_image = std::move(image);
    return true;
}

bool PackageThumbnail::writePng(const QString& path) {
    if (m_image.isNull())
        return refuse(QStringLiteral("There is no thumbnail to write."));
    // Encoded first, so that a failure here leaves the target as it was.
    QByteArray png;
    QBuffer buffer(&png);
    if (!buffer.open(QIODevice::WriteOnly) || !m_image.save(&buffer, "PNG"))
        return refuse(QStringLiteral("The thumbnail cannot be encoded as a PNG picture."));
    const QFileInfo target(path);
    const auto cannotWrite = [&](const QString& reason) {
        return refuse(
            QStringLiteral("%1 cannot be written: %2.").arg(displayFileName(path), reason));
    };
    if (!target.exists()) {
        QSaveFile file(path);
        if (!file.open(QIODevice::WriteOnly))
            return cannotWrite(file.errorString());
        const QString reason = fillNewFile(file.handle(), png);
        if (!reason.isEmpty())
            return cannotWrite(reason); // the unfinished file goes with `file`
        return file.commit() || cannotWrite(file.errorString());
    }
    // A file manager may have made the target and kept it open to read the picture back through
    // that handle: the bytes go into that very file, which a rename would leave empty. The old
    // picture stays until the new one has its space, and comes back if the writing fails.
    if (!target.isFile())
        return refuse(QStringLiteral("%1 is not a file.").arg(displayFileName(path)));
    QFile file(path);
    if (!file.open(QIODevice::ReadWrite))
        return cannotWrite(file.errorString());
    const QString reason = replaceFileContents(file.handle(), png);
    return reason.isEmpty() || cannotWrite(reason);
}
