#include "CheckSummary.h"

#include "opening/MemoryBudget.h"
#include "pictures/ScreenLevel.h"

#include <limits>

namespace {

// What the viewer's window puts around the picture: its frame, and the bars and read-outs below.
constexpr QSize kAroundPicture(14, 100);

// The strongest reduction that still shows the picture as large as it fits in a window on the
// screen. The viewer opens at a zoom step at most that large, so its level is at most this one.
int screenLevel(const CheckFigures& f) {
    return levelScale(f.size, shownOnScreen(f.size, f.screen));
}

QString rows(int count, const char* side) {
    return QStringLiteral(", %1 row%2 %3")
        .arg(count)
        .arg(count == 1 ? QString() : QStringLiteral("s"))
        .arg(QLatin1String(side));
}

} // namespace

QSize shownOnScreen(QSize natural, QSize screen) {
    const QSize room = (screen - kAroundPicture).expandedTo(QSize(1, 1));
    if (natural.width() <= room.width() && natural.height() <= room.height())
        return QSize();
    return natural.scaled(room, Qt::KeepAspectRatio);
}

qint64 viewerBytes(const CheckFigures& f) {
    const MemoryBudget budget = checkMemoryBudget(
        qint64(f.around) + f.above + f.below, f.size.width(), f.size.height(), f.largestFile,
        std::numeric_limits<qint64>::max() / 4, true, screenLevel(f), 0, f.keptFile);
    // The decodes kept beyond the latest two follow the memory that is free: left out.
    return budget.heldDecodedBytes + budget.keptDecodeBytes - budget.keptDecodeCap;
}

QString checkSummary(const CheckFigures& f) {
    QString text =
        QStringLiteral("%1 photos: %2 around").arg(f.around + f.above + f.below).arg(f.around);
    if (f.above > 0)
        text += rows(f.rowsAbove, "above");
    if (f.below > 0)
        text += rows(f.rowsBelow, "below");
    const qint64 megabytes = (viewerBytes(f) + 500'000) / 1'000'000;
    return text + QStringLiteral("; %1 x %2; up to about %3 MB in the viewer on a %4 x %5 screen")
                      .arg(f.size.width())
                      .arg(f.size.height())
                      .arg(megabytes)
                      .arg(f.screen.width())
                      .arg(f.screen.height());
}
