#pragma once

#include <QByteArray>
#include <QList>
#include <cstdint>

// Builds ZIP archives byte by byte, including ones that no well-behaved writer produces: every
// header field can be set to a lie. Members are written in order (local header, data), then the
// central directory and its end record.
struct ZipMember {
    QByteArray name;
    QByteArray data;                  // the bytes stored as the member's data (compressed form)
    std::uint16_t method = 0;         // 0 stored, 8 deflated, anything else as given
    std::uint16_t flags = 0;          // general purpose flags (bit 0: encrypted)
    std::int64_t size = -1;           // declared uncompressed size; -1: the content's size
    std::int64_t compressedSize = -1; // declared compressed size; -1: data.size()
    std::int64_t crc = -1;            // declared CRC-32; -1: the content's CRC-32
    QByteArray content;               // the uncompressed content (for the defaults above)
    std::uint32_t unixMode = 0100644;
    bool zip64 = false;              // sizes in a zip64 extra field (both headers)
    std::int64_t centralOffset = -1; // local header offset named in the central directory;
                                     // -1: where this member's local header was written
    bool writeLocal = true;          // false: only a central directory entry is written
};

// A stored member holding content.
ZipMember storedMember(const QByteArray& name, const QByteArray& content);
// A deflated member holding content (written as uncompressed deflate blocks).
ZipMember deflatedMember(const QByteArray& name, const QByteArray& content);

// The raw deflate stream of content in uncompressed blocks.
QByteArray deflateStoredBlocks(const QByteArray& content);

// A raw deflate stream of at least `count` zero bytes (rounded down to 1 + a multiple of 258),
// about 1/160 of their size; `inflated` receives the exact count.
QByteArray deflatedZeros(std::int64_t count, std::int64_t& inflated);

// CRC-32 as ZIP uses it.
std::uint32_t zipCrc32(const QByteArray& bytes);

// The whole archive.
QByteArray buildZip(const QList<ZipMember>& members, const QByteArray& comment = {});
