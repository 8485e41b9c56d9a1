#include "Picture.h"

#include "pictures/JpegDecoder.h"
#include "pictures/JpegPlanes.h"

#include <QBuffer>
#include <QImageReader>
#include <atomic>
#include <deque>
#include <iterator>

namespace {

std::atomic<qint64> g_decodes{0};  // decoded when shown
std::atomic<qint64> g_prepared{0}; // decoded ahead

qint64 bytesOf(const Picture::Pixels& pixels) {
    return pixels.planes ? pixels.planes->heldBytes() : pixels.image.sizeInBytes();
}

// The compressed pictures whose decodes are kept, most recently shown, prepared or asked for again
// first: at most kKeep of them and, beyond the latest two, at most kByteCap bytes of decodes
// together; the picture shown last is kept whatever comes after it (a repaint never decodes). That
// holds the pictures turned ahead to (see TurnAhead) and the few just left behind, so a reversal
// finds them still decoded. Thread-safe; it never holds a picture's lock while taking its own.
class DecodedPictureCache {
public:
    static constexpr std::size_t kKeep = Picture::kKeptDecodes;
    static constexpr qint64 kByteCap = Picture::kKeptDecodeBytes;

    void touch(const Picture* picture, qint64 bytes, bool shown) {
        std::lock_guard<std::mutex> lock(m_mutex);
        erase(picture);
        m_recent.push_front({picture, bytes});
        m_bytes += bytes;
        if (shown)
            m_shown = picture;
        while (m_recent.size() > 2 && (m_recent.size() > kKeep || m_bytes > kByteCap)) {
            auto last = std::prev(m_recent.end());
            if (last->picture == m_shown)
                --last;
            m_bytes -= last->bytes;
            // Dropped while the cache is locked: a picture being destroyed waits in forget().
            last->picture->dropDecoded();
            m_recent.erase(last);
        }
    }

    // Moves the picture's entry to the front; false when it has none.
    bool refresh(const Picture* picture) {
        std::lock_guard<std::mutex> lock(m_mutex);
        for (auto it = m_recent.begin(); it != m_recent.end(); ++it) {
            if (it->picture == picture) {
                const Entry entry = *it;
                m_recent.erase(it);
                m_recent.push_front(entry);
                return true;
            }
        }
        return false;
    }

    void forget(const Picture* picture) {
        std::lock_guard<std::mutex> lock(m_mutex);
        erase(picture);
        if (m_shown == picture)
            m_shown = nullptr;
    }

private:
    struct Entry {
        const Picture* picture;
        qint64 bytes;
    };

    void erase(const Picture* picture) {
        for (auto it = m_recent.begin(); it != m_recent.end(); ++it) {
            if (it->picture == picture) {
                m_bytes -= it->bytes;
                m_recent.erase(it);
                return;
            }
        }
    }

    std::mutex m_mutex;
    std::deque<Entry> m_recent;
    qint64 m_bytes = 0;
    const Picture* m_shown = nullptr;
};

DecodedPictureCache& decodedCache() {
    static DecodedPictureCache cache;
    return cache;
}

QImage toPaintFormat(QImage image) {
    if (image.isNull())
        return image;
    const QImage::Format want =
        image.hasAlphaChannel() ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32;
    if (image.format() != want)
        image.convertTo(want);
    return image;
}

QImage readerDecode(const QByteArray& bytes) {
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    reader.setAutoTransform(false);
    return toPaintFormat(reader.read());
}

} // namespace

QImage decodePictureBytes(const QByteArray& bytes) {
    if (JpegDecoder::looksLikeJpeg(bytes)) {
        JpegDecoder::Result jpeg = JpegDecoder::decode(bytes);
        if (jpeg.status != JpegDecoder::Status::Unsupported)
            return std::move(jpeg.image);
    }
    return readerDecode(bytes);
}

Picture::Pixels decodePicturePixels(const QByteArray& bytes) {
    if (JpegDecoder::looksLikeJpeg(bytes)) {
        JpegDecoder::Result jpeg = JpegDecoder::decode(bytes, {}, JpegDecoder::Output::Planes);
        if (jpeg.status != JpegDecoder::Status::Unsupported)
            return {std::move(jpeg.image), std::move(jpeg.planes)};
    }
    return {readerDecode(bytes), nullptr};
}

std::shared_ptr<Picture> Picture::make() {
    return std::shared_ptr<Picture>(new Picture, [](Picture* p) {
        decodedCache().forget(p);
        delete p;
    });
}

PicturePtr Picture::fromImage(const QImage& image) {
    std::shared_ptr<Picture> picture = make();
    picture->m_pixels.image = toPaintFormat(image);
    picture->m_size = image.size();
    return picture;
}

PicturePtr Picture::fromPlanes(std::shared_ptr<const JpegPlanes> planes) {
    std::shared_ptr<Picture> picture = make();
    picture->m_size = planes ? planes->size() : QSize();
    picture->m_pixels.planes = std::move(planes);
    return picture;
}

PicturePtr Picture::fromEncoded(const QByteArray& bytes, QSize size) {
    std::shared_ptr<Picture> picture = make();
    picture->m_encoded = bytes;
    picture->m_size = size;
    return picture;
}

Picture::Pixels Picture::cachedDecode(bool& decoded) const {
    std::lock_guard<std::mutex> decoding(m_decoding);
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (!m_cached.isNull())
            return m_cached;
    }
    Pixels fresh = decodePicturePixels(m_encoded);
    decoded = true;
    std::lock_guard<std::mutex> lock(m_mutex);
    m_cached = fresh;
    return fresh;
}

Picture::Pixels Picture::pixels() const {
    if (isDecoded())
        return m_pixels;
    bool decoded = false;
    Pixels pixels = cachedDecode(decoded);
    if (decoded)
        ++g_decodes;
    decodedCache().touch(this, bytesOf(pixels), true);
    return pixels;
}

void Picture::prepare() const {
    if (isDecoded() || isReady())
        return;
    bool decoded = false;
    const Pixels pixels = cachedDecode(decoded);
    if (decoded) {
        ++g_prepared;
        decodedCache().touch(this, bytesOf(pixels), false);
    }
}

Picture::Pixels Picture::pixelsAhead() const {
    if (isDecoded())
        return m_pixels;
    prepare();
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_cached;
}

bool Picture::keepDecode() const {
    return !isDecoded() && decodedCache().refresh(this);
}

bool Picture::isReady() const {
    if (isDecoded())
        return true;
    std::lock_guard<std::mutex> lock(m_mutex);
    return !m_cached.isNull();
}

QImage Picture::image() const {
    const Pixels shown = pixels();
    return shown.planes ? shown.planes->toImage() : shown.image;
}

qint64 Picture::heldBytes() const {
    if (isDecoded())
        return bytesOf(m_pixels);
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_encoded.size() + bytesOf(m_cached);
}

qint64 Picture::decodeCount() {
    return g_decodes.load();
}

qint64 Picture::preparedCount() {
    return g_prepared.load();
}

void Picture::dropDecoded() const {
    Pixels old;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        std::swap(old, m_cached);
    }
}
