#include "OpenDialogFolder.h"

#include <QDir>
#include <QFileInfo>

#include <unistd.h>

OpenDialogFolder::OpenDialogFolder(QString startFolder, bool startedFromTerminal, QString home)
    : m_startFolder(std::move(startFolder)), m_startedFromTerminal(startedFromTerminal),
      m_home(std::move(home)) {}

OpenDialogFolder OpenDialogFolder::ofThisProcess() {
    return OpenDialogFolder(QDir::currentPath(), ::isatty(STDIN_FILENO) == 1, QDir::homePath());
}

void OpenDialogFolder::packageOpened(const QString& packagePath) {
    m_lastPackageFolder = QFileInfo(packagePath).absolutePath();
}

QString OpenDialogFolder::folder() const {
    const auto usable = [](const QString& folder) {
        return !folder.isEmpty() && QFileInfo(folder).isDir();
    };
    if (usable(m_lastPackageFolder))
        return m_lastPackageFolder;
    if (m_startedFromTerminal && usable(m_startFolder))
        return m_startFolder;
    return m_home;
}
