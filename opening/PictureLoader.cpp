#include "PictureLoader.h"

#include "archive/MemberCopy.h"
#include "archive/StoredMembers.h"
#include "opening/EarlyPictures.h"
#include "pictures/FileBytes.h"
#include "pictures/JpegDecoder.h"
#include "pictures/PictureDecoder.h"

#include <QFile>
#include <QThread>
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

// The bytes of a job's picture: its extracted file, or its member where the package holds it. The
// first read of a member left in the package checks its CRC-32, as the extraction checks the
// members it writes.
bool readJobBytes(const PictureLoader::Job& job, QByteArray& bytes, QString& problem,
                  bool checked) {
    if (!job.inPackage)
        return readPictureBytes(job.path, job.memberName, bytes, problem);
    if (!job.stored || !job.stored->read(bytes)) {
        problem = QStringLiteral("The picture %1 cannot be read from the package: it changed on "
                                 "disk while it was opened, or cannot be read.")
                      .arg(job.memberName);
        return false;
    }
    if (checked && !StoredMembers::checksumMatches(bytes, job.checksum)) {
        problem = job.memberName + QStringLiteral(": ") +
                  QString::fromStdString(describeMemberError(ZIP_ER_CRC, 0));
        return false;
    }
    return true;
}

// A job's picture held as its file's bytes: read back from the package when its member was left
// there, else those bytes held.
PicturePtr heldAsFile(const PictureLoader::Job& job, const QByteArray& bytes, QSize size,
                      int level) {
    if (job.inPackage)
        return Picture::readingBack(Picture::fromEncoded({}, size, level), job.stored);
    return Picture::fromEncoded(bytes, size, level);
}

} // namespace

PictureRead PictureLoader::read(const QString& path, const QString& memberName, Storage storage,
                                const JpegDecoder::Reserve& reserve,
                                const JpegDecoder::ScaleFor& scaleFor) {
    QByteArray bytes;
    QString problem;
    if (!readPictureBytes(path, memberName, bytes, problem))
        return {nullptr, problem};
    return hold(bytes, memberName, storage, reserve, scaleFor);
}

PictureRead PictureLoader::read(const Job& job, Storage storage,
                                const JpegDecoder::Reserve& reserve,
                                const JpegDecoder::ScaleFor& scaleFor) {
    QByteArray bytes;
    QString problem;
    if (!readBytes(job, bytes, problem))
        return {nullptr, problem};
    PictureRead read = hold(bytes, job.memberName, storage, reserve, scaleFor);
    if (job.inPackage && read.picture) {
        // The bytes are the package's: read back from there, not held.
        const PicturePtr& held = read.picture;
        read.picture = held->isDecoded()
                           ? Picture::readingBack(held, job.stored)
                           : heldAsFile(job, {}, held->size(), held->levelDenominator());
    }
    return read;
}

bool PictureLoader::readBytes(const Job& job, QByteArray& bytes, QString& problem) {
    return readJobBytes(job, bytes, problem, true);
}

PictureRead PictureLoader::hold(const QByteArray& bytes, const QString& memberName, Storage storage,
                                const JpegDecoder::Reserve& reserve,
                                const JpegDecoder::ScaleFor& scaleFor) {
    if (storage == Storage::Decoded)
        return decode(bytes, memberName, reserve, scaleFor);
    // Held as the file's bytes, but decoded once here (at its screen level) and let go at once: a
    // picture that does not decode is refused now, as with decoded storage, and the size it is
    // held with is its real one.
    const PictureRead check = decode(bytes, memberName, reserve, scaleFor);
    if (!check.picture)
        return check;
    return {Picture::fromEncoded(bytes, check.picture->size(), check.picture->levelDenominator()),
            {}};
}

PictureRead PictureLoader::decode(const QByteArray& bytes, const QString& memberName,
                                  const JpegDecoder::Reserve& reserve,
                                  const JpegDecoder::ScaleFor& scaleFor) {
    DecodedPicture decoded = decodePicture(bytes, reserve, scaleFor);
    switch (decoded.status) {
    case DecodedPicture::Status::Decoded:
        if (decoded.scale > 1)
            return {Picture::fromLevel(std::move(decoded.pixels), bytes, decoded.natural,
                                       decoded.scale),
                    {}};
        return {decoded.pixels.planes ? Picture::fromPlanes(std::move(decoded.pixels.planes))
                                      : Picture::fromImage(decoded.pixels.image),
                {}};
    case DecodedPicture::Status::Declined:
        return {nullptr, {}, true};
    case DecodedPicture::Status::Failed:
        break;
    }
    return {nullptr, undecodable(memberName, decoded.error)};
}

PictureRead PictureLoader::readWithin(const Job& job, Storage storage, qint64 budget,
                                      const JpegDecoder::ScaleFor& scaleFor) {
    return readBack(read(
                        job, storage, [budget](qint64 bytes) { return bytes <= budget; }, scaleFor),
                    job);
}

PictureRead PictureLoader::readBack(PictureRead read, const Job& job) {
    const PicturePtr& held = read.picture;
    // A picture of a member left in the package reads back already: its bytes are the package's.
    if (job.inPackage || !job.stored || !held || held->levelDenominator() <= 1 ||
        !held->isDecoded() || held->readsBack())
        return read;
    // The extraction checked the bytes it wrote; the package must give those same bytes.
    QByteArray stored;
    const QByteArray extracted = held->encodedBytes();
    if (job.stored->size() != extracted.size() || !job.stored->read(stored) || stored != extracted)
        return read;
    read.picture = Picture::readingBack(held, job.stored);
    return read;
}

PictureRead PictureLoader::settle(PictureRead read, const Job& job, Storage storage,
                                  qint64 heldBytes, qint64 budget,
                                  const JpegDecoder::ScaleFor& scaleFor) {
    const auto doesNotFit = [&job] {
        return PictureRead{
            nullptr,
            QStringLiteral("The picture %1 does not fit in the free memory.").arg(job.memberName)};
    };
    if (read.declined)
        // Left undone early (no memory for it then): read now.
        read = readWithin(job, storage, budget, scaleFor);
    if (read.declined)
        return doesNotFit();
    read = readBack(std::move(read), job);
    if (read.picture && read.picture->isDecoded() &&
        heldBytes + read.picture->heldBytes() > budget) {
        // Larger than the first picture that the memory check went by: held as its file's
        // bytes instead, as a package that fits only that way is (it decoded already).
        QByteArray bytes;
        QString problem;
        if (!job.inPackage && !readJobBytes(job, bytes, problem, false))
            return {nullptr, problem};
        read = {heldAsFile(job, bytes, read.picture->size(), read.picture->levelDenominator()), {}};
    }
    if (read.picture && heldBytes + read.picture->heldBytes() > budget)
        return doesNotFit();
    return read;
}

namespace {

// One load of a list of pictures: the reads started ahead of the list's turn (launch), the
// picture of each entry taken in list order (collect) and held in its slot, and on failure every
// picture of this load let go again (rollBack).
class LoadRun {
public:
    using Job = PictureLoader::Job;
    using Storage = PictureLoader::Storage;

    LoadRun(const std::vector<Job>& jobs, Storage storage, qint64 byteBudget,
            std::vector<PicturePtr>& slotPictures, EarlyPictures* early,
            const JpegDecoder::ScaleFor& scaleFor)
        : m_jobs(jobs), m_storage(storage), m_budget(byteBudget), m_slots(slotPictures),
          m_early(early && early->storage() == storage ? early : nullptr), m_scaleFor(scaleFor) {}

    // Starts reads until a bounded number are under way, so that a refusal half-way does not leave
    // a whole package decoded in memory (early reads keep to a bound of their own).
    void launch() {
        const std::size_t inFlight =
            static_cast<std::size_t>(std::max(2, QThread::idealThreadCount())) * 3;
        while (m_next < m_jobs.size() && m_running.size() < inFlight) {
            const Job& job = m_jobs[m_next++];
            QFuture<PictureRead> started =
                m_early ? m_early->take(job.path) : QFuture<PictureRead>();
            if (!started.isValid() || (started.isFinished() && started.result().declined))
                started = QtConcurrent::run(
                    [job, storage = m_storage, budget = m_budget, scaleFor = m_scaleFor] {
                        return PictureLoader::readWithin(job, storage, budget, scaleFor);
                    });
            m_running.push_back(std::move(started));
        }
    }

    // The picture of the next entry, as it will be held, or why there is none.
    PictureRead collect(const Job& job) {
        PictureRead read = m_running.front().result();
        m_running.pop_front();
        return PictureLoader::settle(std::move(read), job, m_storage, m_outcome.heldBytes, m_budget,
                                     m_scaleFor);
    }

    void hold(const Job& job, const PicturePtr& picture) {
        m_outcome.heldBytes += picture->heldBytes();
        if (job.slot < 0)
            return;
        const auto slot = static_cast<std::size_t>(job.slot);
        if (slot >= m_slots.size())
            m_slots.resize(slot + 1);
        m_slots[slot] = picture;
        m_filled.push_back(slot);
    }

    void rollBack(const QString& problem) {
        m_outcome.ok = false;
        m_outcome.problem = problem;
        for (QFuture<PictureRead>& future : m_running)
            future.waitForFinished();
        for (const Job& job : m_jobs)
            QFile::remove(job.path);
        for (const std::size_t slot : m_filled)
            m_slots[slot].reset();
        m_outcome.heldBytes = 0;
    }

    const PictureLoader::Outcome& outcome() const { return m_outcome; }

private:
    const std::vector<Job>& m_jobs;
    const Storage m_storage;
    const qint64 m_budget;
    std::vector<PicturePtr>& m_slots;
    EarlyPictures* const m_early;
    const JpegDecoder::ScaleFor m_scaleFor;
    std::deque<QFuture<PictureRead>> m_running;
    std::size_t m_next = 0;
    std::vector<std::size_t> m_filled;
    PictureLoader::Outcome m_outcome;
};

void showLine(ProgressSink& progress, const QString& line) {
    if (line.isEmpty())
        return;
    progress.setMessage(line);
    progress.refresh();
}

} // namespace

PictureLoader::Outcome PictureLoader::load(const std::vector<Job>& jobs, Storage storage,
                                           qint64 byteBudget, ProgressSink& progress,
                                           std::vector<PicturePtr>& slotPictures,
                                           EarlyPictures* early) const {
    LoadRun run(jobs, storage, byteBudget, slotPictures, early, m_scaleFor);
    for (const Job& job : jobs) {
        run.launch();
        showLine(progress, job.messageBefore);
        const PictureRead read = run.collect(job);
        if (!read.picture) {
            run.rollBack(read.problem);
            break;
        }
        run.hold(job, read.picture);
        QFile::remove(job.path);
        showLine(progress, job.messageAfter);
    }
    return run.outcome();
}
