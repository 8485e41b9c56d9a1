#include "WebPageExport.h"

#include "tools/PhotoResizer.h"

#include "SpinMoves.h"
#include "SpinSource.h"
#include "tools/ProgressReporter.h"

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

    const QSize size = PhotoResizer::fitted(layout.pictureSize, m_options.longestSide);
    m_width = size.width();
    m_height = size.height();
    if (!QDir(folder).mkdir(QStringLiteral("pictures"))) {
        m_error = QStringLiteral("cannot make the folder %1/pictures").arg(folder);
        return false;
    }
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

bool WebPageExport::writePictures(const QString& folder, const std::vector<int>& slots,
                                  ProgressReporter& progress) {
    const SpinLayout& layout = m_source.layout();
    const QDir pictures(QDir(folder).filePath(QStringLiteral("pictures")));
    std::atomic<std::size_t> next{0};
    std::atomic<bool> failed{false};
    std::mutex reporting;
    QString problem;
    qint64 done = 0;
    const auto work = [&] {
        for (std::size_t i = next++; i < slots.size() && !failed; i = next++) {
            const int slot = slots[i];
            const QString name = pictureFileName(layout.memberNames[std::size_t(slot)], slot);
            const QImage image = m_source.picture(slot, m_options.longestSide);
            QFile file(pictures.filePath(name));
            bool ok = !image.isNull() && file.open(QIODevice::WriteOnly | QIODevice::NewOnly);
            if (ok) {
                QImageWriter writer(&file, "jpeg");
                writer.setQuality(m_options.quality);
                // Baseline: progressive scans cost half the export's time for 5 % of size.
                writer.setOptimizedWrite(true);
                ok = writer.write(image.convertToFormat(QImage::Format_RGB32));
            }
            const std::lock_guard<std::mutex> lock(reporting);
            if (!ok) {
                if (problem.isEmpty())
                    problem = image.isNull()
                                  ? QStringLiteral("the picture %1 does not decode")
                                        .arg(layout.memberNames[std::size_t(slot)])
                                  : QStringLiteral("cannot write %1").arg(file.fileName());
                failed = true;
                break;
            }
            progress.step(QStringLiteral("pictures"), ++done, qint64(slots.size()));
        }
    };
    const int threads = std::max(1, std::min(QThread::idealThreadCount(), 4));
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

QByteArray WebPageExport::dataScript(const std::vector<int>& slots) const {
    const SpinLayout& layout = m_source.layout();
    std::map<int, int> pictureOf;
    QJsonArray pictures;
    for (const int slot : slots) {
        pictureOf[slot] = pictures.size();
        pictures.append(QStringLiteral("pictures/") +
                        pictureFileName(layout.memberNames[std::size_t(slot)], slot));
    }
    const std::vector<SpinGraphNode> graph = spinGraph(layout);
    QJsonArray views;
    QJsonObject hotspots;
    for (std::size_t i = 0; i < graph.size(); ++i) {
        const SpinGraphNode& node = graph[i];
        views.append(QJsonArray{pictureOf.at(node.slot), node.view.h, node.view.v, node.left,
                                node.right, node.up, node.down});
        if (node.view.v != 1)
            continue;
        for (const SpinLayout::HotSpot& spot : layout.hotSpot) {
            if (spot.position != node.view.h)
                continue;
            const double w = layout.pictureSize.width(), h = layout.pictureSize.height();
            const auto fraction = [](double value) { return qRound(value * 10000) / 10000.0; };
            hotspots.insert(QString::number(i),
                            QJsonArray{fraction(spot.rect.x() / w), fraction(spot.rect.y() / h),
                                       fraction(spot.rect.width() / w),
                                       fraction(spot.rect.height() / h)});
        }
    }
    const QJsonObject spin{{"title", layout.title},
                           {"width", m_width},
                           {"height", m_height},
                           {"count", layout.horizontalCount},
                           {"upperRows", std::min(layout.upperRows, 9)},
                           {"lowerRows", std::min(layout.lowerRows, 9)},
                           {"turnSeconds", m_options.turnSeconds},
                           {"start", 0},
                           {"pictures", pictures},
                           {"views", views},
                           {"hotspots", hotspots}};
    return "// The package's structure for spin.js; written by gyrolook-pack export.\n"
           "window.gyrolookSpin = " +
           QJsonDocument(spin).toJson(QJsonDocument::Compact) + ";\n";
}

QByteArray WebPageExport::indexPage(const QString& firstPicture, int pictureCount) const {
    QString page = QString::fromUtf8(resource(QStringLiteral("index.html")));
    page.replace(QLatin1String("@TITLE@"), m_source.layout().title.toHtmlEscaped());
    page.replace(QLatin1String("@FIRST@"), firstPicture);
    page.replace(QLatin1String("@WIDTH@"), QString::number(m_width));
    page.replace(QLatin1String("@HEIGHT@"), QString::number(m_height));
    page.replace(QLatin1String("@COUNT@"), QString::number(pictureCount));
    return page.toUtf8();
}

QString WebPageExport::embedSnippet(const QString& folderName) const {
    // The page's controls take about 60 pixels below the picture.
    const int width = std::min(m_width, 800) + 16;
    const int height = (width - 16) * m_height / std::max(1, m_width) + 68;
    const QString source = QString::fromUtf8(QUrl::toPercentEncoding(folderName));
    return QStringLiteral("<iframe src=\"%1/index.html\" title=\"%2, turnable view\" width=\"%3\" "
                          "height=\"%4\" style=\"border:0;max-width:100%\" loading=\"lazy\" "
                          "allowfullscreen></iframe>")
        .arg(source, m_source.layout().title.toHtmlEscaped())
        .arg(width)
        .arg(height);
}
