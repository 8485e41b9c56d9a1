#include "Picture.h"

#include "pictures/JpegDecoder.h"

#include <QBuffer>
#include <QImageReader>
#include <atomic>
#include <deque>

namespace {

std::atomic<qint64> g_decodes{0};

// The compressed pictures whose decoded pixels are kept: the most recently shown few.
class DecodedPictureCache {
public:
    static constexpr std::size_t kKeep = 4;

    void touch(const Picture* picture) {
        for (auto it = m_recent.begin(); it != m_recent.end(); ++it) {
            if (it->get() == picture) {
                m_recent.erase(it);
                break;
            }
        }
        m_recent.push_front(std::shared_ptr<const Picture>(picture, [](const Picture*) {}));
        while (m_recent.size() > kKeep) {
            m_recent.back()->dropDecoded();
            m_recent.pop_back();
        }
    }

    void forget(const Picture* picture) {
        for (auto it = m_recent.begin(); it != m_recent.end(); ++it) {
            if (it->get() == picture) {
                m_recent.erase(it);
                return;
            }
        }
    }

private:
    std::deque<std::shared_ptr<const Picture>> m_recent;
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

} // namespace

QImage decodePictureBytes(const QByteArray& bytes) {
    if (JpegDecoder::looksLikeJpeg(bytes)) {
        JpegDecoder::Result jpeg = JpegDecoder::decode(bytes);
        if (jpeg.status != JpegDecoder::Status::Unsupported)
            return std::move(jpeg.image);
    }
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    reader.setAutoTransform(false);
    return toPaintFormat(reader.read());
}

PicturePtr Picture::fromImage(const QImage& image) {
    std::shared_ptr<Picture> picture(new Picture, [](Picture* p) {
        decodedCache().forget(p);
        delete p;
    });
    picture->m_image = toPaintFormat(image);
    picture->m_size = image.size();
    return picture;
}

PicturePtr Picture::fromEncoded(const QByteArray& bytes, QSize size) {
    std::shared_ptr<Picture> picture(new Picture, [](Picture* p) {
        decodedCache().forget(p);
        delete p;
    });
    picture->m_encoded = bytes;
    picture->m_size = size;
    return picture;
}

QImage Picture::image() const {
    if (isDecoded())
        return m_image;
    if (m_cached.isNull()) {
        m_cached = decodePictureBytes(m_encoded);
        ++g_decodes;
    }
    decodedCache().touch(this);
    return m_cached;
}

qint64 Picture::heldBytes() const {
    if (isDecoded())
        return m_image.sizeInBytes();
    return m_encoded.size() + (m_cached.isNull() ? 0 : m_cached.sizeInBytes());
}

qint64 Picture::decodeCount() {
    return g_decodes.load();
}
