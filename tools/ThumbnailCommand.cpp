// gyrolook-pack thumbnail PKG.360 OUT.png [SIZE]
// Writes the package's horizontal picture 0, scaled to fit SIZE x SIZE (256 when not given), as
// a PNG picture to OUT.png, the way file managers ask a thumbnailer. OUT.png appears whole, by a
// rename, or not at all; nothing else is written. Exit status 0 when it was written, 1 when the
// package was refused, 2 for wrong arguments.
#include "Commands.h"

#include "opening/PackageThumbnail.h"

#include <QTextStream>
#include <cstdio>

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

private:
    int m_saved;
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
