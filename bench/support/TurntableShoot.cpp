#include "TurntableShoot.h"

#include <QDir>
#include <algorithm>
#include <atomic>
#include <cmath>
#include <numbers>
#include <thread>

#include <cstdio>
#include <jpeglib.h>

namespace {

// A small, fixed pseudo-random generator: the same shoot on every machine.
struct Random {
    quint64 state;
    explicit Random(quint64 seed) : state(seed * 6364136223846793005ull + 1442695040888963407ull) {}
    double uniform() { // -1 ... 1
        state = state * 6364136223846793005ull + 1442695040888963407ull;
        return double(state >> 11) / double(1ull << 53) * 2 - 1;
    }
    double normal() { // the sum of four uniforms, scaled to a standard deviation of 1
        return (uniform() + uniform() + uniform() + uniform()) * std::sqrt(3.0) / 2;
    }
};

bool writeJpeg(const QImage& image, const QString& path) {
    FILE* file = std::fopen(QFile::encodeName(path).constData(), "wb");
    if (!file)
        return false;
    jpeg_compress_struct info{};
    jpeg_error_mgr errors{};
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    jpeg_stdio_dest(&info, file);
    info.image_width = JDIMENSION(image.width());
    info.image_height = JDIMENSION(image.height());
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, 92, TRUE);
    jpeg_start_compress(&info, TRUE);
    for (int y = 0; y < image.height(); ++y) {
        JSAMPROW row = const_cast<uchar*>(image.constScanLine(y));
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    return std::fclose(file) == 0;
}

} // namespace

TurntableShoot::TurntableShoot(const QString& renders, const Settings& settings)
    : m_settings(settings) {
    const int width = int(std::lround(settings.size.width() * settings.objectShare));
    for (int i = 0; i < 36; ++i) {
        const QImage render(QDir(renders).filePath(
            QStringLiteral("teapot_H_%1.jpg").arg(i, 4, 10, QLatin1Char('0'))));
        if (render.isNull()) {
            m_renders.clear();
            return;
        }
        m_renders.push_back(render.scaledToWidth(width, Qt::SmoothTransformation)
                                .convertToFormat(QImage::Format_RGB888));
    }
}

TurntableShoot::Frame TurntableShoot::frame(int index) const {
    const Settings& s = m_settings;
    Random random(quint64(s.seed) * 100003u + quint64(index));
    Frame f;
    const double angle = 2 * std::numbers::pi * index / s.frames;
    f.offset = QPointF(s.swing * s.size.width() * std::sin(angle) + s.jitter * random.uniform(),
                       s.jitter * random.uniform());
    f.gain = s.exposure * (1 + s.flicker * random.uniform());
    const QImage& render = m_renders[std::size_t(index * 36 / s.frames % 36)];
    const QRgb corner = render.pixel(0, 0);
    const int left = int(std::lround((s.size.width() - render.width()) / 2.0 + f.offset.x()));
    const int top = int(std::lround((s.size.height() - render.height()) / 2.0 + f.offset.y()));
    f.image = QImage(s.size, QImage::Format_RGB888);
    f.alpha = QImage(s.size, QImage::Format_Grayscale8);
    f.alpha.fill(0);
    const int grey[3] = {qRed(s.backdrop), qGreen(s.backdrop), qBlue(s.backdrop)};
    const int paper[3] = {qRed(corner), qGreen(corner), qBlue(corner)};
    for (int y = 0; y < s.size.height(); ++y) {
        uchar* out = f.image.scanLine(y);
        uchar* a = f.alpha.scanLine(y);
        const int ry = y - top;
        for (int x = 0; x < s.size.width(); ++x, out += 3) {
            const int rx = x - left;
            double mix = 0;
            const uchar* p = nullptr;
            if (ry >= 0 && ry < render.height() && rx >= 0 && rx < render.width()) {
                p = render.constScanLine(ry) + 3 * rx;
                int d = 0;
                for (int c = 0; c < 3; ++c)
                    d = std::max(d, std::abs(p[c] - paper[c]));
                mix = std::clamp((d - 12) / 36.0, 0.0, 1.0); // a soft edge over the render's own
            }
            a[x] = uchar(std::lround(255 * mix));
            for (int c = 0; c < 3; ++c) {
                const double v = (p ? mix * p[c] : 0) + (1 - mix) * grey[c];
                out[c] = uchar(
                    std::clamp(std::lround(v * f.gain + s.noise * random.normal()), 0l, 255l));
            }
        }
    }
    return f;
}

bool TurntableShoot::write(const QString& folder, int threads) const {
    std::atomic<int> next{0};
    std::atomic<bool> ok{true};
    auto work = [&] {
        for (int i = next++; i < m_settings.frames && ok; i = next++)
            if (!writeJpeg(frame(i).image,
                           QDir(folder).filePath(
                               QStringLiteral("shoot_%1.jpg").arg(i, 3, 10, QLatin1Char('0')))))
                ok = false;
    };
    std::vector<std::thread> pool;
    for (int t = 0; t < std::max(1, threads); ++t)
        pool.emplace_back(work);
    for (std::thread& t : pool)
        t.join();
    return ok;
}
