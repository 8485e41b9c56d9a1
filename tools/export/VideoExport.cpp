#include "VideoExport.h"

#include "FramePipeline.h"
#include "LibraryFree.h"
#include "RingFrames.h"
#include "SpinSource.h"
#include "tools/shared/ProgressReporter.h"

#include <QFile>

#include <cmath>
#include <memory>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/opt.h>
#include <libswscale/swscale.h>
}

namespace {

void freeFormat(AVFormatContext* context) {
    if (context->pb)
        avio_closep(&context->pb);
    avformat_free_context(context);
}
void freeCodec(AVCodecContext* context) {
    avcodec_free_context(&context);
}
void freeFrame(AVFrame* frame) {
    av_frame_free(&frame);
}
void freePacket(AVPacket* packet) {
    av_packet_free(&packet);
}

using Muxer = LibraryPtr<AVFormatContext, freeFormat>;
using Codec = LibraryPtr<AVCodecContext, freeCodec>;
using Frame = LibraryPtr<AVFrame, freeFrame>;
using Packet = LibraryPtr<AVPacket, freePacket>;
using Scaler = LibraryPtr<SwsContext, sws_freeContext>;

QString avError(int code) {
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(code, text, sizeof text);
    return QString::fromUtf8(text);
}

// Sends one frame (null: the end) and writes every packet the encoder has ready.
int encode(AVFormatContext* format, AVCodecContext* codec, AVStream* stream, AVFrame* frame,
           AVPacket* packet) {
    int result = avcodec_send_frame(codec, frame);
    while (result >= 0) {
        result = avcodec_receive_packet(codec, packet);
        if (result == AVERROR(EAGAIN) || result == AVERROR_EOF)
            return 0;
        if (result < 0)
            return result;
        av_packet_rescale_ts(packet, codec->time_base, stream->time_base);
        packet->stream_index = stream->index;
        result = av_interleaved_write_frame(format, packet);
    }
    return result;
}

// The muxer, the encoder and the stream of one video being written.
struct Video {
    Muxer format;
    Codec codec;
    AVStream* stream = nullptr;
};

// H.264 at a quality that keeps the photographs' detail; VP9 in constant quality mode.
AVDictionary* encoderSettings(bool mp4) {
    AVDictionary* settings = nullptr;
    if (mp4) {
        av_dict_set(&settings, "preset", "medium", 0);
        av_dict_set(&settings, "crf", "20", 0);
    } else {
        av_dict_set(&settings, "crf", "32", 0);
        av_dict_set(&settings, "b", "0", 0);
        av_dict_set(&settings, "deadline", "good", 0);
        av_dict_set(&settings, "cpu-used", "4", 0);
        av_dict_set(&settings, "row-mt", "1", 0);
    }
    return settings;
}

// Opens the muxer and the encoder for `frames` and writes the file's header; the problem for the
// user, or an empty text.
QString openVideo(const QString& path, bool mp4, const RingFrames& frames, Video& video) {
    const QSize size = frames.size;
    const QByteArray fileName = QFile::encodeName(path);
    AVFormatContext* rawFormat = nullptr;
    if (avformat_alloc_output_context2(&rawFormat, nullptr, mp4 ? "mp4" : "webm",
                                       fileName.constData()) < 0)
        return QStringLiteral("the video muxer does not start");
    video.format.reset(rawFormat);
    AVFormatContext* format = rawFormat;
    const AVCodec* encoder = avcodec_find_encoder_by_name(mp4 ? "libx264" : "libvpx-vp9");
    if (!encoder)
        return mp4 ? QStringLiteral("this FFmpeg has no H.264 encoder (libx264)")
                   : QStringLiteral("this FFmpeg has no VP9 encoder (libvpx)");
    video.stream = avformat_new_stream(format, nullptr);
    video.codec.reset(avcodec_alloc_context3(encoder));
    AVStream* stream = video.stream;
    AVCodecContext* codec = video.codec.get();
    if (!stream || !codec)
        return QStringLiteral("the video encoder does not start");

    // One frame per picture: a turn of n pictures in turnSeconds.
    const int count = int(frames.slots.size());
    const AVRational frameTime = av_d2q(frames.turnSeconds / std::max(1, count), 1000000);
    codec->width = size.width();
    codec->height = size.height();
    codec->pix_fmt = AV_PIX_FMT_YUV420P;
    codec->time_base = frameTime;
    codec->framerate = av_inv_q(frameTime);
    codec->gop_size = std::max(1, count);
    codec->thread_count = 0; // the encoder's threads on every core
    codec->color_range = AVCOL_RANGE_MPEG;
    codec->colorspace = AVCOL_SPC_SMPTE170M; // the scaler's default matrix
    codec->color_primaries = AVCOL_PRI_BT709;
    codec->color_trc = AVCOL_TRC_IEC61966_2_1;
    if (format->oformat->flags & AVFMT_GLOBALHEADER)
        codec->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    AVDictionary* settings = encoderSettings(mp4);
    int result = avcodec_open2(codec, encoder, &settings);
    av_dict_free(&settings);
    if (result < 0)
        return QStringLiteral("the video encoder refused: %1").arg(avError(result));
    avcodec_parameters_from_context(stream->codecpar, codec);
    stream->time_base = codec->time_base;
    stream->avg_frame_rate = codec->framerate;

    result = avio_open(&format->pb, fileName.constData(), AVIO_FLAG_WRITE);
    if (result < 0)
        return QStringLiteral("cannot write %1: %2").arg(path, avError(result));
    AVDictionary* muxing = nullptr;
    if (mp4)
        av_dict_set(&muxing, "movflags", "+faststart", 0);
    result = avformat_write_header(format, &muxing);
    av_dict_free(&muxing);
    if (result < 0)
        return QStringLiteral("cannot write %1: %2").arg(path, avError(result));

    return QString();
}

} // namespace

VideoExport::VideoExport(const SpinSource& source, const RingFrames& frames, Options options)
    : m_source(source), m_frames(frames), m_options(options) {}

bool VideoExport::write(const QString& path, ProgressReporter& progress) {
    const auto fail = [this](const QString& error) {
        m_error = error;
        return false;
    };
    av_log_set_level(AV_LOG_ERROR);
    Video video;
    const QString problem = openVideo(path, m_options.format == Format::Mp4, m_frames, video);
    if (!problem.isEmpty())
        return fail(problem);
    AVFormatContext* format = video.format.get();
    AVCodecContext* codec = video.codec.get();
    AVStream* stream = video.stream;
    const QSize size = m_frames.size;
    const int count = int(m_frames.slots.size());
    int result = 0;

    const Frame frame(av_frame_alloc());
    const Packet packet(av_packet_alloc());
    const Scaler scaler(sws_getContext(size.width(), size.height(), AV_PIX_FMT_BGRA, size.width(),
                                       size.height(), AV_PIX_FMT_YUV420P, SWS_BICUBIC, nullptr,
                                       nullptr, nullptr));
    if (!frame || !packet || !scaler)
        return fail(QStringLiteral("the video encoder does not start"));
    frame->format = codec->pix_fmt;
    frame->width = size.width();
    frame->height = size.height();
    if (av_frame_get_buffer(frame.get(), 0) < 0)
        return fail(QStringLiteral("out of memory"));

    const int total = count * m_options.turns;
    FramePipeline frames(m_source, m_frames, m_options.longestSide, total, m_options.ahead);
    for (int i = 0; i < total; ++i) {
        const QImage picture = frames.next();
        if (picture.isNull())
            return fail(QStringLiteral("a picture of the ring does not decode"));
        if (av_frame_make_writable(frame.get()) < 0)
            return fail(QStringLiteral("out of memory"));
        const uint8_t* source[1] = {picture.constBits()};
        const int stride[1] = {int(picture.bytesPerLine())};
        sws_scale(scaler.get(), source, stride, 0, size.height(), frame->data, frame->linesize);
        frame->pts = i;
        result = encode(format, codec, stream, frame.get(), packet.get());
        if (result < 0)
            return fail(QStringLiteral("the video encoder failed: %1").arg(avError(result)));
        progress.step(QStringLiteral("frames"), i + 1, total);
    }
    result = encode(format, codec, stream, nullptr, packet.get());
    if (result < 0 || (result = av_write_trailer(format)) < 0)
        return fail(QStringLiteral("cannot write %1: %2").arg(path, avError(result)));
    progress.finish();
    return true;
}
