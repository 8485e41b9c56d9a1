#include "JpegFiles.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include <jpeglib.h>

QByteArray encodeJpegSampled(const QImage& image, JpegSampling sampling, bool progressive) {
    const QImage rgb = image.convertToFormat(QImage::Format_RGB888);
    jpeg_compress_struct info;
    jpeg_error_mgr errors;
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    unsigned char* out = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &out, &size);
    info.image_width = JDIMENSION(rgb.width());
    info.image_height = JDIMENSION(rgb.height());
    const bool grey = sampling == JpegSampling::Grey;
    info.input_components = grey ? 1 : 3;
    info.in_color_space = grey ? JCS_GRAYSCALE : JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, 90, TRUE);
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
        JSAMPROW rows[1] = {row.data()};
        jpeg_write_scanlines(&info, rows, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    QByteArray bytes(reinterpret_cast<const char*>(out), qsizetype(size));
    std::free(out);
    return bytes;
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
    jpeg_compress_struct info;
    jpeg_error_mgr errors;
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    unsigned char* out = nullptr;
    unsigned long bytes = 0;
    jpeg_mem_dest(&info, &out, &bytes);
    info.image_width = JDIMENSION(size.width());
    info.image_height = JDIMENSION(size.height());
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, 90, TRUE);
    jpeg_start_compress(&info, TRUE);
    std::vector<unsigned char> row(std::size_t(size.width()) * 3);
    for (int x = 0; x < size.width(); ++x) {
        row[std::size_t(3 * x)] = uchar(255 - 255 * x / std::max(size.width() - 1, 1));
        row[std::size_t(3 * x + 2)] = uchar(255 * x / std::max(size.width() - 1, 1));
    }
    while (info.next_scanline < info.image_height) {
        const uchar green = uchar(255 * int(info.next_scanline) / std::max(size.height() - 1, 1));
        for (int x = 0; x < size.width(); ++x)
            row[std::size_t(3 * x + 1)] = green;
        JSAMPROW rows[1] = {row.data()};
        jpeg_write_scanlines(&info, rows, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    QByteArray result(reinterpret_cast<const char*>(out), qsizetype(bytes));
    std::free(out);
    return result;
}
