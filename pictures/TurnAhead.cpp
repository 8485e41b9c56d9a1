#include "TurnAhead.h"

#include <QThread>
#include <algorithm>

TurnAhead::TurnAhead() {
    // The window thread keeps a core of its own.
    m_pool.setMaxThreadCount(std::max(1, QThread::idealThreadCount() - 1));
    m_pool.setThreadPriority(QThread::LowPriority);
}

TurnAhead::~TurnAhead() {
    cancel();
}

void TurnAhead::prepare(const std::vector<PicturePtr>& next, qint64 decodeBytes) {
    m_pool.clear();
    const std::size_t fit = std::size_t(
        std::max<qint64>(1, Picture::kKeptDecodeBytes / 2 / std::max<qint64>(1, decodeBytes)));
    const std::size_t taken = std::min(next.size(), fit);
    // The furthest first, so that the nearest ends up the most recently asked for.
    for (std::size_t i = taken; i-- > 0;)
        if (next[i])
            next[i]->keepDecode();
    for (std::size_t i = 0; i < taken; ++i) {
        const PicturePtr& picture = next[i];
        if (picture && !picture->isReady())
            m_pool.start([picture] { picture->prepare(); });
    }
}

void TurnAhead::cancel() {
    m_pool.clear();
    m_pool.waitForDone();
}

void TurnAhead::waitForDone() {
    m_pool.waitForDone();
}
