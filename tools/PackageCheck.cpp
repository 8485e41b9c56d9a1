#include "PackageCheck.h"
#include "tools/shared/CheckSummary.h"

PackageCheck::PackageCheck(ProgressReporter& progress, std::unique_ptr<FreeMemorySource> memory,
                           QSize screen, const QString& password, bool echo)
    : m_walk(progress, std::move(memory), password, echo), m_screen(screen) {
    m_walk.judgeAsViewer([screen](QSize natural) { return shownOnScreen(natural, screen); });
}

bool PackageCheck::run(const QString& packagePath) {
    m_ok = m_walk.open(packagePath);
    if (!m_ok) {
        m_message = m_walk.message();
        return false;
    }
    m_upperRing = m_walk.ringMap(1);
    m_lowerRing = m_walk.ringMap(2);
    const PackageOpening& o = m_walk.opening();
    const QSize level =
        reducedSize(QSize(o.pictureWidth(), o.pictureHeight()), o.levelDenominator());
    m_message = m_walk.readAsViewer(
        [this](QSize natural) { return levelScale(natural, shownOnScreen(natural, m_screen)); },
        level);
    m_ok = m_message.isEmpty();
    m_decoded = m_ok ? int(m_walk.pictures().size()) : 0;
    return m_ok;
}
