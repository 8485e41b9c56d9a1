#pragma once

#include <QByteArray>
#include <QImage>
#include <QSize>
#include <memory>

class FileBytes;
class JpegPlanes;

// A picture held by the program, shared by every control that shows it: assigning a picture to
// another control hands over the same object, never a copy and never a second decode.
//
// A picture is held either decoded or compressed (the bytes of its file, decoded when it is
// shown). Decoded, a JPEG picture keeps the decoder's planes (converted to the painting format
// only where it is shown, see PictureFrame) and any other picture its 32-bit pixels. A photo
// larger than the screen may have a screen level (see ScreenLevel.h): its pixels are then held
// (or decoded when shown) reduced by 1/2, 1/4 or 1/8, and its file's bytes are kept beside them
// for the decodes of the whole picture that larger zooms paint from: in memory, or, where the
// package stores the file uncompressed (a level held decoded, or a picture held compressed whose
// member was left in the package), read back from the package when a decode needs them (see
// FileBytes). A picture never changes
// once made, so any thread may read it. The decodes of compressed pictures, and those of whole
// pictures that have a screen level, are kept by the window's PictureKeeper, so turning back and
// forth does not decode again.
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

    // Takes the compressed bytes of a picture file whose pixel size is already known; its decodes
    // are reduced by `level` (1: none) unless asked for otherwise.
    static std::shared_ptr<const Picture> fromEncoded(const QByteArray& bytes, QSize size,
                                                      int level = 1);

    // Takes a picture's screen level, `pixels` decoded at 1/`level` of its `size`, and its file's
    // bytes.
    static std::shared_ptr<const Picture> fromLevel(Pixels pixels, const QByteArray& bytes,
                                                    QSize size, int level);

    // The same picture, its file's bytes read back from `file` when needed instead of held (a
    // picture with a screen level held decoded, or one held compressed; a picture held decoded
    // whole is returned as it is).
    static std::shared_ptr<const Picture> readingBack(const std::shared_ptr<const Picture>& held,
                                                      std::shared_ptr<const FileBytes> file);

    // The natural size in pixels.
    QSize size() const { return m_size; }

    // The reduction of the screen level (1: the picture has none) and the level's size.
    int levelDenominator() const { return m_level; }
    QSize levelSize() const;
    // The scale a paint that shows this picture at `shownSize` device pixels paints from: the
    // screen level when it is at least that large, else 1 (the whole picture).
    int scaleShownAt(QSize shownSize) const;
    // True when a picture with a screen level is shown larger than the level: painted from its
    // whole picture, which only a decode of its bytes gives.
    bool zoomedPastLevel(QSize shownSize) const {
        return m_level > 1 && scaleShownAt(shownSize) == 1;
    }

    // True when the pixels are held decoded for good (at the screen level when there is one).
    bool isDecoded() const { return !m_pixels.isNull(); }
    // True when the pixels held for good are those of a decode at 1/`scale`.
    bool holds(int scale) const { return isDecoded() && scale == m_level; }

    // The file's bytes (empty for a picture held decoded without a screen level, and when they
    // cannot be read back from the package).
    QByteArray encodedBytes() const;
    // True when the picture has its file's bytes, held or to be read back.
    bool hasFileBytes() const { return !m_encoded.isEmpty() || m_file; }
    // True when its file's bytes are read back from the package instead of held.
    bool readsBack() const { return m_file != nullptr; }

    // What to paint from at the screen level: the pixels held, else a decode made now (see
    // PictureKeeper for decodes kept). Any thread.
    Pixels decodeAtLevel() const { return decodeAt(m_level); }

    // The pixels at 1/`scale` (1: the whole picture): those held when they are the ones, else a
    // decode of the file's bytes made now; null when they do not decode. Any thread.
    Pixels decodeAt(int scale) const;

    // The whole picture at its natural size in the painting format (planes are converted in full:
    // for tests and tools; the window converts only what it shows). A null image when the bytes do
    // not decode.
    QImage image() const;

    // How many bytes this picture holds in memory (planes or pixels, and the file's bytes unless
    // they are read back). The loader counts a loaded picture by it.
    qint64 heldBytes() const;

private:
    Picture() = default;
    static std::shared_ptr<Picture> make();

    QSize m_size;
    int m_level = 1;
    Pixels m_pixels;                         // decoded pictures, at 1/m_level
    QByteArray m_encoded;                    // compressed pictures and those with a screen level
    std::shared_ptr<const FileBytes> m_file; // in place of m_encoded: read back when needed
};

using PicturePtr = std::shared_ptr<const Picture>;
