#include "JpegDecoder.h"

#include "pictures/PixelPool.h"

#include <QImageReader>
#include <QtEndian>
#include <algorithm>
#include <csetjmp>
#include <cstdio>

#include <jpeglib.h>
// jpeglib.h must come first: jerror.h uses its types.
#include <jerror.h>

namespace {

// Qt's RGB32 pixel is the native-endian word 0xffRRGGBB. The alpha variants make libjpeg write
// 0xFF into the fourth byte (the X variants leave it undefined).
#if Q_BYTE_ORDER == Q_LITTLE_ENDIAN
constexpr J_COLOR_SPACE kOutputSpace = JCS_EXT_BGRA;
#else
constexpr J_COLOR_SPACE kOutputSpace = JCS_EXT_ARGB;
#endif

constexpr qint64 kBytesPerPixel = 4;
constexpr JDIMENSION kRowBatch = 16;

// Everything a decode changes between setjmp and a jump back lives here, outside the frames that
// call libjpeg. The error manager comes first so the session is found from it.
struct Session {
    jpeg_error_mgr manager;
    jpeg_decompress_struct info;
    std::jmp_buf back;
    char message[JMSG_LENGTH_MAX];
};

Session& sessionOf(j_common_ptr info) {
    return *reinterpret_cast<Session*>(info->err);
}

// libjpeg's fatal errors must not return: they jump back to the setjmp of the call under way.
[[noreturn]] void jumpBack(j_common_ptr info) {
    Session& session = sessionOf(info);
    (*info->err->format_message)(info, session.message);
    std::longjmp(session.back, 1);
}

// Warnings mark corrupt but decodable data and stay quiet, except the data ending before the
// picture does: a truncated file is refused rather than shown with a grey remainder.
void onMessage(j_common_ptr info, int level) {
    if (level < 0 && info->err->msg_code == JWRN_JPEG_EOF)
        jumpBack(info);
}

// The three functions below call libjpeg under setjmp. No object with a destructor lives in their
// frames, and nothing they read after a jump back was changed in them.

// Sets up the decompressor; false when libjpeg could not.
bool create(Session& session) {
    if (setjmp(session.back))
        return false;
    jpeg_create_decompress(&session.info);
    return true;
}

// Reads the header and sets up the output format; false when libjpeg gave up.
bool readHeader(Session& session, const unsigned char* data, unsigned long size) {
    if (setjmp(session.back))
        return false;
    jpeg_mem_src(&session.info, data, size);
    jpeg_read_header(&session.info, TRUE);
    const J_COLOR_SPACE space = session.info.jpeg_color_space;
    if (space == JCS_GRAYSCALE || space == JCS_YCbCr || space == JCS_RGB)
        session.info.out_color_space = kOutputSpace;
    jpeg_calc_output_dimensions(&session.info);
    return true;
}

// Decodes every row into `pixels` (`stride` bytes a row); false when libjpeg gave up.
bool readPixels(Session& session, unsigned char* pixels, std::size_t stride) {
    if (setjmp(session.back))
        return false;
    jpeg_decompress_struct& info = session.info;
    jpeg_start_decompress(&info);
    JSAMPROW rows[kRowBatch];
    while (info.output_scanline < info.output_height) {
        const JDIMENSION first = info.output_scanline;
        const JDIMENSION count = std::min(kRowBatch, info.output_height - first);
        for (JDIMENSION i = 0; i < count; ++i)
            rows[i] = pixels + stride * (first + i);
        if (jpeg_read_scanlines(&info, rows, count) == 0)
            return false;
    }
    jpeg_finish_decompress(&info);
    return true;
}

// The resolution the file states, the way the generic reader sets it.
void takeDensity(const jpeg_decompress_struct& info, QImage& image) {
    if (info.density_unit == 1) {
        image.setDotsPerMeterX(int(100. * info.X_density / 2.54));
        image.setDotsPerMeterY(int(100. * info.Y_density / 2.54));
    } else if (info.density_unit == 2) {
        image.setDotsPerMeterX(int(100. * info.X_density));
        image.setDotsPerMeterY(int(100. * info.Y_density));
    }
}

QString messageOf(const Session& session) {
    return session.message[0] ? QString::fromLocal8Bit(session.message)
                              : QStringLiteral("the picture data is damaged");
}

JpegDecoder::Result decodeIn(Session& session, const QByteArray& bytes,
                             const JpegDecoder::Reserve& reserve) {
    using Status = JpegDecoder::Status;
    jpeg_decompress_struct& info = session.info;
    if (!readHeader(session, reinterpret_cast<const unsigned char*>(bytes.constData()),
                    static_cast<unsigned long>(bytes.size())))
        return {Status::Failed, QImage(), messageOf(session)};
    if (info.out_color_space != kOutputSpace)
        return {Status::Unsupported, QImage(), QString()};

    // The same bound the generic reader puts on one picture's pixels (0: none).
    const qint64 mostBytes = qint64(QImageReader::allocationLimit()) << 20;
    const qint64 bytesNeeded =
        qint64(info.output_width) * qint64(info.output_height) * kBytesPerPixel;
    if (bytesNeeded <= 0 || (mostBytes > 0 && bytesNeeded > mostBytes))
        return {Status::Failed, QImage(),
                QStringLiteral("a picture of %1 x %2 pixels is too large")
                    .arg(info.output_width)
                    .arg(info.output_height)};
    if (reserve && !reserve(bytesNeeded))
        return {Status::Declined, QImage(), QString()};
    QImage image = PixelPool::instance().allocate(int(info.output_width), int(info.output_height),
                                                  QImage::Format_RGB32);
    if (image.isNull())
        return {Status::Failed, QImage(), QStringLiteral("out of memory")};
    if (!readPixels(session, image.bits(), std::size_t(image.bytesPerLine())))
        return {Status::Failed, QImage(), messageOf(session)};
    takeDensity(info, image);
    return {Status::Decoded, std::move(image), QString()};
}

} // namespace

bool JpegDecoder::looksLikeJpeg(const QByteArray& bytes) {
    return bytes.size() >= 3 && uchar(bytes[0]) == 0xFF && uchar(bytes[1]) == 0xD8 &&
           uchar(bytes[2]) == 0xFF;
}

JpegDecoder::Result JpegDecoder::decode(const QByteArray& bytes, const Reserve& reserve) {
    if (bytes.isEmpty())
        return {Status::Failed, QImage(), QStringLiteral("no data")};
    Session session{};
    session.info.err = jpeg_std_error(&session.manager);
    session.manager.error_exit = jumpBack;
    session.manager.emit_message = onMessage;
    Result result = create(session) ? decodeIn(session, bytes, reserve)
                                    : Result{Status::Failed, QImage(), messageOf(session)};
    jpeg_destroy_decompress(&session.info);
    return result;
}
