#include "OneLine.h"

#include <QRegularExpression>

QString oneLine(const QString& message) {
    static const QRegularExpression breaks(QStringLiteral("[ \\t]*[\\r\\n]+[ \\t]*"));
    return QString(message).replace(breaks, QStringLiteral(" ")).trimmed();
}
