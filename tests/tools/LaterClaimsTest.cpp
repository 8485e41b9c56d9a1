// A small package whose later pictures claim 65000 x 40000 pixels in their headers: every command
// that opens a package as the viewer does refuses it at once, by the header, naming a picture.
#include "support/TempDir.h"
#include "support/TestFiles.h"
#include "support/TestPackage.h"
#include "support/ToolRun.h"

#include <QFile>
#include <gtest/gtest.h>

namespace {

TEST(LaterClaims, EveryCommandThatOpensAsTheViewerRefusesAtOnce) {
    TempDir dir;
    TestPackage package;
    package.extension = QStringLiteral(".jpg");
    for (int position = 1; position < package.horizontal; ++position) {
        const QString name = QStringLiteral("obj_H_%1.jpg").arg(position, 4, 10, QLatin1Char('0'));
        package.omitMembers << name;
        package.extraMembers[name] = withClaimedJpegSize(package.pictureBytes(name), 65000, 40000);
    }
    const QString path = dir.file(QStringLiteral("claims.360"));
    ASSERT_TRUE(package.write(path));
    const struct {
        const char* command;
        QStringList args;
    } cases[] = {
        {"check", {QStringLiteral("check"), path}},
        {"sheet", {QStringLiteral("sheet"), path, dir.file(QStringLiteral("sheet.png"))}},
        {"export", {QStringLiteral("export"), path, dir.file(QStringLiteral("spin.gif"))}},
    };
    for (const auto& c : cases) {
        const ToolRun run = runPack(c.args);
        EXPECT_NE(run.exitCode, 0) << c.command;
        EXPECT_TRUE((run.out + run.err)
                        .contains(QStringLiteral("The picture obj_H_0001.jpg is 65000 x 40000 "
                                                 "pixels, larger than the first picture")))
            << c.command << ": " << run.out.toStdString() << run.err.toStdString();
    }
    EXPECT_FALSE(QFile::exists(dir.file(QStringLiteral("sheet.png"))));
    EXPECT_FALSE(QFile::exists(dir.file(QStringLiteral("spin.gif"))));
}

} // namespace
