// turn_bench [--camera | --loading] PKG.360 [PKG.360 ...]
//
// With --loading, only the opening's loading: the held key right after the opening (the
// `loading` lines below) and then, in a fresh window left alone,
//   loaded decoded first_shown_ms <ms> all_held_ms <ms> background_ms <ms> pictures <n>
// (from the opening's start to its first picture shown and to its last picture held).
//
// With --camera (photos larger than the screen; run it on a screen of the size wanted, e.g.
// QT_QPA_PLATFORM=offscreen:configfile=bench/screen-1920x1080.json): see turn/CameraTurning.h,
// lines:
//   loading <storage> zoom <z> presses <n> shown <n> most_behind <n> shown_after count .. max ..
//           decodes <n> views <n>
//   level <storage> 1/<s> <w>x<h>
//   steady <storage> zoom <z> count .. ; copy paced <bytes> count ..
//   zoom100 <storage> turned|rested first_paint <ms> regions <n> part <w>x<h>
//           region_decode_median <ms>
//   steady <storage> zoom 20 count .. decodes <n> views <n> behind <0|1>
//   held <storage> zoom 20 presses <n> shown <n> most_behind <n> shown_after count .. max ..
//        decodes <n> views <n>
//   decode <storage> whole_median <ms>
// `most_behind` is the most positions the picture on screen trailed a held key's presses (1: the
// press just made); `shown_after` the times from each press until its position was on screen.
// Otherwise:
//
// Times turning the object in the real main window: for every package, with the pictures held
// decoded and held compressed, at zoom 20 (100 %) and 80 (400 %), every picture of the package is
// shown once through a scroll-bar change (the horizontal ring through HscrArray, the rings through
// VscrArray), and each time is measured from setting the bar's value until imgMain's paint event
// has finished (an immediate repaint). In both modes it also turns the horizontal ring at a held
// arrow's pace (one step every 50 ms, the time between used by the work ahead; at least 200 steps,
// so that the p99 is not merely the slowest step) at zoom 80 and 20, and at zoom 20 reverses
// after every fifth step. A window larger than its screen is kept within the screen's available
// area by the viewer itself. Beside it, the time of one plain copy of a decoded picture's 32-bit
// pixels, back to back and at the held arrow's pace (each copy after the same pause as a steady
// step: on a machine whose caches and clock fall back while it waits, the fair measure of a
// steady step), and of one decode of a compressed picture, measured in the same run. Prints plain
// lines (times in ms; `decodes` counts the pictures that had to be decoded when shown, `views` the
// turns painted from views made ahead):
//   loading <decoded|compressed> zoom <z> presses .. (as with --camera)
//   package <path> pictures <n> size <w>x<h>
//   window <w>x<h> zoom <z>
//   turn <decoded|compressed> zoom <z> count <n> min <ms> median <ms> p99 <ms> max <ms>
//        decodes <n> views <n>
//   steady <decoded|compressed> zoom 80|20 count <n> min .. decodes <n> views <n>
//   reversal <decoded|compressed> zoom 20 count <n> min .. decodes <n> views <n>
//   copy <bytes> median <ms>
//   copy paced <bytes> count <n> min <ms> median <ms> p99 <ms> max <ms>
//   decode <bytes> median <ms>
// The window runs on Qt's offscreen platform unless QT_QPA_PLATFORM says otherwise. Exit status
// 0, 1 when a package does not open, 2 for a wrong command line; the figures are never judged.
#include "turn/CameraTurning.h"
#include "turn/TurnWindow.h"

#include "support/BenchFigures.h"

#include "pictures/Picture.h"
#include "pictures/PictureDecoder.h"
#include "toolkit/ImageArray.h"
#include "toolkit/ImageControl.h"
#include "toolkit/ScrollBar.h"

#include <QApplication>
#include <algorithm>
#include <functional>

namespace {

// How many rows the ring starting at `start` has: up to the next ring's first slot or the end.
int ringRows(const frmMain& window, std::uint8_t start) {
    if (start == 255)
        return 0;
    int next = window.imgArray->upperBound() + 1;
    for (const auto* map : {&window.UpperRing, &window.LowerRing})
        for (std::uint8_t other : *map)
            if (other != 255 && other > start)
                next = std::min(next, int(other));
    return std::min(next - start, 9);
}

// Shows every picture once, each through one scroll-bar change, and returns the times.
std::vector<double> turnThroughEveryPicture(frmMain& window) {
    std::vector<double> times;
    auto timed = [&](const std::function<void()>& change) {
        const auto start = Clock::now();
        change();
        window.imgMain->repaint();
        times.push_back(msSince(start));
    };
    const int n = window.iHCount;
    for (int k = 1; k <= n; ++k) {
        timed([&] { window.HscrArray->setValue(k); }); // k = n wraps round to column 0
        const auto column = std::size_t(window.HscrArray->value());
        const int up = ringRows(window, window.UpperRing[column]);
        const int down = ringRows(window, window.LowerRing[column]);
        for (int v = 2; v <= up + 1; ++v)
            timed([&] { window.VscrArray->setValue(v); });
        for (int v = 0; v >= 1 - down; --v)
            timed([&] { window.VscrArray->setValue(v); });
        if (up + down > 0) {
            window.VscrArray->setValue(1); // back to the horizontal ring, not timed
            window.imgMain->repaint();
        }
        QApplication::processEvents(); // the fields and bars repaint outside the timing
    }
    return times;
}

// The median time of decoding a compressed picture's bytes as a decoded picture holds them.
double decodeMs(const QByteArray& bytes) {
    std::vector<double> times;
    for (int i = 0; i < 16; ++i) {
        const auto start = Clock::now();
        const Picture::Pixels pixels = decodePicture(bytes).pixels;
        times.push_back(msSince(start));
    }
    return median(times);
}

// Opens one package in a fresh main window for each storage mode and zoom; false when it fails.
bool benchPackage(const QString& path, QTextStream& out) {
    if (!benchTurningWhileLoading(path, out))
        return false;
    QImage decodedFirst;
    QByteArray encodedFirst;
    for (const bool useRam : {true, false}) {
        BenchWindow bench;
        if (!bench.open(path, useRam, out))
            return false;
        frmMain& window = *bench.window;
        const PicturePtr first = window.imgArray->at(0)->picture();
        if (useRam) {
            int held = 0;
            for (int i = 0; i <= window.imgArray->upperBound(); ++i)
                held += window.imgArray->at(i) && window.imgArray->at(i)->picture() ? 1 : 0;
            out << "package " << path << " pictures " << held << " size " << first->size().width()
                << 'x' << first->size().height() << Qt::endl;
            decodedFirst = first->image();
        }
        const char* storage = useRam ? "decoded" : "compressed";
        for (const int zoom : {20, 80}) {
            window.hscrlZoom->setValue(zoom);
            QApplication::processEvents();
            reportWindow(window, out);
            const Counts before = Counts::now(window);
            const std::vector<double> times = turnThroughEveryPicture(window);
            out << "turn " << storage << " zoom " << zoom << ' ' << figures(times)
                << Counts::now(window).since(before) << Qt::endl;
        }
        // Turning at a held arrow's pace, at 400 % and at 100 %, where it also reverses.
        for (const int zoom : {80, 20}) {
            window.hscrlZoom->setValue(zoom);
            QApplication::processEvents();
            reportWindow(window, out);
            const Counts steadyBefore = Counts::now(window);
            const std::vector<double> steady =
                turnAtPace(window, steadySteps(window.iHCount), 0).first;
            out << "steady " << storage << " zoom " << zoom << ' ' << figures(steady)
                << Counts::now(window).since(steadyBefore) << Qt::endl;
        }
        const Counts reversalsBefore = Counts::now(window);
        const std::vector<double> reversed = turnAtPace(window, window.iHCount, 5).second;
        out << "reversal " << storage << " zoom 20 " << figures(reversed)
            << Counts::now(window).since(reversalsBefore) << Qt::endl;
        if (!useRam)
            encodedFirst = first->encodedBytes();
        window.removePackageFolder();
    }
    out << "copy " << decodedFirst.sizeInBytes() << " median "
        << ms(median(plainCopyTimes(decodedFirst, 64, [] {}))) << Qt::endl;
    out << "copy paced " << decodedFirst.sizeInBytes() << ' '
        << figures(plainCopyTimes(decodedFirst, steadySteps(0), pauseAsBetweenRepeats)) << Qt::endl;
    out << "decode " << encodedFirst.size() << " median " << ms(decodeMs(encodedFirst)) << Qt::endl;
    return true;
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTextStream out(stdout);
    QStringList packages = QApplication::arguments().mid(1);
    const bool camera = packages.removeAll(QStringLiteral("--camera")) > 0;
    const bool loading = packages.removeAll(QStringLiteral("--loading")) > 0;
    if (packages.isEmpty()) {
        QTextStream(stderr) << "usage: turn_bench [--camera | --loading] PKG.360 [PKG.360 ...]"
                            << Qt::endl;
        return 2;
    }
    out << "platform " << QApplication::platformName() << Qt::endl;
    const auto bench = [&](const QString& path) {
        if (loading)
            return benchTurningWhileLoading(path, out) && benchLoadingInBackground(path, out);
        return camera ? benchCamera(path, out) : benchPackage(path, out);
    };
    for (const QString& path : packages)
        if (!bench(path))
            return 1;
    return 0;
}
