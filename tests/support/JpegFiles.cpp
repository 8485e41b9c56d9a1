#include "JpegFiles.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include <jpeglib.h>

namespace {

// One libjpeg compression into memory at quality 90, rows written by the caller through `info`.
class MemoryJpeg {
public:
    MemoryJpeg(QSize size, int components, J_COLOR_SPACE space) {
        info.err = jpeg_std_error(&m_errors);
        jpeg_create_compress(&info);
        jpeg_mem_dest(&info, &m_out, &m_bytes);
        info.image_width = JDIMENSION(size.width());
        info.image_height = JDIMENSION(size.height());
        info.input_components = components;
        info.in_color_space = space;
        jpeg_set_defaults(&info);
        jpeg_set_quality(&info, 90, TRUE);
    }
    MemoryJpeg(const MemoryJpeg&) = delete;
    MemoryJpeg& operator=(const MemoryJpeg&) = delete;

    void writeRow(std::vector<unsigned char>& row) {
        JSAMPROW rows[1] = {row.data()};
        jpeg_write_scanlines(&info, rows, 1);
    }
    QByteArray finish() {
        jpeg_finish_compress(&info);
        jpeg_destroy_compress(&info);
        QByteArray bytes(reinterpret_cast<const char*>(m_out), qsizetype(m_bytes));
        std::free(m_out);
        return bytes;
    }

    jpeg_compress_struct info;

private:
    jpeg_error_mgr m_errors;
    unsigned char* m_out = nullptr;
    unsigned long m_bytes = 0;
};

} // namespace

QByteArray encodeJpegSampled(const QImage& image, JpegSampling sampling, bool progressive) {
    const QImage rgb = image.convertToFormat(QImage::Format_RGB888);
    const bool grey = sampling == JpegSampling::Grey;
    MemoryJpeg jpeg(rgb.size(), grey ? 1 : 3, grey ? JCS_GRAYSCALE : JCS_RGB);
    jpeg_compress_struct& info = jpeg.info;
    if (!grey) {
        info.comp_info[0].h_samp_factor = sampling == JpegSampling::S444 ? 1 : 2;
        info.comp_info[0].v_samp_factor = sampling == JpegSampling::S420 ? 2 : 1;
    }
    if (progressive)
        jpeg_simple_progression(&info);
    jpeg_start_compress(&info, TRUE);
    std::vector<unsigned char> row(std::size_t(rgb.width()) * 3);
    while (info.next_scanline < info.image_height) {
        const uchar* from = rgb.constScanLine(int(info.next_scanline));
        for (int x = 0; x < rgb.width(); ++x) {
            if (grey)
                row[std::size_t(x)] =
                    uchar((from[3 * x] * 3 + from[3 * x + 1] * 5 + from[3 * x + 2] * 2) / 10);
            else
                for (int c = 0; c < 3; ++c)
                    row[std::size_t(3 * x + c)] = from[3 * x + c];
        }
        jpeg.writeRow(row);
    }
    return jpeg.finish();
}

QImage detailedPicture(QSize size) {
    QImage image(size, QImage::Format_RGB32);
    quint32 noise = 2463534242u;
    for (int y = 0; y < size.height(); ++y) {
        for (int x = 0; x < size.width(); ++x) {
            noise ^= noise << 13;
            noise ^= noise >> 17;
            noise ^= noise << 5;
            // Saturated blocks of colour with noise: edges where chroma jumps.
            const bool block = ((x / 3) + (y / 2)) % 2 == 0;
            const int n = int(noise & 0x3F);
            image.setPixel(x, y,
                           block ? qRgb(230 - n, 20 + n, 40 + (x * 7 & 0x7F))
                                 : qRgb(10 + n, 60 + (y * 5 & 0x7F), 250 - n));
        }
    }
    return image;
}

QByteArray rampJpeg(QSize size) {
    MemoryJpeg jpeg(size, 3, JCS_RGB);
    jpeg_start_compress(&jpeg.info, TRUE);
    std::vector<unsigned char> row(std::size_t(size.width()) * 3);
    for (int x = 0; x < size.width(); ++x) {
        row[std::size_t(3 * x)] = uchar(255 - 255 * x / std::max(size.width() - 1, 1));
        row[std::size_t(3 * x + 2)] = uchar(255 * x / std::max(size.width() - 1, 1));
    }
    for (int y = 0; y < size.height(); ++y) {
        const uchar green = uchar(255 * y / std::max(size.height() - 1, 1));
        for (int x = 0; x < size.width(); ++x)
            row[std::size_t(3 * x + 1)] = green;
        jpeg.writeRow(row);
    }
    return jpeg.finish();
}
