#include "ContactSheet.h"

#include <QFontMetrics>
#include <QPainter>

namespace {

constexpr int kTwipsPerPixel = 15;
const QColor kBackground(255, 255, 255);
const QColor kEmpty(232, 232, 232);
const QColor kText(48, 48, 48);
const QColor kHotSpot(230, 0, 0);

} // namespace

PicturePtr sheetPicture(const PictureSlots& slots, const SheetRow& row, int column) {
    if (row.ring == SheetRow::Ring::Horizontal)
        return slots.at(column);
    const std::vector<std::uint8_t>& map =
        row.ring == SheetRow::Ring::Upper ? slots.UpperRing : slots.LowerRing;
    if (column < 0 || static_cast<std::size_t>(column) >= map.size() ||
        map[static_cast<std::size_t>(column)] == PictureSlots::kNoRing)
        return nullptr;
    return slots.at(map[static_cast<std::size_t>(column)] + row.row - 2);
}

QImage paintContactSheet(const SheetLayout& layout, const PictureSlots& slots,
                         const HotSpotTables& hotSpots, QSize pictureSize) {
    QImage sheet(layout.imageSize(), QImage::Format_RGB32);
    sheet.fill(kBackground);
    QPainter painter(&sheet);
    QFont font;
    font.setPixelSize(11);
    painter.setFont(font);
    const QFontMetrics metrics(font);

    const auto& rows = layout.rows();
    int horizontalLine = 0;
    for (int line = 0; line < static_cast<int>(rows.size()); ++line) {
        const SheetRow& row = rows[static_cast<std::size_t>(line)];
        if (row.ring == SheetRow::Ring::Horizontal)
            horizontalLine = line;
        painter.setPen(kText);
        painter.drawText(layout.labelBox(line), Qt::AlignRight | Qt::AlignVCenter, row.label);
        for (int column = 0; column < layout.columns(); ++column) {
            const QRect cell = layout.cell(line, column);
            const PicturePtr picture = sheetPicture(slots, row, column);
            const QImage image = picture ? picture->image() : QImage();
            if (image.isNull())
                painter.fillRect(cell, kEmpty);
            else // every picture is shown at the package's one size, so it fills its cell
                painter.drawImage(cell.topLeft(), image.scaled(cell.size(), Qt::IgnoreAspectRatio,
                                                               Qt::SmoothTransformation));
        }
    }

    // Numbers above the columns, thinned out when they would run into each other.
    const int pitch = layout.cellSize().width() + SheetLayout::kGap;
    const int widest = metrics.horizontalAdvance(QString::number(layout.columns() - 1)) + 2;
    int every = 1;
    while (every * pitch < widest)
        ++every;
    painter.setPen(kText);
    for (int column = 0; column < layout.columns(); column += every)
        painter.drawText(layout.numberBox(column).adjusted(-pitch, 0, pitch, 0),
                         Qt::AlignHCenter | Qt::AlignBottom, QString::number(column));

    // Hot spots, on the horizontal pictures whose position is their image number.
    const double scale = double(layout.cellSize().width()) / (pictureSize.width() * kTwipsPerPixel);
    const double scaleY =
        double(layout.cellSize().height()) / (pictureSize.height() * kTwipsPerPixel);
    painter.setPen(QPen(kHotSpot, 1));
    painter.setBrush(Qt::NoBrush);
    for (int spot = 1; spot <= hotSpots.iHotSpots(); ++spot) {
        for (int column = 0; column < layout.columns() && column <= HotSpotTables::MaxImageNumber;
             ++column) {
            const auto rect = hotSpots.rectangle(spot, column);
            if (!rect || rect->x1 >= rect->x2 || rect->y1 >= rect->y2)
                continue;
            const QRect cell = layout.cell(horizontalLine, column);
            painter.setClipRect(cell);
            painter.drawRect(QRectF(cell.left() + rect->x1 * scale, cell.top() + rect->y1 * scaleY,
                                    (rect->x2 - rect->x1) * scale - 1,
                                    (rect->y2 - rect->y1) * scaleY - 1));
        }
    }
    painter.setClipping(false);
    return sheet;
}
