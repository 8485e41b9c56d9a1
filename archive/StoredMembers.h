#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>
#include <cstdint>
#include <optional>

// Where the members a ZIP archive stores uncompressed (method 0, not encrypted) lie in it: the
// range of each one's data, from the central directory's local header offset and the local
// header's own length. Members are found by the part of their name after the last '/' or '\',
// ASCII case ignored, as the extraction writes and the opening looks them up; a bare name two
// members share is not found. Nothing is inflated and nothing is written. The directory is
// bounded as MemberReader bounds it; an archive whose directory cannot be read this way gives no
// members (its pictures are then held as before).
class StoredMembers {
public:
    struct Span {
        std::uint64_t offset = 0; // of the first data byte in the archive file
        std::uint64_t size = 0;
        std::uint32_t crc = 0; // the CRC-32 the central directory gives the member's data
    };

    // Reads the directory of the archive open on `fd`, `fileSize` bytes long.
    static StoredMembers read(int fd, std::uint64_t fileSize);

    // The data range of the stored member named `bareName`, or none.
    std::optional<Span> find(const QString& bareName) const;
    int count() const { return int(m_spans.size()); }

    // Whether `bytes` have the CRC-32 `crc` (ZIP's, over the uncompressed data).
    static bool checksumMatches(const QByteArray& bytes, std::uint32_t crc);

private:
    QHash<QByteArray, Span> m_spans; // by bare name, ASCII lowered; ambiguous names removed
};
