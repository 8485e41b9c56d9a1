#include "PanRules.h"

#include <algorithm>
#include <cmath>

QSize pannedAreaSize(QSize picture, QSize room, int bar) {
    bool across = picture.width() > room.width();
    bool down = picture.height() > room.height();
    // A bar along one side takes room from the other: look twice.
    for (int pass = 0; pass < 2; ++pass) {
        across = across || (down && picture.width() + bar > room.width());
        down = down || (across && picture.height() + bar > room.height());
    }
    return {std::min(room.width(), picture.width() + (down ? bar : 0)),
            std::min(room.height(), picture.height() + (across ? bar : 0))};
}

double middleFraction(int value, int view, int length) {
    if (length <= 0 || length <= view)
        return 0.5;
    return (value + view / 2.0) / length;
}

int valueForMiddle(double fraction, int view, int length) {
    const int value = int(std::lround(fraction * length - view / 2.0));
    return std::clamp(value, 0, std::max(0, length - view));
}
