#include "ScaledJpegDecoder.h"

#include <QFile>
#include <csetjmp>
#include <cstdio>
#include <jerror.h>
#include <jpeglib.h>

namespace {

struct Session {
    jpeg_decompress_struct info{};
    jpeg_error_mgr manager{};
    std::jmp_buf back{};
    char message[JMSG_LENGTH_MAX] = {};
};

[[noreturn]] void jumpBack(j_common_ptr info) {
    Session* session = reinterpret_cast<Session*>(info);
    info->err->format_message(info, session->message);
    std::longjmp(session->back, 1);
}

void onMessage(j_common_ptr info, int level) {
    if (level < 0 && info->err->msg_code == JWRN_JPEG_EOF)
        jumpBack(info); // a truncated picture: refused, as the viewer refuses it
}

// Runs libjpeg under setjmp; no object with a destructor lives in this frame. Returns false on
// an error, with the session's message set.
// Copies the saved marker segments; libjpeg frees them when the decompression finishes.
void copyMarkers(const jpeg_decompress_struct& info, QList<ScaledJpegDecoder::Marker>& markers) {
    for (jpeg_saved_marker_ptr m = info.marker_list; m; m = m->next)
        markers.append({int(m->marker), QByteArray(reinterpret_cast<const char*>(m->data),
                                                   qsizetype(m->data_length))});
}

// The rows and columns of `region` (full pixels) at the scale started, as libjpeg crops them;
// the whole picture for an invalid region.
void cropTo(Session& s, QRect region, QPoint& origin, JDIMENSION& first, JDIMENSION& end) {
    first = 0;
    end = s.info.output_height;
    if (!region.isValid())
        return;
    const double scale = double(s.info.output_width) / s.info.image_width;
    const QRect wanted =
        QRect(int(region.left() * scale), int(region.top() * scale),
              int(region.width() * scale) + 2, int(region.height() * scale) + 2)
            .intersected(QRect(0, 0, int(s.info.output_width), int(s.info.output_height)));
    if (wanted.isEmpty())
        return;
    JDIMENSION x = JDIMENSION(wanted.left()), width = JDIMENSION(wanted.width());
    jpeg_crop_scanline(&s.info, &x, &width);
    origin = QPoint(int(x), wanted.top());
    first = JDIMENSION(wanted.top());
    end = JDIMENSION(wanted.bottom() + 1);
}

bool run(Session& s, const QByteArray& jpeg, QSize atLeast, bool keepMarkers, bool headerOnly,
         QRect region, ScaledJpegDecoder::Result& result) {
    QImage& image = result.image;
    if (setjmp(s.back))
        return false;
    jpeg_create_decompress(&s.info);
    jpeg_mem_src(&s.info, reinterpret_cast<const unsigned char*>(jpeg.constData()),
                 static_cast<unsigned long>(jpeg.size()));
    if (keepMarkers) {
        for (int code = JPEG_APP0 + 1; code <= JPEG_APP0 + 15; ++code)
            jpeg_save_markers(&s.info, code, 0xFFFF);
        jpeg_save_markers(&s.info, JPEG_COM, 0xFFFF);
    }
    jpeg_read_header(&s.info, TRUE);
    result.fullSize = QSize(int(s.info.image_width), int(s.info.image_height));
    if (keepMarkers)
        copyMarkers(s.info, result.markers);
    if (headerOnly)
        return true;
    result.numerator = ScaledJpegDecoder::numeratorFor(result.fullSize, atLeast);
    s.info.scale_num = static_cast<unsigned>(result.numerator);
    s.info.scale_denom = 8;
    s.info.out_color_space = JCS_RGB;
    jpeg_start_decompress(&s.info);
    JDIMENSION first = 0, end = 0;
    cropTo(s, region, result.origin, first, end);
    image = QImage(int(s.info.output_width), int(end - first), QImage::Format_RGB888);
    if (image.isNull()) {
        std::snprintf(s.message, sizeof s.message, "no memory for %u x %u pixels",
                      s.info.output_width, s.info.output_height);
        return false;
    }
    if (first > 0)
        jpeg_skip_scanlines(&s.info, first);
    while (s.info.output_scanline < end) {
        JSAMPROW row = image.scanLine(int(s.info.output_scanline - first));
        jpeg_read_scanlines(&s.info, &row, 1);
    }
    if (end < s.info.output_height)
        jpeg_abort_decompress(&s.info); // the rows below are not wanted
    else
        jpeg_finish_decompress(&s.info);
    return true;
}

} // namespace

int ScaledJpegDecoder::numeratorFor(QSize full, QSize atLeast) {
    if (!atLeast.isValid() || atLeast.isEmpty() || full.isEmpty())
        return 8;
    for (int m = 1; m < 8; ++m) // libjpeg rounds the scaled size up
        if ((qint64(full.width()) * m + 7) / 8 >= atLeast.width() &&
            (qint64(full.height()) * m + 7) / 8 >= atLeast.height())
            return m;
    return 8;
}

ScaledJpegDecoder::Result ScaledJpegDecoder::decode(const QByteArray& jpeg, QSize atLeast,
                                                    bool keepMarkers) {
    return read(jpeg, atLeast, keepMarkers, false);
}

ScaledJpegDecoder::Result ScaledJpegDecoder::decodeRegion(const QByteArray& jpeg, QSize atLeast,
                                                          QRect region) {
    return read(jpeg, atLeast, false, false, region);
}

ScaledJpegDecoder::Result ScaledJpegDecoder::header(const QByteArray& jpeg) {
    return read(jpeg, QSize(), true, true);
}

ScaledJpegDecoder::Result ScaledJpegDecoder::read(const QByteArray& jpeg, QSize atLeast,
                                                  bool keepMarkers, bool headerOnly, QRect region) {
    Result result;
    Session s;
    s.info.err = jpeg_std_error(&s.manager);
    s.manager.error_exit = jumpBack;
    s.manager.emit_message = onMessage;
    const bool ok = run(s, jpeg, atLeast, keepMarkers, headerOnly, region, result);
    jpeg_destroy_decompress(&s.info);
    if (!ok) {
        result.image = QImage();
        result.problem = QString::fromLocal8Bit(s.message);
    }
    return result;
}

ScaledJpegDecoder::Result ScaledJpegDecoder::decodeFile(const QString& path, QSize atLeast,
                                                        bool keepMarkers) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        Result result;
        result.problem = QStringLiteral("cannot be read: %1").arg(file.errorString());
        return result;
    }
    return decode(file.readAll(), atLeast, keepMarkers);
}
