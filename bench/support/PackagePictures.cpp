#include "PackagePictures.h"

#include <QFile>
#include <zip.h>

namespace {

bool startsLikeJpeg(const QByteArray& bytes) {
    return bytes.size() >= 3 && uchar(bytes[0]) == 0xFF && uchar(bytes[1]) == 0xD8 &&
           uchar(bytes[2]) == 0xFF;
}

QString archiveError(zip_t* archive) {
    return QString::fromLocal8Bit(zip_strerror(archive));
}

// Reads one member whole; false with `error` set when it cannot be read.
bool readMember(zip_t* archive, zip_uint64_t index, const QString& name, QByteArray& bytes,
                QString& error) {
    zip_stat_t stat;
    zip_stat_init(&stat);
    if (zip_stat_index(archive, index, 0, &stat) != 0 || !(stat.valid & ZIP_STAT_SIZE)) {
        error = QStringLiteral("cannot measure %1: %2").arg(name, archiveError(archive));
        return false;
    }
    if (stat.size > zip_uint64_t(kLargestPackageMember)) {
        error = QStringLiteral("%1 is too large (%2 bytes)").arg(name).arg(stat.size);
        return false;
    }
    zip_file_t* file = zip_fopen_index(archive, index, 0);
    if (!file) {
        error = QStringLiteral("cannot open %1: %2").arg(name, archiveError(archive));
        return false;
    }
    bytes.resize(qsizetype(stat.size));
    const zip_int64_t got = zip_fread(file, bytes.data(), stat.size);
    const bool whole = got == zip_int64_t(stat.size);
    if (!whole)
        error =
            QStringLiteral("cannot read %1: %2")
                .arg(name, QString::fromLocal8Bit(zip_error_strerror(zip_file_get_error(file))));
    zip_fclose(file);
    return whole;
}

} // namespace

PackagePictures readPackagePictures(const QString& packagePath) {
    PackagePictures result;
    int code = 0;
    zip_t* archive = zip_open(QFile::encodeName(packagePath).constData(), ZIP_RDONLY, &code);
    if (!archive) {
        zip_error_t error;
        zip_error_init_with_code(&error, code);
        result.error = QStringLiteral("cannot open %1: %2")
                           .arg(packagePath, QString::fromLocal8Bit(zip_error_strerror(&error)));
        zip_error_fini(&error);
        return result;
    }
    const zip_int64_t count = zip_get_num_entries(archive, 0);
    for (zip_int64_t i = 0; i < count; ++i) {
        const char* rawName = zip_get_name(archive, zip_uint64_t(i), ZIP_FL_ENC_GUESS);
        const QString name = rawName ? QString::fromUtf8(rawName) : QStringLiteral("#%1").arg(i);
        if (name.endsWith(QLatin1Char('/')))
            continue;
        QByteArray bytes;
        if (!readMember(archive, zip_uint64_t(i), name, bytes, result.error)) {
            zip_discard(archive);
            result.pictures.clear();
            result.totalBytes = 0;
            return result;
        }
        if (!startsLikeJpeg(bytes))
            continue;
        result.totalBytes += bytes.size();
        result.pictures.push_back({name, bytes});
    }
    zip_discard(archive);
    result.ok = true;
    return result;
}
