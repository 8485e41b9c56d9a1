#pragma once

#include "format/Navigation.h"
#include <QRect>
#include <QSize>

#include <QString>
#include <QStringList>
#include <vector>

// One line of a contact sheet: the horizontal ring, or one row of the upper or lower rings.
struct SheetRow {
    enum class Ring { Horizontal, Upper, Lower };
    Ring ring = Ring::Horizontal;
    int row = navigation::kHorizontalRingValue; // 1 the horizontal ring, 2 ... the vertical rings
    QString label;
};

// Where everything of a contact sheet goes: a column per horizontal position, a line per ring row
// with the highest upper row on top, down to row 2, the horizontal ring, then the lower rows from
// row 2 downwards, so the sheet reads like the view from above to below. A long ring wraps: the
// positions go `columns` to a block of lines, blocks one under the other. Position numbers stand
// above the columns of each block, row labels at the left. Cells keep the pictures' proportions.
class SheetLayout {
public:
    static constexpr int kMargin = 4;
    static constexpr int kGap = 2;
    static constexpr int kLabelWidth = 36;
    static constexpr int kHeaderHeight = 16;
    // When no column count is given, the positions wrap rather than get cells narrower than this.
    static constexpr int kNarrowestCell = 16;

    // Names of the rows (row 2 first) that stand for the labels V2, M2, ... where given, and the
    // width the labels take (at least kLabelWidth).
    struct Labels {
        QStringList upper;
        QStringList lower;
        int width = kLabelWidth;
    };

    // columns: positions a block; 0 for as many as fit cells of kNarrowestCell pixels, in blocks
    // of even length. Invalid (isValid() false, error() says why) when the width leaves no pixel
    // for a cell.
    SheetLayout(int width, int positions, int upperRows, int lowerRows, QSize pictureSize,
                int columns = 0);
    SheetLayout(int width, int positions, int upperRows, int lowerRows, QSize pictureSize,
                int columns, const Labels& labels);

    bool isValid() const { return m_error.isEmpty(); }
    const QString& error() const { return m_error; }

    QSize imageSize() const { return m_image; }
    QSize cellSize() const { return m_cell; }
    int positions() const { return m_positions; }
    int columns() const { return m_columns; }
    int blocks() const { return (m_positions + m_columns - 1) / m_columns; }
    const std::vector<SheetRow>& rows() const { return m_rows; }
    // The line of rows() showing that ring row; -1 for none.
    int lineOf(SheetRow::Ring ring, int row) const;

    // The cell of a position on line (an index into rows()).
    QRect cell(int line, int position) const;
    // The space above a position for its number, and left of a line of a block for its label.
    QRect numberBox(int position) const;
    QRect labelBox(int line, int block = 0) const;

private:
    int blockTop(int block) const;

    QString m_error;
    int m_labelWidth = kLabelWidth;
    int m_positions = 0;
    int m_columns = 0;
    QSize m_cell;
    QSize m_image;
    std::vector<SheetRow> m_rows;
};
