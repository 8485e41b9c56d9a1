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
