#pragma once

#include "opening/PictureLoader.h"

#include <QFuture>
#include <QHash>
#include <QSet>
#include <QString>
#include <atomic>
#include <memory>

// Reads picture files while the extraction is still writing the rest of the package, so
// the cores the extraction leaves idle are not wasted. The extraction offers each picture member
// as soon as it is written; a worker thread reads and decodes it in the background (for pictures
// held compressed it decodes to check the file and keeps only its bytes). The loader later takes
// the result for the same file instead of reading it again; whatever it does not take is released.
//
// An early read gives what the loader's own read of the file with the same storage would give
// (the picture, or the problem that the loader reports when it comes to that file), within a
// bound: together the early pictures hold at most `byteCap` bytes (pixels, or file bytes when held
// compressed), and a picture that would pass it (or a file larger than the bound) is left undone
// (declined) for the loader to read in its own turn.
//
// Used from one thread (the opening's); the decodes run on the global thread pool.
class EarlyPictures {
public:
    // `scaleFor` gives the pictures' screen levels, as for PictureLoader.
    explicit EarlyPictures(qint64 byteCap,
                           PictureLoader::Storage storage = PictureLoader::Storage::Decoded,
                           JpegDecoder::ScaleFor scaleFor = {});
    ~EarlyPictures(); // drop()
    EarlyPictures(const EarlyPictures&) = delete;
    EarlyPictures& operator=(const EarlyPictures&) = delete;

    // Starts decoding the file at `path`. A path offered a second time (its file was written
    // again) is left to the loader for good.
    void offer(const QString& path);

    // Keeps a picture read already (the opening's first, read from the package where its member
    // lies) for the loader to take as if it had been read here; its bytes count as reserved.
    void put(const QString& path, const PictureRead& read);

    // How the early pictures are held.
    PictureLoader::Storage storage() const { return m_shared->storage; }

    // The read started for `path`, still left here for the loader to take; an invalid future when
    // none was. Does not wait.
    QFuture<PictureRead> find(const QString& path) const { return m_started.value(path); }

    // The bytes the early reads hold or are about to take (every picture decoded early,
    // taken or not, and those under way). Does not wait.
    qint64 reservedBytes() const { return m_shared->reserved.load(); }

    // The read started for `path`, taken out of this object; an invalid future when none was.
    QFuture<PictureRead> take(const QString& path);

    // Stops the decodes not yet begun, waits for the rest and releases every picture not taken.
    void drop();

    // How many early decodes were taken, since construction (for tests and benches).
    int takenCount() const { return m_taken; }

private:
    struct Shared {
        std::atomic<qint64> reserved{0};
        std::atomic<bool> stopped{false};
        qint64 cap = 0;
        PictureLoader::Storage storage = PictureLoader::Storage::Decoded;
        JpegDecoder::ScaleFor scaleFor;
    };
    // One early read, on a worker thread.
    static PictureRead decode(const std::shared_ptr<Shared>& shared, const QString& path);

    std::shared_ptr<Shared> m_shared; // shared with the decodes under way
    QHash<QString, QFuture<PictureRead>> m_started;
    QSet<QString> m_spoiled; // offered more than once
    int m_taken = 0;
};
