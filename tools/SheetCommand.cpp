// gyrolook-pack sheet PKG.360 OUT.png [--width W]
// Opens a package the way the viewer does and paints a contact sheet of everything it holds.
#include "Commands.h"
#include "ContactSheet.h"
#include "PackageCheck.h"
#include "SheetLayout.h"

#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <QTextStream>

namespace {

constexpr int kDefaultWidth = 1600;
constexpr int kMaxWidth = 16384;

int fail(const QString& text) {
    QTextStream(stderr) << "gyrolook-pack sheet: " << text << '\n';
    return 1;
}

int usage() {
    QTextStream(stderr) << "usage: gyrolook-pack sheet PKG.360 OUT.png [--width W]\n";
    return 2;
}

} // namespace

int runSheet(const QStringList& args) {
    QStringList files;
    int width = kDefaultWidth;
    for (int i = 0; i < args.size(); ++i) {
        if (args.at(i) == QLatin1String("--width") && i + 1 < args.size()) {
            bool ok = false;
            width = args.at(++i).toInt(&ok);
            if (!ok || width < 1)
                return usage();
        } else if (!args.at(i).startsWith(QLatin1String("--"))) {
            files << args.at(i);
        } else {
            return usage();
        }
    }
    if (files.size() != 2)
        return usage();
    if (width > kMaxWidth)
        return fail(QStringLiteral("--width %1 is wider than the %2 pixels a sheet may have")
                        .arg(width)
                        .arg(kMaxWidth));
    const QString& out = files.at(1);
    if (QFileInfo::exists(out))
        return fail(QStringLiteral("%1 exists already; not overwritten").arg(out));

    PackageCheck check;
    if (!check.run(files.at(0)))
        return fail(check.message());
    const PackageOpening& opening = check.opening();
    const QSize pictureSize(opening.pictureWidth(), opening.pictureHeight());
    const PackageCounters& counters = opening.counters();
    const SheetLayout layout(width, opening.horizontalCount(),
                             opening.upperCount() ? counters.bytVRows : 0,
                             opening.lowerCount() ? counters.bytMRows : 0, pictureSize);
    if (!layout.isValid())
        return fail(layout.error());
    const QImage sheet =
        paintContactSheet(layout, check.slots(), opening.descriptor().hotSpots, pictureSize);

    QFile file(out);
    if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly))
        return fail(QStringLiteral("cannot create %1: %2").arg(out, file.errorString()));
    if (!sheet.save(&file, "PNG")) {
        file.remove();
        return fail(QStringLiteral("cannot write %1").arg(out));
    }
    QStringList labels;
    for (const SheetRow& row : layout.rows())
        labels << row.label;
    const QRect first = layout.cell(0, 0);
    QTextStream(stdout) << "wrote " << out << ": " << sheet.width() << " x " << sheet.height()
                        << " pixels, " << layout.columns() << " columns, lines "
                        << labels.join(QLatin1Char(' ')) << ", cells " << first.width() << " x "
                        << first.height() << " from " << first.left() << "," << first.top()
                        << " every " << first.width() + SheetLayout::kGap << " x "
                        << first.height() + SheetLayout::kGap << '\n';
    return 0;
}
