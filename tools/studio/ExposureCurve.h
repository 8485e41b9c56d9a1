#pragma once

#include <vector>

// Even exposure through a ring: the backdrop's brightness on each photo, smoothed around the ring
// (a moving average over a third of the ring, five photos at least, three times over, wrapping
// round: close to a Gaussian), is the brightness each photo is brought to. Flicker from one photo
// to the next goes; a slow change through the ring, and every difference between rings (each is
// evened on its own), stays.
class ExposureCurve {
public:
    explicit ExposureCurve(const std::vector<double>& brightness);

    // The factor for each photo's colours.
    const std::vector<double>& gains() const { return m_gains; }
    // (largest - smallest) / mean brightness, in per cent, as shot and as evened.
    double spreadBefore() const { return m_before; }
    double spreadAfter() const { return m_after; }

private:
    std::vector<double> m_gains;
    double m_before = 0;
    double m_after = 0;
};
