#include "StudioPreview.h"
#include "ShootSurvey.h"

#include "tools/shared/InterruptGuard.h"
#include "tools/sheet/ContactSheet.h"
#include "tools/sheet/SheetLayout.h"

#include <QFile>
#include <QFileInfo>
#include <QPainter>
#include <algorithm>

namespace {

constexpr int kFrames = 6;
constexpr int kCaptionHeight = 18;

// One band: the pictures in a line of cells, under a caption.
QImage band(const std::vector<QImage>& pictures, QSize pictureSize, int width,
            const QString& caption) {
    const int count = int(pictures.size());
    const SheetLayout layout(width, count, 0, 0, pictureSize, count);
    if (!layout.isValid())
        return QImage();
    std::vector<QImage> cells;
    for (const QImage& picture : pictures)
        cells.push_back(picture.isNull() ? picture
                                         : picture.scaled(layout.cellSize(), Qt::IgnoreAspectRatio,
                                                          Qt::SmoothTransformation));
    const QImage sheet = paintContactSheet(layout, cells, HotSpotTables(), pictureSize);
    QImage out(sheet.width(), sheet.height() + kCaptionHeight, QImage::Format_RGB32);
    out.fill(sheet.pixel(0, 0));
    QPainter painter(&out);
    painter.drawText(QRect(SheetLayout::kMargin, 0, out.width(), kCaptionHeight),
                     Qt::AlignLeft | Qt::AlignVCenter, caption);
    painter.drawImage(0, kCaptionHeight, sheet);
    return out;
}

} // namespace

QImage paintStudioPreview(const ShootSurvey& survey, int width) {
    const QStringList& ring = survey.rings().front().files;
    const int count = std::min<int>(kFrames, int(ring.size()));
    std::vector<QImage> before, after;
    for (int i = 0; i < count; ++i) {
        const QString& path = ring.at(int(qint64(i) * ring.size() / count));
        const QImage picture = survey.surveyPicture(path);
        before.push_back(picture);
        after.push_back(picture.isNull() ? picture : survey.preview(path, picture));
    }
    const QImage top = band(before, survey.fullSize(), width, QStringLiteral("as shot"));
    const QImage bottom =
        band(after, survey.area(survey.fullSize()).size(), width, QStringLiteral("as packed"));
    if (top.isNull() || bottom.isNull())
        return QImage();
    QImage sheet(width, top.height() + bottom.height(), QImage::Format_RGB32);
    sheet.fill(top.pixel(0, 0));
    QPainter painter(&sheet);
    painter.drawImage(0, 0, top);
    painter.drawImage(0, top.height(), bottom);
    return sheet;
}

QString writeStudioPreview(const ShootSurvey& survey, const QString& out) {
    if (QFileInfo::exists(out) || QFileInfo(out).isSymLink())
        return QStringLiteral("%1 exists already; not overwritten").arg(out);
    const QImage sheet = paintStudioPreview(survey);
    if (sheet.isNull())
        return QStringLiteral("cannot lay out the preview of %1 x %2 pixel photos")
            .arg(survey.fullSize().width())
            .arg(survey.fullSize().height());
    QFile file(out);
    {
        const auto held = InterruptGuard::holdOff(); // made and registered as one step
        if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly))
            return QStringLiteral("cannot create %1: %2").arg(out, file.errorString());
        InterruptGuard::addFile(out);
    }
    const bool saved = sheet.save(&file, "PNG") && file.flush();
    if (!saved)
        file.remove();
    InterruptGuard::release(out);
    return saved ? QString() : QStringLiteral("cannot write %1").arg(out);
}
