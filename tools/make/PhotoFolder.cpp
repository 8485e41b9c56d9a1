#include "PhotoFolder.h"
#include "NaturalOrder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QStringList& rawSuffixes() {
    static const QStringList suffixes = {
        QStringLiteral("3fr"), QStringLiteral("arw"), QStringLiteral("cr2"), QStringLiteral("cr3"),
        QStringLiteral("crw"), QStringLiteral("dcr"), QStringLiteral("dng"), QStringLiteral("erf"),
        QStringLiteral("iiq"), QStringLiteral("kdc"), QStringLiteral("mrw"), QStringLiteral("nef"),
        QStringLiteral("nrw"), QStringLiteral("orf"), QStringLiteral("pef"), QStringLiteral("raf"),
        QStringLiteral("raw"), QStringLiteral("rw2"), QStringLiteral("rwl"), QStringLiteral("sr2"),
        QStringLiteral("srf"), QStringLiteral("srw"), QStringLiteral("x3f")};
    return suffixes;
}

// Why a known companion file is skipped; empty for any other name. jpegStems: the lower-case
// stems of the folder's JPEG files.
QString companion(const QString& name, const QSet<QString>& jpegStems) {
    const QString lower = name.toLower();
    const QFileInfo info(lower);
    if (lower == QLatin1String("thumbs.db") || lower == QLatin1String("desktop.ini") ||
        lower == QLatin1String(".ds_store"))
        return QStringLiteral("a file manager's own file, skipped");
    if (info.suffix() == QLatin1String("xmp"))
        return QStringLiteral("an editor's sidecar, skipped");
    if (info.suffix() == QLatin1String("thm"))
        return QStringLiteral("a camera's thumbnail, skipped");
    if (info.suffix() == QLatin1String("360"))
        return QStringLiteral("a package (of an earlier run?), skipped");
    if (rawSuffixes().contains(info.suffix()) && jpegStems.contains(info.completeBaseName()))
        return QStringLiteral("the raw file of a JPEG beside it, skipped");
    if (name.startsWith(QLatin1Char('.')))
        return QStringLiteral("a hidden file, skipped");
    return QString();
}

// What is wrong with an entry that is no photo file; empty for a regular file that can be read
// (directly or through links) and for a folder.
QString entryProblem(const QByteArray& path, const struct stat& own) {
    struct stat target {};
    if (S_ISLNK(own.st_mode) && ::stat(path.constData(), &target) != 0)
        return errno == ELOOP ? QStringLiteral("a symbolic link that leads round in a loop")
                              : QStringLiteral("a broken symbolic link");
    const struct stat& what = S_ISLNK(own.st_mode) ? target : own;
    if (S_ISDIR(what.st_mode))
        return QString();
    if (S_ISFIFO(what.st_mode))
        return QStringLiteral("a FIFO, not a photo");
    if (S_ISSOCK(what.st_mode))
        return QStringLiteral("a socket, not a photo");
    if (!S_ISREG(what.st_mode))
        return QStringLiteral("a device, not a photo");
    if (::access(path.constData(), R_OK) != 0)
        return QStringLiteral("cannot be read: %1").arg(QString::fromLocal8Bit(strerror(errno)));
    return QString();
}

} // namespace

PhotoFolder PhotoFolder::list(const QString& folder, const QString& option) {
    PhotoFolder result;
    result.folder = folder;
    const QFileInfo info(folder);
    if (!info.exists() && !info.isSymLink())
        result.error = QStringLiteral("%1 %2: no such folder").arg(option, folder);
    else if (!info.isDir())
        result.error =
            QStringLiteral("%1 %2 is a file, not a folder of photos").arg(option, folder);
    else if (!info.isReadable() || !info.isExecutable())
        result.error = QStringLiteral("%1 %2: the folder cannot be read").arg(option, folder);
    if (!result.error.isEmpty())
        return result;

    const QDir dir(folder);
    const QStringList names = naturallySorted(
        dir.entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot));
    QSet<QString> jpegStems;
    for (const QString& name : names) {
        const QFileInfo file(name.toLower());
        if (file.suffix() == QLatin1String("jpg") || file.suffix() == QLatin1String("jpeg"))
            jpegStems.insert(file.completeBaseName());
    }
    for (const QString& name : names) {
        const QString path = dir.filePath(name);
        const QByteArray bytes = QFile::encodeName(path);
        struct stat own {};
        if (::lstat(bytes.constData(), &own) != 0)
            continue; // gone since it was listed
        const QString why = companion(name, jpegStems);
        const QString problem = entryProblem(bytes, own);
        if (!why.isEmpty())
            result.skipped << QStringLiteral("%1: %2").arg(path, why);
        else if (!problem.isEmpty())
            result.problems << QStringLiteral("%1: %2").arg(path, problem);
        else if (QFileInfo(path).isDir())
            result.skipped << QStringLiteral("%1: a folder, skipped").arg(path);
        else
            result.photos << path;
    }
    return result;
}
