// Files dragged from a file manager onto the main window: a package opens the way the command line
// opens it; another kind gets the Open command's message; drags the window cannot open are not
// taken.
#include "ViewerFixture.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QUrl>

namespace {

class Drop : public Viewer {
protected:
    // Drags urls onto the window's centre and drops them there; true when the window took the
    // drag.
    bool dropUrls(const QList<QUrl>& urls) {
        QMimeData data;
        data.setUrls(urls);
        const QPoint centre = window.rect().center();
        QDragEnterEvent enter(centre, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(&window, &enter);
        if (!enter.isAccepted())
            return false;
        QDropEvent drop(QPointF(centre), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(&window, &drop);
        return drop.isAccepted();
    }
    bool dropFile(const QString& path) { return dropUrls({QUrl::fromLocalFile(path)}); }
};

TEST_F(Drop, APackageOpensAsFromTheCommandLine) {
    window.show();
    TestPackage p;
    p.horizontal = 12;
    const QString path = folder.file(QStringLiteral("dropped.360"));
    ASSERT_TRUE(p.write(path));
    package = p;
    ASSERT_TRUE(dropFile(path));
    EXPECT_EQ(prompter.messages, QStringList{});
    EXPECT_EQ(window.iHCount, 12);
    EXPECT_EQ(shownMember(), horizontal(0));
    EXPECT_TRUE(window.imgMain->isVisible());
    EXPECT_FALSE(window.bCommandFile);
    EXPECT_TRUE(window.sCommandFile.isEmpty());
}

TEST_F(Drop, OtherFilesAndDragsAreRefused) {
    window.show();
    open(TestPackage{});
    const QString text = folder.file(QStringLiteral("notes.txt"));
    const QString wrongCase = folder.file(QStringLiteral("upper.ZIP"));
    for (const QString& path : {text, wrongCase}) {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("not a package");
    }
    const QString other = folder.file(QStringLiteral("other.360"));
    ASSERT_TRUE(TestPackage{}.write(other));

    const struct {
        const char* what;
        QList<QUrl> urls;
        bool taken;
        QStringList messages;
    } cases[] = {
        {"a text file",
         {QUrl::fromLocalFile(text)},
         true,
         {QStringLiteral("Wrong file type!!\nnotes.txt")}},
        {"a zip file",
         {QUrl::fromLocalFile(wrongCase)},
         true,
         {QStringLiteral("Wrong file type!!\nupper.ZIP")}},
        {"two packages", {QUrl::fromLocalFile(other), QUrl::fromLocalFile(other)}, false, {}},
        {"a remote file", {QUrl(QStringLiteral("https://example.org/a.360"))}, false, {}},
        {"no file", {}, false, {}},
    };
    for (const auto& c : cases) {
        prompter.messages.clear();
        EXPECT_EQ(dropUrls(c.urls), c.taken) << c.what;
        EXPECT_EQ(prompter.messages, c.messages) << c.what;
        // The package shown stays as it was.
        EXPECT_EQ(window.iHCount, 36) << c.what;
        EXPECT_EQ(shownMember(), horizontal(0)) << c.what;
    }
}

} // namespace
