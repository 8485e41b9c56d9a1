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

namespace {

// One side of zoomedWindowSize(): the side's new length from the picture's side plus its margin.
double zoomedSide(double pictureSide, float margin, float threshold, double windowSide) {
    // The sums are single-precision in twips; the comparisons are strict.
    const float wanted = static_cast<float>(pictureSide) + margin;
    if (wanted > threshold)
        return wanted;
    return windowSide > threshold ? threshold : windowSide;
}

} // namespace

TwipSize zoomedWindowSize(TwipSize picture, TwipSize window) {
    return {zoomedSide(picture.width, 220.0f, 4965.0f, window.width),
            zoomedSide(picture.height, 1500.0f, 4785.0f, window.height)};
}
