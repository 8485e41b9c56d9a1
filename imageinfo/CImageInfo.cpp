#include "imageinfo/CImageInfo.h"

#include "format/GyroError.h"

#include <QFile>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

const char* const kSource = "CImageInfo::ReadImageInfo";

// The JPEG scan looks at start-of-image patterns and markers below this position only.
constexpr int kJpegScanEnd = 65525;
// A frame header read at the last scanned marker ends 9 bytes further on.
static_assert(kJpegScanEnd + 9 <= CImageInfo::BufferSize);

[[noreturn]] void raise(int number, const char* description) {
    throw GyroError(number, QString::fromLatin1(description), QString::fromLatin1(kSource));
}

[[noreturn]] void raiseForErrno(int error) {
    if (error == EACCES || error == EPERM)
        raise(ErrorNumber::PermissionDenied, "Permission denied");
    raise(ErrorNumber::PathFileAccess, "Path/File access error");
}

// Closes the descriptor when the read ends, however it ends.
class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : m_fd(fd) {}
    ~FileDescriptor() { ::close(m_fd); }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int get() const { return m_fd; }

private:
    int m_fd;
};

// Reads the first size bytes of the file (all of it when shorter) into buffer. Returns false
// when the path names no existing file. Only regular files are read: a folder, a pipe or a device
// raises the access error (a pipe could block the caller forever).
bool readFileHead(const QString& path, quint8* buffer, int size) {
    const QByteArray name = QFile::encodeName(path);
    if (name.isEmpty() || name.contains('\0'))
        return false;
    const int fd = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        const int error = errno;
        if (error == ENOENT || error == ENOTDIR || error == ENAMETOOLONG)
            return false;
        raiseForErrno(error);
    }
    const FileDescriptor file(fd);
    struct stat status {};
    if (::fstat(file.get(), &status) != 0)
        raiseForErrno(errno);
    if (!S_ISREG(status.st_mode))
        raise(ErrorNumber::PathFileAccess, "Path/File access error");

    int filled = 0;
    while (filled < size) {
        const ssize_t got = ::read(file.get(), buffer + filled, static_cast<size_t>(size - filled));
        if (got < 0) {
            if (errno == EINTR)
                continue;
            raiseForErrno(errno);
        }
        if (got == 0)
            break;
        filled += static_cast<int>(got);
    }
    return true;
}

bool isStartOfFrame(quint8 code) {
    return (code >= 0xC0 && code <= 0xC3) || (code >= 0xC5 && code <= 0xC7) ||
           (code >= 0xC9 && code <= 0xCB) || (code >= 0xCD && code <= 0xCF);
}

} // namespace

qint32 CImageInfo::WordFromBytes(quint8 high, quint8 low) {
    return qint32(high) * 256 + qint32(low);
}

void CImageInfo::setDepth(int depth) {
    if (depth > 255)
        raise(ErrorNumber::Overflow, "Overflow");
    m_depth = static_cast<quint8>(depth);
}

void CImageInfo::reset() {
    m_width = 0;
    m_height = 0;
    m_depth = 0;
    m_imageType = None;
}

void CImageInfo::ReadImageInfo(const QString& sFileName) {
    reset();
    std::vector<quint8> buffer(BufferSize, 0);
    if (!readFileHead(sFileName, buffer.data(), BufferSize))
        return;
    probe(buffer.data());
}

void CImageInfo::ReadImageHead(const QByteArray& head) {
    reset();
    std::vector<quint8> buffer(BufferSize, 0);
    std::copy_n(head.constData(), std::min<qsizetype>(head.size(), BufferSize), buffer.begin());
    probe(buffer.data());
}

void CImageInfo::probe(const quint8* buffer) {
    // The three signature tests run one after the other; their first bytes differ, so at most
    // one of them matches.
    probePng(buffer);
    probeGif(buffer);
    probeBmp(buffer);
    if (m_imageType == None)
        scanJpeg(buffer);
}

void CImageInfo::probePng(const quint8* b) {
    if (!(b[0] == 0x89 && b[1] == 0x50 && b[2] == 0x4E))
        return;
    m_imageType = Png;
    const int bitDepth = b[24];
    switch (b[25]) {
    case 0: // grey
        setDepth(bitDepth);
        break;
    case 2: // RGB
        setDepth(bitDepth * 3);
        break;
    case 3: // palette: the depth of a palette entry, whatever the index size
        setDepth(8);
        break;
    case 4: // grey and alpha
        setDepth(bitDepth * 2);
        break;
    case 6: // RGB and alpha
        setDepth(bitDepth * 4);
        break;
    default:
        m_imageType = None;
        return;
    }
    // The low halves of the 32-bit width and height.
    m_width = WordFromBytes(b[18], b[19]);
    m_height = WordFromBytes(b[22], b[23]);
}

void CImageInfo::probeGif(const quint8* b) {
    if (!(b[0] == 0x47 && b[1] == 0x49 && b[2] == 0x46))
        return;
    m_imageType = Gif;
    m_width = WordFromBytes(b[7], b[6]);
    m_height = WordFromBytes(b[9], b[8]);
    setDepth((b[10] & 7) + 1);
}

void CImageInfo::probeBmp(const quint8* b) {
    if (!(b[0] == 0x42 && b[1] == 0x4D))
        return;
    m_imageType = Bmp;
    // The low halves of the 32-bit width and height; a top-down picture's negative height
    // therefore reads as 65,536 minus its row count.
    m_width = WordFromBytes(b[19], b[18]);
    m_height = WordFromBytes(b[23], b[22]);
    setDepth(b[28]);
}

void CImageInfo::scanJpeg(const quint8* b) {
    // The first start-of-image pattern FF D8 FF among the start positions 0 ... kJpegScanEnd.
    int p = -1;
    for (int i = 0; i <= kJpegScanEnd; ++i) {
        if (b[i] == 0xFF && b[i + 1] == 0xD8 && b[i + 2] == 0xFF) {
            p = i;
            break;
        }
    }
    if (p < 0 || p + 2 >= kJpegScanEnd)
        return;

    // Walk the markers from the one after start-of-image. A segment's length field leads to its
    // last byte; from there the walk goes on byte by byte to the next FF that is no fill byte.
    // Every index read stays below kJpegScanEnd + 9, inside the buffer.
    int q = p + 2;
    while (q < kJpegScanEnd) {
        if (b[q] == 0xFF && b[q + 1] != 0xFF) {
            const int m = q + 1;
            if (isStartOfFrame(b[m])) {
                m_imageType = Jpeg;
                m_height = WordFromBytes(b[m + 4], b[m + 5]);
                m_width = WordFromBytes(b[m + 6], b[m + 7]);
                setDepth(8 * b[m + 8]);
                return;
            }
            q = m + WordFromBytes(b[m + 1], b[m + 2]);
        } else {
            ++q;
        }
    }
}
