#pragma once

#include <QByteArray>
#include <QImage>

// JPEG files written by libjpeg with the chroma subsampling asked for (Qt's writer always
// subsamples 4:2:0), baseline or progressive, quality 90.
enum class JpegSampling { S420, S422, S444, Grey };

QByteArray encodeJpegSampled(const QImage& image, JpegSampling sampling, bool progressive = false);

// A picture with detail in every channel and sharp colour edges, so that chroma upsampling and
// colour conversion are exercised everywhere.
QImage detailedPicture(QSize size);

// A baseline 4:2:0 JPEG of a camera's size, encoded a row at a time (no picture of that size is
// held): red falls and blue rises from left to right, green rises from top to bottom, so the
// corners tell a flip or a turn apart. Smooth content keeps it small and quick to encode.
QByteArray rampJpeg(QSize size);
