// open_bench PKG.360 [--runs K] [--compressed] [--screen WxH]
//
// With --screen, photos larger than a screen of that available area are held at the size the
// viewer opens them at (their screen level), as the viewer does.
//
// Times the opening of a package through the headless pipeline (extraction, descriptor, probe of
// the first picture, memory check, picture loading), each run into a fresh private folder, and
// compares it, in the same process, with decoding the package's JPEG pictures one after another on
// one thread with libjpeg-turbo. Prints plain lines:
//   stage <name> <ms>     median over the runs, one line per step (the pictures whose decoding
//                         starts while the extraction runs are decoded partly in `extract`)
//   early_pictures <n>    how many pictures that was in the first run
//   held_bytes <n>        the bytes the opened pictures hold (JPEG planes, pixels or files)
//   first_open <ms>       the first opening of this fresh process (fresh memory for every picture)
//   total <ms>            median of the runs' totals
//   peak_rss_kib <n>      peak resident memory after the openings (baseline_rss_kib: before them,
//                         with the reference's picture bytes and frame)
//   serial_decode <ms>    median of the serial decodes, one right after each opening
//   ratio <x>             median of each opening's time over the serial decode that follows it;
//                         the target is at most 0.65 (ratio_first: the first opening's, which
//                         takes fresh memory for every picture)
//   serial_decode_kept <ms>  the same decodes, each picture into memory of its own that is kept
//                         to the end, as the opening keeps them (fresh memory included)
//   ratio_kept <x>        total / serial_decode_kept
// and a few lines that describe the run. Exit status 0 unless the package fails to open (1) or
// the command line is wrong (2); the figures are never judged here.
#include "support/BenchFigures.h"
#include "support/OpenBenchOptions.h"
#include "support/PackagePictures.h"
#include "support/SerialJpegDecoder.h"

#include "format/OptionSettings.h"
#include "format/PackageCounters.h"
#include "format/ProgressSink.h"
#include "format/Prompter.h"
#include "opening/PackageOpening.h"
#include "opening/PrivateFolder.h"
#include "opening/SystemFreeMemory.h"
#include "pictures/PictureSlots.h"
#include "pictures/PixelPool.h"
#include "view/WholePicture.h"

#include <QCoreApplication>
#include <QTextStream>
#include <array>
#include <chrono>

namespace {

constexpr double kTargetRatio = 0.65;

// Answers nothing: no message is shown, every question is cancelled, every input box left empty.
class SilentPrompter : public Prompter {
public:
    void message(const QString&) override {}
    Reply askYesNoCancel(const QString&, const QString&) override { return Reply::Cancel; }
    QString inputBox(const QString&, const QString&) override { return QString(); }
};

using Clock = std::chrono::steady_clock;

double msSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

enum Stage { Release, Extract, Descriptor, Probe, Memory, Load, StageCount };
constexpr std::array<const char*, StageCount> kStageNames = {"release", "extract", "descriptor",
                                                             "probe",   "memory",  "load"};

struct Run {
    std::array<double, StageCount> stageMs{};
    double totalMs = 0;
    double cpuMs = 0;
    int held = 0;
    qint64 heldBytes = 0;
    int early = 0; // pictures decoded while the extraction ran
    int width = 0;
    int height = 0;
    QString storage;
};

// One opening into a fresh private folder, replacing the package opened before as the viewer
// does: the previous package's pictures are released first (their pixel memory is recycled for
// the new pictures), then the new package is opened and kept in `shown`. False with `problem` set
// when it does not open.
bool openOnce(const OpenBenchOptions& options, PictureSlots& shown, Run& run, QString& problem) {
    PixelPool::Recycling recycling;
    PrivateFolder folder;
    if (!folder.isValid()) {
        problem = QStringLiteral("no private folder: %1").arg(folder.errorString());
        return false;
    }
    NullProgressSink progress;
    SilentPrompter prompter;
    SystemFreeMemory memory;
    OptionSettings settings;
    settings.bOptUseRam = !options.compressed;
    PackageOpening opening(progress, prompter, memory, settings);
    if (options.screen.isValid())
        opening.setOpeningShown([screen = options.screen](QSize natural) {
            return openingShownPixels(natural, screen, 20, 0);
        });
    PictureSlots slots;

    packageCounters().reset();
    const double cpuStart = processCpuMs();
    const auto timed = [&run](Stage stage, auto&& step) {
        const Clock::time_point start = Clock::now();
        const bool ok = step();
        run.stageMs[stage] = msSince(start);
        run.totalMs += run.stageMs[stage];
        return ok;
    };
    const bool ok =
        timed(Release,
              [&] {
                  shown.clear();
                  return true;
              }) &&
        timed(Extract, [&] { return opening.extract(options.package, folder.path()); }) &&
        timed(Descriptor, [&] { return opening.readDescriptor(); }) &&
        timed(Probe, [&] { return opening.probeFirstPicture(); }) &&
        timed(Memory, [&] { return opening.checkMemory(); }) &&
        timed(Load, [&] { return opening.loadPictures(slots); });
    run.cpuMs = processCpuMs() - cpuStart;
    if (!ok) {
        problem = opening.problem();
        return false;
    }
    shown = std::move(slots);
    run.held = shown.heldCount();
    for (const PicturePtr& picture : shown.pictures)
        run.heldBytes += picture ? picture->heldBytes() : 0;
    run.early = opening.earlyPictureCount();
    run.width = opening.pictureWidth();
    run.height = opening.pictureHeight();
    run.storage = opening.memory().storage == PictureStorage::Compressed
                      ? QStringLiteral("compressed")
                      : QStringLiteral("decoded");
    return true;
}

// Decodes every picture once, one after another; the time covers the decode loop only.
// Decodes every picture on this thread. With one decoder for all, each picture is decoded into
// the same reused frame; with one decoder per picture, each into a frame of its own that is kept
// until the series ends, as the opening keeps every picture (that includes the cost of the fresh
// memory the kept pictures take).
bool decodeSerially(const PackagePictures& pictures, std::vector<SerialJpegDecoder>& decoders,
                    double& ms, QString& problem) {
    const Clock::time_point start = Clock::now();
    for (std::size_t i = 0; i < pictures.pictures.size(); ++i) {
        const PackagePicture& picture = pictures.pictures[i];
        SerialJpegDecoder& decoder = decoders[decoders.size() == 1 ? 0 : i];
        const SerialJpegDecoder::Result result = decoder.decode(picture.bytes);
        if (!result.ok) {
            problem = QStringLiteral("%1 does not decode: %2").arg(picture.name, result.error);
            return false;
        }
    }
    ms = msSince(start);
    return true;
}

// The median of `runs` serial decodes of the pictures, each picture kept in a frame of its own, as
// the opening keeps them; -1 with `problem` said when a picture does not decode.
double serialKeptDecodeMs(const PackagePictures& pictures, int runs, QString& problem) {
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        std::vector<SerialJpegDecoder> decoders(pictures.pictures.size());
        double ms = 0;
        if (!decodeSerially(pictures, decoders, ms, problem))
            return -1;
        times.push_back(ms);
    }
    return median(times);
}

// Prints the figures of the openings (the first one's and the medians); returns the median total.
double reportOpenings(QTextStream& out, const std::vector<Run>& runs, qint64 peakKib) {
    const Run& first = runs.front();
    out << "pictures " << first.held << ' ' << first.width << 'x' << first.height << '\n';
    out << "storage " << first.storage << '\n';
    out << "early_pictures " << first.early << '\n';
    out << "held_bytes " << first.heldBytes << '\n';
    out << "first_open " << formatMs(first.totalMs) << '\n';
    for (int stage = 0; stage < StageCount; ++stage) {
        std::vector<double> ms;
        for (const Run& run : runs)
            ms.push_back(run.stageMs[stage]);
        out << "stage " << kStageNames[stage] << ' ' << formatMs(median(ms)) << '\n';
    }
    std::vector<double> totals;
    std::vector<double> cpu;
    for (const Run& run : runs) {
        totals.push_back(run.totalMs);
        cpu.push_back(run.cpuMs);
    }
    const double total = median(totals);
    out << "total " << formatMs(total) << '\n';
    out << "cpu " << formatMs(median(cpu)) << '\n';
    out << "peak_rss_kib " << peakKib << '\n';
    out.flush();
    return total;
}

// The serial decodes paired with the openings, and why there are none.
struct SerialRuns {
    const std::vector<double>& ms;
    const std::vector<double>& ratios;
    QString problem;
};

// Prints the reference's figures: the serial decodes paired with the openings (`total` their
// median), their ratios and the serial decode of `runs` more, each picture kept in its own frame.
void reportSerial(QTextStream& out, QTextStream& err, const PackagePictures& pictures,
                  SerialRuns serial, double total, int runs) {
    if (!serial.problem.isEmpty()) {
        err << "open_bench: no serial decode: " << serial.problem << '\n';
        return;
    }
    const double serialKeptMs = serialKeptDecodeMs(pictures, runs, serial.problem);
    if (serialKeptMs < 0) {
        err << "open_bench: no serial decode: " << serial.problem << '\n';
        return;
    }
    const double serialMs = median(serial.ms);
    out << "serial_pictures " << pictures.pictures.size() << '\n';
    out << "serial_decode " << formatMs(serialMs) << '\n';
    out << "ratio " << QString::number(median(serial.ratios), 'f', 3) << '\n';
    out << "ratio_first " << QString::number(serial.ratios.front(), 'f', 3) << '\n';
    out << "serial_decode_kept " << formatMs(serialKeptMs) << '\n';
    out << "ratio_kept " << QString::number(total / serialKeptMs, 'f', 3) << '\n';
    out << "target " << kTargetRatio << '\n';
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    QTextStream err(stderr);
    const OpenBenchOptions options = OpenBenchOptions::parse(QCoreApplication::arguments().mid(1));
    if (!options.error.isEmpty()) {
        err << "open_bench: " << options.error << '\n' << OpenBenchOptions::usage() << '\n';
        return 2;
    }

    out << "package " << options.package << '\n' << "runs " << options.runs << '\n';
    out.flush();

    // The reference: the same pictures, read into memory beforehand, decoded on this one thread.
    // Each opening is followed at once by one serial decode of the whole package, so the two of a
    // pair meet the machine in the same state; the ratio is the median of the pairs' ratios.
    const PackagePictures pictures = readPackagePictures(options.package);
    QString noSerial;
    if (!pictures.ok || pictures.pictures.empty())
        noSerial =
            pictures.ok ? QStringLiteral("the package holds no JPEG picture") : pictures.error;
    std::vector<SerialJpegDecoder> reused(1); // one frame for every picture of every run
    auto decodeReused = [&](double& ms) {
        return noSerial.isEmpty() && decodeSerially(pictures, reused, ms, noSerial);
    };

    std::vector<Run> runs;
    std::vector<double> serial;
    std::vector<double> ratios;
    PictureSlots shown; // the package opened last, replaced by the next opening
    double warmUp = 0;
    decodeReused(warmUp); // the reused frame is mapped before the first pair
    // What the process holds before the first opening, the reference's bytes and frame included.
    out << "baseline_rss_kib " << currentResidentKib() << '\n';
    for (int i = 0; i < options.runs; ++i) {
        Run run;
        QString problem;
        if (!openOnce(options, shown, run, problem)) {
            err << "open_bench: the package does not open:\n" << problem << '\n';
            return 1;
        }
        out << "run " << i + 1 << ' ' << formatMs(run.totalMs) << " cpu " << formatMs(run.cpuMs);
        double ms = 0;
        if (decodeReused(ms)) {
            serial.push_back(ms);
            ratios.push_back(run.totalMs / ms);
            out << " serial " << formatMs(ms) << " ratio "
                << QString::number(ratios.back(), 'f', 3);
        }
        out << '\n';
        out.flush();
        runs.push_back(run);
    }
    const qint64 peakKib = peakResidentKib();

    const double total = reportOpenings(out, runs, peakKib);
    reportSerial(out, err, pictures, {serial, ratios, noSerial}, total, options.runs);
    return 0;
}
