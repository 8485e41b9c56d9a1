#include "ForeignFile.h"

#include <cstring>

namespace {

struct Signature {
    std::size_t offset;
    const char* bytes;
    std::size_t length;
    const char* kind;
};

// ISO base media files (MP4, QuickTime, HEIF) carry "ftyp" and their brand after the box size.
const Signature kSignatures[] = {
    {4, "ftypqt", 6, "a QuickTime video"},
    {4, "ftypheic", 8, "a HEIF picture"},
    {4, "ftypheix", 8, "a HEIF picture"},
    {4, "ftypmif1", 8, "a HEIF picture"},
    {4, "ftypavif", 8, "an AVIF picture"},
    {4, "ftyp", 4, "an MP4 video"},
    {0, "\x1a\x45\xdf\xa3", 4, "a Matroska or WebM video"},
    {0, "\xff\xd8\xff", 3, "a JPEG picture"},
    {0, "\x89PNG", 4, "a PNG picture"},
    {0, "GIF8", 4, "a GIF picture"},
    {0, "BM", 2, "a BMP picture"},
    {0, "ID3", 3, "an MP3 sound"},
    {0, "%PDF", 4, "a PDF document"},
    {0, "Rar!", 4, "a RAR archive"},
    {0, "7z\xbc\xaf\x27\x1c", 6, "a 7-Zip archive"},
    {0, "\x1f\x8b", 2, "a gzip-compressed file"},
};

} // namespace

std::string foreignFileKind(const unsigned char* head, std::size_t size) {
    for (const Signature& s : kSignatures) {
        if (s.offset + s.length <= size && std::memcmp(head + s.offset, s.bytes, s.length) == 0)
            return s.kind;
    }
    // RIFF files name their kind after the size.
    if (size >= 12 && std::memcmp(head, "RIFF", 4) == 0) {
        if (std::memcmp(head + 8, "WEBP", 4) == 0)
            return "a WebP picture";
        if (std::memcmp(head + 8, "AVI ", 4) == 0)
            return "an AVI video";
        if (std::memcmp(head + 8, "WAVE", 4) == 0)
            return "a WAV sound";
    }
    return {};
}
