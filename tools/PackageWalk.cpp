#include "PackageWalk.h"
#include "InterruptGuard.h"
#include "ProgressReporter.h"
#include "ScaledJpegDecoder.h"
#include "TerminalPrompter.h"

#include "format/PackageCounters.h"
#include "opening/MemberLookup.h"
#include "pictures/DecodeFailure.h"

#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QtConcurrent/QtConcurrentMap>
#include <atomic>
#include <mutex>
#include <numeric>

namespace {

constexpr int kLargestSide = 65535; // as the viewer

QImage decodePicture(const WalkPicture& picture, QSize atLeast, QString& problem) {
    const QString suffix = QFileInfo(picture.member).suffix().toLower();
    if (suffix == QLatin1String("jpg") || suffix == QLatin1String("jpeg")) {
        ScaledJpegDecoder::Result read =
            ScaledJpegDecoder::decodeFile(picture.path, atLeast.isValid() ? atLeast : QSize(1, 1));
        problem = read.problem;
        if (problem.isEmpty() &&
            (read.fullSize.width() > kLargestSide || read.fullSize.height() > kLargestSide))
            problem = QStringLiteral("it is larger than %1 pixels a side").arg(kLargestSide);
        return read.image;
    }
    QImageReader reader(picture.path);
    reader.setAutoTransform(false);
    const QSize declared = reader.size();
    QImage image = reader.read();
    if (image.isNull())
        problem = decodeFailureReason(reader, declared);
    return image;
}

} // namespace

PackageWalk::PackageWalk(ProgressReporter& progress)
    : m_progress(progress), m_prompter(std::make_unique<TerminalPrompter>(QString(), false)),
      m_memory() {}

PackageWalk::~PackageWalk() {
    m_opening.reset();
    if (m_folder) {
        const QString path = m_folder->path();
        m_folder.reset();
        InterruptGuard::release(path);
    }
}

bool PackageWalk::open(const QString& packagePath) {
    packageCounters().reset();
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
    m_opening = std::make_unique<PackageOpening>(m_progress, *m_prompter, m_memory, m_options);
    m_opening->setEarlyDecoding(false);
    const bool ok = m_opening->extract(file.absoluteFilePath(), m_folder->path()) &&
                    m_opening->readDescriptor() && m_opening->probeFirstPicture();
    m_progress.finish();
    if (!ok) {
        m_message = m_opening->problem();
        return false;
    }
    listPictures();
    return true;
}

void PackageWalk::listPictures() {
    const PackageOpening& o = *m_opening;
    const MemberLookup members(o.folder());
    const Descriptor& d = o.descriptor();
    auto add = [&](const QString& name, int ring, int column, int row) {
        m_pictures.push_back({name, o.folder() + members.resolve(name), ring, column, row});
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

QString PackageWalk::decodeAll(QSize atLeast, const Use& use) {
    std::vector<std::size_t> order(m_pictures.size());
    std::iota(order.begin(), order.end(), std::size_t(0));
    std::atomic<bool> failed{false};
    std::atomic<qint64> done{0};
    std::mutex mutex;
    QString problem;
    const qint64 total = static_cast<qint64>(order.size());
    QtConcurrent::blockingMap(order, [&](std::size_t index) {
        if (failed)
            return;
        const WalkPicture& picture = m_pictures[index];
        QString why;
        const QImage image = decodePicture(picture, atLeast, why);
        QFile::remove(picture.path);
        if (!why.isEmpty() || image.isNull()) {
            const std::lock_guard<std::mutex> lock(mutex);
            if (!failed.exchange(true))
                problem = QStringLiteral("Cannot open %1.\n\nThe picture %2 cannot be decoded: %3")
                              .arg(m_opening->packageTitle(), picture.member, why);
            return;
        }
        use(index, image);
        m_progress.step(QStringLiteral("reading pictures"), ++done, total);
    });
    m_progress.finish();
    return problem;
}
