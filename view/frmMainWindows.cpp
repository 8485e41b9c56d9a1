// The menu commands that show the secondary windows.
#include "frmMain.h"

#include "windows/frmAbout.h"
#include "windows/frmOptions.h"

void frmMain::mnuOptions_Click() {
    frmOptions::showModal(m_settings, &m_media, this);
}

void frmMain::mnuAbout_Click() {
    frmAbout::showModal(this);
}
