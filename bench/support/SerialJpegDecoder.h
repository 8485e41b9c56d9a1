#pragma once

#include <QByteArray>
#include <QString>
#include <vector>

// Decodes JPEG pictures with libjpeg-turbo directly, the way a plain single-threaded decoder
// would: default DCT, every scanline into one 32-bit BGRX frame. The benchmarks use it for the
// reference figure the opening is compared with. The frame buffer is kept and reused from one
// picture to the next, so a series of same-sized pictures costs no allocation after the first.
//
// Bad input never ends the process: a picture libjpeg refuses gives ok == false and the library's
// own message; nothing is written to the terminal.
class SerialJpegDecoder {
public:
    struct Result {
        bool ok = false;
        int width = 0;
        int height = 0;
        QString error; // libjpeg's message when !ok
    };

    // Pictures above this many pixels are refused before any frame is allocated.
    static constexpr qint64 kMostPixels = qint64(1) << 28;

    Result decode(const QByteArray& bytes);

    // The pixels of the latest successful decode: height rows of width * 4 bytes (B, G, R, X).
    const std::vector<unsigned char>& frame() const { return m_frame; }

private:
    std::vector<unsigned char> m_frame;
    std::vector<unsigned char*> m_rows;
};
