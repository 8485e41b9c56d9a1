// Turning, zooming, pointer read-out, start-up and shutdown handlers of the main window.
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

void frmMain::mnuExit_Click() {}

QString frmMain::GetCommandLine(int MaxArgs) {
    Q_UNUSED(MaxArgs);
    return QString();
}
