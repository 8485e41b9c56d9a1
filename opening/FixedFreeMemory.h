#pragma once

#include "opening/FreeMemorySource.h"

// A free memory figure given by the caller.
class FixedFreeMemory : public FreeMemorySource {
public:
    explicit FixedFreeMemory(qint64 bytes) : m_bytes(bytes < 0 ? 0 : bytes) {}
    qint64 availableBytes() const override { return m_bytes; }

private:
    qint64 m_bytes;
};
