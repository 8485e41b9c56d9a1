// Start-up, the command line, Exit and closing the window.
#include "frmMain.h"

#include "format/FileUtil.h"
#include "sound/MediaControl.h"
#include "sound/PackageSound.h"
#include "toolkit/Program.h"

#include <QFile>

void frmMain::withdrawCloseEntry() {
    // The frame keeps its title, system menu, minimize and maximize; only the close button goes.
    const bool wasVisible = isVisible();
    Qt::WindowFlags flags = windowFlags();
    flags |= Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
             Qt::WindowMinMaxButtonsHint;
    flags &= ~Qt::WindowCloseButtonHint;
    setWindowFlags(flags);
    if (wasVisible)
        show(); // changing the flags hides a shown window
}

void frmMain::Form_Load() {
    withdrawCloseEntry();
    sCommandFile = GetCommandLine();
    if (sCommandFile.isEmpty()) {
        bCommandFile = false;
        return;
    }
    bCommandFile = true;
    mnuOpen_Click();
}

QString frmMain::GetCommandLine(int MaxArgs) {
    Q_UNUSED(MaxArgs);
    return m_program.commandLine();
}

void frmMain::mnuExit_Click() {
    stopLoading();
    m_media.sendCommand(closeAllCommand());
    // The extracted sound track. Without a package folder there is nothing of ours to delete: a
    // bare name would point into the working folder.
    if (!sPackageDir.isEmpty() && !vSoundFile.isEmpty()) {
        const QString soundPath = sPackageDir + vSoundFile;
        if (FileExists(soundPath))
            QFile::remove(soundPath);
    }
    removePackageFolder();
    m_program.endAtOnce();
}

void frmMain::Form_Unload() {
    stopLoading();
    m_media.sendCommand(closeAllCommand());
    removePackageFolder();
}
