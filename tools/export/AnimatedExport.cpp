#include "AnimatedExport.h"

#include "FramePipeline.h"
#include "GifDelta.h"
#include "LibraryFree.h"
#include "RingFrames.h"
#include "SpinSource.h"
#include "tools/shared/ProgressReporter.h"

#include <QFile>
#include <QRect>

#include <algorithm>
#include <gif_lib.h>
#include <libimagequant.h>
#include <memory>
#include <vector>
#include <webp/encode.h>
#include <webp/mux.h>

namespace {

using LiqAttr = LibraryPtr<liq_attr, liq_attr_destroy>;
using LiqImage = LibraryPtr<liq_image, liq_image_destroy>;
using LiqHistogram = LibraryPtr<liq_histogram, liq_histogram_destroy>;
using LiqResult = LibraryPtr<liq_result, liq_result_destroy>;
using AnimEncoder = LibraryPtr<WebPAnimEncoder, WebPAnimEncoderDelete>;

void closeGif(GifFileType* gif) {
    int error = 0;
    EGifCloseFile(gif, &error);
}
using GifWriter = LibraryPtr<GifFileType, closeGif>;

int writeToFile(GifFileType* gif, const GifByteType* bytes, int length) {
    auto* file = static_cast<QFile*>(gif->UserData);
    return int(file->write(reinterpret_cast<const char*>(bytes), length));
}

// The GIF's palette and how near a colour must be to the one shown to keep it: chosen on the
// sample's turn for a file within three times the WebP's bytes at a mean difference from the
// photos below 1.2 levels a channel (the WebP's: 0.6).
constexpr int kGifColours = 128;
constexpr int kGifTolerance = 20;

// Writes one frame shown for `delay` hundredths: the whole of the first (`before` null), then
// what changed since the frame before (GifDelta). False when giflib failed.
bool putFrame(GifFileType* gif, const std::vector<unsigned char>* before,
              const std::vector<unsigned char>& frame, QSize size, int delay) {
    GraphicsControlBlock control{};
    control.DisposalMode = DISPOSE_DO_NOT;
    control.UserInputFlag = false;
    control.DelayTime = delay;
    control.TransparentColor = before ? GifDelta::kKept : NO_TRANSPARENT_COLOR;
    GifByteType extension[4];
    EGifGCBToExtension(&control, extension);
    const QRect part =
        before ? GifDelta::changedPart(*before, frame, size.width()) : QRect(QPoint(), size);
    std::vector<unsigned char> pixels =
        before ? GifDelta::partPixels(*before, frame, size.width(), part) : frame;
    bool ok = EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, 4, extension) == GIF_OK &&
              EGifPutImageDesc(gif, part.x(), part.y(), part.width(), part.height(), false,
                               nullptr) == GIF_OK;
    for (int y = 0; ok && y < part.height(); ++y)
        ok = EGifPutLine(gif, pixels.data() + std::size_t(y) * std::size_t(part.width()),
                         part.width()) == GIF_OK;
    return ok;
}

} // namespace

AnimatedExport::AnimatedExport(const SpinSource& source, const RingFrames& frames, Options options)
    : m_source(source), m_frames(frames), m_options(options) {}

bool AnimatedExport::fail(const QString& error) {
    m_error = error;
    return false;
}

bool AnimatedExport::write(const QString& path, ProgressReporter& progress) {
    return m_options.format == Format::WebP ? writeWebP(path, progress) : writeGif(path, progress);
}

bool AnimatedExport::writeWebP(const QString& path, ProgressReporter& progress) {
    const QSize size = m_frames.size;
    WebPAnimEncoderOptions animation;
    if (!WebPAnimEncoderOptionsInit(&animation))
        return fail(QStringLiteral("the WebP encoder does not start"));
    animation.anim_params.loop_count = m_options.loop;
    animation.allow_mixed = 0;
    const AnimEncoder encoder(WebPAnimEncoderNew(size.width(), size.height(), &animation));
    WebPConfig config;
    if (!encoder || !WebPConfigInit(&config))
        return fail(QStringLiteral("the WebP encoder does not start"));
    config.quality = float(m_options.quality);
    config.method = 4;
    config.thread_level = 1; // the encoder's analysis beside its coding

    const int count = int(m_frames.slots.size());
    FramePipeline frames(m_source, m_frames, m_options.longestSide, count);
    for (int i = 0; i < count; ++i) {
        const QImage frame = frames.next().convertToFormat(QImage::Format_RGB888);
        if (frame.isNull())
            return fail(QStringLiteral("a picture of the ring does not decode"));
        WebPPicture picture;
        if (!WebPPictureInit(&picture))
            return fail(QStringLiteral("the WebP encoder does not start"));
        picture.use_argb = 1;
        picture.width = size.width();
        picture.height = size.height();
        const bool imported =
            WebPPictureImportRGB(&picture, frame.constBits(), int(frame.bytesPerLine()));
        const bool added = imported && WebPAnimEncoderAdd(encoder.get(), &picture,
                                                          int(m_frames.startOf(i, 1000)), &config);
        WebPPictureFree(&picture);
        if (!added)
            return fail(QStringLiteral("the WebP encoder refused frame %1: %2")
                            .arg(i)
                            .arg(QString::fromUtf8(WebPAnimEncoderGetError(encoder.get()))));
        progress.step(QStringLiteral("frames"), i + 1, count);
    }
    if (!WebPAnimEncoderAdd(encoder.get(), nullptr, int(m_frames.startOf(count, 1000)), nullptr))
        return fail(QStringLiteral("the WebP encoder failed"));
    WebPData data;
    WebPDataInit(&data);
    if (!WebPAnimEncoderAssemble(encoder.get(), &data))
        return fail(QStringLiteral("the WebP encoder failed"));
    QFile file(path);
    const bool written = file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
                         file.write(reinterpret_cast<const char*>(data.bytes), qint64(data.size)) ==
                             qint64(data.size) &&
                         file.flush();
    WebPDataClear(&data);
    if (!written)
        return fail(QStringLiteral("cannot write %1: %2").arg(path, file.errorString()));
    progress.finish();
    return true;
}

// The colour indices of every frame, and their one palette (256 entries, the last for kept
// pixels).
struct AnimatedExport::Quantised {
    std::vector<GifColorType> colours = std::vector<GifColorType>(256, GifColorType{0, 0, 0});
    std::vector<QRgb> palette = std::vector<QRgb>(256, 0);
    std::vector<std::vector<unsigned char>> indices;
};

namespace {

void takePalette(const liq_palette& palette, std::vector<GifColorType>& colours,
                 std::vector<QRgb>& rgb) {
    for (unsigned int c = 0; c < palette.count && c < 256; ++c) {
        const liq_color& entry = palette.entries[c];
        colours[c] = GifColorType{entry.r, entry.g, entry.b};
        rgb[c] = qRgb(entry.r, entry.g, entry.b);
    }
}

} // namespace

bool AnimatedExport::quantise(Quantised& out, ProgressReporter& progress) {
    const QSize size = m_frames.size;
    const int count = int(m_frames.slots.size());
    const LiqAttr attributes(liq_attr_create());
    if (!attributes)
        return fail(QStringLiteral("the quantiser does not start"));
    liq_set_max_colors(attributes.get(), kGifColours);
    liq_set_speed(attributes.get(), 4);

    // Two passes over the frames, each decoding them anew (ahead, on the other cores), so that
    // neither the frames nor the quantiser's copies of them are ever held all at once: the
    // histogram of every frame first, then each frame mapped to the one palette.
    const auto frameImage = [&](FramePipeline& frames, QImage& frame) {
        frame = frames.next().convertToFormat(QImage::Format_RGBA8888);
        return frame.isNull() ? LiqImage()
                              : LiqImage(liq_image_create_rgba(attributes.get(), frame.constBits(),
                                                               size.width(), size.height(), 0));
    };
    const LiqHistogram histogram(liq_histogram_create(attributes.get()));
    FramePipeline first(m_source, m_frames, m_options.longestSide, count);
    for (int i = 0; i < count; ++i) {
        QImage frame;
        const LiqImage image = frameImage(first, frame);
        if (frame.isNull())
            return fail(QStringLiteral("a picture of the ring does not decode"));
        if (!image ||
            liq_histogram_add_image(histogram.get(), attributes.get(), image.get()) != LIQ_OK)
            return fail(QStringLiteral("the quantiser refused frame %1").arg(i));
        progress.step(QStringLiteral("frames"), i + 1, 2 * count);
    }
    liq_result* quantised = nullptr;
    if (liq_histogram_quantize(histogram.get(), attributes.get(), &quantised) != LIQ_OK)
        return fail(QStringLiteral("the quantiser found no palette"));
    const LiqResult result(quantised);
    liq_set_dithering_level(result.get(), 1.0f);

    out.indices.resize(std::size_t(count));
    const auto frameBytes = std::size_t(size.width()) * std::size_t(size.height());
    FramePipeline second(m_source, m_frames, m_options.longestSide, count);
    for (int i = 0; i < count; ++i) {
        QImage frame;
        const LiqImage image = frameImage(second, frame);
        if (frame.isNull())
            return fail(QStringLiteral("a picture of the ring does not decode"));
        out.indices[std::size_t(i)].resize(frameBytes);
        if (!image ||
            liq_write_remapped_image(result.get(), image.get(), out.indices[std::size_t(i)].data(),
                                     frameBytes) != LIQ_OK)
            return fail(QStringLiteral("the quantiser could not map frame %1").arg(i));
        // The palette is final once the first frame is mapped.
        if (i == 0)
            takePalette(*liq_get_palette(result.get()), out.colours, out.palette);
        else
            GifDelta::keepSimilar(out.indices[std::size_t(i)], out.indices[std::size_t(i - 1)],
                                  frame.constBits(), out.palette, kGifTolerance);
    }
    return true;
}

bool AnimatedExport::writeGif(const QString& path, ProgressReporter& progress) {
    const QSize size = m_frames.size;
    const int count = int(m_frames.slots.size());
    Quantised quantised;
    if (!quantise(quantised, progress))
        return false;
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return fail(QStringLiteral("cannot write %1: %2").arg(path, file.errorString()));
    int gifError = 0;
    GifWriter gif(EGifOpen(&file, writeToFile, &gifError));
    if (!gif)
        return fail(QStringLiteral("cannot write %1: %2").arg(path, file.errorString()));

    ColorMapObject* map = GifMakeMapObject(256, quantised.colours.data());
    const bool screen =
        map && EGifPutScreenDesc(gif.get(), size.width(), size.height(), 8, 0, map) == GIF_OK;
    GifFreeMapObject(map);
    if (!screen)
        return fail(QStringLiteral("cannot write %1: %2").arg(path, file.errorString()));
    // Played once: no loop block; N times: the block asks for N - 1 repeats; 0 for ever.
    if (m_options.loop != 1) {
        const int repeats = m_options.loop == 0 ? 0 : m_options.loop - 1;
        unsigned char loop[3] = {1, static_cast<unsigned char>(repeats & 0xff),
                                 static_cast<unsigned char>((repeats >> 8) & 0xff)};
        if (EGifPutExtensionLeader(gif.get(), APPLICATION_EXT_FUNC_CODE) != GIF_OK ||
            EGifPutExtensionBlock(gif.get(), 11, "NETSCAPE2.0") != GIF_OK ||
            EGifPutExtensionBlock(gif.get(), 3, loop) != GIF_OK ||
            EGifPutExtensionTrailer(gif.get()) != GIF_OK)
            return fail(QStringLiteral("cannot write %1: %2").arg(path, file.errorString()));
    }
    for (int i = 0; i < count; ++i) {
        const int delay = int(m_frames.startOf(i + 1, 100) - m_frames.startOf(i, 100));
        if (!putFrame(gif.get(), i > 0 ? &quantised.indices[std::size_t(i - 1)] : nullptr,
                      quantised.indices[std::size_t(i)], size, delay))
            return fail(QStringLiteral("cannot write %1: %2").arg(path, file.errorString()));
        progress.step(QStringLiteral("frames"), count + i + 1, 2 * count);
    }
    GifFileType* open = gif.release();
    if (EGifCloseFile(open, &gifError) != GIF_OK || !file.flush())
        return fail(QStringLiteral("cannot write %1: %2").arg(path, file.errorString()));
    progress.finish();
    return true;
}
