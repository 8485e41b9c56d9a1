#pragma once

#include "tools/shared/PackageWalk.h"

#include "opening/FreeMemorySource.h"
#include "opening/PackageOpening.h"

#include <QSize>
#include <QString>
#include <cstdint>
#include <memory>
#include <vector>

class ProgressReporter;

// check's opening: the viewer's judgement of a package on a screen of a given size, without
// holding what the viewer holds. The package is opened as the viewer opens it (its screen levels
// for that screen, its share of the free memory for the first picture, its memory check), and then
// every picture is read once as the viewer's loader reads it (at its screen level, to its planes),
// one picture for each core at a time, and let go: memory stays at a few pictures however large
// the package.
class PackageCheck {
public:
    // memory: the free memory to plan with; the system's when null.
    PackageCheck(ProgressReporter& progress, std::unique_ptr<FreeMemorySource> memory, QSize screen,
                 const QString& password = QString(), bool echo = false);

    // True when the viewer opens the package; message() then is empty, otherwise what it shows.
    bool run(const QString& packagePath);

    bool ok() const { return m_ok; }
    const QString& message() const { return m_message; }
    const PackageOpening& opening() const { return m_walk.opening(); }
    // The viewer's ring maps (see PictureSlots), and the pictures that decoded.
    const std::vector<std::uint8_t>& upperRing() const { return m_upperRing; }
    const std::vector<std::uint8_t>& lowerRing() const { return m_lowerRing; }
    int decodedCount() const { return m_decoded; }

private:
    PackageWalk m_walk;
    QSize m_screen;
    std::vector<std::uint8_t> m_upperRing;
    std::vector<std::uint8_t> m_lowerRing;
    int m_decoded = 0;
    bool m_ok = false;
    QString m_message;
};
