#include "StoredMembers.h"

#include "MemberReader.h"
#include "ZipBytes.h"

#include <QSet>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <unistd.h>
#include <vector>
#include <zlib.h>

namespace {

constexpr std::size_t kEndRecordSize = 22;
constexpr std::size_t kTailSize = kEndRecordSize + 65535;
constexpr std::size_t kZip64LocatorSize = 20;
constexpr std::size_t kZip64EndRecordSize = 56;
constexpr std::size_t kDirectoryEntrySize = 46;
constexpr std::size_t kLocalHeaderSize = 30;

using zipbytes::little;
using zipbytes::readAt;

struct Directory {
    std::uint64_t offset = 0;
    std::uint64_t size = 0;
};

// The central directory the last end record of the archive points to (through its ZIP64 record
// when it has one), or none.
std::optional<Directory> findDirectory(int fd, std::uint64_t fileSize) {
    const std::size_t tail = std::size_t(std::min<std::uint64_t>(fileSize, kTailSize));
    std::vector<unsigned char> bytes(tail);
    const std::uint64_t tailStart = fileSize - tail;
    if (tail < kEndRecordSize || !readAt(fd, bytes.data(), tail, tailStart))
        return std::nullopt;
    for (std::size_t at = tail - kEndRecordSize + 1; at-- > 0;) {
        const unsigned char* record = bytes.data() + at;
        if (std::memcmp(record, "PK\5\6", 4) != 0)
            continue;
        Directory directory{little(record + 16, 4), little(record + 12, 4)};
        const std::uint64_t recordOffset = tailStart + at;
        if (directory.offset == 0xFFFFFFFF || directory.size == 0xFFFFFFFF) {
            unsigned char locator[kZip64LocatorSize];
            unsigned char record64[kZip64EndRecordSize];
            if (recordOffset < kZip64LocatorSize ||
                !readAt(fd, locator, sizeof locator, recordOffset - kZip64LocatorSize) ||
                std::memcmp(locator, "PK\6\7", 4) != 0)
                return std::nullopt;
            const std::uint64_t offset64 = little(locator + 8, 8);
            if (offset64 > fileSize - std::min<std::uint64_t>(fileSize, kZip64EndRecordSize) ||
                !readAt(fd, record64, sizeof record64, offset64) ||
                std::memcmp(record64, "PK\6\6", 4) != 0)
                return std::nullopt;
            directory = {little(record64 + 48, 8), little(record64 + 40, 8)};
        }
        if (directory.size > MemberReader::MaxDirectoryBytes || directory.offset > fileSize ||
            directory.size > fileSize - directory.offset)
            return std::nullopt;
        return directory;
    }
    return std::nullopt;
}

// A directory entry's fields that ZIP64 may move into its extra field.
struct EntryFields {
    std::uint64_t size = 0;
    std::uint64_t compressed = 0;
    std::uint64_t localOffset = 0;
};

void readZip64Extra(const unsigned char* extra, std::size_t length, EntryFields& fields) {
    for (std::size_t at = 0; at + 4 <= length;) {
        const std::uint64_t id = little(extra + at, 2);
        const std::size_t size = std::size_t(little(extra + at + 2, 2));
        const unsigned char* data = extra + at + 4;
        if (at + 4 + size > length)
            return;
        if (id == 0x0001) {
            std::size_t used = 0;
            for (std::uint64_t* field : {&fields.size, &fields.compressed, &fields.localOffset})
                if (*field == 0xFFFFFFFF && used + 8 <= size) {
                    *field = little(data + used, 8);
                    used += 8;
                }
            return;
        }
        at += 4 + size;
    }
}

QByteArray bareFolded(const QByteArray& name) {
    const qsizetype slash = std::max(name.lastIndexOf('/'), name.lastIndexOf('\\'));
    QByteArray bare = name.mid(slash + 1);
    for (char& c : bare)
        if (c >= 'A' && c <= 'Z')
            c = char(c - 'A' + 'a');
    return bare;
}

// Where the data of a member whose local header starts at `localOffset` begins, or none when the
// header or the data do not fit in the file.
std::optional<std::uint64_t> dataStart(int fd, std::uint64_t fileSize, std::uint64_t localOffset,
                                       std::uint64_t size) {
    unsigned char header[kLocalHeaderSize];
    if (localOffset > fileSize || !readAt(fd, header, sizeof header, localOffset) ||
        std::memcmp(header, "PK\3\4", 4) != 0 || little(header + 8, 2) != 0)
        return std::nullopt;
    const std::uint64_t start =
        localOffset + kLocalHeaderSize + little(header + 26, 2) + little(header + 28, 2);
    if (start > fileSize || size > fileSize - start)
        return std::nullopt;
    return start;
}

} // namespace

StoredMembers StoredMembers::read(int fd, std::uint64_t fileSize) {
    StoredMembers members;
    const std::optional<Directory> directory = findDirectory(fd, fileSize);
    if (!directory)
        return members;
    std::vector<unsigned char> bytes(std::size_t(directory->size));
    if (!readAt(fd, bytes.data(), bytes.size(), directory->offset))
        return members;
    QSet<QByteArray> seen;
    std::size_t at = 0;
    for (int entry = 0; entry < MemberReader::MaxMembers; ++entry) {
        const unsigned char* p = bytes.data() + at;
        if (at + kDirectoryEntrySize > bytes.size() || std::memcmp(p, "PK\1\2", 4) != 0)
            break;
        const std::size_t nameLength = std::size_t(little(p + 28, 2));
        const std::size_t extraLength = std::size_t(little(p + 30, 2));
        const std::size_t next =
            at + kDirectoryEntrySize + nameLength + extraLength + std::size_t(little(p + 32, 2));
        if (next > bytes.size())
            break;
        const QByteArray bare = bareFolded(QByteArray(
            reinterpret_cast<const char*>(p + kDirectoryEntrySize), qsizetype(nameLength)));
        EntryFields fields{little(p + 24, 4), little(p + 20, 4), little(p + 42, 4)};
        readZip64Extra(p + kDirectoryEntrySize + nameLength, extraLength, fields);
        const bool encrypted = (little(p + 8, 2) & 1) != 0;
        const bool stored =
            little(p + 10, 2) == 0 && !encrypted && fields.size == fields.compressed;
        if (seen.contains(bare)) {
            members.m_spans.remove(bare); // two members would stand for one name
        } else if (stored) {
            if (const auto start = dataStart(fd, fileSize, fields.localOffset, fields.size))
                members.m_spans.insert(bare,
                                       {*start, fields.size, std::uint32_t(little(p + 16, 4))});
        }
        seen.insert(bare);
        at = next;
    }
    return members;
}

std::optional<StoredMembers::Span> StoredMembers::find(const QString& bareName) const {
    const auto found = m_spans.constFind(bareFolded(bareName.toUtf8()));
    if (found == m_spans.constEnd())
        return std::nullopt;
    return *found;
}

bool StoredMembers::checksumMatches(const QByteArray& bytes, std::uint32_t crc) {
    uLong sum = ::crc32(0L, Z_NULL, 0);
    const auto* data = reinterpret_cast<const Bytef*>(bytes.constData());
    for (qsizetype done = 0; done < bytes.size();) {
        // zlib takes the length in 32 bits.
        const uInt piece = uInt(std::min<qsizetype>(bytes.size() - done, qsizetype(1) << 30));
        sum = ::crc32(sum, data + done, piece);
        done += piece;
    }
    return std::uint32_t(sum) == crc;
}
