#pragma once

#include "archive/MemberReader.h"
#include "format/Descriptor.h"

#include <QString>
#include <QStringList>
#include <cstdint>
#include <functional>

// What a package uses, found from its directory and descriptor before anything is extracted, so
// that the extraction writes only that: the descriptor, the sound member it names and the
// picture members its FileName and FileType name (horizontal ring, and the vertical rings when
// they are loaded). Every other member is skipped and counted.
//
// Each picture member is probed from its first bytes before it is read whole: a member whose
// header is no GIF, JPEG, PNG or BMP header and that is larger than a header, a picture larger
// than the viewer shows or can decode, and a member larger than its picture can be are refused
// here, without reading them. A package without a descriptor, and a descriptor larger than a
// descriptor can be, are refused too.
//
// A package whose directory or descriptor cannot be read this way (not a ZIP archive, an
// encrypted descriptor) is left to the extraction, whole: it gives its own refusal or asks for
// the password.
class UsedMembers {
public:
    // False when the package is refused; problem() then says why. `descriptorRead` is given the
    // descriptor as soon as it is read, before the picture members are probed.
    bool survey(const QString& packagePath, bool vertical,
                const std::function<void(const Descriptor&)>& descriptorRead = {});

    // Patterns for the extraction (ASCII case ignored); empty when every member is to be extracted.
    const QStringList& patterns() const { return m_patterns; }
    // Of those, the patterns of the picture members (empty when every member is extracted).
    const QStringList& picturePatterns() const { return m_picturePatterns; }
    int skipped() const { return m_skipped; }
    const QString& problem() const { return m_problem; }

    // The patterns that select the members named `bareName` wherever they stand in the archive
    // (it may hold * standing for any text; other pattern characters are taken literally).
    static QStringList patternsFor(const QString& bareName);

private:
    bool refuse(const QString& problem);
    // Refuses a picture member from its header: a side past what the viewer shows, pixels past
    // what the image reader may take (other kinds than JPEG), more bytes than such a picture holds.
    bool checkPicture(MemberReader& archive, std::int64_t index, const MemberReader::Entry& entry,
                      qint64 mostPixelBytes);

    QStringList m_patterns;
    QStringList m_picturePatterns;
    int m_skipped = 0;
    QString m_problem;
};
