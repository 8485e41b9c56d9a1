#pragma once

#include <QString>
#include <QStringList>

// What a run of the package tool leaves behind when it is killed (SIGKILL, a power cut) before it
// could clean up: hidden outputs beside OUT and work folders in the temporary folder. Their names
// carry the process id of the run that made them, "gyrolook-pack-<pid>-XXXXXX", so that a later
// run can tell an abandoned one from one still being written.
class Leftovers {
public:
    // A name pattern for QTemporaryFile / QTemporaryDir: prefix, then "gyrolook-pack-<pid>-XXXXXX",
    // then suffix.
    static QString pattern(const QString& prefix = QString(), const QString& suffix = QString());

    // Removes, in folder, every file or folder of this user named by pattern() whose process no
    // longer exists (never a link, never another user's, never a live run's) and returns the
    // lines that say what was removed.
    static QStringList sweep(const QString& folder);

    // sweep() on the temporary folder and on folder (when given and different), and the private
    // folders of killed runs; prints what was removed on standard error.
    static void sweepAndSay(const QString& folder = QString());
};
