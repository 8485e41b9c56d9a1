#include "WebPageExport.h"

#include "tools/photo/PhotoResizer.h"

#include "SpinMoves.h"
#include "SpinSource.h"
#include "tools/shared/ProgressReporter.h"

#include "format/Navigation.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageWriter>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QThread>
#include <QUrl>

#include <atomic>
#include <map>
#include <mutex>
#include <thread>

namespace {

bool writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::NewOnly) &&
           file.write(bytes) == bytes.size() && file.flush();
}

QByteArray resource(const QString& name) {
    QFile file(QStringLiteral(":/web/") + name);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeJpeg(const QString& path, const QImage& image, int quality) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly))
        return false;
    QImageWriter writer(&file, "jpeg");
    writer.setQuality(quality);
    // Baseline: progressive scans cost half the export's time for 5 % of size.
    writer.setOptimizedWrite(true);
    return writer.write(image.convertToFormat(QImage::Format_RGB32));
}

// The hot spots of every view level with the object, by view index: [spot, x, y, width,
// height], the rectangle in fractions of the picture.
QJsonObject hotSpotsByView(const SpinLayout& layout, const std::vector<SpinGraphNode>& graph) {
    QJsonObject byView;
    const double w = layout.pictureSize.width(), h = layout.pictureSize.height();
    const auto fraction = [](double value) { return qRound(value * 10000) / 10000.0; };
    for (std::size_t i = 0; i < graph.size(); ++i) {
        if (graph[i].view.v != navigation::kHorizontalRingValue)
            continue;
        QJsonArray spots;
        for (const SpinLayout::HotSpot& spot : layout.hotSpots)
            if (spot.position == graph[i].view.h)
                spots.append(
                    QJsonArray{spot.spot, fraction(spot.rect.x() / w), fraction(spot.rect.y() / h),
                               fraction(spot.rect.width() / w), fraction(spot.rect.height() / h)});
        if (!spots.isEmpty())
            byView.insert(QString::number(i), spots);
    }
    return byView;
}

} // namespace

WebPageExport::WebPageExport(const SpinSource& source, Options options)
    : m_source(source), m_options(options) {}

QString WebPageExport::pictureFileName(const QString& memberName, int slot) {
    static const QRegularExpression safe(QStringLiteral("^[A-Za-z0-9_][A-Za-z0-9._-]*$"));
    const QString stem = QFileInfo(memberName).completeBaseName();
    if (!stem.isEmpty() && safe.match(stem).hasMatch())
        return stem + QStringLiteral(".jpg");
    return QStringLiteral("slot-%1.jpg").arg(slot);
}

bool WebPageExport::write(const QString& folder, ProgressReporter& progress) {
    const SpinLayout& layout = m_source.layout();
    const std::vector<SpinGraphNode> graph = spinGraph(layout);
    if (graph.empty()) {
        m_error = QStringLiteral("the package holds no picture to show");
        return false;
    }
    // The slots the page shows, in the order the views reach them.
    std::vector<int> slots;
    std::map<int, int> seen;
    for (const SpinGraphNode& node : graph)
        if (seen.emplace(node.slot, int(slots.size())).second)
            slots.push_back(node.slot);

    if (!planPictures(folder))
        return false;
    if (!writePictures(folder, slots, progress))
        return false;

    const QString first =
        QStringLiteral("pictures/") +
        pictureFileName(layout.memberNames[std::size_t(graph.front().slot)], graph.front().slot);
    const QDir dir(folder);
    const struct {
        const char* name;
        QByteArray bytes;
    } files[] = {{"index.html", indexPage(first, int(slots.size()))},
                 {"spin-data.js", dataScript(slots)},
                 {"spin.js", resource(QStringLiteral("spin.js"))},
                 {"spin-view.js", resource(QStringLiteral("spin-view.js"))},
                 {"spin-input.js", resource(QStringLiteral("spin-input.js"))},
                 {"spin.css", resource(QStringLiteral("spin.css"))}};
    for (const auto& file : files) {
        if (file.bytes.isEmpty() ||
            !writeFile(dir.filePath(QLatin1String(file.name)), file.bytes)) {
            m_error = QStringLiteral("cannot write %1").arg(dir.filePath(QLatin1String(file.name)));
            return false;
        }
    }
    return true;
}

WebPageExport::Sizes WebPageExport::pictureSizes(QSize pictureSize, int longestSide) {
    const QSize page = PhotoResizer::fitted(pictureSize, longestSide);
    // The larger set only where the photos give at least a fifth more pixels across.
    const QSize large = PhotoResizer::fitted(pictureSize, 2 * longestSide);
    return {page, large.width() * 5 >= page.width() * 6 ? large : QSize()};
}

// Checks the labels against the package's hot spots, sizes the two sets of pictures and makes
// their folders.
bool WebPageExport::planPictures(const QString& folder) {
    const SpinLayout& layout = m_source.layout();
    int spotCount = 0;
    for (const SpinLayout::HotSpot& spot : layout.hotSpots)
        spotCount = std::max(spotCount, spot.spot);
    for (const auto& [spot, label] : m_options.hotspotLabels)
        if (spot > spotCount) {
            m_error =
                QStringLiteral("--hotspot-label %1: the package has no hot spot %1 (it has %2)")
                    .arg(spot)
                    .arg(spotCount);
            return false;
        }

    const Sizes sizes = pictureSizes(layout.pictureSize, m_options.longestSide);
    m_width = sizes.page.width();
    m_height = sizes.page.height();
    const bool withLarge = sizes.large.isValid();
    m_largeWidth = withLarge ? sizes.large.width() : 0;
    m_largeSide = withLarge ? std::max(sizes.large.width(), sizes.large.height()) : 0;
    const QString folders[] = {QStringLiteral("pictures"), QStringLiteral("pictures/2x")};
    for (const QString& made : folders) {
        if (made.endsWith(QLatin1String("2x")) && !withLarge)
            break;
        if (!QDir(folder).mkdir(made)) {
            m_error = QStringLiteral("cannot make the folder %1/%2").arg(folder, made);
            return false;
        }
    }
    return true;
}

bool WebPageExport::writePictures(const QString& folder, const std::vector<int>& slots,
                                  ProgressReporter& progress) {
    std::atomic<std::size_t> next{0};
    std::atomic<bool> failed{false};
    std::mutex reporting;
    QString problem;
    qint64 done = 0;
    const auto work = [&] {
        for (std::size_t i = next++; i < slots.size() && !failed; i = next++) {
            QString failure;
            const bool ok = writePicture(folder, slots[i], failure);
            const std::lock_guard<std::mutex> lock(reporting);
            if (!ok) {
                if (problem.isEmpty())
                    problem = failure;
                failed = true;
                break;
            }
            progress.step(QStringLiteral("pictures"), ++done, qint64(slots.size()));
        }
    };
    const int threads = m_options.threads > 0
                            ? m_options.threads
                            : std::max(1, std::min(QThread::idealThreadCount(), 4));
    std::vector<std::thread> workers;
    for (int t = 1; t < threads; ++t)
        workers.emplace_back(work);
    work();
    for (std::thread& worker : workers)
        worker.join();
    if (failed) {
        m_error = problem;
        return false;
    }
    progress.finish();
    return true;
}

// One decode per picture: the larger set's picture, and the page's size made from it.
bool WebPageExport::writePicture(const QString& folder, int slot, QString& problem) const {
    const SpinLayout& layout = m_source.layout();
    const QString& member = layout.memberNames[std::size_t(slot)];
    const QString name = pictureFileName(member, slot);
    const QImage image = m_source.picture(slot, m_largeSide ? m_largeSide : m_options.longestSide);
    if (image.isNull()) {
        problem = QStringLiteral("the picture %1 does not decode").arg(member);
        return false;
    }
    const QDir dir(folder);
    const QString large = dir.filePath(QStringLiteral("pictures/2x/") + name);
    if (m_largeSide && !writeJpeg(large, image, m_options.quality)) {
        problem = QStringLiteral("cannot write %1").arg(large);
        return false;
    }
    const QString path = dir.filePath(QStringLiteral("pictures/") + name);
    const QImage page = m_largeSide ? PhotoResizer::scaled(image, QSize(m_width, m_height)) : image;
    if (!writeJpeg(path, page, m_options.quality)) {
        problem = QStringLiteral("cannot write %1").arg(path);
        return false;
    }
    return true;
}

QByteArray WebPageExport::dataScript(const std::vector<int>& slots) const {
    const SpinLayout& layout = m_source.layout();
    std::map<int, int> pictureOf;
    QJsonArray pictures;
    for (const int slot : slots) {
        pictureOf[slot] = pictures.size();
        pictures.append(pictureFileName(layout.memberNames[std::size_t(slot)], slot));
    }
    const std::vector<SpinGraphNode> graph = spinGraph(layout);
    QJsonArray views;
    for (const SpinGraphNode& node : graph)
        views.append(QJsonArray{pictureOf.at(node.slot), node.view.h, node.view.v, node.left,
                                node.right, node.up, node.down});
    QJsonObject labels;
    for (const SpinLayout::HotSpot& spot : layout.hotSpots) {
        const auto given = m_options.hotspotLabels.find(spot.spot);
        labels.insert(QString::number(spot.spot),
                      given != m_options.hotspotLabels.end()
                          ? given->second
                          : QStringLiteral("Hot spot %1").arg(spot.spot));
    }
    QJsonArray sets{QJsonArray{m_width, QStringLiteral("pictures/")}};
    if (m_largeWidth)
        sets.append(QJsonArray{m_largeWidth, QStringLiteral("pictures/2x/")});
    const QJsonObject spin{{"title", layout.title},
                           {"width", m_width},
                           {"height", m_height},
                           {"count", layout.horizontalCount},
                           {"upperRows", std::min(layout.upperRows, 9)},
                           {"lowerRows", std::min(layout.lowerRows, 9)},
                           {"turnSeconds", m_options.turnSeconds},
                           {"dragSign", m_options.dragReverse ? 1 : -1},
                           {"autoplay", m_options.autoplay},
                           {"start", 0},
                           {"sets", sets},
                           {"pictures", pictures},
                           {"views", views},
                           {"hotspots", hotSpotsByView(layout, graph)},
                           {"labels", labels}};
    return "// The package's structure for spin.js; written by gyrolook-pack export.\n"
           "window.gyrolookSpin = " +
           QJsonDocument(spin).toJson(QJsonDocument::Compact) + ";\n";
}

QByteArray WebPageExport::indexPage(const QString& firstPicture, int pictureCount) const {
    QString page = QString::fromUtf8(resource(QStringLiteral("index.html")));
    page.replace(QLatin1String("@TITLE@"), m_source.layout().title.toHtmlEscaped());
    page.replace(QLatin1String("@FIRST@"), firstPicture);
    // The browser picks the first picture's size itself; the script then asks for the same.
    QString srcset;
    if (m_largeWidth)
        srcset = QStringLiteral("%1 %2w, %3 %4w")
                     .arg(firstPicture)
                     .arg(m_width)
                     .arg(QString(firstPicture)
                              .replace(QLatin1String("pictures/"), QLatin1String("pictures/2x/")))
                     .arg(m_largeWidth);
    page.replace(QLatin1String("@SRCSET@"), srcset);
    // As the script: the stage's width, for at most two device pixels to a CSS pixel.
    const QString stage = QStringLiteral("min(100vw - 16px, %1px)").arg(m_width);
    page.replace(QLatin1String("@SIZES@"),
                 QStringLiteral("(min-resolution: 2.5dppx) calc(%1 * 2 / 3), %1").arg(stage));
    page.replace(QLatin1String("@WIDTH@"), QString::number(m_width));
    page.replace(QLatin1String("@HEIGHT@"), QString::number(m_height));
    page.replace(QLatin1String("@COUNT@"), QString::number(pictureCount));
    return page.toUtf8();
}

QString WebPageExport::embedSnippet(const QString& folderName) const {
    // The frame's height follows its width: the picture's proportion plus the page's margins and
    // its row of controls, which are 58 pixels high whatever the width.
    const int width = m_width + 16;
    const QString height = QStringLiteral("calc((100% - 16px) * %1 / %2 + 58px)")
                               .arg(m_height)
                               .arg(std::max(1, m_width));
    const QString source = QString::fromUtf8(QUrl::toPercentEncoding(folderName));
    return QStringLiteral("<div style=\"max-width:%1px\"><div style=\"position:relative;"
                          "padding-bottom:%2\"><iframe src=\"%3/index.html\" title=\"%4, "
                          "turnable view\" style=\"position:absolute;inset:0;width:100%;"
                          "height:100%;border:0\" loading=\"lazy\" allowfullscreen></iframe>"
                          "</div></div>")
        .arg(width)
        .arg(height, source, m_source.layout().title.toHtmlEscaped());
}
