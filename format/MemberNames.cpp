#include "MemberNames.h"

#include <algorithm>

namespace {

QString digits(int number) {
    return QString::number(std::max(number, 0));
}

} // namespace

QString ringMarker(RingKind kind) {
    return kind == RingKind::Upper ? QStringLiteral("_V") : QStringLiteral("_M");
}

QString positionField(int position) {
    const QString text = digits(position);
    if (text.size() == 1)
        return QStringLiteral("000") + text;
    if (text.size() == 2)
        return QStringLiteral("00") + text;
    return QStringLiteral("0") + text;
}

QString columnField(int column) {
    const QString text = digits(column);
    return text.size() == 1 ? QStringLiteral("0") + text : text;
}

QString rowField(int row) {
    const QString text = digits(row);
    return text.size() == 1 ? QStringLiteral("000") + text : QStringLiteral("00") + text;
}

QString horizontalMemberName(const QString& baseName, int position, const QString& extension) {
    return baseName + QStringLiteral("_H_") + positionField(position) + extension;
}

QString verticalMemberName(const QString& baseName, RingKind kind, int column, int row,
                           const QString& extension) {
    return baseName + ringMarker(kind) + columnField(column) + QStringLiteral("_") + rowField(row) +
           extension;
}

QString upperMemberName(const QString& baseName, int column, int row, const QString& extension) {
    return verticalMemberName(baseName, RingKind::Upper, column, row, extension);
}

QString lowerMemberName(const QString& baseName, int column, int row, const QString& extension) {
    return verticalMemberName(baseName, RingKind::Lower, column, row, extension);
}
