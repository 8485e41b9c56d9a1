#include "SheetLayout.h"

#include <algorithm>

namespace {

int cellWidthFor(int width, int columns) {
    return columns > 0 ? (width - 2 * SheetLayout::kMargin - SheetLayout::kLabelWidth) / columns -
                             SheetLayout::kGap
                       : 0;
}

// As many positions a block as keep cells at least kNarrowestCell wide, spread evenly.
int automaticColumns(int width, int positions) {
    if (positions < 1 || cellWidthFor(width, positions) >= SheetLayout::kNarrowestCell)
        return positions;
    const int most = std::max(1, (width - 2 * SheetLayout::kMargin - SheetLayout::kLabelWidth) /
                                     (SheetLayout::kNarrowestCell + SheetLayout::kGap));
    const int blocks = (positions + most - 1) / most;
    return (positions + blocks - 1) / blocks;
}

} // namespace

SheetLayout::SheetLayout(int width, int positions, int upperRows, int lowerRows, QSize pictureSize,
                         int columns)
    : m_positions(positions) {
    for (int row = navigation::kFirstRingRow + upperRows - 1; row >= navigation::kFirstRingRow;
         --row)
        m_rows.push_back({SheetRow::Ring::Upper, row, QStringLiteral("V%1").arg(row)});
    m_rows.push_back(
        {SheetRow::Ring::Horizontal, navigation::kHorizontalRingValue, QStringLiteral("H")});
    for (int row = navigation::kFirstRingRow; row < navigation::kFirstRingRow + lowerRows; ++row)
        m_rows.push_back({SheetRow::Ring::Lower, row, QStringLiteral("M%1").arg(row)});

    m_columns = columns > 0 ? std::min(columns, positions) : automaticColumns(width, positions);
    const int cellWidth = cellWidthFor(width, m_columns);
    if (cellWidth < 1 || pictureSize.isEmpty()) {
        m_error = QStringLiteral("a sheet %1 pixels wide leaves no room for %2 columns; give "
                                 "--columns fewer or --width more")
                      .arg(width)
                      .arg(m_columns);
        m_columns = std::max(1, m_columns);
        return;
    }
    const int cellHeight =
        std::max(1, int((qint64(cellWidth) * pictureSize.height() + pictureSize.width() / 2) /
                        pictureSize.width()));
    m_cell = QSize(cellWidth, cellHeight);
    m_image = QSize(width, 2 * kMargin + blockTop(blocks()) - kMargin);
}

int SheetLayout::blockTop(int block) const {
    const int blockHeight =
        kHeaderHeight + static_cast<int>(m_rows.size()) * (m_cell.height() + kGap);
    return kMargin + block * blockHeight;
}

int SheetLayout::lineOf(SheetRow::Ring ring, int row) const {
    for (std::size_t i = 0; i < m_rows.size(); ++i)
        if (m_rows[i].ring == ring && m_rows[i].row == row)
            return static_cast<int>(i);
    return -1;
}

QRect SheetLayout::cell(int line, int position) const {
    const int block = position / m_columns;
    const int column = position % m_columns;
    return QRect(kMargin + kLabelWidth + column * (m_cell.width() + kGap),
                 blockTop(block) + kHeaderHeight + line * (m_cell.height() + kGap), m_cell.width(),
                 m_cell.height());
}

QRect SheetLayout::numberBox(int position) const {
    const QRect first = cell(0, position);
    return QRect(first.left(), blockTop(position / m_columns), first.width(), kHeaderHeight);
}

QRect SheetLayout::labelBox(int line, int block) const {
    const QRect first = cell(line, block * m_columns);
    return QRect(kMargin, first.top(), kLabelWidth - kGap, first.height());
}
