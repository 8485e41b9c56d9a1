#pragma once

#include <QString>

// Names of the picture members of a package. A package holds its horizontal ring as
//   base + "_H_" + position + extension
// and its upper and lower vertical rings as
//   base + "_V" + column + "_" + row + extension   (upper)
//   base + "_M" + column + "_" + row + extension   (lower)
// where base and extension are the descriptor's FileName and FileType (the extension carries its
// own leading dot and is appended unchanged). The opening, the memory gate and the ring loader
// all build names here so that they always agree on them.
//
// The number fields are decimal without sign. The functions are meant for the ranges a package
// uses (positions and columns from 0, rows from 2); a negative number is written as 0.

// Which vertical rings: above the horizontal ring ("_V") or below it ("_M").
enum class RingKind { Upper, Lower };

// "_V" for the upper rings, "_M" for the lower ones.
QString ringMarker(RingKind kind);

// Position field: 0-9 -> "000" + digit, 10-99 -> "00" + digits, 100 and above -> "0" + digits
// (so 1000 and above has five digits).
QString positionField(int position);

// Column field: 0-9 -> "0" + digit, 10 and above -> all digits.
QString columnField(int column);

// Row field: up to 9 -> "000" + digit, 10 and above -> "00" + all digits.
QString rowField(int row);

// "car", 7, ".jpg" -> "car_H_0007.jpg".
QString horizontalMemberName(const QString& baseName, int position, const QString& extension);

// "car", RingKind::Upper, 5, 12, ".jpg" -> "car_V05_0012.jpg".
QString verticalMemberName(const QString& baseName, RingKind kind, int column, int row,
                           const QString& extension);

// Shorthands for the two ring kinds.
QString upperMemberName(const QString& baseName, int column, int row, const QString& extension);
QString lowerMemberName(const QString& baseName, int column, int row, const QString& extension);
