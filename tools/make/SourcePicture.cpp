#include "SourcePicture.h"

#include "format/GyroError.h"
#include "imageinfo/CImageInfo.h"
#include "pictures/DecodeFailure.h"

#include <QImageIOHandler>
#include <QImageReader>

namespace {

int orientationOf(QImageIOHandler::Transformations t) {
    // The EXIF orientation values and the turns the decoder would apply for them.
    switch (int(t)) {
    case QImageIOHandler::TransformationMirror:
        return 2;
    case QImageIOHandler::TransformationRotate180:
        return 3;
    case QImageIOHandler::TransformationFlip:
        return 4;
    case QImageIOHandler::TransformationFlipAndRotate90:
        return 5;
    case QImageIOHandler::TransformationRotate90:
        return 6;
    case QImageIOHandler::TransformationMirrorAndRotate90:
        return 7;
    case QImageIOHandler::TransformationRotate270:
        return 8;
    default:
        return 1;
    }
}

} // namespace

SourcePicture SourcePicture::inspect(const QString& path) {
    SourcePicture picture;
    picture.path = path;
    CImageInfo info;
    try {
        info.ReadImageInfo(path);
    } catch (const GyroError& error) {
        picture.problem = QStringLiteral("cannot be read: %1").arg(error.description());
        return picture;
    }
    picture.kind = info.ImageType();
    if (picture.kind == CImageInfo::None) {
        picture.problem = QStringLiteral("is not a GIF, JPEG, PNG or BMP picture");
        return picture;
    }
    QImageReader reader(path, QByteArray());
    reader.setDecideFormatFromContent(true);
    picture.size = reader.size();
    if (!reader.canRead() || !picture.size.isValid() || picture.size.isEmpty()) {
        picture.problem =
            QStringLiteral("is a %1 file the picture decoder cannot read (%2)")
                .arg(kindName(picture.kind), decodeFailureReason(reader, picture.size));
        return picture;
    }
    picture.exifOrientation = orientationOf(reader.transformation());
    return picture;
}

QString SourcePicture::extensionFor(int kind) {
    switch (kind) {
    case CImageInfo::Jpeg:
        return QStringLiteral(".jpg");
    case CImageInfo::Png:
        return QStringLiteral(".png");
    case CImageInfo::Gif:
        return QStringLiteral(".gif");
    case CImageInfo::Bmp:
        return QStringLiteral(".bmp");
    default:
        return QString();
    }
}

QString SourcePicture::kindName(int kind) {
    switch (kind) {
    case CImageInfo::Jpeg:
        return QStringLiteral("JPEG");
    case CImageInfo::Png:
        return QStringLiteral("PNG");
    case CImageInfo::Gif:
        return QStringLiteral("GIF");
    case CImageInfo::Bmp:
        return QStringLiteral("BMP");
    default:
        return QStringLiteral("not a picture");
    }
}

QString SourcePicture::orientationText(int orientation) {
    switch (orientation) {
    case 2:
        return QStringLiteral("mirrored left to right");
    case 3:
        return QStringLiteral("turned 180°");
    case 4:
        return QStringLiteral("mirrored top to bottom");
    case 5:
        return QStringLiteral("mirrored and turned 90° clockwise");
    case 6:
        return QStringLiteral("turned 90° clockwise");
    case 7:
        return QStringLiteral("mirrored and turned 90° counter-clockwise");
    case 8:
        return QStringLiteral("turned 90° counter-clockwise");
    default:
        return QStringLiteral("as stored");
    }
}
