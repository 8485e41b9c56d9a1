#pragma once

#include <QByteArray>
#include <QtGlobal>

// Where the bytes of a picture file are read back from when a picture does not hold them: the
// package the picture came from, which stays on disk, unchanged, while it is open. Reading may
// fail (the package changed on disk since it was opened); the source then tells its owner, who
// decides what the user is told. Any thread.
class FileBytes {
public:
    virtual ~FileBytes() = default;
    // The file's bytes, read now; false (and `bytes` left empty) when they cannot be read as they
    // were.
    virtual bool read(QByteArray& bytes) const = 0;
    // How many bytes read() gives.
    virtual qint64 size() const = 0;
};
