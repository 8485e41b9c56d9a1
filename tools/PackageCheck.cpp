#include "PackageCheck.h"

#include "format/PackageCounters.h"
#include "opening/PrivateFolder.h"
#include "opening/SystemFreeMemory.h"

#include <QFileInfo>

PackageCheck::PackageCheck(const QString& password, bool echo,
                           std::unique_ptr<FreeMemorySource> memory)
    : m_memory(memory ? std::move(memory) : std::make_unique<SystemFreeMemory>()),
      m_prompter(password, echo), m_opening(m_progress, m_prompter, *m_memory, m_options) {}

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
    PrivateFolder folder;
    if (!folder.isValid()) {
        m_message = QStringLiteral("Cannot open %1.\n\nNo private folder could be made: %2")
                        .arg(file.fileName(), folder.errorString());
        m_ok = false;
        return false;
    }
    m_ok = m_opening.runAll(file.absoluteFilePath(), folder.path(), m_slots);
    m_message = m_ok ? QString() : m_opening.problem();
    return m_ok;
}
