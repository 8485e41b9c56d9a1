#pragma once

#include <QString>

// Where the Open dialog starts: the folder of the last package opened; before any, the folder the
// program was started in when it was started from a terminal (the user's own place then); else
// the home folder. Never the program's own folder, which once installed holds no packages. A
// folder that has since gone is passed over.
class OpenDialogFolder {
public:
    OpenDialogFolder(QString startFolder, bool startedFromTerminal, QString home);
    // The start folder, whether the standard input is a terminal, and the home folder of this
    // process as it is now.
    static OpenDialogFolder ofThisProcess();

    void packageOpened(const QString& packagePath);
    QString folder() const;

private:
    QString m_startFolder;
    bool m_startedFromTerminal;
    QString m_home;
    QString m_lastPackageFolder;
};
