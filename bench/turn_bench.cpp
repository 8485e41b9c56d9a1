// turn_bench [--camera] PKG.360 [PKG.360 ...]
//
// With --camera (photos larger than the screen; run it on a screen of the size wanted, e.g.
// QT_QPA_PLATFORM=offscreen:configfile=bench/screen-1920x1080.json), for each storage mode: the
// screen level, turning at the zoom the package opens at at a held arrow's pace beside one paced
// copy of a frame of the picture control's size, the first paint after a zoom to 100 % beside one
// decode of the part it shows, and 40 steps at 100 % at that pace (`behind` 1 when a painted step
// did not show the bar's picture):
//   level <storage> 1/<s> <w>x<h>
//   steady <storage> zoom <z> count .. ; copy paced <bytes> count ..
//   zoom100 <storage> turned|rested first_paint <ms> regions <n> part <w>x<h>
//           region_decode_median <ms>
//   steady <storage> zoom 20 count .. decodes <n> views <n> behind <0|1>
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
#include "support/BenchFigures.h"
#include "support/Percentile.h"

#include "format/OptionSettings.h"
#include "format/Prompter.h"
#include "opening/SystemFreeMemory.h"
#include "pictures/JpegDecoder.h"
#include "pictures/Picture.h"
#include "pictures/PictureDecoder.h"
#include "pictures/PictureKeeper.h"
#include "pictures/PicturePainter.h"
#include "pictures/ViewsAhead.h"
#include "sound/MediaControl.h"
#include "toolkit/ImageArray.h"
#include "toolkit/ImageControl.h"
#include "toolkit/Program.h"
#include "toolkit/ScrollBar.h"
#include "view/frmMain.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFileInfo>
#include <QTextStream>
#include <QTimer>
#include <QWindow>
#include <algorithm>
#include <chrono>
#include <cstring>
#include <functional>
#include <memory>

namespace {

// The pictures decoded when shown and the turns painted from views made ahead, so far.
struct Counts {
    qint64 decodes = 0;
    qint64 views = 0;
    static Counts now(frmMain& window) {
        return {window.pictureKeeper().shownDecodes(), ViewsAhead::shownCount()};
    }
    QString since(const Counts& before) const {
        return QStringLiteral(" decodes %1 views %2")
            .arg(decodes - before.decodes)
            .arg(views - before.views);
    }
};

// Collects messages instead of showing them; questions are cancelled.
class CollectingPrompter : public Prompter {
public:
    QStringList messages;
    void message(const QString& text) override { messages.append(text); }
    Reply askYesNoCancel(const QString&, const QString&) override { return Reply::Cancel; }
    QString inputBox(const QString&, const QString&) override { return QString(); }
};

using Clock = std::chrono::steady_clock;

double msSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

QString ms(double value) {
    return QString::number(value, 'f', 3);
}

void waitExposed(QWidget& window) {
    QElapsedTimer waited;
    waited.start();
    while (!(window.windowHandle() && window.windowHandle()->isExposed()) &&
           waited.elapsed() < 5000)
        QApplication::processEvents(QEventLoop::AllEvents, 50);
    QApplication::processEvents();
}

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

// The time between two steps of a held arrow; the event loop runs meanwhile, as it does between
// a held key's repeats (the work ahead is done then).
void pauseAsBetweenRepeats() {
    QEventLoop pause;
    QTimer::singleShot(50, &pause, &QEventLoop::quit);
    pause.exec();
}

// The steps a steady turn takes: the ring twice round, and at least enough for a p99 that is not
// just the slowest step.
int steadySteps(int ringColumns) {
    return std::max(2 * ringColumns, 200);
}

// The times of copying the bytes of a decoded picture `count` times, each after `pause`.
std::vector<double> plainCopyTimes(const QImage& image, int count,
                                   const std::function<void()>& pause) {
    std::vector<uchar> target(std::size_t(image.sizeInBytes()));
    std::vector<double> times;
    for (int i = 0; i < count; ++i) {
        pause();
        const auto start = Clock::now();
        std::memcpy(target.data(), image.constBits(), target.size());
        times.push_back(msSince(start));
    }
    volatile uchar sink = target[target.size() / 2];
    (void)sink;
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

QString figures(const std::vector<double>& times) {
    return QStringLiteral("count %1 min %2 median %3 p99 %4 max %5")
        .arg(times.size())
        .arg(ms(*std::min_element(times.begin(), times.end())), ms(median(times)),
             ms(percentile(times, 99)), ms(*std::max_element(times.begin(), times.end())));
}

// Lets the window settle at the new zoom (the viewer keeps it within its screen's available
// area) and says its size.
void reportWindow(frmMain& window, QTextStream& out) {
    QApplication::processEvents();
    out << "window " << window.width() << 'x' << window.height() << " zoom "
        << window.hscrlZoom->value() << Qt::endl;
}

// Turns the horizontal ring one step at a time at a held arrow's pace, reversing after every
// `reverseEvery` steps (0: never); returns the times of the steady steps and of the reversals.
std::pair<std::vector<double>, std::vector<double>> turnAtPace(frmMain& window, int steps,
                                                               int reverseEvery) {
    std::vector<double> steady, reversals;
    int direction = 1;
    for (int i = 1; i <= steps; ++i) {
        const bool reversing = reverseEvery > 0 && i % reverseEvery == 0;
        if (reversing)
            direction = -direction;
        const int next = window.HscrArray->value() + direction;
        const auto start = Clock::now();
        window.HscrArray->setValue(next); // one step past either end wraps round
        window.imgMain->repaint();
        (reversing ? reversals : steady).push_back(msSince(start));
        pauseAsBetweenRepeats();
    }
    return {steady, reversals};
}

// A fresh main window with services of its own (no sound), opening a package as start-up does.
struct BenchWindow {
    CollectingPrompter prompter;
    Program program{QStringList{}};
    OptionSettings settings;
    MediaControl media;
    SystemFreeMemory freeMemory;
    std::unique_ptr<frmMain> window;

    // False, with the reason written to `out`, when the package does not open.
    bool open(const QString& path, bool useRam, QTextStream& out) {
        settings.bOptUseRam = useRam;
        settings.bOptSound = false;
        window = std::make_unique<frmMain>(prompter, program, settings, media, freeMemory);
        window->show();
        waitExposed(*window);
        window->sCommandFile =
            QLatin1Char('"') + QFileInfo(path).absoluteFilePath() + QLatin1Char('"');
        window->bCommandFile = true;
        window->mnuOpen_Click();
        window->finishLoading(); // turning is measured with every picture held
        if (prompter.messages.isEmpty() && window->iHCount > 0)
            return true;
        out << "error " << path << ": " << prompter.messages.join(QLatin1Char(' ')) << Qt::endl;
        return false;
    }
};

// Opens one package in a fresh main window for each storage mode and zoom; false when it fails.
bool benchPackage(const QString& path, QTextStream& out) {
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

// Zooms the window to 100 % and prints the time of the first paint beside one decode of the part
// it shows.
void zoomIn(frmMain& window, const char* when, const char* storage, QTextStream& out) {
    const qint64 regions = PicturePainter::regionCount();
    const auto start = Clock::now();
    window.hscrlZoom->setValue(20);
    window.imgMain->repaint();
    const double firstPaint = msSince(start);
    const QRect part = window.imgMain->visibleRegion().boundingRect();
    std::vector<double> regionTimes;
    for (int i = 0; i < 5; ++i) {
        const auto at = Clock::now();
        JpegDecoder::decodeRegion(window.imgMain->picture()->encodedBytes(), part);
        regionTimes.push_back(msSince(at));
    }
    out << "zoom100 " << storage << ' ' << when << " first_paint " << ms(firstPaint) << " regions "
        << PicturePainter::regionCount() - regions << " part " << part.width() << 'x'
        << part.height() << " region_decode_median " << ms(median(regionTimes)) << Qt::endl;
}

// Camera shoots, larger than the screen: turning at the zoom the package opens at (from the
// pictures' screen level), the first paint after a zoom to 100 % beside one decode of the part
// shown, and turning at 100 % at a held arrow's pace.
bool benchCamera(const QString& path, QTextStream& out) {
    for (const bool useRam : {true, false}) {
        BenchWindow bench;
        if (!bench.open(path, useRam, out))
            return false;
        frmMain& window = *bench.window;
        const char* storage = useRam ? "decoded" : "compressed";
        const PicturePtr first = window.imgMain->picture();
        reportWindow(window, out);
        out << "level " << storage << " 1/" << first->levelScale() << ' '
            << first->levelSize().width() << 'x' << first->levelSize().height() << Qt::endl;
        const int opening = window.hscrlZoom->value();
        const Counts before = Counts::now(window);
        const std::vector<double> steady = turnAtPace(window, steadySteps(window.iHCount), 0).first;
        out << "steady " << storage << " zoom " << opening << ' ' << figures(steady)
            << Counts::now(window).since(before) << Qt::endl;
        QImage frame(window.imgMain->size(), QImage::Format_RGB32);
        frame.fill(Qt::gray);
        out << "copy paced " << frame.sizeInBytes() << ' '
            << figures(plainCopyTimes(frame, steadySteps(0), pauseAsBetweenRepeats)) << Qt::endl;

        // Zoomed to 100 %: the first paint, then one decode of the same part. Straight after a
        // turn (the part shown is decoded for the paint), and after a rest (the whole picture
        // is decoded by then).
        for (const bool rested : {false, true}) {
            window.hscrlZoom->setValue(opening);
            window.HscrArray->setValue(window.HscrArray->value() + 1);
            window.imgMain->repaint();
            QApplication::processEvents();
            window.pictureKeeper().waitForDone();
            if (rested) {
                QElapsedTimer rest;
                rest.start();
                while (rest.elapsed() < 500)
                    QApplication::processEvents(QEventLoop::AllEvents, 50);
                window.pictureKeeper().waitForDone();
            }
            zoomIn(window, rested ? "rested" : "turned", storage, out);
        }
        QApplication::processEvents();
        // At a held arrow's pace: the picture painted after each step is the bar's.
        const Counts pacedBefore = Counts::now(window);
        int behind = 0;
        std::vector<double> paced;
        for (int i = 0; i < 40; ++i) {
            const auto at = Clock::now();
            window.HscrArray->setValue(window.HscrArray->value() + 1);
            window.imgMain->repaint();
            paced.push_back(msSince(at));
            const int slot = window.HscrArray->value() % window.iHCount;
            behind = std::max(
                behind, window.imgArray->at(slot)->picture() == window.imgMain->picture() ? 0 : 1);
            pauseAsBetweenRepeats();
        }
        out << "steady " << storage << " zoom 20 " << figures(paced)
            << Counts::now(window).since(pacedBefore) << " behind " << behind << Qt::endl;
        window.removePackageFolder();
    }
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
    if (packages.isEmpty()) {
        QTextStream(stderr) << "usage: turn_bench [--camera] PKG.360 [PKG.360 ...]" << Qt::endl;
        return 2;
    }
    out << "platform " << QApplication::platformName() << Qt::endl;
    for (const QString& path : packages)
        if (!(camera ? benchCamera(path, out) : benchPackage(path, out)))
            return 1;
    return 0;
}
