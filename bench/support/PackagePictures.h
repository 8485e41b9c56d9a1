#pragma once

#include <QByteArray>
#include <QString>
#include <vector>

// The JPEG pictures of a package, read straight from the archive into memory, in archive order.
// A member counts as a JPEG picture when its bytes start with the JPEG start-of-image marker, so
// the descriptor, the sound and pictures of other kinds are left out whatever their names.
struct PackagePicture {
    QString name;
    QByteArray bytes;
};

struct PackagePictures {
    bool ok = false;
    QString error; // what went wrong, naming the package or member, when !ok
    std::vector<PackagePicture> pictures;
    qint64 totalBytes = 0;
};

// Members larger than this are refused rather than read.
constexpr qint64 kLargestPackageMember = qint64(1) << 30;

PackagePictures readPackagePictures(const QString& packagePath);
