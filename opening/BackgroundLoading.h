#pragma once

#include "opening/PictureLoader.h"

#include <QFuture>
#include <QObject>
#include <QThreadPool>
#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <vector>

class ProgressSink;

// The pictures of an opening loaded after its first one is shown: decoded on every core at nice 10
// (the window thread outranks the workers, so it needs no core of its own) in the order a user
// turns to them, and held one by one on the window thread, which gets each picture as it is held.
// The loading follows the turns: the window tells it the positions a turn reaches next (follow()),
// and the workers take those first, nearest first, before going on in the opening's order, so
// that positions a turn has passed wait behind the ones it comes to. A picture the window wants
// before its turn is decoded at once on the window thread (now()), or waited for when a worker has
// begun it; no picture is decoded twice.
//
// The progress lines of the jobs keep their list order whatever order the pictures come in: with k
// pictures held, the lines of the first k jobs have been shown, and the line before the next one.
// A picture that cannot be held (it does not decode, or does not fit in the budget) stops the
// loading: `failed` is told the problem the synchronous loader would give. Callbacks run on the
// window thread, from inside this object's calls: they must not destroy it.
//
// Destroying the loading (or stop()) stops it at once: the decodes not begun are dropped, the few
// under way waited for, and every picture not yet handed over is let go.
class BackgroundLoading {
public:
    struct Callbacks {
        std::function<void(int slot, const PicturePtr& picture)> held;
        std::function<void(const QString& problem)> failed;
        std::function<void()> done;
    };

    struct Setup {
        std::vector<PictureLoader::Job> jobs;    // list order: the order of the progress lines
        std::vector<int> order;                  // indices into jobs, in the order to decode them
        std::vector<QFuture<PictureRead>> early; // by job: a read already under way, or invalid
        PictureLoader::Storage storage = PictureLoader::Storage::Decoded;
        qint64 budget = 0; // bytes the held pictures may take together
        JpegDecoder::ScaleFor scaleFor;
    };

    BackgroundLoading(Setup setup, ProgressSink& progress, Callbacks callbacks);
    ~BackgroundLoading();
    BackgroundLoading(const BackgroundLoading&) = delete;
    BackgroundLoading& operator=(const BackgroundLoading&) = delete;

    // How many positions ahead of a turn the window tells follow().
    static constexpr int kAhead = 8;

    // Starts the workers on the pictures not held yet.
    void start();
    // The slots the user's turn reaches next, nearest first (replacing those told before): the
    // workers decode the ones not begun yet before any other.
    void follow(const std::vector<int>& slotsAhead);
    // The picture of `slot`, held now: decoded on this thread unless a worker has begun it. Null
    // when no job fills that slot, or when the loading has failed (problem() says why).
    PicturePtr now(int slot);
    // Holds every picture still to come, on this thread as far as no worker has begun them.
    void finish();
    void stop();

    // Whether a job fills `slot` and the loading still goes on: now() would give its picture.
    bool fills(int slot) const {
        return !hasFailed() && slot >= 0 && std::size_t(slot) < m_jobOfSlot.size() &&
               m_jobOfSlot[std::size_t(slot)] >= 0;
    }
    bool finished() const { return m_heldCount == int(m_setup.jobs.size()); }
    bool hasFailed() const { return !m_problem.isEmpty(); }
    const QString& problem() const { return m_problem; }
    int heldCount() const { return m_heldCount; }
    // Pictures decoded by a worker and by the window thread, since construction (for tests).
    int decodedByWorkers() const { return m_byWorkers; }
    int decodedHere() const { return m_byWindow; }
    // The slots whose decodes have begun, in the order they began (for tests).
    std::vector<int> decodeOrder() const {
        const std::lock_guard<std::mutex> hold(m_lock);
        return m_begun;
    }

private:
    enum class State { Pending, Claimed, Ready, Held };

    void work();
    // The job a worker takes next (claimed), or -1 when none is left; under m_lock.
    int claimNext();
    PictureRead readJob(std::size_t index);
    // Waits for the job at `index` to be decoded, decoding it here when no worker has begun it.
    void decodeOrWait(std::size_t index);
    // Holds every picture decoded and not yet held; returns the picture of `wanted` when held.
    PicturePtr collect(std::size_t wanted = std::size_t(-1));
    void fail(const QString& problem);
    void showProgress();

    Setup m_setup;
    ProgressSink& m_progress;
    Callbacks m_callbacks;
    std::vector<int> m_jobOfSlot; // slot -> job index, -1 for none

    mutable std::mutex m_lock; // guards m_states, m_reads, m_cursor, m_ahead, m_begun, m_stopped
    std::condition_variable m_decoded;
    std::vector<State> m_states;
    std::vector<PictureRead> m_reads;
    std::size_t m_cursor = 0; // the first entry of order that may still be pending
    std::vector<int> m_ahead; // jobs a turn reaches next, nearest first (follow())
    std::vector<int> m_begun; // slots, in the order their decodes began
    bool m_stopped = false;
    std::atomic<int> m_byWorkers{0};
    int m_byWindow = 0;

    // Window thread only.
    qint64 m_heldBytes = 0;
    int m_heldCount = 0;
    int m_linesShown = 0;
    bool m_collecting = false;
    QString m_problem;

    QObject m_context; // receives the workers' news on the window thread
    QThreadPool m_pool;
};
