#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

// Small file helpers for tests.
QByteArray readWholeFile(const QString& path);
void writeWholeFile(const QString& path, const QByteArray& bytes);

// The image written in `format` ("PNG", "JPEG", ...) by Qt's writer.
QByteArray encodeImage(const QImage& image, const char* format);

// The JPEG bytes with the frame header's width and height rewritten (a test failure when there is
// no frame header).
QByteArray withClaimedJpegSize(QByteArray bytes, int width, int height);
