#pragma once

#include "FrameMeasure.h"
#include "StudioOptions.h"

#include <QRect>
#include <QRgb>
#include <QSize>
#include <QString>
#include <QStringList>
#include <vector>

// What the studio does to one photo: its colours times gain, then moved by shift (full pixels),
// what the move exposes filled with the backdrop's colour as shot.
struct FrameEdit {
    double gain = 1;
    QPointF shift;
    QRgb backdrop = 0;
};

// One ring of the shoot as measured: its name for the report and its photos in order.
struct MeasuredRing {
    QString name;
    std::vector<FrameMeasure> frames;
};

// The studio's decisions for a whole shoot, from the measures of its photos: per ring the swing
// (SwingFit on the centres, across and up) and the exposure (ExposureCurve on the backdrop's
// brightness), each ring on its own; for the package one crop, the union of every object's box
// where the centring puts it, widened by the margin and kept inside the photo. Photos are
// numbered ring after ring, in the order given.
class StudioPlan {
public:
    StudioPlan() = default;
    StudioPlan(const StudioOptions& options, const std::vector<MeasuredRing>& rings, QSize full);

    const std::vector<FrameEdit>& edits() const { return m_edits; }
    // The part of every photo that goes into the package, in full pixels.
    QRect crop() const { return m_crop; }
    // A line a ring: the crop, the swing found, the exposure spread before and after.
    const QStringList& report() const { return m_report; }

private:
    void planRing(const StudioOptions& options, const MeasuredRing& ring, QSize full);
    QRect cropFor(const StudioOptions& options, const std::vector<MeasuredRing>& rings,
                  QSize full) const;

    std::vector<FrameEdit> m_edits;
    QRect m_crop;
    QStringList m_report;
};
