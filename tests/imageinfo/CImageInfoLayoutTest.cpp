// Probes of header layouts built byte by byte: each format's fields, the 16-bit reads, the
// JPEG marker walk and the limits of the 65,536-byte window.
#include "ImageHeaderBytes.h"
#include "imageinfo/CImageInfo.h"
#include "support/TempDir.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

struct HeaderCase {
    std::string name;
    QByteArray bytes;
    qint32 imageType;
    qint32 width;
    qint32 height;
    int depth;
};

QByteArray junk(int size) {
    return QByteArray(size, 'x');
}

// A start-of-image at position, right followed by a frame header.
QByteArray jpegAt(int position) {
    return junk(position) + jpegSoi() + jpegFrame(0xC0, 50, 60, 3);
}

// A start-of-image followed by one APP1 segment whose length field is length, then a frame
// header: the frame's FF lies at position 4 + length.
QByteArray jpegBehindApp1(int length) {
    const QByteArray app1 = jpegSegment(0xE1, QByteArray(length - 2, '\0'));
    return jpegSoi() + app1 + jpegFrame(0xC0, 321, 123, 3);
}

std::vector<HeaderCase> headerCases() {
    std::vector<HeaderCase> cases = {
        {"gif_letters_only", "GIF", 1, 0, 0, 1},
        {"gif_screen_300x200_8bit", gifHeader(300, 200, 0xF7), 1, 300, 200, 8},
        {"gif_widest", gifHeader(65535, 1, 0x80), 1, 65535, 1, 1},
        {"bmp_24bit_640x480", bmpHeader(640, 480, 24), 4, 640, 480, 24},
        {"bmp_top_down_height", bmpHeader(800, -600, 32), 4, 800, 64936, 32},
        {"bmp_wider_than_16_bits", bmpHeader(70000, 3, 8), 4, 4464, 3, 8},
        {"bmp_letters_only", "BM", 4, 0, 0, 0},
        {"png_rgb_8", pngHeader(1024, 768, 8, 2), 3, 1024, 768, 24},
        {"png_rgba_8", pngHeader(16, 9, 8, 6), 3, 16, 9, 32},
        {"png_rgba_16", pngHeader(16, 9, 16, 6), 3, 16, 9, 64},
        {"png_grey_16", pngHeader(5, 7, 16, 0), 3, 5, 7, 16},
        {"png_grey_1", pngHeader(5, 7, 1, 0), 3, 5, 7, 1},
        {"png_grey_alpha_8", pngHeader(5, 7, 8, 4), 3, 5, 7, 16},
        {"png_palette_4", pngHeader(40, 30, 4, 3), 3, 40, 30, 8},
        {"png_palette_bogus_depth", pngHeader(40, 30, 200, 3), 3, 40, 30, 8},
        {"png_grey_bogus_depth", pngHeader(40, 30, 200, 0), 3, 40, 30, 200},
        {"png_largest_rgb_depth", pngHeader(1, 1, 85, 2), 3, 1, 1, 255},
        {"png_largest_grey_alpha_depth", pngHeader(1, 1, 127, 4), 3, 1, 1, 254},
        {"png_largest_rgba_depth", pngHeader(1, 1, 63, 6), 3, 1, 1, 252},
        {"png_wider_than_16_bits", pngHeader(70000, 2 * 65536 + 5, 8, 2), 3, 4464, 5, 24},
        {"png_signature_only", QByteArray("\x89PN", 3), 3, 0, 0, 0},
        {"png_colour_type_5", pngHeader(40, 30, 8, 5), 0, 0, 0, 0},
        {"png_colour_type_5_then_jpeg", pngHeader(40, 30, 8, 5) + jpegBaseline(120, 90, 3), 2, 120,
         90, 24},
        {"jpeg_baseline_colour", jpegBaseline(640, 480, 3), 2, 640, 480, 24},
        {"jpeg_baseline_grey", jpegBaseline(64, 48, 1), 2, 64, 48, 8},
        {"jpeg_31_components", jpegBaseline(64, 48, 31), 2, 64, 48, 248},
        {"jpeg_no_components", jpegBaseline(64, 48, 0), 2, 64, 48, 0},
        {"jpeg_largest_size", jpegBaseline(65535, 65535, 3), 2, 65535, 65535, 24},
        {"jpeg_progressive", jpegSoi() + jpegFrame(0xC2, 800, 600, 3), 2, 800, 600, 24},
        {"jpeg_skips_c4_c8_cc",
         jpegSoi() + jpegFrame(0xC4, 1, 2, 1) + jpegFrame(0xC8, 3, 4, 1) +
             jpegFrame(0xCC, 5, 6, 1) + jpegFrame(0xC0, 33, 44, 3),
         2, 33, 44, 24},
        {"jpeg_skips_frame_inside_segment",
         jpegSoi() + jpegSegment(0xE1, jpegFrame(0xC0, 9, 9, 1)) + jpegFrame(0xC1, 10, 20, 3), 2,
         10, 20, 24},
        {"jpeg_fill_bytes", jpegSoi() + QByteArray(3, char(0xFF)) + jpegFrame(0xC0, 7, 8, 1), 2, 7,
         8, 8},
        {"jpeg_zero_length_segment",
         jpegSoi() + QByteArray("\xFF\xE1\x00\x00", 4) + jpegFrame(0xC0, 7, 8, 3), 2, 7, 8, 24},
        // The walk goes on from the segment's last byte, which here is already the next FF.
        {"jpeg_length_field_one_too_large",
         jpegSoi() + QByteArray("\xFF\xE1\x00\x04!", 5) + jpegFrame(0xC0, 7, 8, 3), 2, 7, 8, 24},
        {"jpeg_behind_junk", junk(1000) + jpegBaseline(50, 60, 3), 2, 50, 60, 24},
        {"jpeg_soi_at_65522", jpegAt(65522), 2, 50, 60, 24},
        {"jpeg_soi_at_65523", jpegAt(65523), 0, 0, 0, 0},
        {"jpeg_soi_at_65525", jpegAt(65525), 0, 0, 0, 0},
        {"jpeg_frame_at_65524", jpegBehindApp1(65520), 2, 321, 123, 24},
        {"jpeg_frame_at_65525", jpegBehindApp1(65521), 0, 0, 0, 0},
        {"jpeg_beyond_first_64k", junk(70000) + jpegBaseline(50, 60, 3), 0, 0, 0, 0},
        {"jpeg_soi_without_frame", jpegSoi() + jpegSegment(0xE0, "JFIF"), 0, 0, 0, 0},
        {"jpeg_soi_without_marker", QByteArray("\xFF\xD8\x00\xFF\xC0", 5), 0, 0, 0, 0},
        {"empty_file", QByteArray(), 0, 0, 0, 0},
        {"text_file", "just some text\n", 0, 0, 0, 0},
        {"gi_only", "GI", 0, 0, 0, 0},
    };
    // Every start-of-frame code is a frame header.
    for (int code : {0xC1, 0xC3, 0xC5, 0xC6, 0xC7, 0xC9, 0xCA, 0xCB, 0xCD, 0xCE, 0xCF}) {
        cases.push_back({"jpeg_frame_code_" + std::to_string(code),
                         jpegSoi() + jpegFrame(quint8(code), 12, 34, 3), 2, 12, 34, 24});
    }
    // The other codes of that range are skipped like any segment.
    for (int code : {0xC4, 0xC8, 0xCC}) {
        cases.push_back({"jpeg_not_a_frame_code_" + std::to_string(code),
                         jpegSoi() + jpegFrame(quint8(code), 12, 34, 3), 0, 0, 0, 0});
    }
    return cases;
}

// Names the case in failure messages instead of dumping its bytes.
void PrintTo(const HeaderCase& c, std::ostream* out) {
    *out << c.name;
}

class HeaderLayout : public testing::TestWithParam<HeaderCase> {};

TEST_P(HeaderLayout, ProbeReportsTheHeaderFields) {
    const HeaderCase& c = GetParam();
    TempDir dir;
    const QString path = dir.file(QStringLiteral("picture"));
    writeWholeFile(path, c.bytes);

    CImageInfo info;
    info.ReadImageInfo(path);
    EXPECT_EQ(info.ImageType(), c.imageType);
    EXPECT_EQ(info.Width(), c.width);
    EXPECT_EQ(info.Height(), c.height);
    EXPECT_EQ(int(info.Depth()), c.depth);
}

INSTANTIATE_TEST_SUITE_P(CImageInfo, HeaderLayout, testing::ValuesIn(headerCases()),
                         [](const testing::TestParamInfo<HeaderCase>& info) {
                             return info.param.name;
                         });

} // namespace
