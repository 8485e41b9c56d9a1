#pragma once

#include <QSize>
#include <functional>

// Screen-level pictures: a photo larger than the screen is held reduced by libjpeg-turbo's DCT
// scaling (1/2, 1/4 or 1/8) to the least size that still shows it as sharp as the package opens,
// beside its file's bytes; larger zooms are painted from decodes of the whole picture. Pure rules.

// The size a picture of `natural` pixels decodes to at 1/`scale` (the library rounds up).
QSize reducedSize(QSize natural, int scale);

// The strongest reduction (8, 4, 2, else 1) whose picture is still at least `shownSize` in both
// directions: the screen level of a picture shown at that size. 1 for an empty `shownSize`.
int levelScale(QSize natural, QSize shownSize);

// What a paint of a picture held at 1/`level` that shows it at `shownSize` pixels paints from: the
// screen level (`level`) when it is at least that large, else the whole picture (1).
int paintScale(QSize natural, int level, QSize shownSize);

// For a picture's own size, the size it is shown at when its package opens (an empty size: no
// reduction). Called from any thread.
using OpeningShownSize = std::function<QSize(QSize natural)>;
