#include "PackageWriter.h"

#include "tools/shared/ProgressReporter.h"

#include "format/Descriptor.h"

#include <QFile>
#include <QFileInfo>
#include <zip.h>

bool alreadyCompressed(const QString& name) {
    const QString suffix = QFileInfo(name).suffix().toLower();
    return suffix == QLatin1String("jpg") || suffix == QLatin1String("jpeg") ||
           suffix == QLatin1String("png") || suffix == QLatin1String("gif") ||
           suffix == QLatin1String("mp3");
}

zip_t* createArchive(const QString& path, QString& why) {
    int error = 0;
    zip_t* archive = zip_open(QFile::encodeName(path).constData(), ZIP_CREATE | ZIP_EXCL, &error);
    if (!archive) {
        zip_error_t ze;
        zip_error_init_with_code(&ze, error);
        why = QStringLiteral("cannot create %1: %2")
                  .arg(path, QString::fromLocal8Bit(zip_error_strerror(&ze)));
        zip_error_fini(&ze);
    }
    return archive;
}

namespace {

QString abandon(zip_t* archive, const QString& path, const QString& why) {
    zip_discard(archive);
    QFile::remove(path);
    return why;
}

bool add(zip_t* archive, const QString& name, zip_source_t* source, zip_int32_t method) {
    const QByteArray bytes = name.toUtf8();
    const zip_int64_t index = zip_file_add(archive, bytes.constData(), source, ZIP_FL_ENC_UTF_8);
    if (index < 0) {
        zip_source_free(source);
        return false;
    }
    return zip_set_file_compression(archive, static_cast<zip_uint64_t>(index), method, 9) == 0;
}

void reportWriting(zip_t*, double done, void* reporter) {
    static_cast<ProgressReporter*>(reporter)->step(QStringLiteral("writing the package, per cent"),
                                                   qint64(done * 100), 100);
}

} // namespace

QString writePackage(const QString& path, const QByteArray& descriptor,
                     const std::vector<PlannedMember>& members, ProgressReporter* progress) {
    QString problem;
    zip_t* archive = createArchive(path, problem);
    if (!archive)
        return problem;
    if (progress)
        zip_register_progress_callback_with_state(archive, 0.01, reportWriting, nullptr, progress);
    // The descriptor's bytes must outlive zip_close, which is when libzip reads every source.
    zip_source_t* text = zip_source_buffer(archive, descriptor.constData(),
                                           static_cast<zip_uint64_t>(descriptor.size()), 0);
    if (!text || !add(archive, descriptorMemberName(), text, ZIP_CM_DEFLATE))
        return abandon(
            archive, path,
            QStringLiteral("cannot add %1: %2")
                .arg(descriptorMemberName(), QString::fromLocal8Bit(zip_strerror(archive))));
    for (const PlannedMember& member : members) {
        zip_source_t* source =
            zip_source_file(archive, QFile::encodeName(member.source).constData(), 0, -1);
        if (!source || !add(archive, member.name, source,
                            alreadyCompressed(member.name) ? ZIP_CM_STORE : ZIP_CM_DEFLATE))
            return abandon(archive, path,
                           QStringLiteral("cannot add %1 from %2: %3")
                               .arg(member.name, member.source,
                                    QString::fromLocal8Bit(zip_strerror(archive))));
    }
    if (zip_close(archive) != 0)
        return abandon(archive, path,
                       QStringLiteral("cannot write %1: %2")
                           .arg(path, QString::fromLocal8Bit(zip_strerror(archive))));
    return QString();
}
