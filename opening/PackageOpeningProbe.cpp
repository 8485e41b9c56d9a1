// The probe step of an opening: the headers of every picture, and the first picture decoded once.
#include "PackageOpening.h"

#include "format/FileUtil.h"
#include "format/GyroError.h"
#include "format/MemberNames.h"
#include "format/OptionSettings.h"
#include "imageinfo/CImageInfo.h"
#include "opening/EarlyPictures.h"
#include "opening/FirstPictureAhead.h"
#include "opening/FreeMemorySource.h"
#include "opening/PackageStore.h"
#include "pictures/DecodedBytes.h"
#include "pictures/PictureDecoder.h"
#include "pictures/PixelPool.h"

#include <QFile>
#include <algorithm>

namespace {

// The largest picture side the header probe's fields can hold.
constexpr int kLargestSide = 65535;

// What the screen level of a picture holds once decoded: the bytes its decode asks for, read from
// its header alone (the decode is refused before any pixel memory is taken).
qint64 levelBytesOf(const Picture& picture) {
    qint64 asked = 0;
    const int level = picture.levelDenominator();
    decodePicture(
        picture.encodedBytes(),
        [&asked](qint64 bytes) {
            asked = bytes;
            return false;
        },
        [level](QSize) { return level; });
    return asked;
}

} // namespace

bool PackageOpening::probeFirstPicture() {
    const QString name = horizontalMemberName(m_descriptor.fileName, 0, m_descriptor.fileType);
    if (!memberExists(name))
        return fail(QStringLiteral("The picture %1 is missing from the package.").arg(name));
    const PictureLoader::Job job = pictureJobs().jobs.front();
    CImageInfo info;
    try {
        probeHeader(info, job);
    } catch (const GyroError& error) {
        return fail(
            QStringLiteral("The picture %1 cannot be read: %2.").arg(name, error.description()));
    }
    if (info.ImageType() == 0)
        return fail(
            QStringLiteral("The picture %1 is not a GIF, JPEG, PNG or BMP picture.").arg(name));
    if (info.Width() <= 0 || info.Height() <= 0)
        return fail(QStringLiteral("The picture %1 gives no size in its header.").arg(name));
    if (!probeOtherHeaders(info.Width(), info.Height()))
        return false;
    // The header's 16-bit fields can be wrong (a BMP stored top-down reads as 65,536 minus its
    // height) or can claim a size the data does not hold. Nothing is sized by the picture before
    // it has been decoded once: its real size is the decoded one.
    qint64 asked = 0;
    const PictureRead first = readFirstPicture(job, asked);
    if (first.declined)
        return refuseClaim(name, info.Width(), info.Height());
    if (!first.picture)
        return fail(first.problem);
    const QSize real = first.picture->size();
    if (real.width() > kLargestSide || real.height() > kLargestSide)
        return fail(QStringLiteral("The picture %1 is %2 x %3 pixels; the viewer shows pictures of "
                                   "at most %4 pixels a side.")
                        .arg(name)
                        .arg(real.width())
                        .arg(real.height())
                        .arg(kLargestSide));
    // A picture held at a screen level is decoded whole when zoomed past it: one that could never
    // be is refused now, like a header's claim, before anything is sized by it.
    if (first.picture->levelDenominator() > 1 &&
        decodedPictureBytes(real.width(), real.height()) > mostForOnePicture())
        return refuseClaim(name, real.width(), real.height());
    m_width = real.width();
    m_height = real.height();
    m_level = first.picture->levelDenominator();
    // What the decode asked for is what the level holds; the header tells it otherwise.
    m_levelBytes = m_level <= 1 ? 0 : asked > 0 ? asked : levelBytesOf(*first.picture);
    return true;
}

bool PackageOpening::probeOtherHeaders(qint32 width, qint32 height) {
    // The memory check counts every picture at the first one's size: a smaller picture takes less
    // than it is counted for; a larger one is refused here, by the size its header declares,
    // before any decode. Headers that cannot be read are left to the decode, which names what is
    // wrong with them.
    const PictureJobs jobs = pictureJobs();
    for (std::size_t index = 1; index < jobs.jobs.size(); ++index) {
        const PictureLoader::Job& job = jobs.jobs[index];
        CImageInfo info;
        try {
            probeHeader(info, job);
        } catch (const GyroError&) {
            continue;
        }
        if (info.ImageType() == 0 || (info.Width() <= width && info.Height() <= height))
            continue;
        return fail(QStringLiteral("The picture %1 is %2 x %3 pixels, larger than the first "
                                   "picture %4 (%5 x %6): no picture of a package may be larger "
                                   "than its first.")
                        .arg(job.memberName)
                        .arg(info.Width())
                        .arg(info.Height())
                        .arg(jobs.jobs.front().memberName)
                        .arg(width)
                        .arg(height));
    }
    return true;
}

qint64 PackageOpening::mostForOnePicture() const {
    // A share of the free memory when every picture is held decoded, or half of what the files
    // leave when they are held compressed (the two latest decodes); files that stay in the package
    // leave it all.
    const qint64 free = m_memorySource.availableBytes() + PixelPool::instance().pooledBytes();
    const qint64 pictures = std::max(1, m_horizontal + m_upper + m_lower);
    const qint64 files =
        filesStayInPackage() ? 0 : compressedEstimate(pictures, qint64(m_counters.sngMaxFileLen));
    return std::max(free / pictures, (free - files) / 2);
}

void PackageOpening::probeHeader(CImageInfo& info, const PictureLoader::Job& job) const {
    if (!job.inPackage) {
        info.ReadImageInfo(job.path);
        return;
    }
    // A header the package cannot give probes as a file that is not there (no size): the decode
    // says what is wrong.
    QByteArray head;
    if (m_store)
        m_store->readHead(job.memberName, CImageInfo::BufferSize, head);
    info.ReadImageHead(head);
}

PictureRead PackageOpening::readFirstPicture(const PictureLoader::Job& job, qint64& asked) {
    asked = 0;
    // Usually read already while the extraction went on; the loader takes that read later.
    if (m_early) {
        QFuture<PictureRead> started = m_early->find(job.path);
        if (started.isValid()) {
            const PictureRead read = started.result();
            if (!read.declined)
                return read;
        }
    }
    // Decoded to check it, then held only as its file's bytes until the loader's turn. A header
    // claiming more pixels than the memory check could ever give one picture is left undone
    // before they are asked for.
    const qint64 most = mostForOnePicture();
    // A picture left in the package was not read during the extraction: read here as the loader
    // will hold it (or taken from the read begun when the descriptor named it), and handed to it,
    // so that it is decoded once.
    const bool forLoader = job.inPackage;
    const PictureLoader::Storage storage = m_early ? m_early->storage() : askedStorage();
    const std::unique_ptr<FirstPictureAhead> ahead = std::move(m_ahead);
    std::optional<PictureRead> aheadRead;
    if (ahead && forLoader)
        aheadRead = ahead->take(job, storage, most);
    const auto reserve = [most, &asked](qint64 bytes) {
        asked = std::max(asked, bytes);
        return bytes <= most;
    };
    PictureRead read =
        aheadRead
            ? *aheadRead
            : PictureLoader::readBack(
                  PictureLoader::read(job, forLoader ? storage : PictureLoader::Storage::Compressed,
                                      reserve, m_scaleFor),
                  job);
    if (aheadRead)
        asked = ahead->asked();
    if (forLoader && read.picture) {
        if (m_early)
            m_early->put(job.path, read);
        else
            m_firstRead = FirstRead{job.path, storage, read};
    }
    return read;
}

void PackageOpening::readFirstAhead(const Descriptor& descriptor) {
    if (m_ahead || m_earlyDecoding || !m_store || !m_picturesInPackage)
        return;
    PictureLoader::Job job;
    job.memberName = horizontalMemberName(descriptor.fileName, 0, descriptor.fileType);
    job.stored = m_store->member(job.memberName);
    if (!job.stored)
        return;
    job.inPackage = true;
    job.checksum = m_store->checksum(job.memberName).value_or(0);
    // The probe allows the decode at most what mostForOnePicture() gives, never more than half the
    // memory free now unless the package holds one picture: a decode that asks for more is left
    // undone, and the probe reads the picture itself.
    const qint64 free = m_memorySource.availableBytes() + PixelPool::instance().pooledBytes();
    m_ahead =
        std::make_unique<FirstPictureAhead>(std::move(job), askedStorage(), free / 2, m_scaleFor);
}

bool PackageOpening::refuseClaim(const QString& name, qint64 width, qint64 height) {
    // Checked by its header's size, which the memory check refuses (or the picture alone passes
    // what the pictures could have).
    dropEarlyPictures();
    const qint64 free = m_memorySource.availableBytes() + PixelPool::instance().pooledBytes();
    const MemoryBudget claimed =
        checkMemoryBudget(m_horizontal + m_upper + m_lower, width, height,
                          qint64(m_counters.sngMaxFileLen), free, m_options.bOptUseRam);
    if (claimed.storage != PictureStorage::Refused)
        return fail(QStringLiteral("The picture %1 does not fit in the free memory.").arg(name));
    m_memory = claimed;
    m_problem = claimed.message;
    return false;
}
