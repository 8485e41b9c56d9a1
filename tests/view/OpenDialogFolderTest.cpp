// Where File > Open starts: the rules, then the real window asking its dialog.
#include "view/OpenDialogFolder.h"
#include "ViewerFixture.h"
#include "toolkit/CommonDialog.h"

#include <QDir>

namespace {

TEST(OpenDialogFolder, LastPackageThenTerminalFolderThenHome) {
    TempDir start;
    TempDir home;
    TempDir packages;
    const QString gone = start.file(QStringLiteral("gone"));
    const struct {
        const char* name;
        bool terminal;
        QString startFolder;
        QString lastPackage; // empty: none opened yet
        QString expected;
    } cases[] = {
        {"desktop start, nothing opened", false, start.path(), {}, home.path()},
        {"terminal start, nothing opened", true, start.path(), {}, start.path()},
        {"terminal start in a folder since removed", true, gone, {}, home.path()},
        {"a package opened", false, start.path(), packages.file("a.360"), packages.path()},
        {"a package opened from a terminal", true, start.path(), packages.file("a.360"),
         packages.path()},
        {"the package's folder since removed", true, start.path(), gone + "/a.360", start.path()},
    };
    for (const auto& c : cases) {
        OpenDialogFolder folder(c.startFolder, c.terminal, home.path());
        if (!c.lastPackage.isEmpty())
            folder.packageOpened(c.lastPackage);
        EXPECT_EQ(folder.folder(), c.expected) << c.name;
    }
}

class OpenDialogStart : public Viewer {};

TEST_F(OpenDialogStart, OpensWhereTheLastPackageCameFrom) {
    QStringList asked;
    window.cd->setChooser([&](const OpenFileRequest& request) {
        asked.append(request.initDir);
        return QString(); // cancelled
    });
    window.mnuOpen_Click();
    window.finishLoading();
    ASSERT_EQ(asked.size(), 1);
    // Before any package: the folder started in (from a terminal) or home, as the rules say.
    EXPECT_TRUE(asked.first() == QDir::currentPath() || asked.first() == QDir::homePath())
        << asked.first().toStdString();
    open(TestPackage{});
    window.mnuOpen_Click();
    window.finishLoading();
    ASSERT_EQ(asked.size(), 2);
    EXPECT_EQ(asked.last(), QDir(folder.path()).absolutePath());
}

} // namespace
