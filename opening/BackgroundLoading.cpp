#include "BackgroundLoading.h"

#include "format/ProgressSink.h"
#include "pictures/LowPriority.h"

#include <QFile>
#include <QThread>
#include <algorithm>

BackgroundLoading::BackgroundLoading(Setup setup, ProgressSink& progress, Callbacks callbacks)
    : m_setup(std::move(setup)), m_progress(progress), m_callbacks(std::move(callbacks)) {
    const std::size_t count = m_setup.jobs.size();
    m_setup.early.resize(count);
    m_states.assign(count, State::Pending);
    m_reads.resize(count);
    for (std::size_t index = 0; index < count; ++index) {
        const int slot = m_setup.jobs[index].slot;
        if (slot < 0)
            continue;
        if (std::size_t(slot) >= m_jobOfSlot.size())
            m_jobOfSlot.resize(std::size_t(slot) + 1, -1);
        m_jobOfSlot[std::size_t(slot)] = int(index);
    }
    // Every core: the workers' low priority leaves the window thread the core it needs.
    m_pool.setMaxThreadCount(std::max(1, QThread::idealThreadCount()));
}

BackgroundLoading::~BackgroundLoading() {
    stop();
}

void BackgroundLoading::start() {
    for (int worker = 0; worker < m_pool.maxThreadCount(); ++worker)
        m_pool.start([this] { work(); });
}

void BackgroundLoading::stop() {
    {
        const std::lock_guard<std::mutex> hold(m_lock);
        m_stopped = true;
    }
    m_pool.clear();
    m_pool.waitForDone();
    for (QFuture<PictureRead>& early : m_setup.early)
        if (early.isValid())
            early.waitForFinished();
    m_setup.early.assign(m_setup.early.size(), QFuture<PictureRead>());
    m_reads.assign(m_reads.size(), PictureRead{});
}

void BackgroundLoading::follow(const std::vector<int>& slotsAhead) {
    std::vector<int> ahead;
    for (const int slot : slotsAhead)
        if (slot >= 0 && std::size_t(slot) < m_jobOfSlot.size() &&
            m_jobOfSlot[std::size_t(slot)] >= 0)
            ahead.push_back(m_jobOfSlot[std::size_t(slot)]);
    const std::lock_guard<std::mutex> hold(m_lock);
    m_ahead = std::move(ahead);
}

int BackgroundLoading::claimNext() {
    if (m_stopped)
        return -1;
    int index = -1;
    for (const int job : m_ahead)
        if (m_states[std::size_t(job)] == State::Pending) {
            index = job;
            break;
        }
    if (index < 0) {
        while (m_cursor < m_setup.order.size() &&
               m_states[std::size_t(m_setup.order[m_cursor])] != State::Pending)
            ++m_cursor;
        if (m_cursor == m_setup.order.size())
            return -1;
        index = m_setup.order[m_cursor];
    }
    m_states[std::size_t(index)] = State::Claimed;
    m_begun.push_back(m_setup.jobs[std::size_t(index)].slot);
    return index;
}

void BackgroundLoading::work() {
    lowerThisThread();
    for (;;) {
        std::size_t index = 0;
        {
            const std::lock_guard<std::mutex> hold(m_lock);
            const int next = claimNext();
            if (next < 0)
                return;
            index = std::size_t(next);
        }
        PictureRead read = readJob(index);
        ++m_byWorkers;
        {
            const std::lock_guard<std::mutex> hold(m_lock);
            m_reads[index] = std::move(read);
            m_states[index] = State::Ready;
        }
        m_decoded.notify_all();
        QMetaObject::invokeMethod(
            &m_context, [this] { collect(); }, Qt::QueuedConnection);
    }
}

PictureRead BackgroundLoading::readJob(std::size_t index) {
    const PictureLoader::Job& job = m_setup.jobs[index];
    // A moved-from future cannot even be asked whether it is valid: copied, then replaced.
    const QFuture<PictureRead> early = m_setup.early[index];
    m_setup.early[index] = QFuture<PictureRead>();
    if (early.isValid()) {
        PictureRead read = early.result();
        if (!read.declined)
            return read;
    }
    return PictureLoader::readWithin(job, m_setup.storage, m_setup.budget, m_setup.scaleFor);
}

void BackgroundLoading::decodeOrWait(std::size_t index) {
    std::unique_lock<std::mutex> hold(m_lock);
    if (m_states[index] == State::Pending) {
        m_states[index] = State::Claimed;
        m_begun.push_back(m_setup.jobs[index].slot);
        hold.unlock();
        PictureRead read = readJob(index);
        ++m_byWindow;
        hold.lock();
        m_reads[index] = std::move(read);
        m_states[index] = State::Ready;
        return;
    }
    m_decoded.wait(hold, [this, index] { return m_states[index] != State::Claimed; });
}

PicturePtr BackgroundLoading::now(int slot) {
    if (hasFailed() || slot < 0 || std::size_t(slot) >= m_jobOfSlot.size() ||
        m_jobOfSlot[std::size_t(slot)] < 0)
        return nullptr;
    const auto index = std::size_t(m_jobOfSlot[std::size_t(slot)]);
    decodeOrWait(index);
    return collect(index);
}

void BackgroundLoading::finish() {
    for (const int index : m_setup.order) {
        if (hasFailed())
            return;
        decodeOrWait(std::size_t(index));
        collect();
    }
}

PicturePtr BackgroundLoading::collect(std::size_t wanted) {
    if (m_collecting || hasFailed())
        return nullptr;
    m_collecting = true;
    const bool finishedBefore = finished();
    PicturePtr found;
    for (std::size_t index = 0; index < m_states.size() && !hasFailed(); ++index) {
        PictureRead read;
        {
            const std::lock_guard<std::mutex> hold(m_lock);
            if (m_states[index] != State::Ready)
                continue;
            read = std::move(m_reads[index]);
            m_states[index] = State::Held;
        }
        const PictureLoader::Job& job = m_setup.jobs[index];
        read = PictureLoader::settle(std::move(read), job, m_setup.storage, m_heldBytes,
                                     m_setup.budget, m_setup.scaleFor);
        if (!read.picture) {
            fail(read.problem);
            break;
        }
        m_heldBytes += read.picture->heldBytes();
        ++m_heldCount;
        QFile::remove(job.path);
        if (index == wanted)
            found = read.picture;
        m_callbacks.held(job.slot, read.picture);
    }
    m_collecting = false;
    if (hasFailed())
        return nullptr;
    showProgress();
    if (!finishedBefore && finished() && m_callbacks.done)
        m_callbacks.done();
    return found;
}

void BackgroundLoading::fail(const QString& problem) {
    m_problem = problem;
    stop();
    for (const PictureLoader::Job& job : m_setup.jobs)
        QFile::remove(job.path);
    m_callbacks.failed(problem);
}

void BackgroundLoading::showProgress() {
    // Line 2k is the line before job k, line 2k + 1 the one after it.
    const int jobs = int(m_setup.jobs.size());
    const int target = 2 * m_heldCount + (m_heldCount < jobs ? 1 : 0);
    for (; m_linesShown < target; ++m_linesShown) {
        const PictureLoader::Job& job = m_setup.jobs[std::size_t(m_linesShown / 2)];
        const QString& line = m_linesShown % 2 == 0 ? job.messageBefore : job.messageAfter;
        if (!line.isEmpty())
            m_progress.setMessage(line);
    }
}
