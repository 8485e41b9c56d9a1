#include "EarlyPictures.h"

#include <QFileInfo>
#include <QtConcurrent/QtConcurrentRun>

EarlyPictures::EarlyPictures(qint64 byteCap, PictureLoader::Storage storage,
                             JpegDecoder::ScaleFor scaleFor)
    : m_shared(std::make_shared<Shared>()) {
    m_shared->cap = byteCap;
    m_shared->storage = storage;
    m_shared->scaleFor = std::move(scaleFor);
}

EarlyPictures::~EarlyPictures() {
    drop();
}

void EarlyPictures::offer(const QString& path) {
    if (m_shared->stopped.load() || m_spoiled.contains(path))
        return;
    auto previous = m_started.find(path);
    if (previous != m_started.end()) {
        previous->waitForFinished();
        m_started.erase(previous);
        m_spoiled.insert(path);
        return;
    }
    m_started.insert(path, QtConcurrent::run(&EarlyPictures::decode, m_shared, path));
}

PictureRead EarlyPictures::decode(const std::shared_ptr<Shared>& shared, const QString& path) {
    // Neither a read after a drop, nor a file larger than the bound (no picture file is nearly as
    // large as its pixels, and the loader reads what the bound leaves undone).
    const qint64 fileSize = QFileInfo(path).size();
    if (shared->stopped.load() || fileSize > shared->cap)
        return {nullptr, {}, true};
    qint64 reserved = 0;
    // A picture decoded at a screen level keeps its file's bytes beside its pixels (the reserve
    // is asked before the scale is known: counted for any picture that may have one, and settled
    // to what the picture holds once it is read).
    const bool decoded = shared->storage == PictureLoader::Storage::Decoded;
    const qint64 kept = decoded && shared->scaleFor ? fileSize : 0;
    const auto reserve = [&shared, &reserved, kept](qint64 pixels) {
        const qint64 pixelBytes = pixels + kept;
        if (shared->stopped.load())
            return false;
        if (shared->reserved.fetch_add(pixelBytes) + pixelBytes > shared->cap) {
            shared->reserved.fetch_sub(pixelBytes);
            return false;
        }
        reserved = pixelBytes;
        return true;
    };
    // Extraction is flat: the file's name is the member's.
    const QString name = path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
    PictureRead read;
    if (decoded)
        read = PictureLoader::read(path, name, PictureLoader::Storage::Decoded, reserve,
                                   shared->scaleFor);
    else if (!reserve(fileSize)) // a compressed picture holds its file's bytes
        return {nullptr, {}, true};
    else
        // Decoded once to check it, within the bound all the same.
        read = PictureLoader::read(
            path, name, PictureLoader::Storage::Compressed,
            [&shared](qint64 pixelBytes) { return pixelBytes <= shared->cap; }, shared->scaleFor);
    if (!read.picture)
        shared->reserved.fetch_sub(reserved);
    else
        shared->reserved.fetch_add(read.picture->heldBytes() - reserved);
    return read;
}

void EarlyPictures::put(const QString& path, const PictureRead& read) {
    if (m_shared->stopped.load() || m_started.contains(path) || m_spoiled.contains(path))
        return;
    if (read.picture)
        m_shared->reserved.fetch_add(read.picture->heldBytes());
    m_started.insert(path, QtFuture::makeReadyFuture(read));
}

QFuture<PictureRead> EarlyPictures::take(const QString& path) {
    auto found = m_started.find(path);
    if (found == m_started.end())
        return {};
    QFuture<PictureRead> future = *found;
    m_started.erase(found);
    ++m_taken;
    return future;
}

void EarlyPictures::drop() {
    m_shared->stopped.store(true);
    for (QFuture<PictureRead>& future : m_started)
        future.waitForFinished();
    m_started.clear();
}
