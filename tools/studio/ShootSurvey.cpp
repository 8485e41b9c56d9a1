#include "ShootSurvey.h"

#include "pictures/JpegDecoder.h"
#include "tools/photo/ExifOrientation.h"
#include "tools/photo/PhotoResizer.h"
#include "tools/shared/ProgressReporter.h"

#include <QFile>
#include <QtConcurrent/QtConcurrentMap>
#include <atomic>
#include <cmath>
#include <functional>

namespace {

struct Looked {
    FrameMeasure measure;
    QSize full; // upright
    QString problem;
};

int orientationOf(const QList<JpegDecoder::Marker>& markers) {
    for (const JpegDecoder::Marker& m : markers)
        if (m.code == 0xE1 && m.data.startsWith(QByteArray("Exif\0\0", 6)))
            return ExifOrientation::read(m.data);
    return 1;
}

} // namespace

QImage ShootSurvey::surveyPicture(const QString& path, QSize* full, QString* problem) const {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (problem)
            *problem = QStringLiteral("%1 cannot be read: %2").arg(path, file.errorString());
        return QImage();
    }
    const QByteArray bytes = file.readAll();
    const JpegDecoder::Scaled head = JpegDecoder::header(bytes);
    JpegDecoder::Scaled pixels = head;
    if (head.problem.isEmpty())
        pixels = JpegDecoder::decodeScaled(bytes, PhotoResizer::fitted(head.fullSize, kSurveySide));
    if (!pixels.problem.isEmpty()) {
        if (problem)
            *problem = QStringLiteral("%1 cannot be decoded: %2").arg(path, pixels.problem);
        return QImage();
    }
    const int turn = m_autoRotate ? orientationOf(head.markers) : 1;
    if (full)
        *full = ExifOrientation::uprightSize(head.fullSize, turn);
    return ExifOrientation::upright(pixels.image, turn);
}

bool ShootSurvey::survey(const std::vector<ShootRing>& rings, ProgressReporter& progress) {
    m_rings = rings;
    QStringList files;
    for (const ShootRing& ring : rings)
        files += ring.files;
    std::atomic<qint64> done{0};
    const std::function<Looked(const QString&)> look = [&](const QString& path) {
        Looked looked;
        const QImage picture = surveyPicture(path, &looked.full, &looked.problem);
        if (!picture.isNull())
            looked.measure =
                FrameMeasure::of(picture, double(picture.width()) / looked.full.width());
        progress.step(QStringLiteral("measuring photos"), ++done, files.size());
        return looked;
    };
    const QList<Looked> seen = QtConcurrent::blockingMapped(files, look);
    progress.finish();
    std::vector<MeasuredRing> measured;
    int next = 0;
    for (const ShootRing& ring : rings) {
        measured.push_back(MeasuredRing{ring.name, {}});
        for (int i = 0; i < ring.files.size(); ++i, ++next) {
            const Looked& looked = seen.at(next);
            if (!looked.problem.isEmpty()) {
                m_error = looked.problem;
                return false;
            }
            if (m_full.isEmpty())
                m_full = looked.full;
            if (looked.full != m_full) {
                m_error = QStringLiteral("%1 is %2 x %3 pixels, but %4 is %5 x %6: the studio "
                                         "options take photos of one size")
                              .arg(files.at(next))
                              .arg(looked.full.width())
                              .arg(looked.full.height())
                              .arg(files.first())
                              .arg(m_full.width())
                              .arg(m_full.height());
                return false;
            }
            m_index.insert(files.at(next), next);
            measured.back().frames.push_back(looked.measure);
        }
    }
    m_plan = StudioPlan(m_options, measured, m_full);
    return true;
}

QRect ShootSurvey::area(QSize upright) const {
    return upright == m_full ? m_plan.crop() : QRect(QPoint(0, 0), upright);
}

FrameEdit ShootSurvey::editOf(const QString& source) const {
    const auto found = m_index.constFind(source);
    return found == m_index.constEnd() ? FrameEdit{} : m_plan.edits()[std::size_t(*found)];
}

FrameEditor ShootSurvey::editor(QSize upright) const {
    return FrameEditor(area(upright), m_options.backdrop, m_options.backdropColour,
                       m_options.backdropTolerance);
}

QRect ShootSurvey::sourceArea(const QString& source, QSize upright) const {
    const QPointF shift = editOf(source).shift;
    return area(upright)
        .translated(-int(std::lround(shift.x())), -int(std::lround(shift.y())))
        .adjusted(-2, -2, 2, 2)
        .intersected(QRect(QPoint(0, 0), upright));
}

QImage ShootSurvey::apply(const QString& source, const QImage& picture, QPoint origin, double scale,
                          QSize upright) const {
    return editor(upright).cut(picture, scale, editOf(source), origin);
}

void ShootSurvey::finish(const QString& source, QImage& packed) const {
    editor(m_full).clean(packed, editOf(source));
}

QImage ShootSurvey::preview(const QString& path, const QImage& surveyed) const {
    return editor(m_full).apply(surveyed, double(surveyed.width()) / m_full.width(), editOf(path));
}
