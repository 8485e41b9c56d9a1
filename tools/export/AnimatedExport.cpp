#include "AnimatedExport.h"

#include "LibraryFree.h"
#include "RingFrames.h"
#include "SpinSource.h"
#include "tools/ProgressReporter.h"

#include <QFile>

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

    const int count = int(m_frames.slots.size());
    for (int i = 0; i < count; ++i) {
        const QImage frame = m_frames.frame(m_source, i, m_options.longestSide)
                                 .convertToFormat(QImage::Format_RGB888);
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

// The colour indices of every frame, and their one palette (256 entries).
struct AnimatedExport::Quantised {
    std::vector<GifColorType> colours = std::vector<GifColorType>(256, GifColorType{0, 0, 0});
    std::vector<std::vector<unsigned char>> indices;
};

bool AnimatedExport::quantise(Quantised& out, ProgressReporter& progress) {
    const QSize size = m_frames.size;
    const int count = int(m_frames.slots.size());
    const LiqAttr attributes(liq_attr_create());
    if (!attributes)
        return fail(QStringLiteral("the quantiser does not start"));
    liq_set_max_colors(attributes.get(), 256);
    liq_set_speed(attributes.get(), 4);

    // Two passes over the frames, each decoding them anew, so that neither the frames nor the
    // quantiser's copies of them are ever held all at once: the histogram of every frame first,
    // then each frame mapped to the one palette.
    const auto frameImage = [&](int i, QImage& frame) {
        frame = m_frames.frame(m_source, i, m_options.longestSide)
                    .convertToFormat(QImage::Format_RGBA8888);
        return frame.isNull() ? LiqImage()
                              : LiqImage(liq_image_create_rgba(attributes.get(), frame.constBits(),
                                                               size.width(), size.height(), 0));
    };
    const LiqHistogram histogram(liq_histogram_create(attributes.get()));
    for (int i = 0; i < count; ++i) {
        QImage frame;
        const LiqImage image = frameImage(i, frame);
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
    for (int i = 0; i < count; ++i) {
        QImage frame;
        const LiqImage image = frameImage(i, frame);
        if (frame.isNull())
            return fail(QStringLiteral("a picture of the ring does not decode"));
        out.indices[std::size_t(i)].resize(frameBytes);
        if (!image ||
            liq_write_remapped_image(result.get(), image.get(), out.indices[std::size_t(i)].data(),
                                     frameBytes) != LIQ_OK)
            return fail(QStringLiteral("the quantiser could not map frame %1").arg(i));
    }
    const liq_palette* palette = liq_get_palette(result.get());
    for (unsigned int c = 0; c < palette->count && c < 256; ++c)
        out.colours[c] =
            GifColorType{palette->entries[c].r, palette->entries[c].g, palette->entries[c].b};
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
        GraphicsControlBlock control{};
        control.DisposalMode = DISPOSE_DO_NOT;
        control.UserInputFlag = false;
        control.DelayTime = int(m_frames.startOf(i + 1, 100) - m_frames.startOf(i, 100));
        control.TransparentColor = NO_TRANSPARENT_COLOR;
        GifByteType extension[4];
        EGifGCBToExtension(&control, extension);
        bool ok = EGifPutExtension(gif.get(), GRAPHICS_EXT_FUNC_CODE, 4, extension) == GIF_OK &&
                  EGifPutImageDesc(gif.get(), 0, 0, size.width(), size.height(), false, nullptr) ==
                      GIF_OK;
        unsigned char* pixels = quantised.indices[std::size_t(i)].data();
        for (int y = 0; ok && y < size.height(); ++y)
            ok = EGifPutLine(gif.get(), pixels + std::size_t(y) * std::size_t(size.width()),
                             size.width()) == GIF_OK;
        if (!ok)
            return fail(QStringLiteral("cannot write %1: %2").arg(path, file.errorString()));
        progress.step(QStringLiteral("frames"), count + i + 1, 2 * count);
    }
    GifFileType* open = gif.release();
    if (EGifCloseFile(open, &gifError) != GIF_OK || !file.flush())
        return fail(QStringLiteral("cannot write %1: %2").arg(path, file.errorString()));
    progress.finish();
    return true;
}
