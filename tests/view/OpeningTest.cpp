// Opening packages through the real main window: what the window shows and holds afterwards, the
// messages, and that nothing is left on disk but the sound of the package shown.
#include "format/OptionSettings.h"
#include "opening/FixedFreeMemory.h"
#include "sound/MediaControl.h"
#include "support/QtPrinters.h"
#include "support/ScriptedPrompter.h"
#include "support/TempDir.h"
#include "support/TestPackage.h"
#include "toolkit/ImageArray.h"
#include "toolkit/ImageControl.h"
#include "toolkit/Program.h"
#include "toolkit/ScrollBar.h"
#include "view/frmMain.h"

#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <gtest/gtest.h>
#include <memory>

namespace {

constexpr qint64 kPlenty = qint64(8) << 30;

// A main window whose private folders go to a temporary folder of the test.
class Opening : public ::testing::Test {
protected:
    Opening() {
        m_savedTmp = qgetenv("TMPDIR");
        qputenv("TMPDIR", tmp.path().toLocal8Bit());
        makeWindow(kPlenty);
    }
    ~Opening() override {
        window.reset();
        qputenv("TMPDIR", m_savedTmp);
    }

    void makeWindow(qint64 freeBytes) {
        window.reset();
        freeMemory = std::make_unique<FixedFreeMemory>(freeBytes);
        window = std::make_unique<frmMain>(prompter, program, settings, media, *freeMemory);
    }

    // Writes a package into the package folder and opens it as start-up does.
    void open(const TestPackage& package, const QString& name = QStringLiteral("obj.360")) {
        const QString path = packages.file(name);
        ASSERT_TRUE(package.write(path));
        openPath(path);
    }
    void openPath(const QString& path) {
        window->sCommandFile = QLatin1Char('"') + path + QLatin1Char('"');
        window->bCommandFile = true;
        window->mnuOpen_Click();
        window->finishLoading();
    }

    // The private folders that exist now.
    QStringList privateFolders() const {
        return QDir(tmp.path()).entryList({QStringLiteral("gyrolook-*")}, QDir::Dirs);
    }
    QStringList filesInPrivateFolder() const {
        return QDir(window->sPackageDir).entryList(QDir::Files | QDir::NoDotAndDotDot);
    }
    int heldPictures() const {
        int held = 0;
        for (int i = 0; i <= window->imgArray->upperBound(); ++i)
            held += window->imgArray->at(i) && window->imgArray->at(i)->picture() ? 1 : 0;
        return held;
    }
    void expectCleared() const {
        EXPECT_FALSE(window->imgMain->isVisibleTo(window.get()));
        EXPECT_FALSE(window->HscrArray->isVisibleTo(window.get()));
        EXPECT_FALSE(window->hscrlZoom->isVisibleTo(window.get()));
        EXPECT_EQ(heldPictures(), 0);
        EXPECT_EQ(window->loadingProgress.window(), nullptr);
        EXPECT_TRUE(window->sPackageDir.isEmpty());
        EXPECT_EQ(privateFolders(), QStringList{});
    }

    TempDir tmp;
    TempDir packages;
    ScriptedPrompter prompter;
    Program program{QStringList{}};
    OptionSettings settings;
    MediaControl media;
    std::unique_ptr<FixedFreeMemory> freeMemory;
    std::unique_ptr<frmMain> window;

private:
    QByteArray m_savedTmp;
};

TEST_F(Opening, SamplePackage) {
    const QStringList before = QDir(QStringLiteral(GYRO_SAMPLE_PACKAGE "/..")).entryList();
    openPath(QStringLiteral(GYRO_SAMPLE_PACKAGE));
    ASSERT_EQ(prompter.messages, QStringList{});
    const frmMain& w = *window;
    EXPECT_EQ(w.iHCount, 36);
    EXPECT_EQ(w.HscrArray->max(), 36);
    EXPECT_EQ(w.HscrArray->value(), 0);
    EXPECT_EQ(w.iCurrent, 0);
    EXPECT_EQ(heldPictures(), 108);
    EXPECT_TRUE(w.imgArray->exists(108));
    EXPECT_TRUE(w.imgArray->exists(36));
    EXPECT_FALSE(w.imgArray->at(36)->picture());
    EXPECT_EQ(w.imgMain->picture(), w.imgArray->at(0)->picture());
    EXPECT_EQ(w.UpperRing[0], 37);
    EXPECT_EQ(w.UpperRing[3], 41);
    EXPECT_EQ(w.UpperRing[1], 255);
    EXPECT_EQ(w.LowerRing[0], 85);
    EXPECT_EQ(w.LowerRing[33], 107);
    // 640 x 480 pictures: the window is 300 twips wider and 1500 taller than a picture.
    EXPECT_EQ(w.lPicWidth, 9600);
    EXPECT_EQ(w.lPicHeight, 7200);
    EXPECT_EQ(w.imgMain->widthTwips(), 9600);
    EXPECT_EQ(w.imgMain->heightTwips(), 7200);
    EXPECT_TRUE(w.imgMain->stretch());
    EXPECT_EQ(w.outerWidthTwips(), 9900);
    EXPECT_EQ(w.outerHeightTwips(), 8700);
    EXPECT_TRUE(w.imgMain->isVisibleTo(window.get()));
    EXPECT_TRUE(w.HscrArray->isVisibleTo(window.get()));
    EXPECT_TRUE(w.VscrArray->isVisibleTo(window.get()));
    EXPECT_TRUE(w.VscrArray->isEnabled()); // an upper ring branches off at position 0
    EXPECT_TRUE(w.cmdTop->isVisibleTo(window.get()));
    EXPECT_TRUE(w.lblZoom->isVisibleTo(window.get()));
    EXPECT_TRUE(w.hscrlZoom->isVisibleTo(window.get()));
    EXPECT_FALSE(w.chkAutoSpin->isVisibleTo(window.get()));
    EXPECT_EQ(w.imgMain->toolTip(), QStringLiteral("0"));
    EXPECT_EQ(w.vSoundFile, QStringLiteral("house_lo.mp3"));
    EXPECT_TRUE(w.bHasSound);
    EXPECT_TRUE(w.bSoundRepeat);
    EXPECT_EQ(w.hotSpots.iHotSpots(), 1);
    EXPECT_EQ(w.loadingProgress.window(), nullptr);
    // Only the sound is left in the private folder (the credits were never extracted); the
    // package's own folder is untouched.
    EXPECT_EQ(filesInPrivateFolder(), QStringList{QStringLiteral("house_lo.mp3")});
    EXPECT_EQ(QDir(QStringLiteral(GYRO_SAMPLE_PACKAGE "/..")).entryList(), before);
    EXPECT_EQ(privateFolders().size(), 1);
}

TEST_F(Opening, RingsAndOptions) {
    TestPackage flat;
    open(flat);
    ASSERT_EQ(prompter.messages, QStringList{});
    EXPECT_FALSE(window->VscrArray->isEnabled());
    EXPECT_EQ(window->UpperRing, std::vector<std::uint8_t>(37, 255));

    TestPackage ringed;
    ringed.upper = {{0, 3}, {9, 3}, {18, 3}, {27, 3}};
    ringed.lower = {{0, 2}, {18, 2}};
    open(ringed);
    ASSERT_EQ(prompter.messages, QStringList{});
    EXPECT_EQ(window->UpperRing[9], 40);
    EXPECT_EQ(window->UpperRing[27], 46);
    EXPECT_EQ(window->LowerRing[18], 51);
    EXPECT_EQ(heldPictures(), 52);
    EXPECT_TRUE(window->VscrArray->isEnabled());

    settings.bOptLoadVertical = false;
    settings.bOptUseRam = false;
    open(ringed);
    EXPECT_EQ(heldPictures(), 36);
    EXPECT_EQ(window->UpperRing[0], 255);
    EXPECT_FALSE(window->VscrArray->isEnabled());
    EXPECT_FALSE(window->imgArray->at(5)->picture()->isDecoded());
}

TEST_F(Opening, SecondPackageReplacesTheFirst) {
    TestPackage large;
    large.upper = TestPackage::evenRings(36, 3, 2);
    open(large);
    const QString firstFolder = window->sPackageDir;
    TestPackage small;
    small.horizontal = 20;
    small.baseName = QStringLiteral("small");
    open(small, QStringLiteral("small.360"));
    ASSERT_EQ(prompter.messages, QStringList{});
    EXPECT_EQ(window->iHCount, 20);
    EXPECT_EQ(window->imgArray->upperBound(), 20);
    EXPECT_EQ(heldPictures(), 20);
    EXPECT_EQ(window->HscrArray->max(), 20);
    EXPECT_FALSE(QDir(firstFolder).exists());
    EXPECT_EQ(privateFolders().size(), 1);
}

TEST_F(Opening, WrongFileTypeChangesNothing) {
    TestPackage package;
    open(package);
    const PicturePtr shown = window->imgMain->picture();
    const QString folder = window->sPackageDir;
    for (const char* name : {"obj.zip", "obj.360.bak", "obj.36", "360"}) {
        prompter.messages.clear();
        open(package, QString::fromLatin1(name));
        EXPECT_EQ(prompter.messages,
                  QStringList{QStringLiteral("Wrong file type!!\n") + QLatin1String(name)})
            << name;
        EXPECT_EQ(window->imgMain->picture(), shown) << name;
        EXPECT_EQ(window->sPackageDir, folder) << name;
        EXPECT_EQ(heldPictures(), 36) << name;
    }
}

TEST_F(Opening, MissingOrEmptySoundOpensSilently) {
    for (const char* sound : {"", "engine.mp3"}) {
        TestPackage package;
        package.sound = QString::fromLatin1(sound); // named, but not in the archive
        open(package);
        EXPECT_EQ(prompter.messages, QStringList{}) << sound;
        EXPECT_FALSE(window->bHasSound) << sound;
        EXPECT_TRUE(window->vSoundFile.isEmpty()) << sound;
        EXPECT_FALSE(media.hasDevice()) << sound;
    }
}

TEST_F(Opening, MemoryGate) {
    TestPackage package; // 36 pictures of 32 x 24, each file of a few hundred bytes
    makeWindow(10'000'000);
    open(package);
    ASSERT_EQ(prompter.messages.size(), 1);
    EXPECT_TRUE(prompter.messages.first().startsWith(
        QStringLiteral("Sorry, not enough space in memory to load these images. Space available = "
                       "10000000. Space required = ")));
    expectCleared();

    prompter.messages.clear();
    makeWindow(36 * 32 * 24 * 3 + 10'000'000); // the decoded estimate is equal: not below
    open(package);
    EXPECT_EQ(prompter.messages, QStringList{});
    EXPECT_EQ(heldPictures(), 36);
    EXPECT_FALSE(window->imgArray->at(0)->picture()->isDecoded());
}

TEST_F(Opening, RefusalsClearTheWindowAndNameTheProblem) {
    const struct {
        const char* name;
        std::function<void(TestPackage&)> damage;
        const char* problem;
    } cases[] = {
        {"missing member",
         [](TestPackage& p) { p.omitMembers << QStringLiteral("obj_H_0005.png"); },
         "obj_H_0005.png is missing"},
        {"undecodable member",
         [](TestPackage& p) {
             p.omitMembers << QStringLiteral("obj_H_0002.png");
             p.extraMembers[QStringLiteral("obj_H_0002.png")] = QByteArray(300, 'x');
         },
         "obj_H_0002.png cannot be decoded"},
        {"no horizontal picture", [](TestPackage& p) { p.horizontal = 0; },
         "no horizontal picture"},
        {"no row-2 picture",
         [](TestPackage& p) {
             p.upper = {{0, 2}};
             p.omitMembers << QStringLiteral("obj_V00_0002.png");
         },
         "none of them is the first"},
        {"slot numbers past 254",
         [](TestPackage& p) {
             p.horizontal = 250;
             p.upper = TestPackage::evenRings(250, 125, 3);
         },
         "at most 254"},
        {"probe error",
         [](TestPackage& p) {
             p.omitMembers << QStringLiteral("obj_H_0000.png");
             p.extraMembers[QStringLiteral("obj_H_0000.png")] =
                 QByteArray("\x89PNG\r\n", 6) + QByteArray(19, '\0') + '\x07';
         },
         "obj_H_0000.png is not a GIF, JPEG, PNG or BMP picture"},
    };
    for (const auto& c : cases) {
        TestPackage good;
        open(good);
        ASSERT_EQ(heldPictures(), 36);
        prompter.messages.clear();
        TestPackage bad;
        c.damage(bad);
        open(bad, QStringLiteral("bad.360"));
        ASSERT_EQ(prompter.messages.size(), 1) << c.name;
        EXPECT_TRUE(prompter.messages.first().startsWith(QStringLiteral("Cannot open bad.360.")))
            << c.name << ": " << prompter.messages.first().toStdString();
        EXPECT_TRUE(prompter.messages.first().contains(QString::fromLatin1(c.problem)))
            << c.name << ": " << prompter.messages.first().toStdString();
        expectCleared();
    }
}

TEST_F(Opening, DamagedArchiveIsRefused) {
    const QString path = packages.file(QStringLiteral("broken.360"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("PK\x03\x04 this is no archive");
    file.close();
    openPath(path);
    ASSERT_EQ(prompter.messages.size(), 1);
    EXPECT_TRUE(prompter.messages.first().startsWith(QStringLiteral("Cannot open broken.360.")))
        << prompter.messages.first().toStdString();
    expectCleared();
    // The package file itself is never touched.
    EXPECT_EQ(QFileInfo(path).size(), 23);
}

} // namespace
