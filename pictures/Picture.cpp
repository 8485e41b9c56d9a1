#include "Picture.h"

#include "pictures/JpegPlanes.h"
#include "pictures/PictureDecoder.h"

namespace {

qint64 bytesOf(const Picture::Pixels& pixels) {
    return pixels.planes ? pixels.planes->heldBytes() : pixels.image.sizeInBytes();
}

} // namespace

std::shared_ptr<Picture> Picture::make() {
    return std::shared_ptr<Picture>(new Picture);
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

Picture::Pixels Picture::pixels() const {
    if (isDecoded())
        return m_pixels;
    // Decoded once already when it was loaded, within the memory check's bounds.
    return decodePicture(m_encoded, [](qint64) { return true; }).pixels;
}

QImage Picture::image() const {
    const Pixels shown = pixels();
    return shown.planes ? shown.planes->toImage() : shown.image;
}

qint64 Picture::heldBytes() const {
    return isDecoded() ? bytesOf(m_pixels) : m_encoded.size();
}
