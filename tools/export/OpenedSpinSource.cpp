#include "OpenedSpinSource.h"

#include "format/Navigation.h"
#include "format/ScreenUnits.h"
#include "pictures/DecodeFailure.h"
#include "pictures/JpegDecoder.h"
#include "tools/photo/PhotoResizer.h"
#include "tools/shared/PackageWalk.h"

#include <QBuffer>
#include <QFileInfo>
#include <QImageReader>

namespace {

// The first bytes of a picture's file looked at for its header; a header further in (metadata
// before it) is looked for in the whole file.
constexpr qint64 kHeadBytes = 256 * 1024;

// Why a picture file's bytes give no size; empty when they do.
QString sizeProblem(QByteArray bytes) {
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    const QSize size = reader.size();
    return size.isValid() ? QString() : decodeFailureReason(reader, size);
}

// Why the viewer would refuse a picture before decoding it; empty when its header reads.
QString headerProblem(const PackageWalk& walk, const WalkPicture& picture) {
    if (!picture.inPackage && !QFileInfo(picture.path).isFile())
        return QStringLiteral("The picture %1 is missing from the package.").arg(picture.member);
    QByteArray bytes = walk.pictureHead(picture, kHeadBytes);
    QString why = sizeProblem(bytes);
    if (!why.isEmpty() && bytes.size() == kHeadBytes) {
        if (QString problem; !walk.pictureBytes(picture, bytes, problem))
            return problem;
        why = sizeProblem(bytes);
    }
    return why.isEmpty()
               ? QString()
               : QStringLiteral("The picture %1 cannot be decoded (%2).").arg(picture.member, why);
}

bool isJpeg(const QString& path) {
    const QString suffix = QFileInfo(path).suffix().toLower();
    return suffix == QLatin1String("jpg") || suffix == QLatin1String("jpeg");
}

} // namespace

OpenedSpinSource::OpenedSpinSource(ProgressReporter& progress,
                                   std::unique_ptr<FreeMemorySource> memory)
    : m_walk(std::make_unique<PackageWalk>(progress, std::move(memory))) {}

qint64 OpenedSpinSource::bytesPerDecode(QSize atLeast) const {
    return m_walk->bytesPerDecode(atLeast);
}

OpenedSpinSource::~OpenedSpinSource() = default;

QString OpenedSpinSource::readProblem() const {
    const std::lock_guard<std::mutex> lock(m_readLock);
    return m_readProblem;
}

bool OpenedSpinSource::open(const QString& packagePath) {
    m_layout = SpinLayout{};
    if (!m_walk->open(packagePath)) {
        m_message = m_walk->message();
        return false;
    }
    const PackageOpening& opening = m_walk->opening();
    const int n = opening.horizontalCount();

    // The name make was given (--name), which the pictures are named after; the file's name only
    // when the descriptor gives none.
    m_layout.title = opening.descriptor().fileName;
    if (m_layout.title.isEmpty())
        m_layout.title = QFileInfo(packagePath).completeBaseName();
    m_layout.pictureSize = QSize(opening.pictureWidth(), opening.pictureHeight());
    m_layout.horizontalCount = n;
    m_layout.UpperRing.assign(std::size_t(n + 1), navigation::kNoRing);
    m_layout.LowerRing.assign(std::size_t(n + 1), navigation::kNoRing);
    m_layout.upperRows = opening.upperCount() ? opening.counters().bytVRows : 0;
    m_layout.lowerRows = opening.lowerCount() ? opening.counters().bytMRows : 0;

    // Slots as the viewer holds them: the horizontal ring, one empty slot, the upper rings, the
    // lower rings; a ring map names the slot of its ring's first row.
    const std::vector<WalkPicture>& pictures = m_walk->pictures();
    const std::size_t slotCount = pictures.size() + 1;
    m_layout.memberNames.assign(slotCount, QString());
    m_pictureOf.assign(slotCount, -1);
    for (std::size_t i = 0; i < pictures.size(); ++i) {
        const WalkPicture& picture = pictures[i];
        if (const QString problem = headerProblem(*m_walk, picture); !problem.isEmpty()) {
            m_message =
                QStringLiteral("Cannot open %1.\n\n%2").arg(opening.packageTitle(), problem);
            return false;
        }
        const std::size_t slot = picture.ring == 0 ? i : i + 1;
        m_layout.memberNames[slot] = picture.member;
        m_pictureOf[slot] = int(i);
        if (picture.ring != 0 && picture.row == navigation::kFirstRingRow && picture.column >= 0 &&
            picture.column <= n)
            (picture.ring == 1 ? m_layout.UpperRing
                               : m_layout.LowerRing)[std::size_t(picture.column)] =
                std::uint8_t(slot);
    }

    const HotSpotTables& spots = opening.descriptor().hotSpots;
    for (int k = 1; k <= spots.iHotSpots(); ++k) {
        for (int h = 0; h < n && h <= HotSpotTables::MaxImageNumber; ++h) {
            const auto rect = spots.rectangle(k, h);
            constexpr double twips = kTwipsPerPixel;
            if (rect && rect->x1 < rect->x2 && rect->y1 < rect->y2)
                m_layout.hotSpots.push_back({k, h,
                                             QRectF(QPointF(rect->x1 / twips, rect->y1 / twips),
                                                    QPointF(rect->x2 / twips, rect->y2 / twips))});
        }
    }
    return true;
}

QImage OpenedSpinSource::picture(int slot, int longestSide) const {
    if (!m_layout.holds(slot) || m_pictureOf[std::size_t(slot)] < 0)
        return QImage();
    const WalkPicture& picture = m_walk->pictures()[std::size_t(m_pictureOf[std::size_t(slot)])];
    QByteArray bytes;
    if (QString problem; !m_walk->pictureBytes(picture, bytes, problem)) {
        const std::lock_guard<std::mutex> lock(m_readLock);
        if (m_readProblem.isEmpty())
            m_readProblem = PackageOpening::refusal(m_walk->opening().packageTitle(), problem);
        return QImage();
    }
    QImage image;
    QSize full;
    if (isJpeg(picture.member)) {
        const QSize wanted = PhotoResizer::fitted(m_layout.pictureSize, longestSide);
        JpegDecoder::Scaled read = JpegDecoder::decodeScaled(bytes, wanted);
        if (!read.problem.isEmpty() || read.image.isNull())
            return QImage();
        image = std::move(read.image);
        full = read.fullSize;
    } else {
        // Other kinds of picture the viewer reads through Qt, whole.
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::ReadOnly);
        QImageReader reader(&buffer);
        reader.setAutoTransform(false);
        image = reader.read().convertToFormat(QImage::Format_RGB888);
        if (image.isNull())
            return QImage();
        full = image.size();
    }
    const QSize size = PhotoResizer::fitted(full, longestSide).boundedTo(image.size());
    return PhotoResizer::scaled(image, size).convertToFormat(QImage::Format_RGB32);
}
