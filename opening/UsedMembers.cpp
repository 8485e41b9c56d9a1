#include "UsedMembers.h"

#include "archive/MemberReader.h"
#include "format/Descriptor.h"
#include "format/IniFile.h"
#include "imageinfo/CImageInfo.h"
#include "imageinfo/PictureHeader.h"

#include <QImageReader>
#include <fnmatch.h>

namespace {

// The largest picture side the viewer shows.
constexpr qint64 kLargestSide = 65535;

// Pattern characters of a name, taken literally: each one in a bracket of its own.
QString literal(const QString& text) {
    QString escaped;
    for (const QChar c : text) {
        if (c == QLatin1Char('*') || c == QLatin1Char('?') || c == QLatin1Char('['))
            escaped += QLatin1Char('[') + c + QLatin1Char(']');
        else
            escaped += c;
    }
    return escaped;
}

QString bareName(const QString& name) {
    const qsizetype slash =
        std::max(name.lastIndexOf(QLatin1Char('/')), name.lastIndexOf(QLatin1Char('\\')));
    return name.mid(slash + 1);
}

bool matchesAny(const QList<QByteArray>& patterns, const QByteArray& name) {
    for (const QByteArray& pattern : patterns)
        if (::fnmatch(pattern.constData(), name.constData(), FNM_NOESCAPE | FNM_CASEFOLD) == 0)
            return true;
    return false;
}

QList<QByteArray> encoded(const QStringList& patterns) {
    QList<QByteArray> bytes;
    for (const QString& pattern : patterns)
        bytes.append(pattern.toUtf8());
    return bytes;
}

} // namespace

QStringList UsedMembers::patternsFor(const QString& bareName) {
    return {bareName, QStringLiteral("*/") + bareName, QStringLiteral("*\\") + bareName};
}

bool UsedMembers::refuse(const QString& problem) {
    m_problem = problem;
    return false;
}

bool UsedMembers::survey(const QString& packagePath, bool vertical,
                         const std::function<void(const Descriptor&)>& descriptorRead) {
    m_patterns.clear();
    m_picturePatterns.clear();
    m_skipped = 0;
    m_problem.clear();
    MemberReader archive;
    if (!archive.open(packagePath))
        return true;
    const QString iniName = descriptorMemberName();
    const std::int64_t ini = archive.find(iniName);
    if (ini == MemberReader::NotFound)
        return refuse(QStringLiteral("The package holds no descriptor (%1).").arg(iniName));
    MemberReader::Entry entry;
    if (ini < 0 || !archive.entry(ini, entry) || entry.encrypted)
        return true;
    if (entry.size > std::uint64_t(IniFile::MaxFileBytes))
        return refuse(QStringLiteral("The descriptor %1 is %2 bytes long; a descriptor holds at "
                                     "most %3 bytes.")
                          .arg(iniName)
                          .arg(entry.size)
                          .arg(IniFile::MaxFileBytes));
    QByteArray bytes;
    if (!archive.read(ini, IniFile::MaxFileBytes, bytes))
        return true;
    const Descriptor descriptor = readDescriptor(IniFile::fromBytes(std::move(bytes)));
    if (descriptorRead)
        descriptorRead(descriptor);

    QStringList pictures;
    const QString base = literal(descriptor.fileName);
    const QString extension = literal(descriptor.fileType);
    pictures << patternsFor(base + QStringLiteral("_H_*") + extension);
    if (vertical)
        pictures << patternsFor(base + QStringLiteral("_V*") + extension)
                 << patternsFor(base + QStringLiteral("_M*") + extension);
    m_patterns = patternsFor(literal(iniName));
    if (!descriptor.sound.isEmpty())
        m_patterns << patternsFor(literal(bareName(descriptor.sound)));

    const QList<QByteArray> pictureBytes = encoded(pictures);
    const QList<QByteArray> otherBytes = encoded(m_patterns);
    const qint64 mostPixelBytes = qint64(QImageReader::allocationLimit()) << 20;
    for (std::int64_t i = 0; i < archive.count(); ++i) {
        if (!archive.entry(i, entry))
            continue; // the extraction says what is wrong with it
        if (!matchesAny(pictureBytes, entry.name)) {
            if (!matchesAny(otherBytes, entry.name))
                ++m_skipped;
            continue;
        }
        if (entry.encrypted)
            continue;
        if (!checkPicture(archive, i, entry, mostPixelBytes))
            return false;
    }
    m_patterns << pictures;
    m_picturePatterns = pictures;
    return true;
}

bool UsedMembers::checkPicture(MemberReader& archive, std::int64_t index,
                               const MemberReader::Entry& entry, qint64 mostPixelBytes) {
    const QString name = bareName(QString::fromUtf8(entry.name));
    QByteArray head;
    if (!archive.readHead(index, CImageInfo::BufferSize, head))
        return true;
    const PictureHeader header = PictureHeader::read(head);
    if (header.kind == PictureHeader::None) {
        if (entry.size > std::uint64_t(CImageInfo::BufferSize))
            return refuse(
                QStringLiteral("The picture %1 is not a GIF, JPEG, PNG or BMP picture.").arg(name));
        return true;
    }
    if (header.width == 0)
        return true;
    const QString size = QStringLiteral("%1 x %2").arg(header.width).arg(header.height);
    if (header.width > kLargestSide || header.height > kLargestSide)
        return refuse(QStringLiteral("The picture %1 is %2 pixels; the viewer shows pictures "
                                     "of at most %3 pixels a side.")
                          .arg(name, size)
                          .arg(kLargestSide));
    // JPEG pictures go to our own decoder and are bounded by the memory check alone; the
    // other kinds are read by the image reader, which refuses past its allocation limit.
    if (header.kind != PictureHeader::Jpeg && mostPixelBytes > 0 &&
        header.width * header.height * 4 > mostPixelBytes)
        return refuse(QStringLiteral("The picture %1 is %2 pixels, more than the %3 MB of "
                                     "pixels one picture may take.")
                          .arg(name, size)
                          .arg(mostPixelBytes >> 20));
    if (entry.size > std::uint64_t(header.mostFileBytes()))
        return refuse(QStringLiteral("The picture %1 holds %2 bytes, more than a picture of "
                                     "%3 pixels can.")
                          .arg(name)
                          .arg(entry.size)
                          .arg(size));
    return true;
}
