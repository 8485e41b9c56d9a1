// The package's sound, started once the first picture is on the screen.
#include "frmMain.h"

#include "sound/PackageSound.h"
#include "toolkit/ImageControl.h"
#include "view/SoundAfterPicture.h"

void frmMain::startSoundAfterPicture() {
    delete m_pendingSound; // a start still waiting for an earlier package's picture
    if (!bHasSound)
        return;
    const QString folder = sPackageDir;
    const QString name = vSoundFile;
    const bool repeat = bSoundRepeat;
    auto start = [this, folder, name, repeat] {
        // Only for the package still shown.
        if (bHasSound && sPackageDir == folder && vSoundFile == name)
            startPackageSound(m_media, folder, name, repeat, m_settings);
    };
    if (isVisible()) {
        // The window is on the screen: the picture goes there now, the sound after it.
        repaint();
        start();
        return;
    }
    // Opened before the window was first shown (named on the command line).
    m_pendingSound = new SoundAfterPicture(imgMain, start, this);
}
