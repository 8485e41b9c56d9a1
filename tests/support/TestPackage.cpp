#include "support/TestPackage.h"

#include "format/MemberNames.h"

#include <QBuffer>
#include <QCryptographicHash>
#include <QFile>
#include <QImage>
#include <zip.h>

QByteArray TestPackage::descriptor() const {
    if (descriptorOverride)
        return *descriptorOverride;
    QByteArray text;
    auto add = [&](const char* key, const QString& value) {
        text += QByteArray("[") + key + "]\r\n" + key + "=" + value.toUtf8() + "\r\n";
    };
    add("FileName", baseName);
    add("FileType", extension);
    add("NumOfNorth", QString::number(upper.empty() ? 0 : upper.front().rows));
    add("NumOfSouth", QString::number(lower.empty() ? 0 : lower.front().rows));
    add("NumOfWest", QStringLiteral("0"));
    add("NumOfEast", QStringLiteral("0"));
    add("Sound", sound);
    add("SoundRepeat", soundRepeat);
    text += "[NumOfHotSpots]\r\n" + hotSpots.toUtf8() + "\r\n";
    return text;
}

QColor TestPackage::colourFor(const QString& memberName) {
    const QByteArray hash = QCryptographicHash::hash(memberName.toUtf8(), QCryptographicHash::Md5);
    return QColor(quint8(hash[0]), quint8(hash[1]), quint8(hash[2]));
}

QByteArray TestPackage::pictureBytes(const QString& memberName) const {
    QImage image(pictureSize, QImage::Format_RGB32);
    image.fill(colourFor(memberName));
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    const QByteArray format = extension.mid(1).toUpper().toLatin1();
    image.save(&buffer, format.isEmpty() ? "PNG" : format.constData());
    return bytes;
}

QStringList TestPackage::pictureNames() const {
    QStringList names;
    for (int i = 0; i < horizontal; ++i)
        names << horizontalMemberName(baseName, i, extension);
    for (const Ring& ring : upper)
        for (int row = 2; row <= ring.rows + 1; ++row)
            names << upperMemberName(baseName, ring.column, row, extension);
    for (const Ring& ring : lower)
        for (int row = 2; row <= ring.rows + 1; ++row)
            names << lowerMemberName(baseName, ring.column, row, extension);
    return names;
}

std::vector<TestPackage::Ring> TestPackage::evenRings(int horizontal, int step, int rows) {
    std::vector<Ring> rings;
    for (int column = 0; column < horizontal; column += step)
        rings.push_back({column, rows});
    return rings;
}

bool TestPackage::write(const QString& path) const {
    QFile::remove(path);
    int error = 0;
    zip_t* archive =
        zip_open(QFile::encodeName(path).constData(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    if (!archive)
        return false;
    // libzip keeps the buffers until zip_close, so every content lives in this list until then.
    QList<QByteArray> contents;
    QList<QByteArray> names;
    auto add = [&](const QString& name, const QByteArray& content) {
        contents.append(content);
        names.append(name.toUtf8());
        zip_source_t* source =
            zip_source_buffer(archive, contents.last().constData(), contents.last().size(), 0);
        const zip_int64_t index = source ? zip_file_add(archive, names.last().constData(), source,
                                                        ZIP_FL_ENC_UTF_8 | ZIP_FL_OVERWRITE)
                                         : -1;
        return index >= 0 &&
               (!storeUncompressed ||
                zip_set_file_compression(archive, zip_uint64_t(index), ZIP_CM_STORE, 0) == 0);
    };
    bool ok = !withDescriptor || add(QStringLiteral("info.ini"), descriptor());
    for (const QString& name : pictureNames())
        if (!omitMembers.contains(name))
            ok = ok && add(name, pictureBytes(name));
    if (!sound.isEmpty() && !soundBytes.isEmpty())
        ok = ok && add(sound, soundBytes);
    for (auto it = extraMembers.begin(); it != extraMembers.end(); ++it)
        ok = ok && add(it.key(), it.value());
    if (!ok) {
        zip_discard(archive);
        return false;
    }
    return zip_close(archive) == 0;
}

QByteArray sampleSoundBytes() {
    QFile file(QStringLiteral(GYRO_SOURCE_DIR "/data/samples/sound/house_lo.mp3"));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}
