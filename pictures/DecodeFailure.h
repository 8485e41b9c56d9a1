#pragma once

#include <QSize>
#include <QString>

class QImageReader;

// Why Qt's picture reader could not read a picture, in words that say something: the reader's own
// text where it has one, else what the picture's header declares and the limit it goes past (Qt
// says "Unknown error" when it refuses a picture as too large, or a header it cannot take).
// `declared` is the size the reader gave before it read (it forgets it after a failed read).
QString decodeFailureReason(const QImageReader& reader, QSize declared);
