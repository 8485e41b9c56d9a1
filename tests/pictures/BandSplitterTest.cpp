// Sharing a job's bands with the helper thread.
#include "pictures/BandSplitter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#ifdef __linux__
#include <sched.h>
#endif

namespace {

// Every band runs once, and run() returns only when all are done, also when the helper's last
// band outlasts the caller's own work by far.
TEST(BandSplitter, RunsEveryBandOnceAndReturnsWhenAllAreDone) {
    struct Case {
        int bands;
        bool standBy;
        std::chrono::milliseconds callerBand, helperBand;
    };
    const Case cases[] = {
        {0, false, {}, {}},
        {1, true, {}, {}},
        {2, false, {}, {}},
        {37, true, {}, {}},
        {400, false, {}, {}},
        {8, true, std::chrono::milliseconds(1), std::chrono::milliseconds(20)},
    };
    BandSplitter& splitter = BandSplitter::instance();
    const std::thread::id caller = std::this_thread::get_id();
#ifdef __linux__
    cpu_set_t before, after;
    ASSERT_EQ(sched_getaffinity(0, sizeof(before), &before), 0);
#endif
    for (const Case& c : cases) {
        SCOPED_TRACE(c.bands);
        if (c.standBy)
            splitter.standBy();
        std::vector<std::atomic<int>> runs(std::size_t(std::max(c.bands, 0)));
        splitter.run(c.bands, [&](int band) {
            std::this_thread::sleep_for(std::this_thread::get_id() == caller ? c.callerBand
                                                                             : c.helperBand);
            ++runs[std::size_t(band)];
        });
        for (const std::atomic<int>& count : runs)
            EXPECT_EQ(count.load(), 1);
    }
#ifdef __linux__
    // Only the helper is kept to other cores, never the caller.
    ASSERT_EQ(sched_getaffinity(0, sizeof(after), &after), 0);
    EXPECT_TRUE(CPU_EQUAL(&before, &after));
#endif
}

} // namespace
