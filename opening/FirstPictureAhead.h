#pragma once

#include "opening/PictureLoader.h"

#include <QFuture>
#include <QString>
#include <atomic>
#include <memory>
#include <optional>

// The first picture of a package left in it, read and decoded on another core as soon as the
// descriptor has named it, while the opening extracts the rest and probes the other headers. The
// probe then takes this read instead of reading the picture itself, when it is of the same member,
// held the same way, and the decode asked no more memory than the probe allows it. Otherwise (the
// read failed, or was left undone for want of memory) the probe reads the picture as it would have
// without this, so what the user is told does not change.
class FirstPictureAhead {
public:
    // Starts reading `job`'s member (left in the package: stored, inPackage and checksum set) held
    // as `storage`; its decode is left undone when it asks for more than `most` bytes.
    FirstPictureAhead(PictureLoader::Job job, PictureLoader::Storage storage, qint64 most,
                      JpegDecoder::ScaleFor scaleFor);
    ~FirstPictureAhead(); // waits for the read
    FirstPictureAhead(const FirstPictureAhead&) = delete;
    FirstPictureAhead& operator=(const FirstPictureAhead&) = delete;

    // Waits for the read; gives it when it is of `job`'s member, held as `storage`, has a picture,
    // and its decode asked for no more than `most` bytes.
    std::optional<PictureRead> take(const PictureLoader::Job& job, PictureLoader::Storage storage,
                                    qint64 most);
    // The most bytes the decode asked for at once (once take() has waited for it).
    qint64 asked() const { return m_asked->load(); }

private:
    QString m_memberName;
    PictureLoader::Storage m_storage;
    // The most bytes the decode asked for at once.
    std::shared_ptr<std::atomic<qint64>> m_asked = std::make_shared<std::atomic<qint64>>(0);
    QFuture<PictureRead> m_read;
};
