// gyrolook-pack make OUT.360 --name NAME --ring DIR [options]: see MakeArguments for the options.
// Builds a package from folders of photos: checks everything it can before writing (folders,
// photos, layout, sound, OUT, free space), names every picture after the package format, writes
// the descriptor, keeps each picture's bytes or makes them anew (--fit, --quality, --auto-rotate,
// --strip), and opens the result the way the viewer does, a picture at a time, to make sure it
// holds exactly the rings that were given.
#include "MakeArguments.h"
#include "MakeInputs.h"
#include "PackageWriter.h"
#include "PlanReport.h"
#include "tools/photo/PhotoProcessor.h"
#include "tools/shared/CheckSummary.h"
#include "tools/shared/Commands.h"
#include "tools/shared/InterruptGuard.h"
#include "tools/shared/Leftovers.h"
#include "tools/shared/PackageWalk.h"
#include "tools/shared/ProgressReporter.h"
#include "tools/studio/StudioPreview.h"

#include "format/Descriptor.h"
#include "opening/SystemFreeMemory.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTemporaryFile>
#include <QTextStream>
#include <QtConcurrent/QtConcurrentMap>
#include <atomic>
#include <memory>
#include <mutex>

namespace {

int fail(const QString& text) {
    QTextStream(stderr) << "gyrolook-pack make: " << text << '\n';
    return 1;
}

void printDryRun(const PackagePlan& plan, const QByteArray& descriptor, const ShootSurvey* survey) {
    QTextStream out(stdout);
    if (survey)
        for (const QString& line : survey->plan().report())
            out << line << '\n';
    out << descriptorMemberName() << '\n';
    for (const PlannedMember& member : plan.members())
        out << member.name << " <- " << member.source << '\n';
    out << "\n" << QString::fromUtf8(descriptor).remove(QLatin1Char('\r'));
    out << '\n' << packageSummary(plan) << '\n';
}

// Makes the photos that change anew in `work`, two at a time, and points their members there.
QString processPhotos(std::vector<PlannedMember>& members, const PhotoOptions& options,
                      const PhotoEdit* edit, const QString& work, ProgressReporter& progress) {
    const PhotoProcessor processor(options, edit);
    std::vector<std::size_t> changed;
    for (std::size_t i = 0; i < members.size(); ++i)
        if (members[i].changes)
            changed.push_back(i);
    std::atomic<qint64> done{0};
    std::atomic<bool> failed{false};
    std::mutex mutex;
    QString problem;
    QtConcurrent::blockingMap(changed, [&](std::size_t i) {
        if (failed)
            return;
        PlannedMember& member = members[i];
        const QString target = QDir(work).filePath(member.name);
        const QString why = processor.process(member.source, target);
        member.source = target;
        if (!why.isEmpty()) {
            const std::lock_guard<std::mutex> lock(mutex);
            if (!failed.exchange(true))
                problem = why;
            return;
        }
        progress.step(QStringLiteral("making photos"), ++done, qint64(changed.size()));
    });
    progress.finish();
    return problem;
}

// Opens the package written, a picture at a time, and compares it with the plan. A package the
// viewer would refuse here only for want of memory is made all the same, with `warning` set.
QString verify(const QString& temporary, const QString& out, const PackagePlan& plan,
               ProgressReporter& progress, QString& warning) {
    auto memory = std::make_unique<SystemFreeMemory>();
    const qint64 free = memory->availableBytes();
    PackageWalk walk(progress, std::move(memory));
    QString problem;
    if (walk.open(temporary))
        problem = walk.decodeAll(QSize(), [](std::size_t, const QImage&) {});
    else
        problem = walk.message();
    if (!problem.isEmpty()) {
        // The message names the package; it is the one OUT would have been.
        problem.replace(QFileInfo(temporary).fileName(), QFileInfo(out).fileName());
        for (const PlannedMember& member : plan.members())
            if (problem.contains(member.name))
                problem += QStringLiteral("\n(%1 is %2)").arg(member.name, member.original);
        return QStringLiteral("the package made does not open:\n%1").arg(problem);
    }
    const QString different = packageDifferences(plan, walk);
    if (!different.isEmpty())
        return QStringLiteral("the package made does not hold the rings given: %1").arg(different);
    warning = viewerMemoryWarning(walk, free, kDefaultScreen);
    return QString();
}

// Writes under a hidden name beside OUT, checks, moves into place; removes what it made on
// failure.
QString writeCheckAndMove(const MakeArguments& parsed, PackagePlan& plan,
                          ProgressReporter& progress, QString& warning) {
    const QString& out = parsed.out;
    QString temporary;
    auto held = InterruptGuard::holdOff(); // the name is taken and registered as one step
    {
        QTemporaryFile name(QFileInfo(out).absoluteDir().filePath(
            Leftovers::pattern(QStringLiteral("."), QStringLiteral(".360"))));
        if (!name.open())
            return QStringLiteral("cannot write in %1: %2")
                .arg(QFileInfo(out).absolutePath(), name.errorString());
        temporary = name.fileName();
    } // removed again here; the archive is created anew under that name
    InterruptGuard::addFile(temporary, true);
    held.unlock();
    QString error =
        writePackage(temporary, descriptorText(plan.descriptor()), plan.members(), &progress);
    if (!error.isEmpty())
        error.replace(temporary, out);
    else
        error = verify(temporary, out, plan, progress, warning);
    if (error.isEmpty() && !QFile::rename(temporary, out))
        error = QStringLiteral("cannot move the package to %1 (does it exist now?)").arg(out);
    if (!error.isEmpty())
        QFile::remove(temporary);
    InterruptGuard::release(temporary);
    return error;
}

void removeWork(std::unique_ptr<QTemporaryDir>& work) {
    if (!work)
        return;
    const QString path = work->path();
    work.reset();
    InterruptGuard::release(path);
}

int make(const MakeArguments& parsed) {
    ProgressReporter progress(QStringLiteral("make"), parsed.quiet);
    MakeInputs inputs(parsed);
    if (!inputs.gather(progress))
        return fail(inputs.error());
    PackagePlan plan = inputs.plan();
    if (parsed.dryRun)
        printDryRun(plan, descriptorText(plan.descriptor()), inputs.survey());
    if (!parsed.studio.preview.isEmpty()) {
        const QString problem = writeStudioPreview(*inputs.survey(), parsed.studio.preview);
        if (!problem.isEmpty())
            return fail(problem);
        QTextStream(stdout) << "wrote " << parsed.studio.preview << '\n';
    }
    if (parsed.dryRun || !parsed.studio.preview.isEmpty())
        return 0;
    if (!inputs.checkFreeSpace())
        return fail(inputs.error());
    std::unique_ptr<QTemporaryDir> work; // only when photos are made anew
    if (plan.anyChanges()) {
        auto held = InterruptGuard::holdOff(); // made and registered as one step
        work = std::make_unique<QTemporaryDir>(QDir::temp().filePath(Leftovers::pattern()));
        if (!work->isValid())
            return fail(QStringLiteral("cannot make a work folder in %1: %2")
                            .arg(QDir::tempPath(), work->errorString()));
        InterruptGuard::addFolder(work->path());
        held.unlock();
        const QString problem =
            processPhotos(plan.mutableMembers(), parsed.photos,
                          parsed.studio.any() ? inputs.survey() : nullptr, work->path(), progress);
        if (!problem.isEmpty()) {
            removeWork(work);
            return fail(problem);
        }
    }
    QString warning;
    const QString error = writeCheckAndMove(parsed, plan, progress, warning);
    removeWork(work);
    if (!error.isEmpty())
        return fail(error);
    QTextStream(stdout) << "wrote " << parsed.out << ": " << packageSummary(plan) << '\n';
    if (!warning.isEmpty())
        QTextStream(stderr) << "gyrolook-pack make: warning: " << warning << '\n';
    return 0;
}

} // namespace

int runMake(const QStringList& args) {
    const MakeArguments parsed = MakeArguments::parse(args);
    if (parsed.help) {
        QTextStream(stdout) << MakeArguments::usage() << '\n' << MakeArguments::helpText();
        return 0;
    }
    if (!parsed.error.isEmpty()) {
        fail(parsed.error);
        QTextStream(stderr) << MakeArguments::usage() << '\n';
        return 2;
    }
    return make(parsed);
}
