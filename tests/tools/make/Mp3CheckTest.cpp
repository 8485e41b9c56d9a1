// The sound check of make: MPEG audio frames after any ID3 tag, not a file that only starts well.
#include "tools/make/Mp3Check.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

namespace {

TEST(Mp3Check, TakesMpegAudioAfterAnyTagAndNothingElse) {
    const QByteArray mp3 =
        readWholeFile(QStringLiteral(GYRO_SOURCE_DIR "/data/samples/sound/house_lo.mp3"));
    ASSERT_GT(mp3.size(), 1000);
    const QByteArray frames = mp3; // MPEG 2.5 layer III frames from the first byte
    // An ID3v2 tag of 300 bytes (synchsafe size 2, 44) before the frames.
    const QByteArray tag = QByteArray("ID3\x04\x00\x00\x00\x00\x02\x2c", 10) + QByteArray(300, 'x');
    const struct {
        const char* name;
        QByteArray bytes;
        const char* says; // empty: taken
    } cases[] = {
        {"sample", mp3, ""},
        {"frames", frames, ""},
        {"tag and frames", tag + frames, ""},
        {"ID3garbage", "ID3garbage", "holds no MPEG audio"},
        {"tag alone", tag, "holds no MPEG audio"},
        {"text", "shot on a turntable", "holds no MPEG audio frame"},
        {"one header then junk", frames.left(4) + QByteArray(2000, 'j'),
         "no second MPEG audio frame"},
        {"empty", QByteArray(), "holds no MPEG audio frame"},
    };
    for (const auto& c : cases)
        EXPECT_TRUE(Mp3Check::problem(c.bytes).contains(QLatin1String(c.says)) &&
                    Mp3Check::problem(c.bytes).isEmpty() == (*c.says == 0))
            << c.name << ": " << Mp3Check::problem(c.bytes).toStdString();
    // A 128 kbit/s 44.1 kHz layer III frame is 417 bytes, 418 padded.
    EXPECT_EQ(Mp3Check::frameLength(QByteArray("\xff\xfb\x90\x00", 4), 0), 417);
    EXPECT_EQ(Mp3Check::frameLength(QByteArray("\xff\xfb\x92\x00", 4), 0), 418);
}

} // namespace
