#include "RingGeometry.h"

#include "format/Navigation.h"

namespace {

constexpr long long ByteLimit = 255;

QString kindWord(RingKind kind) {
    return kind == RingKind::Upper ? QStringLiteral("upper") : QStringLiteral("lower");
}

} // namespace

long long roundedQuotient(long long numerator, long long denominator) {
    const long long quotient = numerator / denominator;
    const long long twiceRemainder = 2 * (numerator % denominator);
    if (twiceRemainder > denominator || (twiceRemainder == denominator && quotient % 2 != 0))
        return quotient + 1;
    return quotient;
}

RingGeometry RingGeometry::compute(RingKind kind, int horizontalCount, int ringCount) {
    RingGeometry geometry;
    const QString kindText = kindWord(kind);
    const long long n = horizontalCount > 0 ? horizontalCount : 0;
    const long long c = ringCount;
    if (c <= 0) {
        geometry.m_error =
            QStringLiteral("The package has %1 vertical pictures, but none of them is the first "
                           "picture (row 2) of a ring, so its %1 rings cannot be placed.")
                .arg(kindText);
        return geometry;
    }
    const long long step = roundedQuotient(n, c);
    const long long last = roundedQuotient(n * (c - 1), c);
    if (step == 0) {
        geometry.m_error = QStringLiteral("The package has %1 %2 rings but only %3 horizontal "
                                          "pictures, so its %2 rings cannot be placed.")
                               .arg(c)
                               .arg(kindText)
                               .arg(n);
        return geometry;
    }
    if (step > ByteLimit || last > ByteLimit) {
        geometry.m_error =
            QStringLiteral("The package has %1 horizontal pictures and %2 %3 rings; rings that "
                           "branch off beyond position 255 are not supported.")
                .arg(n)
                .arg(c)
                .arg(kindText);
        return geometry;
    }
    geometry.m_step = static_cast<std::uint8_t>(step);
    geometry.m_lastColumn = static_cast<std::uint8_t>(last);
    for (long long column = 0; column <= last; column += step)
        geometry.m_columns.push_back(static_cast<std::uint8_t>(column));
    return geometry;
}

std::vector<RingMember> RingGeometry::members(int rows) const {
    std::vector<RingMember> result;
    if (rows <= 0)
        return result;
    result.reserve(m_columns.size() * static_cast<std::size_t>(rows));
    for (const std::uint8_t column : m_columns) {
        for (int row = navigation::kFirstRingRow; row < navigation::kFirstRingRow + rows; ++row)
            result.push_back({column, row});
    }
    return result;
}
