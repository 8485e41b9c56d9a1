#pragma once

#include <QString>
#include <QStringList>

// The viewer's own arguments: --help, --version, "--" and at most one package path. Qt's options
// are taken out by QApplication before parse() sees the list; helpRequested() looks at the raw
// list before any window system is touched, so help and version work without a display.
struct CommandLine {
    enum class Action { Run, Help, Version, Usage };

    Action action = Action::Run;
    QString package; // empty: start without a package
    QString problem; // for Usage: what is wrong, in one line

    // Parses the arguments after the program's name.
    static CommandLine parse(const QStringList& arguments);
    // Help or Version when one of those options stands before any "--"; otherwise Run.
    static Action helpRequested(int argc, char** argv);

    // The arguments after the program's name without Qt's own options (and their values), as
    // QApplication would leave them: lets wrong arguments be told before any window system is
    // reached.
    static QStringList withoutQtOptions(const QStringList& arguments);

    static QString usageLine();
    static QString helpText();
};
