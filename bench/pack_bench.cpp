// pack_bench: the two-core limit of making camera photos anew, the work `gyrolook-pack make --fit`
// cannot avoid. Reads every JPEG of the folders given into memory first (not timed), then on two
// threads decodes each at the DCT scale nearest above the fitted size, scales it with the area
// filter, stands it upright by its EXIF orientation and encodes it again (4:2:0, optimised
// Huffman tables), keeping nothing. Prints the photos, the wall time, the time a photo and the
// load average; `make`'s time over this one is the ratio to report.
//
//   pack_bench [--fit PIXELS] [--quality Q] [--threads N] DIR...
#include "pictures/JpegDecoder.h"
#include "tools/photo/ExifOrientation.h"
#include "tools/photo/JpegEncoder.h"
#include "tools/photo/PhotoResizer.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTextStream>
#include <QThreadPool>
#include <QtConcurrent/QtConcurrentMap>
#include <atomic>
#include <cstdio>

namespace {

qint64 makeAnew(const QByteArray& jpeg, int fit, int quality) {
    const JpegDecoder::Scaled head = JpegDecoder::header(jpeg);
    int orientation = 1;
    for (const JpegDecoder::Marker& m : head.markers)
        if (m.code == 0xE1)
            orientation = ExifOrientation::read(m.data);
    const QSize upright = ExifOrientation::uprightSize(head.fullSize, orientation);
    const QSize stored =
        ExifOrientation::uprightSize(PhotoResizer::fitted(upright, fit), orientation);
    const JpegDecoder::Scaled pixels = JpegDecoder::decodeScaled(jpeg, stored);
    const QImage image =
        ExifOrientation::upright(PhotoResizer::scaled(pixels.image, stored), orientation);
    return JpegEncoder::encode(image, quality).size();
}

QString loadAverage() {
    QFile file(QStringLiteral("/proc/loadavg"));
    return file.open(QIODevice::ReadOnly) ? QString::fromLatin1(file.readAll()).section(' ', 0, 2)
                                          : QStringLiteral("?");
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    int fit = 2560, quality = JpegEncoder::kDefaultQuality, threads = 2;
    QStringList folders;
    for (int i = 0; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--fit") && i + 1 < args.size())
            fit = args[++i].toInt();
        else if (args[i] == QLatin1String("--quality") && i + 1 < args.size())
            quality = args[++i].toInt();
        else if (args[i] == QLatin1String("--threads") && i + 1 < args.size())
            threads = args[++i].toInt();
        else
            folders << args[i];
    }
    if (folders.isEmpty()) {
        std::fprintf(stderr,
                     "usage: pack_bench [--fit PIXELS] [--quality Q] [--threads N] DIR...\n");
        return 2;
    }
    std::vector<QByteArray> photos;
    for (const QString& folder : folders) {
        const QDir dir(folder);
        for (const QString& name : dir.entryList({"*.jpg", "*.JPG", "*.jpeg"}, QDir::Files)) {
            QFile file(dir.filePath(name));
            if (file.open(QIODevice::ReadOnly))
                photos.push_back(file.readAll());
        }
    }
    QThreadPool::globalInstance()->setMaxThreadCount(threads);
    std::atomic<qint64> bytes{0};
    QElapsedTimer clock;
    clock.start();
    QtConcurrent::blockingMap(
        photos, [&](const QByteArray& jpeg) { bytes += makeAnew(jpeg, fit, quality); });
    const double seconds = clock.nsecsElapsed() / 1e9;
    QTextStream(stdout) << "photos " << photos.size() << ", threads " << threads << ", fit " << fit
                        << ", quality " << quality << ": " << QString::number(seconds, 'f', 2)
                        << " s (" << QString::number(seconds * 1000 / photos.size(), 'f', 1)
                        << " ms a photo), " << bytes.load() / (1 << 20) << " MB made, load average "
                        << loadAverage() << '\n';
    return 0;
}
