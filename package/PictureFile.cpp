#include "PictureFile.h"

#include <QFile>
#include <algorithm>

namespace {

// The picture files are bounded by the extraction's own limits; this only guards the reads.
constexpr qint64 kLargestPictureFile = qint64(1) << 31;

} // namespace

bool readPictureBytes(const QString& path, const QString& memberName, QByteArray& bytes,
                      QString& problem) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered)) {
        problem = QStringLiteral("The picture %1 is missing from the package.").arg(memberName);
        return false;
    }
    const qint64 size = file.size();
    if (size > kLargestPictureFile) {
        problem = QStringLiteral("The picture %1 is too large.").arg(memberName);
        return false;
    }
    // One read straight into a buffer of the file's size.
    bytes = QByteArray(static_cast<qsizetype>(size), Qt::Uninitialized);
    const qint64 got = size > 0 ? file.read(bytes.data(), size) : 0;
    bytes.truncate(static_cast<qsizetype>(std::max<qint64>(got, 0)));
    return true;
}
