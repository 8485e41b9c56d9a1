// The main window as turn_bench drives it.
#include "turn/TurnWindow.h"

#include "support/BenchFigures.h"
#include "support/EventWait.h"
#include "support/Percentile.h"

#include "pictures/PictureKeeper.h"
#include "pictures/ViewsAhead.h"
#include "toolkit/ImageControl.h"
#include "toolkit/ScrollBar.h"

#include <QApplication>
#include <QEventLoop>
#include <QFileInfo>
#include <QTimer>
#include <QWindow>
#include <algorithm>
#include <cstring>

double msSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

QString ms(double value) {
    return QString::number(value, 'f', 3);
}

void waitExposed(QWidget& window) {
    waitWhile([&window] { return !(window.windowHandle() && window.windowHandle()->isExposed()); },
              5000);
    QApplication::processEvents();
}

Counts Counts::now(frmMain& window) {
    return {window.pictureKeeper().shownDecodes(), ViewsAhead::shownCount()};
}

QString Counts::since(const Counts& before) const {
    return QStringLiteral(" decodes %1 views %2")
        .arg(decodes - before.decodes)
        .arg(views - before.views);
}

void pauseAsBetweenRepeats() {
    QEventLoop pause;
    QTimer::singleShot(kHeldKeyPaceMs, &pause, &QEventLoop::quit);
    pause.exec();
}

int steadySteps(int ringColumns) {
    return std::max(2 * ringColumns, 200);
}

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

QString figures(const std::vector<double>& times) {
    return QStringLiteral("count %1 min %2 median %3 p99 %4 max %5")
        .arg(times.size())
        .arg(ms(*std::min_element(times.begin(), times.end())), ms(median(times)),
             ms(percentile(times, 99)), ms(*std::max_element(times.begin(), times.end())));
}

void reportWindow(frmMain& window, QTextStream& out) {
    QApplication::processEvents();
    out << "window " << window.width() << 'x' << window.height() << " zoom "
        << window.hscrlZoom->value() << Qt::endl;
}

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

void BenchWindow::create(bool useRam) {
    settings.bOptUseRam = useRam;
    settings.bOptSound = false;
    window = std::make_unique<frmMain>(prompter, program, settings, media, freeMemory);
    window->show();
    waitExposed(*window);
}

bool BenchWindow::open(const QString& path, bool useRam, QTextStream& out, bool loaded) {
    create(useRam);
    return openAgain(path, out, loaded);
}

bool BenchWindow::openAgain(const QString& path, QTextStream& out, bool loaded) {
    window->sCommandFile = QLatin1Char('"') + QFileInfo(path).absoluteFilePath() + QLatin1Char('"');
    window->bCommandFile = true;
    window->mnuOpen_Click();
    if (loaded)
        window->finishLoading();
    if (prompter.messages.isEmpty() && window->iHCount > 0)
        return true;
    out << "error " << path << ": " << prompter.messages.join(QLatin1Char(' ')) << Qt::endl;
    return false;
}
