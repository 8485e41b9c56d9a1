// gyrolook-pack make OUT.360 --name NAME --ring DIR [--start K] [--reverse] [--up DIR]...
//     [--down DIR]... [--sound FILE.mp3 [--repeat]] [--hotspot IMAGE:X1,Y1,X2,Y2]... [--dry-run]
// Builds a package from folders of photos: names every picture after the package format, writes
// the descriptor, keeps each picture's bytes, and opens the result the way the viewer does to
// make sure it holds exactly the rings that were given.
#include "Commands.h"
#include "NaturalOrder.h"
#include "PackageCheck.h"
#include "PackagePlan.h"
#include "PackageWriter.h"
#include "SourcePicture.h"

#include "format/Descriptor.h"
#include "format/PackageCounters.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>
#include <QTextStream>

namespace {

const char* const kUsage =
    "usage: gyrolook-pack make OUT.360 --name NAME --ring DIR [--start K] [--reverse] "
    "[--up DIR]... [--down DIR]... [--sound FILE.mp3 [--repeat]] "
    "[--hotspot IMAGE:X1,Y1,X2,Y2]... [--dry-run]";

int fail(const QString& text) {
    QTextStream(stderr) << "gyrolook-pack make: " << text << '\n';
    return 1;
}

// The photos of a folder (the files that are not hidden) in natural order of their names. A file
// that cannot be read is listed too, so that it is refused by name rather than left out.
bool listFolder(const QString folder, PhotoRow& row, QString& error) {
    const QDir dir(folder);
    if (!QFileInfo(folder).isDir()) {
        error = QStringLiteral("%1 is not a folder").arg(folder);
        return false;
    }
    row.folder = folder;
    const QStringList names = naturallySorted(dir.entryList(QDir::Files | QDir::NoDotAndDotDot));
    for (const QString& name : names)
        row.files.append(dir.filePath(name));
    return true;
}

// The MP3 frame sync or an ID3 tag at the start of the file.
bool looksLikeMp3(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray head = file.read(3);
    if (head.startsWith("ID3"))
        return true;
    return head.size() >= 2 && quint8(head[0]) == 0xFF && (quint8(head[1]) & 0xE0) == 0xE0;
}

// Checks every photo: a kind the viewer takes, all of the first photo's kind and size. Reports
// EXIF orientations on standard error. Sets the package's extension and the pictures' size.
bool checkPictures(const PackageRequest& request, QString& fileType, QSize& size, QString& error) {
    QStringList files = request.ring.files;
    for (const PhotoRow& row : request.up)
        files += row.files;
    for (const PhotoRow& row : request.down)
        files += row.files;
    QTextStream err(stderr);
    SourcePicture first;
    for (const QString& path : files) {
        const SourcePicture picture = SourcePicture::inspect(path);
        if (!picture.problem.isEmpty()) {
            error = QStringLiteral("%1 %2").arg(path, picture.problem);
            return false;
        }
        if (first.path.isEmpty()) {
            first = picture;
        } else if (picture.kind != first.kind) {
            error = QStringLiteral("%1 is a %2 picture, but %3 is %4: the pictures of a package "
                                   "are all of one kind")
                        .arg(path, SourcePicture::kindName(picture.kind), first.path,
                             SourcePicture::kindName(first.kind));
            return false;
        } else if (picture.size != first.size) {
            error = QStringLiteral("%1 is %2 x %3 pixels, but %4 is %5 x %6: the pictures of a "
                                   "package all have one size")
                        .arg(path)
                        .arg(picture.size.width())
                        .arg(picture.size.height())
                        .arg(first.path)
                        .arg(first.size.width())
                        .arg(first.size.height());
            return false;
        }
        if (picture.exifOrientation != 1)
            err << "gyrolook-pack make: warning: " << path << " carries EXIF orientation "
                << picture.exifOrientation << " (upright when "
                << SourcePicture::orientationText(picture.exifOrientation)
                << "); the viewer shows pictures as stored, so turn the photo first if it "
                   "should stand upright\n";
    }
    fileType = SourcePicture::extensionFor(first.kind);
    size = first.size;
    return true;
}

// What the opening found that differs from the plan; empty when the package holds what was given.
QString differences(const PackagePlan& plan, const PackageCheck& check) {
    const PackageCounters& c = check.opening().counters();
    const Descriptor& d = check.opening().descriptor();
    QStringList found;
    auto expect = [&found](const char* what, long long have, long long want) {
        if (have != want)
            found << QStringLiteral("%1 %2 instead of %3")
                         .arg(QLatin1String(what))
                         .arg(have)
                         .arg(want);
    };
    const int n = plan.horizontalCount();
    const int up = plan.rows(RingKind::Upper) * plan.rings(RingKind::Upper);
    const int down = plan.rows(RingKind::Lower) * plan.rings(RingKind::Lower);
    expect("horizontal pictures", static_cast<long long>(c.sngHCount), n);
    expect("upper pictures", c.bytVCount, up);
    expect("upper rings", up ? c.bytVColumns : 0, plan.rings(RingKind::Upper));
    expect("upper rows", up ? c.bytVRows : 0, plan.rows(RingKind::Upper));
    expect("lower pictures", c.bytMCount, down);
    expect("lower rings", down ? c.bytMColumns : 0, plan.rings(RingKind::Lower));
    expect("lower rows", down ? c.bytMRows : 0, plan.rows(RingKind::Lower));
    expect("pictures held", check.slots().heldCount(), n + up + down);
    expect("hot spots", d.hotSpots.iHotSpots(),
           static_cast<long long>(plan.descriptor().hotSpots.size()));
    for (RingKind kind : {RingKind::Upper, RingKind::Lower}) {
        const auto& map =
            kind == RingKind::Upper ? check.slots().UpperRing : check.slots().LowerRing;
        const int rings = plan.rings(kind);
        for (int column = 0; column < static_cast<int>(map.size()) && column < n; ++column) {
            const bool want = rings > 0 && column % (n / rings) == 0;
            if ((map[static_cast<std::size_t>(column)] != PictureSlots::kNoRing) != want)
                found << QStringLiteral("%1 ring at position %2 %3")
                             .arg(kind == RingKind::Upper ? QStringLiteral("upper")
                                                          : QStringLiteral("lower"))
                             .arg(column)
                             .arg(want ? QStringLiteral("missing") : QStringLiteral("unexpected"));
        }
    }
    if (d.sound != plan.descriptor().sound || d.soundRepeat != plan.descriptor().soundRepeat)
        found << QStringLiteral("sound \"%1\" instead of \"%2\"")
                     .arg(d.sound, plan.descriptor().sound);
    return found.join(QStringLiteral("; "));
}

QString summary(const PackagePlan& plan) {
    QString text = QStringLiteral("%1 horizontal pictures").arg(plan.horizontalCount());
    for (RingKind kind : {RingKind::Upper, RingKind::Lower}) {
        if (plan.rings(kind) > 0)
            text += QStringLiteral(", %1 %2 rings of %3 row%4")
                        .arg(plan.rings(kind))
                        .arg(kind == RingKind::Upper ? QStringLiteral("upper")
                                                     : QStringLiteral("lower"))
                        .arg(plan.rows(kind))
                        .arg(plan.rows(kind) == 1 ? QString() : QStringLiteral("s"));
    }
    if (!plan.descriptor().sound.isEmpty())
        text += QStringLiteral(", sound %1%2")
                    .arg(plan.descriptor().sound,
                         plan.descriptor().soundRepeat ? QStringLiteral(" (repeated)") : QString());
    if (!plan.descriptor().hotSpots.empty())
        text += QStringLiteral(", %1 hot spot%2")
                    .arg(plan.descriptor().hotSpots.size())
                    .arg(plan.descriptor().hotSpots.size() == 1 ? QString() : QStringLiteral("s"));
    return text;
}

// What the command line asks for; `error` says what is wrong with it.
struct MakeArguments {
    PackageRequest request;
    QString out;
    QString ringFolder;
    bool dryRun = false;
    QString error;
};

MakeArguments parseArguments(const QStringList& args) {
    MakeArguments parsed;
    PackageRequest& request = parsed.request;
    bool nameGiven = false;
    for (int i = 0; i < args.size() && parsed.error.isEmpty(); ++i) {
        const QString& arg = args.at(i);
        const bool hasValue = i + 1 < args.size();
        if (arg == QLatin1String("--name") && hasValue) {
            request.name = args.at(++i);
            nameGiven = true;
        } else if (arg == QLatin1String("--ring") && hasValue) {
            if (!parsed.ringFolder.isEmpty())
                parsed.error = QStringLiteral(
                    "one --ring only; the rings above and below are --up and --down");
            parsed.ringFolder = args.at(++i);
        } else if (arg == QLatin1String("--start") && hasValue) {
            bool ok = false;
            request.start = args.at(++i).toInt(&ok);
            if (!ok)
                parsed.error =
                    QStringLiteral("--start takes a whole number, not \"%1\"").arg(args.at(i));
        } else if (arg == QLatin1String("--reverse")) {
            request.reverse = true;
        } else if ((arg == QLatin1String("--up") || arg == QLatin1String("--down")) && hasValue) {
            PhotoRow row;
            row.folder = args.at(++i);
            (arg == QLatin1String("--up") ? request.up : request.down).push_back(row);
        } else if (arg == QLatin1String("--sound") && hasValue) {
            request.soundFile = args.at(++i);
        } else if (arg == QLatin1String("--repeat")) {
            request.soundRepeat = true;
        } else if (arg == QLatin1String("--hotspot") && hasValue) {
            request.hotSpots << args.at(++i);
        } else if (arg == QLatin1String("--dry-run")) {
            parsed.dryRun = true;
        } else if (parsed.out.isEmpty() && !arg.startsWith(QLatin1String("--"))) {
            parsed.out = arg;
        } else {
            parsed.error = QStringLiteral("unexpected \"%1\"").arg(arg);
        }
    }
    if (parsed.error.isEmpty() &&
        (parsed.out.isEmpty() || !nameGiven || parsed.ringFolder.isEmpty()))
        parsed.error = QStringLiteral("OUT.360, --name and --ring are needed");
    return parsed;
}

} // namespace

int runMake(const QStringList& args) {
    MakeArguments parsed = parseArguments(args);
    if (!parsed.error.isEmpty()) {
        fail(parsed.error);
        QTextStream(stderr) << kUsage << '\n';
        return 2;
    }
    PackageRequest& request = parsed.request;
    const QString& out = parsed.out;
    const bool dryRun = parsed.dryRun;
    if (!QFileInfo(out).fileName().endsWith(QLatin1String(".360")))
        return fail(QStringLiteral("%1: the viewer opens only names ending in .360").arg(out));
    if (!dryRun && QFileInfo::exists(out))
        return fail(QStringLiteral("%1 exists already; not overwritten").arg(out));
    if (request.soundRepeat && request.soundFile.isEmpty())
        return fail(QStringLiteral("--repeat repeats the sound: give --sound FILE.mp3"));

    QString error;
    if (!listFolder(parsed.ringFolder, request.ring, error))
        return fail(error);
    for (std::vector<PhotoRow>* side : {&request.up, &request.down})
        for (PhotoRow& row : *side)
            if (!listFolder(row.folder, row, error))
                return fail(error);
    if (!request.soundFile.isEmpty()) {
        if (!QFileInfo(request.soundFile).isFile())
            return fail(QStringLiteral("%1: no such sound file").arg(request.soundFile));
        if (!looksLikeMp3(request.soundFile))
            return fail(QStringLiteral("%1 is not an MP3 file").arg(request.soundFile));
    }
    // Layout first: it needs no picture read.
    const PackagePlan layout = PackagePlan::make(request, QStringLiteral(".jpg"), QSize(1, 1));
    if (!layout.isValid() && !layout.error().startsWith(QLatin1String("--hotspot")))
        return fail(layout.error());
    QString fileType;
    QSize size;
    if (!checkPictures(request, fileType, size, error))
        return fail(error);
    const PackagePlan plan = PackagePlan::make(request, fileType, size);
    if (!plan.isValid())
        return fail(plan.error());
    const QByteArray descriptor = descriptorText(plan.descriptor());

    QTextStream stdOut(stdout);
    if (dryRun) {
        stdOut << descriptorMemberName() << '\n';
        for (const PlannedMember& member : plan.members())
            stdOut << member.name << " <- " << member.source << '\n';
        stdOut << "\n" << QString::fromUtf8(descriptor).remove(QLatin1Char('\r'));
        return 0;
    }

    // Written under a name of our own beside OUT and moved into place once it opens.
    QString temporary;
    {
        QTemporaryFile name(
            QFileInfo(out).absoluteDir().filePath(QStringLiteral(".gyrolook-pack-XXXXXX.360")));
        if (!name.open())
            return fail(QStringLiteral("cannot write in %1: %2")
                            .arg(QFileInfo(out).absolutePath(), name.errorString()));
        temporary = name.fileName();
    } // removed again here; the archive is created anew under that name
    error = writePackage(temporary, descriptor, plan.members());
    if (!error.isEmpty())
        return fail(error);
    PackageCheck check;
    if (!check.run(temporary)) {
        QFile::remove(temporary);
        // The message names the package; it is the one OUT would have been.
        QString message = QString(check.message())
                              .replace(QFileInfo(temporary).fileName(), QFileInfo(out).fileName());
        for (const PlannedMember& member : plan.members())
            if (message.contains(member.name))
                message += QStringLiteral("\n(%1 is %2)").arg(member.name, member.source);
        return fail(QStringLiteral("the package made does not open:\n%1").arg(message));
    }
    const QString different = differences(plan, check);
    if (!different.isEmpty()) {
        QFile::remove(temporary);
        return fail(
            QStringLiteral("the package made does not hold the rings given: %1").arg(different));
    }
    if (!QFile::rename(temporary, out)) {
        QFile::remove(temporary);
        return fail(QStringLiteral("cannot move the package to %1 (does it exist now?)").arg(out));
    }
    stdOut << "wrote " << out << ": " << summary(plan) << '\n';
    return 0;
}
