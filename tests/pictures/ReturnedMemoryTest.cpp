#include "pictures/PixelPool.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

// Resident memory of this process in MB.
long residentMb() {
    std::ifstream statm("/proc/self/statm");
    long size = 0, resident = 0;
    statm >> size >> resident;
    return resident * long(sysconf(_SC_PAGESIZE)) / (1024 * 1024);
}

// Memory freed in the middle of the C library's heaps, as a package's pieces leave it: blocks
// below the size the library maps on its own, each followed by a small block that stays.
void fragmentAndFree(std::vector<void*>& kept) {
    std::vector<void*> freed;
    for (int i = 0; i < 1600; ++i) {
        void* block = std::malloc(64 * 1024);
        std::memset(block, 1, 64 * 1024);
        freed.push_back(block);
        kept.push_back(std::malloc(64));
    }
    for (void* block : freed)
        std::free(block);
}

} // namespace

// A package's memory is given back to the system when the opening that replaced it ends, the
// memory its decoding threads used too.
TEST(ReturnedMemory, FreedPackageMemoryLeavesTheProcessWhenAnOpeningEnds) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the address sanitizer keeps freed memory on its own";
#endif
    std::vector<void*> kept[2];
    long before = 0;
    long held = 0;
    {
        const PixelPool::Recycling replacing;
        before = residentMb();
        std::thread worker([&] { fragmentAndFree(kept[0]); });
        fragmentAndFree(kept[1]);
        worker.join();
        held = residentMb();
    }
    const long after = residentMb();
    for (auto& list : kept)
        for (void* block : list)
            std::free(block);
    ASSERT_GE(held - before, 150) << "the freed blocks were not held to begin with";
    EXPECT_LE(after - before, 40) << "held " << held - before << " MB, after " << after - before;
}
