#include "opening/PrivateFolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QList>
#include <QRegularExpression>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace {

constexpr int kMaxDepth = 64; // sub-folders deeper than this are left in place

// The user's temporary folder: TMPDIR when it names a folder this user can write into, the
// system's otherwise. (QDir::tempPath() gives the empty text for a TMPDIR that does not exist,
// which would put the private folder at the root.)
QString temporaryFolder() {
    const QString named = qEnvironmentVariable("TMPDIR");
    if (!named.isEmpty()) {
        const QFileInfo info(named);
        if (info.isDir() && info.isWritable())
            return info.absoluteFilePath();
    }
    return QStringLiteral("/tmp");
}

QString baseOrTemp(const QString& baseDir) {
    return QDir::cleanPath(baseDir.isEmpty() ? temporaryFolder() : baseDir);
}

class Fd {
public:
    explicit Fd(int fd) : m_fd(fd) {}
    ~Fd() {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int get() const { return m_fd; }
    int release() { return std::exchange(m_fd, -1); }

private:
    int m_fd;
};

int openFolderAt(int parent, const char* name) {
    return ::openat(parent, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
}

// Empties the folder open as `folder` (the descriptor is taken over). Entries are unlinked where
// they are; sub-folders are entered through O_NOFOLLOW, so a link is removed, never followed.
bool emptyFolder(int folder, int depth) {
    ::fchmod(folder, S_IRWXU); // a folder of ours without write permission could not be emptied
    DIR* dir = ::fdopendir(folder);
    if (dir == nullptr) {
        ::close(folder);
        return false;
    }
    // Read every name first: the folder is not changed while it is being read.
    QList<QByteArray> names;
    while (const dirent* entry = ::readdir(dir)) {
        if (std::strcmp(entry->d_name, ".") != 0 && std::strcmp(entry->d_name, "..") != 0)
            names.append(QByteArray(entry->d_name));
    }
    bool ok = true;
    const int fd = ::dirfd(dir);
    for (const QByteArray& name : names) {
        if (::unlinkat(fd, name.constData(), 0) == 0 || errno == ENOENT)
            continue;
        if (errno != EISDIR && errno != EPERM) {
            ok = false;
            continue;
        }
        // A folder: empty it, then remove it.
        const int sub = depth < kMaxDepth ? openFolderAt(fd, name.constData()) : -1;
        if (sub < 0) {
            ok = false;
            continue;
        }
        ok = emptyFolder(sub, depth + 1) && ok;
        if (::unlinkat(fd, name.constData(), AT_REMOVEDIR) != 0)
            ok = false;
    }
    ::closedir(dir);
    return ok;
}

// Removes `name` inside the folder open as `parent` when it is a real folder owned by this user
// (and, when `device` is given, the very folder with that device and inode).
bool removeFolderAt(int parent, const char* name, const dev_t* device, const ino_t* inode) {
    Fd folder(openFolderAt(parent, name));
    if (folder.get() < 0)
        return errno == ENOENT;
    struct stat info {};
    if (::fstat(folder.get(), &info) != 0 || info.st_uid != ::geteuid())
        return false;
    if (device != nullptr && (info.st_dev != *device || info.st_ino != *inode))
        return false;
    const bool emptied = emptyFolder(folder.release(), 1);
    return ::unlinkat(parent, name, AT_REMOVEDIR) == 0 && emptied;
}

} // namespace

PrivateFolder::PrivateFolder(const QString& baseDir) {
    const QString base = baseOrTemp(baseDir);
    const QString separator = base.endsWith(QLatin1Char('/')) ? QString() : QStringLiteral("/");
    QByteArray pattern = QFile::encodeName(base + separator + namePrefix() +
                                           QString::number(::getpid()) + QStringLiteral("-XXXXXX"));
    if (::mkdtemp(pattern.data()) == nullptr) {
        m_error = QStringLiteral("Cannot create a private folder in %1: %2")
                      .arg(QDir::toNativeSeparators(base), QString::fromLocal8Bit(strerror(errno)));
        return;
    }
    // The mode is set explicitly: the one mkdtemp gives depends on the umask.
    const Fd created(::open(pattern.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    struct stat info {};
    if (created.get() < 0 || ::fchmod(created.get(), S_IRWXU) != 0 ||
        ::fstat(created.get(), &info) != 0) {
        m_error = QStringLiteral("Cannot prepare the private folder %1: %2")
                      .arg(QFile::decodeName(pattern), QString::fromLocal8Bit(strerror(errno)));
        ::rmdir(pattern.constData());
        return;
    }
    m_device = info.st_dev;
    m_inode = info.st_ino;
    m_path = QFile::decodeName(pattern) + QLatin1Char('/');
}

PrivateFolder::~PrivateFolder() {
    remove();
}

bool PrivateFolder::remove() {
    if (m_path.isEmpty())
        return true;
    const QByteArray folder = QFile::encodeName(m_path.chopped(1));
    const qsizetype slash = folder.lastIndexOf('/');
    const QByteArray parentPath = slash > 0 ? folder.left(slash) : QByteArray("/");
    const QByteArray name = folder.mid(slash + 1);
    Fd parent(::open(parentPath.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (parent.get() < 0)
        return false;
    if (!removeFolderAt(parent.get(), name.constData(), &m_device, &m_inode))
        return false;
    m_path.clear();
    return true;
}

int PrivateFolder::sweepAbandoned(const QString& baseDir) {
    return sweepWhere(baseDir, [](qint64 pid) {
        return ::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH;
    });
}

int PrivateFolder::sweepOwn(const QString& baseDir) {
    const qint64 own = ::getpid();
    return sweepWhere(baseDir, [own](qint64 pid) { return pid == own; });
}

int PrivateFolder::sweepWhere(const QString& baseDir, const std::function<bool(qint64)>& gone) {
    static const QRegularExpression pattern(
        QRegularExpression::anchoredPattern(QRegularExpression::escape(namePrefix()) +
                                            QStringLiteral("([1-9][0-9]{0,9})-[A-Za-z0-9]{6}")));
    const QByteArray base = QFile::encodeName(baseOrTemp(baseDir));
    Fd parent(::open(base.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (parent.get() < 0)
        return 0;

    // Collect the names first; removing while reading the folder is not reliable.
    QList<QByteArray> abandoned;
    const int listing = ::dup(parent.get());
    DIR* dir = listing < 0 ? nullptr : ::fdopendir(listing);
    if (dir == nullptr && listing >= 0)
        ::close(listing);
    if (dir != nullptr) {
        while (const dirent* entry = ::readdir(dir)) {
            const QRegularExpressionMatch match =
                pattern.match(QFile::decodeName(QByteArray(entry->d_name)));
            if (!match.hasMatch())
                continue;
            bool ok = false;
            const qint64 pid = match.captured(1).toLongLong(&ok);
            if (!ok || pid <= 0 || pid > INT32_MAX)
                continue;
            struct stat info {};
            if (::fstatat(parent.get(), entry->d_name, &info, AT_SYMLINK_NOFOLLOW) != 0 ||
                !S_ISDIR(info.st_mode) || info.st_uid != ::geteuid())
                continue;
            if (!gone(pid))
                continue;
            abandoned.append(QByteArray(entry->d_name));
        }
        ::closedir(dir);
    }

    int removed = 0;
    for (const QByteArray& name : abandoned) {
        if (removeFolderAt(parent.get(), name.constData(), nullptr, nullptr))
            ++removed;
    }
    return removed;
}
