#pragma once

#include "SpinSource.h"

#include <QString>
#include <memory>
#include <mutex>
#include <vector>

class FreeMemorySource;
class PackageWalk;
class ProgressReporter;

// A spin source over a package opened the way the viewer opens it (and refused where the viewer
// refuses it, with its message). No picture is held: each one asked for is decoded from its file
// (read from the package where it lies when the package stores it uncompressed, else extracted) at
// the smallest DCT scale that covers the size asked for and brought down to it with the area
// filter, so an export of large photos at a small size never holds a full-size one.
class OpenedSpinSource : public SpinSource {
public:
    // memory: the free memory to plan with; the system's when null.
    explicit OpenedSpinSource(ProgressReporter& progress,
                              std::unique_ptr<FreeMemorySource> memory = nullptr);
    ~OpenedSpinSource() override;

    // True when the package opens and every picture is there with a header that reads;
    // message() tells otherwise what the viewer would show. A picture whose data turns out
    // damaged later comes back null from picture().
    bool open(const QString& packagePath);
    const QString& message() const { return m_message; }

    const SpinLayout& layout() const override { return m_layout; }
    QImage picture(int slot, int longestSide) const override;

    // Why the first picture() that could not read its file's bytes (a member left in the package
    // whose checksum does not match, a package changed on disk) came back null, as the viewer
    // would refuse the package; empty when none failed so.
    QString readProblem() const;

    // The bytes one picture() asked for at least `atLeast` holds while it decodes (once open).
    qint64 bytesPerDecode(QSize atLeast) const;

private:
    std::unique_ptr<PackageWalk> m_walk;
    SpinLayout m_layout;
    std::vector<int> m_pictureOf; // the walk's picture of each slot; -1 where none
    QString m_message;
    mutable std::mutex m_readLock; // guards m_readProblem
    mutable QString m_readProblem;
};
