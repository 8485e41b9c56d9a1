#include "sound/MediaControl.h"
#include "sound/AudioOutput.h"
#include "sound/PackageSound.h"
#include "support/DiskAudio.h"
#include "support/TempDir.h"
#include "support/TestFiles.h"

#include <QFile>
#include <gtest/gtest.h>

namespace {

QString openCommand(const QString& path) {
    return QStringLiteral("open ") + path + QStringLiteral(" type MPEGVideo alias MP3_Device wait");
}

class MediaControlTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_FALSE(AudioOutput::isRunning()); }

    // Opens the sample track and starts it; returns the output position at the start.
    qint64 startSample(MediaControl& media, bool repeat) {
        EXPECT_EQ(media.sendCommand(openCommand(DiskAudio::sampleTrack())), MediaResult::Done);
        const qint64 start = audio.size();
        EXPECT_EQ(media.sendCommand(soundPlayCommand(repeat)), MediaResult::Done);
        return start;
    }

    qint64 seconds(double s) const { return qint64(s * audio.bytesPerSecond()) & ~qint64(3); }

    // Every one-second stretch of [from, to) is audible.
    void expectAudible(qint64 from, qint64 to) {
        for (qint64 at = from; at + seconds(1) <= to; at += seconds(1))
            EXPECT_GT(audio.rms(at, seconds(1)), DiskAudio::kAudible) << "at byte " << at;
    }

    DiskAudio audio;
};

TEST_F(MediaControlTest, PlayOnceProducesTheTrackThenSilence) {
    MediaControl media;
    const qint64 start = startSample(media, false);
    ASSERT_GT(audio.bytesPerSecond(), 0);
    EXPECT_TRUE(waitUntil([&] { return !media.isPlaying(); }));
    ASSERT_TRUE(audio.waitForSize(start + seconds(10)));

    expectAudible(start, start + seconds(7));
    EXPECT_LT(audio.rms(start + seconds(8), seconds(2)), 1.0);
    EXPECT_TRUE(media.hasDevice()); // played out, still open
}

TEST_F(MediaControlTest, RepeatLoopsPastTheEndOfTheTrack) {
    MediaControl media;
    const qint64 start = startSample(media, true);
    ASSERT_TRUE(audio.waitForSize(start + seconds(3 * DiskAudio::kSampleSeconds)));
    EXPECT_TRUE(media.isPlaying());
    expectAudible(start, start + seconds(3 * DiskAudio::kSampleSeconds));
}

TEST_F(MediaControlTest, CloseAllSilencesAtOnce) {
    MediaControl media;
    const qint64 start = startSample(media, true);
    ASSERT_TRUE(audio.waitForSize(start + seconds(2)));
    EXPECT_EQ(media.sendCommand(closeAllCommand()), MediaResult::Done);
    const qint64 closed = audio.size();
    EXPECT_FALSE(media.isPlaying());
    EXPECT_FALSE(media.hasDevice());
    ASSERT_TRUE(audio.waitForSize(closed + seconds(2)));
    EXPECT_GT(audio.rms(start, seconds(1)), DiskAudio::kAudible);
    EXPECT_LT(audio.rms(closed + seconds(0.5), seconds(1.5)), 1.0);
    // Closing again, and stopping with nothing open, are fine.
    EXPECT_EQ(media.sendCommand(closeAllCommand()), MediaResult::Done);
    EXPECT_EQ(media.sendCommand(QStringLiteral("stop all")), MediaResult::Done);
}

TEST_F(MediaControlTest, StopHaltsAndKeepsTheDevice) {
    MediaControl media;
    const qint64 start = startSample(media, true);
    ASSERT_TRUE(audio.waitForSize(start + seconds(1)));
    EXPECT_EQ(media.sendCommand(QStringLiteral("STOP mp3_device")), MediaResult::Done);
    EXPECT_FALSE(media.isPlaying());
    EXPECT_TRUE(media.hasDevice());
    EXPECT_EQ(media.sendCommand(soundPlayCommand(false)), MediaResult::Done);
    EXPECT_TRUE(media.isPlaying());
}

TEST_F(MediaControlTest, QuotedPathWithBlanksOpens) {
    TempDir dir;
    const QString name = QStringLiteral("Garden Loop.mp3");
    ASSERT_TRUE(
        QFile::copy(QStringLiteral(GYRO_SOURCE_DIR "/data/samples/sound/") + name, dir.file(name)));
    MediaControl media;
    EXPECT_NE(media.sendCommand(openCommand(dir.file(name))), MediaResult::Done); // split at blank
    EXPECT_FALSE(media.hasDevice());
    EXPECT_EQ(media.sendCommand(soundOpenCommand(dir.path() + QLatin1Char('/'), name)),
              MediaResult::Done);
    EXPECT_EQ(media.deviceFile(), dir.file(name));
    const qint64 start = audio.size();
    EXPECT_EQ(media.sendCommand(soundPlayCommand(false)), MediaResult::Done);
    ASSERT_TRUE(audio.waitForSize(start + seconds(2)));
    EXPECT_GT(audio.rms(start, seconds(2)), DiskAudio::kAudible);
}

TEST_F(MediaControlTest, BadFilesFailQuietly) {
    TempDir dir;
    writeWholeFile(dir.file(QStringLiteral("text.mp3")), QByteArray(20000, 'x'));
    writeWholeFile(dir.file(QStringLiteral("empty.mp3")), QByteArray());
    const struct {
        QString path;
        int result;
    } cases[] = {
        {dir.file(QStringLiteral("missing.mp3")), MediaResult::FileNotFound},
        {dir.file(QStringLiteral("text.mp3")), MediaResult::InvalidFile},
        {dir.file(QStringLiteral("empty.mp3")), MediaResult::InvalidFile},
        {dir.path(), MediaResult::InvalidFile},
    };
    MediaControl media;
    for (const auto& c : cases) {
        EXPECT_EQ(media.sendCommand(openCommand(c.path)), c.result) << c.path.toStdString();
        EXPECT_FALSE(media.hasDevice());
        EXPECT_EQ(media.sendCommand(soundPlayCommand(true)), MediaResult::InvalidDeviceName);
    }
}

TEST_F(MediaControlTest, OneDeviceAtATime) {
    MediaControl media;
    const QString track = DiskAudio::sampleTrack();
    ASSERT_EQ(media.sendCommand(openCommand(track)), MediaResult::Done);
    EXPECT_EQ(media.sendCommand(openCommand(track)), MediaResult::DuplicateAlias);
    EXPECT_EQ(media.sendCommand(QStringLiteral("open ") + track + QStringLiteral(" alias Other")),
              MediaResult::DeviceOpen);
    EXPECT_EQ(media.deviceName(), QStringLiteral("MP3_Device"));
    EXPECT_EQ(media.sendCommand(QStringLiteral("close Other")), MediaResult::InvalidDeviceName);
    EXPECT_EQ(media.sendCommand(QStringLiteral("close mp3_device")), MediaResult::Done);
    EXPECT_FALSE(media.hasDevice());
}

TEST_F(MediaControlTest, AnotherControlDoesNotCutOffTheMusic) {
    MediaControl viewer;
    startSample(viewer, true);
    {
        MediaControl other;
        EXPECT_EQ(other.sendCommand(openCommand(DiskAudio::sampleTrack())), MediaResult::Done);
        EXPECT_EQ(other.sendCommand(closeAllCommand()), MediaResult::Done);
    }
    EXPECT_TRUE(viewer.isPlaying());
}

TEST_F(MediaControlTest, CommandsBeforeAnyOpenDoNotStartTheOutput) {
    MediaControl media;
    for (const char* text : {"close all", "play MP3_Device", "stop MP3_Device", "close MP3_Device"})
        EXPECT_EQ(media.sendCommand(QString::fromLatin1(text)), MediaResult::DeviceNotReady)
            << text;
    EXPECT_NE(media.sendCommand(QStringLiteral("seek MP3_Device to start")), MediaResult::Done);
    EXPECT_FALSE(AudioOutput::isRunning());
    EXPECT_FALSE(QFile::exists(audio.file()));
}

TEST_F(MediaControlTest, WithoutAudioDeviceEveryCommandFailsQuietly) {
    qputenv("SDL_AUDIODRIVER", "no-such-driver");
    MediaControl media;
    EXPECT_EQ(media.sendCommand(openCommand(DiskAudio::sampleTrack())),
              MediaResult::CannotLoadDriver);
    for (const QString& text : {soundPlayCommand(true), soundPlayCommand(false), closeAllCommand()})
        EXPECT_NE(media.sendCommand(text), MediaResult::Done) << text.toStdString();
    EXPECT_FALSE(media.isPlaying());
    EXPECT_FALSE(AudioOutput::isRunning());
}

TEST_F(MediaControlTest, TheLogKeepsTheLatestCommandsAndResults) {
    MediaControl media;
    for (int i = 0; i < MediaControl::kLogSize + 5; ++i)
        media.sendCommand(QStringLiteral("bogus %1").arg(i));
    ASSERT_EQ(media.commandLog().size(), MediaControl::kLogSize);
    EXPECT_EQ(media.commandLog().first().text, QStringLiteral("bogus 5"));
    EXPECT_EQ(media.commandLog().last().result, MediaResult::UnrecognizedCommand);
}

} // namespace
