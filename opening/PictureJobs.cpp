#include "PictureJobs.h"

#include "format/MemberNames.h"

namespace {

void addRingJobs(RingKind kind, int firstSlot, const PictureJobs::Rings& rings,
                 const QString& fileName, const QString& fileType, const QString& stem,
                 const std::function<QString(const QString&)>& pathOf, PictureJobs& out,
                 std::vector<std::pair<int, int>>& starts) {
    if (rings.count == 0 || !rings.geometry)
        return;
    int slot = firstSlot;
    int previousColumn = -1;
    for (const RingMember& member : rings.geometry->members(rings.rows)) {
        const QString name =
            verticalMemberName(fileName, kind, member.column, member.row, fileType);
        if (member.column != previousColumn)
            starts.emplace_back(member.column, slot);
        previousColumn = member.column;
        out.jobs.push_back({pathOf(name), name, slot, QString(),
                            stem.arg(slot - (firstSlot - 1)).arg(rings.count)});
        ++slot;
    }
}

} // namespace

PictureJobs PictureJobs::build(const QString& fileName, const QString& fileType, int horizontal,
                               Rings upper, Rings lower,
                               const std::function<QString(const QString&)>& pathOf) {
    PictureJobs out;
    const int n = horizontal;
    for (int i = 0; i < n; ++i) {
        const QString name = horizontalMemberName(fileName, i, fileType);
        out.jobs.push_back(
            {pathOf(name), name, i,
             QStringLiteral("Gyrolook: Loading Horizontal Image #%1 of %2").arg(i + 1).arg(n),
             QString()});
    }
    // The ring maps take the slot of each ring's first row.
    addRingJobs(RingKind::Upper, n + 1, upper, fileName, fileType,
                QStringLiteral("Gyrolook: Loading Vertical Image #%1 of %2"), pathOf, out,
                out.upperStarts);
    addRingJobs(RingKind::Lower, n + upper.count + 1, lower, fileName, fileType,
                QStringLiteral("Gyrolook: Loading Lower Vertical Image #%1 of %2"), pathOf, out,
                out.lowerStarts);
    return out;
}

std::vector<int> PictureJobs::viewingOrder(int horizontal, int total) {
    std::vector<int> order;
    if (horizontal > 0)
        order.push_back(0);
    for (int step = 1; 2 * step <= horizontal; ++step) {
        order.push_back(step);
        if (horizontal - step != step)
            order.push_back(horizontal - step);
    }
    for (int index = horizontal; index < total; ++index)
        order.push_back(index);
    return order;
}
