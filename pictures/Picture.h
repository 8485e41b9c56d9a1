#pragma once

#include <QByteArray>
#include <QImage>
#include <QSize>
#include <memory>

// A picture held by the program, shared by every control that shows it: assigning a picture to
// another control hands over the same object, never a copy and never a second decode.
//
// A picture is held either decoded (its pixels, ready to paint) or compressed (the bytes of its
// file, decoded when it is shown). A compressed picture keeps its decoded pixels while it is one
// of the few most recently shown compressed pictures (see DecodedPictureCache), so turning back and
// forth does not decode again. Pictures are made on any thread but used on the window thread.
class Picture {
public:
    // Takes decoded pixels. The image is converted once to the fast painting format.
    static std::shared_ptr<const Picture> fromImage(const QImage& image);

    // Takes the compressed bytes of a picture file whose pixel size is already known.
    static std::shared_ptr<const Picture> fromEncoded(const QByteArray& bytes, QSize size);

    // The natural size in pixels.
    QSize size() const { return m_size; }

    // True when the pixels are held decoded for good.
    bool isDecoded() const { return m_encoded.isEmpty(); }

    // The compressed bytes (empty for a decoded picture).
    const QByteArray& encodedBytes() const { return m_encoded; }

    // The pixels. For a compressed picture this decodes on first use and keeps the result while the
    // picture stays among the most recently shown; a null image when the bytes do not decode.
    QImage image() const;

    // How many bytes this picture holds in memory now (pixels or compressed bytes).
    qint64 heldBytes() const;

    // How many times compressed pictures have been decoded in this process (for tests and benches).
    static qint64 decodeCount();

    // Drops a cached decode (called by the cache when the picture falls out of it).
    void dropDecoded() const { m_cached = QImage(); }

private:
    Picture() = default;

    QSize m_size;
    QImage m_image;          // decoded pictures
    QByteArray m_encoded;    // compressed pictures
    mutable QImage m_cached; // compressed pictures: pixels of the latest decode, while cached
};

using PicturePtr = std::shared_ptr<const Picture>;

// Decodes picture file bytes into the painting format; a null image when they do not decode.
QImage decodePictureBytes(const QByteArray& bytes);
