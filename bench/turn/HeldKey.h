#pragma once

#include <vector>

class frmMain;

// What a held arrow key shows: the key's presses come at the system's repeat pace whatever the
// window thread is doing (presses due while it was busy arrive together, as queued ones do), and
// the window turns and paints as it does for a user.
struct HeldKeyFigures {
    int presses = 0;
    // The most positions the picture on screen trailed the presses made so far, sampled at each
    // press as it comes (1: the press just made, not painted yet).
    int mostBehind = 0;
    // For each press, from when it was due until a paint showed its position or a later one (ms).
    std::vector<double> shownAfter;
};

// Holds the right arrow on the horizontal bar for `presses` presses, one every `paceMs`, then waits
// until the last is shown (at most a second a press).
HeldKeyFigures holdRightArrow(frmMain& window, int presses, int paceMs);
