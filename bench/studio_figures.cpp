// studio_figures: the figures of `make`'s turntable options on a synthetic shoot (TurntableShoot:
// 36 photos, the sample renders on grey paper swinging by 5 % of the width, a flicker of up to
// +-15 %, noise). Makes the shoot, runs the package tool once per option, extracts each package
// and measures with rules of its own: the spread of the object's centre after --centre, the
// largest step of mean brightness between neighbouring photos after --even-exposure, the share
// of white backdrop pixels and of unchanged object pixels (more than 3 pixels inside its edge,
// against the package made without the option) after --backdrop white.
//
//   studio_figures RENDERS GYROLOOK_PACK [WIDTHxHEIGHT]
#include "support/TurntableShoot.h"

#include <QCoreApplication>
#include <QDir>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <QTextStream>
#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

QString pack;

bool run(const QStringList& args) {
    QProcess p;
    p.start(pack, args);
    p.waitForFinished(-1);
    if (p.exitCode() != 0)
        std::fprintf(stderr, "%s\n", p.readAllStandardError().constData());
    return p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

// The package's horizontal pictures, made from `ring` with `options`.
QList<QImage> made(const QString& work, const QString& name, const QStringList& options) {
    const QString out = QDir(work).filePath(name + ".360");
    const QString folder = QDir(work).filePath(name);
    QList<QImage> pictures;
    if (!run(QStringList{"make", out, "--name", "s", "--ring", QDir(work).filePath("ring"),
                         "--quiet"} +
             options) ||
        !run({"extract", out, folder}))
        return pictures;
    for (int i = 0; i < 36; ++i)
        pictures << QImage(QDir(folder).filePath(
                               QStringLiteral("s_H_%1.jpg").arg(i, 4, 10, QLatin1Char('0'))))
                        .convertToFormat(QImage::Format_RGB888);
    return pictures;
}

// The centre of the pixels far (more than 40 levels) from the paper's colour (the mean of the top
// left 16 x 16 pixels).
QPointF objectCentre(const QImage& picture) {
    int sums[3] = {0, 0, 0};
    for (int j = 0; j < 16; ++j)
        for (int i = 0; i < 16; ++i) {
            sums[0] += qRed(picture.pixel(i, j));
            sums[1] += qGreen(picture.pixel(i, j));
            sums[2] += qBlue(picture.pixel(i, j));
        }
    const QRgb paper = qRgb(sums[0] / 256, sums[1] / 256, sums[2] / 256);
    double x = 0, y = 0, n = 0;
    for (int j = 0; j < picture.height(); ++j)
        for (int i = 0; i < picture.width(); ++i) {
            const QRgb p = picture.pixel(i, j);
            if (std::max({std::abs(qRed(p) - qRed(paper)), std::abs(qGreen(p) - qGreen(paper)),
                          std::abs(qBlue(p) - qBlue(paper))}) > 40) {
                x += i;
                y += j;
                ++n;
            }
        }
    return QPointF(x / n, y / n);
}

double meanBrightness(const QImage& picture) {
    double sum = 0;
    for (int j = 0; j < picture.height(); ++j)
        for (int i = 0; i < picture.width(); ++i)
            sum += qGray(picture.pixel(i, j));
    return sum / (double(picture.width()) * picture.height());
}

// Whether every pixel within 3 of (i, j) has the alpha `value`.
bool around(const QImage& alpha, int i, int j, int value) {
    for (int dy = -3; dy <= 3; ++dy)
        for (int dx = -3; dx <= 3; ++dx) {
            const int x = std::clamp(i + dx, 0, alpha.width() - 1);
            const int y = std::clamp(j + dy, 0, alpha.height() - 1);
            if (alpha.constScanLine(y)[x] != value)
                return false;
        }
    return true;
}

struct Cleaning {
    qint64 backdrop = 0, whitened = 0, inside = 0, kept = 0;
};

// Counts the backdrop pixels made white and the object pixels kept (against `plain`), each at
// least 3 pixels from the object's edge.
void countCleaning(const QImage& alpha, const QImage& white, const QImage& plain, Cleaning& c) {
    for (int y = 0; y < alpha.height(); ++y)
        for (int x = 0; x < alpha.width(); ++x) {
            const QRgb got = white.pixel(x, y);
            if (around(alpha, x, y, 0)) {
                ++c.backdrop;
                c.whitened += qRed(got) >= 250 && qGreen(got) >= 250 && qBlue(got) >= 250;
            } else if (around(alpha, x, y, 255)) {
                const QRgb was = plain.pixel(x, y);
                ++c.inside;
                c.kept +=
                    std::max({std::abs(qRed(got) - qRed(was)), std::abs(qGreen(got) - qGreen(was)),
                              std::abs(qBlue(got) - qBlue(was))}) <= 8;
            }
        }
}

// Makes the packages, measures them and prints the figures; 0 when all could be made.
int report(const TurntableShoot& shoot, const QString& work) {
    const TurntableShoot::Settings& settings = shoot.settings();
    const QList<QImage> plain = made(work, "plain", {"--quality", "90"});
    // Centred with the light evened, so the object's edge is measured alike on every photo.
    const QList<QImage> centred = made(work, "centre", {"--centre", "--even-exposure"});
    const QList<QImage> even = made(work, "even", {"--even-exposure"});
    const QList<QImage> white = made(work, "white", {"--backdrop", "white"});
    if (plain.size() != 36 || centred.size() != 36 || even.size() != 36 || white.size() != 36)
        return 1;
    double lowX = 1e9, highX = -1e9, lowY = 1e9, highY = -1e9, step = 0, stepBefore = 0;
    double paperStep = 0;
    Cleaning cleaning;
    for (int i = 0; i < 36; ++i) {
        const QPointF c = objectCentre(centred[i]);
        lowX = std::min(lowX, c.x()), highX = std::max(highX, c.x());
        lowY = std::min(lowY, c.y()), highY = std::max(highY, c.y());
        const double a = meanBrightness(even[i]), b = meanBrightness(even[(i + 1) % 36]);
        step = std::max(step, 100 * std::abs(a / b - 1));
        const QRect corner(0, 0, 64, 64);
        paperStep =
            std::max(paperStep, 100 * std::abs(meanBrightness(even[i].copy(corner)) /
                                                   meanBrightness(even[(i + 1) % 36].copy(corner)) -
                                               1));
        const double p = meanBrightness(plain[i]), q = meanBrightness(plain[(i + 1) % 36]);
        stepBefore = std::max(stepBefore, 100 * std::abs(p / q - 1));
        countCleaning(shoot.frame(i).alpha, white[i], plain[i], cleaning);
    }
    QTextStream out(stdout);
    out << "shoot: 36 photos of " << settings.size.width() << " x " << settings.size.height()
        << ", swing +-" << settings.swing * settings.size.width() << " px, flicker +-"
        << settings.flicker * 100 << " %, noise " << settings.noise << '\n'
        << "--centre --even-exposure: object centre spread " << highX - lowX << " px across, "
        << highY - lowY << " px up and down (target <= 2)\n"
        << "--even-exposure: largest step of mean brightness between neighbours " << step
        << " % (as shot " << stepBefore << " %; target <= 1); of the paper (top left 64 x 64) "
        << paperStep << " %\n"
        << "--backdrop white: " << 100.0 * cleaning.whitened / cleaning.backdrop
        << " % of backdrop pixels white "
        << "(target >= 99), " << 100.0 * cleaning.kept / cleaning.inside
        << " % of object pixels 3 px inside its edge within 8 levels of the package without it\n";
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    if (args.size() < 2)
        return std::fprintf(stderr, "usage: studio_figures RENDERS GYROLOOK_PACK [WxH]\n"), 2;
    pack = args[1];
    TurntableShoot::Settings settings;
    settings.size = args.size() > 2
                        ? QSize(args[2].section('x', 0, 0).toInt(), args[2].section('x', 1).toInt())
                        : QSize(1500, 1000);
    settings.noise = 6;
    const TurntableShoot shoot(args[0], settings);
    QTemporaryDir work;
    QDir(work.path()).mkpath("ring");
    if (!shoot.isValid() || !shoot.write(QDir(work.path()).filePath("ring")))
        return std::fprintf(stderr, "studio_figures: cannot make the shoot\n"), 1;
    return report(shoot, work.path());
}
