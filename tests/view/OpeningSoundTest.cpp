// The package's sound through the real main window, heard through SDL's disk driver: it plays
// after opening, loops past its length, and the next opening silences it before extracting.
#include "MainWindowServices.h"
#include "format/OptionSettings.h"
#include "opening/FixedFreeMemory.h"
#include "qt/WidgetTestTools.h"
#include "sound/MediaControl.h"
#include "support/DiskAudio.h"
#include "support/ScriptedPrompter.h"
#include "support/TempDir.h"
#include "support/TestPackage.h"
#include "toolkit/Program.h"
#include "toolkit/WrappingCheckBox.h"
#include "view/frmMain.h"
#include "windows/frmOptions.h"

#include <QApplication>
#include <QCheckBox>
#include <QEvent>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

namespace {

// Notes whether the sound still played when the progress window first showed an extraction line.
class ExtractionWatch : public QObject {
public:
    explicit ExtractionWatch(const MediaControl& media) : m_media(media) {}

    bool seen = false;
    bool playingWhenExtracting = false;

protected:
    bool eventFilter(QObject* object, QEvent* event) override {
        if (!seen && event->type() == QEvent::Paint) {
            auto* label = qobject_cast<QLabel*>(object);
            if (label && label->objectName() == QLatin1String("lblLoading") &&
                label->text().startsWith(QLatin1String("Uncompressing #"))) {
                seen = true;
                playingWhenExtracting = m_media.isPlaying();
            }
        }
        return false;
    }

private:
    const MediaControl& m_media;
};

TEST(OpeningSound, PlaysLoopsAndStopsBeforeTheNextExtraction) {
    DiskAudio audio; // before the first media command
    TempDir tmp;
    const QByteArray savedTmp = qgetenv("TMPDIR");
    qputenv("TMPDIR", tmp.path().toLocal8Bit());
    {
        MainWindowServices services;
        MediaControl& media = services.media;
        frmMain window(services.prompter, services.program, services.settings, media,
                       services.freeMemory);
        window.show(); // on the screen, the sound starts as the opening ends
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));

        window.sCommandFile = QStringLiteral("\"" GYRO_SAMPLE_PACKAGE "\"");
        window.bCommandFile = true;
        window.mnuOpen_Click();
        window.finishLoading();
        ASSERT_TRUE(media.isPlaying());
        EXPECT_TRUE(media.sentCommands().contains(QStringLiteral("play MP3_Device repeat")));
        const qint64 rate = audio.bytesPerSecond();
        ASSERT_GT(rate, 0);
        const qint64 start = audio.size();
        // Ten seconds of output: the 7.3-second track must still sound after its end.
        ASSERT_TRUE(audio.waitForSize(start + rate * 10));
        EXPECT_GT(audio.rms(start + rate * 1, rate), DiskAudio::kAudible);
        EXPECT_GT(audio.rms(start + rate * 8, rate), DiskAudio::kAudible);

        // The next package (without sound) silences the first before it is extracted.
        TestPackage quiet;
        const QString path = tmp.file(QStringLiteral("quiet.360"));
        ASSERT_TRUE(quiet.write(path));
        ExtractionWatch watch(media);
        qApp->installEventFilter(&watch);
        window.sCommandFile = QLatin1Char('"') + path + QLatin1Char('"');
        window.bCommandFile = true;
        window.mnuOpen_Click();
        window.finishLoading();
        qApp->removeEventFilter(&watch);
        ASSERT_EQ(services.prompter.messages, QStringList{});
        ASSERT_TRUE(watch.seen);
        EXPECT_FALSE(watch.playingWhenExtracting);
        EXPECT_FALSE(media.isPlaying());
        const qint64 after = audio.size();
        ASSERT_TRUE(audio.waitForSize(after + rate * 2));
        EXPECT_LT(audio.rms(after + rate / 2, rate), 1.0);
    }
    qputenv("TMPDIR", savedTmp);
}

TEST(OpeningSound, SoundOffInTheOptionsWindowSilencesThePlayingTrack) {
    DiskAudio audio;
    TempDir tmp;
    const QByteArray savedTmp = qgetenv("TMPDIR");
    qputenv("TMPDIR", tmp.path().toLocal8Bit());
    {
        MainWindowServices services;
        frmMain window(services.prompter, services.program, services.settings, services.media,
                       services.freeMemory);
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
        window.sCommandFile = QStringLiteral("\"" GYRO_SAMPLE_PACKAGE "\"");
        window.bCommandFile = true;
        window.mnuOpen_Click();
        window.finishLoading();
        ASSERT_TRUE(services.media.isPlaying());
        const qint64 rate = audio.bytesPerSecond();
        ASSERT_TRUE(audio.waitForSize(audio.size() + rate));

        // File > Options, untick "Sound On?", Exit.
        bool untickedWhileShown = false;
        whenModalShows([&](QWidget* modal) {
            auto* options = qobject_cast<frmOptions*>(modal);
            ASSERT_TRUE(options);
            options->chkSound->box()->click();
            untickedWhileShown = !services.media.isPlaying();
            options->cmdExit->click();
        });
        window.mnuOptions->trigger();
        EXPECT_TRUE(untickedWhileShown);
        EXPECT_FALSE(services.settings.bOptSound);
        EXPECT_FALSE(services.media.isPlaying());
        const qint64 stopped = audio.size();
        ASSERT_TRUE(audio.waitForSize(stopped + rate * 2));
        EXPECT_LT(audio.rms(stopped + rate / 2, rate), 1.0);
    }
    qputenv("TMPDIR", savedTmp);
}

} // namespace
