#pragma once

#include <vector>

// The swing of an object standing off the turntable's axis: seen from the camera, its centre
// moves along a sinusoid of the ring's angle, c + a cos(angle) + b sin(angle), with the photos
// evenly spread over one turn. Fitted by least squares (for evenly spread angles the first
// Fourier coefficients); what the sinusoid leaves is the frame-to-frame jitter of the shoot. A
// photo whose jitter is far beyond the others' (a measurement gone wrong: a hand in the picture)
// is moved by the sinusoid alone.
class SwingFit {
public:
    // positions: the object's centre on each photo of a ring, in order; outlier: the least
    // jitter that can count as a measurement gone wrong.
    SwingFit(const std::vector<double>& positions, double outlier);

    double centre() const { return m_centre; }
    // Half the swing from one side to the other.
    double amplitude() const { return m_amplitude; }
    // The root mean square of the jitter the photos kept.
    double jitter() const { return m_jitter; }
    // What to add to photo i's positions so that the object stands at centre().
    const std::vector<double>& shifts() const { return m_shifts; }

private:
    double m_centre = 0;
    double m_amplitude = 0;
    double m_jitter = 0;
    std::vector<double> m_shifts;
};
