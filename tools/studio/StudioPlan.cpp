#include "StudioPlan.h"
#include "ExposureCurve.h"
#include "SwingFit.h"

#include <cmath>

namespace {

// A centre that strays this share of the photo's width from the swing is a measurement gone
// wrong, whatever the other photos do.
constexpr double kOutlierShare = 0.02;

} // namespace

StudioPlan::StudioPlan(const StudioOptions& options, const std::vector<MeasuredRing>& rings,
                       QSize full) {
    for (const MeasuredRing& ring : rings)
        planRing(options, ring, full);
    m_crop = cropFor(options, rings, full);
    const QString box = QStringLiteral("crop %1 x %2 at %3,%4")
                            .arg(m_crop.width())
                            .arg(m_crop.height())
                            .arg(m_crop.x())
                            .arg(m_crop.y());
    for (QString& line : m_report)
        line.replace(QLatin1String("{crop}"), box);
}

void StudioPlan::planRing(const StudioOptions& options, const MeasuredRing& ring, QSize full) {
    std::vector<double> xs, ys, levels;
    for (const FrameMeasure& m : ring.frames) {
        // A photo without an object stays where it is: it stands at the ring's mean centre.
        xs.push_back(m.hasObject() ? m.centre.x() : std::nan(""));
        ys.push_back(m.hasObject() ? m.centre.y() : std::nan(""));
        levels.push_back(m.brightness);
    }
    auto fill = [](std::vector<double>& values) {
        double sum = 0;
        int count = 0;
        for (double v : values)
            if (!std::isnan(v)) {
                sum += v;
                ++count;
            }
        for (double& v : values)
            if (std::isnan(v))
                v = count ? sum / count : 0;
    };
    fill(xs);
    fill(ys);
    const double outlier = kOutlierShare * full.width();
    const SwingFit across(xs, outlier), up(ys, outlier);
    const ExposureCurve exposure(levels);
    for (std::size_t i = 0; i < ring.frames.size(); ++i) {
        FrameEdit edit;
        edit.backdrop = ring.frames[i].backdrop;
        if (options.centre && ring.frames[i].hasObject())
            edit.shift = QPointF(across.shifts()[i], up.shifts()[i]);
        if (options.evenExposure)
            edit.gain = exposure.gains()[i];
        m_edits.push_back(edit);
    }
    m_report << QStringLiteral("%1: {crop}; swing %2 px across, %3 px up and down, jitter %4 px; "
                               "exposure spread %5 % as shot, %6 % evened")
                    .arg(ring.name)
                    .arg(across.amplitude(), 0, 'f', 1)
                    .arg(up.amplitude(), 0, 'f', 1)
                    .arg(std::hypot(across.jitter(), up.jitter()), 0, 'f', 1)
                    .arg(exposure.spreadBefore(), 0, 'f', 1)
                    .arg(options.evenExposure ? exposure.spreadAfter() : exposure.spreadBefore(), 0,
                         'f', 1);
}

QRect StudioPlan::cropFor(const StudioOptions& options, const std::vector<MeasuredRing>& rings,
                          QSize full) const {
    const QRect whole(QPoint(0, 0), full);
    if (!options.crop)
        return whole;
    QRectF united;
    std::size_t i = 0;
    for (const MeasuredRing& ring : rings)
        for (const FrameMeasure& m : ring.frames) {
            if (m.hasObject())
                united = united.united(m.box.translated(m_edits[i].shift));
            ++i;
        }
    if (united.isEmpty())
        return whole;
    const double dx = united.width() * options.cropMargin / 100;
    const double dy = united.height() * options.cropMargin / 100;
    const QRectF wide = united.adjusted(-dx, -dy, dx, dy);
    const QRect box(QPoint(int(std::floor(wide.left())), int(std::floor(wide.top()))),
                    QPoint(int(std::ceil(wide.right())) - 1, int(std::ceil(wide.bottom())) - 1));
    return box.intersected(whole);
}
