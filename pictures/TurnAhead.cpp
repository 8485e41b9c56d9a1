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

void TurnAhead::prepare(const std::vector<PicturePtr>& next) {
    m_pool.clear();
    for (const PicturePtr& picture : next)
        if (picture && !picture->isReady())
            m_pool.start([picture] { picture->prepare(); });
}

void TurnAhead::cancel() {
    m_pool.clear();
    m_pool.waitForDone();
}

void TurnAhead::waitForDone() {
    m_pool.waitForDone();
}
