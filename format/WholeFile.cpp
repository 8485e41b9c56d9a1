#include "WholeFile.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// An old file larger than this is not kept in memory to be put back: it is no picture of ours.
constexpr off_t kMaxKeptBytes = 256 * 1024 * 1024;

QString systemText(int error) {
    return QString::fromLocal8Bit(std::strerror(error));
}

// Runs io(offset, left) until size bytes are moved from the start of the file, resuming after an
// interruption or a short count; 0, or the error (`stalled` when io moves nothing).
template <typename Io> int moveAll(std::size_t size, int stalled, Io io) {
    std::size_t done = 0;
    while (done < size) {
        const ssize_t n = io(done, size - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return n < 0 ? errno : stalled;
        done += std::size_t(n);
    }
    return 0;
}

int writeAt(int fd, const char* data, std::size_t size) {
    return moveAll(size, ENOSPC, [&](std::size_t at, std::size_t left) {
        return ::pwrite(fd, data + at, left, off_t(at));
    });
}

// Reserves size bytes from the start of fd. File systems without reservations (EOPNOTSUPP) are
// written without one: the write and the sync still report a full disk.
int reserve(int fd, off_t size) {
    if (size == 0)
        return 0;
    const int error = ::posix_fallocate(fd, 0, size);
    return error == EOPNOTSUPP || error == ENOSYS || error == EINVAL ? 0 : error;
}

int writeAndSync(int fd, const QByteArray& bytes) {
    if (const int error = writeAt(fd, bytes.constData(), std::size_t(bytes.size())))
        return error;
    if (::ftruncate(fd, off_t(bytes.size())) != 0 || ::fdatasync(fd) != 0)
        return errno;
    return 0;
}

int readAll(int fd, QByteArray& bytes, off_t size) {
    bytes.resize(qsizetype(size));
    return moveAll(std::size_t(size), EIO, [&](std::size_t at, std::size_t left) {
        return ::pread(fd, bytes.data() + at, left, off_t(at));
    });
}

} // namespace

QString fillNewFile(int fd, const QByteArray& bytes) {
    int error = reserve(fd, off_t(bytes.size()));
    if (!error)
        error = writeAndSync(fd, bytes);
    if (!error)
        return {};
    [[maybe_unused]] const int emptied = ::ftruncate(fd, 0);
    return systemText(error);
}

QString replaceFileContents(int fd, const QByteArray& bytes) {
    struct stat info;
    if (::fstat(fd, &info) != 0)
        return systemText(errno);
    if (!S_ISREG(info.st_mode))
        return QStringLiteral("it is not a file");
    if (info.st_size > kMaxKeptBytes)
        return QStringLiteral("it is larger than a thumbnail can be");
    QByteArray old;
    if (const int error = readAll(fd, old, info.st_size))
        return systemText(error);
    // Reserving grows a shorter file to the new size (its tail zero-filled for a moment) or
    // leaves a longer one as it is: the old bytes stay where they are until the write.
    if (const int error = reserve(fd, off_t(bytes.size()))) {
        [[maybe_unused]] const int shrunk = ::ftruncate(fd, info.st_size);
        return systemText(error);
    }
    const int error = writeAndSync(fd, bytes);
    if (!error)
        return {};
    // The old bytes fitted before: they are put back in the space they had.
    [[maybe_unused]] const int restored = writeAt(fd, old.constData(), std::size_t(old.size()));
    [[maybe_unused]] const int cut = ::ftruncate(fd, info.st_size);
    return systemText(error);
}
