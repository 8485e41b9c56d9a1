// The main window's life: start-up with and without a package on the command line, Exit, and
// closing the window. Private folders go to a temporary folder of the test.
#include "format/OptionSettings.h"
#include "opening/FixedFreeMemory.h"
#include "sound/MediaControl.h"
#include "sound/PackageSound.h"
#include "support/QtPrinters.h"
#include "support/ScriptedPrompter.h"
#include "support/TempDir.h"
#include "support/TestPackage.h"
#include "toolkit/ImageArray.h"
#include "toolkit/ImageControl.h"
#include "toolkit/Program.h"
#include "view/frmMain.h"
#include "windows/frmLoading.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>
#include <memory>

namespace {

// Notes, when the progress window first shows, whether the main window was already visible.
class FirstShowWatch : public QObject {
public:
    explicit FirstShowWatch(const QWidget*& main) : m_main(main) {}
    bool progressShown = false;
    bool mainVisibleThen = false;

protected:
    bool eventFilter(QObject* object, QEvent* event) override {
        if (!progressShown && event->type() == QEvent::Show && qobject_cast<frmLoading*>(object)) {
            progressShown = true;
            mainVisibleThen = m_main && m_main->isVisible();
        }
        return false;
    }

private:
    const QWidget*& m_main;
};

class Lifecycle : public ::testing::Test {
protected:
    Lifecycle() {
        m_savedTmp = qgetenv("TMPDIR");
        qputenv("TMPDIR", tmp.path().toLocal8Bit());
    }
    ~Lifecycle() override {
        window.reset();
        qputenv("TMPDIR", m_savedTmp);
    }

    // A main window started with these program arguments; Exit only counts its calls.
    frmMain& start(const QStringList& arguments) {
        program = std::make_unique<Program>(arguments);
        program->setEndAction([this] { ++ends; });
        window = std::make_unique<frmMain>(prompter, *program, settings, media, freeMemory);
        return *window;
    }

    QString writePackage(const TestPackage& package, const QString& name) {
        const QString path = packages.file(name);
        EXPECT_TRUE(package.write(path));
        return path;
    }
    static TestPackage soundPackage() {
        TestPackage p;
        p.horizontal = 4;
        p.sound = QStringLiteral("engine sound.mp3"); // a blank: played through a second name
        p.soundBytes = sampleSoundBytes();
        return p;
    }

    QStringList privateFolders() const {
        return QDir(tmp.path()).entryList({QStringLiteral("gyrolook-*")}, QDir::Dirs);
    }
    bool closeAllSent() const { return media.sentCommands().contains(closeAllCommand()); }

    TempDir tmp;
    TempDir packages;
    ScriptedPrompter prompter;
    OptionSettings settings;
    MediaControl media;
    FixedFreeMemory freeMemory{qint64(8) << 30};
    std::unique_ptr<Program> program;
    std::unique_ptr<frmMain> window;
    int ends = 0;

private:
    QByteArray m_savedTmp;
};

TEST_F(Lifecycle, StartUpOpensTheCommandLinePackageBeforeTheWindowShows) {
    const QString path = writePackage(soundPackage(), QStringLiteral("car.360"));
    frmMain& w = start({path});
    EXPECT_EQ(w.GetCommandLine(), QLatin1Char('"') + path + QLatin1Char('"'));

    const QWidget* main = &w;
    FirstShowWatch watch(main);
    qApp->installEventFilter(&watch);
    w.Form_Load();
    qApp->removeEventFilter(&watch);
    w.finishLoading();

    EXPECT_TRUE(watch.progressShown);
    EXPECT_FALSE(watch.mainVisibleThen);
    EXPECT_FALSE(w.isVisible());
    EXPECT_EQ(prompter.messages, QStringList{});
    EXPECT_EQ(w.iHCount, 4);
    ASSERT_NE(w.imgMain->picture(), nullptr);
    EXPECT_EQ(w.imgMain->picture(), w.imgArray->at(0)->picture());
    EXPECT_TRUE(w.sCommandFile.isEmpty());
    EXPECT_FALSE(w.bCommandFile);
    EXPECT_EQ(w.loadingProgress.window(), nullptr);
}

TEST_F(Lifecycle, StartUpWithoutAPackage) {
    const struct {
        QStringList arguments;
        QStringList messages;
    } cases[] = {
        {{}, {}},
        {{QStringLiteral("/nowhere/car.zip")}, {QStringLiteral("Wrong file type!!\ncar.zip")}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.arguments.join(QLatin1Char(' ')).toStdString());
        prompter.messages.clear();
        frmMain& w = start(c.arguments);
        w.Form_Load();
        EXPECT_FALSE(w.bCommandFile);
        EXPECT_EQ(prompter.messages, c.messages);
        EXPECT_EQ(w.imgMain->picture(), nullptr);
        EXPECT_EQ(w.iHCount, 0);
        EXPECT_EQ(privateFolders(), QStringList{});
    }
}

TEST_F(Lifecycle, CommandLineTextIsEachArgumentQuoted) {
    frmMain& w = start({QStringLiteral("/a b/car.360"), QStringLiteral("x")});
    EXPECT_EQ(w.GetCommandLine(), QStringLiteral("\"/a b/car.360\" \"x\""));
    EXPECT_EQ(w.GetCommandLine(3), w.GetCommandLine());
    EXPECT_EQ(start({}).GetCommandLine(), QString());
}

TEST_F(Lifecycle, StartUpWithdrawsOnlyTheCloseButton) {
    frmMain& w = start({});
    w.Form_Load();
    const Qt::WindowFlags flags = w.windowFlags();
    EXPECT_FALSE(flags.testFlag(Qt::WindowCloseButtonHint));
    for (Qt::WindowType kept : {Qt::WindowTitleHint, Qt::WindowSystemMenuHint,
                                Qt::WindowMinimizeButtonHint, Qt::WindowMaximizeButtonHint})
        EXPECT_TRUE(flags.testFlag(kept)) << kept;
    EXPECT_TRUE(w.isWindow());
}

TEST_F(Lifecycle, ExitStopsTheSoundAndLeavesNothingOnDisk) {
    frmMain& w = start({writePackage(soundPackage(), QStringLiteral("car.360"))});
    w.Form_Load();
    ASSERT_TRUE(w.bHasSound);
    const QString sound = w.sPackageDir + w.vSoundFile;
    ASSERT_TRUE(QFile::exists(sound));
    ASSERT_EQ(privateFolders().size(), 1);

    w.mnuExit_Click();
    EXPECT_TRUE(closeAllSent());
    EXPECT_FALSE(media.hasDevice());
    EXPECT_FALSE(QFile::exists(sound));
    EXPECT_EQ(privateFolders(), QStringList{});
    EXPECT_EQ(ends, 1);
    EXPECT_EQ(QDir(packages.path()).entryList(QDir::Files), QStringList{"car.360"});
}

TEST_F(Lifecycle, ExitWithoutAPackageDeletesNothing) {
    // A sound name without a package folder would name a file in the working folder.
    const QString saved = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(packages.path()));
    QFile decoy(packages.file(QStringLiteral("tune.mp3")));
    ASSERT_TRUE(decoy.open(QIODevice::WriteOnly));
    decoy.close();
    frmMain& w = start({});
    w.Form_Load();
    w.vSoundFile = QStringLiteral("tune.mp3");
    w.mnuExit_Click();
    QDir::setCurrent(saved);
    EXPECT_TRUE(closeAllSent());
    EXPECT_TRUE(decoy.exists());
    EXPECT_EQ(ends, 1);
}

TEST_F(Lifecycle, ClosingTheWindowStopsTheSoundAndRemovesThePrivateFolder) {
    frmMain& w = start({writePackage(soundPackage(), QStringLiteral("car.360"))});
    w.Form_Load();
    // Opened before the window shows: the sound waits for the first picture on the screen.
    EXPECT_FALSE(media.hasDevice());
    w.show();
    ASSERT_TRUE(QTest::qWaitFor([&] { return media.hasDevice(); }, 1000));
    EXPECT_TRUE(w.close());
    EXPECT_TRUE(closeAllSent());
    EXPECT_FALSE(media.hasDevice());
    EXPECT_EQ(privateFolders(), QStringList{});
    EXPECT_EQ(ends, 0);
}

TEST_F(Lifecycle, ExitFromTheMenuEndsTheEventLoop) {
    frmMain& w = start({writePackage(soundPackage(), QStringLiteral("car.360"))});
    program->setEndAction(&Program::closeWindowsAndQuit);
    w.Form_Load();
    w.show();
    QTimer::singleShot(0, w.mnuExit, &QAction::trigger);
    EXPECT_EQ(QApplication::exec(), 0);
    EXPECT_FALSE(w.isVisible());
    EXPECT_EQ(privateFolders(), QStringList{});
}

} // namespace
