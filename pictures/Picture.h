#pragma once

#include <QByteArray>
#include <QImage>
#include <QSize>
#include <memory>
#include <mutex>

class JpegPlanes;

// A picture held by the program, shared by every control that shows it: assigning a picture to
// another control hands over the same object, never a copy and never a second decode.
//
// A picture is held either decoded or compressed (the bytes of its file, decoded when it is
// shown). Decoded, a JPEG picture keeps the decoder's planes (converted to the painting format
// only where it is shown, see PictureFrame) and any other picture its 32-bit pixels. A compressed
// picture keeps its decode while it is one of the few most recently shown or prepared compressed
// pictures (see DecodedPictureCache), so turning back and forth does not decode again.
//
// Pictures are made on any thread and shown on the window thread; prepare() may run on any thread
// at the same time (a picture is never decoded twice at once).
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

    // What to paint from. A compressed picture is decoded on first use and its decode kept while
    // the picture stays among the most recently shown.
    Pixels pixels() const;

    // The whole picture in the painting format (planes are converted in full: for tests and
    // tools; the window converts only what it shows). A null image when the bytes do not decode.
    QImage image() const;

    // Decodes a compressed picture ahead of its showing and keeps the decode as a shown one's;
    // nothing for a decoded picture or one whose decode is kept already. Any thread.
    void prepare() const;

    // What to paint from, for work done ahead of the showing: a compressed picture is prepared
    // (see prepare()) rather than shown. Any thread; null when the bytes do not decode.
    Pixels pixelsAhead() const;

    // True when showing the picture needs no decode now.
    bool isReady() const;

    // How many bytes this picture holds in memory now (planes, pixels or compressed bytes and
    // the decode kept). The loader counts a loaded picture by it.
    qint64 heldBytes() const;

    // How many decodes of compressed pictures are kept at most, and how many bytes of them beyond
    // the two latest.
    static constexpr std::size_t kKeptDecodes = 12;
    static constexpr qint64 kKeptDecodeBytes = qint64(256) << 20;

    // Marks a compressed picture's kept decode as just asked for, so that the cache keeps it
    // longer than decodes asked for or shown before; false when no decode is kept. Never decodes
    // and never waits for a decode. Any thread.
    bool keepDecode() const;

    // How many times compressed pictures have been decoded when shown, and decoded ahead by
    // prepare(), in this process (for tests and benches).
    static qint64 decodeCount();
    static qint64 preparedCount();

    // Drops a cached decode (called by the cache when the picture falls out of it).
    void dropDecoded() const;

private:
    Picture() = default;
    static std::shared_ptr<Picture> make();
    // The kept decode of a compressed picture, decoding it when there is none; `decoded` is set
    // when this call decoded.
    Pixels cachedDecode(bool& decoded) const;

    QSize m_size;
    Pixels m_pixels;               // decoded pictures
    QByteArray m_encoded;          // compressed pictures
    mutable std::mutex m_decoding; // held while a compressed picture decodes
    mutable std::mutex m_mutex;    // guards m_cached
    mutable Pixels m_cached;       // compressed pictures: the latest decode, while cached
};

using PicturePtr = std::shared_ptr<const Picture>;

// Decodes picture file bytes into the painting format; a null image when they do not decode.
QImage decodePictureBytes(const QByteArray& bytes);

// Decodes picture file bytes as a decoded picture holds them: JPEG pictures as planes where they
// can be, everything else as 32-bit pixels in the painting format.
Picture::Pixels decodePicturePixels(const QByteArray& bytes);
