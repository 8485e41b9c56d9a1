#include "MemberReader.h"

#include "DisplayText.h"
#include "ForeignFile.h"
#include "MemberCopy.h"
#include "OutputFolder.h"
#include "ZipBytes.h"

#include <QFileInfo>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr std::size_t kEndRecordSize = 22;
constexpr std::size_t kTailSize = kEndRecordSize + 65535;
constexpr std::size_t kZip64LocatorSize = 20;
constexpr std::size_t kZip64EndRecordSize = 56;

using zipbytes::little;
using zipbytes::readAt;

// Collects a member into memory, refusing more than it was told to expect.
class BufferSink : public ByteSink {
public:
    BufferSink(QByteArray& bytes, std::uint64_t limit) : m_bytes(bytes), m_limit(limit) {}
    bool put(const char* data, std::size_t size, std::string& why) override {
        if (std::uint64_t(m_bytes.size()) + size > m_limit) {
            why = "holds more data than it declares";
            return false;
        }
        m_bytes.append(data, qsizetype(size));
        return true;
    }

private:
    QByteArray& m_bytes;
    std::uint64_t m_limit;
};

// The part of a member name after its last folder separator: the extraction writes every member
// flat under that name.
const char* bareName(const char* name) {
    const char* bare = name;
    for (const char* p = name; *p; ++p)
        if (*p == '/' || *p == '\\')
            bare = p + 1;
    return bare;
}

bool sameIgnoringAsciiCase(const char* a, const QByteArray& b) {
    return std::strlen(a) == std::size_t(b.size()) && qstrnicmp(a, b.constData(), b.size()) == 0;
}

} // namespace

MemberReader::~MemberReader() {
    if (m_archive)
        zip_discard(m_archive);
}

bool MemberReader::refuse(const QString& problem) {
    m_problem = problem;
    return false;
}

bool MemberReader::checkEndRecords(int fd, std::uint64_t fileSize) {
    const std::size_t tail = std::size_t(std::min<std::uint64_t>(fileSize, kTailSize));
    std::vector<unsigned char> bytes(tail);
    const std::uint64_t tailStart = fileSize - tail;
    if (!readAt(fd, bytes.data(), tail, tailStart))
        return refuse(m_label + QStringLiteral(" cannot be read."));
    for (std::size_t at = tail >= kEndRecordSize ? tail - kEndRecordSize + 1 : 0; at-- > 0;) {
        const unsigned char* record = bytes.data() + at;
        if (std::memcmp(record, "PK\5\6", 4) != 0)
            continue;
        std::uint64_t members = little(record + 10, 2);
        std::uint64_t directory = little(record + 12, 4);
        const std::uint64_t recordOffset = tailStart + at;
        if ((members == 0xFFFF || directory == 0xFFFFFFFF) && recordOffset >= kZip64LocatorSize) {
            unsigned char locator[kZip64LocatorSize];
            unsigned char record64[kZip64EndRecordSize];
            if (readAt(fd, locator, sizeof locator, recordOffset - kZip64LocatorSize) &&
                std::memcmp(locator, "PK\6\7", 4) == 0) {
                const std::uint64_t offset64 = little(locator + 8, 8);
                if (fileSize >= kZip64EndRecordSize && offset64 <= fileSize - kZip64EndRecordSize &&
                    readAt(fd, record64, sizeof record64, offset64) &&
                    std::memcmp(record64, "PK\6\6", 4) == 0) {
                    members = little(record64 + 32, 8);
                    directory = little(record64 + 40, 8);
                }
            }
        }
        if (members > std::uint64_t(MaxMembers))
            return refuse(m_label + QStringLiteral(" announces %1 members; at most 4,096 members "
                                                   "are accepted.")
                                        .arg(members));
        if (directory > MaxDirectoryBytes)
            return refuse(m_label + QStringLiteral(" announces a directory of %1 bytes; at most "
                                                   "8 MiB are accepted.")
                                        .arg(directory));
    }
    return true;
}

bool MemberReader::open(const QString& path) {
    m_label = displayFileName(QFileInfo(path).fileName());
    UniqueFd fd(
        ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
    if (!fd.valid())
        return refuse(m_label + (errno == ENOENT
                                     ? QStringLiteral(" does not exist.")
                                     : QStringLiteral(" cannot be opened: %1.")
                                           .arg(QString::fromLocal8Bit(std::strerror(errno)))));
    struct stat info;
    if (::fstat(fd.get(), &info) != 0 || !S_ISREG(info.st_mode))
        return refuse(m_label + QStringLiteral(" is not a file."));
    ::fcntl(fd.get(), F_SETFL, ::fcntl(fd.get(), F_GETFL) & ~O_NONBLOCK);
    if (info.st_size == 0)
        return refuse(m_label + QStringLiteral(" is empty."));
    if (!checkEndRecords(fd.get(), std::uint64_t(info.st_size)))
        return false;

    int error = 0;
    m_archive = zip_fdopen(fd.get(), ZIP_RDONLY, &error);
    if (!m_archive) {
        if (error == ZIP_ER_NOZIP) {
            unsigned char head[kForeignFileHead] = {};
            const std::size_t size =
                std::size_t(std::min<std::uint64_t>(std::uint64_t(info.st_size), sizeof head));
            const std::string kind =
                readAt(fd.get(), head, size, 0) ? foreignFileKind(head, size) : std::string();
            if (!kind.empty())
                return refuse(
                    m_label +
                    QStringLiteral(" is %1, not a package.").arg(QString::fromStdString(kind)));
            return refuse(m_label + QStringLiteral(" is not a ZIP archive."));
        }
        zip_error_t described;
        zip_error_init_with_code(&described, error);
        const QString text = QString::fromUtf8(zip_error_strerror(&described));
        zip_error_fini(&described);
        return refuse(m_label + QStringLiteral(" is damaged: %1.").arg(text));
    }
    fd.release(); // zip_fdopen has taken it over
    if (zip_get_num_entries(m_archive, 0) > MaxMembers)
        return refuse(m_label + QStringLiteral(" holds more than 4,096 members."));
    return true;
}

std::int64_t MemberReader::find(const QString& name) const {
    if (!m_archive)
        return NotFound;
    const QByteArray wanted = name.toUtf8();
    std::int64_t found = NotFound;
    const zip_int64_t count = zip_get_num_entries(m_archive, 0);
    for (zip_int64_t i = 0; i < count; ++i) {
        const char* member = zip_get_name(m_archive, zip_uint64_t(i), 0);
        if (!member || !sameIgnoringAsciiCase(bareName(member), wanted))
            continue;
        if (found != NotFound)
            return Ambiguous;
        found = i;
    }
    return found;
}

bool MemberReader::read(std::int64_t index, std::uint64_t limit, QByteArray& bytes) {
    bytes.clear();
    zip_stat_t stat;
    zip_stat_init(&stat);
    if (!m_archive || index < 0 || zip_stat_index(m_archive, zip_uint64_t(index), 0, &stat) != 0 ||
        !(stat.valid & ZIP_STAT_SIZE))
        return refuse(m_label + QStringLiteral(" is damaged: a member cannot be read."));
    const QString name = QString::fromStdString(displayName(stat.name ? stat.name : ""));
    if (stat.size > limit)
        return refuse(QStringLiteral("%1 in %2 declares %3 bytes; at most %4 are read.")
                          .arg(name, m_label)
                          .arg(stat.size)
                          .arg(limit));
    if ((stat.valid & ZIP_STAT_ENCRYPTION_METHOD) && stat.encryption_method != ZIP_EM_NONE)
        return refuse(QStringLiteral("%1 in %2 is encrypted.").arg(name, m_label));
    bytes.reserve(qsizetype(stat.size));
    BufferSink sink(bytes, stat.size);
    const CopyOutcome outcome = copyMember(m_archive, zip_uint64_t(index), stat, nullptr, sink);
    if (outcome.status != CopyOutcome::Status::Ok) {
        bytes.clear();
        return refuse(QStringLiteral("%1 in %2 cannot be read: %3.")
                          .arg(name, m_label, QString::fromStdString(outcome.problem)));
    }
    return true;
}

std::int64_t MemberReader::count() const {
    return m_archive ? zip_get_num_entries(m_archive, 0) : 0;
}

bool MemberReader::entry(std::int64_t index, Entry& entry) const {
    zip_stat_t stat;
    zip_stat_init(&stat);
    if (!m_archive || index < 0 || zip_stat_index(m_archive, zip_uint64_t(index), 0, &stat) != 0 ||
        !(stat.valid & ZIP_STAT_NAME) || !(stat.valid & ZIP_STAT_SIZE))
        return false;
    entry.name = QByteArray(stat.name);
    entry.size = stat.size;
    entry.encrypted =
        (stat.valid & ZIP_STAT_ENCRYPTION_METHOD) && stat.encryption_method != ZIP_EM_NONE;
    return true;
}

bool MemberReader::readHead(std::int64_t index, std::size_t size, QByteArray& bytes) {
    bytes.clear();
    zip_file_t* file =
        m_archive && index >= 0 ? zip_fopen_index(m_archive, zip_uint64_t(index), 0) : nullptr;
    if (!file)
        return refuse(m_label + QStringLiteral(" is damaged: a member cannot be read."));
    bytes.resize(qsizetype(size));
    qsizetype filled = 0;
    while (filled < bytes.size()) {
        const zip_int64_t got =
            zip_fread(file, bytes.data() + filled, zip_uint64_t(bytes.size() - filled));
        if (got <= 0)
            break;
        filled += qsizetype(got);
    }
    zip_fclose(file);
    bytes.truncate(filled);
    return true;
}
