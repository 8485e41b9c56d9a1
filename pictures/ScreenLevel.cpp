#include "ScreenLevel.h"

QSize reducedSize(QSize natural, int scale) {
    if (scale <= 1)
        return natural;
    return {(natural.width() + scale - 1) / scale, (natural.height() + scale - 1) / scale};
}

int levelScale(QSize natural, QSize shownSize) {
    if (shownSize.isEmpty() || natural.isEmpty())
        return 1;
    for (const int scale : {8, 4, 2}) {
        const QSize level = reducedSize(natural, scale);
        if (level.width() >= shownSize.width() && level.height() >= shownSize.height())
            return scale;
    }
    return 1;
}

int paintScale(QSize natural, int level, QSize shownSize) {
    const QSize reduced = reducedSize(natural, level);
    return reduced.width() >= shownSize.width() && reduced.height() >= shownSize.height() ? level
                                                                                          : 1;
}
