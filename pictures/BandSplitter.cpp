#include "BandSplitter.h"

#include <atomic>
#include <chrono>

#ifdef __linux__
#include <pthread.h>
#include <sched.h>
#endif

namespace {

// How long a helper told to stand by stays awake for the job.
constexpr auto kStandBy = std::chrono::milliseconds(3);

} // namespace

struct BandSplitter::Job {
    const std::function<void(int)>* work;
    int bands;
    std::atomic<int> next{0};

    void takeBands() {
        for (int band = next++; band < bands; band = next++)
            (*work)(band);
    }
};

BandSplitter& BandSplitter::instance() {
    static BandSplitter splitter;
    return splitter;
}

BandSplitter::BandSplitter() {
    if (std::thread::hardware_concurrency() > 1)
        m_helper = std::thread([this] { helperLoop(); });
}

BandSplitter::~BandSplitter() {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_stop = true;
    }
    m_wake.notify_all();
    if (m_helper.joinable())
        m_helper.join();
}

void BandSplitter::run(int bands, const std::function<void(int)>& work) {
    if (bands <= 0)
        return;
    Job job{&work, bands};
    const bool shared = bands > 1 && m_helper.joinable();
    if (shared) {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_job = &job;
        }
        m_wake.notify_one();
    }
    job.takeBands();
    if (!shared)
        return;
    // Every band is taken; wait for the helper to finish the one it is on, if any.
    std::unique_lock<std::mutex> lock(m_mutex);
    m_job = nullptr;
    m_finished.wait(lock, [this] { return !m_helperIn; });
}

void BandSplitter::standBy() {
    if (!m_helper.joinable())
        return;
    keepHelperOffCallersCore();
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_standBy = true;
    }
    m_wake.notify_one();
}

void BandSplitter::helperLoop() {
    std::unique_lock<std::mutex> lock(m_mutex);
    for (;;) {
        m_wake.wait(lock, [this] { return m_stop || m_job || m_standBy; });
        if (!m_job && !m_stop) {
            // Awake before the job comes: a core woken from sleep can take longer to answer than
            // the job takes.
            m_standBy = false;
            const auto until = std::chrono::steady_clock::now() + kStandBy;
            while (!m_job && !m_stop && std::chrono::steady_clock::now() < until) {
                lock.unlock();
                std::this_thread::yield();
                lock.lock();
            }
        }
        if (m_stop)
            return;
        if (!m_job)
            continue;
        Job* job = m_job;
        m_job = nullptr; // taken once
        m_helperIn = true;
        lock.unlock();
        job->takeBands();
        lock.lock();
        m_helperIn = false;
        m_finished.notify_all();
    }
}

void BandSplitter::keepHelperOffCallersCore() {
#ifdef __linux__
    // Woken from the caller's thread, the helper is often queued on the caller's own core, where
    // it cannot start before the caller's work is over; it is kept to the other cores instead.
    const int core = sched_getcpu();
    if (core < 0 || core == m_callerCore)
        return;
    cpu_set_t allowed;
    CPU_ZERO(&allowed);
    if (sched_getaffinity(0, sizeof(allowed), &allowed) != 0 || !CPU_ISSET(core, &allowed) ||
        CPU_COUNT(&allowed) < 2)
        return;
    CPU_CLR(core, &allowed);
    if (pthread_setaffinity_np(m_helper.native_handle(), sizeof(allowed), &allowed) == 0)
        m_callerCore = core;
#endif
}
