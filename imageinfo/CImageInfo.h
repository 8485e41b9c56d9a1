#pragma once

#include <QString>
#include <QtGlobal>

// Tells the kind, pixel width, pixel height and colour depth of a GIF, JPEG, PNG or BMP file by
// looking only at its first 65,536 bytes; no picture is decoded.
//
// The four properties are 0 in a new object and are set back to 0 at the start of every probe;
// only ReadImageInfo (and ReadImageHead) change them. ReadImageInfo reads the file once into a
// zero-filled buffer of exactly 65,536 bytes that lives for that call only, and never writes,
// creates or changes a file.
//
// Errors (GyroError, source "CImageInfo::ReadImageInfo"):
// - a file that exists but cannot be opened or read (a folder, a special file, no access): the
//   four values are all 0 (numbers PermissionDenied or PathFileAccess);
// - a header whose depth does not fit into 8 bits (number Overflow): the values set before the
//   depth step keep their values.
// A path that names no existing file, and a file of no known kind, are no error: all four are 0.
//
// Not thread-safe; one object per caller thread.
class CImageInfo {
public:
    enum Kind : qint32 { None = 0, Gif = 1, Jpeg = 2, Png = 3, Bmp = 4 };

    // Size of the probe buffer: the number of bytes of a file that a probe looks at.
    static constexpr int BufferSize = 65536;

    qint32 Width() const { return m_width; }         // pixels; 0 when not determined
    qint32 Height() const { return m_height; }       // pixels; 0 when not determined
    quint8 Depth() const { return m_depth; }         // bits per pixel as the header states it
    qint32 ImageType() const { return m_imageType; } // one of Kind

    void ReadImageInfo(const QString& sFileName);
    // The same probe of a file's first bytes held in memory (a member read from its package where
    // it lies): at most BufferSize of them are looked at, zeros standing for any past their end.
    void ReadImageHead(const QByteArray& head);

private:
    // High byte * 256 + low byte, 0 ... 65535. Every two-byte read goes through here.
    static qint32 WordFromBytes(quint8 high, quint8 low);

    void probePng(const quint8* buffer);
    void probeGif(const quint8* buffer);
    void probeBmp(const quint8* buffer);
    void scanJpeg(const quint8* buffer);
    void reset();
    void probe(const quint8* buffer);
    // Stores a depth computed in a wider type, raising the overflow error when it exceeds 8 bits.
    void setDepth(int depth);

    qint32 m_width = 0;
    qint32 m_height = 0;
    quint8 m_depth = 0;
    qint32 m_imageType = None;
};
