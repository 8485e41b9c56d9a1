#include "PointerReadout.h"

#include <cstdio>

QString formatSingle(float value) {
    if (value == 0.0f)
        return QStringLiteral("0"); // also for -0
    char text[32];
    std::snprintf(text, sizeof text, "%.7G", static_cast<double>(value));
    return QString::fromLatin1(text);
}

bool pointerInside(const QString& xText, const QString& yText, int zoom,
                   const std::optional<HotSpotRect>& rect) {
    if (!rect)
        return false;
    bool xOk = false;
    bool yOk = false;
    const double x = xText.toDouble(&xOk);
    const double y = yText.toDouble(&yOk);
    if (!xOk || !yOk)
        return false;
    const double f = zoom * 0.05;
    return f * rect->x1 < x && f * rect->x2 > x && f * rect->y1 < y && f * rect->y2 > y;
}
