#include "Picture.h"

#include "pictures/FileBytes.h"
#include "pictures/JpegPlanes.h"
#include "pictures/PictureDecoder.h"
#include "pictures/ScreenLevel.h"

#include <algorithm>

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

PicturePtr Picture::fromEncoded(const QByteArray& bytes, QSize size, int level) {
    std::shared_ptr<Picture> picture = make();
    picture->m_encoded = bytes;
    picture->m_size = size;
    picture->m_level = std::max(1, level);
    return picture;
}

PicturePtr Picture::fromLevel(Pixels pixels, const QByteArray& bytes, QSize size, int level) {
    std::shared_ptr<Picture> picture = make();
    picture->m_pixels = std::move(pixels);
    picture->m_encoded = bytes;
    picture->m_size = size;
    picture->m_level = std::max(1, level);
    return picture;
}

PicturePtr Picture::readingBack(const PicturePtr& held, std::shared_ptr<const FileBytes> file) {
    if (!held || !file || (held->isDecoded() && held->m_level <= 1))
        return held;
    std::shared_ptr<Picture> picture = make();
    picture->m_size = held->m_size;
    picture->m_level = held->m_level;
    picture->m_pixels = held->m_pixels;
    picture->m_file = std::move(file);
    return picture;
}

QByteArray Picture::encodedBytes() const {
    if (!m_file)
        return m_encoded;
    QByteArray bytes;
    m_file->read(bytes);
    return bytes;
}

QSize Picture::levelSize() const {
    return reducedSize(m_size, m_level);
}

int Picture::scaleShownAt(QSize shownSize) const {
    return paintScale(m_size, m_level, shownSize);
}

Picture::Pixels Picture::decodeAt(int scale) const {
    // A picture held whole without its bytes paints from its pixels at any scale.
    if (holds(scale) || !hasFileBytes())
        return m_pixels;
    const QByteArray bytes = encodedBytes();
    if (bytes.isEmpty())
        return {}; // the package no longer gives them
    // Decoded once already when it was loaded, within the memory check's bounds.
    return decodePicture(
               bytes, [](qint64) { return true; }, [scale](QSize) { return scale; })
        .pixels;
}

QImage Picture::image() const {
    const Pixels whole = decodeAt(1);
    return whole.planes ? whole.planes->toImage() : whole.image;
}

qint64 Picture::heldBytes() const {
    return bytesOf(m_pixels) + m_encoded.size();
}
