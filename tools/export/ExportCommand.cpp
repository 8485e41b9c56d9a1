// gyrolook-pack export PKG.360 OUT [--size S] [--ring K] [--seconds T] [--loop N] [--turns N]
//                        [--drag-direction normal|reverse] [--hotspot-label N=TEXT]
//                        [--autoplay once|N] [--free-memory BYTES] [--quiet]
// Shares a package outside the viewer. What is written follows OUT's name:
//   OUT (no extension)  a folder with a turnable web page
//   OUT.webp, OUT.gif   an animated picture of one turn of a ring
//   OUT.mp4, OUT.webm   a video of one or more turns of a ring
// The package is opened the way the viewer opens it (and refused with its message) before
// anything is written. The export is written under a hidden name beside OUT and moved to OUT when
// whole; OUT is never overwritten, and an interrupt leaves nothing behind. What the export will
// hold in memory is weighed against the free memory before the first frame (ExportMemory; with
// --verbose the figures go to standard error). Progress goes to standard error unless --quiet.
#include "AnimatedExport.h"
#include "ExportMemory.h"
#include "ExportTarget.h"
#include "OpenedSpinSource.h"
#include "RingFrames.h"
#include "SpinMoves.h"
#include "VideoExport.h"
#include "WebPageExport.h"
#include "tools/shared/Commands.h"
#include "tools/shared/OneLine.h"
#include "tools/shared/ProgressReporter.h"

#include "opening/FixedFreeMemory.h"
#include "opening/SystemFreeMemory.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTextStream>
#include <QThread>
#include <algorithm>
#include <memory>
#include <optional>

namespace {

using Kind = ExportMemory::Kind;

struct Request {
    QString package;
    QString out;
    Kind kind = Kind::Page;
    std::optional<int> size;
    int ring = 0;
    double seconds = 6.0;
    int loop = 0;
    int turns = 1;
    bool quiet = false;
    std::optional<qint64> freeMemory; // the free memory to plan with, instead of the system's
    WebPageExport::Options page;
    QString pageOption; // the last option given that only the web page takes
};

const char* const kUsage =
    "usage: gyrolook-pack export PKG.360 OUT [--size S] [--ring K] [--seconds T] [--loop N] "
    "[--turns N]\n"
    "       [--drag-direction normal|reverse] [--hotspot-label N=TEXT] [--autoplay once|N] "
    "[--free-memory BYTES] [--quiet]\n"
    "  OUT a new folder: a web page; OUT.webp or OUT.gif: an animated picture; OUT.mp4 or "
    "OUT.webm: a video\n";

int usage(const QString& problem = QString()) {
    QTextStream err(stderr);
    if (!problem.isEmpty())
        err << "gyrolook-pack export: " << problem << '\n';
    err << kUsage;
    return 2;
}

int fail(const QString& text) {
    QTextStream(stderr) << "gyrolook-pack export: " << oneLine(text) << '\n';
    return 1;
}

std::optional<Kind> kindOf(const QString& out) {
    const QString suffix = QFileInfo(out).suffix().toLower();
    if (suffix.isEmpty())
        return Kind::Page;
    if (suffix == QLatin1String("webp"))
        return Kind::WebP;
    if (suffix == QLatin1String("gif"))
        return Kind::Gif;
    if (suffix == QLatin1String("mp4"))
        return Kind::Mp4;
    if (suffix == QLatin1String("webm"))
        return Kind::WebM;
    return std::nullopt;
}

// Reads an option only the web page takes; false when `name` is none of them.
bool readPageOption(const QString& name, const QString& value, WebPageExport::Options& page,
                    QString& problem) {
    static const QRegularExpression label(QStringLiteral("^([1-9][0-9]?)=(.+)$"));
    bool whole = false;
    const int number = value.toInt(&whole);
    if (name == QLatin1String("--drag-direction")) {
        page.dragReverse = value == QLatin1String("reverse");
        if (!page.dragReverse && value != QLatin1String("normal"))
            problem = QStringLiteral("--drag-direction must be normal or reverse");
    } else if (name == QLatin1String("--autoplay")) {
        page.autoplay = value == QLatin1String("once") ? WebPageExport::kAutoplayOnce : number;
        if (value != QLatin1String("once") && !(whole && number >= 1 && number <= 3600))
            problem = QStringLiteral("--autoplay must be once or a number of seconds from 1 to "
                                     "3600 without a touch after which the spin plays again");
    } else if (name == QLatin1String("--hotspot-label")) {
        const QRegularExpressionMatch match = label.match(value);
        if (match.hasMatch() && !match.captured(2).trimmed().isEmpty())
            page.hotspotLabels[match.captured(1).toInt()] = match.captured(2).trimmed();
        else
            problem = QStringLiteral("--hotspot-label must be N=TEXT, N the hot spot's number "
                                     "from 1");
    } else {
        return false;
    }
    return true;
}

// Reads one option's value into the request; false and a message when it is wrong.
bool readOption(const QString& name, const QString& value, Request& request, QString& problem) {
    if (readPageOption(name, value, request.page, problem)) {
        request.pageOption = name;
        return problem.isEmpty();
    }
    bool ok = false;
    const double number = value.toDouble(&ok);
    const bool whole = ok && number == double(qRound(number));
    const auto in = [&](double low, double high) { return ok && number >= low && number <= high; };
    if (name == QLatin1String("--size") && whole && in(16, 8192))
        request.size = qRound(number);
    else if (name == QLatin1String("--ring") && whole && in(-9, 9))
        request.ring = qRound(number);
    else if (name == QLatin1String("--seconds") && in(0.1, 600))
        request.seconds = number;
    else if (name == QLatin1String("--loop") && whole && in(0, 65535))
        request.loop = qRound(number);
    else if (name == QLatin1String("--turns") && whole && in(1, 100))
        request.turns = qRound(number);
    else if (name == QLatin1String("--free-memory") && whole && number >= 0)
        request.freeMemory = qint64(number);
    else if (name == QLatin1String("--size"))
        problem = QStringLiteral("--size must be a whole number from 16 to 8192");
    else if (name == QLatin1String("--ring"))
        problem = QStringLiteral("--ring must be a whole number from -9 to 9 (0 the horizontal "
                                 "ring, 1 the first row above, -1 the first row below)");
    else if (name == QLatin1String("--seconds"))
        problem = QStringLiteral("--seconds must be a number from 0.1 to 600");
    else if (name == QLatin1String("--loop"))
        problem = QStringLiteral("--loop must be a whole number from 0 (for ever) to 65535");
    else if (name == QLatin1String("--turns"))
        problem = QStringLiteral("--turns must be a whole number from 1 to 100");
    else if (name == QLatin1String("--free-memory"))
        problem = QStringLiteral("--free-memory must be a number of bytes");
    else
        problem = QStringLiteral("unknown option %1").arg(name);
    return problem.isEmpty();
}

// Reads the arguments; an empty optional and a message when they are wrong.
std::optional<Request> parse(const QStringList& args, QString& problem) {
    Request request;
    QStringList files;
    for (int i = 0; i < args.size(); ++i) {
        const QString& arg = args.at(i);
        if (arg == QLatin1String("--")) {
            files << args.mid(i + 1);
            break;
        }
        if (arg == QLatin1String("--quiet")) {
            request.quiet = true;
        } else if (!arg.startsWith(QLatin1String("--"))) {
            files << arg;
        } else if (i + 1 >= args.size()) {
            problem = QStringLiteral("%1 needs a value").arg(arg);
            return std::nullopt;
        } else if (!readOption(arg, args.at(++i), request, problem)) {
            return std::nullopt;
        }
    }
    if (files.size() != 2) {
        problem = QStringLiteral("give the package and OUT");
        return std::nullopt;
    }
    request.package = files.at(0);
    request.out = files.at(1);
    const std::optional<Kind> kind = kindOf(request.out);
    if (!kind)
        problem =
            QStringLiteral("%1: OUT must be a new folder or end in .webp, .gif, .mp4 or .webm")
                .arg(request.out);
    else if (*kind == Kind::Page && request.ring != 0)
        problem = QStringLiteral("--ring is for animated pictures and videos; the page shows "
                                 "every ring");
    else if (*kind != Kind::Mp4 && *kind != Kind::WebM && request.turns != 1)
        problem = QStringLiteral("--turns is for videos");
    else if (*kind != Kind::Page && !request.pageOption.isEmpty())
        problem = QStringLiteral("%1 is for the web page").arg(request.pageOption);
    if (!problem.isEmpty())
        return std::nullopt;
    request.kind = *kind;
    return request;
}

// What one export wrote, or why it did not.
struct Written {
    bool ok = false;
    QString error;
    QString what;    // a line for the user
    QString snippet; // the page's embed snippet
};

// How many frames (the page: pictures) may be made at once beside the encoder within `free`
// bytes, at most work.ahead; 0 with `problem` set when not even one fits. With --verbose the
// estimate goes to standard error.
int fitInMemory(const ExportMemory::Work& work, qint64 free, QString& problem) {
    const int ahead = ExportMemory::aheadThatFits(work, free);
    if (QCoreApplication::arguments().contains(QStringLiteral("--verbose"))) {
        const ExportMemory::Share made = ExportMemory::aheadShare(work);
        const ExportMemory::Share encoder = ExportMemory::encoderShare(work);
        QTextStream(stderr) << "gyrolook-pack export: memory estimated "
                            << ExportMemory::total(work) << " bytes (" << made.what << " "
                            << made.bytes << ", " << encoder.what << " " << encoder.bytes << "), "
                            << free << " bytes free, " << ahead << " made at once\n";
    }
    if (ahead == 0)
        problem = ExportMemory::refusal(work, free);
    return ahead;
}

Written writePage(const Request& request, const OpenedSpinSource& source, const QString& path,
                  ProgressReporter& progress, qint64 free) {
    WebPageExport::Options options = request.page;
    options.longestSide = request.size.value_or(options.longestSide);
    options.turnSeconds = request.seconds;
    const SpinLayout& layout = source.layout();
    const WebPageExport::Sizes sizes =
        WebPageExport::pictureSizes(layout.pictureSize, options.longestSide);
    ExportMemory::Work work;
    work.kind = Kind::Page;
    work.frame = sizes.page;
    work.large = sizes.large;
    work.frames = int(std::count_if(layout.memberNames.begin(), layout.memberNames.end(),
                                    [](const QString& name) { return !name.isEmpty(); }));
    work.decodeBytes = source.bytesPerDecode(sizes.large.isValid() ? sizes.large : sizes.page);
    work.ahead = std::max(1, std::min(QThread::idealThreadCount(), 4));
    Written written;
    options.threads = fitInMemory(work, free, written.error);
    if (options.threads == 0)
        return written;
    WebPageExport page(source, options);
    written.ok = page.write(path, progress);
    written.error = page.error();
    written.what =
        QStringLiteral("a web page, pictures %1 x %2").arg(page.width()).arg(page.height());
    if (page.largeWidth())
        written.what += QStringLiteral(" and %1 wide for sharp screens").arg(page.largeWidth());
    written.snippet = page.embedSnippet(QFileInfo(request.out).fileName());
    return written;
}

Written writeRing(const Request& request, const OpenedSpinSource& source, const QString& path,
                  ProgressReporter& progress, qint64 free) {
    Written written;
    const bool video = request.kind == Kind::Mp4 || request.kind == Kind::WebM;
    const int longestSide = request.size.value_or(video ? 1280 : 640);
    const RingFrames frames =
        RingFrames::plan(source, request.ring, longestSide, request.seconds, video, written.error);
    if (frames.slots.empty())
        return written;
    ExportMemory::Work work;
    work.kind = request.kind;
    work.frame = frames.size;
    work.frames = int(frames.slots.size());
    work.turns = video ? request.turns : 1;
    work.decodeBytes = source.bytesPerDecode(frames.size);
    work.ahead = std::max(1, QThread::idealThreadCount());
    const int ahead = fitInMemory(work, free, written.error);
    if (ahead == 0)
        return written;
    if (video) {
        VideoExport::Options options;
        options.format =
            request.kind == Kind::Mp4 ? VideoExport::Format::Mp4 : VideoExport::Format::WebM;
        options.longestSide = longestSide;
        options.turns = request.turns;
        options.ahead = ahead;
        VideoExport exporter(source, frames, options);
        written.ok = exporter.write(path, progress);
        written.error = exporter.error();
    } else {
        AnimatedExport::Options options;
        options.format =
            request.kind == Kind::WebP ? AnimatedExport::Format::WebP : AnimatedExport::Format::Gif;
        options.longestSide = longestSide;
        options.loop = request.loop;
        options.ahead = ahead;
        AnimatedExport exporter(source, frames, options);
        written.ok = exporter.write(path, progress);
        written.error = exporter.error();
    }
    const int turns = video ? request.turns : 1;
    written.what = QStringLiteral("%1 frames of %2 x %3, %4 s")
                       .arg(int(frames.slots.size()) * turns)
                       .arg(frames.size.width())
                       .arg(frames.size.height())
                       .arg(request.seconds * turns);
    return written;
}

} // namespace

int runExport(const QStringList& args) {
    QString problem;
    const std::optional<Request> request = parse(args, problem);
    if (!request)
        return usage(problem);
    if (QFileInfo::exists(request->out) || QFileInfo(request->out).isSymLink())
        return fail(QStringLiteral("%1 exists already; not overwritten").arg(request->out));

    ProgressReporter progress(QStringLiteral("export"), request->quiet);
    std::unique_ptr<FreeMemorySource> memory;
    if (request->freeMemory)
        memory = std::make_unique<FixedFreeMemory>(*request->freeMemory);
    else
        memory = std::make_unique<SystemFreeMemory>();
    const FreeMemorySource& freeMemory = *memory;
    OpenedSpinSource source(progress, std::move(memory));
    if (!source.open(request->package))
        return fail(source.message());

    ExportTarget target;
    const bool page = request->kind == Kind::Page;
    if (!target.begin(request->out, page ? ExportTarget::Kind::Folder : ExportTarget::Kind::File))
        return fail(target.error());
    const qint64 free = freeMemory.availableBytes();
    const Written written = page ? writePage(*request, source, target.path(), progress, free)
                                 : writeRing(*request, source, target.path(), progress, free);
    if (!written.ok) {
        // A picture whose file could not be read is refused as the viewer refuses it.
        if (const QString unread = source.readProblem(); !unread.isEmpty())
            return fail(unread);
        // The writers name the hidden file they write: the user knows OUT.
        return fail(QString(written.error).replace(target.path(), request->out));
    }
    if (!target.commit())
        return fail(target.error());
    QTextStream out(stdout);
    out << "wrote " << request->out << ": " << written.what << '\n';
    if (!written.snippet.isEmpty())
        out << "To show it in another page beside the folder, paste:\n" << written.snippet << '\n';
    return 0;
}
