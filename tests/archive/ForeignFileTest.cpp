#include "archive/ForeignFile.h"

#include <gtest/gtest.h>

#include <string>

TEST(ForeignFile, FirstBytesNameTheKind) {
    struct Case {
        std::string head;
        const char* kind;
    };
    using namespace std::string_literals;
    const Case cases[] = {
        // A 360-degree camera's video, and its kin in the ISO media family.
        {"\0\0\0\x20"s + "ftypisom\0\0\2\0"s, "an MP4 video"},
        {"\0\0\0\x18"s + "ftypmp41"s, "an MP4 video"},
        {"\0\0\0\x14"s + "ftypqt  "s, "a QuickTime video"},
        {"\0\0\0\x18"s + "ftypheic"s, "a HEIF picture"},
        {"\x1a\x45\xdf\xa3\x9f"s, "a Matroska or WebM video"},
        {"\xff\xd8\xff\xe0\0\x10JFIF"s, "a JPEG picture"},
        {"\x89PNG\r\n\x1a\n"s, "a PNG picture"},
        {"GIF89a"s, "a GIF picture"},
        {"RIFF\x10\0\0\0WEBPVP8 "s, "a WebP picture"},
        {"RIFF\x10\0\0\0WAVEfmt "s, "a WAV sound"},
        {"ID3\4\0"s, "an MP3 sound"},
        {"%PDF-1.7"s, "a PDF document"},
        {"7z\xbc\xaf\x27\x1c\0\4"s, "a 7-Zip archive"},
        // Too short for its signature, or of no kind worth naming.
        {"\0\0\0\x20"s + "fty", ""},
        {"RIFF\x10\0\0\0"s, ""},
        {"hello, world"s, ""},
        {""s, ""},
    };
    for (const Case& c : cases) {
        const auto* bytes = reinterpret_cast<const unsigned char*>(c.head.data());
        EXPECT_EQ(foreignFileKind(bytes, c.head.size()), c.kind) << c.head;
    }
}
