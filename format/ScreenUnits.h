#pragma once

// Lengths on the screen are counted in twips: the windows are laid out in them and a package's
// hot-spot rectangles are written in them, while pictures are measured in pixels. One pixel is
// 15 twips.
inline constexpr int kTwipsPerPixel = 15;
