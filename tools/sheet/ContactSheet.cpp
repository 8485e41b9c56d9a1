#include "ContactSheet.h"

#include "format/Navigation.h"
#include "format/ScreenUnits.h"

#include <QFontMetrics>
#include <QPainter>
#include <algorithm>

namespace {

const QColor kBackground(255, 255, 255);
const QColor kEmpty(232, 232, 232);
const QColor kText(48, 48, 48);
const QColor kHotSpot(230, 0, 0);

QFont sheetFont() {
    QFont font;
    font.setPixelSize(11);
    return font;
}

} // namespace

int sheetLabelWidth(const QStringList& labels) {
    const QFontMetrics metrics(sheetFont());
    int widest = 0;
    for (const QString& label : labels)
        widest = std::max(widest, metrics.horizontalAdvance(label));
    return widest + 2 * SheetLayout::kGap;
}

namespace {

// Each row's label, beside each block, and its pictures (an empty cell where none is).
void paintRows(QPainter& painter, const SheetLayout& layout, const std::vector<QImage>& cells) {
    const auto& rows = layout.rows();
    for (int line = 0; line < static_cast<int>(rows.size()); ++line) {
        painter.setPen(kText);
        for (int block = 0; block < layout.blocks(); ++block)
            painter.drawText(layout.labelBox(line, block), Qt::AlignRight | Qt::AlignVCenter,
                             rows[static_cast<std::size_t>(line)].label);
        for (int position = 0; position < layout.positions(); ++position) {
            const QRect cell = layout.cell(line, position);
            const QImage& image =
                cells[static_cast<std::size_t>(line * layout.positions() + position)];
            if (image.isNull())
                painter.fillRect(cell, kEmpty);
            else // every picture is shown at the package's one size, so it fills its cell
                painter.drawImage(cell.topLeft(), image);
        }
    }
}

// Numbers above the columns, thinned out when they would run into each other.
void paintNumbers(QPainter& painter, const SheetLayout& layout) {
    const QFontMetrics metrics(painter.font());
    const int pitch = layout.cellSize().width() + SheetLayout::kGap;
    const int widest = metrics.horizontalAdvance(QString::number(layout.positions() - 1)) + 2;
    int every = 1;
    while (every * pitch < widest)
        ++every;
    painter.setPen(kText);
    for (int position = 0; position < layout.positions(); ++position)
        if (position % layout.columns() % every == 0)
            painter.drawText(layout.numberBox(position).adjusted(-pitch, 0, pitch, 0),
                             Qt::AlignHCenter | Qt::AlignBottom, QString::number(position));
}

// Hot spots, on the horizontal pictures whose position is their image number.
void paintHotSpots(QPainter& painter, const SheetLayout& layout, const HotSpotTables& hotSpots,
                   QSize pictureSize) {
    const int horizontalLine =
        layout.lineOf(SheetRow::Ring::Horizontal, navigation::kHorizontalRingValue);
    const double scale = double(layout.cellSize().width()) / (pictureSize.width() * kTwipsPerPixel);
    const double scaleY =
        double(layout.cellSize().height()) / (pictureSize.height() * kTwipsPerPixel);
    painter.setPen(QPen(kHotSpot, 1));
    painter.setBrush(Qt::NoBrush);
    for (int spot = 1; spot <= hotSpots.iHotSpots(); ++spot) {
        for (int column = 0; column < layout.positions() && column <= HotSpotTables::MaxImageNumber;
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
}

} // namespace

QImage paintContactSheet(const SheetLayout& layout, const std::vector<QImage>& cells,
                         const HotSpotTables& hotSpots, QSize pictureSize) {
    QImage sheet(layout.imageSize(), QImage::Format_RGB32);
    sheet.fill(kBackground);
    QPainter painter(&sheet);
    painter.setFont(sheetFont());
    paintRows(painter, layout, cells);
    paintNumbers(painter, layout);
    paintHotSpots(painter, layout, hotSpots, pictureSize);
    return sheet;
}
