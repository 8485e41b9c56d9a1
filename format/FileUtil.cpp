#include "FileUtil.h"

#include <QFile>
#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr int MaxAlternatives = 999;

bool statPath(const QString& path, struct stat& info) {
    if (path.isEmpty() || path.contains(QChar(0)))
        return false;
    return ::stat(QFile::encodeName(path).constData(), &info) == 0;
}

bool isBareName(const QString& name) {
    return !name.isEmpty() && name != QStringLiteral(".") && name != QStringLiteral("..") &&
           !name.contains(u'/') && !name.contains(u'\\') && !name.contains(QChar(0));
}

QString pathIn(const QString& folder, const QString& name) {
    return folder.endsWith(u'/') ? folder + name : folder + u'/' + name;
}

QString blankFree(const QString& name) {
    QString result = name;
    for (QChar& c : result) {
        if (c.isSpace())
            c = u'_';
    }
    return result;
}

// Makes entry a second name for target (both full paths; targetName is target's bare name in
// the same folder). Returns 0 on success, else the errno of the failure.
int linkName(const QByteArray& target, const QByteArray& targetName, const QByteArray& entry) {
    if (::link(target.constData(), entry.constData()) == 0)
        return 0;
    const int error = errno;
    if (error != EPERM && error != EXDEV && error != EMLINK && error != ENOTSUP &&
        error != EOPNOTSUPP)
        return error;
    // No hard links here: a relative symbolic link in the same folder serves as well.
    if (::symlink(targetName.constData(), entry.constData()) == 0)
        return 0;
    return errno;
}

} // namespace

bool FileExists(const QString& path) {
    struct stat info {};
    return statPath(path, info) && S_ISREG(info.st_mode);
}

QString GetShortPath(const QString& fileName, const QString& folder) {
    if (!isBareName(fileName) || folder.isEmpty() || folder.contains(QChar(0)))
        return QString();
    const QString source = pathIn(folder, fileName);
    struct stat sourceInfo {};
    if (!statPath(source, sourceInfo) || !S_ISREG(sourceInfo.st_mode))
        return QString();

    const QString replaced = blankFree(fileName);
    if (replaced == fileName)
        return fileName;

    const qsizetype dot = replaced.lastIndexOf(u'.');
    const QString stem = dot > 0 ? replaced.left(dot) : replaced;
    const QString extension = dot > 0 ? replaced.mid(dot) : QString();
    const QByteArray sourceBytes = QFile::encodeName(source);
    const QByteArray sourceName = QFile::encodeName(fileName);

    for (int n = 0; n <= MaxAlternatives; ++n) {
        const QString candidate = n == 0 ? replaced : stem + u'~' + QString::number(n) + extension;
        const QByteArray entry = QFile::encodeName(pathIn(folder, candidate));
        struct stat entryInfo {};
        if (::lstat(entry.constData(), &entryInfo) == 0) {
            struct stat targetInfo {};
            if (::stat(entry.constData(), &targetInfo) == 0 &&
                targetInfo.st_dev == sourceInfo.st_dev && targetInfo.st_ino == sourceInfo.st_ino)
                return candidate;
            continue;
        }
        if (errno != ENOENT)
            return QString();
        const int error = linkName(sourceBytes, sourceName, entry);
        if (error == 0)
            return candidate;
        if (error != EEXIST)
            return QString();
    }
    return QString();
}
