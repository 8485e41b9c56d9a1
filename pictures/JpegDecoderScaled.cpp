// JpegDecoder's decodes scaled by M/8 into 24-bit RGB: whole, a region, or the header alone, with
// the file's marker segments when asked (the package tool's photos).
#include "JpegDecoder.h"

#include "pictures/JpegSession.h"

#include <QFile>
#include <algorithm>
#include <csetjmp>
#include <cstdio>

namespace {

using Session = JpegSession;

// The functions that call libjpeg under setjmp keep no object with a destructor in their frames,
// and read nothing after a jump back that they changed.

// Sets up the decompressor and reads the header, saving the marker segments when asked; false
// when libjpeg gave up.
bool readHeader(Session& s, const QByteArray& jpeg, bool keepMarkers) {
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
    return true;
}

// The rows [first, end) and columns of a region (whole-picture pixels) at the scale started; the
// whole picture for an invalid region.
struct Crop {
    JDIMENSION first = 0;
    JDIMENSION end = 0;
    JDIMENSION left = 0;
    JDIMENSION width = 0;
    bool columns = false; // whether the columns are cut
};

Crop cropOf(const jpeg_decompress_struct& info, QRect region) {
    Crop crop{0, info.output_height, 0, info.output_width, false};
    if (!region.isValid())
        return crop;
    const double scale = double(info.output_width) / info.image_width;
    const QRect wanted =
        QRect(int(region.left() * scale), int(region.top() * scale),
              int(region.width() * scale) + 2, int(region.height() * scale) + 2)
            .intersected(QRect(0, 0, int(info.output_width), int(info.output_height)));
    if (wanted.isEmpty())
        return crop;
    return {JDIMENSION(wanted.top()), JDIMENSION(wanted.bottom() + 1), JDIMENSION(wanted.left()),
            JDIMENSION(wanted.width()), true};
}

// Starts the decode at `eighths` / 8 in RGB and cuts the columns of `region`; `crop` comes back
// as the rows and the columns the library decodes. False when libjpeg gave up.
bool start(Session& s, int eighths, QRect region, Crop& crop) {
    if (setjmp(s.back))
        return false;
    s.scaleBy(eighths);
    s.info.out_color_space = JCS_RGB;
    jpeg_start_decompress(&s.info);
    crop = cropOf(s.info, region);
    if (crop.columns)
        jpeg_crop_scanline(&s.info, &crop.left, &crop.width);
    return true;
}

// Decodes the rows of `crop` into `pixels` (`stride` bytes a row); false when libjpeg gave up or
// the data gave out.
bool readRows(Session& s, const Crop& crop, unsigned char* pixels, std::size_t stride) {
    if (setjmp(s.back))
        return false;
    jpeg_decompress_struct& info = s.info;
    if (crop.first > 0 && jpeg_skip_scanlines(&info, crop.first) != crop.first)
        return false;
    while (info.output_scanline < crop.end) {
        JSAMPROW row = pixels + stride * std::size_t(info.output_scanline - crop.first);
        if (jpeg_read_scanlines(&info, &row, 1) != 1)
            return false;
    }
    if (crop.end < info.output_height)
        jpeg_abort_decompress(&info); // the rows below are not wanted
    else
        jpeg_finish_decompress(&info);
    return true;
}

// Copies the saved marker segments; libjpeg frees them when the decompression ends.
void copyMarkers(const jpeg_decompress_struct& info, QList<JpegDecoder::Marker>& markers) {
    for (jpeg_saved_marker_ptr m = info.marker_list; m; m = m->next)
        markers.append({int(m->marker), QByteArray(reinterpret_cast<const char*>(m->data),
                                                   qsizetype(m->data_length))});
}

bool decodeIn(Session& s, const QByteArray& jpeg, QSize atLeast, bool keepMarkers, bool headerOnly,
              QRect region, JpegDecoder::Scaled& result) {
    if (!readHeader(s, jpeg, keepMarkers))
        return false;
    result.fullSize = QSize(int(s.info.image_width), int(s.info.image_height));
    result.progressive = s.info.progressive_mode;
    for (int c = 0; c < s.info.num_components; ++c)
        result.coefficientBytes += qint64(s.info.comp_info[c].width_in_blocks) *
                                   s.info.comp_info[c].height_in_blocks * DCTSIZE2 *
                                   qint64(sizeof(JCOEF));
    if (keepMarkers)
        copyMarkers(s.info, result.markers);
    if (headerOnly)
        return true;
    result.eighths = JpegDecoder::eighthsFor(result.fullSize, atLeast);
    Crop crop;
    if (!start(s, result.eighths, region, crop))
        return false;
    result.origin = QPoint(int(crop.left), int(crop.first));
    result.image =
        QImage(int(s.info.output_width), int(crop.end - crop.first), QImage::Format_RGB888);
    if (result.image.isNull()) {
        std::snprintf(s.message, sizeof s.message, "no memory for %u x %u pixels",
                      s.info.output_width, s.info.output_height);
        return false;
    }
    return readRows(s, crop, result.image.bits(), std::size_t(result.image.bytesPerLine()));
}

JpegDecoder::Scaled read(const QByteArray& jpeg, QSize atLeast, bool keepMarkers, bool headerOnly,
                         QRect region = QRect()) {
    JpegDecoder::Scaled result;
    Session s{};
    s.attachErrors();
    const bool ok = decodeIn(s, jpeg, atLeast, keepMarkers, headerOnly, region, result);
    jpeg_destroy_decompress(&s.info);
    if (!ok) {
        result.image = QImage();
        result.problem = s.problem();
    }
    return result;
}

} // namespace

int JpegDecoder::eighthsFor(QSize full, QSize atLeast) {
    if (!atLeast.isValid() || atLeast.isEmpty() || full.isEmpty())
        return 8;
    for (int m = 1; m < 8; ++m) // the library rounds the scaled size up
        if ((qint64(full.width()) * m + 7) / 8 >= atLeast.width() &&
            (qint64(full.height()) * m + 7) / 8 >= atLeast.height())
            return m;
    return 8;
}

JpegDecoder::Scaled JpegDecoder::decodeScaled(const QByteArray& jpeg, QSize atLeast,
                                              bool keepMarkers) {
    return read(jpeg, atLeast, keepMarkers, false);
}

JpegDecoder::Scaled JpegDecoder::decodeScaledRegion(const QByteArray& jpeg, QSize atLeast,
                                                    QRect region) {
    return read(jpeg, atLeast, false, false, region);
}

JpegDecoder::Scaled JpegDecoder::header(const QByteArray& jpeg, bool keepMarkers) {
    return read(jpeg, QSize(), keepMarkers, true);
}

JpegDecoder::Scaled JpegDecoder::decodeScaledFile(const QString& path, QSize atLeast,
                                                  bool keepMarkers) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        Scaled result;
        result.problem = QStringLiteral("cannot be read: %1").arg(file.errorString());
        return result;
    }
    return decodeScaled(file.readAll(), atLeast, keepMarkers);
}
