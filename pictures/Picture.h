#pragma once

#include <QByteArray>
#include <QImage>
#include <QSize>
#include <memory>

class JpegPlanes;

// A picture held by the program, shared by every control that shows it: assigning a picture to
// another control hands over the same object, never a copy and never a second decode.
//
// A picture is held either decoded or compressed (the bytes of its file, decoded when it is
// shown). Decoded, a JPEG picture keeps the decoder's planes (converted to the painting format
// only where it is shown, see PictureFrame) and any other picture its 32-bit pixels. A picture
// never changes once made, so any thread may read it. The decodes of compressed pictures are kept
// by the window's PictureKeeper, so turning back and forth does not decode again.
class Picture {
public:
    // What a picture is painted from: 32-bit pixels or planes (one of the two; neither when the
    // bytes of a compressed picture do not decode).
    struct Pixels {
        QImage image;
        std::shared_ptr<const JpegPlanes> planes;
        bool isNull() const { return image.isNull() && !planes; }
    };

    // Takes decoded pixels. The image is converted once to the fast painting format.
    static std::shared_ptr<const Picture> fromImage(const QImage& image);

    // Takes a JPEG picture's planes.
    static std::shared_ptr<const Picture> fromPlanes(std::shared_ptr<const JpegPlanes> planes);

    // Takes the compressed bytes of a picture file whose pixel size is already known.
    static std::shared_ptr<const Picture> fromEncoded(const QByteArray& bytes, QSize size);

    // The natural size in pixels.
    QSize size() const { return m_size; }

    // True when the pixels are held decoded for good.
    bool isDecoded() const { return m_encoded.isEmpty(); }

    // The compressed bytes (empty for a decoded picture).
    const QByteArray& encodedBytes() const { return m_encoded; }

    // What to paint from: a decoded picture's pixels, a compressed one's decode made now (see
    // PictureKeeper for decodes kept). Any thread.
    Pixels pixels() const;

    // The whole picture in the painting format (planes are converted in full: for tests and
    // tools; the window converts only what it shows). A null image when the bytes do not decode.
    QImage image() const;

    // How many bytes this picture holds in memory (planes, pixels or compressed bytes). The loader
    // counts a loaded picture by it.
    qint64 heldBytes() const;

private:
    Picture() = default;
    static std::shared_ptr<Picture> make();

    QSize m_size;
    Pixels m_pixels;      // decoded pictures
    QByteArray m_encoded; // compressed pictures
};

using PicturePtr = std::shared_ptr<const Picture>;
