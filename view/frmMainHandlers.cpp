// Event handlers of the main window that the viewing, opening and start-up code fills in.
// Each body here is empty for now: the control is wired and raises the handler, which does
// nothing yet.
#include "frmMain.h"

void frmMain::Form_Load() {}

void frmMain::Form_Unload() {}

void frmMain::HscrArray_Change() {}

void frmMain::VscrArray_Change() {}

void frmMain::hscrlZoom_Change() {}

void frmMain::hscrlZoom_Scroll() {}

void frmMain::imgMain_MouseMove(int Button, int Shift, float X, float Y) {
    Q_UNUSED(Button);
    Q_UNUSED(Shift);
    Q_UNUSED(X);
    Q_UNUSED(Y);
}

void frmMain::mnuOpen_Click() {}

void frmMain::mnuExit_Click() {}
