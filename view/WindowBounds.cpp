#include "WindowBounds.h"

#include <algorithm>

QSize boundedOuterSize(QSize requested, QSize frame, int minimumClientWidth, QSize available) {
    int width = std::max(requested.width(), minimumClientWidth + frame.width());
    int height = requested.height();
    if (available.width() > 0)
        width = std::min(width, available.width());
    if (available.height() > 0)
        height = std::min(height, available.height());
    return QSize(std::max(width, 1 + frame.width()), std::max(height, 1 + frame.height()));
}

QPoint keptOnArea(const QRect& frame, const QRect& available) {
    QPoint corner = frame.topLeft();
    if (frame.right() > available.right())
        corner.rx() -= frame.right() - available.right();
    if (frame.bottom() > available.bottom())
        corner.ry() -= frame.bottom() - available.bottom();
    corner.setX(std::max(corner.x(), available.left()));
    corner.setY(std::max(corner.y(), available.top()));
    return corner;
}

QSize roomFromCorner(const QRect& frame, const QRect& available) {
    const QSize room(available.right() - frame.left() + 1, available.bottom() - frame.top() + 1);
    return room.expandedTo(frame.size()).boundedTo(available.size());
}
