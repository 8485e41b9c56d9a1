#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

// Small file helpers for tests.
QByteArray readWholeFile(const QString& path);
void writeWholeFile(const QString& path, const QByteArray& bytes);

// The image written in `format` ("PNG", "JPEG", ...) by Qt's writer.
QByteArray encodeImage(const QImage& image, const char* format);
