#pragma once

#include "format/HotSpotTables.h"

#include <QString>
#include <optional>

// The pointer read-out beside the picture: coordinates written as the general format of a
// single-precision number, and the "In"/"Out" test against a hot-spot rectangle.

// A single-precision number in the general format: at most seven significant digits, no trailing
// zeros, no decimal point for a whole number, exponent form ("1.234568E+07", "1E-05") outside the
// range that seven digits can show.
QString formatSingle(float value);

// True when the point given by the two shown coordinate texts lies strictly inside the rectangle
// (twips on the picture at natural size) scaled by the zoom value (factor zoom x 0.05). The texts
// are read back as numbers, so the test works on exactly what the user sees. No rectangle means
// outside.
bool pointerInside(const QString& xText, const QString& yText, int zoom,
                   const std::optional<HotSpotRect>& rect);
