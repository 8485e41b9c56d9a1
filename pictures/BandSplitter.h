#pragma once

#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

// Shares the bands of one painting job between the calling thread and one helper thread, so that
// a turn's conversion or scaling takes both cores while nothing else runs: each thread takes the
// next band not yet taken until none is left, and run() returns once every band is done. A helper
// that is late (the core busy elsewhere) costs nothing: the caller then does the bands itself. On a
// single-core machine there is no helper and the caller does every band.
//
// The bands must be independent of one another (different rows of the target). One job at a
// time: run() is called from the window thread only.
class BandSplitter {
public:
    static BandSplitter& instance();

    ~BandSplitter();
    BandSplitter(const BandSplitter&) = delete;
    BandSplitter& operator=(const BandSplitter&) = delete;

    // Tells the helper a job is coming soon (a new picture is about to be painted), so that it is
    // awake when it comes; it waits a few milliseconds at most.
    void standBy();

    // Calls work(0) .. work(bands - 1), each once, on this thread and the helper.
    void run(int bands, const std::function<void(int)>& work);

private:
    struct Job;

    BandSplitter();
    void helperLoop();
    void keepHelperOffCallersCore();

    // Lock order: taken alone; the bands' work runs outside it.
    std::mutex m_mutex;
    std::condition_variable m_wake;     // a job is posted, or stop
    std::condition_variable m_finished; // the helper left its job
    Job* m_job = nullptr;
    bool m_helperIn = false;
    bool m_standBy = false;
    bool m_stop = false;
    int m_callerCore = -1; // the core the helper is kept off
    std::thread m_helper;
};
