#include "PackageOpening.h"

#include "archive/BindingState.h"
#include "archive/CGUnzipFiles.h"
#include "format/FileUtil.h"
#include "format/GyroError.h"
#include "format/MemberNames.h"
#include "format/Navigation.h"
#include "format/OptionSettings.h"
#include "format/ProgressSink.h"
#include "imageinfo/CImageInfo.h"
#include "opening/EarlyPictures.h"
#include "opening/FirstPictureAhead.h"
#include "opening/FreeMemorySource.h"
#include "opening/MemberLookup.h"
#include "opening/PackageStore.h"
#include "opening/PictureJobs.h"
#include "opening/PictureLoader.h"
#include "opening/UsedMembers.h"
#include "pictures/DecodedBytes.h"
#include "pictures/PixelPool.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <algorithm>
#include <tuple>
#include <utility>

namespace {

// Every member is extracted flat into the folder under its bare name, so a picture name built
// from the descriptor that holds a folder separator can only point outside the folder (and the
// loader deletes each picture file it reads).
bool isNamePart(const QString& text) {
    return !text.contains(QLatin1Char('/')) && !text.contains(QLatin1Char('\\')) &&
           !text.contains(QChar(0));
}

// The members the loader will want: the counting rules' picture patterns, in the file name.
bool isWantedPicture(const QString& path, bool vertical) {
    const QString name = path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
    return name.contains(QLatin1String("_H")) ||
           (vertical && (name.contains(QLatin1String("_V")) || name.contains(QLatin1String("_M"))));
}

// Early decodes may take this share of the memory free when the extraction starts.
constexpr qint64 kEarlyShare = 4;

} // namespace

PackageOpening::PackageOpening(ProgressSink& progress, Prompter& prompter,
                               const FreeMemorySource& memory, const OptionSettings& options)
    : m_progress(progress), m_prompter(prompter), m_memorySource(memory), m_options(options) {}

PackageOpening::~PackageOpening() {
    dropEarlyPictures();
}

void PackageOpening::dropEarlyPictures() {
    m_firstRead.reset();
    if (!m_early)
        return;
    m_early->drop();
    m_earlyTaken += m_early->takenCount();
    m_early.reset();
}

int PackageOpening::earlyPictureCount() const {
    return m_earlyTaken + (m_early ? m_early->takenCount() : 0);
}

bool PackageOpening::fail(const QString& problem) {
    dropEarlyPictures();
    m_problem = refusal(m_title, problem);
    return false;
}

QString PackageOpening::refusal(const QString& title, const QString& problem) {
    return QStringLiteral("Cannot open %1.\n\n%2").arg(title, problem);
}

QString PackageOpening::memberPath(const QString& memberName) const {
    return m_folder + m_members.resolve(memberName);
}

bool PackageOpening::memberExists(const QString& memberName) const {
    return m_members.inPackage(memberName) || FileExists(memberPath(memberName));
}

bool PackageOpening::extract(const QString& packagePath, const QString& folder) {
    m_packagePath = packagePath;
    m_title = QFileInfo(packagePath).fileName();
    m_folder = folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/');

    dropEarlyPictures();
    // Surveyed already when its first picture was begun ahead.
    if (m_surveyedPackage != packagePath || !m_used)
        readFirstPictureAhead(packagePath);
    const std::unique_ptr<UsedMembers> used = std::move(m_used);
    m_surveyedPackage.clear();
    m_leftInPackage.clear();
    startEarlyPictures();
    const bool vertical = m_options.bOptLoadVertical;
    EarlyPictures* early = m_early.get();
    // Members left in the package are read from it in their turn: nothing is written to read early.
    QStringList& left = m_leftInPackage;
    const MemberWatch watch(
        [early, vertical](const QString& path) {
            if (early && isWantedPicture(path, vertical))
                early->offer(path);
        },
        [&left](const QString& path) {
            left.append(path.mid(path.lastIndexOf(QLatin1Char('/')) + 1));
        });

    // Only what the package uses is extracted; what is refused from its header is refused here.
    if (!m_surveyPassed) {
        m_counters = packageCounters();
        return fail(used->problem());
    }
    m_skippedMembers = used->skipped();
    return runExtraction(*used);
}

void PackageOpening::readFirstPictureAhead(const QString& packagePath) {
    m_ahead.reset();
    // Pictures left in the package, and photos held at a screen level, read their files from the
    // package, opened (and its size and modification time taken) before anything is read from it.
    m_store = m_scaleFor || m_picturesInPackage ? PackageStore::open(packagePath) : nullptr;
    m_used = std::make_unique<UsedMembers>();
    m_surveyedPackage = packagePath;
    m_surveyPassed =
        m_used->survey(packagePath, m_options.bOptLoadVertical,
                       [this](const Descriptor& descriptor) { readFirstAhead(descriptor); });
}

void PackageOpening::startEarlyPictures() {
    // The pictures are read (and checked) as they are written, held as the options ask; should the
    // memory check choose the other storage, the loader reads them again.
    m_freeBeforeExtraction = m_memorySource.availableBytes() + PixelPool::instance().pooledBytes();
    if (m_earlyDecoding)
        m_early = std::make_unique<EarlyPictures>(*m_freeBeforeExtraction / kEarlyShare,
                                                  askedStorage(), m_scaleFor);
}

PictureLoader::Storage PackageOpening::askedStorage() const {
    return m_options.bOptUseRam ? PictureLoader::Storage::Decoded
                                : PictureLoader::Storage::Compressed;
}

bool PackageOpening::runExtraction(const UsedMembers& used) {
    CGUnzipFiles request(m_progress, m_prompter);
    request.setZipFileName(m_packagePath);
    request.setIncludePatterns(used.patterns());
    if (m_picturesInPackage && m_store)
        request.setLeavePatterns(used.picturePatterns());
    request.setExtractDir(m_folder);
    request.setHonorDirectories(false);
    // Member names are looked up without regard to case, so two names that differ only by case
    // would stand for one member: the extraction refuses both.
    request.setCaseSensitive(false);
    try {
        m_extractionResult = request.Unzip(QString(), QString());
    } catch (const GyroError& error) {
        m_counters = packageCounters();
        return fail(
            QStringLiteral("The package could not be extracted: %1").arg(error.description()));
    }
    m_counters = packageCounters();
    m_extractionMessage = request.GetLastMessage();
    m_members = MemberLookup(m_folder, m_leftInPackage);
    if (m_extractionResult != 0) {
        const QString said = m_extractionMessage.trimmed();
        return fail(said.isEmpty() ? QStringLiteral("The package could not be extracted (code %1).")
                                         .arg(m_extractionResult)
                                   : said);
    }
    return true;
}

bool PackageOpening::readDescriptor() {
    const QString iniPath = memberPath(descriptorMemberName());
    if (!FileExists(iniPath))
        return fail(
            QStringLiteral("The package holds no descriptor (%1).").arg(descriptorMemberName()));
    m_descriptor = ::readDescriptor(iniPath);
    m_soundShortName = m_descriptor.sound.isEmpty()
                           ? QString()
                           : GetShortPath(m_members.resolve(m_descriptor.sound), m_folder);
    QFile::remove(iniPath);
    if (m_descriptor.fileName.isEmpty() && m_descriptor.fileType.isEmpty())
        return fail(QStringLiteral("The descriptor %1 names no pictures: it gives neither "
                                   "FileName nor FileType.")
                        .arg(descriptorMemberName()));
    if (!isNamePart(m_descriptor.fileName) || !isNamePart(m_descriptor.fileType))
        return fail(
            QStringLiteral("The picture name %1 that the descriptor gives reaches outside "
                           "the package: picture names must not hold / or \\.")
                .arg(horizontalMemberName(m_descriptor.fileName, 0, m_descriptor.fileType)));

    m_horizontal = static_cast<int>(m_counters.sngHCount);
    if (m_horizontal <= 0)
        return fail(QStringLiteral("The package holds no horizontal picture."));

    m_upper = 0;
    m_lower = 0;
    m_upperGeometry = RingGeometry();
    m_lowerGeometry = RingGeometry();
    if (!m_options.bOptLoadVertical)
        return removeUnused();
    if (!checkRings(RingKind::Upper, m_counters.bytVCount, m_counters.bytVColumns,
                    m_counters.bytVRows, m_upperGeometry))
        return false;
    if (!checkRings(RingKind::Lower, m_counters.bytMCount, m_counters.bytMColumns,
                    m_counters.bytMRows, m_lowerGeometry))
        return false;
    m_upper = m_counters.bytVCount;
    m_lower = m_counters.bytMCount;
    const int slotsNeeded = m_horizontal + m_upper + m_lower;
    if (m_upper + m_lower > 0 && slotsNeeded > navigation::kLastRingSlot)
        return fail(QStringLiteral("The package holds %1 pictures with vertical rings; the viewer "
                                   "can index at most %2.")
                        .arg(slotsNeeded)
                        .arg(navigation::kLastRingSlot));
    return removeUnused();
}

bool PackageOpening::removeUnused() {
    // What stays: the pictures the loader will read (it deletes each once held) and the sound.
    QSet<QString> kept;
    for (int i = 0; i < m_horizontal; ++i)
        kept.insert(m_members.resolve(
            horizontalMemberName(m_descriptor.fileName, i, m_descriptor.fileType)));
    for (const auto& [kind, geometry, rows] :
         {std::tuple{RingKind::Upper, &m_upperGeometry, int(m_counters.bytVRows)},
          std::tuple{RingKind::Lower, &m_lowerGeometry, int(m_counters.bytMRows)}}) {
        if ((kind == RingKind::Upper ? m_upper : m_lower) == 0)
            continue;
        for (const RingMember& member : geometry->members(rows))
            kept.insert(m_members.resolve(verticalMemberName(
                m_descriptor.fileName, kind, member.column, member.row, m_descriptor.fileType)));
    }
    if (!m_descriptor.sound.isEmpty())
        kept.insert(m_members.resolve(m_descriptor.sound));
    if (!m_soundShortName.isEmpty())
        kept.insert(m_soundShortName);
    const QStringList files = QDir(m_folder).entryList(QDir::Files | QDir::Hidden | QDir::System);
    for (const QString& file : files)
        if (!kept.contains(file))
            QFile::remove(m_folder + file);
    return true;
}

bool PackageOpening::checkRings(RingKind kind, int count, int ringCount, int rows,
                                RingGeometry& geometry) {
    if (count == 0)
        return true;
    geometry = RingGeometry::compute(kind, m_horizontal, ringCount);
    if (!geometry.isValid())
        return fail(geometry.error());
    // Every picture the rings promise must be there, or slots would be filled out of place.
    for (const RingMember& member : geometry.members(rows)) {
        const QString name = verticalMemberName(m_descriptor.fileName, kind, member.column,
                                                member.row, m_descriptor.fileType);
        if (!memberExists(name))
            return fail(QStringLiteral("The picture %1 is missing from the package.").arg(name));
    }
    if (static_cast<long long>(geometry.members(rows).size()) > count)
        return fail(
            QStringLiteral("The package's %1 rings do not add up: %2 pictures are named "
                           "by the rings, but only %3 were counted.")
                .arg(kind == RingKind::Upper ? QStringLiteral("upper") : QStringLiteral("lower"))
                .arg(geometry.members(rows).size())
                .arg(count));
    return true;
}

void PackageOpening::setOpeningShown(OpeningShownSize shownSize) {
    m_scaleFor = {};
    if (shownSize)
        m_scaleFor = [shownSize = std::move(shownSize)](QSize natural) {
            return ::levelScale(natural, shownSize(natural));
        };
}

bool PackageOpening::checkMemory() {
    const qint64 pictures = m_horizontal + m_upper + m_lower;
    // The pictures decoded early will be held anyway when the check passes, and are released when
    // it does not: their memory counts as free. Never more than was free before they were made,
    // so the check comes out as it would have without them.
    const qint64 early = m_early ? m_early->reservedBytes() : 0;
    qint64 free = m_memorySource.availableBytes() + PixelPool::instance().pooledBytes() + early;
    if (m_freeBeforeExtraction)
        free = std::min(free, *m_freeBeforeExtraction);
    const qint64 largest = static_cast<qint64>(m_counters.sngMaxFileLen);
    m_memory = checkMemoryBudget(pictures, m_width, m_height, largest, free, m_options.bOptUseRam,
                                 m_level, m_levelBytes, keptFileBytes());
    const auto held = m_memory.storage == PictureStorage::Decoded
                          ? PictureLoader::Storage::Decoded
                          : PictureLoader::Storage::Compressed;
    if (m_memory.storage == PictureStorage::Refused || (m_early && m_early->storage() != held))
        dropEarlyPictures();
    if (m_memory.storage == PictureStorage::Refused) {
        m_problem = m_memory.message;
        return false;
    }
    return true;
}

qint64 PackageOpening::keptFileBytes() const {
    return filesStayInPackage() ? 0 : static_cast<qint64>(m_counters.sngMaxFileLen);
}

bool PackageOpening::filesStayInPackage() const {
    if (!m_store)
        return false;
    const PictureJobs jobs = pictureJobs();
    return std::all_of(jobs.jobs.begin(), jobs.jobs.end(),
                       [](const PictureLoader::Job& job) { return job.stored; });
}

PictureJobs PackageOpening::pictureJobs() const {
    PictureJobs jobs =
        PictureJobs::build(m_descriptor.fileName, m_descriptor.fileType, m_horizontal,
                           {m_upper, m_counters.bytVRows, &m_upperGeometry},
                           {m_lower, m_counters.bytMRows, &m_lowerGeometry},
                           [this](const QString& name) { return memberPath(name); });
    if (m_store)
        for (PictureLoader::Job& job : jobs.jobs) {
            job.stored = m_store->member(job.memberName);
            job.inPackage = m_members.inPackage(job.memberName);
            job.checksum = m_store->checksum(job.memberName).value_or(0);
        }
    return jobs;
}

void PackageOpening::prepareSlots(PictureSlots& slots, const PictureJobs& jobs) {
    const int n = m_horizontal;
    slots.clear();
    slots.pictures.resize(static_cast<std::size_t>(n + 1 + m_upper + m_lower));
    slots.UpperRing.assign(static_cast<std::size_t>(n + 1), PictureSlots::kNoRing);
    slots.LowerRing.assign(static_cast<std::size_t>(n + 1), PictureSlots::kNoRing);
    for (const auto& [column, slot] : jobs.upperStarts)
        slots.UpperRing[std::size_t(column)] = static_cast<std::uint8_t>(slot);
    for (const auto& [column, slot] : jobs.lowerStarts)
        slots.LowerRing[std::size_t(column)] = static_cast<std::uint8_t>(slot);
    m_progress.setMessage(QStringLiteral("Gyrolook: Loading Horizontal Image #1 of %1").arg(n));
    m_progress.refresh();
}

PictureLoader::Storage PackageOpening::loaderStorage() const {
    return m_memory.storage == PictureStorage::Compressed ? PictureLoader::Storage::Compressed
                                                          : PictureLoader::Storage::Decoded;
}

bool PackageOpening::loadPictures(PictureSlots& slots) {
    const PictureJobs jobs = pictureJobs();
    prepareSlots(slots, jobs);
    // The decodes of compressed pictures kept while turning are not the pictures' to take.
    const qint64 budget = m_memory.availableBytes - m_memory.keptDecodeBytes;
    const PictureLoader::Outcome outcome =
        PictureLoader(m_scaleFor)
            .load(jobs.jobs, loaderStorage(), budget, m_progress, slots.pictures, m_early.get());
    dropEarlyPictures();
    if (!outcome.ok) {
        slots.clear();
        return fail(outcome.problem);
    }
    return true;
}

std::unique_ptr<BackgroundLoading>
PackageOpening::startLoading(PictureSlots& slots, BackgroundLoading::Callbacks callbacks) {
    PictureJobs jobs = pictureJobs();
    prepareSlots(slots, jobs);
    BackgroundLoading::Setup setup;
    setup.order = PictureJobs::viewingOrder(m_horizontal, int(jobs.jobs.size()));
    // The reads begun during the extraction go on and are taken in their turn.
    if (m_early)
        for (const PictureLoader::Job& job : jobs.jobs)
            setup.early.push_back(m_early->take(job.path));
    // The first picture the probe read is not read again when it is held the loading's way.
    if (m_firstRead && m_firstRead->storage == loaderStorage()) {
        setup.early.resize(jobs.jobs.size());
        for (std::size_t index = 0; index < jobs.jobs.size(); ++index)
            if (jobs.jobs[index].path == m_firstRead->path)
                setup.early[index] = QtFuture::makeReadyFuture(m_firstRead->read);
    }
    m_firstRead.reset();
    setup.jobs = std::move(jobs.jobs);
    setup.storage = loaderStorage();
    setup.budget = m_memory.availableBytes - m_memory.keptDecodeBytes;
    setup.scaleFor = m_scaleFor;
    return std::make_unique<BackgroundLoading>(std::move(setup), m_progress, std::move(callbacks));
}

bool PackageOpening::runAll(const QString& packagePath, const QString& folder,
                            PictureSlots& slots) {
    return extract(packagePath, folder) && readDescriptor() && probeFirstPicture() &&
           checkMemory() && loadPictures(slots);
}
