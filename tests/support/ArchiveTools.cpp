#include "support/ArchiveTools.h"

#include <QFile>
#include <QProcess>
#include <gtest/gtest.h>
#include <zip.h>

bool runProgram(const QString& program, const QStringList& args, const QString& workDir) {
    QProcess process;
    process.setWorkingDirectory(workDir);
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, args);
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit ||
        process.exitCode() != 0) {
        ADD_FAILURE() << program.toStdString() << " failed: " << process.readAll().toStdString();
        return false;
    }
    return true;
}

bool makeInfoZip(const QString& archive, const QString& folder, const QStringList& options,
                 const QStringList& files) {
    return runProgram(QStringLiteral("/usr/bin/zip"),
                      QStringList() << QStringLiteral("-q") << options << archive << files, folder);
}

bool makePythonZip(const QString& archive, const QString& script) {
    return runProgram(QStringLiteral("python3"), {QStringLiteral("-c"), script, archive},
                      QStringLiteral("/"));
}

bool makeLibzipArchive(const QString& archive, const QList<LibzipMember>& members) {
    int error = 0;
    zip_t* zip =
        zip_open(QFile::encodeName(archive).constData(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    if (!zip) {
        ADD_FAILURE() << "cannot create " << archive.toStdString();
        return false;
    }
    for (const LibzipMember& member : members) {
        zip_source_t* source = zip_source_buffer(zip, member.content.constData(),
                                                 zip_uint64_t(member.content.size()), 0);
        const zip_int64_t index =
            source ? zip_file_add(zip, member.name.constData(), source, ZIP_FL_ENC_UTF_8) : -1;
        if (index < 0) {
            zip_source_free(source);
            ADD_FAILURE() << "cannot add " << member.name.toStdString() << ": "
                          << zip_strerror(zip);
            zip_discard(zip);
            return false;
        }
        zip_set_file_compression(zip, zip_uint64_t(index), member.method, 0);
        if (member.encryption != ZIP_EM_NONE)
            zip_file_set_encryption(zip, zip_uint64_t(index), zip_uint16_t(member.encryption),
                                    member.password.constData());
    }
    // The buffers above must live until the archive is written.
    if (zip_close(zip) != 0) {
        ADD_FAILURE() << "cannot write " << archive.toStdString() << ": " << zip_strerror(zip);
        zip_discard(zip);
        return false;
    }
    return true;
}
