// gyrolook-pack export PKG.360 OUT [--size S] [--ring K] [--seconds T] [--loop N] [--turns N]
// Shares a package outside the viewer. What is written follows OUT's name:
//   OUT (no extension)  a folder with a turnable web page
//   OUT.webp, OUT.gif   an animated picture of one turn of a ring
//   OUT.mp4, OUT.webm   a video of one or more turns of a ring
// The package is opened the way the viewer opens it (and refused with its message) before
// anything is written. The export is written under a hidden name beside OUT and moved to OUT when
// whole; OUT is never overwritten, and an interrupt leaves nothing behind. Progress goes to
// standard error.
#include "tools/Commands.h"
#include "tools/export/AnimatedExport.h"
#include "tools/export/ExportInterrupt.h"
#include "tools/export/ExportProgress.h"
#include "tools/export/ExportTarget.h"
#include "tools/export/OpenedSpinSource.h"
#include "tools/export/RingFrames.h"
#include "tools/export/SpinMoves.h"
#include "tools/export/VideoExport.h"
#include "tools/export/WebPageExport.h"

#include <QFileInfo>
#include <QTextStream>
#include <optional>

namespace {

enum class Kind { Page, WebP, Gif, Mp4, WebM };

struct Request {
    QString package;
    QString out;
    Kind kind = Kind::Page;
    std::optional<int> size;
    int ring = 0;
    double seconds = 6.0;
    int loop = 0;
    int turns = 1;
};

const char* const kUsage =
    "usage: gyrolook-pack export PKG.360 OUT [--size S] [--ring K] [--seconds T] [--loop N] "
    "[--turns N]\n"
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
    QTextStream(stderr) << "gyrolook-pack export: " << text << '\n';
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

// Reads the arguments; an empty optional and a message when they are wrong.
std::optional<Request> parse(const QStringList& args, QString& problem) {
    Request request;
    QStringList files;
    for (int i = 0; i < args.size(); ++i) {
        const QString& arg = args.at(i);
        if (!arg.startsWith(QLatin1String("--")) || arg == QLatin1String("--")) {
            if (arg != QLatin1String("--"))
                files << arg;
            else
                files << args.mid(i + 1);
            if (arg == QLatin1String("--"))
                break;
            continue;
        }
        if (i + 1 >= args.size()) {
            problem = QStringLiteral("%1 needs a value").arg(arg);
            return std::nullopt;
        }
        const QString value = args.at(++i);
        bool ok = false;
        if (arg == QLatin1String("--size")) {
            const int size = value.toInt(&ok);
            if (!ok || size < 16 || size > 8192) {
                problem = QStringLiteral("--size must be a whole number from 16 to 8192");
                return std::nullopt;
            }
            request.size = size;
        } else if (arg == QLatin1String("--ring")) {
            request.ring = value.toInt(&ok);
            if (!ok || request.ring < -9 || request.ring > 9) {
                problem = QStringLiteral("--ring must be a whole number from -9 to 9 (0 the "
                                         "horizontal ring, 1 the first row above, -1 the first "
                                         "row below)");
                return std::nullopt;
            }
        } else if (arg == QLatin1String("--seconds")) {
            request.seconds = value.toDouble(&ok);
            if (!ok || !(request.seconds >= 0.1 && request.seconds <= 600)) {
                problem = QStringLiteral("--seconds must be a number from 0.1 to 600");
                return std::nullopt;
            }
        } else if (arg == QLatin1String("--loop")) {
            request.loop = value.toInt(&ok);
            if (!ok || request.loop < 0 || request.loop > 65535) {
                problem = QStringLiteral("--loop must be a whole number from 0 (for ever) to "
                                         "65535");
                return std::nullopt;
            }
        } else if (arg == QLatin1String("--turns")) {
            request.turns = value.toInt(&ok);
            if (!ok || request.turns < 1 || request.turns > 100) {
                problem = QStringLiteral("--turns must be a whole number from 1 to 100");
                return std::nullopt;
            }
        } else {
            problem = QStringLiteral("unknown option %1").arg(arg);
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
    if (!kind) {
        problem = QStringLiteral("%1: OUT must be a new folder or end in .webp, .gif, .mp4 or "
                                 ".webm")
                      .arg(request.out);
        return std::nullopt;
    }
    request.kind = *kind;
    if (request.kind == Kind::Page && request.ring != 0) {
        problem = QStringLiteral("--ring is for animated pictures and videos; the page shows "
                                 "every ring");
        return std::nullopt;
    }
    if (request.kind != Kind::Mp4 && request.kind != Kind::WebM && request.turns != 1) {
        problem = QStringLiteral("--turns is for videos");
        return std::nullopt;
    }
    return request;
}

} // namespace

int runExport(const QStringList& args) {
    QString problem;
    const std::optional<Request> request = parse(args, problem);
    if (!request)
        return usage(problem);
    if (QFileInfo::exists(request->out) || QFileInfo(request->out).isSymLink())
        return fail(QStringLiteral("%1 exists already; not overwritten").arg(request->out));

    const ExportInterrupt interrupt;
    ExportProgress progress;
    OpenedSpinSource source;
    if (!source.open(request->package))
        return fail(source.message());
    if (ExportInterrupt::requested())
        return 128 + ExportInterrupt::signalNumber();

    ExportTarget target;
    const bool folder = request->kind == Kind::Page;
    if (!target.begin(request->out, folder ? ExportTarget::Kind::Folder : ExportTarget::Kind::File))
        return fail(target.error());

    QString error;
    bool written = false;
    QString what;
    QString snippet;
    if (request->kind == Kind::Page) {
        WebPageExport::Options options;
        options.longestSide = request->size.value_or(options.longestSide);
        options.turnSeconds = request->seconds;
        WebPageExport page(source, options);
        written = page.write(target.path(), progress);
        error = page.error();
        what = QStringLiteral("a web page, pictures %1 x %2").arg(page.width()).arg(page.height());
        snippet = page.embedSnippet(QFileInfo(request->out).fileName());
    } else {
        const bool video = request->kind == Kind::Mp4 || request->kind == Kind::WebM;
        const int longestSide = request->size.value_or(video ? 1280 : 640);
        const RingFrames frames =
            RingFrames::plan(source, request->ring, longestSide, request->seconds, video, error);
        if (frames.slots.empty())
            return fail(error);
        if (video) {
            VideoExport::Options options;
            options.format =
                request->kind == Kind::Mp4 ? VideoExport::Format::Mp4 : VideoExport::Format::WebM;
            options.longestSide = longestSide;
            options.turns = request->turns;
            VideoExport exporter(source, frames, options);
            written = exporter.write(target.path(), progress);
            error = exporter.error();
        } else {
            AnimatedExport::Options options;
            options.format = request->kind == Kind::WebP ? AnimatedExport::Format::WebP
                                                         : AnimatedExport::Format::Gif;
            options.longestSide = longestSide;
            options.loop = request->loop;
            AnimatedExport exporter(source, frames, options);
            written = exporter.write(target.path(), progress);
            error = exporter.error();
        }
        const int frameCount = int(frames.slots.size()) * (video ? request->turns : 1);
        what = QStringLiteral("%1 frames of %2 x %3, %4 s")
                   .arg(frameCount)
                   .arg(frames.size.width())
                   .arg(frames.size.height())
                   .arg(request->seconds * (video ? request->turns : 1));
    }
    if (written && !ExportInterrupt::requested() && target.commit()) {
        QTextStream out(stdout);
        out << "wrote " << request->out << ": " << what << '\n';
        if (!snippet.isEmpty())
            out << "To show it in another page beside the folder, paste:\n" << snippet << '\n';
        return 0;
    }
    if (ExportInterrupt::requested()) {
        target.discard();
        return 128 + ExportInterrupt::signalNumber();
    }
    if (written)
        return fail(target.error());
    return fail(error);
}
