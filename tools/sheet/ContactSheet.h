#pragma once

#include "SheetLayout.h"

#include "format/HotSpotTables.h"

#include <QImage>
#include <QStringList>
#include <vector>

// Paints the contact sheet of an opened package: the picture of every cell (already scaled to the
// cell size; cells[line * positions + position], null where a ring has no picture at that
// position, drawn as an empty cell), the position numbers, the row labels of every block and the
// hot-spot rectangles on the horizontal pictures they belong to. Needs a QGuiApplication for the
// text.
// The width row labels take on the sheet when the longest of them is among `labels`.
int sheetLabelWidth(const QStringList& labels);

QImage paintContactSheet(const SheetLayout& layout, const std::vector<QImage>& cells,
                         const HotSpotTables& hotSpots, QSize pictureSize);
