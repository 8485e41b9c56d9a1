#pragma once

#include "SpinLayout.h"

#include <QImage>

// Where an export takes a package's pictures from. Every export (page, animated picture, video)
// asks only this: the package's layout, and the picture of a slot scaled to a longest side.
class SpinSource {
public:
    virtual ~SpinSource() = default;

    virtual const SpinLayout& layout() const = 0;

    // The picture of `slot` scaled to fit longestSide x longestSide (never enlarged), in a
    // 32-bit format; a null image when the slot holds no picture or it does not decode. Called
    // from several threads at once.
    virtual QImage picture(int slot, int longestSide) const = 0;
};
