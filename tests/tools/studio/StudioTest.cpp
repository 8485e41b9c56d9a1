// The turntable studio's rules on synthetic shoots (the sample renders laid on a grey backdrop
// off the axis, with flicker and noise, by TurntableShoot): what a photo shows, the swing fitted
// through a ring, the exposure evened, and one photo made as planned.
#include "support/TurntableShoot.h"
#include "tools/make/MakeArguments.h"
#include "tools/studio/ExposureCurve.h"
#include "tools/studio/FrameEditor.h"
#include "tools/studio/FrameMeasure.h"
#include "tools/studio/SwingFit.h"

#include <cmath>
#include <gtest/gtest.h>
#include <numbers>

namespace {

const QString kRenders = QStringLiteral(GYRO_SOURCE_DIR "/data/samples/teapot");

// The truth of a frame: the mean position and the box of its pixels that are mostly object.
struct Truth {
    QPointF centre;
    QRect box;
};

Truth truthOf(const QImage& alpha) {
    double x = 0, y = 0, n = 0;
    QRect box;
    for (int j = 0; j < alpha.height(); ++j)
        for (int i = 0; i < alpha.width(); ++i)
            if (alpha.constScanLine(j)[i] >= 128) {
                x += i + 0.5;
                y += j + 0.5;
                ++n;
                box = box.united(QRect(i, j, 1, 1));
            }
    return {QPointF(x / n, y / n), box};
}

TEST(Studio, MeasureFindsBackdropAndObject) {
    struct Case {
        const char* name;
        QRgb backdrop;
        double noise;
        int frame;
        double scale; // of the picture measured
    };
    const Case cases[] = {
        {"grey, quiet", qRgb(150, 150, 150), 1, 0, 1.0},
        {"darker paper, noisy, swung right", qRgb(120, 125, 130), 8, 9, 1.0},
        {"light paper, swung left, half size", qRgb(200, 190, 180), 4, 27, 0.5},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TurntableShoot::Settings settings;
        settings.backdrop = c.backdrop;
        settings.noise = c.noise;
        settings.flicker = 0;
        const TurntableShoot::Frame frame = TurntableShoot(kRenders, settings).frame(c.frame);
        const QImage picture =
            c.scale == 1.0 ? frame.image
                           : frame.image.scaled(frame.image.size() * c.scale, Qt::IgnoreAspectRatio,
                                                Qt::SmoothTransformation);
        const FrameMeasure m = FrameMeasure::of(picture, c.scale);
        EXPECT_NEAR(qRed(m.backdrop), qRed(c.backdrop), 2);
        EXPECT_NEAR(qBlue(m.backdrop), qBlue(c.backdrop), 2);
        const Truth truth = truthOf(frame.alpha);
        ASSERT_TRUE(m.hasObject());
        const double slack = 1.5 / c.scale;
        EXPECT_NEAR(m.centre.x(), truth.centre.x(), slack);
        EXPECT_NEAR(m.centre.y(), truth.centre.y(), slack);
        EXPECT_NEAR(m.box.left(), truth.box.left(), 2 * slack);
        EXPECT_NEAR(m.box.right(), truth.box.right() + 1, 2 * slack);
        EXPECT_NEAR(m.box.top(), truth.box.top(), 2 * slack);
        EXPECT_NEAR(m.box.bottom(), truth.box.bottom() + 1, 2 * slack);
    }
    // A photo of bare backdrop holds no object, noise or not.
    TurntableShoot::Settings bare;
    bare.objectShare = 0.01;
    bare.noise = 8;
    EXPECT_FALSE(FrameMeasure::of(TurntableShoot(kRenders, bare).frame(0).image, 1).hasObject());
}

TEST(Studio, SwingFitBringsTheObjectToOnePlace) {
    auto ring = [](int n, double swing, double phase, auto jitter) {
        std::vector<double> x;
        for (int i = 0; i < n; ++i)
            x.push_back(300 + swing * std::sin(2 * std::numbers::pi * i / n + phase) + jitter(i));
        return x;
    };
    struct Case {
        const char* name;
        std::vector<double> positions;
        double amplitude;
        int outlier; // the photo moved by the swing alone; -1 for none
    };
    const Case cases[] = {
        {"pure swing", ring(36, 24, 0.3, [](int) { return 0.0; }), 24, -1},
        {"swing and jitter", ring(36, 24, 1.0, [](int i) { return i % 3 - 1.0; }), 24, -1},
        {"a measure gone wrong", ring(12, 10, 0, [](int i) { return i == 5 ? 60.0 : 0.0; }), 10, 5},
        {"two photos: jitter only", {290, 310}, 0, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const SwingFit fit(c.positions, 5);
        EXPECT_NEAR(fit.amplitude(), c.amplitude, 0.05);
        for (std::size_t i = 0; i < c.positions.size(); ++i) {
            if (int(i) != c.outlier) {
                EXPECT_NEAR(c.positions[i] + fit.shifts()[i], fit.centre(), 0.01) << i;
            }
        }
        if (c.outlier >= 0) { // about the swing's place, not the wrong measure's
            EXPECT_NEAR(c.positions[std::size_t(c.outlier)] + fit.shifts()[std::size_t(c.outlier)],
                        fit.centre() + 60, 0.05);
        }
    }
}

TEST(Studio, ExposureEvensFlickerAndKeepsSlowChange) {
    auto ring = [](auto level) {
        std::vector<double> b;
        for (int i = 0; i < 36; ++i)
            b.push_back(level(i));
        return b;
    };
    struct Case {
        const char* name;
        std::vector<double> brightness;
        double largestStep; // between neighbours after, per cent
        double leastSpread; // of the evened ring, per cent
    };
    const Case cases[] = {
        {"alternating 15 %", ring([](int i) { return i % 2 ? 115.0 : 85.0; }), 1, 0},
        {"scattered 15 %", ring([](int i) { return 100 * (1 + 0.15 * std::sin(i * 2.3)); }), 1, 0},
        {"steady", ring([](int) { return 120.0; }), 0.001, 0},
        {"a slow swell half kept",
         ring([](int i) { return 100 + 10 * std::sin(i * std::numbers::pi / 18); }), 2, 9},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const ExposureCurve curve(c.brightness);
        std::vector<double> after;
        for (std::size_t i = 0; i < 36; ++i)
            after.push_back(c.brightness[i] * curve.gains()[i]);
        for (std::size_t i = 0; i < 36; ++i)
            EXPECT_LE(100 * std::abs(after[i] / after[(i + 1) % 36] - 1), c.largestStep) << i;
        EXPECT_GE(curve.spreadAfter(), c.leastSpread);
        const auto [low, high] = std::minmax_element(after.begin(), after.end());
        EXPECT_NEAR(curve.spreadAfter(),
                    100 * (*high - *low) * 36 / std::accumulate(after.begin(), after.end(), 0.0),
                    0.01);
    }
}

TEST(Studio, EditorCutsMovesEvensAndCleans) {
    TurntableShoot::Settings settings;
    settings.noise = 3;
    settings.flicker = 0;
    const TurntableShoot::Frame frame = TurntableShoot(kRenders, settings).frame(4);
    const QImage& in = frame.image;
    const QRgb grey = qRgb(150, 150, 150);
    struct Case {
        const char* name;
        QRect crop;
        QPoint shift;
        double gain;
        bool clean;
    };
    const Case cases[] = {
        {"as it is", QRect(0, 0, 480, 360), {}, 1, false},
        {"moved", QRect(0, 0, 480, 360), {7, -5}, 1, false},
        {"cut and brighter", QRect(100, 50, 250, 200), {}, 1.2, false},
        {"cleaned", QRect(0, 0, 480, 360), {}, 1, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const FrameEditor editor(c.crop, c.clean, qRgb(255, 255, 255), 40);
        const QImage out = editor.apply(in, 1.0, FrameEdit{c.gain, QPointF(c.shift), grey});
        ASSERT_EQ(out.size(), c.crop.size());
        int backdrop = 0, white = 0, inside = 0, kept = 0;
        for (int y = 0; y < out.height(); ++y)
            for (int x = 0; x < out.width(); ++x) {
                const QPoint from = QPoint(x, y) + c.crop.topLeft() - c.shift;
                const QRgb got = out.pixel(x, y);
                if (!in.rect().contains(from)) { // exposed by the move
                    EXPECT_EQ(got, grey) << x << "," << y;
                    continue;
                }
                // Pixels with only object, or only backdrop, 3 pixels around.
                int most = 0, least = 255;
                for (int dy = -3; dy <= 3; ++dy)
                    for (int dx = -3; dx <= 3; ++dx) {
                        const QPoint p = from + QPoint(dx, dy);
                        const int a =
                            in.rect().contains(p) ? frame.alpha.constScanLine(p.y())[p.x()] : 0;
                        most = std::max(most, a);
                        least = std::min(least, a);
                    }
                const QRgb was = in.pixel(from);
                auto lit = [&](int v) { return std::min(255, int(std::lround(v * c.gain))); };
                const bool same = got == qRgb(lit(qRed(was)), lit(qGreen(was)), lit(qBlue(was)));
                if (least == 255) {
                    ++inside;
                    kept += same;
                } else if (most == 0) {
                    ++backdrop;
                    white += c.clean ? got == qRgb(255, 255, 255) : same;
                }
            }
        EXPECT_GT(inside, 4000);
        EXPECT_EQ(kept, inside);
        EXPECT_GE(white, backdrop * 99 / 100);
    }
}

TEST(Studio, CleaningKeepsFlecksOfTheBackdropsColourInsideTheObject) {
    TurntableShoot::Settings settings;
    settings.noise = 3;
    settings.flicker = 0;
    const TurntableShoot::Frame frame = TurntableShoot(kRenders, settings).frame(0);
    QImage in = frame.image;
    // Grey flecks of 4 x 4 pixels where the object is whole 6 pixels around.
    QList<QPoint> flecks;
    for (int y = 6; y < in.height() - 6 && flecks.size() < 4; y += 3)
        for (int x = 6; x < in.width() - 6 && flecks.size() < 4; x += 3) {
            bool whole = true;
            for (int dy = -6; dy <= 6 && whole; ++dy)
                for (int dx = -6; dx <= 6 && whole; ++dx)
                    whole = frame.alpha.constScanLine(y + dy)[x + dx] == 255;
            if (whole &&
                (flecks.isEmpty() || (flecks.last() - QPoint(x, y)).manhattanLength() > 40))
                flecks << QPoint(x, y);
        }
    ASSERT_EQ(flecks.size(), 4);
    for (const QPoint& f : flecks)
        for (int dy = 0; dy < 4; ++dy)
            for (int dx = 0; dx < 4; ++dx)
                in.setPixel(f + QPoint(dx, dy), qRgb(150, 150, 150));
    const QImage out = FrameEditor(in.rect(), true, qRgb(255, 255, 255), 40)
                           .apply(in, 1.0, FrameEdit{1, {}, qRgb(150, 150, 150)});
    EXPECT_EQ(out.pixel(0, 0), qRgb(255, 255, 255));
    for (const QPoint& f : flecks)
        EXPECT_EQ(out.pixel(f + QPoint(1, 1)), qRgb(150, 150, 150)) << f.x() << "," << f.y();
}

TEST(Studio, OptionsReadFromTheCommandLine) {
    const QStringList base = {"out.360", "--name", "pot", "--ring", "ring"};
    struct Case {
        QStringList args;
        bool ok;
        double margin;
        QRgb colour;
        int tolerance;
    };
    const Case cases[] = {
        {{"--crop", "auto", "--centre", "--even-exposure"}, true, 5, qRgb(255, 255, 255), 40},
        {{"--crop", "auto:12%", "--backdrop", "white:30"}, true, 12, qRgb(255, 255, 255), 30},
        {{"--backdrop", "#102030"}, true, 5, qRgb(0x10, 0x20, 0x30), 40},
        {{"--crop", "tight"}, false, 5, 0, 0},
        {{"--crop", "auto:150"}, false, 5, 0, 0},
        {{"--backdrop", "white:0"}, false, 5, 0, 0},
        {{"--backdrop", "#zz0000"}, false, 5, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args.join(' ').toStdString());
        const MakeArguments parsed = MakeArguments::parse(base + c.args);
        EXPECT_EQ(parsed.error.isEmpty(), c.ok) << parsed.error.toStdString();
        if (!c.ok)
            continue;
        EXPECT_EQ(parsed.studio.cropMargin, c.margin);
        EXPECT_EQ(parsed.studio.backdropColour, c.colour);
        EXPECT_EQ(parsed.studio.backdropTolerance, c.tolerance);
    }
}

} // namespace
