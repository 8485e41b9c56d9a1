#include "format/OptionSettings.h"
#include "opening/PrivateFolder.h"
#include "opening/SystemFreeMemory.h"
#include "sound/MediaControl.h"
#include "toolkit/MessagePrompter.h"
#include "toolkit/Program.h"
#include "toolkit/TerminationSignals.h"
#include "view/frmMain.h"
#include "windows/ProgramIcon.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(Program::title());
    QApplication::setApplicationVersion(Program::versionText());
    QApplication::setWindowIcon(programIcon());

    // Ends the event loop on SIGTERM, SIGINT and SIGHUP, so the private folder is removed then too.
    TerminationSignals terminationSignals;

    // Private folders left behind by a viewer that was killed.
    PrivateFolder::sweepAbandoned();

    Program program;
    MessagePrompter prompter;
    MediaControl media;
    SystemFreeMemory freeMemory;
    frmMain window(prompter, program, optionSettings(), media, freeMemory);
    prompter.setParentWindow(&window);
    window.Form_Load();
    window.show();
    return QApplication::exec();
}
