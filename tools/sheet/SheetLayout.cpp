#include "SheetLayout.h"

#include <algorithm>

namespace {

int cellWidthFor(int width, int columns, int labelWidth) {
    return columns > 0
               ? (width - 2 * SheetLayout::kMargin - labelWidth) / columns - SheetLayout::kGap
               : 0;
}

QString labelOf(const QStringList& names, int row, const QString& fallback) {
    const int i = row - navigation::kFirstRingRow;
    return i < names.size() && !names.at(i).isEmpty() ? names.at(i) : fallback;
}

// As many positions a block as keep cells at least kNarrowestCell wide, spread evenly.
int automaticColumns(int width, int positions, int labelWidth) {
    if (positions < 1 || cellWidthFor(width, positions, labelWidth) >= SheetLayout::kNarrowestCell)
        return positions;
    const int most = std::max(1, (width - 2 * SheetLayout::kMargin - labelWidth) /
                                     (SheetLayout::kNarrowestCell + SheetLayout::kGap));
    const int blocks = (positions + most - 1) / most;
    return (positions + blocks - 1) / blocks;
}

} // namespace

SheetLayout::SheetLayout(int width, int positions, int upperRows, int lowerRows, QSize pictureSize,
                         int columns)
    : SheetLayout(width, positions, upperRows, lowerRows, pictureSize, columns, Labels()) {}

SheetLayout::SheetLayout(int width, int positions, int upperRows, int lowerRows, QSize pictureSize,
                         int columns, const Labels& labels)
    : m_labelWidth(std::max(int(kLabelWidth), labels.width)), m_positions(positions) {
    for (int row = navigation::kFirstRingRow + upperRows - 1; row >= navigation::kFirstRingRow;
         --row)
        m_rows.push_back({SheetRow::Ring::Upper, row,
                          labelOf(labels.upper, row, QStringLiteral("V%1").arg(row))});
    m_rows.push_back(
        {SheetRow::Ring::Horizontal, navigation::kHorizontalRingValue, QStringLiteral("H")});
    for (int row = navigation::kFirstRingRow; row < navigation::kFirstRingRow + lowerRows; ++row)
        m_rows.push_back({SheetRow::Ring::Lower, row,
                          labelOf(labels.lower, row, QStringLiteral("M%1").arg(row))});

    m_columns = columns > 0 ? std::min(columns, positions)
                            : automaticColumns(width, positions, m_labelWidth);
    const int cellWidth = cellWidthFor(width, m_columns, m_labelWidth);
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
    return QRect(kMargin + m_labelWidth + column * (m_cell.width() + kGap),
                 blockTop(block) + kHeaderHeight + line * (m_cell.height() + kGap), m_cell.width(),
                 m_cell.height());
}

QRect SheetLayout::numberBox(int position) const {
    const QRect first = cell(0, position);
    return QRect(first.left(), blockTop(position / m_columns), first.width(), kHeaderHeight);
}

QRect SheetLayout::labelBox(int line, int block) const {
    const QRect first = cell(line, block * m_columns);
    return QRect(kMargin, first.top(), m_labelWidth - kGap, first.height());
}
