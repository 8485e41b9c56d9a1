#include "JpegDecoder.h"

#include "pictures/ChromaHalving.h"
#include "pictures/JpegPlanes.h"
#include "pictures/JpegSession.h"
#include "pictures/PixelPool.h"

#include <QImageReader>
#include <QtEndian>
#include <algorithm>
#include <csetjmp>
#include <new>
#include <optional>
#include <vector>

namespace {

using Session = JpegSession;

constexpr qint64 kBytesPerPixel = 4;
constexpr JDIMENSION kRowBatch = 16;
// Rows of one component in one call for raw data: at most 4 blocks of 8 rows.
constexpr int kMostRawRows = 4 * DCTSIZE;

// The three functions below call libjpeg under setjmp. No object with a destructor lives in their
// frames, and nothing they read after a jump back was changed in them.

// Sets up the decompressor; false when libjpeg could not.
bool create(Session& session) {
    if (setjmp(session.back))
        return false;
    jpeg_create_decompress(&session.info);
    return true;
}

// How the chroma of a picture whose output is set up for raw data may be held as planes; nullopt
// when only the decode to pixels handles it (other colour spaces, other ratios). Scaled decodes
// may give the chroma more samples than the file has (the library scales it up in the IDCT), so
// the ratio is taken from the samples the decode writes.
std::optional<planes::Chroma> planeChroma(const jpeg_decompress_struct& info) {
    if (info.jpeg_color_space == JCS_GRAYSCALE && info.num_components == 1)
        return planes::Chroma::None;
    if (info.jpeg_color_space != JCS_YCbCr || info.num_components != 3)
        return std::nullopt;
    const jpeg_component_info* c = info.comp_info;
    const auto across = [&](int i) { return c[i].h_samp_factor * c[i].DCT_scaled_size; };
    const auto down = [&](int i) { return c[i].v_samp_factor * c[i].DCT_scaled_size; };
    if (across(1) != across(2) || down(1) != down(2) || across(0) % across(1) || down(0) % down(1))
        return std::nullopt;
    const int h = across(0) / across(1);
    const int v = down(0) / down(1);
    if (h == 1 && v == 1)
        return planes::Chroma::Full;
    if (h == 2 && v == 1)
        return planes::Chroma::HalfH;
    if (h == 2 && v == 2)
        return planes::Chroma::HalfHV;
    return std::nullopt;
}

// Reads the header; false when libjpeg gave up.
bool readHeader(Session& session, const unsigned char* data, unsigned long size) {
    if (setjmp(session.back))
        return false;
    jpeg_mem_src(&session.info, data, size);
    jpeg_read_header(&session.info, TRUE);
    return true;
}

// Sets up the output at 1/`scale` of the picture's size: the planes when `planes` asks for them
// and the picture allows, 32-bit pixels otherwise; false when libjpeg gave up.
bool setOutput(Session& session, bool planes, int scale) {
    if (setjmp(session.back))
        return false;
    jpeg_decompress_struct& info = session.info;
    session.scaleBy(8 / scale);
    info.raw_data_out = planes ? TRUE : FALSE;
    jpeg_calc_output_dimensions(&info);
    if (info.raw_data_out && planeChroma(info))
        return true;
    info.raw_data_out = FALSE;
    const J_COLOR_SPACE space = info.jpeg_color_space;
    if (space == JCS_GRAYSCALE || space == JCS_YCbCr || space == JCS_RGB)
        info.out_color_space = kPaintColorSpace;
    jpeg_calc_output_dimensions(&info);
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

// Decodes every iMCU row straight into the planes, the chroma through `band` when it has samples;
// rows past a plane's height go to `spare` (a row as wide as the widest plane). False when libjpeg
// gave up.
bool readPlanes(Session& session, JpegPlanes& planes, JSAMPLE* spare,
                const planes::ChromaBand& band) {
    if (setjmp(session.back))
        return false;
    jpeg_decompress_struct& info = session.info;
    jpeg_start_decompress(&info);
    JSAMPROW rows[3][kMostRawRows];
    JSAMPARRAY components[3] = {rows[0], rows[1], rows[2]};
    const int step = info.max_v_samp_factor * info.min_DCT_scaled_size;
    while (info.output_scanline < info.output_height) {
        const int index = int(info.output_scanline) / step;
        for (int c = 0; c < info.num_components; ++c) {
            const int count = info.comp_info[c].v_samp_factor * info.comp_info[c].DCT_scaled_size;
            for (int r = 0; r < count; ++r) {
                JSAMPROW row = planes.row(c, index * count + r);
                if (c > 0 && band.samples)
                    row = band.samples + std::ptrdiff_t((c - 1) * count + r) * band.stride;
                rows[c][r] = row ? row : spare;
            }
        }
        if (jpeg_read_raw_data(&info, components, JDIMENSION(step)) == 0)
            return false;
        if (band.samples)
            planes::halveBand(band, planes, index);
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

// True when the decode set up gives a 4:2:0 picture's chroma as many samples as luma, as the
// library's DCT scaling does at 1/2, 1/4 and 1/8: the planes hold it halved back.
bool halvesChroma(const jpeg_decompress_struct& info) {
    const jpeg_component_info* c = info.comp_info;
    return info.num_components == 3 && planeChroma(info) == planes::Chroma::Full &&
           c[0].h_samp_factor == 2 * c[1].h_samp_factor &&
           c[0].v_samp_factor == 2 * c[1].v_samp_factor &&
           c[1].h_samp_factor == c[2].h_samp_factor && c[1].v_samp_factor == c[2].v_samp_factor;
}

// How the planes of the decode set up are laid out, and the chroma rows decoded before halving.
struct PlaneLayout {
    planes::Chroma chroma = planes::Chroma::None;
    QSize size;
    int lumaStride = 0;
    int chromaStride = 0;
    QSize chromaSize;
    int decodedChromaStride = 0; // rows as the library writes them
    int bandRows = 0;            // chroma rows of one iMCU row to halve (0: none halved)
};

PlaneLayout layoutOf(const jpeg_decompress_struct& info) {
    PlaneLayout layout;
    layout.chroma = *planeChroma(info);
    layout.size = QSize(int(info.output_width), int(info.output_height));
    // Rows are padded to whole MCUs, as libjpeg writes them (at the decode's scale).
    const int mcuWidth = info.max_h_samp_factor * info.min_DCT_scaled_size;
    const int mcus = int((info.output_width + JDIMENSION(mcuWidth) - 1) / JDIMENSION(mcuWidth));
    const auto strideOf = [&](const jpeg_component_info& c) {
        return std::max(mcus * c.h_samp_factor * c.DCT_scaled_size,
                        int(c.width_in_blocks) * c.DCT_scaled_size);
    };
    layout.lumaStride = strideOf(info.comp_info[0]);
    if (layout.chroma == planes::Chroma::None)
        return layout;
    const jpeg_component_info& cb = info.comp_info[1];
    layout.chromaStride = layout.decodedChromaStride = strideOf(cb);
    layout.chromaSize = QSize(int(cb.downsampled_width), int(cb.downsampled_height));
    if (halvesChroma(info)) {
        // The luma stride is a whole number of MCUs, two luma samples wide each.
        layout.chroma = planes::Chroma::HalfHV;
        layout.chromaStride = layout.lumaStride / 2;
        layout.bandRows = cb.v_samp_factor * cb.DCT_scaled_size;
        layout.chromaSize =
            QSize((layout.chromaSize.width() + 1) / 2, (layout.chromaSize.height() + 1) / 2);
    }
    return layout;
}

// The decoder's planes of a picture whose header asked for raw data.
JpegDecoder::Result decodePlanesIn(Session& session, const JpegDecoder::Reserve& reserve) {
    using Status = JpegDecoder::Status;
    const PlaneLayout layout = layoutOf(session.info);
    const qint64 bytesNeeded = JpegPlanes::bytesFor(layout.size, layout.chroma, layout.lumaStride,
                                                    layout.chromaStride, layout.chromaSize);
    if (reserve && !reserve(bytesNeeded))
        return {Status::Declined, QImage(), QString()};
    auto planes = std::make_shared<JpegPlanes>(layout.size, layout.chroma, layout.lumaStride,
                                               layout.chromaStride, layout.chromaSize);
    std::vector<JSAMPLE> spare;
    std::vector<JSAMPLE> bandSamples;
    try {
        spare.resize(std::size_t(layout.lumaStride + layout.decodedChromaStride));
        bandSamples.resize(std::size_t(2 * layout.bandRows * layout.decodedChromaStride));
    } catch (const std::bad_alloc&) {
        return {Status::Failed, QImage(), QStringLiteral("out of memory")};
    }
    if (!planes->allocate())
        return {Status::Failed, QImage(), QStringLiteral("out of memory")};
    planes::ChromaBand band;
    if (layout.bandRows > 0) {
        const jpeg_component_info& cb = session.info.comp_info[1];
        band = {bandSamples.data(), layout.decodedChromaStride, layout.bandRows,
                int(cb.downsampled_width), int(cb.downsampled_height)};
    }
    if (!readPlanes(session, *planes, spare.data(), band))
        return {Status::Failed, QImage(), session.problem()};
    JpegDecoder::Result result{Status::Decoded, QImage(), QString()};
    result.planes = std::move(planes);
    return result;
}

// Decodes the output set up for the session.
JpegDecoder::Result decodeOutput(Session& session, const JpegDecoder::Reserve& reserve) {
    using Status = JpegDecoder::Status;
    jpeg_decompress_struct& info = session.info;

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
        return {Status::Failed, QImage(), session.problem()};
    takeDensity(info, image);
    return {Status::Decoded, std::move(image), QString()};
}

bool readHeaderOf(Session& session, const QByteArray& bytes) {
    return readHeader(session, reinterpret_cast<const unsigned char*>(bytes.constData()),
                      static_cast<unsigned long>(bytes.size()));
}

int scaleOf(const jpeg_decompress_struct& info, const JpegDecoder::ScaleFor& scaleFor) {
    const int scale = scaleFor ? scaleFor(QSize(int(info.image_width), int(info.image_height))) : 1;
    return scale == 2 || scale == 4 || scale == 8 ? scale : 1;
}

JpegDecoder::Result decodeIn(Session& session, const QByteArray& bytes,
                             const JpegDecoder::Reserve& reserve, bool planes,
                             const JpegDecoder::ScaleFor& scaleFor) {
    using Status = JpegDecoder::Status;
    jpeg_decompress_struct& info = session.info;
    if (!readHeaderOf(session, bytes))
        return {Status::Failed, QImage(), session.problem()};
    const int scale = scaleOf(info, scaleFor);
    if (!setOutput(session, planes, scale))
        return {Status::Failed, QImage(), session.problem()};
    if (!info.raw_data_out && info.out_color_space != kPaintColorSpace)
        return {Status::Unsupported, QImage(), QString()};
    JpegDecoder::Result result = decodeOutput(session, reserve);
    result.natural = QSize(int(info.image_width), int(info.image_height));
    result.scale = scale;
    return result;
}

// Decodes rows [first, first + rows.height()) of the columns from `left` into `rows`, starting the
// decode from the crop the library rounds `left` and `width` to (whole iMCUs); `left` and `width`
// come back as the columns the library decoded. False when libjpeg gave up.
bool readRows(Session& session, JDIMENSION& left, JDIMENSION& width, JDIMENSION first, uchar* rows,
              int count, std::size_t stride) {
    if (setjmp(session.back))
        return false;
    jpeg_decompress_struct& info = session.info;
    jpeg_start_decompress(&info);
    jpeg_crop_scanline(&info, &left, &width);
    if (first > 0 && jpeg_skip_scanlines(&info, first) != first)
        return false;
    for (int row = 0; row < count; ++row) {
        JSAMPROW target = rows + stride * std::size_t(row);
        if (jpeg_read_scanlines(&info, &target, 1) != 1)
            return false;
    }
    jpeg_abort_decompress(&info);
    return true;
}

JpegDecoder::Result decodeRegionIn(Session& session, const QByteArray& bytes, QRect part) {
    using Status = JpegDecoder::Status;
    jpeg_decompress_struct& info = session.info;
    if (!readHeaderOf(session, bytes) || !setOutput(session, false, 1))
        return {Status::Failed, QImage(), session.problem()};
    if (info.out_color_space != kPaintColorSpace)
        return {Status::Unsupported, QImage(), QString()};
    const QRect whole(0, 0, int(info.output_width), int(info.output_height));
    part &= whole;
    if (part.isEmpty())
        return {Status::Failed, QImage(), QStringLiteral("no such part of the picture")};
    // The library crops at whole iMCUs, and the chroma upsampling of a crop's first and last
    // columns reads samples beyond them, which a crop treats as the picture's edge: the part is
    // read with one iMCU more on each side (the rows skipped above keep the context the
    // upsampling needs by themselves).
    const int margin = info.max_h_samp_factor * DCTSIZE;
    const QRect read = part.adjusted(-margin, 0, margin, 0) & whole;
    QImage rows(read.width() + margin, read.height(), QImage::Format_RGB32);
    if (rows.isNull())
        return {Status::Failed, QImage(), QStringLiteral("out of memory")};
    JDIMENSION left = JDIMENSION(read.left());
    JDIMENSION width = JDIMENSION(read.width());
    if (!readRows(session, left, width, JDIMENSION(read.top()), rows.bits(), rows.height(),
                  std::size_t(rows.bytesPerLine())))
        return {Status::Failed, QImage(), session.problem()};
    const QImage region = rows.copy(part.left() - int(left), 0, part.width(), part.height());
    JpegDecoder::Result result{Status::Decoded, region, QString()};
    result.natural = whole.size();
    return result;
}

// Runs one decode in a session of its own.
template <typename Run> JpegDecoder::Result inSession(const QByteArray& bytes, const Run& run) {
    using Status = JpegDecoder::Status;
    if (bytes.isEmpty())
        return {Status::Failed, QImage(), QStringLiteral("no data")};
    Session session{};
    session.attachErrors();
    JpegDecoder::Result result =
        create(session) ? run(session)
                        : JpegDecoder::Result{Status::Failed, QImage(), session.problem()};
    jpeg_destroy_decompress(&session.info);
    return result;
}

} // namespace

bool JpegDecoder::looksLikeJpeg(const QByteArray& bytes) {
    return bytes.size() >= 3 && uchar(bytes[0]) == 0xFF && uchar(bytes[1]) == 0xD8 &&
           uchar(bytes[2]) == 0xFF;
}

JpegDecoder::Result JpegDecoder::decode(const QByteArray& bytes, const Reserve& reserve,
                                        Output output, const ScaleFor& scaleFor) {
    return inSession(bytes, [&](Session& session) {
        return decodeIn(session, bytes, reserve, output == Output::Planes, scaleFor);
    });
}

JpegDecoder::Result JpegDecoder::decodeRegion(const QByteArray& bytes, const QRect& part) {
    return inSession(bytes, [&](Session& session) { return decodeRegionIn(session, bytes, part); });
}
