#pragma once

#include "SheetLayout.h"

#include "format/HotSpotTables.h"
#include "pictures/PictureSlots.h"

#include <QImage>

// Paints the contact sheet of an opened package: every held picture scaled into its cell (the
// pixels come from Picture::image(), however the picture is held), empty cells where a ring has
// no picture at that position, the position numbers, the row labels and the hot-spot rectangles
// on the horizontal pictures they belong to. Needs a QGuiApplication for the text.
QImage paintContactSheet(const SheetLayout& layout, const PictureSlots& slots,
                         const HotSpotTables& hotSpots, QSize pictureSize);

// The picture of one sheet cell, or null when that ring has none at the position.
PicturePtr sheetPicture(const PictureSlots& slots, const SheetRow& row, int column);
