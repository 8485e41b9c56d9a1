#include "JpegDecoder.h"

#include "pictures/JpegPlanes.h"
#include "pictures/PixelPool.h"

#include <QImageReader>
#include <QtEndian>
#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <new>
#include <optional>
#include <vector>

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
// Rows of one component in one call for raw data: at most 4 blocks of 8 rows.
constexpr int kMostRawRows = 4 * DCTSIZE;

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

// How the chroma of a picture whose header is read may be held as planes; nullopt when only the
// decode to pixels handles it (other colour spaces, other subsampling ratios).
std::optional<planes::Chroma> planeChroma(const jpeg_decompress_struct& info) {
    if (info.jpeg_color_space == JCS_GRAYSCALE && info.num_components == 1)
        return planes::Chroma::None;
    if (info.jpeg_color_space != JCS_YCbCr || info.num_components != 3)
        return std::nullopt;
    const jpeg_component_info* c = info.comp_info;
    if (c[1].h_samp_factor != c[2].h_samp_factor || c[1].v_samp_factor != c[2].v_samp_factor ||
        c[0].h_samp_factor % c[1].h_samp_factor || c[0].v_samp_factor % c[1].v_samp_factor)
        return std::nullopt;
    const int across = c[0].h_samp_factor / c[1].h_samp_factor;
    const int down = c[0].v_samp_factor / c[1].v_samp_factor;
    if (across == 1 && down == 1)
        return planes::Chroma::Full;
    if (across == 2 && down == 1)
        return planes::Chroma::HalfH;
    if (across == 2 && down == 2)
        return planes::Chroma::HalfHV;
    return std::nullopt;
}

// Reads the header and sets up the output: the planes when `planes` asks for them and the picture
// allows, 32-bit pixels otherwise; false when libjpeg gave up.
bool readHeader(Session& session, const unsigned char* data, unsigned long size, bool planes) {
    if (setjmp(session.back))
        return false;
    jpeg_mem_src(&session.info, data, size);
    jpeg_read_header(&session.info, TRUE);
    const J_COLOR_SPACE space = session.info.jpeg_color_space;
    if (planes && planeChroma(session.info))
        session.info.raw_data_out = TRUE;
    else if (space == JCS_GRAYSCALE || space == JCS_YCbCr || space == JCS_RGB)
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

// Decodes every iMCU row straight into the planes; rows past a plane's height go to `spare`
// (a row as wide as the widest plane). False when libjpeg gave up.
bool readPlanes(Session& session, JpegPlanes& planes, JSAMPLE* spare) {
    if (setjmp(session.back))
        return false;
    jpeg_decompress_struct& info = session.info;
    jpeg_start_decompress(&info);
    JSAMPROW rows[3][kMostRawRows];
    JSAMPARRAY components[3] = {rows[0], rows[1], rows[2]};
    const int step = info.max_v_samp_factor * DCTSIZE;
    while (info.output_scanline < info.output_height) {
        const int band = int(info.output_scanline) / step;
        for (int c = 0; c < info.num_components; ++c) {
            const int count = info.comp_info[c].v_samp_factor * DCTSIZE;
            for (int r = 0; r < count; ++r) {
                JSAMPROW row = planes.row(c, band * count + r);
                rows[c][r] = row ? row : spare;
            }
        }
        if (jpeg_read_raw_data(&info, components, JDIMENSION(step)) == 0)
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

// The decoder's planes of a picture whose header asked for raw data.
JpegDecoder::Result decodePlanesIn(Session& session, const JpegDecoder::Reserve& reserve) {
    using Status = JpegDecoder::Status;
    jpeg_decompress_struct& info = session.info;
    const planes::Chroma chroma = *planeChroma(info);
    const QSize size(int(info.output_width), int(info.output_height));
    // Rows are padded to whole MCUs, as libjpeg writes them.
    const int mcus = int((info.output_width + DCTSIZE * info.max_h_samp_factor - 1) /
                         (DCTSIZE * info.max_h_samp_factor));
    const int lumaStride = mcus * DCTSIZE * info.comp_info[0].h_samp_factor;
    const int chromaStride =
        chroma == planes::Chroma::None ? 0 : mcus * DCTSIZE * info.comp_info[1].h_samp_factor;
    const QSize chromaSize = chroma == planes::Chroma::None
                                 ? QSize()
                                 : QSize(int(info.comp_info[1].downsampled_width),
                                         int(info.comp_info[1].downsampled_height));
    const qint64 bytesNeeded =
        JpegPlanes::bytesFor(size, chroma, lumaStride, chromaStride, chromaSize);
    if (reserve && !reserve(bytesNeeded))
        return {Status::Declined, QImage(), QString()};
    auto planes = std::make_shared<JpegPlanes>(size, chroma, lumaStride, chromaStride, chromaSize);
    std::vector<JSAMPLE> spare;
    try {
        spare.resize(std::size_t(lumaStride + chromaStride));
    } catch (const std::bad_alloc&) {
        return {Status::Failed, QImage(), QStringLiteral("out of memory")};
    }
    if (!planes->allocate())
        return {Status::Failed, QImage(), QStringLiteral("out of memory")};
    if (!readPlanes(session, *planes, spare.data()))
        return {Status::Failed, QImage(), messageOf(session)};
    JpegDecoder::Result result{Status::Decoded, QImage(), QString()};
    result.planes = std::move(planes);
    return result;
}

JpegDecoder::Result decodeIn(Session& session, const QByteArray& bytes,
                             const JpegDecoder::Reserve& reserve, bool planes) {
    using Status = JpegDecoder::Status;
    jpeg_decompress_struct& info = session.info;
    if (!readHeader(session, reinterpret_cast<const unsigned char*>(bytes.constData()),
                    static_cast<unsigned long>(bytes.size()), planes))
        return {Status::Failed, QImage(), messageOf(session)};
    if (!info.raw_data_out && info.out_color_space != kOutputSpace)
        return {Status::Unsupported, QImage(), QString()};

    // The library refuses sides past what the format holds (65,500 pixels) while reading the
    // header. The memory is the caller's to bound (`reserve`); without one, the same bound the
    // generic reader puts on one picture's pixels (0: none), on the pixels the picture has when
    // shown, however it is held.
    const qint64 mostBytes = reserve ? 0 : qint64(QImageReader::allocationLimit()) << 20;
    const qint64 bytesNeeded =
        qint64(info.output_width) * qint64(info.output_height) * kBytesPerPixel;
    if (bytesNeeded <= 0 || (mostBytes > 0 && bytesNeeded > mostBytes))
        return {Status::Failed, QImage(),
                QStringLiteral("a picture of %1 x %2 pixels is too large")
                    .arg(info.output_width)
                    .arg(info.output_height)};
    if (info.raw_data_out)
        return decodePlanesIn(session, reserve);
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

JpegDecoder::Result JpegDecoder::decode(const QByteArray& bytes, const Reserve& reserve,
                                        Output output) {
    if (bytes.isEmpty())
        return {Status::Failed, QImage(), QStringLiteral("no data")};
    Session session{};
    session.info.err = jpeg_std_error(&session.manager);
    session.manager.error_exit = jumpBack;
    session.manager.emit_message = onMessage;
    Result result = create(session) ? decodeIn(session, bytes, reserve, output == Output::Planes)
                                    : Result{Status::Failed, QImage(), messageOf(session)};
    jpeg_destroy_decompress(&session.info);
    return result;
}
