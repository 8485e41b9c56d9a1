#pragma once

#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <unistd.h>

// The little-endian fields of ZIP records, and whole reads at an offset of an archive file.
namespace zipbytes {

inline std::uint64_t little(const unsigned char* p, int bytes) {
    std::uint64_t value = 0;
    for (int i = bytes - 1; i >= 0; --i)
        value = (value << 8) | p[i];
    return value;
}

// Reads exactly `size` bytes at `offset`; false when the file gives fewer.
inline bool readAt(int fd, unsigned char* buffer, std::size_t size, std::uint64_t offset) {
    std::size_t done = 0;
    while (done < size) {
        const ssize_t got = ::pread(fd, buffer + done, size - done, off_t(offset + done));
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return false;
        done += std::size_t(got);
    }
    return true;
}

} // namespace zipbytes
