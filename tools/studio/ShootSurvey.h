#pragma once

#include "FrameEditor.h"
#include "StudioPlan.h"
#include "tools/photo/PhotoEdit.h"

#include <QHash>
#include <QSize>
#include <QString>
#include <QStringList>
#include <vector>

class ProgressReporter;

// A ring of photos as `make` was given it: its name for the report and its files in order.
struct ShootRing {
    QString name;
    QStringList files;
};

// Looks at every photo of a shoot before anything is written: each is decoded small (libjpeg's
// DCT scaling, the longest side at least kSurveySide), stood upright when asked and measured
// (FrameMeasure), two at a time; the StudioPlan made from the measures is then the edit `make`
// hands to PhotoProcessor (FrameEditor on each photo). All photos must have one size.
class ShootSurvey : public PhotoEdit {
public:
    static constexpr int kSurveySide = 640;

    ShootSurvey(const StudioOptions& options, bool autoRotate)
        : m_options(options), m_autoRotate(autoRotate) {}

    // False with error() set when a photo cannot be read or differs in size from the first.
    bool survey(const std::vector<ShootRing>& rings, ProgressReporter& progress);
    const QString& error() const { return m_error; }
    const StudioPlan& plan() const { return m_plan; }
    // The rings surveyed, as given.
    const std::vector<ShootRing>& rings() const { return m_rings; }
    // The photos' upright size in full pixels.
    QSize fullSize() const { return m_full; }

    // A photo decoded small and stood upright as the survey sees it, with its upright full
    // size; null with the problem set when it cannot be read.
    QImage surveyPicture(const QString& path, QSize* full = nullptr,
                         QString* problem = nullptr) const;

    // The photo `path` as the package will hold it, at the survey's scale.
    QImage preview(const QString& path, const QImage& surveyed) const;

    QRect area(QSize upright) const override;
    QRect sourceArea(const QString& source, QSize upright) const override;
    QImage apply(const QString& source, const QImage& picture, QPoint origin, double scale,
                 QSize upright) const override;
    void finish(const QString& source, QImage& packed) const override;

private:
    FrameEdit editOf(const QString& source) const;
    FrameEditor editor(QSize upright) const;

    StudioOptions m_options;
    bool m_autoRotate;
    QString m_error;
    QSize m_full;
    std::vector<ShootRing> m_rings;
    QHash<QString, int> m_index; // photo -> its edit
    StudioPlan m_plan;
};
