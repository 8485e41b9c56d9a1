#pragma once

#include <QString>

// How the zoom value steers the picture and the window. The zoom value z runs from 1 to 80;
// the factor is z x 0.05, so 20 is 100 %.

// "Zoom: " + z x 5 + "%".
QString zoomCaption(int zoom);

// The picture's zoomed size in twips, from the base size recorded when the package opened.
struct TwipSize {
    double width = 0;
    double height = 0;
};
TwipSize zoomedSize(int zoom, double baseWidthTwips, double baseHeightTwips);

// The window's outer size (twips) after zooming to a picture of the given size. Across, once the
// picture plus 220 passes 4965, the window takes that sum, larger or smaller than it was; below
// that, a wider window comes back to 4965 and a narrower one stays as it is. Down the same, with
// the picture plus 1500 and 4785. So zooming in grows the window to its picture, zooming out
// brings it back towards it, and a window smaller than the thresholds is not enlarged while the
// picture still fits. The screen and the control strip bound the result further (WindowBounds.h).
TwipSize zoomedWindowSize(TwipSize picture, TwipSize window);
