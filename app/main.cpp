#include "package/OptionSettings.h"
#include "toolkit/MessagePrompter.h"
#include "toolkit/Program.h"
#include "view/frmMain.h"
#include "windows/ProgramIcon.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(Program::title());
    QApplication::setApplicationVersion(Program::versionText());
    QApplication::setWindowIcon(programIcon());

    Program program;
    MessagePrompter prompter;
    frmMain window(prompter, program, optionSettings());
    prompter.setParentWindow(&window);
    window.Form_Load();
    window.show();
    return QApplication::exec();
}
