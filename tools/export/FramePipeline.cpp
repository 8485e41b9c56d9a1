#include "FramePipeline.h"

#include "RingFrames.h"

#include <QThread>
#include <QtConcurrent/QtConcurrentRun>
#include <algorithm>

FramePipeline::FramePipeline(const SpinSource& source, const RingFrames& frames, int longestSide,
                             int total, int ahead)
    : m_source(source), m_frames(frames), m_longestSide(longestSide), m_total(total),
      m_ahead(ahead > 0 ? ahead : std::max(1, QThread::idealThreadCount())) {
    m_pool.setMaxThreadCount(m_ahead);
    fill();
}

FramePipeline::~FramePipeline() {
    for (QFuture<QImage>& frame : m_pending)
        frame.waitForFinished();
}

void FramePipeline::fill() {
    const int count = int(m_frames.slots.size());
    while (count > 0 && m_started < m_total && int(m_pending.size()) < m_ahead) {
        const int i = m_started++ % count;
        m_pending.push_back(QtConcurrent::run(
            &m_pool, [this, i] { return m_frames.frame(m_source, i, m_longestSide); }));
    }
}

QImage FramePipeline::next() {
    if (m_pending.empty())
        return QImage();
    const QImage frame = m_pending.front().result();
    m_pending.pop_front();
    fill();
    return frame;
}
