#include "support/ZipBuilder.h"

#include <algorithm>

namespace {

void put16(QByteArray& out, std::uint32_t value) {
    out.append(char(value & 0xFF));
    out.append(char((value >> 8) & 0xFF));
}

void put32(QByteArray& out, std::uint32_t value) {
    put16(out, value & 0xFFFF);
    put16(out, value >> 16);
}

void put64(QByteArray& out, std::uint64_t value) {
    put32(out, std::uint32_t(value & 0xFFFFFFFFu));
    put32(out, std::uint32_t(value >> 32));
}

struct Resolved {
    std::uint64_t size;
    std::uint64_t compressedSize;
    std::uint32_t crc;
};

Resolved resolve(const ZipMember& member) {
    const QByteArray& content = member.content;
    Resolved r;
    r.size = member.size >= 0 ? std::uint64_t(member.size) : std::uint64_t(content.size());
    r.compressedSize = member.compressedSize >= 0 ? std::uint64_t(member.compressedSize)
                                                  : std::uint64_t(member.data.size());
    r.crc = member.crc >= 0 ? std::uint32_t(member.crc) : zipCrc32(content);
    return r;
}

QByteArray zip64Extra(const Resolved& r) {
    QByteArray extra;
    put16(extra, 0x0001);
    put16(extra, 16);
    put64(extra, r.size);
    put64(extra, r.compressedSize);
    return extra;
}

} // namespace

std::uint32_t zipCrc32(const QByteArray& bytes) {
    std::uint32_t crc = 0xFFFFFFFFu;
    for (char c : bytes) {
        crc ^= std::uint8_t(c);
        for (int k = 0; k < 8; ++k)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

QByteArray deflateStoredBlocks(const QByteArray& content) {
    QByteArray out;
    qsizetype pos = 0;
    do {
        const qsizetype length = std::min<qsizetype>(65535, content.size() - pos);
        const bool last = pos + length >= content.size();
        out.append(char(last ? 1 : 0));
        put16(out, std::uint32_t(length));
        put16(out, std::uint32_t(~length & 0xFFFF));
        out.append(content.mid(pos, length));
        pos += length;
    } while (pos < content.size());
    return out;
}

ZipMember storedMember(const QByteArray& name, const QByteArray& content) {
    ZipMember member;
    member.name = name;
    member.content = content;
    member.data = content;
    return member;
}

ZipMember deflatedMember(const QByteArray& name, const QByteArray& content) {
    ZipMember member;
    member.name = name;
    member.content = content;
    member.data = deflateStoredBlocks(content);
    member.method = 8;
    return member;
}

QByteArray buildZip(const QList<ZipMember>& members, const QByteArray& comment) {
    QByteArray out;
    QList<std::uint64_t> offsets;
    for (const ZipMember& member : members) {
        offsets.append(std::uint64_t(out.size()));
        if (!member.writeLocal)
            continue;
        const Resolved r = resolve(member);
        const QByteArray extra = member.zip64 ? zip64Extra(r) : QByteArray();
        put32(out, 0x04034b50);
        put16(out, member.zip64 ? 45 : 20);
        put16(out, member.flags);
        put16(out, member.method);
        put16(out, 0);      // time
        put16(out, 0x5821); // date 2024-01-01
        put32(out, r.crc);
        put32(out, member.zip64 ? 0xFFFFFFFFu : std::uint32_t(r.compressedSize));
        put32(out, member.zip64 ? 0xFFFFFFFFu : std::uint32_t(r.size));
        put16(out, std::uint32_t(member.name.size()));
        put16(out, std::uint32_t(extra.size()));
        out.append(member.name);
        out.append(extra);
        out.append(member.data);
    }
    const std::uint64_t centralStart = std::uint64_t(out.size());
    for (qsizetype i = 0; i < members.size(); ++i) {
        const ZipMember& member = members.at(i);
        const Resolved r = resolve(member);
        const QByteArray extra = member.zip64 ? zip64Extra(r) : QByteArray();
        put32(out, 0x02014b50);
        put16(out, (3 << 8) | 20); // made by: Unix
        put16(out, member.zip64 ? 45 : 20);
        put16(out, member.flags);
        put16(out, member.method);
        put16(out, 0);
        put16(out, 0x5821);
        put32(out, r.crc);
        put32(out, member.zip64 ? 0xFFFFFFFFu : std::uint32_t(r.compressedSize));
        put32(out, member.zip64 ? 0xFFFFFFFFu : std::uint32_t(r.size));
        put16(out, std::uint32_t(member.name.size()));
        put16(out, std::uint32_t(extra.size()));
        put16(out, 0); // comment length
        put16(out, 0); // disk
        put16(out, 0); // internal attributes
        put32(out, member.unixMode << 16);
        put32(out, std::uint32_t(member.centralOffset >= 0 ? std::uint64_t(member.centralOffset)
                                                           : offsets.at(i)));
        out.append(member.name);
        out.append(extra);
    }
    const std::uint64_t centralSize = std::uint64_t(out.size()) - centralStart;
    put32(out, 0x06054b50);
    put16(out, 0);
    put16(out, 0);
    put16(out, std::uint32_t(std::min<qsizetype>(members.size(), 0xFFFF)));
    put16(out, std::uint32_t(std::min<qsizetype>(members.size(), 0xFFFF)));
    put32(out, std::uint32_t(centralSize));
    put32(out, std::uint32_t(centralStart));
    put16(out, std::uint32_t(comment.size()));
    out.append(comment);
    return out;
}

QByteArray deflatedZeros(std::int64_t count, std::int64_t& inflated) {
    // One block of fixed codes: a literal zero, then copies of 258 bytes at distance 1.
    QByteArray out;
    std::uint32_t bits = 0;
    int used = 0;
    auto put = [&](std::uint32_t value, int length) { // value's bits, least significant first
        bits |= value << used;
        used += length;
        while (used >= 8) {
            out.append(char(bits & 0xFF));
            bits >>= 8;
            used -= 8;
        }
    };
    auto putCode = [&](std::uint32_t code, int length) { // Huffman codes go most significant first
        std::uint32_t reversed = 0;
        for (int i = 0; i < length; ++i)
            reversed |= ((code >> i) & 1) << (length - 1 - i);
        put(reversed, length);
    };
    const std::int64_t copies = std::max<std::int64_t>(0, (count - 1) / 258);
    out.reserve(qsizetype(copies * 13 / 8 + 16));
    put(1, 1);        // last block
    put(1, 2);        // fixed codes
    putCode(0x30, 8); // literal 0
    for (std::int64_t i = 0; i < copies; ++i) {
        putCode(0xC5, 8); // length 258
        putCode(0, 5);    // distance 1
    }
    putCode(0, 7); // end of block
    put(0, 7);
    inflated = 1 + copies * 258;
    return out;
}
