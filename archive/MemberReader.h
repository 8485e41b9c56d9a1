#pragma once

#include <zip.h>

#include <QByteArray>
#include <QString>
#include <cstdint>

// Reads single members of a ZIP archive into memory, for callers that need one or two members
// of a package and must not extract it (the thumbnail command, which file managers run on every
// package a user browses). Nothing is written anywhere.
//
// open() refuses, before libzip builds its directory, an archive whose end record announces more
// than MaxMembers members or a central directory larger than MaxDirectoryBytes (every record
// found in the archive's tail is checked, so a decoy record cannot hide a huge one). find()
// ignores ASCII case, as member lookups of the opening do, and reports names that differ only by
// case. Members are matched by the part of their name after the last '/' or '\', the name
// the extraction writes them under. read() refuses a member that declares more than the caller's
// limit, stops as soon as a member yields more than it declares, and checks its CRC-32. Every
// refusal leaves problem().
class MemberReader {
public:
    static constexpr std::int64_t MaxMembers = 4096;
    static constexpr std::uint64_t MaxDirectoryBytes = 8 * 1024 * 1024;
    static constexpr std::int64_t NotFound = -1;
    static constexpr std::int64_t Ambiguous = -2;

    MemberReader() = default;
    ~MemberReader();
    MemberReader(const MemberReader&) = delete;
    MemberReader& operator=(const MemberReader&) = delete;

    bool open(const QString& path);
    // The index of the member whose bare name is name, NotFound, or Ambiguous when two members
    // match without regard to case.
    std::int64_t find(const QString& name) const;
    bool read(std::int64_t index, std::uint64_t limit, QByteArray& bytes);

    // What the directory says of a member: its whole name, the size it declares and whether it is
    // encrypted. False when the directory entry cannot be read.
    struct Entry {
        QByteArray name;
        std::uint64_t size = 0;
        bool encrypted = false;
    };
    std::int64_t count() const;
    bool entry(std::int64_t index, Entry& entry) const;
    // The first `size` bytes of an unencrypted member (fewer when it holds fewer or its data
    // breaks off early); only that much is inflated.
    bool readHead(std::int64_t index, std::size_t size, QByteArray& bytes);

    const QString& problem() const { return m_problem; }

private:
    bool refuse(const QString& problem);
    bool checkEndRecords(int fd, std::uint64_t fileSize);

    zip_t* m_archive = nullptr;
    QString m_label;
    QString m_problem;
};
