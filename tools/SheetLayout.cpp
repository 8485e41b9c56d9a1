#include "SheetLayout.h"

#include <algorithm>

SheetLayout::SheetLayout(int width, int columns, int upperRows, int lowerRows, QSize pictureSize)
    : m_columns(columns) {
    for (int row = upperRows + 1; row >= 2; --row)
        m_rows.push_back({SheetRow::Ring::Upper, row, QStringLiteral("V%1").arg(row)});
    m_rows.push_back({SheetRow::Ring::Horizontal, 1, QStringLiteral("H")});
    for (int row = 2; row <= lowerRows + 1; ++row)
        m_rows.push_back({SheetRow::Ring::Lower, row, QStringLiteral("M%1").arg(row)});

    const int cellWidth = columns > 0 ? (width - 2 * kMargin - kLabelWidth) / columns - kGap : 0;
    if (cellWidth < 1 || pictureSize.isEmpty()) {
        m_error = QStringLiteral("a sheet %1 pixels wide leaves no room for %2 columns")
                      .arg(width)
                      .arg(columns);
        return;
    }
    const int cellHeight =
        std::max(1, int((qint64(cellWidth) * pictureSize.height() + pictureSize.width() / 2) /
                        pictureSize.width()));
    m_cell = QSize(cellWidth, cellHeight);
    m_image = QSize(width, 2 * kMargin + kHeaderHeight +
                               static_cast<int>(m_rows.size()) * (cellHeight + kGap));
}

QRect SheetLayout::cell(int line, int column) const {
    return QRect(kMargin + kLabelWidth + column * (m_cell.width() + kGap),
                 kMargin + kHeaderHeight + line * (m_cell.height() + kGap), m_cell.width(),
                 m_cell.height());
}

QRect SheetLayout::numberBox(int column) const {
    const QRect first = cell(0, column);
    return QRect(first.left(), kMargin, first.width(), kHeaderHeight);
}

QRect SheetLayout::labelBox(int line) const {
    const QRect first = cell(line, 0);
    return QRect(kMargin, first.top(), kLabelWidth - kGap, first.height());
}
