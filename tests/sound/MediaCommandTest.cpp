#include "sound/MediaCommand.h"

#include <gtest/gtest.h>

namespace {

using Verb = MediaCommand::Verb;

TEST(MediaCommandTest, ParsesTheCommandForms) {
    const struct {
        const char* text;
        Verb verb;
        const char* target;
        const char* alias;
        bool repeat;
        const char* device;
    } cases[] = {
        {"close all", Verb::Close, "all", "", false, "all"},
        {"open /p/e.mp3 type MPEGVideo alias MP3_Device wait", Verb::Open, "/p/e.mp3", "MP3_Device",
         false, "MP3_Device"},
        {"OPEN \"/a b/c d.mp3\" TYPE mpegvideo ALIAS x", Verb::Open, "/a b/c d.mp3", "x", false,
         "x"},
        {"open /p/e.mp3", Verb::Open, "/p/e.mp3", "", false, "/p/e.mp3"},
        {"  play\tMP3_Device   repeat ", Verb::Play, "MP3_Device", "", true, "MP3_Device"},
        {"play MP3_Device", Verb::Play, "MP3_Device", "", false, "MP3_Device"},
        {"stop MP3_Device wait", Verb::Stop, "MP3_Device", "", false, "MP3_Device"},
        {"open /a\"b.mp3 alias d", Verb::Open, "/a\"b.mp3", "d", false, "d"},
    };
    for (const auto& c : cases) {
        MediaCommand command;
        ASSERT_EQ(parseMediaCommand(QString::fromLatin1(c.text), command), MediaResult::Done)
            << c.text;
        EXPECT_EQ(command.verb, c.verb) << c.text;
        EXPECT_EQ(command.target, QString::fromLatin1(c.target)) << c.text;
        EXPECT_EQ(command.alias, QString::fromLatin1(c.alias)) << c.text;
        EXPECT_EQ(command.repeat, c.repeat) << c.text;
        EXPECT_EQ(command.deviceName(), QString::fromLatin1(c.device)) << c.text;
    }
}

TEST(MediaCommandTest, RejectsWhatItDoesNotUnderstand) {
    const struct {
        const char* text;
        int result;
    } cases[] = {
        {"", MediaResult::MissingCommandString},
        {"   ", MediaResult::MissingCommandString},
        {"pause MP3_Device", MediaResult::UnrecognizedCommand},
        {"play", MediaResult::MissingDeviceName},
        {"open \"\" alias x", MediaResult::MissingDeviceName},
        {"open /a b.mp3 alias x", MediaResult::UnrecognizedKeyword},
        {"open \"/a b.mp3 alias x", MediaResult::NoClosingQuote},
        {"open /a.mp3 alias", MediaResult::MissingStringArgument},
        {"open /a.mp3 type", MediaResult::MissingStringArgument},
        {"play MP3_Device wait", MediaResult::UnrecognizedKeyword},
        {"play MP3_Device from 0", MediaResult::UnrecognizedKeyword},
        {"close all repeat", MediaResult::UnrecognizedKeyword},
        {"play all", MediaResult::CannotUseAll},
    };
    for (const auto& c : cases) {
        MediaCommand command;
        EXPECT_EQ(parseMediaCommand(QString::fromLatin1(c.text), command), c.result) << c.text;
    }
}

} // namespace
