#include "ZoomRules.h"

#include <cstdint>

QString zoomCaption(int zoom) {
    const auto percent = static_cast<std::int16_t>(zoom * 5);
    return QStringLiteral("Zoom: %1%").arg(percent);
}

TwipSize zoomedSize(int zoom, double baseWidthTwips, double baseHeightTwips) {
    const double factor = zoom * 0.05;
    return {factor * baseWidthTwips, factor * baseHeightTwips};
}

TwipSize grownWindowSize(TwipSize picture, TwipSize window) {
    // The sums are single-precision in twips; the comparisons are strict. The window only grows.
    const float across = static_cast<float>(picture.width) + 220.0f;
    const float down = static_cast<float>(picture.height) + 1500.0f;
    if (across > 4965.0f && across > window.width)
        window.width = across;
    if (down > 4785.0f && down > window.height)
        window.height = down;
    return window;
}
