#include "PictureLoader.h"

#include "opening/EarlyPictures.h"
#include "pictures/JpegDecoder.h"

#include <QBuffer>
#include <QFile>
#include <QImageReader>
#include <QtConcurrent/QtConcurrentRun>
#include <algorithm>
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

    if (storage == Storage::Decoded && JpegDecoder::looksLikeJpeg(bytes)) {
        // JPEG pictures are held as the decoder's planes where they can be.
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
    const QSize pictureSize = reader.size();
    if (!reader.canRead() || !pictureSize.isValid())
        return {nullptr, undecodable(memberName, reader.errorString())};
    if (storage == Storage::Compressed)
        return {Picture::fromEncoded(bytes, pictureSize), {}};
    if (reserve && !reserve(qint64(pictureSize.width()) * pictureSize.height() * 4))
        return {nullptr, {}, true};
    const QImage image = reader.read();
    if (image.isNull())
        return {nullptr, undecodable(memberName, reader.errorString())};
    return {Picture::fromImage(image), {}};
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
            QFuture<PictureRead> started = early && storage == Storage::Decoded
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
