#pragma once

#include <QRect>
#include <QSize>
#include <QString>
#include <vector>

// One line of a contact sheet: the horizontal ring, or one row of the upper or lower rings.
struct SheetRow {
    enum class Ring { Horizontal, Upper, Lower };
    Ring ring = Ring::Horizontal;
    int row = 1; // 1 for the horizontal ring, 2 ... for the vertical rings
    QString label;
};

// Where everything of a contact sheet goes: a column per horizontal position, a line per ring row
// with the highest upper row on top, down to row 2, the horizontal ring, then the lower rows from
// row 2 downwards, so the sheet reads like the view from above to below. Position numbers stand
// above the columns, row labels at the left. Cells keep the pictures' proportions.
class SheetLayout {
public:
    static constexpr int kMargin = 4;
    static constexpr int kGap = 2;
    static constexpr int kLabelWidth = 36;
    static constexpr int kHeaderHeight = 16;

    // Invalid (isValid() false, error() says why) when the width leaves no pixel for a cell.
    SheetLayout(int width, int columns, int upperRows, int lowerRows, QSize pictureSize);

    bool isValid() const { return m_error.isEmpty(); }
    const QString& error() const { return m_error; }

    QSize imageSize() const { return m_image; }
    QSize cellSize() const { return m_cell; }
    int columns() const { return m_columns; }
    const std::vector<SheetRow>& rows() const { return m_rows; }

    // The cell of column c on line r (an index into rows()).
    QRect cell(int line, int column) const;
    // The space above a column for its number, and left of a line for its label.
    QRect numberBox(int column) const;
    QRect labelBox(int line) const;

private:
    QString m_error;
    int m_columns = 0;
    QSize m_cell;
    QSize m_image;
    std::vector<SheetRow> m_rows;
};
