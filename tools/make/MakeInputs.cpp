#include "MakeInputs.h"
#include "Mp3Check.h"
#include "PhotoFolder.h"
#include "SourcePicture.h"
#include "tools/photo/PhotoProcessor.h"
#include "tools/photo/PhotoResizer.h"
#include "tools/shared/ProgressReporter.h"

#include "imageinfo/CImageInfo.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStorageInfo>
#include <QTextStream>
#include <sys/stat.h>

namespace {

QString megabytes(qint64 bytes) {
    return QString::number((bytes + (1 << 20) - 1) >> 20);
}

} // namespace

bool MakeInputs::fail(const QString& error) {
    m_error = error;
    return false;
}

bool MakeInputs::gather(ProgressReporter& progress) {
    m_request = m_args.request;
    if (!checkOutput() || !listFolders() || !checkSound() || !inspectPhotos(progress) ||
        !surveyShoot(progress))
        return false;
    m_plan = PackagePlan::make(m_request, m_fileType, m_size);
    if (!m_plan.isValid())
        return fail(m_plan.error());
    m_plan.markChanged(m_changed);
    return true;
}

bool MakeInputs::checkOutput() {
    const QString& out = m_args.out;
    if (!QFileInfo(out).fileName().endsWith(QLatin1String(".360")))
        return fail(QStringLiteral("%1: the viewer opens only names ending in .360").arg(out));
    if (m_request.soundRepeat && m_request.soundFile.isEmpty())
        return fail(QStringLiteral("--repeat repeats the sound: give --sound FILE.mp3"));
    if (m_args.dryRun || !m_args.studio.preview.isEmpty())
        return true; // OUT is not written
    struct stat own {};
    if (::lstat(QFile::encodeName(out).constData(), &own) == 0)
        return fail(S_ISLNK(own.st_mode) && !QFileInfo::exists(out)
                        ? QStringLiteral("%1 is a symbolic link to %2, which does not exist; "
                                         "not written through")
                              .arg(out, QFileInfo(out).symLinkTarget())
                        : QStringLiteral("%1 exists already; not overwritten").arg(out));
    const QFileInfo folder(QFileInfo(out).absolutePath());
    if (!folder.isDir())
        return fail(QStringLiteral("cannot write %1: there is no folder %2")
                        .arg(out, folder.absoluteFilePath()));
    if (!folder.isWritable())
        return fail(QStringLiteral("cannot write %1: the folder %2 is not writable")
                        .arg(out, folder.absoluteFilePath()));
    return true;
}

bool MakeInputs::listFolders() {
    QTextStream err(stderr);
    auto list = [&](PhotoRow& row, const QString& option) {
        const PhotoFolder folder = PhotoFolder::list(row.folder, option);
        if (!folder.error.isEmpty())
            return fail(folder.error);
        row.files = folder.photos;
        m_problems += folder.problems;
        for (const QString& line : folder.skipped)
            err << "gyrolook-pack make: " << line << '\n';
        return true;
    };
    m_request.ring.folder = m_args.ringFolder;
    if (!list(m_request.ring, QStringLiteral("--ring")))
        return false;
    for (PhotoRow& row : m_request.up)
        if (!list(row, QStringLiteral("--up")))
            return false;
    for (PhotoRow& row : m_request.down)
        if (!list(row, QStringLiteral("--down")))
            return false;
    return true;
}

bool MakeInputs::checkSound() {
    const QString& sound = m_request.soundFile;
    if (sound.isEmpty())
        return true;
    if (!QFileInfo(sound).isFile())
        return fail(QStringLiteral("--sound %1: no such file").arg(sound));
    const QString problem = Mp3Check::fileProblem(sound);
    if (!problem.isEmpty())
        return fail(QStringLiteral("--sound %1 is not an MP3 file: it %2").arg(sound, problem));
    m_packageBytes += QFileInfo(sound).size();
    return true;
}

// Checks every photo: a kind the viewer takes, all of the first photo's kind and (as packed)
// size. Every photo that is no picture is listed with the folders' problems, in one refusal.
bool MakeInputs::inspectPhotos(ProgressReporter& progress) {
    QStringList files = m_request.ring.files;
    for (const auto* side : {&m_request.up, &m_request.down})
        for (const PhotoRow& row : *side)
            files += row.files;
    const PhotoProcessor processor(m_args.photos);
    QTextStream err(stderr);
    for (qsizetype i = 0; i < files.size(); ++i) {
        const QString& path = files.at(i);
        progress.step(QStringLiteral("looking at photos"), i + 1, files.size());
        const SourcePicture picture = SourcePicture::inspect(path);
        if (!picture.problem.isEmpty()) {
            m_problems << QStringLiteral("%1 %2").arg(path, picture.problem);
            continue;
        }
        if ((m_args.photos.any() || m_args.studio.any()) && picture.kind != CImageInfo::Jpeg)
            return fail(QStringLiteral("%1 is a %2 picture: --fit, --quality, --auto-rotate, "
                                       "--strip and the turntable options make JPEG photos "
                                       "anew, and only those")
                            .arg(path, SourcePicture::kindName(picture.kind)));
        const int orientation = processor.orientationOf(picture.exifOrientation);
        const QSize packed = processor.outputSize(picture.size, orientation);
        if (m_problems.isEmpty() && !comparePhoto(path, picture.kind, packed, orientation))
            return false;
        const qint64 bytes = QFileInfo(path).size();
        if (processor.changes(picture.size, orientation)) {
            m_changed << path;
            const double share = double(packed.width()) * packed.height() /
                                 (double(picture.size.width()) * picture.size.height());
            m_workBytes += qint64(bytes * share) + 4096;
        } else {
            m_packageBytes += bytes;
        }
        if (orientation != 1 && !m_args.photos.autoRotate)
            err << "gyrolook-pack make: warning: " << path << " carries EXIF orientation "
                << picture.exifOrientation << " (upright when "
                << SourcePicture::orientationText(picture.exifOrientation)
                << "); the viewer shows pictures as stored: give --auto-rotate to stand it "
                   "upright, or --ignore-orientation if it already stands upright\n";
    }
    progress.finish();
    if (!m_problems.isEmpty())
        return fail(QStringLiteral("these are not photos a package can take; move them out of "
                                   "the folder and try again:\n  %1")
                        .arg(m_problems.join(QStringLiteral("\n  "))));
    m_packageBytes += m_workBytes;
    return true;
}

bool MakeInputs::comparePhoto(const QString& path, int kind, QSize size, int orientation) {
    if (m_firstPath.isEmpty()) {
        m_firstPath = path;
        m_kind = kind;
        m_size = size;
        m_firstOrientation = orientation;
        m_fileType = SourcePicture::extensionFor(kind);
        return true;
    }
    if (kind != m_kind)
        return fail(QStringLiteral("%1 is a %2 picture, but %3 is %4: the pictures of a package "
                                   "are all of one kind")
                        .arg(path, SourcePicture::kindName(kind), m_firstPath,
                             SourcePicture::kindName(m_kind)));
    if (size == m_size)
        return true;
    QString why;
    if (m_args.photos.autoRotate && orientation != m_firstOrientation)
        why = QStringLiteral(": --auto-rotate turned them by their EXIF orientations, %1 in %2 "
                             "and %3 in %4; when a photo's pixels already stand upright, "
                             "--ignore-orientation packs them as stored")
                  .arg(orientation)
                  .arg(path)
                  .arg(m_firstOrientation)
                  .arg(m_firstPath);
    return fail(QStringLiteral("%1 is %2 x %3 pixels, but %4 is %5 x %6: the pictures of a "
                               "package all have one size%7%8")
                    .arg(path)
                    .arg(size.width())
                    .arg(size.height())
                    .arg(m_firstPath)
                    .arg(m_size.width())
                    .arg(m_size.height())
                    .arg(m_args.photos.fit > 0 || m_args.photos.autoRotate
                             ? QStringLiteral(" (as packed)")
                             : QString(),
                         why));
}

// Measures every photo for the turntable options and plans their edit; every photo is then made
// anew, at the size of the crop (fitted).
bool MakeInputs::surveyShoot(ProgressReporter& progress) {
    if (!m_args.studio.any() && m_args.studio.preview.isEmpty())
        return true;
    std::vector<ShootRing> rings{
        {QStringLiteral("ring %1").arg(m_request.ring.folder), m_request.ring.files}};
    for (const PhotoRow& row : m_request.up)
        rings.push_back({QStringLiteral("--up %1").arg(row.folder), row.files});
    for (const PhotoRow& row : m_request.down)
        rings.push_back({QStringLiteral("--down %1").arg(row.folder), row.files});
    m_survey = std::make_shared<ShootSurvey>(m_args.studio, m_args.photos.autoRotate &&
                                                                !m_args.photos.ignoreOrientation);
    if (!m_survey->survey(rings, progress))
        return fail(m_survey->error());
    if (!m_args.studio.any())
        return true; // the preview alone
    m_size = PhotoResizer::fitted(m_survey->plan().crop().size(), m_args.photos.fit);
    for (const ShootRing& ring : rings) {
        m_changed += ring.files;
        // About half a byte a pixel made anew, in the work folder and again in the package.
        const qint64 bytes =
            qint64(ring.files.size()) * (qint64(m_size.width()) * m_size.height() / 2 + 4096);
        m_workBytes += bytes;
        m_packageBytes += bytes;
    }
    return true;
}

bool MakeInputs::checkFreeSpace() {
    const QString outFolder = QFileInfo(m_args.out).absolutePath();
    const QStorageInfo outDisk(outFolder);
    const QStorageInfo tempDisk(QDir::tempPath());
    // The package beside OUT; the photos made anew and the check's extraction in the temporary
    // folder.
    const qint64 inTemp = m_workBytes + m_packageBytes;
    const bool shared = outDisk.rootPath() == tempDisk.rootPath();
    const qint64 outNeed = m_packageBytes + (shared ? inTemp : 0);
    if (outDisk.isValid() && outDisk.bytesAvailable() < outNeed)
        return fail(QStringLiteral("%1 has %2 MB free, but the package needs about %3 MB there%4")
                        .arg(outFolder, megabytes(outDisk.bytesAvailable()), megabytes(outNeed),
                             shared ? QStringLiteral(" (with the photos made anew and the check "
                                                     "that opens it)")
                                    : QString()));
    if (!shared && tempDisk.isValid() && tempDisk.bytesAvailable() < inTemp)
        return fail(
            QStringLiteral("the temporary folder %1 has %2 MB free, but making and "
                           "checking the package needs about %3 MB there (TMPDIR "
                           "chooses another)")
                .arg(QDir::tempPath(), megabytes(tempDisk.bytesAvailable()), megabytes(inTemp)));
    return true;
}
