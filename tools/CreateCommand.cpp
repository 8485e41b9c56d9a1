// gyrolook-pack create OUT.360 DIR: writes every regular file of DIR, under its bare name, into a
// new ZIP archive. Members are deflated, except pictures and sound that do not shrink (stored).
#include "tools/make/PackageWriter.h"
#include "tools/shared/Commands.h"

#include <QDir>
#include <QFileInfo>
#include <QTextStream>
#include <zip.h>

namespace {

int fail(const QString& text) {
    QTextStream(stderr) << "gyrolook-pack create: " << text << '\n';
    return 1;
}

} // namespace

int runCreate(const QStringList& args) {
    if (args.size() != 2)
        return fail(QStringLiteral("usage: gyrolook-pack create OUT.360 DIR"));
    const QString out = args.at(0);
    const QDir dir(args.at(1));
    if (!dir.exists())
        return fail(QStringLiteral("no such folder: %1").arg(args.at(1)));
    if (QFileInfo::exists(out))
        return fail(QStringLiteral("%1 exists already; not overwritten").arg(out));

    const QFileInfoList files = dir.entryInfoList(QDir::Files | QDir::NoDotAndDotDot, QDir::Name);
    if (files.isEmpty())
        return fail(QStringLiteral("%1 holds no file").arg(args.at(1)));

    QString problem;
    zip_t* archive = createArchive(out, problem);
    if (!archive)
        return fail(problem);
    for (const QFileInfo& file : files) {
        const QByteArray path = QFile::encodeName(file.absoluteFilePath());
        const QByteArray name = QFile::encodeName(file.fileName());
        zip_source_t* source = zip_source_file(archive, path.constData(), 0, -1);
        if (!source) {
            const QString why = QString::fromLocal8Bit(zip_strerror(archive));
            zip_discard(archive);
            return fail(QStringLiteral("cannot read %1: %2").arg(file.filePath(), why));
        }
        const zip_int64_t index =
            zip_file_add(archive, name.constData(), source, ZIP_FL_ENC_GUESS | ZIP_FL_OVERWRITE);
        if (index < 0) {
            zip_source_free(source);
            const QString why = QString::fromLocal8Bit(zip_strerror(archive));
            zip_discard(archive);
            return fail(QStringLiteral("cannot add %1: %2").arg(file.fileName(), why));
        }
        zip_set_file_compression(archive, static_cast<zip_uint64_t>(index),
                                 alreadyCompressed(file.fileName()) ? ZIP_CM_STORE : ZIP_CM_DEFLATE,
                                 9);
    }
    if (zip_close(archive) != 0) {
        const QString why = QString::fromLocal8Bit(zip_strerror(archive));
        zip_discard(archive);
        QFile::remove(out);
        return fail(QStringLiteral("cannot write %1: %2").arg(out, why));
    }
    QTextStream(stdout) << "wrote " << out << " (" << files.size() << " members)\n";
    return 0;
}
