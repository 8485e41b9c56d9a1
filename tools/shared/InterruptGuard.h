#pragma once

#include <QString>
#include <mutex>

// Cleans up after a command that is stopped: when SIGINT, SIGTERM or SIGHUP arrives, every file
// and folder registered here is removed and the process ends at once with 128 + the signal's
// number (130, 143, 129), as a shell reports a program ended by that signal. A signal that was
// ignored when the process started (a background job's SIGINT, nohup's SIGHUP) stays ignored.
//
// install() must run first thing in main(), before any thread starts: it blocks the three signals
// in the calling thread (every thread started later inherits that) and waits for them on a thread
// of its own, where the removal runs as ordinary code. The registry is shared by all threads.
//
// A file registered with its temporaries takes with it the files named after it plus a suffix
// (".x.360.a1B2c3", the temporary files libzip writes beside an archive). A registered folder is
// removed with everything in it, without following symbolic links out of it.
class InterruptGuard {
public:
    static void install();

    static void addFile(const QString& path, bool withTemporaries = false);
    static void addFolder(const QString& path);
    // The path is no longer the command's to remove (moved into place, or removed already).
    static void release(const QString& path);

    // Holds off the removal a signal starts, for as long as the lock returned is held: a file or
    // folder made and registered under it is removed by a signal that arrives while it is made
    // (the removal waits), instead of being left behind unregistered.
    [[nodiscard]] static std::unique_lock<std::recursive_mutex> holdOff();

    // Removes every registered path now (what a signal does before the process ends).
    static void removeAll();
};
