#pragma once

#include <QString>
#include <QtGlobal>
#include <csetjmp>
#include <cstdio>

#include <jpeglib.h>

// libjpeg's output colour space that is Qt's RGB32 pixel, the native-endian word 0xffRRGGBB. The
// alpha variants make libjpeg write 0xFF into the fourth byte (the X variants leave it undefined).
#if Q_BYTE_ORDER == Q_LITTLE_ENDIAN
inline constexpr J_COLOR_SPACE kPaintColorSpace = JCS_EXT_BGRA;
#else
inline constexpr J_COLOR_SPACE kPaintColorSpace = JCS_EXT_ARGB;
#endif

// One libjpeg decompression and the way back from its errors. Everything a decode changes between
// setjmp and a jump back lives here, outside the frames that call libjpeg; the error manager comes
// first so the session is found from it.
//
// After attachErrors(), libjpeg's fatal errors jump back to the setjmp of `back` with their text in
// `message` (they must not return). Warnings mark corrupt but decodable data and stay quiet,
// except the data ending before the picture does: a truncated file is refused rather than shown
// with a grey remainder.
struct JpegSession {
    jpeg_error_mgr manager;
    jpeg_decompress_struct info;
    std::jmp_buf back;
    char message[JMSG_LENGTH_MAX];

    void attachErrors();

    // Why the decode gave up: libjpeg's text, or that the data is damaged when it gave none.
    QString problem() const;

    // The one scale rule of every decode: the output at `eighths` / 8 of the picture's size (the
    // reductions 1/2, 1/4 and 1/8 are 4, 2 and 1 eighths), each side rounded up by the library.
    void scaleBy(int eighths) {
        info.scale_num = static_cast<unsigned>(eighths);
        info.scale_denom = 8;
    }
};
