// gyrolook-pack thumbnail PKG.360 OUT.png [SIZE]
// Writes the package's horizontal picture 0, scaled to fit SIZE x SIZE (256 when not given), as
// a PNG picture to OUT.png, the way file managers ask a thumbnailer. A new OUT.png appears whole,
// by a rename, or not at all; an OUT.png that exists (made by the file manager, which may read it
// back through a handle it holds) is written in place. Nothing else is written. What a package may
// ask of the decoder is bounded from its headers (PackageThumbnail); reading is cut off after 10 s
// of processor time only as a last resort.
// Exit status 0 when it was written, 1 when the package was refused, 2 for wrong arguments.
#include "tools/shared/Commands.h"

#include "opening/PackageThumbnail.h"

#include <QFileInfo>
#include <QTextStream>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>
#include <thread>

#include <ctime>
#include <fcntl.h>
#include <unistd.h>

namespace {

// The decoders' own complaints (Qt's warnings, and libpng's, which it prints to the standard
// error itself) would add lines to the one-line refusal: the standard error is muted while the
// thumbnail is made.
class MutedStandardError {
public:
    MutedStandardError() : m_saved(::dup(STDERR_FILENO)) {
        std::fflush(stderr);
        const int null = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
        if (m_saved >= 0 && null >= 0)
            ::dup2(null, STDERR_FILENO);
        if (null >= 0)
            ::close(null);
    }
    ~MutedStandardError() {
        std::fflush(stderr);
        if (m_saved >= 0) {
            ::dup2(m_saved, STDERR_FILENO);
            ::close(m_saved);
        }
    }
    MutedStandardError(const MutedStandardError&) = delete;
    MutedStandardError& operator=(const MutedStandardError&) = delete;

    // The standard error as it was before muting.
    int saved() const { return m_saved; }

private:
    int m_saved;
};

// File managers wait for the thumbnailer. However a package is made, reading it never takes more
// than kCpuLimit of processor time or kWallLimit in all (a slow disk): the process then says so in
// one line and ends. The limits on what a package declares keep every accepted package far below
// kCpuLimit (bench/thumbnail-bench.sh: the largest accepted pictures take about 1 s), so whether a
// package gets a thumbnail does not depend on how busy the machine is. The deadline is called off
// before the output is written, so that no half-written file can be left behind.
constexpr std::chrono::milliseconds kCpuLimit(10000);
constexpr std::chrono::seconds kWallLimit(30);

std::chrono::nanoseconds processorTime() {
    timespec now{};
    ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return std::chrono::seconds(now.tv_sec) + std::chrono::nanoseconds(now.tv_nsec);
}

class Deadline {
public:
    Deadline(int fd, std::string message)
        : m_thread([this, fd, message = std::move(message)] {
              const auto start = std::chrono::steady_clock::now();
              const auto cpuStart = processorTime();
              std::unique_lock<std::mutex> lock(m_mutex);
              while (!m_done.wait_for(lock, std::chrono::milliseconds(20),
                                      [this] { return m_calledOff; })) {
                  if (processorTime() - cpuStart < kCpuLimit &&
                      std::chrono::steady_clock::now() - start < kWallLimit)
                      continue;
                  [[maybe_unused]] const ssize_t written =
                      ::write(fd, message.data(), message.size());
                  std::_Exit(1);
              }
          }) {}
    ~Deadline() {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_calledOff = true;
        }
        m_done.notify_one();
        m_thread.join();
    }
    Deadline(const Deadline&) = delete;
    Deadline& operator=(const Deadline&) = delete;

private:
    std::mutex m_mutex;
    std::condition_variable m_done;
    bool m_calledOff = false;
    std::thread m_thread;
};

} // namespace

int runThumbnail(const QStringList& args) {
    QTextStream err(stderr);
    if (args.size() < 2 || args.size() > 3) {
        err << "usage: gyrolook-pack thumbnail PKG.360 OUT.png [SIZE]\n";
        return 2;
    }
    int size = PackageThumbnail::DefaultSize;
    if (args.size() == 3) {
        bool ok = false;
        size = args.at(2).toInt(&ok);
        if (!ok || size < 1 || size > PackageThumbnail::MaxSize) {
            err << "gyrolook-pack: the thumbnail size must be a whole number from 1 to "
                << PackageThumbnail::MaxSize << ", not \"" << args.at(2) << "\"\n";
            return 2;
        }
    }
    PackageThumbnail thumbnail;
    bool made = false;
    {
        MutedStandardError muted;
        const Deadline deadline(muted.saved() >= 0 ? muted.saved() : STDERR_FILENO,
                                "gyrolook-pack: " + QFileInfo(args.at(0)).fileName().toStdString() +
                                    " takes too long to read; refused.\n");
        made = thumbnail.make(args.at(0), size);
    }
    if (!made) {
        err << "gyrolook-pack: " << thumbnail.problem() << '\n';
        return 1;
    }
    if (!thumbnail.writePng(args.at(1))) {
        err << "gyrolook-pack: " << thumbnail.problem() << '\n';
        return 1;
    }
    return 0;
}
