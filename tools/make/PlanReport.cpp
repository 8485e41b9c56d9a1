#include "PlanReport.h"
#include "PackagePlan.h"
#include "tools/shared/CheckSummary.h"
#include "tools/shared/PackageWalk.h"

#include "format/PackageCounters.h"
#include "opening/MemoryBudget.h"
#include "pictures/ScreenLevel.h"

#include <QStringList>
#include <algorithm>
#include <set>

namespace {

QString sideName(RingKind kind) {
    return kind == RingKind::Upper ? QStringLiteral("upper") : QStringLiteral("lower");
}

// The ring columns the opening found against those the plan put the rows on.
void compareColumns(const PackagePlan& plan, const PackageWalk& walk, QStringList& found) {
    const int n = plan.horizontalCount();
    for (RingKind kind : {RingKind::Upper, RingKind::Lower}) {
        std::set<int> have;
        for (const WalkPicture& p : walk.pictures())
            if (p.ring == (kind == RingKind::Upper ? 1 : 2))
                have.insert(p.column);
        const int rings = plan.rings(kind);
        for (int column = 0; column < n; ++column) {
            const bool want = rings > 0 && column % (n / rings) == 0;
            if (have.count(column) != (want ? 1u : 0u))
                found << QStringLiteral("%1 ring at position %2 %3")
                             .arg(sideName(kind))
                             .arg(column)
                             .arg(want ? QStringLiteral("missing") : QStringLiteral("unexpected"));
        }
    }
}

} // namespace

QString packageDifferences(const PackagePlan& plan, const PackageWalk& walk) {
    const PackageCounters& c = walk.opening().counters();
    const Descriptor& d = walk.opening().descriptor();
    QStringList found;
    auto expect = [&found](const char* what, long long have, long long want) {
        if (have != want)
            found << QStringLiteral("%1 %2 instead of %3")
                         .arg(QLatin1String(what))
                         .arg(have)
                         .arg(want);
    };
    const int n = plan.horizontalCount();
    const int up = plan.rows(RingKind::Upper) * plan.rings(RingKind::Upper);
    const int down = plan.rows(RingKind::Lower) * plan.rings(RingKind::Lower);
    expect("horizontal pictures", static_cast<long long>(c.sngHCount), n);
    expect("upper pictures", c.bytVCount, up);
    expect("upper rings", up ? c.bytVColumns : 0, plan.rings(RingKind::Upper));
    expect("upper rows", up ? c.bytVRows : 0, plan.rows(RingKind::Upper));
    expect("lower pictures", c.bytMCount, down);
    expect("lower rings", down ? c.bytMColumns : 0, plan.rings(RingKind::Lower));
    expect("lower rows", down ? c.bytMRows : 0, plan.rows(RingKind::Lower));
    expect("pictures held", static_cast<long long>(walk.pictures().size()), n + up + down);
    expect("hot spots", d.hotSpots.iHotSpots(),
           static_cast<long long>(plan.descriptor().hotSpots.size()));
    compareColumns(plan, walk, found);
    if (d.sound != plan.descriptor().sound || d.soundRepeat != plan.descriptor().soundRepeat)
        found << QStringLiteral("sound \"%1\" instead of \"%2\"")
                     .arg(d.sound, plan.descriptor().sound);
    return found.join(QStringLiteral("; "));
}

namespace {

QString ordinal(int n) {
    const int tens = n % 100;
    const char* suffix = "th";
    if (tens < 11 || tens > 13)
        suffix = n % 10 == 1 ? "st" : n % 10 == 2 ? "nd" : n % 10 == 3 ? "rd" : "th";
    return QString::number(n) + QLatin1String(suffix);
}

// Which photos of a row larger than its rings went in, counted from 1 in the folder's order.
QString photosTaken(const PlannedRow& row) {
    const int taken = row.photos / row.step;
    QStringList first;
    for (int j = 0; j < std::min(taken, 3); ++j)
        first << QString::number(1 + j * row.step);
    QString numbers = first.join(QStringLiteral(", "));
    if (taken > 3)
        numbers += (taken > 4 ? QStringLiteral(", ... ") : QStringLiteral(", ")) +
                   QString::number(1 + (taken - 1) * row.step);
    return QStringLiteral("%1 (photos %2: every %3 of %4)")
        .arg(row.folder, numbers, ordinal(row.step))
        .arg(row.photos);
}

// "2 rows above of 12 pictures: up20 (photos 1, 4, 7, ... 34: every 3rd of 36), up40"
QString sideSummary(const PackagePlan& plan, RingKind kind) {
    QStringList rows;
    for (const PlannedRow& row : plan.plannedRows())
        if (row.kind == kind)
            rows << (row.step > 1 ? photosTaken(row) : row.folder);
    return QStringLiteral("%1 row%2 %3 of %4 pictures: %5")
        .arg(rows.size())
        .arg(rows.size() == 1 ? QString() : QStringLiteral("s"))
        .arg(kind == RingKind::Upper ? QStringLiteral("above") : QStringLiteral("below"))
        .arg(plan.rings(kind))
        .arg(rows.join(QStringLiteral(", ")));
}

} // namespace

QString packageSummary(const PackagePlan& plan) {
    QString text = QStringLiteral("%1 horizontal pictures from %2")
                       .arg(plan.horizontalCount())
                       .arg(plan.ringFolder());
    for (RingKind kind : {RingKind::Upper, RingKind::Lower}) {
        if (plan.rings(kind) > 0)
            text += QStringLiteral("; ") + sideSummary(plan, kind);
    }
    const DescriptorFields& d = plan.descriptor();
    if (!d.sound.isEmpty())
        text += QStringLiteral("; sound %1%2")
                    .arg(d.sound, d.soundRepeat ? QStringLiteral(" (repeated)") : QString());
    if (!d.hotSpots.empty())
        text += QStringLiteral("; %1 hot spot%2")
                    .arg(d.hotSpots.size())
                    .arg(d.hotSpots.size() == 1 ? QString() : QStringLiteral("s"));
    return text;
}

QString viewerMemoryWarning(const PackageWalk& walk, qint64 freeBytes, QSize screen) {
    const PackageOpening& o = walk.opening();
    const QSize size(o.pictureWidth(), o.pictureHeight());
    const MemoryBudget budget =
        checkMemoryBudget(qint64(walk.pictures().size()), size.width(), size.height(),
                          qint64(o.counters().sngMaxFileLen), freeBytes, true,
                          levelScale(size, shownOnScreen(size, screen)));
    if (budget.storage != PictureStorage::Refused)
        return QString();
    return QStringLiteral("made, but this machine could not open it held decoded: %1")
        .arg(budget.message.simplified());
}
