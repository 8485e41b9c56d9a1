#include "ExportMemory.h"

#include "opening/MemoryBudget.h"

#include <algorithm>

namespace {

// Bytes a pixel of a frame, read off peak RSS (/usr/bin/time -v) of exports of a 36 x 6000 x 4000
// shoot at 640 ... 2560 pixels less the 43 MB the process holds once opened (an export of the
// sample at 16 pixels), rounded up: held / estimated, WebP at 2560 232 / 268 MB, GIF at 2560
// 173 / 249 MB, MP4 at 1280 196 / 245 MB and at 1920 415 / 524 MB, the page at 1000 60 / 81 MB
// and at 2000 234 / 258 MB.
// A frame made ahead beside its decode: the area filter's RGB888 and the 32-bit frame.
constexpr qint64 kAheadFrame = 8;
// WebP: the encoder's three canvases (32-bit), the picture handed in (32-bit and its YUV),
// the candidates of a frame and the coder's own rows.
constexpr qint64 kWebPCoding = 26;
// WebP: the coded frames it keeps until the file is assembled, about 1/30 byte a pixel on the
// shoots (whose frames change only where the object turns) and 1/40 on the sample; kept twice
// over once assembled. 1/12 leaves room for busier pictures.
constexpr qint64 kWebPCodedDivisor = 12;
// GIF: while the palette is made, a frame as 32-bit colour and the quantiser's weights and rows of
// it; then the frame, its colours and the previous frame's and what changed.
constexpr qint64 kGifCoding = 24;
// GIF: the quantiser's histogram of the sampled frames' colours, which grows with how many distinct
// colours they have more than with their pixels (held / estimated at 1280: 75 / 91 MB).
constexpr qint64 kGifHistogram = 16'000'000;
// MP4: libx264 (preset medium) keeps its 40 frames of look-ahead, 3 B-frames, 3 references and a
// frame a thread, each as padded 4:2:0 planes with its quarter-size copies and motion data.
constexpr qint64 kX264Frames = 50;
constexpr qint64 kX264Frame = 5;
// WebM: libvpx holds back 25 frames for its look-ahead, with its own references and scaled copies,
// beside about 32 MB it takes whatever the size (held / estimated: at 640 89 / 110 MB, at 1280
// 207 / 277 MB).
constexpr qint64 kVpxFrames = 30;
constexpr qint64 kVpxFrame = 6;
constexpr qint64 kVpxFixed = 32'000'000;
// The page: a thread's larger picture (32-bit) with its JPEG, and the page's picture.
constexpr qint64 kPageLarge = 6;
constexpr qint64 kPagePicture = 5;

qint64 pixels(QSize size) {
    return size.isValid() ? qint64(size.width()) * size.height() : 0;
}

QString megabytes(qint64 bytes) {
    return QString::number((bytes + 999'999) / 1'000'000);
}

} // namespace

ExportMemory::Share ExportMemory::aheadShare(const Work& work) {
    const qint64 each = work.kind == Kind::Page
                            ? work.decodeBytes
                            : work.decodeBytes + kAheadFrame * pixels(work.frame);
    const QString what = work.kind == Kind::Page ? QStringLiteral("%1 pictures decoded at once")
                                                 : QStringLiteral("%1 frames made ahead");
    return {what.arg(work.ahead), each * std::max(1, work.ahead)};
}

ExportMemory::Share ExportMemory::encoderShare(const Work& work) {
    const qint64 f = pixels(work.frame);
    const qint64 total = qint64(work.frames) * std::max(1, work.turns);
    switch (work.kind) {
    case Kind::WebP:
        return {QStringLiteral("the WebP encoder"),
                kWebPCoding * f + 2 * total * f / kWebPCodedDivisor};
    case Kind::Gif:
        return {QStringLiteral("the GIF encoder"), kGifHistogram + kGifCoding * f};
    case Kind::Mp4:
        return {QStringLiteral("the H.264 encoder"), std::min(total, kX264Frames) * kX264Frame * f};
    case Kind::WebM:
        return {QStringLiteral("the VP9 encoder"),
                kVpxFixed + std::min(total, kVpxFrames) * kVpxFrame * f};
    case Kind::Page:
        break;
    }
    return {QStringLiteral("the page's pictures"),
            std::max(1, work.ahead) * (kPageLarge * pixels(work.large) + kPagePicture * f)};
}

qint64 ExportMemory::total(const Work& work) {
    return aheadShare(work).bytes + encoderShare(work).bytes + kMemoryMargin;
}

int ExportMemory::aheadThatFits(const Work& work, qint64 free) {
    Work one = work;
    one.ahead = 1;
    const qint64 each = aheadShare(one).bytes;
    const qint64 left = free - encoderShare(work).bytes - kMemoryMargin;
    if (left < each)
        return 0;
    return int(std::min<qint64>(std::max(1, work.ahead), left / std::max<qint64>(1, each)));
}

QString ExportMemory::refusal(const Work& work, qint64 free) {
    Work one = work;
    one.ahead = 1;
    const Share ahead = aheadShare(one);
    const Share encoder = encoderShare(work);
    const bool page = work.kind == Kind::Page;
    const QString size = QStringLiteral("%1 x %2").arg(work.frame.width()).arg(work.frame.height());
    const QString what =
        page ? QStringLiteral("A page of %1 pictures of %2").arg(work.frames).arg(size)
             : QStringLiteral("%1 frames of %2").arg(qint64(work.frames) * work.turns).arg(size);
    return QStringLiteral("%1 need %2 MB: %3 holds %4 MB and one %5 %6 MB, and %7 MB of memory "
                          "are free.")
        .arg(what, megabytes(ahead.bytes + encoder.bytes + kMemoryMargin), encoder.what,
             megabytes(encoder.bytes),
             page ? QStringLiteral("picture decoded") : QStringLiteral("frame made ahead"),
             megabytes(ahead.bytes), megabytes(free));
}
