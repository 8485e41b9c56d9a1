#pragma once

#include "package/Picture.h"

#include <QByteArray>
#include <QString>

// What reading one extracted picture file gave: the picture, or why there is none.
struct PictureRead {
    PicturePtr picture;
    QString problem;       // names the member when there is no picture and the read was done
    bool declined = false; // left undone: the memory it was allowed could not hold the picture
};

// Reads a whole extracted picture file into `bytes`. False, with `problem` naming the member, when
// the file is missing or too large to be a picture.
bool readPictureBytes(const QString& path, const QString& memberName, QByteArray& bytes,
                      QString& problem);
