// Camera shoots in the real main window: turning at the screen level and at 100 %.
#include "turn/CameraTurning.h"

#include "turn/HeldKey.h"
#include "turn/TurnWindow.h"

#include "support/BenchFigures.h"
#include "support/EventWait.h"

#include "pictures/JpegDecoder.h"
#include "pictures/PictureDecoder.h"
#include "pictures/PictureKeeper.h"
#include "pictures/PicturePainter.h"
#include "toolkit/ImageArray.h"
#include "toolkit/ImageControl.h"
#include "toolkit/ScrollBar.h"

#include <QApplication>

namespace {

// The presses of a held key measured (fewer than a ring's columns of any shoot benched).
constexpr int kPresses = 40;

// Holds the right arrow for kPresses presses at a held key's pace: how far the picture on screen
// fell behind, and how long after each press its position (or a later one) was on screen.
void reportHeldKey(frmMain& window, const char* what, const char* storage, QTextStream& out) {
    const Counts before = Counts::now(window);
    const HeldKeyFigures held = holdRightArrow(window, kPresses, kHeldKeyPaceMs);
    out << what << ' ' << storage << " zoom " << window.hscrlZoom->value() << " presses "
        << held.presses << " shown " << held.shownAfter.size() << " most_behind " << held.mostBehind
        << " shown_after " << figures(held.shownAfter) << Counts::now(window).since(before)
        << Qt::endl;
}

// The median time of one whole decode of the picture's bytes, as the keeper makes it.
double wholeDecodeMs(const PicturePtr& picture) {
    std::vector<double> times;
    for (int i = 0; i < 3; ++i) {
        const auto at = Clock::now();
        const Picture::Pixels pixels = picture->decodeAt(1);
        times.push_back(msSince(at));
    }
    return median(times);
}

} // namespace

bool benchTurningWhileLoading(const QString& path, QTextStream& out) {
    for (const bool useRam : {true, false}) {
        BenchWindow bench;
        if (!bench.open(path, useRam, out, false))
            return false;
        reportHeldKey(*bench.window, "loading", useRam ? "decoded" : "compressed", out);
        bench.window->finishLoading();
        bench.window->removePackageFolder();
    }
    return true;
}

bool benchLoadingInBackground(const QString& path, QTextStream& out) {
    BenchWindow bench;
    bench.create(true);
    const auto start = Clock::now();
    if (!bench.openAgain(path, out, false))
        return false;
    const double first = msSince(start);
    // The event loop runs as it does for a user who only looks: the window thread decodes nothing.
    waitWhile([&bench] { return bench.window->loading() && bench.prompter.messages.isEmpty(); });
    const double all = msSince(start);
    int held = 0;
    for (int slot = 0; slot <= bench.window->imgArray->upperBound(); ++slot)
        if (const ImageControl* element = bench.window->imgArray->at(slot))
            held += element->picture() ? 1 : 0;
    out << "loaded decoded first_shown_ms " << ms(first) << " all_held_ms " << ms(all)
        << " background_ms " << ms(all - first) << " pictures " << held << Qt::endl;
    bench.window->removePackageFolder();
    return bench.prompter.messages.isEmpty();
}

namespace {

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

// At 100 %, kPresses steps at a held arrow's pace, each painted at once: the times, and whether
// the picture painted after each step was the bar's (`behind` 1 when one was not).
void reportStepsAt100(frmMain& window, const char* storage, QTextStream& out) {
    // At a held arrow's pace: the picture painted after each step is the bar's.
    const Counts pacedBefore = Counts::now(window);
    int behind = 0;
    std::vector<double> paced;
    for (int i = 0; i < kPresses; ++i) {
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
}

} // namespace

bool benchCamera(const QString& path, QTextStream& out) {
    if (!benchTurningWhileLoading(path, out))
        return false;
    for (const bool useRam : {true, false}) {
        BenchWindow bench;
        if (!bench.open(path, useRam, out))
            return false;
        frmMain& window = *bench.window;
        const char* storage = useRam ? "decoded" : "compressed";
        const PicturePtr first = window.imgMain->picture();
        reportWindow(window, out);
        out << "level " << storage << " 1/" << first->levelDenominator() << ' '
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
                idleFor(500);
                window.pictureKeeper().waitForDone();
            }
            zoomIn(window, rested ? "rested" : "turned", storage, out);
        }
        QApplication::processEvents();
        reportStepsAt100(window, storage, out);
        // Held from a keeper holding nothing: a small ring's regions would all be kept by now.
        window.pictureKeeper().clear();
        reportHeldKey(window, "held", storage, out);
        out << "decode " << storage << " whole_median " << ms(wholeDecodeMs(first)) << Qt::endl;
        window.removePackageFolder();
    }
    return true;
}
