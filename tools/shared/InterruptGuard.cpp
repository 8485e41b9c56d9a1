#include "InterruptGuard.h"

#include "opening/PrivateFolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <csignal>
#include <fcntl.h>
#include <mutex>
#include <pthread.h>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

struct Registry {
    // Recursive: a thread holding the removal off (InterruptGuard::holdOff) registers under it.
    std::recursive_mutex mutex;
    std::vector<QString> files;
    std::vector<QString> archives; // files with temporaries named after them
    std::vector<QString> folders;
};

Registry& registry() {
    static Registry r;
    return r;
}

// The stop signals not ignored when the process started: a shell starts a background job with
// SIGINT ignored, and nohup a command with SIGHUP ignored; those stay ignored.
sigset_t stopSignals() {
    sigset_t set;
    sigemptyset(&set);
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
        struct sigaction current {};
        if (sigaction(signal, nullptr, &current) == 0 && current.sa_handler != SIG_IGN)
            sigaddset(&set, signal);
    }
    return set;
}

// The temporary files named after `path` plus a suffix.
void removeTemporaries(const QString& path) {
    const QFileInfo info(path);
    const QDir dir = info.absoluteDir();
    const QString prefix = info.fileName() + QLatin1Char('.');
    for (const QString& name :
         dir.entryList({prefix + QLatin1Char('*')}, QDir::Files | QDir::Hidden | QDir::System))
        QFile::remove(dir.filePath(name));
}

void removeLocked(Registry& r) {
    for (const QString& file : r.files)
        QFile::remove(file);
    for (const QString& archive : r.archives) {
        QFile::remove(archive);
        removeTemporaries(archive);
    }
    // A working thread may still be writing into a folder while it goes: what it made after the
    // listing keeps the folder; the next round takes that. Once the folder is gone, nothing more
    // can be made in it.
    for (const QString& folder : r.folders)
        for (int round = 0; round < 100 && QFileInfo::exists(folder); ++round)
            QDir(folder).removeRecursively(); // removes links inside, never what they point to
}

// From the signal on, the working threads' messages go nowhere: what the removal pulls from under
// them (a picture missing from the private folder) is no cause of the end. The one line said is
// that the command was interrupted, on a line of its own after a progress line kept in place.
void sayInterrupted() {
    const int saved = ::dup(STDERR_FILENO);
    const int null = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
    if (null >= 0) {
        ::dup2(null, STDOUT_FILENO);
        ::dup2(null, STDERR_FILENO);
        ::close(null);
    }
    if (saved < 0)
        return;
    const std::string line =
        std::string(::isatty(saved) ? "\n" : "") + "gyrolook-pack: interrupted\n";
    [[maybe_unused]] const ssize_t written = ::write(saved, line.data(), line.size());
}

void watch(sigset_t set) {
    int signal = 0;
    while (sigwait(&set, &signal) != 0) {
    }
    sayInterrupted();
    Registry& r = registry();
    r.mutex.lock(); // held until the end: nothing is registered or released any more
    removeLocked(r);
    removeLocked(r);           // what a working thread wrote meanwhile into a folder it had open
    PrivateFolder::sweepOwn(); // one made just now, before its owner could register it
    _exit(128 + signal);
}

} // namespace

void InterruptGuard::install() {
    static std::once_flag once;
    std::call_once(once, [] {
        const sigset_t set = stopSignals();
        if (sigisemptyset(&set))
            return;
        pthread_sigmask(SIG_BLOCK, &set, nullptr);
        std::thread(watch, set).detach();
    });
}

void InterruptGuard::addFile(const QString& path, bool withTemporaries) {
    const std::lock_guard<std::recursive_mutex> lock(registry().mutex);
    (withTemporaries ? registry().archives : registry().files)
        .push_back(QFileInfo(path).absoluteFilePath());
}

void InterruptGuard::addFolder(const QString& path) {
    const std::lock_guard<std::recursive_mutex> lock(registry().mutex);
    registry().folders.push_back(QFileInfo(path).absoluteFilePath());
}

void InterruptGuard::release(const QString& path) {
    const QString absolute = QFileInfo(path).absoluteFilePath();
    const std::lock_guard<std::recursive_mutex> lock(registry().mutex);
    for (auto* list : {&registry().files, &registry().archives, &registry().folders})
        std::erase(*list, absolute);
}

std::unique_lock<std::recursive_mutex> InterruptGuard::holdOff() {
    return std::unique_lock<std::recursive_mutex>(registry().mutex);
}

void InterruptGuard::removeAll() {
    const std::lock_guard<std::recursive_mutex> lock(registry().mutex);
    removeLocked(registry());
}
