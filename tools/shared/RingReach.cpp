#include "RingReach.h"

#include "format/RingTurns.h"

#include <algorithm>
#include <tuple>

namespace {

std::vector<int> ringColumns(int horizontal, const std::vector<std::uint8_t>& map) {
    std::vector<int> columns;
    for (int c = 0; c < horizontal && c < static_cast<int>(map.size()); ++c)
        if (map[static_cast<std::size_t>(c)] != navigation::kNoRing)
            columns.push_back(c);
    return columns;
}

QString listed(const std::vector<int>& columns) {
    QStringList parts;
    for (std::size_t i = 0; i < columns.size() && i < 8; ++i)
        parts << QString::number(columns[i]);
    if (columns.size() > 8)
        parts << QStringLiteral("...");
    return parts.join(QStringLiteral(", "));
}

// The positions of one side the viewer steps onto that hold no ring, and the rings it never
// lands on.
void sideProblems(const char* side, int horizontal, const std::vector<int>& columns,
                  QStringList& problems) {
    std::vector<int> off;
    std::vector<int> missing;
    const std::vector<int> stops = RingTurns::ringStops(horizontal);
    for (int c = 0; c < horizontal; ++c) {
        const bool has = std::find(columns.begin(), columns.end(), c) != columns.end();
        const bool stepped = std::find(stops.begin(), stops.end(), c) != stops.end();
        if (has && !stepped)
            off.push_back(c);
        else if (!has && stepped)
            missing.push_back(c);
    }
    if (!off.empty())
        problems << QStringLiteral("the %1 rings at positions %2 are never reached: the viewer "
                                   "turns a vertical ring %3 positions a click, from position 0")
                        .arg(QLatin1String(side), listed(off))
                        .arg(navigation::kRingStride);
    if (!missing.empty())
        problems << QStringLiteral("turning the %1 rings, the viewer lands on positions %2, where "
                                   "no %1 ring branches off")
                        .arg(QLatin1String(side), listed(missing));
}

} // namespace

QStringList RingReach::problems(int horizontal, const std::vector<std::uint8_t>& upperMap,
                                int upperRows, const std::vector<std::uint8_t>& lowerMap,
                                int lowerRows) {
    const std::vector<int> upper = ringColumns(horizontal, upperMap);
    const std::vector<int> lower = ringColumns(horizontal, lowerMap);
    QStringList problems;
    if (upper.empty() && lower.empty())
        return problems;
    if (horizontal % navigation::kRingStride != 0)
        problems << QStringLiteral("the ring holds %1 pictures, not a multiple of %2: the viewer "
                                   "turns a vertical ring %2 positions a click, so it cannot go "
                                   "all the way round")
                        .arg(horizontal)
                        .arg(navigation::kRingStride);
    if (upper.empty()) {
        problems << QStringLiteral("the lower rings are never reached: the viewer enables its "
                                   "vertical bar only where an upper ring branches off, and "
                                   "there is none");
        return problems;
    }
    sideProblems("upper", horizontal, upper, problems);
    if (!lower.empty())
        sideProblems("lower", horizontal, lower, problems);
    for (const auto& [side, rows, reached] :
         {std::tuple{"upper", upperRows, RingTurns::kUpperRowsReached},
          std::tuple{"lower", lowerRows, RingTurns::kLowerRowsReached}})
        if (rows > reached)
            problems << QStringLiteral("the %1 rings have %2 rows; the viewer's vertical bar "
                                       "reaches %3")
                            .arg(QLatin1String(side))
                            .arg(rows)
                            .arg(reached);
    return problems;
}
