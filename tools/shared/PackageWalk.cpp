#include "PackageWalk.h"
#include "InterruptGuard.h"
#include "ProgressReporter.h"
#include "TerminalPrompter.h"

#include "format/GyroError.h"
#include "format/PackageCounters.h"
#include "imageinfo/CImageInfo.h"
#include "opening/MemberLookup.h"
#include "opening/MemoryBudget.h"
#include "opening/PackageStore.h"
#include "opening/PictureLoader.h"
#include "opening/SystemFreeMemory.h"
#include "pictures/DecodeFailure.h"
#include "pictures/DecodedBytes.h"
#include "pictures/JpegDecoder.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QThreadPool>
#include <QtConcurrent/QtConcurrentMap>
#include <atomic>
#include <mutex>
#include <numeric>

namespace {

constexpr int kLargestSide = 65535; // as the viewer

bool isJpegName(const QString& member) {
    const QString suffix = QFileInfo(member).suffix().toLower();
    return suffix == QLatin1String("jpg") || suffix == QLatin1String("jpeg");
}

QImage decodePicture(const QByteArray& bytes, const QString& member, QSize atLeast,
                     QString& problem) {
    if (isJpegName(member)) {
        JpegDecoder::Scaled read =
            JpegDecoder::decodeScaled(bytes, atLeast.isValid() ? atLeast : QSize(1, 1));
        problem = read.problem;
        if (problem.isEmpty() &&
            (read.fullSize.width() > kLargestSide || read.fullSize.height() > kLargestSide))
            problem = QStringLiteral("it is larger than %1 pixels a side").arg(kLargestSide);
        return read.image;
    }
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    reader.setAutoTransform(false);
    const QSize declared = reader.size();
    QImage image = reader.read();
    if (image.isNull())
        problem = decodeFailureReason(reader, declared);
    return image;
}

QString megabytes(qint64 bytes) {
    return QString::number((bytes + 999'999) / 1'000'000);
}

} // namespace

PackageWalk::PackageWalk(ProgressReporter& progress, std::unique_ptr<FreeMemorySource> memory,
                         const QString& password, bool echo)
    : m_progress(progress), m_prompter(std::make_unique<TerminalPrompter>(password, echo)),
      m_memory(memory ? std::move(memory) : std::make_unique<SystemFreeMemory>()),
      m_share(*m_memory) {}

PackageWalk::~PackageWalk() {
    m_opening.reset();
    if (m_folder) {
        const QString path = m_folder->path();
        m_folder.reset();
        InterruptGuard::release(path);
    }
}

void PackageWalk::judgeAsViewer(OpeningShownSize shown) {
    m_asViewer = true;
    m_shown = std::move(shown);
}

bool PackageWalk::open(const QString& packagePath) {
    packageCounters().reset();
    // The opening keeps its probe's read of a first picture left in the package for a loading
    // that never comes here: held as bytes read back from the package (nothing), not decoded,
    // unless the package is judged as the viewer holds it.
    m_options.bOptUseRam = m_asViewer && OptionSettings{}.bOptUseRam;
    m_opening = std::make_unique<PackageOpening>(m_progress, *m_prompter,
                                                 m_asViewer ? *m_memory : m_share, m_options);
    const QFileInfo file(packagePath);
    if (!file.fileName().endsWith(QLatin1String(".360"))) {
        m_message = QStringLiteral("Wrong file type!!");
        return false;
    }
    {
        // Made and registered as one step: a signal meanwhile waits, and then finds it.
        const auto held = InterruptGuard::holdOff();
        m_folder = std::make_unique<PrivateFolder>();
        if (m_folder->isValid())
            InterruptGuard::addFolder(m_folder->path());
    }
    if (!m_folder->isValid()) {
        m_message = QStringLiteral("Cannot open %1.\n\nNo private folder could be made: %2")
                        .arg(file.fileName(), m_folder->errorString());
        return false;
    }
    const bool ok = openSteps(file.absoluteFilePath());
    m_progress.finish();
    if (!ok) {
        if (m_message.isEmpty())
            m_message = m_opening->problem();
        return false;
    }
    listPictures();
    return true;
}

bool PackageWalk::openSteps(const QString& packagePath) {
    m_opening->setEarlyDecoding(false);
    if (m_shown)
        m_opening->setOpeningShown(m_shown);
    if (!m_opening->extract(packagePath, m_folder->path()) || !m_opening->readDescriptor())
        return false;
    if (m_asViewer)
        return m_opening->probeFirstPicture() && m_opening->checkMemory();
    if (!firstPictureFits())
        return false;
    m_share.shareAmong(m_opening->horizontalCount() + m_opening->upperCount() +
                       m_opening->lowerCount());
    const bool probed = m_opening->probeFirstPicture();
    m_share.shareAmong(1);
    return probed;
}

bool PackageWalk::firstPictureFits() {
    const PackageOpening& o = *m_opening;
    const Descriptor& d = o.descriptor();
    const QString name = horizontalMemberName(d.fileName, 0, d.fileType);
    const WalkPicture first{name, o.folder() + MemberLookup(o.folder()).resolve(name),
                            o.leftInPackage(name)};
    CImageInfo info;
    try {
        if (first.inPackage)
            info.ReadImageHead(pictureHead(first, CImageInfo::BufferSize));
        else
            info.ReadImageInfo(first.path);
    } catch (const GyroError&) {
        return true; // the probe names what is wrong with it
    }
    const qint64 needed = decodedPictureBytes(info.Width(), info.Height()) +
                          qint64(o.counters().sngMaxFileLen) + kMemoryMargin;
    const qint64 free = m_memory->availableBytes();
    if (info.ImageType() == 0 || needed <= free)
        return true;
    m_message = PackageOpening::refusal(
        o.packageTitle(), QStringLiteral("The picture %1 is %2 x %3 pixels: decoded once it needs "
                                         "%4 MB, and %5 MB of memory are free.")
                              .arg(name)
                              .arg(info.Width())
                              .arg(info.Height())
                              .arg(megabytes(needed), megabytes(free)));
    return false;
}

void PackageWalk::listPictures() {
    const PackageOpening& o = *m_opening;
    const MemberLookup members(o.folder());
    const Descriptor& d = o.descriptor();
    auto add = [&](const QString& name, int ring, int column, int row) {
        m_pictures.push_back(
            {name, o.folder() + members.resolve(name), o.leftInPackage(name), ring, column, row});
    };
    for (int i = 0; i < o.horizontalCount(); ++i)
        add(horizontalMemberName(d.fileName, i, d.fileType), 0, i,
            navigation::kHorizontalRingValue);
    const PackageCounters& c = o.counters();
    for (const auto& [kind, count, rows, geometry] :
         {std::tuple{RingKind::Upper, o.upperCount(), int(c.bytVRows), &o.upperGeometry()},
          std::tuple{RingKind::Lower, o.lowerCount(), int(c.bytMRows), &o.lowerGeometry()}}) {
        if (count == 0)
            continue;
        for (const RingMember& m : geometry->members(rows))
            add(verticalMemberName(d.fileName, kind, m.column, m.row, d.fileType),
                kind == RingKind::Upper ? 1 : 2, m.column, m.row);
    }
}

std::vector<std::uint8_t> PackageWalk::ringMap(int ring) const {
    const int n = m_opening->horizontalCount();
    std::vector<std::uint8_t> map(std::size_t(n + 1), navigation::kNoRing);
    for (std::size_t i = 0; i < m_pictures.size(); ++i) {
        const WalkPicture& p = m_pictures[i];
        // Slots: the horizontal ring, one empty slot, then the vertical rings.
        if (p.ring == ring && p.row == navigation::kFirstRingRow && p.column >= 0 && p.column <= n)
            map[std::size_t(p.column)] = std::uint8_t(i + 1);
    }
    return map;
}

qint64 PackageWalk::bytesPerDecode(QSize atLeast) const {
    const QSize natural(m_opening->pictureWidth(), m_opening->pictureHeight());
    const qint64 file = qint64(m_opening->counters().sngMaxFileLen);
    if (!isJpegName(QStringLiteral("picture") + m_opening->sImageExt()))
        return file + decodedPictureBytes(natural.width(), natural.height());
    const int eighths = JpegDecoder::eighthsFor(natural, atLeast.isValid() ? atLeast : QSize(1, 1));
    const qint64 width = (qint64(natural.width()) * eighths + 7) / 8;
    const qint64 height = (qint64(natural.height()) * eighths + 7) / 8;
    return file + width * height * 3; // RGB888
}

PictureLoader::Job PackageWalk::loaderJob(const WalkPicture& picture) const {
    PictureLoader::Job job;
    job.path = picture.path;
    job.memberName = picture.member;
    job.inPackage = picture.inPackage;
    if (const std::shared_ptr<PackageStore>& store = m_opening->store();
        picture.inPackage && store) {
        job.stored = store->member(picture.member);
        job.checksum = store->checksum(picture.member).value_or(0);
    }
    return job;
}

bool PackageWalk::pictureBytes(const WalkPicture& picture, QByteArray& bytes,
                               QString& problem) const {
    return PictureLoader::readBytes(loaderJob(picture), bytes, problem);
}

QByteArray PackageWalk::pictureHead(const WalkPicture& picture, qint64 most) const {
    QByteArray head;
    if (picture.inPackage) {
        if (const std::shared_ptr<PackageStore>& store = m_opening->store())
            store->readHead(picture.member, most, head);
        return head;
    }
    QFile file(picture.path);
    if (file.open(QIODevice::ReadOnly))
        head = file.read(most);
    return head;
}

QString PackageWalk::decodeAll(QSize atLeast, const Use& use, qint64 besides) {
    return forEach(bytesPerDecode(atLeast), besides, [&](std::size_t index) {
        const WalkPicture& picture = m_pictures[index];
        QString why;
        QByteArray bytes;
        if (!pictureBytes(picture, bytes, why))
            return PackageOpening::refusal(m_opening->packageTitle(), why);
        const QImage image = decodePicture(bytes, picture.member, atLeast, why);
        if (!why.isEmpty() || image.isNull())
            return QStringLiteral("Cannot open %1.\n\nThe picture %2 cannot be decoded: %3")
                .arg(m_opening->packageTitle(), picture.member, why);
        use(index, image);
        return QString();
    });
}

QString PackageWalk::readAsViewer(const JpegDecoder::ScaleFor& scaleFor, QSize level) {
    // The opening holds its read of a first picture left in the package, at its level, meanwhile.
    const bool firstHeld = !m_pictures.empty() && m_pictures.front().inPackage;
    const qint64 held = firstHeld ? qint64(level.width()) * level.height() * 4 : 0;
    return forEach(bytesPerDecode(level), held, [&](std::size_t index) {
        const PictureRead read = PictureLoader::read(loaderJob(m_pictures[index]),
                                                     PictureLoader::Storage::Decoded, {}, scaleFor);
        return read.picture ? QString()
                            : PackageOpening::refusal(m_opening->packageTitle(), read.problem);
    });
}

QString PackageWalk::forEach(qint64 each, qint64 besides,
                             const std::function<QString(std::size_t)>& step) {
    const qint64 free = m_memory->availableBytes() - besides - kMemoryMargin;
    const qint64 fit = std::max<qint64>(0, free) / std::max<qint64>(1, each);
    if (fit < 1)
        return PackageOpening::refusal(
            m_opening->packageTitle(),
            QStringLiteral("Reading its pictures one at a time needs %1 MB, and %2 MB of memory "
                           "are free.")
                .arg(megabytes(each + besides + kMemoryMargin),
                     megabytes(m_memory->availableBytes())));
    QThreadPool pool;
    pool.setMaxThreadCount(
        int(std::min<qint64>(fit, QThreadPool::globalInstance()->maxThreadCount())));
    std::vector<std::size_t> order(m_pictures.size());
    std::iota(order.begin(), order.end(), std::size_t(0));
    std::atomic<bool> failed{false};
    std::atomic<qint64> done{0};
    std::mutex mutex;
    QString problem;
    const qint64 total = static_cast<qint64>(order.size());
    QtConcurrent::blockingMap(&pool, order, [&](std::size_t index) {
        if (failed)
            return;
        const QString why = step(index);
        if (!m_pictures[index].inPackage)
            QFile::remove(m_pictures[index].path);
        if (!why.isEmpty()) {
            const std::lock_guard<std::mutex> lock(mutex);
            if (!failed.exchange(true))
                problem = why;
            return;
        }
        m_progress.step(QStringLiteral("reading pictures"), ++done, total);
    });
    m_progress.finish();
    return problem;
}
