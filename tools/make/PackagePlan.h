#pragma once

#include "format/DescriptorText.h"
#include "format/MemberNames.h"

#include <QSize>
#include <QString>
#include <QStringList>
#include <vector>

// A folder of photos, in the order they were taken (natural order of their names).
struct PhotoRow {
    QString folder;
    QStringList files; // full paths
};

// What the user asked a new package to hold.
struct PackageRequest {
    QString name; // FileName of the package
    PhotoRow ring;
    int start = 0;        // the picture (counting from 0) that becomes position 0
    bool reverse = false; // the turntable turned the other way
    std::vector<PhotoRow> up;
    std::vector<PhotoRow> down;
    QString soundFile; // empty for none
    bool soundRepeat = false;
    QStringList hotSpots; // "IMAGE:X1,Y1,X2,Y2" in picture pixels
};

// One member of the package to write, and the file whose bytes it takes.
struct PlannedMember {
    QString name;
    QString source;       // the file whose bytes go in (a photo made anew once it is made)
    QString original;     // the photo given
    bool changes = false; // made anew (--fit, --quality, --auto-rotate, --strip) on the way
};

// A row as placed: `photos` given, every `step`-th taken (from the first).
struct PlannedRow {
    QString folder;
    RingKind kind = RingKind::Upper;
    int photos = 0;
    int step = 1;
};

// Turns a request into member names and a descriptor, following the package format: the ring's
// pictures become positions 0 ... N-1, and the pictures of a row go to every third position (the
// viewer turns the rings above and below three positions a click, so a row needs N / 3 pictures;
// a row of a multiple of that, taken evenly round as a turntable does, gives every step-th photo,
// step = its count / (N / 3): a row as large as the ring gives every third),
// the first --up row being row 2 of the upper rings, the next row 3, and so on (--down alike for
// the lower rings, which need upper rings: the viewer enters the vertical rings only where an
// upper ring branches off). --start K and --reverse turn the whole shoot: the picture that was
// taken at angle index a (the K-th of the ring is index K; the j-th of a row is index 3j) lands
// at position (a - K) mod N, or (K - a) mod N reversed; a row therefore needs K to be a multiple
// of three.
//
// Everything the viewer could not index, reach or would count wrongly is refused with a sentence
// that names the folder or option at fault: a name with a marker of the counting rules or
// blanks at its ends, a member name too long to extract, rows whose count is not a multiple of
// N / 3,
// more than nine rows a side, --down without --up, more pictures than the ring maps can index,
// hot spots outside the pictures or the descriptor's number range.
class PackagePlan {
public:
    // fileType: the pictures' extension (leading dot); pictureSize: their size in pixels.
    static PackagePlan make(const PackageRequest& request, const QString& fileType,
                            QSize pictureSize);

    bool isValid() const { return m_error.isEmpty(); }
    const QString& error() const { return m_error; }

    // Every picture member and the sound, in the order they are written (the descriptor, named
    // descriptorMemberName(), comes first and is not listed).
    const std::vector<PlannedMember>& members() const { return m_members; }
    std::vector<PlannedMember>& mutableMembers() { return m_members; }
    // Marks the members of these photos as made anew.
    void markChanged(const QStringList& photos);
    bool anyChanges() const;
    const DescriptorFields& descriptor() const { return m_descriptor; }

    int horizontalCount() const { return m_horizontal; }
    // Rows and rings (row-2 pictures) of each side; 0 and 0 for a side without rings.
    int rows(RingKind kind) const { return kind == RingKind::Upper ? m_upRows : m_downRows; }
    int rings(RingKind kind) const { return kind == RingKind::Upper ? m_upRings : m_downRings; }
    // The ring's folder, and each row's folder with the photos it gave, upper rows from the
    // lowest, then lower rows.
    const QString& ringFolder() const { return m_ringFolder; }
    const std::vector<PlannedRow>& plannedRows() const { return m_rowUses; }

private:
    bool fail(const QString& error);
    bool checkName(const QString& name);
    bool placeRing(const PackageRequest& request);
    void placeSound(const PackageRequest& request);
    bool checkMemberNames();
    bool placeRows(const PackageRequest& request, RingKind kind);
    bool addHotSpot(const QString& hotSpot, QSize pictureSize);

    QString m_error;
    std::vector<PlannedMember> m_members;
    DescriptorFields m_descriptor;
    QString m_ringFolder;
    std::vector<PlannedRow> m_rowUses;
    int m_horizontal = 0;
    int m_start = 0;
    bool m_reverse = false;
    int m_upRows = 0;
    int m_upRings = 0;
    int m_downRows = 0;
    int m_downRings = 0;
};

// The markers the counting rules look for in member names; a package name must hold none.
QStringList countingMarkers();
