#include "PackagePlan.h"
#include "tools/shared/RingReach.h"

#include "format/Descriptor.h"
#include "format/HotSpotTables.h"
#include "format/Navigation.h"
#include "format/ScreenUnits.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>
#include <algorithm>

namespace {

using navigation::kLastRingSlot;
constexpr int kMaxHotSpots = 255;
// The longest file name the extraction can write (NAME_MAX of the usual file systems).
constexpr int kLongestMemberName = 255;

int modulo(int value, int n) {
    const int r = value % n;
    return r < 0 ? r + n : r;
}

// Why a row of c pictures cannot go with a ring of n: the viewer reaches a row only when its
// rings branch off at every third position of the ring, so a row needs a photo there, one of
// every c / (n / 3) it holds.
QString wrongRowCount(const QString& row, int c, int n) {
    if (n % navigation::kRingStride != 0)
        return QStringLiteral("%1 holds %2 pictures, but the ring holds %3, not a multiple of %4: "
                              "the viewer turns the rings above and below %4 positions a click, "
                              "so a ring with rows needs a multiple of %4 pictures")
            .arg(row)
            .arg(c)
            .arg(n)
            .arg(navigation::kRingStride);
    return QStringLiteral("%1 holds %2 pictures, but the viewer needs %3 there, one every %4 "
                          "positions of the ring of %5 (it turns the rings above and below %4 "
                          "positions a click); a row of a multiple of %3 photos, taken evenly "
                          "round, is used at those positions")
        .arg(row)
        .arg(c)
        .arg(n / navigation::kRingStride)
        .arg(navigation::kRingStride)
        .arg(n);
}

// A row's name for the contact sheet: its folder's own name, on one line.
QString rowName(const QString& folder) {
    static const QRegularExpression control(QStringLiteral("[\\x00-\\x1f\\x7f]"));
    return QFileInfo(QDir(folder).absolutePath())
        .fileName()
        .replace(control, QStringLiteral("?"))
        .left(60);
}

QString optionName(RingKind kind) {
    return kind == RingKind::Upper ? QStringLiteral("--up") : QStringLiteral("--down");
}

} // namespace

QStringList countingMarkers() {
    return {QStringLiteral("_H"), QStringLiteral("_V"), QStringLiteral("_M"),
            QStringLiteral("0002")};
}

bool PackagePlan::fail(const QString& error) {
    m_error = error;
    m_members.clear();
    return false;
}

bool PackagePlan::checkName(const QString& name) {
    if (name.isEmpty())
        return fail(QStringLiteral("--name is empty; the package needs a name for its pictures"));
    if (name.trimmed() != name)
        return fail(QStringLiteral("the name \"%1\" begins or ends with a blank, which the "
                                   "descriptor cannot keep; leave the blanks out")
                        .arg(name));
    static const QRegularExpression unsafe(QStringLiteral("[/\\\\\\x00-\\x1f]"));
    if (name.contains(unsafe))
        return fail(QStringLiteral("the name \"%1\" holds a slash, a backslash or a control "
                                   "character, which a member name cannot")
                        .arg(name));
    for (const QString& marker : countingMarkers())
        if (name.contains(marker))
            return fail(QStringLiteral("the name \"%1\" holds \"%2\", which the viewer counts "
                                       "as a picture marker; choose a name without %3")
                            .arg(name, marker, countingMarkers().join(QStringLiteral(", "))));
    return true;
}

bool PackagePlan::placeRing(const PackageRequest& request) {
    const int n = static_cast<int>(request.ring.files.size());
    if (n == 0)
        return fail(QStringLiteral("%1 holds no picture for the ring").arg(request.ring.folder));
    if (request.start < 0 || request.start >= n)
        return fail(
            QStringLiteral("--start %1 is outside the ring: %2 holds %3 pictures (0 ... %4)")
                .arg(request.start)
                .arg(request.ring.folder)
                .arg(n)
                .arg(n - 1));
    m_horizontal = n;
    m_ringFolder = request.ring.folder;
    m_start = request.start;
    m_reverse = request.reverse;
    const QString& name = m_descriptor.fileName;
    for (int p = 0; p < n; ++p) {
        const int source = request.reverse ? modulo(request.start - p, n) : (request.start + p) % n;
        const QString& photo = request.ring.files.at(source);
        m_members.push_back({horizontalMemberName(name, p, m_descriptor.fileType), photo, photo});
    }
    return true;
}

void PackagePlan::placeSound(const PackageRequest& request) {
    if (request.soundFile.isEmpty())
        return;
    // The sound keeps its own name unless the counting rules would take it for a picture.
    QString member = QFileInfo(request.soundFile).fileName();
    bool safe = member.compare(descriptorMemberName(), Qt::CaseInsensitive) != 0;
    for (const QString& marker : countingMarkers())
        safe = safe && !member.contains(marker);
    if (!safe)
        member = m_descriptor.fileName + QStringLiteral(".mp3");
    m_descriptor.sound = member;
    m_descriptor.soundRepeat = request.soundRepeat;
    m_members.push_back({member, request.soundFile, request.soundFile});
}

bool PackagePlan::checkMemberNames() {
    for (const PlannedMember& member : m_members)
        if (member.name.toUtf8().size() > kLongestMemberName)
            return fail(QStringLiteral("the member name %1 is %2 bytes long; names longer than %3 "
                                       "bytes cannot be extracted: choose a shorter --name%4")
                            .arg(member.name.left(40) + QStringLiteral("..."))
                            .arg(member.name.toUtf8().size())
                            .arg(kLongestMemberName)
                            .arg(member.source.endsWith(QLatin1String(".mp3"), Qt::CaseInsensitive)
                                     ? QStringLiteral(" or rename the sound file")
                                     : QString()));
    return true;
}

PackagePlan PackagePlan::make(const PackageRequest& request, const QString& fileType,
                              QSize pictureSize) {
    PackagePlan plan;
    plan.m_descriptor.fileName = request.name;
    plan.m_descriptor.fileType = fileType;
    if (!plan.checkName(request.name) || !plan.placeRing(request))
        return plan;
    if (!request.down.empty() && request.up.empty()) {
        plan.fail(QStringLiteral("--down needs --up: the viewer enables its vertical bar only "
                                 "where a ring above branches off, so rings below alone cannot "
                                 "be reached"));
        return plan;
    }
    if (!plan.placeRows(request, RingKind::Upper) || !plan.placeRows(request, RingKind::Lower))
        return plan;
    const int n = plan.m_horizontal;
    const int ringPictures = plan.m_upRows * plan.m_upRings + plan.m_downRows * plan.m_downRings;
    if (ringPictures > 0 && n + ringPictures > kLastRingSlot) {
        plan.fail(QStringLiteral("%1 pictures with vertical rings are more than the viewer can "
                                 "index (%2 at most)")
                      .arg(n + ringPictures)
                      .arg(kLastRingSlot));
        return plan;
    }
    plan.m_descriptor.numOfNorth = plan.m_upRows;
    plan.m_descriptor.numOfSouth = plan.m_downRows;
    plan.placeSound(request);
    if (!plan.checkMemberNames())
        return plan;
    for (const QString& hotSpot : request.hotSpots)
        if (!plan.addHotSpot(hotSpot, pictureSize))
            return plan;
    return plan;
}

void PackagePlan::markChanged(const QStringList& photos) {
    const QSet<QString> set(photos.begin(), photos.end());
    for (PlannedMember& member : m_members)
        member.changes = set.contains(member.original);
}

bool PackagePlan::anyChanges() const {
    return std::any_of(m_members.begin(), m_members.end(),
                       [](const PlannedMember& m) { return m.changes; });
}

bool PackagePlan::placeRows(const PackageRequest& request, RingKind kind) {
    const std::vector<PhotoRow>& rows = kind == RingKind::Upper ? request.up : request.down;
    if (rows.empty())
        return true;
    const int n = m_horizontal;
    // The columns the viewer turns through: one every kRingStride positions.
    const int columns = n % navigation::kRingStride == 0 ? n / navigation::kRingStride : 0;
    for (const PhotoRow& row : rows) {
        const int c = static_cast<int>(row.files.size());
        if (c == 0)
            return fail(
                QStringLiteral("%1 (%2) holds no picture").arg(row.folder, optionName(kind)));
        if (columns == 0 || c % columns != 0)
            return fail(wrongRowCount(
                row.folder + QStringLiteral(" (") + optionName(kind) + QStringLiteral(")"), c, n));
    }
    if (static_cast<int>(rows.size()) > RingReach::kMaxRows)
        return fail(QStringLiteral("%1 rows given with %2; the viewer's vertical bar reaches %3 "
                                   "rows above the ring and %3 below")
                        .arg(rows.size())
                        .arg(optionName(kind))
                        .arg(RingReach::kMaxRows));
    if (m_start % navigation::kRingStride != 0)
        return fail(QStringLiteral("--start %1 falls between the columns of %2 (%3), which has a "
                                   "picture every %4 positions: --start must be a multiple of %4")
                        .arg(m_start)
                        .arg(rows.front().folder, optionName(kind))
                        .arg(navigation::kRingStride));
    for (std::size_t r = 0; r < rows.size(); ++r) {
        // A row of `columns` x step photos taken evenly round: photo j x step faces the ring's
        // angle kRingStride x j.
        const int step = static_cast<int>(rows[r].files.size()) / columns;
        m_rowUses.push_back({rows[r].folder, kind, static_cast<int>(rows[r].files.size()), step});
        (kind == RingKind::Upper ? m_descriptor.upperRowNames : m_descriptor.lowerRowNames)
            .push_back(rowName(rows[r].folder));
        for (int j = 0; j < columns; ++j) {
            const int angle = j * navigation::kRingStride;
            const int column = m_reverse ? modulo(m_start - angle, n) : modulo(angle - m_start, n);
            const QString& photo = rows[r].files.at(j * step);
            m_members.push_back({verticalMemberName(m_descriptor.fileName, kind, column,
                                                    static_cast<int>(r) + navigation::kFirstRingRow,
                                                    m_descriptor.fileType),
                                 photo, photo});
        }
    }
    (kind == RingKind::Upper ? m_upRows : m_downRows) = static_cast<int>(rows.size());
    (kind == RingKind::Upper ? m_upRings : m_downRings) = columns;
    return true;
}

bool PackagePlan::addHotSpot(const QString& hotSpot, QSize pictureSize) {
    static const QRegularExpression pattern(QStringLiteral(
        "^\\s*(\\d+)\\s*:\\s*(\\d+)\\s*,\\s*(\\d+)\\s*,\\s*(\\d+)\\s*,\\s*(\\d+)\\s*$"));
    const QRegularExpressionMatch match = pattern.match(hotSpot);
    if (!match.hasMatch())
        return fail(QStringLiteral("--hotspot %1: write IMAGE:X1,Y1,X2,Y2 (the horizontal "
                                   "position and the rectangle's corners in picture pixels)")
                        .arg(hotSpot));
    if (m_descriptor.hotSpots.size() >= kMaxHotSpots)
        return fail(QStringLiteral("--hotspot %1: a descriptor holds at most %2 hot spots")
                        .arg(hotSpot)
                        .arg(kMaxHotSpots));
    bool ok = true;
    const int image = match.captured(1).toInt(&ok);
    const int lastImage = std::min(m_horizontal - 1, HotSpotTables::MaxImageNumber);
    if (!ok || image > lastImage)
        return fail(QStringLiteral("--hotspot %1: image %2 is not a position of the ring that can "
                                   "hold a hot spot (0 ... %3)")
                        .arg(hotSpot, match.captured(1))
                        .arg(lastImage));
    int v[4];
    for (int i = 0; i < 4; ++i) {
        v[i] = match.captured(i + 2).toInt(&ok);
        if (!ok || v[i] > 32767 / kTwipsPerPixel)
            return fail(QStringLiteral("--hotspot %1: %2 is past the largest corner the "
                                       "descriptor can hold (%3 pixels)")
                            .arg(hotSpot, match.captured(i + 2))
                            .arg(32767 / kTwipsPerPixel));
    }
    if (v[0] >= v[2] || v[1] >= v[3])
        return fail(
            QStringLiteral("--hotspot %1: X1 must be left of X2 and Y1 above Y2").arg(hotSpot));
    if (v[2] > pictureSize.width() || v[3] > pictureSize.height())
        return fail(QStringLiteral("--hotspot %1: the rectangle reaches past the pictures, which "
                                   "are %2 x %3 pixels")
                        .arg(hotSpot)
                        .arg(pictureSize.width())
                        .arg(pictureSize.height()));
    DescriptorFields::Spot spot;
    spot.image = image;
    spot.rect = HotSpotRect{qint16(v[0] * kTwipsPerPixel), qint16(v[1] * kTwipsPerPixel),
                            qint16(v[2] * kTwipsPerPixel), qint16(v[3] * kTwipsPerPixel)};
    m_descriptor.hotSpots.push_back(spot);
    return true;
}
