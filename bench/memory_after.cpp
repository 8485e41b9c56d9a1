// What the viewer gives back when a package closes. One window opens a camera shoot held decoded,
// zooms to 100 % and turns a few steps there (so whole decodes and regions are kept), then opens
// the small package in its place; its resident size once idle is printed beside the floor: the
// same small package opened by a fresh window of a fresh process (run the program with it alone).
//
//   memory_after SMALL.360            floor_rss_kib <n>
//   memory_after SMALL.360 SHOOT.360  shoot_rss_kib <n> after_rss_kib <n> peak_rss_kib <n>
#include "support/BenchFigures.h"
#include "support/EventWait.h"
#include "turn/TurnWindow.h"

#include "toolkit/ScrollBar.h"

#include <QApplication>
#include <QTextStream>

namespace {

// Lets the window thread and the keeper finish what they do for a while, as an idle viewer does.
} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTextStream out(stdout);
    const QStringList paths = QApplication::arguments().mid(1);
    if (paths.isEmpty() || paths.size() > 2) {
        QTextStream(stderr) << "usage: memory_after SMALL.360 [SHOOT.360]" << Qt::endl;
        return 2;
    }
    BenchWindow bench;
    if (paths.size() == 1) {
        if (!bench.open(paths[0], true, out))
            return 1;
        idleFor(3000);
        out << "floor_rss_kib " << currentResidentKib() << Qt::endl;
        return 0;
    }
    if (!bench.open(paths[1], true, out))
        return 1;
    frmMain& window = *bench.window;
    window.hscrlZoom->setValue(20); // 100 %
    for (int step = 0; step < 6; ++step) {
        window.HscrArray->setValue((window.HscrArray->value() + 1) % window.iHCount);
        idleFor(400); // the rest before a whole decode, and the decodes ahead
    }
    out << "shoot_rss_kib " << currentResidentKib() << Qt::endl;
    if (!bench.openAgain(paths[0], out))
        return 1;
    idleFor(3000);
    out << "after_rss_kib " << currentResidentKib() << " peak_rss_kib " << peakResidentKib()
        << Qt::endl;
    return 0;
}
