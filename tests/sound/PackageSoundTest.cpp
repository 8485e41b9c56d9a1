#include "sound/PackageSound.h"
#include "format/OptionSettings.h"
#include "sound/AudioOutput.h"
#include "sound/MediaControl.h"
#include "support/DiskAudio.h"

#include <QFileInfo>
#include <gtest/gtest.h>

namespace {

TEST(PackageSoundCommands, TextsAreExact) {
    EXPECT_EQ(closeAllCommand(), QStringLiteral("close all"));
    EXPECT_EQ(soundOpenCommand(QStringLiteral("/pkg/"), QStringLiteral("engine.mp3")),
              QStringLiteral("open /pkg/engine.mp3 type MPEGVideo alias MP3_Device wait"));
    EXPECT_EQ(soundOpenCommand(QStringLiteral("/my pkg/"), QStringLiteral("engine.mp3")),
              QStringLiteral("open \"/my pkg/engine.mp3\" type MPEGVideo alias MP3_Device wait"));
    EXPECT_EQ(soundPlayCommand(false), QStringLiteral("play MP3_Device"));
    EXPECT_EQ(soundPlayCommand(true), QStringLiteral("play MP3_Device repeat"));
    EXPECT_EQ(soundStopCommand(), QStringLiteral("stop MP3_Device"));
}

class PackageSoundTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_FALSE(AudioOutput::isRunning()); }

    QString folder() const { return QFileInfo(DiskAudio::sampleTrack()).path() + QLatin1Char('/'); }
    QString name() const { return QFileInfo(DiskAudio::sampleTrack()).fileName(); }

    DiskAudio audio;
};

TEST_F(PackageSoundTest, OptionsDecideWhatIsSent) {
    const QString open = soundOpenCommand(folder(), name());
    const struct {
        bool bOptSound;
        bool bOptSoundRepeat;
        bool bSoundRepeat;
        QStringList sent;
    } cases[] = {
        {true, true, true, {open, QStringLiteral("play MP3_Device repeat")}},
        {true, true, false, {open, QStringLiteral("play MP3_Device")}},
        {true, false, true, {open, QStringLiteral("play MP3_Device")}},
        {false, true, true, {}},
    };
    for (const auto& c : cases) {
        OptionSettings options;
        options.bOptSound = c.bOptSound;
        options.bOptSoundRepeat = c.bOptSoundRepeat;
        MediaControl media;
        EXPECT_EQ(startPackageSound(media, folder(), name(), c.bSoundRepeat, options), c.bOptSound);
        EXPECT_EQ(media.sentCommands(), c.sent);
        EXPECT_EQ(media.isPlaying(), c.bOptSound);
    }
}

TEST_F(PackageSoundTest, NoSoundWhenTheMemberIsMissing) {
    MediaControl media;
    EXPECT_FALSE(startPackageSound(media, folder(), QString(), true, OptionSettings{}));
    EXPECT_TRUE(media.sentCommands().isEmpty());
    EXPECT_FALSE(startPackageSound(media, folder(), QStringLiteral("absent.mp3"), true, {}));
    EXPECT_EQ(media.sentCommands(),
              QStringList{soundOpenCommand(folder(), QStringLiteral("absent.mp3"))});
}

TEST_F(PackageSoundTest, TurningSoundOffStopsItAtOnce) {
    MediaControl media;
    OptionSettings options;
    ASSERT_TRUE(startPackageSound(media, folder(), name(), true, options));
    const qint64 start = audio.size();
    const qint64 second = audio.bytesPerSecond();
    ASSERT_TRUE(audio.waitForSize(start + second));

    applySoundOption(media, options); // still on: nothing changes
    EXPECT_TRUE(media.isPlaying());
    options.bOptSound = false;
    applySoundOption(media, options);
    EXPECT_FALSE(media.isPlaying());
    EXPECT_EQ(media.sentCommands().last(), soundStopCommand());

    const qint64 stopped = audio.size();
    ASSERT_TRUE(audio.waitForSize(stopped + 2 * second));
    EXPECT_LT(audio.rms(stopped + second / 2, second), 1.0);
}

} // namespace
