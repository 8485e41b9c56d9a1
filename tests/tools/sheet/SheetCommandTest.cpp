// Runs "gyrolook-pack sheet" as a separate process and compares the sheet's cells with the
// sample renders scaled to the cell size.
#include "support/QtPrinters.h"
#include "support/TempDir.h"
#include "support/TestFiles.h"
#include "support/ToolRun.h"

#include <QImage>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <gtest/gtest.h>

namespace {

const QString kSamples = QStringLiteral(GYRO_SOURCE_DIR "/data/samples/teapot/");

// Mean difference per colour channel between a sheet cell and a picture of the cell's size (the
// same decode and scaling give 0; neighbouring renders differ by about 4).
double meanDifference(const QImage& sheet, const QRect& cell, const QImage& picture) {
    long long sum = 0;
    for (int y = 0; y < cell.height(); ++y)
        for (int x = 0; x < cell.width(); ++x) {
            const QRgb a = sheet.pixel(cell.left() + x, cell.top() + y);
            const QRgb b = picture.pixel(x, y);
            sum += std::abs(qRed(a) - qRed(b)) + std::abs(qGreen(a) - qGreen(b)) +
                   std::abs(qBlue(a) - qBlue(b));
        }
    return double(sum) / (3.0 * cell.width() * cell.height());
}

TEST(SheetCommand, CellsShowTheSamplePicturesWhereTheViewerHoldsThem) {
    TempDir dir;
    const QString out = dir.file(QStringLiteral("sheet.png"));
    const ToolRun run =
        runPack({"sheet", QStringLiteral(GYRO_SAMPLE_PACKAGE), out, "--width", "1200"});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    static const QRegularExpression geometry(
        "lines (.*), cells (\\d+) x (\\d+) from (\\d+),(\\d+) every (\\d+) x (\\d+)");
    const QRegularExpressionMatch m = geometry.match(run.out);
    ASSERT_TRUE(m.hasMatch()) << run.out.toStdString();
    const QStringList lines = m.captured(1).split(' ');
    EXPECT_EQ(lines, QStringList({"V5", "V4", "V3", "V2", "H", "M2", "M3"}));
    const QSize cellSize(m.captured(2).toInt(), m.captured(3).toInt());
    const QImage sheet(out);
    ASSERT_EQ(sheet.width(), 1200);

    auto cellAt = [&](int line, int column) {
        return QRect(QPoint(m.captured(4).toInt() + column * m.captured(6).toInt(),
                            m.captured(5).toInt() + line * m.captured(7).toInt()),
                     cellSize);
    };
    auto scaled = [&](const QString& file) {
        return QImage(kSamples + file)
            .scaled(cellSize, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    };
    for (int line = 0; line < lines.size(); ++line) {
        const QString label = lines[line];
        for (int column = 0; column < 36; ++column) {
            const QRect cell = cellAt(line, column);
            QString file;
            if (label == QLatin1String("H"))
                file = QStringLiteral("teapot_H_%1.jpg").arg(column, 4, 10, QLatin1Char('0'));
            else if (column % 3 == 0)
                file = QStringLiteral("teapot_%1%2_%3.jpg")
                           .arg(label.left(1))
                           .arg(column, 2, 10, QLatin1Char('0'))
                           .arg(label.mid(1).toInt(), 4, 10, QLatin1Char('0'));
            if (file.isEmpty()) { // no ring branches off here: an empty cell of one colour
                const QImage empty = sheet.copy(cell);
                QImage flat(cellSize, empty.format());
                flat.fill(empty.pixel(0, 0));
                EXPECT_EQ(empty, flat) << label.toStdString() << " " << column;
            } else if (label != QLatin1String("H") || column != 0) {
                EXPECT_LT(meanDifference(sheet, cell, scaled(file)), 1.0)
                    << label.toStdString() << " " << column;
            }
        }
    }
    // The measure tells pictures apart, and the hot spot of picture 0 is drawn on it: its corner
    // at 440,170 picture pixels.
    EXPECT_GT(meanDifference(sheet, cellAt(4, 1), scaled("teapot_H_0019.jpg")), 8.0);
    const QRect h0 = cellAt(4, 0);
    const QRgb corner = sheet.pixel(h0.left() + 440 * cellSize.width() / 640,
                                    h0.top() + 170 * cellSize.height() / 480);
    EXPECT_GT(qRed(corner), 200);
    EXPECT_LT(qGreen(corner), 60);
}

TEST(SheetCommand, RefusesWhatTheViewerRefusesWithItsMessage) {
    TempDir dir;
    writeWholeFile(dir.file("junk.360"), "not an archive");
    writeWholeFile(dir.file("taken.png"), "a user's file");
    for (const QString& package :
         {dir.file("junk.360"), QStringLiteral(GYRO_SAMPLE_PACKAGE) + ".zip"}) {
        const ToolRun check = runPack({"check", "--json", package});
        const QString message =
            QJsonDocument::fromJson(check.out.toUtf8()).object()["message"].toString();
        ASSERT_FALSE(message.isEmpty());
        const ToolRun sheet = runPack({"sheet", package, dir.file("out.png")});
        EXPECT_EQ(sheet.exitCode, 1);
        // The viewer's message, its parts on one line.
        for (const QString& part : message.split('\n', Qt::SkipEmptyParts))
            EXPECT_TRUE(sheet.err.contains(part)) << sheet.err.toStdString();
        EXPECT_EQ(sheet.err.count('\n'), 1) << sheet.err.toStdString();
    }
    const ToolRun taken =
        runPack({"sheet", QStringLiteral(GYRO_SAMPLE_PACKAGE), dir.file("taken.png")});
    EXPECT_EQ(taken.exitCode, 1);
    EXPECT_EQ(readWholeFile(dir.file("taken.png")), QByteArray("a user's file"));
    EXPECT_FALSE(QFile::exists(dir.file("out.png")));
}

} // namespace
