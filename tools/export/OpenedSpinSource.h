#pragma once

#include "SpinSource.h"

#include "tools/PackageCheck.h"

// A spin source over a package opened the way the viewer opens it (and refused where the viewer
// refuses it, with its message), its pictures held as the viewer holds them and scaled smoothly
// when asked for.
class OpenedSpinSource : public SpinSource {
public:
    // True when the package opens; message() tells otherwise what the viewer would show.
    bool open(const QString& packagePath);
    const QString& message() const { return m_check.message(); }

    const SpinLayout& layout() const override { return m_layout; }
    QImage picture(int slot, int longestSide) const override;

private:
    PackageCheck m_check;
    SpinLayout m_layout;
};
