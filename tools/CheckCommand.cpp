// gyrolook-pack check PKG.360 [--json] [--password TEXT] [--free-memory BYTES] [--screen WxH]
// Opens a package the way the viewer does on a screen of the size given, without a window and
// without sound, decoding each picture once at its screen level and letting it go (PackageCheck),
// and reports what the viewer would hold, or the message it would show: a plain line first
// (CheckSummary), then every field the opening found.
#include "PackageCheck.h"
#include "tools/shared/CheckSummary.h"
#include "tools/shared/Commands.h"
#include "tools/shared/ProgressReporter.h"
#include "tools/shared/RingReach.h"

#include "opening/FixedFreeMemory.h"
#include "opening/SystemFreeMemory.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTextStream>
#include <memory>

namespace {

QJsonArray ringArray(const std::vector<std::uint8_t>& ring) {
    QJsonArray array;
    for (std::uint8_t entry : ring)
        array.append(int(entry));
    return array;
}

QString storageName(PictureStorage storage) {
    switch (storage) {
    case PictureStorage::Decoded:
        return QStringLiteral("decoded");
    case PictureStorage::Compressed:
        return QStringLiteral("compressed");
    case PictureStorage::Refused:
        break;
    }
    return QStringLiteral("refused");
}

QJsonObject hotSpotsObject(const HotSpotTables& spots) {
    QJsonArray list;
    for (int i = 1; i <= spots.iHotSpots(); ++i) {
        QJsonArray rectangles;
        QJsonArray images;
        for (int j = 1; j <= spots.HotSpotImages(i); ++j)
            images.append(spots.HotSpotImageNum(i, j));
        for (int n = 0; n <= HotSpotTables::MaxImageNumber; ++n) {
            const auto rect = spots.rectangle(i, n);
            if (rect && (rect->x1 || rect->y1 || rect->x2 || rect->y2))
                rectangles.append(QJsonObject{{QStringLiteral("image"), n},
                                              {QStringLiteral("x1"), rect->x1},
                                              {QStringLiteral("y1"), rect->y1},
                                              {QStringLiteral("x2"), rect->x2},
                                              {QStringLiteral("y2"), rect->y2}});
        }
        list.append(QJsonObject{{QStringLiteral("images"), images},
                                {QStringLiteral("rectangles"), rectangles}});
    }
    return QJsonObject{{QStringLiteral("count"), int(spots.iHotSpots())},
                       {QStringLiteral("spots"), list}};
}

// What of an opened package the viewer cannot reach; empty for a package it reaches in full.
QStringList reachWarnings(const PackageCheck& check) {
    const PackageOpening& opening = check.opening();
    const PackageCounters& c = opening.counters();
    return RingReach::problems(opening.horizontalCount(), check.upperRing(),
                               opening.upperCount() ? c.bytVRows : 0, check.lowerRing(),
                               opening.lowerCount() ? c.bytMRows : 0);
}

CheckFigures figuresOf(const PackageOpening& opening, QSize screen) {
    const PackageCounters& c = opening.counters();
    CheckFigures f;
    f.around = opening.horizontalCount();
    f.above = opening.upperCount();
    f.rowsAbove = f.above ? c.bytVRows : 0;
    f.below = opening.lowerCount();
    f.rowsBelow = f.below ? c.bytMRows : 0;
    f.size = QSize(opening.pictureWidth(), opening.pictureHeight());
    f.largestFile = qint64(c.sngMaxFileLen);
    f.screen = screen;
    f.keptFile = opening.keptFileBytes();
    return f;
}

QJsonObject report(const PackageCheck& check, QSize screen) {
    const PackageOpening& opening = check.opening();
    const bool ok = check.ok();
    const QString& message = check.message();
    const PackageCounters& c = opening.counters();
    const Descriptor& d = opening.descriptor();
    const MemoryBudget& m = opening.memory();
    const CheckFigures figures = figuresOf(opening, screen);
    return QJsonObject{
        {QStringLiteral("ok"), ok},
        {QStringLiteral("summary"), ok ? checkSummary(figures) : QString()},
        {QStringLiteral("viewerBytes"), ok ? double(viewerBytes(figures)) : 0.},
        {QStringLiteral("screen"),
         QStringLiteral("%1x%2").arg(screen.width()).arg(screen.height())},
        {QStringLiteral("message"), message},
        {QStringLiteral("sngUnzipCount"), double(c.sngUnzipCount)},
        {QStringLiteral("skippedMembers"), opening.skippedMembers()},
        {QStringLiteral("sngHCount"), double(c.sngHCount)},
        {QStringLiteral("sngMaxFileLen"), double(c.sngMaxFileLen)},
        {QStringLiteral("bytVCount"), int(c.bytVCount)},
        {QStringLiteral("bytVColumns"), int(c.bytVColumns)},
        {QStringLiteral("bytVRows"), int(c.bytVRows)},
        {QStringLiteral("bytMCount"), int(c.bytMCount)},
        {QStringLiteral("bytMColumns"), int(c.bytMColumns)},
        {QStringLiteral("bytMRows"), int(c.bytMRows)},
        {QStringLiteral("upperStep"), int(opening.upperGeometry().step())},
        {QStringLiteral("upperLastColumn"), int(opening.upperGeometry().lastColumn())},
        {QStringLiteral("lowerStep"), int(opening.lowerGeometry().step())},
        {QStringLiteral("lowerLastColumn"), int(opening.lowerGeometry().lastColumn())},
        {QStringLiteral("UpperRing"), ringArray(check.upperRing())},
        {QStringLiteral("LowerRing"), ringArray(check.lowerRing())},
        {QStringLiteral("slots"), check.decodedCount()},
        {QStringLiteral("width"), opening.pictureWidth()},
        {QStringLiteral("height"), opening.pictureHeight()},
        {QStringLiteral("screenLevel"), opening.levelDenominator()}, // pictures decoded at 1/level
        {QStringLiteral("storage"), ok ? storageName(m.storage) : QString()},
        {QStringLiteral("availableBytes"), double(m.availableBytes)},
        {QStringLiteral("decodedBytes"), double(m.decodedBytes)},
        {QStringLiteral("compressedBytes"), double(m.compressedBytes)},
        {QStringLiteral("FileName"), d.fileName},
        {QStringLiteral("FileType"), d.fileType},
        {QStringLiteral("NumOfNorth"), d.numOfNorth},
        {QStringLiteral("NumOfSouth"), d.numOfSouth},
        {QStringLiteral("NumOfWest"), d.numOfWest},
        {QStringLiteral("NumOfEast"), d.numOfEast},
        {QStringLiteral("sound"), d.sound},
        {QStringLiteral("soundShortName"), opening.soundShortName()},
        {QStringLiteral("SoundRepeat"), d.soundRepeat},
        {QStringLiteral("hotspots"), hotSpotsObject(d.hotSpots)},
        {QStringLiteral("notes"), QJsonArray::fromStringList(d.notes)},
        {QStringLiteral("warnings"),
         QJsonArray::fromStringList(ok ? reachWarnings(check) : QStringList())},
    };
}

// The summary first, then every field under its name.
void printText(QTextStream& out, const QJsonObject& object) {
    const QString summary = object[QStringLiteral("summary")].toString();
    out << (summary.isEmpty() ? QStringLiteral("The viewer would not open it: ") +
                                    object[QStringLiteral("message")].toString().simplified()
                              : summary)
        << '\n';
    for (auto it = object.begin(); it != object.end(); ++it) {
        if (it.key() == QLatin1String("summary"))
            continue;
        const QJsonValue value = it.value();
        out << it.key() << ' ';
        if (value.isString())
            out << value.toString();
        else
            out << QJsonDocument(QJsonArray{value})
                       .toJson(QJsonDocument::Compact)
                       .mid(1)
                       .chopped(1);
        out << '\n';
    }
}

int usage() {
    QTextStream(stderr) << "usage: gyrolook-pack check PKG.360 [--json] [--password TEXT] "
                           "[--free-memory BYTES] [--screen WxH] [--quiet]\n";
    return 2;
}

} // namespace

int runCheck(const QStringList& args) {
    QString package;
    QString password;
    bool json = false;
    bool quiet = false;
    std::unique_ptr<FreeMemorySource> memory = std::make_unique<SystemFreeMemory>();
    QSize screen = kDefaultScreen;
    for (int i = 0; i < args.size(); ++i) {
        const QString& arg = args.at(i);
        if (arg == QLatin1String("--json")) {
            json = true;
        } else if (arg == QLatin1String("--quiet")) {
            quiet = true;
        } else if (arg == QLatin1String("--password") && i + 1 < args.size()) {
            password = args.at(++i);
        } else if (arg == QLatin1String("--free-memory") && i + 1 < args.size()) {
            bool ok = false;
            const qint64 bytes = args.at(++i).toLongLong(&ok);
            if (!ok)
                return usage();
            memory = std::make_unique<FixedFreeMemory>(bytes);
        } else if (arg == QLatin1String("--screen") && i + 1 < args.size()) {
            const QStringList sides = args.at(++i).split(QLatin1Char('x'));
            bool wide = false, high = false;
            screen =
                sides.size() == 2 ? QSize(sides[0].toInt(&wide), sides[1].toInt(&high)) : QSize();
            if (!wide || !high || screen.width() < 1 || screen.height() < 1)
                return usage();
        } else if (package.isEmpty() && !arg.startsWith(QLatin1String("--"))) {
            package = arg;
        } else {
            return usage();
        }
    }
    if (package.isEmpty())
        return usage();

    ProgressReporter progress(QStringLiteral("check"), quiet);
    PackageCheck check(progress, std::move(memory), screen, password, !json);
    check.run(package);
    progress.finish();
    QTextStream out(stdout);
    const QJsonObject object = report(check, screen);
    if (json)
        out << QJsonDocument(object).toJson(QJsonDocument::Compact) << '\n';
    else
        printText(out, object);
    for (const QJsonValue warning :
         json ? QJsonArray() : object[QStringLiteral("warnings")].toArray())
        QTextStream(stderr) << "gyrolook-pack check: warning: " << warning.toString() << '\n';
    return check.ok() ? 0 : 1;
}
