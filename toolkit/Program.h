#pragma once

#include <QString>
#include <QStringList>
#include <functional>

// The running program: its title, version and folder, the command-line text it was started with,
// and "end at once".
//
// The window code receives one Program object from main() and never reaches for global state.
// The command-line text is rebuilt from the argument list the way a desktop shell passes a file
// opened by association: each argument wrapped in one pair of double quotes, the arguments
// separated by one blank (Qt's own options are consumed by QApplication before that). No
// arguments give the empty text.
//
// endAtOnce() runs the end action. The default action hides every top-level window without
// closing it (so no close handler runs) and makes every running event loop return, which lets
// main() return and clean up. Tests replace the action to observe the call. The caller returns
// to the event loop right after endAtOnce().
class Program {
public:
    // Reads the arguments of the running QCoreApplication (everything after the program's name).
    Program();
    // Uses the given arguments (everything after the program's name).
    explicit Program(const QStringList& arguments);

    static QString title();
    static int versionMajor();
    static int versionMinor();
    static int versionRevision();
    // "major.minor.revision", for example "1.0.38".
    static QString versionText();
    // The folder that holds the executable, without a trailing separator.
    static QString path();

    static QString commandLineFromArguments(const QStringList& arguments);

    const QString& commandLine() const { return m_commandLine; }

    void endAtOnce();
    void setEndAction(std::function<void()> action);
    static void closeWindowsAndQuit();

private:
    QString m_commandLine;
    std::function<void()> m_endAction;
};
