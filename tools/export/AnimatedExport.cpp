#include "AnimatedExport.h"

#include "FramePipeline.h"
#include "GifDelta.h"
#include "GifPalette.h"
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

// The GIF's palette, how far its ordered dithering reaches (levels each side) and how near a
// colour must be to the one shown to keep it: chosen on the sample's turn (1.9 times the WebP's
// bytes, a mean difference from the photos of 2.8 levels a channel) and a 36 x 24-megapixel
// shoot's (2.8 times the WebP's). 128 colours and a tolerance of 20: 2.8 and 4.0 times.
constexpr int kGifColours = 96;
constexpr int kGifSpread = 4;
constexpr int kGifTolerance = 28;

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
    FramePipeline frames(m_source, m_frames, m_options.longestSide, count, m_options.ahead);
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

namespace {

// How many frames, spread over the turn, the palette is made from: a turn shows one object under
// one light, so a few of its frames hold its colours, and the rest are decoded only once.
constexpr int kPaletteFrames = 12;

std::vector<QRgb> takePalette(const liq_palette& palette) {
    std::vector<QRgb> rgb(256, 0);
    for (unsigned int c = 0; c < palette.count && c < GifDelta::kKept; ++c)
        rgb[c] = qRgb(palette.entries[c].r, palette.entries[c].g, palette.entries[c].b);
    return rgb;
}

} // namespace

bool AnimatedExport::makePalette(std::vector<QRgb>& palette, ProgressReporter& progress) {
    const QSize size = m_frames.size;
    const LiqAttr attributes(liq_attr_create());
    if (!attributes)
        return fail(QStringLiteral("the quantiser does not start"));
    liq_set_max_colors(attributes.get(), kGifColours);
    liq_set_speed(attributes.get(), 4);

    RingFrames sample = m_frames;
    const std::size_t count = m_frames.slots.size();
    const std::size_t taken = std::min<std::size_t>(count, kPaletteFrames);
    sample.slots.clear();
    for (std::size_t k = 0; k < taken; ++k)
        sample.slots.push_back(m_frames.slots[k * count / taken]);
    const LiqHistogram histogram(liq_histogram_create(attributes.get()));
    FramePipeline frames(m_source, sample, m_options.longestSide, int(taken), m_options.ahead);
    for (std::size_t k = 0; k < taken; ++k) {
        const QImage frame = frames.next().convertToFormat(QImage::Format_RGBA8888);
        if (frame.isNull())
            return fail(QStringLiteral("a picture of the ring does not decode"));
        const LiqImage image(liq_image_create_rgba(attributes.get(), frame.constBits(),
                                                   size.width(), size.height(), 0));
        if (!image ||
            liq_histogram_add_image(histogram.get(), attributes.get(), image.get()) != LIQ_OK)
            return fail(QStringLiteral("the quantiser refused frame %1").arg(k));
        progress.step(QStringLiteral("frames"), qint64(k + 1), qint64(taken + count));
    }
    liq_result* quantised = nullptr;
    if (liq_histogram_quantize(histogram.get(), attributes.get(), &quantised) != LIQ_OK)
        return fail(QStringLiteral("the quantiser found no palette"));
    const LiqResult result(quantised);
    palette = takePalette(*liq_get_palette(result.get()));
    return true;
}

// Opens the GIF on `file` with the one palette and the loop block; null when giflib failed.
GifFileType* AnimatedExport::beginGif(QFile& file, const std::vector<QRgb>& palette) const {
    int gifError = 0;
    GifWriter gif(EGifOpen(&file, writeToFile, &gifError));
    if (!gif)
        return nullptr;
    std::vector<GifColorType> colours;
    for (const QRgb colour : palette)
        colours.push_back(GifColorType{static_cast<GifByteType>(qRed(colour)),
                                       static_cast<GifByteType>(qGreen(colour)),
                                       static_cast<GifByteType>(qBlue(colour))});
    ColorMapObject* map = GifMakeMapObject(256, colours.data());
    const QSize size = m_frames.size;
    const bool screen =
        map && EGifPutScreenDesc(gif.get(), size.width(), size.height(), 8, 0, map) == GIF_OK;
    GifFreeMapObject(map);
    if (!screen)
        return nullptr;
    // Played once: no loop block; N times: the block asks for N - 1 repeats; 0 for ever.
    if (m_options.loop != 1) {
        const int repeats = m_options.loop == 0 ? 0 : m_options.loop - 1;
        unsigned char loop[3] = {1, static_cast<unsigned char>(repeats & 0xff),
                                 static_cast<unsigned char>((repeats >> 8) & 0xff)};
        if (EGifPutExtensionLeader(gif.get(), APPLICATION_EXT_FUNC_CODE) != GIF_OK ||
            EGifPutExtensionBlock(gif.get(), 11, "NETSCAPE2.0") != GIF_OK ||
            EGifPutExtensionBlock(gif.get(), 3, loop) != GIF_OK ||
            EGifPutExtensionTrailer(gif.get()) != GIF_OK)
            return nullptr;
    }
    return gif.release();
}

bool AnimatedExport::writeGif(const QString& path, ProgressReporter& progress) {
    const QSize size = m_frames.size;
    const int count = int(m_frames.slots.size());
    std::vector<QRgb> palette;
    if (!makePalette(palette, progress))
        return false;
    const GifPalette colours(palette, kGifSpread);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return fail(QStringLiteral("cannot write %1: %2").arg(path, file.errorString()));
    GifWriter gif(beginGif(file, palette));
    if (!gif)
        return fail(QStringLiteral("cannot write %1: %2").arg(path, file.errorString()));

    // Each frame mapped as it comes and stored against the one before: two frames of colours are
    // held, whatever the length of the turn.
    const auto frameBytes = std::size_t(size.width()) * std::size_t(size.height());
    std::vector<unsigned char> before(frameBytes), current(frameBytes);
    FramePipeline frames(m_source, m_frames, m_options.longestSide, count, m_options.ahead);
    for (int i = 0; i < count; ++i) {
        const QImage frame = frames.next().convertToFormat(QImage::Format_RGBA8888);
        if (frame.isNull())
            return fail(QStringLiteral("a picture of the ring does not decode"));
        for (int y = 0; y < size.height(); ++y)
            colours.mapRow(frame.constScanLine(y), size.width(), y,
                           current.data() + std::size_t(y) * std::size_t(size.width()));
        if (i > 0)
            GifDelta::keepSimilar(current, before, frame.constBits(), palette, kGifTolerance);
        const int delay = int(m_frames.startOf(i + 1, 100) - m_frames.startOf(i, 100));
        if (!putFrame(gif.get(), i > 0 ? &before : nullptr, current, size, delay))
            return fail(QStringLiteral("cannot write %1: %2").arg(path, file.errorString()));
        std::swap(before, current);
        progress.step(QStringLiteral("frames"), qMin(count, kPaletteFrames) + i + 1,
                      qMin(count, kPaletteFrames) + count);
    }
    int gifError = 0;
    GifFileType* open = gif.release();
    if (EGifCloseFile(open, &gifError) != GIF_OK || !file.flush())
        return fail(QStringLiteral("cannot write %1: %2").arg(path, file.errorString()));
    progress.finish();
    return true;
}
