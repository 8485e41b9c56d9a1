// Opening a package: the File menu's Open entry, also run by start-up for a package named on the
// command line.
#include "frmMain.h"

#include "package/PrivateFolder.h"

void frmMain::removePackageFolder() {
    m_packageFolder.reset();
}

void frmMain::mnuOpen_Click() {}
