#pragma once

#include "archive/StoredMembers.h"
#include "pictures/FileBytes.h"

#include <QString>
#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <sys/types.h>

// The package file as the store of its pictures' bytes while it is open: a descriptor held for the
// session, through which the members the package stores uncompressed are read back by offset
// (StoredMembers), so that a picture need not hold its file's bytes in memory. The package is only
// ever read.
//
// Its size and modification time (and the file its path names) are taken when it is opened; every
// read first checks them again. When they differ, the package changed on disk: the read fails, and
// the news (changedMessage(), naming the package) goes once to whoever asked for it. Any thread.
class PackageStore : public std::enable_shared_from_this<PackageStore> {
public:
    // Opens the package at `path`; null when it cannot be opened or stores no member uncompressed.
    static std::shared_ptr<PackageStore> open(const QString& path);
    ~PackageStore();
    PackageStore(const PackageStore&) = delete;
    PackageStore& operator=(const PackageStore&) = delete;

    // The bytes of the member named `memberName` (its bare name, case ignored) read back from the
    // package; null when the package does not store it uncompressed.
    std::shared_ptr<const FileBytes> member(const QString& memberName) const;
    // The CRC-32 the package's directory gives that member, or none as for member().
    std::optional<std::uint32_t> checksum(const QString& memberName) const;
    // At most `most` of that member's first bytes; false as for read(), or when the package does
    // not store it uncompressed.
    bool readHead(const QString& memberName, qint64 most, QByteArray& bytes) const;

    // Told once, from the thread whose read found it, when the package changed on disk; it must
    // not block (the window posts itself the news). Once this returns, the news replaced is no
    // longer being told.
    void setChangedNews(std::function<void(const QString& message)> news);
    bool changed() const { return m_changed.load(); }

    // Reads `size` bytes at `offset` of the package; false when the package changed on disk or the
    // bytes cannot be read.
    bool read(std::uint64_t offset, std::uint64_t size, QByteArray& bytes) const;

    // What the user is told when the package titled `title` changed on disk while it was open.
    static QString changedMessage(const QString& title);

private:
    struct FileState {
        off_t size = 0;
        struct timespec modified {};
        dev_t device = 0;
        ino_t inode = 0;
        bool operator==(const FileState& other) const;
    };
    PackageStore(int fd, QString path, FileState opened, StoredMembers members);
    bool unchanged() const;
    void tellChanged() const;

    const int m_fd;
    const QString m_path;
    const FileState m_opened;
    const StoredMembers m_members;
    mutable std::atomic<bool> m_changed{false};
    mutable std::mutex m_newsLock; // guards m_news
    std::function<void(const QString&)> m_news;
};
