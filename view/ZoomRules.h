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

// The window's outer size (twips) after showing a picture of the given size: it grows to the
// picture plus 220 across and plus 1500 down once those sums pass 4965 and 4785, and never shrinks.
TwipSize grownWindowSize(TwipSize picture, TwipSize window);
