#include "PackageCheck.h"
#include "InterruptGuard.h"

#include "format/PackageCounters.h"
#include "opening/PrivateFolder.h"
#include "opening/SystemFreeMemory.h"

#include <QFileInfo>

PackageCheck::PackageCheck(const QString& password, bool echo,
                           std::unique_ptr<FreeMemorySource> memory, ProgressSink* progress)
    : m_memory(memory ? std::move(memory) : std::make_unique<SystemFreeMemory>()),
      m_progress(progress ? *progress : m_silent), m_prompter(password, echo),
      m_opening(m_progress, m_prompter, *m_memory, m_options) {}

PackageCheck::~PackageCheck() = default;

bool PackageCheck::run(const QString& packagePath) {
    packageCounters().reset();
    m_slots.clear();
    const QFileInfo file(packagePath);
    if (!file.fileName().endsWith(QLatin1String(".360"))) {
        m_message = QStringLiteral("Wrong file type!!");
        m_ok = false;
        return false;
    }
    auto held = InterruptGuard::holdOff(); // made and registered as one step
    PrivateFolder folder;
    if (!folder.isValid()) {
        m_message = QStringLiteral("Cannot open %1.\n\nNo private folder could be made: %2")
                        .arg(file.fileName(), folder.errorString());
        m_ok = false;
        return false;
    }
    const QString path = folder.path();
    InterruptGuard::addFolder(path);
    held.unlock();
    m_ok = m_opening.runAll(file.absoluteFilePath(), path, m_slots);
    folder.remove();
    InterruptGuard::release(path);
    m_message = m_ok ? QString() : m_opening.problem();
    return m_ok;
}
