// gyrolook-pack sheet PKG.360 OUT.png [--width W] [--columns C] [--quiet]
// Opens a package the way the viewer does and paints a contact sheet of everything it holds,
// decoding each picture only as large as its cell needs, a picture at a time.
#include "ContactSheet.h"
#include "SheetLayout.h"
#include "tools/shared/Commands.h"
#include "tools/shared/InterruptGuard.h"
#include "tools/shared/OneLine.h"
#include "tools/shared/PackageWalk.h"
#include "tools/shared/ProgressReporter.h"

#include "tools/shared/RingReach.h"

#include "archive/MemberReader.h"
#include "format/DescriptorText.h"
#include "format/IniFile.h"
#include "format/MemberNames.h"
#include "format/PackageCounters.h"
#include "format/WholeFile.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <QTextStream>

namespace {

constexpr int kDefaultWidth = 1600;
constexpr int kMaxWidth = 16384;

const char* const kUsage = "usage: gyrolook-pack sheet PKG.360 OUT.png [--width W] [--columns C] "
                           "[--quiet]\n";

int fail(const QString& text) {
    QTextStream(stderr) << "gyrolook-pack sheet: " << oneLine(text) << '\n';
    return 1;
}

int usage() {
    QTextStream(stderr) << kUsage;
    return 2;
}

struct SheetArguments {
    QStringList files;
    int width = kDefaultWidth;
    int columns = 0;
    bool quiet = false;
    bool ok = true;
};

SheetArguments parse(const QStringList& args) {
    SheetArguments parsed;
    for (int i = 0; i < args.size() && parsed.ok; ++i) {
        const QString& arg = args.at(i);
        if ((arg == QLatin1String("--width") || arg == QLatin1String("--columns")) &&
            i + 1 < args.size()) {
            const int value = args.at(++i).toInt(&parsed.ok);
            parsed.ok = parsed.ok && value >= 1;
            (arg == QLatin1String("--width") ? parsed.width : parsed.columns) = value;
        } else if (arg == QLatin1String("--quiet")) {
            parsed.quiet = true;
        } else if (!arg.startsWith(QLatin1String("--"))) {
            parsed.files << arg;
        } else {
            parsed.ok = false;
        }
    }
    parsed.ok = parsed.ok && parsed.files.size() == 2;
    return parsed;
}

// The names `make` gave the rows (the folders they came from), read from the package's
// descriptor; V2, M2, ... stay where it gave none.
SheetLayout::Labels rowLabels(const QString& package) {
    SheetLayout::Labels labels;
    MemberReader archive;
    QByteArray bytes;
    if (!archive.open(package))
        return labels;
    const std::int64_t descriptor = archive.find(descriptorMemberName());
    if (descriptor < 0 || !archive.read(descriptor, IniFile::MaxFileBytes, bytes))
        return labels;
    const IniFile ini = IniFile::fromBytes(std::move(bytes));
    const QString section = QString::fromLatin1(kRowNamesSection);
    for (int row = navigation::kFirstRingRow; row < navigation::kFirstRingRow + RingReach::kMaxRows;
         ++row) {
        labels.upper << ini.value(section, rowNameKey(true, row)).trimmed();
        labels.lower << ini.value(section, rowNameKey(false, row)).trimmed();
    }
    labels.width = sheetLabelWidth(labels.upper + labels.lower);
    return labels;
}

// Every held picture, decoded at the scale its cell needs and scaled to the cell.
QString paintCells(PackageWalk& walk, const SheetLayout& layout, std::vector<QImage>& cells) {
    cells.assign(layout.rows().size() * static_cast<std::size_t>(layout.positions()), QImage());
    const std::vector<WalkPicture>& pictures = walk.pictures();
    const QSize cell = layout.cellSize();
    // Held beside the decodes: the cells, then the sheet and its PNG.
    const qint64 besides = qint64(cells.size()) * cell.width() * cell.height() * 4 +
                           qint64(layout.imageSize().width()) * layout.imageSize().height() * 8;
    return walk.decodeAll(
        cell,
        [&](std::size_t index, const QImage& image) {
            const WalkPicture& p = pictures[index];
            const SheetRow::Ring ring = p.ring == 0   ? SheetRow::Ring::Horizontal
                                        : p.ring == 1 ? SheetRow::Ring::Upper
                                                      : SheetRow::Ring::Lower;
            const int line = layout.lineOf(ring, p.row);
            if (line >= 0 && p.column < layout.positions())
                cells[std::size_t(line) * layout.positions() + p.column] =
                    image.scaled(cell, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                        .convertToFormat(QImage::Format_RGB32);
        },
        besides);
}

void report(const QString& out, const QImage& sheet, const SheetLayout& layout) {
    QStringList labels;
    for (const SheetRow& row : layout.rows())
        labels << row.label;
    const QRect first = layout.cell(0, 0);
    QTextStream(stdout) << "wrote " << out << ": " << sheet.width() << " x " << sheet.height()
                        << " pixels, " << layout.columns() << " columns, lines "
                        << labels.join(QLatin1Char(' ')) << ", cells " << first.width() << " x "
                        << first.height() << " from " << first.left() << "," << first.top()
                        << " every " << first.width() + SheetLayout::kGap << " x "
                        << first.height() + SheetLayout::kGap << ", " << layout.blocks()
                        << (layout.blocks() == 1 ? " block" : " blocks") << '\n';
}

} // namespace

int runSheet(const QStringList& args) {
    if (args.contains(QStringLiteral("--help"))) {
        QTextStream(stdout) << kUsage;
        return 0;
    }
    const SheetArguments parsed = parse(args);
    if (!parsed.ok)
        return usage();
    if (parsed.width > kMaxWidth)
        return fail(QStringLiteral("--width %1 is wider than the %2 pixels a sheet may have")
                        .arg(parsed.width)
                        .arg(kMaxWidth));
    const QString& out = parsed.files.at(1);
    if (QFileInfo::exists(out) || QFileInfo(out).isSymLink())
        return fail(QStringLiteral("%1 exists already; not overwritten").arg(out));

    ProgressReporter progress(QStringLiteral("sheet"), parsed.quiet);
    PackageWalk walk(progress);
    if (!walk.open(parsed.files.at(0)))
        return fail(walk.message());
    const PackageOpening& opening = walk.opening();
    const QSize pictureSize(opening.pictureWidth(), opening.pictureHeight());
    const PackageCounters& counters = opening.counters();
    const SheetLayout layout(parsed.width, opening.horizontalCount(),
                             opening.upperCount() ? counters.bytVRows : 0,
                             opening.lowerCount() ? counters.bytMRows : 0, pictureSize,
                             parsed.columns, rowLabels(parsed.files.at(0)));
    if (!layout.isValid())
        return fail(layout.error());
    std::vector<QImage> cells;
    const QString problem = paintCells(walk, layout, cells);
    if (!problem.isEmpty())
        return fail(problem);
    const QImage sheet =
        paintContactSheet(layout, cells, opening.descriptor().hotSpots, pictureSize);

    // Encoded in memory first: the file is written only once its bytes are known, and a full disk
    // is found before the first of them (a PNG writer does not see a short write).
    QByteArray png;
    QBuffer buffer(&png);
    if (!buffer.open(QIODevice::WriteOnly) || !sheet.save(&buffer, "PNG"))
        return fail(QStringLiteral("the sheet cannot be encoded as a PNG picture"));
    buffer.close();
    QFile file(out);
    {
        const auto held = InterruptGuard::holdOff(); // made and registered as one step
        if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly))
            return fail(QStringLiteral("cannot create %1: %2").arg(out, file.errorString()));
        InterruptGuard::addFile(out);
    }
    const QString reason = fillNewFile(file.handle(), png);
    if (!reason.isEmpty())
        file.remove();
    InterruptGuard::release(out);
    if (!reason.isEmpty())
        return fail(QStringLiteral("cannot write %1: %2").arg(out, reason));
    report(out, sheet, layout);
    return 0;
}
