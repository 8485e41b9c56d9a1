#pragma once

#include <QImage>
#include <QString>

// The thumbnail of a package: its horizontal picture 0, scaled to fit size × size (never
// enlarged), read straight from the archive in memory. Only the descriptor and that one picture
// are read; nothing is extracted or written.
//
// File managers run this on every package a user browses, so every input is bounded: the archive
// directory as MemberReader bounds it, the descriptor to IniFile::MaxFileBytes, the picture to
// MaxPictureBytes. A JPEG picture is bounded by the work its header declares (ThumbnailJpeg):
// MaxDecodePixels decoded at the DCT scale nearest above the thumbnail's size, MaxJpegScans scans,
// MaxDecodeWork pixels times passes and MaxCoefficientBytes held for a progressive picture, so
// photos of any camera get their thumbnail at a fraction of their full decode. The other kinds are
// decoded whole, then scaled, and are bounded to MaxDecodePixels. Pictures are GIF, JPEG, PNG or
// BMP, as the viewer accepts them. A refusal leaves a one-line problem() that names the package
// and what is wrong.
//
// writePng() saves the thumbnail as a PNG file. A new target is written beside it under a
// temporary name and renamed when complete, so it appears whole or not at all. A target that
// already exists (a file manager made it and may hold it open to read the result back) is
// truncated and written in place, then flushed. The PNG is encoded before the target is touched,
// so a refusal leaves it as it was.
class PackageThumbnail {
public:
    static constexpr int DefaultSize = 256;
    static constexpr int MaxSize = 2048;
    static constexpr qint64 MaxPictureBytes = 64 * 1024 * 1024;
    static constexpr qint64 MaxDecodePixels = 24 * 1000 * 1000;
    static constexpr int MaxJpegScans = 100;
    static constexpr qint64 MaxDecodeWork = MaxDecodePixels * 12;
    static constexpr qint64 MaxCoefficientBytes = 160 * 1024 * 1024;

    bool make(const QString& packagePath, int size);
    bool writePng(const QString& path);

    const QImage& image() const { return m_image; }
    const QString& problem() const { return m_problem; }

private:
    bool refuse(const QString& problem);
    bool decode(const QByteArray& bytes, const QString& name, int size);

    QImage m_image;
    QString m_problem;
};
