#pragma once

#include "MakeArguments.h"
#include "PackagePlan.h"
#include "tools/studio/ShootSurvey.h"

#include <QSize>
#include <QString>
#include <QStringList>
#include <memory>

class ProgressReporter;

// Everything `make` checks before it writes a byte: OUT (a name the viewer opens, not there yet,
// not a dangling link, its folder writable), the folders (listed by PhotoFolder: companions
// skipped with a line each, every stray, unreadable or broken entry refused in one message with
// the photos that are no pictures), the sound (MPEG audio), the photos (one kind and, as they
// will be packed, one size), the layout, the name and the hot spots (PackagePlan), and the free
// space for the package, the photos made anew and the check's extraction.
class MakeInputs {
public:
    explicit MakeInputs(const MakeArguments& arguments) : m_args(arguments) {}

    // False with error() set at the first check that fails.
    bool gather(ProgressReporter& progress);
    const QString& error() const { return m_error; }
    // The plan, with the photos to be made anew marked; valid once gather() succeeded.
    const PackagePlan& plan() const { return m_plan; }

    bool checkFreeSpace();
    // The turntable studio's survey of the shoot; null unless one of its options was given.
    const ShootSurvey* survey() const { return m_survey.get(); }

private:
    bool fail(const QString& error);
    bool checkOutput();
    bool listFolders();
    bool checkSound();
    bool inspectPhotos(ProgressReporter& progress);
    bool comparePhoto(const QString& path, int kind, QSize size, int orientation);
    bool surveyShoot(ProgressReporter& progress);

    const MakeArguments& m_args;
    PackageRequest m_request;
    QString m_error;
    QStringList m_problems;
    QString m_fileType;
    int m_kind = 0;
    QString m_firstPath;
    QSize m_size; // as packed
    int m_firstOrientation = 1;
    QStringList m_changed;
    qint64 m_packageBytes = 0; // estimates
    qint64 m_workBytes = 0;
    PackagePlan m_plan;
    std::shared_ptr<ShootSurvey> m_survey;
};
