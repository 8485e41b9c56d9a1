#include "PackageStore.h"

#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// One member's bytes, read back from the package that holds the store.
class StoredFile : public FileBytes {
public:
    StoredFile(std::shared_ptr<const PackageStore> store, StoredMembers::Span span)
        : m_store(std::move(store)), m_span(span) {}
    bool read(QByteArray& bytes) const override {
        return m_store->read(m_span.offset, m_span.size, bytes);
    }
    qint64 size() const override { return qint64(m_span.size); }

private:
    std::shared_ptr<const PackageStore> m_store;
    StoredMembers::Span m_span;
};

} // namespace

bool PackageStore::FileState::operator==(const FileState& other) const {
    return size == other.size && modified.tv_sec == other.modified.tv_sec &&
           modified.tv_nsec == other.modified.tv_nsec && device == other.device &&
           inode == other.inode;
}

PackageStore::PackageStore(int fd, QString path, FileState opened, StoredMembers members)
    : m_fd(fd), m_path(std::move(path)), m_opened(opened), m_members(std::move(members)) {}

PackageStore::~PackageStore() {
    ::close(m_fd);
}

std::shared_ptr<PackageStore> PackageStore::open(const QString& path) {
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC | O_NOCTTY);
    if (fd < 0)
        return nullptr;
    struct stat info;
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        return nullptr;
    }
    StoredMembers members = StoredMembers::read(fd, std::uint64_t(info.st_size));
    if (members.count() == 0) {
        ::close(fd);
        return nullptr;
    }
    const FileState opened{info.st_size, info.st_mtim, info.st_dev, info.st_ino};
    return std::shared_ptr<PackageStore>(new PackageStore(fd, path, opened, std::move(members)));
}

std::shared_ptr<const FileBytes> PackageStore::member(const QString& memberName) const {
    const std::optional<StoredMembers::Span> span = m_members.find(memberName);
    if (!span)
        return nullptr;
    return std::make_shared<StoredFile>(shared_from_this(), *span);
}

std::optional<std::uint32_t> PackageStore::checksum(const QString& memberName) const {
    const std::optional<StoredMembers::Span> span = m_members.find(memberName);
    if (!span)
        return std::nullopt;
    return span->crc;
}

bool PackageStore::readHead(const QString& memberName, qint64 most, QByteArray& bytes) const {
    bytes.clear();
    const std::optional<StoredMembers::Span> span = m_members.find(memberName);
    return span && read(span->offset,
                        std::min(span->size, std::uint64_t(std::max<qint64>(most, 0))), bytes);
}

void PackageStore::setChangedNews(std::function<void(const QString&)> news) {
    const std::lock_guard<std::mutex> hold(m_newsLock);
    m_news = std::move(news);
}

bool PackageStore::unchanged() const {
    // The file read through the descriptor, and the file the package's path names now: a package
    // written in place changes the first, one replaced by another file the second.
    struct stat held;
    struct stat named;
    if (::fstat(m_fd, &held) != 0 ||
        !(FileState{held.st_size, held.st_mtim, held.st_dev, held.st_ino} == m_opened))
        return false;
    return ::stat(QFile::encodeName(m_path).constData(), &named) == 0 &&
           FileState{named.st_size, named.st_mtim, named.st_dev, named.st_ino} == m_opened;
}

void PackageStore::tellChanged() const {
    if (m_changed.exchange(true))
        return;
    // Told under the lock, so that once setChangedNews() has replaced the news no call of the old
    // one is still under way.
    const std::lock_guard<std::mutex> hold(m_newsLock);
    if (m_news)
        m_news(changedMessage(QFileInfo(m_path).fileName()));
}

bool PackageStore::read(std::uint64_t offset, std::uint64_t size, QByteArray& bytes) const {
    bytes.clear();
    if (m_changed.load() || !unchanged()) {
        tellChanged();
        return false;
    }
    QByteArray read(qsizetype(size), Qt::Uninitialized);
    std::uint64_t done = 0;
    while (done < size) {
        const ssize_t got =
            ::pread(m_fd, read.data() + done, std::size_t(size - done), off_t(offset + done));
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            break;
        done += std::uint64_t(got);
    }
    // A read cut short means the file is no longer as it was, whatever its size says.
    if (done < size || !unchanged()) {
        tellChanged();
        return false;
    }
    bytes = std::move(read);
    return true;
}

QString PackageStore::changedMessage(const QString& title) {
    return QStringLiteral("Cannot show %1 any more.\n\nThe package changed on disk while it was "
                          "open: its size or modification time is not what it was when it was "
                          "opened, so its pictures can no longer be read from it. It has been "
                          "closed; open it again to see it as it is now.")
        .arg(title);
}
