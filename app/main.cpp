#include "CommandLine.h"
#include "FirstPictureTiming.h"

#include "format/OptionSettings.h"
#include "opening/PrivateFolder.h"
#include "opening/SystemFreeMemory.h"
#include "sound/MediaControl.h"
#include "toolkit/ImageControl.h"
#include "toolkit/MessagePrompter.h"
#include "toolkit/Program.h"
#include "toolkit/TerminationSignals.h"
#include "view/frmMain.h"
#include "windows/ProgramIcon.h"

#include <QApplication>
#include <QTextStream>
#include <cstdio>
#include <cstdlib>

namespace {

QtMessageHandler g_qtHandler = nullptr;

// While QApplication connects to the window system, a failure ends in Qt's fatal platform-plugin
// text and an abort. This handler says in one line what is wrong instead and exits with 1.
void startupMessages(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    if (type != QtFatalMsg) {
        // Qt's warnings before the fatal one only repeat it; keep the others.
        if (!text.contains(QLatin1String("could not connect to display")) &&
            !text.contains(QLatin1String("platform plugin")) && g_qtHandler)
            g_qtHandler(type, context, text);
        return;
    }
    const QByteArray display = qgetenv("DISPLAY");
    const QByteArray wayland = qgetenv("WAYLAND_DISPLAY");
    QString why;
    if (display.isEmpty() && wayland.isEmpty())
        why =
            QStringLiteral("no display is available (neither DISPLAY nor WAYLAND_DISPLAY is set)");
    else if (!display.isEmpty())
        why = QStringLiteral("the display \"%1\" cannot be reached")
                  .arg(QString::fromLocal8Bit(display));
    else
        why = QStringLiteral("the display \"%1\" cannot be reached")
                  .arg(QString::fromLocal8Bit(wayland));
    std::fprintf(stderr, "gyrolook: cannot open a window: %s\n", qPrintable(why));
    std::fflush(stderr);
    std::_Exit(1);
}

} // namespace

int main(int argc, char** argv) {
    // Help and version need no display.
    switch (CommandLine::helpRequested(argc, argv)) {
    case CommandLine::Action::Help:
        QTextStream(stdout) << CommandLine::helpText();
        return 0;
    case CommandLine::Action::Version:
        QTextStream(stdout) << "gyrolook " << Program::versionText() << '\n';
        return 0;
    default:
        break;
    }

    // Wrong arguments are said as such, with or without a display.
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    const CommandLine early = CommandLine::parse(CommandLine::withoutQtOptions(arguments));
    if (early.action == CommandLine::Action::Usage) {
        QTextStream(stderr) << "gyrolook: " << early.problem << '\n'
                            << CommandLine::usageLine() << '\n';
        return 2;
    }

    g_qtHandler = qInstallMessageHandler(startupMessages);
    QApplication app(argc, argv);
    qInstallMessageHandler(g_qtHandler);
    QApplication::setApplicationName(Program::title());
    QApplication::setApplicationVersion(Program::versionText());
    QApplication::setDesktopFileName(QStringLiteral("org.gyrolook.Gyrolook"));
    QApplication::setWindowIcon(programIcon());

    const CommandLine commandLine = CommandLine::parse(QCoreApplication::arguments().mid(1));
    if (commandLine.action == CommandLine::Action::Usage) {
        QTextStream(stderr) << "gyrolook: " << commandLine.problem << '\n'
                            << CommandLine::usageLine() << '\n';
        return 2;
    }

    // Ends the event loop on SIGTERM, SIGINT and SIGHUP, so the private folder is removed then too.
    TerminationSignals terminationSignals;

    // Private folders left behind by a viewer that was killed.
    PrivateFolder::sweepAbandoned();

    // The start-up code receives the package as a desktop shell passes a file opened by
    // association, whatever options stood around it.
    Program program(commandLine.package.isEmpty() ? QStringList()
                                                  : QStringList{commandLine.package});
    MessagePrompter prompter;
    MediaControl media;
    SystemFreeMemory freeMemory;
    frmMain window(prompter, program, optionSettings(), media, freeMemory);
    prompter.setParentWindow(&window);
    const FirstPictureTiming timing(window.imgMain, &window, !commandLine.package.isEmpty());
    window.Form_Load();
    window.show();
    return QApplication::exec();
}
