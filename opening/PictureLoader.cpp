#include "PictureLoader.h"

#include "opening/EarlyPictures.h"
#include "pictures/DecodedBytes.h"
#include "pictures/JpegDecoder.h"

#include <QBuffer>
#include <QFile>
#include <QImageReader>
#include <QtConcurrent/QtConcurrentRun>
#include <algorithm>
#include <cstdlib>
#include <deque>

namespace {

// The picture files are bounded by the extraction's own limits; this only guards the reads.
constexpr qint64 kLargestPictureFile = qint64(1) << 31;

// Reads a whole extracted picture file into `bytes`. False, with `problem` naming the member, when
// the file is missing or too large to be a picture.
bool readPictureBytes(const QString& path, const QString& memberName, QByteArray& bytes,
                      QString& problem) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered)) {
        problem = QStringLiteral("The picture %1 is missing from the package.").arg(memberName);
        return false;
    }
    const qint64 size = file.size();
    if (size > kLargestPictureFile) {
        problem = QStringLiteral("The picture %1 is too large.").arg(memberName);
        return false;
    }
    // One read straight into a buffer of the file's size.
    bytes = QByteArray(static_cast<qsizetype>(size), Qt::Uninitialized);
    const qint64 got = size > 0 ? file.read(bytes.data(), size) : 0;
    bytes.truncate(static_cast<qsizetype>(std::max<qint64>(got, 0)));
    return true;
}

QString undecodable(const QString& memberName, const QString& why) {
    return QStringLiteral("The picture %1 cannot be decoded (%2).").arg(memberName, why);
}

} // namespace

PictureRead PictureLoader::read(const QString& path, const QString& memberName, Storage storage,
                                const JpegDecoder::Reserve& reserve) {
    QByteArray bytes;
    QString problem;
    if (!readPictureBytes(path, memberName, bytes, problem))
        return {nullptr, problem};
    if (storage == Storage::Decoded)
        return decode(bytes, memberName, reserve);
    // Held as the file's bytes, but decoded once here and let go at once: a picture that does not
    // decode is refused now, as with decoded storage, and the size it is held with is its real one.
    const PictureRead check = decode(bytes, memberName, {});
    if (!check.picture)
        return check;
    return {Picture::fromEncoded(bytes, check.picture->size()), {}};
}

PictureRead PictureLoader::decode(const QByteArray& bytes, const QString& memberName,
                                  const JpegDecoder::Reserve& reserve) {
    if (JpegDecoder::looksLikeJpeg(bytes)) {
        JpegDecoder::Result jpeg = JpegDecoder::decode(bytes, reserve, JpegDecoder::Output::Planes);
        if (jpeg.status == JpegDecoder::Status::Decoded)
            return {jpeg.planes ? Picture::fromPlanes(std::move(jpeg.planes))
                                : Picture::fromImage(jpeg.image),
                    {}};
        if (jpeg.status == JpegDecoder::Status::Failed)
            return {nullptr, undecodable(memberName, jpeg.error)};
        if (jpeg.status == JpegDecoder::Status::Declined)
            return {nullptr, {}, true};
    }

    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    reader.setAutoTransform(false);
    // The reader gives a BMP stored top-down a negative height; its rows are read all the same.
    const QSize header = reader.size();
    const qint64 width = std::abs(qint64(header.width()));
    const qint64 height = std::abs(qint64(header.height()));
    if (!reader.canRead() || width == 0 || height == 0)
        return {nullptr, undecodable(memberName, reader.errorString())};
    // The bound the reader itself would refuse with (0: none), said plainly before any pixel
    // memory is asked for; the JPEG decoder keeps the same bound.
    const qint64 mostBytes = qint64(QImageReader::allocationLimit()) << 20;
    if (mostBytes > 0 && decodedPictureBytes(width, height) > mostBytes)
        return {
            nullptr,
            undecodable(
                memberName,
                QStringLiteral("a picture of %1 x %2 pixels is too large").arg(width).arg(height))};
    if (reserve && !reserve(decodedPictureBytes(width, height)))
        return {nullptr, {}, true};
    const QImage image = reader.read();
    if (image.isNull())
        return {nullptr, undecodable(memberName, reader.errorString())};
    return {Picture::fromImage(image), {}};
}

PictureRead PictureLoader::heldCompressed(const Job& job, QSize size) {
    QByteArray bytes;
    QString problem;
    if (!readPictureBytes(job.path, job.memberName, bytes, problem))
        return {nullptr, problem};
    return {Picture::fromEncoded(bytes, size), {}};
}

PictureLoader::Outcome PictureLoader::load(const std::vector<Job>& jobs, Storage storage,
                                           qint64 byteBudget, ProgressSink& progress,
                                           std::vector<PicturePtr>& slotPictures,
                                           EarlyPictures* early) const {
    Outcome outcome;
    // Keep a bounded number of decodes in flight so that a refusal half-way does not leave a
    // whole package decoded in memory (early reads keep to a bound of their own).
    const std::size_t inFlight =
        static_cast<std::size_t>(std::max(2, QThread::idealThreadCount())) * 3;
    std::deque<QFuture<PictureRead>> running;
    std::size_t next = 0;
    auto launch = [&] {
        while (next < jobs.size() && running.size() < inFlight) {
            const Job& job = jobs[next++];
            QFuture<PictureRead> started = early && early->storage() == storage
                                               ? early->take(job.path)
                                               : QFuture<PictureRead>();
            if (started.isValid() && !(started.isFinished() && started.result().declined))
                // A picture left undone early (no memory for it then) is read now, on the thread
                // that gave it up.
                running.push_back(
                    started.then(QtFuture::Launch::Sync, [path = job.path, name = job.memberName,
                                                          storage](const PictureRead& read) {
                        return read.declined ? PictureLoader::read(path, name, storage) : read;
                    }));
            else
                running.push_back(
                    QtConcurrent::run([path = job.path, name = job.memberName, storage] {
                        return PictureLoader::read(path, name, storage);
                    }));
        }
    };

    std::vector<int> filled;
    for (const Job& job : jobs) {
        launch();
        if (!job.messageBefore.isEmpty()) {
            progress.setMessage(job.messageBefore);
            progress.refresh();
        }
        PictureRead decoded = running.front().result();
        running.pop_front();
        if (decoded.picture && decoded.picture->isDecoded() &&
            outcome.heldBytes + decoded.picture->heldBytes() > byteBudget)
            // Larger than the first picture that the memory check went by: held as its file's
            // bytes instead, as a package that fits only that way is (it decoded already).
            decoded = heldCompressed(job, decoded.picture->size());
        if (decoded.picture && outcome.heldBytes + decoded.picture->heldBytes() > byteBudget)
            decoded = {nullptr, QStringLiteral("The picture %1 does not fit in the free memory.")
                                    .arg(job.memberName)};
        if (!decoded.picture) {
            outcome.ok = false;
            outcome.problem = decoded.problem;
            break;
        }
        outcome.heldBytes += decoded.picture->heldBytes();
        if (job.slot >= 0) {
            if (static_cast<std::size_t>(job.slot) >= slotPictures.size())
                slotPictures.resize(static_cast<std::size_t>(job.slot) + 1);
            slotPictures[static_cast<std::size_t>(job.slot)] = decoded.picture;
            filled.push_back(job.slot);
        }
        QFile::remove(job.path);
        if (!job.messageAfter.isEmpty()) {
            progress.setMessage(job.messageAfter);
            progress.refresh();
        }
    }
    if (!outcome.ok) {
        for (QFuture<PictureRead>& future : running)
            future.waitForFinished();
        for (const Job& job : jobs)
            QFile::remove(job.path);
        for (int slot : filled)
            slotPictures[static_cast<std::size_t>(slot)].reset();
        outcome.heldBytes = 0;
    }
    return outcome;
}
