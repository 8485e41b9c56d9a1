// make_shoot: writes the pictures and descriptor of a camera-like shoot made from the sample
// renders, for the benchmarks (scripts/make-camera-shoot packs them).
//
//   make_shoot SAMPLES OUT_DIR WIDTHxHEIGHT RING UP_COLUMNS UP_ROWS DOWN_COLUMNS DOWN_ROWS
//
// SAMPLES holds the sample renders (a ring of 36 at 10 degree steps, rings above at every third
// position with rows at +20 ... +80 degrees, rings below with rows at -20 and -40 degrees, named as
// in a package with the base name "teapot"). The shoot has a horizontal ring of RING pictures,
// UP_COLUMNS rings of UP_ROWS rows above and DOWN_COLUMNS of DOWN_ROWS below, evenly spaced around
// the ring; each picture is the render nearest its direction, scaled to WIDTH x HEIGHT, given
// sensor-like noise of its own and written at JPEG quality 90 with 4:2:0 chroma, as cameras write
// their photos. Every core works on its own pictures. Prints the count and the bytes written.
#include "format/MemberNames.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QImage>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <thread>
#include <vector>

#include <jpeglib.h>

namespace {

struct Job {
    QString source; // the render's file name
    QString member; // the picture's member name
    quint32 seed = 0;
};

// Adds noise of up to +-30 levels (the sum of four uniform draws, a standard deviation of about
// 9) to every colour byte, as a camera's sensor does at a raised sensitivity.
void addNoise(QImage& image, quint32 seed) {
    quint32 state = seed * 2654435761u + 1;
    for (int y = 0; y < image.height(); ++y) {
        uchar* row = image.scanLine(y);
        for (int x = 0; x < image.width() * 4; x += 4) {
            for (int c = 0; c < 3; ++c) {
                state ^= state << 13;
                state ^= state >> 17;
                state ^= state << 5;
                const int noise = int(state & 15) + int((state >> 4) & 15) +
                                  int((state >> 8) & 15) + int((state >> 12) & 15) - 30;
                row[x + c] = uchar(std::clamp(int(row[x + c]) + noise, 0, 255));
            }
        }
    }
}

bool writeJpeg(const QImage& image, const QString& path) {
    FILE* file = std::fopen(QFile::encodeName(path).constData(), "wb");
    if (!file)
        return false;
    jpeg_compress_struct info;
    jpeg_error_mgr errors;
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    jpeg_stdio_dest(&info, file);
    info.image_width = JDIMENSION(image.width());
    info.image_height = JDIMENSION(image.height());
    info.input_components = 4;
    info.in_color_space = JCS_EXT_BGRX; // QImage::Format_RGB32 in memory on this machine
    jpeg_set_defaults(&info);           // 2 x 2 luma sampling: 4:2:0
    jpeg_set_quality(&info, 90, TRUE);
    jpeg_start_compress(&info, TRUE);
    while (info.next_scanline < info.image_height) {
        JSAMPROW row = const_cast<uchar*>(image.constScanLine(int(info.next_scanline)));
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    return std::fclose(file) == 0;
}

QString render(const QString& kind, int column, int row) {
    const QString base = QStringLiteral("teapot");
    const QString ext = QStringLiteral(".jpg");
    if (kind == QLatin1String("H"))
        return horizontalMemberName(base, column, ext);
    return kind == QLatin1String("V") ? upperMemberName(base, column, row, ext)
                                      : lowerMemberName(base, column, row, ext);
}

// The jobs of a shoot: the ring, then the rings above, then those below.
std::vector<Job> plan(int ring, int upColumns, int upRows, int downColumns, int downRows) {
    const QString base = QStringLiteral("shoot");
    const QString ext = QStringLiteral(".jpg");
    std::vector<Job> jobs;
    auto renderColumn = [&](int position) { // the render ring has 36 positions
        return int(std::lround(position * 36.0 / ring)) % 36;
    };
    for (int i = 0; i < ring; ++i)
        jobs.push_back({render(QStringLiteral("H"), renderColumn(i), 0),
                        horizontalMemberName(base, i, ext), quint32(i)});
    auto rings = [&](const QString& kind, int columns, int rows, int renderRows) {
        if (columns <= 0 || rows <= 0)
            return;
        const int step = int(std::lround(double(ring) / columns));
        for (int k = 0; k < columns; ++k) {
            const int column = k * step;
            // The render rings stand at every third position.
            const int renderRing = (int(std::lround(renderColumn(column) / 3.0)) * 3) % 36;
            for (int row = 2; row <= rows + 1; ++row) {
                const int renderRow = 2 + (row - 2) * renderRows / rows;
                const QString member = kind == QLatin1String("V")
                                           ? upperMemberName(base, column, row, ext)
                                           : lowerMemberName(base, column, row, ext);
                jobs.push_back(
                    {render(kind, renderRing, renderRow), member, quint32(jobs.size() * 7919)});
            }
        }
    };
    rings(QStringLiteral("V"), upColumns, upRows, 4);
    rings(QStringLiteral("M"), downColumns, downRows, 2);
    return jobs;
}

QByteArray descriptor(int upRows, int downRows) {
    return QStringLiteral("[FileName]\r\nFileName=shoot\r\n[FileType]\r\nFileType=.jpg\r\n"
                          "[NumOfNorth]\r\nNumOfNorth=%1\r\n[NumOfSouth]\r\nNumOfSouth=%2\r\n"
                          "[NumOfWest]\r\nNumOfWest=0\r\n[NumOfEast]\r\nNumOfEast=0\r\n"
                          "[Sound]\r\nSound=house_lo.mp3\r\n[SoundRepeat]\r\nSoundRepeat=True\r\n"
                          "[NumOfHotSpots]\r\nNumOfHotSpots=0\r\n")
        .arg(upRows)
        .arg(downRows)
        .toLatin1();
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv); // the image plugins
    if (argc != 9) {
        std::fprintf(stderr, "usage: make_shoot SAMPLES OUT_DIR WIDTHxHEIGHT RING UP_COLUMNS "
                             "UP_ROWS DOWN_COLUMNS DOWN_ROWS\n");
        return 2;
    }
    const QDir samples(QString::fromLocal8Bit(argv[1]));
    const QDir out(QString::fromLocal8Bit(argv[2]));
    const QStringList size = QString::fromLatin1(argv[3]).split(QLatin1Char('x'));
    const QSize target(size.value(0).toInt(), size.value(1).toInt());
    const int ring = std::atoi(argv[4]);
    if (target.isEmpty() || ring < 1 || !out.exists()) {
        std::fprintf(stderr, "make_shoot: a size WIDTHxHEIGHT, a ring of at least one picture "
                             "and an existing OUT_DIR are needed\n");
        return 2;
    }
    const std::vector<Job> jobs =
        plan(ring, std::atoi(argv[5]), std::atoi(argv[6]), std::atoi(argv[7]), std::atoi(argv[8]));

    std::atomic<std::size_t> next{0};
    std::atomic<qint64> written{0};
    std::atomic<bool> failed{false};
    std::vector<std::thread> workers;
    for (unsigned t = 0; t < std::max(1u, std::thread::hardware_concurrency()); ++t)
        workers.emplace_back([&] {
            for (std::size_t i = next++; i < jobs.size() && !failed; i = next++) {
                const Job& job = jobs[i];
                const QImage source(samples.filePath(job.source));
                if (source.isNull()) {
                    std::fprintf(stderr, "make_shoot: %s cannot be read\n",
                                 qPrintable(samples.filePath(job.source)));
                    failed = true;
                    return;
                }
                QImage picture =
                    source.convertToFormat(QImage::Format_RGB32)
                        .scaled(target, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
                addNoise(picture, job.seed);
                const QString path = out.filePath(job.member);
                if (!writeJpeg(picture, path)) {
                    std::fprintf(stderr, "make_shoot: %s cannot be written\n", qPrintable(path));
                    failed = true;
                    return;
                }
                written += QFile(path).size();
            }
        });
    for (std::thread& worker : workers)
        worker.join();
    if (failed)
        return 1;
    QFile ini(out.filePath(QStringLiteral("info.ini")));
    if (!ini.open(QIODevice::WriteOnly) ||
        ini.write(descriptor(std::atoi(argv[6]), std::atoi(argv[8]))) < 0)
        return 1;
    std::printf("pictures %zu bytes %lld\n", jobs.size(), static_cast<long long>(written.load()));
    return 0;
}
