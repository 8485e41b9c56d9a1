#include "WholePicture.h"

#include "toolkit/Twips.h"
#include "view/ZoomRules.h"

#include <algorithm>

namespace {

constexpr int kNaturalZoom = 20;

} // namespace

bool pictureFits(QSize picture, QSize outer) {
    const QSize window = picture + kWindowAroundPicture;
    return window.width() <= outer.width() && window.height() <= outer.height();
}

QSize zoomedPixels(int zoom, QSize natural) {
    const TwipSize size = zoomedSize(zoom, double(natural.width()) * kTwipsPerPixel,
                                     double(natural.height()) * kTwipsPerPixel);
    return {twipsToPixels(size.width), twipsToPixels(size.height)};
}

int wholePictureZoom(QSize natural, QSize available) {
    for (int zoom = kNaturalZoom; zoom > 1; --zoom)
        if (pictureFits(zoomedPixels(zoom, natural), available))
            return zoom;
    return 1;
}

int openingZoom(int current, int whole, int lowered) {
    const int start = lowered != 0 && current == lowered ? kNaturalZoom : current;
    if (whole >= kNaturalZoom)
        return start;
    return std::min(start, whole);
}

QSize openingShownPixels(QSize natural, QSize available, int current, int lowered) {
    const int whole = wholePictureZoom(natural, available);
    if (whole >= kNaturalZoom)
        return {};
    return zoomedPixels(openingZoom(current, whole, lowered), natural);
}
