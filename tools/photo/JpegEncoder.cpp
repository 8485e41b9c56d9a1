#include "JpegEncoder.h"

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <jpeglib.h>

namespace {

struct Session {
    jpeg_compress_struct info{};
    jpeg_error_mgr manager{};
    std::jmp_buf back{};
};

[[noreturn]] void jumpBack(j_common_ptr info) {
    std::longjmp(reinterpret_cast<Session*>(info)->back, 1);
}

// Runs libjpeg under setjmp; no object with a destructor lives in this frame.
bool run(Session& s, const QImage& rgb, int quality, const QList<JpegDecoder::Marker>& markers,
         unsigned char** out, unsigned long* size) {
    if (setjmp(s.back))
        return false;
    jpeg_create_compress(&s.info);
    jpeg_mem_dest(&s.info, out, size);
    s.info.image_width = JDIMENSION(rgb.width());
    s.info.image_height = JDIMENSION(rgb.height());
    s.info.input_components = 3;
    s.info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&s.info);
    jpeg_set_quality(&s.info, quality, TRUE);
    s.info.optimize_coding = TRUE;
    s.info.comp_info[0].h_samp_factor = 2; // 4:2:0
    s.info.comp_info[0].v_samp_factor = 2;
    s.info.dct_method = JDCT_ISLOW;
    jpeg_start_compress(&s.info, TRUE);
    for (const JpegDecoder::Marker& m : markers)
        jpeg_write_marker(&s.info, m.code, reinterpret_cast<const JOCTET*>(m.data.constData()),
                          unsigned(m.data.size()));
    while (s.info.next_scanline < s.info.image_height) {
        JSAMPROW row = const_cast<uchar*>(rgb.constScanLine(int(s.info.next_scanline)));
        jpeg_write_scanlines(&s.info, &row, 1);
    }
    jpeg_finish_compress(&s.info);
    return true;
}

} // namespace

QByteArray JpegEncoder::encode(const QImage& image, int quality,
                               const QList<JpegDecoder::Marker>& markers) {
    const QImage rgb = image.format() == QImage::Format_RGB888
                           ? image
                           : image.convertToFormat(QImage::Format_RGB888);
    Session s;
    s.info.err = jpeg_std_error(&s.manager);
    s.manager.error_exit = jumpBack;
    unsigned char* out = nullptr;
    unsigned long size = 0;
    const bool ok = run(s, rgb, quality, markers, &out, &size);
    jpeg_destroy_compress(&s.info);
    QByteArray bytes =
        ok ? QByteArray(reinterpret_cast<const char*>(out), qsizetype(size)) : QByteArray();
    std::free(out);
    return bytes;
}
