#pragma once

#include <QtGlobal>

// Where the memory check takes its free memory figure from. The viewer passes SystemFreeMemory;
// headless tools and tests may pass FixedFreeMemory.
class FreeMemorySource {
public:
    virtual ~FreeMemorySource() = default;

    // The bytes of physical memory the program could still use now (never negative).
    virtual qint64 availableBytes() const = 0;
};
