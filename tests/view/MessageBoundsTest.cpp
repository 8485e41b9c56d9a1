// A package that fails member by member gives a short message in a box that fits on the screen.
#include "MainWindowServices.h"
#include "qt/WidgetTestTools.h"
#include "support/TempDir.h"
#include "support/TestFiles.h"
#include "support/ZipBuilder.h"
#include "toolkit/MessagePrompter.h"
#include "view/frmMain.h"

#include <QAbstractButton>
#include <QMessageBox>
#include <QScreen>
#include <gtest/gtest.h>

namespace {

TEST(MessageBounds, ThousandsOfFailedMembersGiveABoxThatFitsOnTheScreen) {
    // 4,000 pictures whose long names collide in pairs once their folders are stripped.
    const QByteArray longName = QByteArray(300, 'n');
    QList<ZipMember> members{storedMember("info.ini", "[FileName]\r\nFileName=" + longName +
                                                          "\r\n[FileType]\r\nFileType=.jpg\r\n")};
    for (int i = 0; i < 2000; ++i) {
        const QByteArray name = longName + "_H_" + QByteArray::number(i) + "_tail.jpg";
        members.append(storedMember("a/" + name, "x"));
        members.append(storedMember("b/" + name, "x"));
    }
    TempDir folder;
    const QString path = folder.file(QStringLiteral("many.360"));
    writeWholeFile(path, buildZip(members));

    MainWindowServices services;
    MessagePrompter prompter;
    frmMain window(prompter, services.program, services.settings, services.media,
                   services.freeMemory);
    prompter.setParentWindow(&window);
    window.show();

    QString text;
    QRect box;
    QRect screen;
    whenModalShows([&](QWidget* modal) {
        auto* message = qobject_cast<QMessageBox*>(modal);
        ASSERT_TRUE(message);
        text = message->text();
        box = message->frameGeometry();
        screen = message->screen()->availableGeometry();
        message->button(QMessageBox::Ok)->click();
    });
    window.sCommandFile = QLatin1Char('"') + path + QLatin1Char('"');
    window.bCommandFile = true;
    window.mnuOpen_Click();
    window.finishLoading();

    const QStringList lines = text.split(QLatin1Char('\n'));
    EXPECT_LE(lines.size(), 25) << text.left(2000).toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("... and 3980 more failed"))) << text.toStdString();
    EXPECT_EQ(lines.value(0), QStringLiteral("Cannot open many.360."));
    // Long names keep their start and their end.
    EXPECT_TRUE(lines.value(2).startsWith(QStringLiteral("a/nnn"))) << lines.value(2).toStdString();
    EXPECT_TRUE(lines.value(2).contains(QStringLiteral("nnn...nnn")));
    EXPECT_TRUE(lines.value(2).contains(QStringLiteral("0_tail.jpg: refused")));
    for (const QString& line : lines)
        EXPECT_LE(line.size(), 200) << line.toStdString();
    EXPECT_TRUE(screen.contains(box)) << box.width() << "x" << box.height();
}

} // namespace
