#include "Leftovers.h"

#include "opening/PrivateFolder.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTextStream>
#include <cerrno>
#include <csignal>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QString kMarker = QStringLiteral("gyrolook-pack-");

bool processGone(qint64 pid) {
    return pid > 0 && ::kill(pid_t(pid), 0) != 0 && errno == ESRCH;
}

} // namespace

QString Leftovers::pattern(const QString& prefix, const QString& suffix) {
    return prefix + kMarker + QString::number(::getpid()) + QStringLiteral("-XXXXXX") + suffix;
}

QStringList Leftovers::sweep(const QString& folder) {
    static const QRegularExpression name(
        QStringLiteral("(^|\\.)gyrolook-pack-([0-9]{1,9})-[A-Za-z0-9]{6}(\\.360)?$"));
    QStringList said;
    const QDir dir(folder);
    const QStringList entries =
        dir.entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System);
    for (const QString& entry : entries) {
        const QRegularExpressionMatch m = name.match(entry);
        if (!m.hasMatch() || !processGone(m.captured(2).toLongLong()))
            continue;
        const QString path = dir.filePath(entry);
        struct stat info;
        if (::lstat(QFile::encodeName(path).constData(), &info) != 0 ||
            info.st_uid != ::geteuid() || !(S_ISDIR(info.st_mode) || S_ISREG(info.st_mode)))
            continue;
        const bool removed =
            S_ISDIR(info.st_mode) ? QDir(path).removeRecursively() : QFile::remove(path);
        if (removed)
            said << QStringLiteral("removed %1, left by a run that was killed (process %2)")
                        .arg(path, m.captured(2));
    }
    return said;
}

void Leftovers::sweepAndSay(const QString& folder) {
    QStringList said = sweep(QDir::tempPath());
    if (!folder.isEmpty() && QDir(folder).canonicalPath() != QDir::temp().canonicalPath())
        said += sweep(folder);
    if (const int folders = PrivateFolder::sweepAbandoned())
        said << QStringLiteral("removed %1 private folder(s) left by runs that were killed")
                    .arg(folders);
    QTextStream err(stderr);
    for (const QString& line : said)
        err << "gyrolook-pack: " << line << '\n';
}
