#include "Descriptor.h"

#include "DescriptorValues.h"

#include <limits>

using namespace Qt::StringLiterals;

namespace {

// Reads values of one descriptor and records what did not convert.
class ValueReader {
public:
    ValueReader(const IniFile& ini, QStringList& notes) : m_ini(ini), m_notes(notes) {}

    QString text(const QString& section, const QString& key) const {
        return m_ini.value(section, key);
    }

    // The whole number of section/key when it lies in minimum ... maximum; otherwise a note
    // that ends in consequence, and std::nullopt.
    std::optional<long long> number(const QString& section, const QString& key, long long minimum,
                                    long long maximum, const QString& consequence) {
        const QString value = text(section, key);
        const QString where = QStringLiteral("[%1] %2: ").arg(section, key);
        if (value.trimmed().isEmpty()) {
            m_notes.append(where + QStringLiteral("no value; ") + consequence);
            return std::nullopt;
        }
        const std::optional<long long> parsed = parseWholeNumber(value);
        if (!parsed) {
            m_notes.append(where + QStringLiteral("\"%1\" is not a number; ").arg(value) +
                           consequence);
            return std::nullopt;
        }
        if (*parsed < minimum || *parsed > maximum) {
            m_notes.append(where +
                           QStringLiteral("%1 is outside %2 ... %3; ")
                               .arg(value.trimmed())
                               .arg(minimum)
                               .arg(maximum) +
                           consequence);
            return std::nullopt;
        }
        return parsed;
    }

    qint16 int16(const QString& section, const QString& key) {
        const std::optional<long long> value =
            number(section, key, std::numeric_limits<qint16>::min(),
                   std::numeric_limits<qint16>::max(), QStringLiteral("read as 0."));
        return static_cast<qint16>(value.value_or(0));
    }

    bool truth(const QString& section, const QString& key) {
        const QString value = text(section, key);
        const std::optional<bool> parsed = parseTruthValue(value);
        if (!parsed) {
            m_notes.append(
                QStringLiteral("[%1] %2: \"%3\" is neither True, False nor a number; read as "
                               "False.")
                    .arg(section, key, value));
        }
        return parsed.value_or(false);
    }

private:
    const IniFile& m_ini;
    QStringList& m_notes;
};

void readHotSpot(ValueReader& reader, HotSpotTables& tables, int i) {
    const QString section = QStringLiteral("HotSpot%1").arg(i);
    const long long length =
        reader
            .number(section, QStringLiteral("NumOfImages"), 0, HotSpotTables::MaxImageNumber,
                    QStringLiteral("the hot spot has no images."))
            .value_or(0);
    tables.setHotSpotImages(i, static_cast<qint16>(length));
    if (length == 0)
        return;
    const std::optional<long long> imageNumber =
        reader.number(section, QStringLiteral("ImageNum"), 0, HotSpotTables::MaxImageNumber,
                      QStringLiteral("ignored."));
    if (!imageNumber)
        return;
    const int n = static_cast<int>(*imageNumber);
    for (int j = 1; j <= length; ++j)
        tables.setHotSpotImageNum(i, j, static_cast<qint16>(n));
    const QString image = QStringLiteral("Image%1-").arg(n);
    HotSpotRect rect;
    rect.x1 = reader.int16(section, image + QStringLiteral("X1"));
    rect.y1 = reader.int16(section, image + QStringLiteral("Y1"));
    rect.x2 = reader.int16(section, image + QStringLiteral("X2"));
    rect.y2 = reader.int16(section, image + QStringLiteral("Y2"));
    tables.setRectangle(i, n, rect);
}

} // namespace

QString descriptorMemberName() {
    return QStringLiteral("info.ini");
}

Descriptor readDescriptor(const IniFile& ini) {
    Descriptor d;
    d.present = ini.isPresent();
    if (!d.present) {
        d.notes.append(u"No descriptor could be read."_s);
        return d;
    }
    ValueReader reader(ini, d.notes);
    d.fileName = reader.text(u"FileName"_s, u"FileName"_s);
    d.fileType = reader.text(u"FileType"_s, u"FileType"_s);
    d.numOfNorth = reader.int16(u"NumOfNorth"_s, u"NumOfNorth"_s);
    d.numOfSouth = reader.int16(u"NumOfSouth"_s, u"NumOfSouth"_s);
    d.numOfWest = reader.int16(u"NumOfWest"_s, u"NumOfWest"_s);
    d.numOfEast = reader.int16(u"NumOfEast"_s, u"NumOfEast"_s);
    d.sound = reader.text(u"Sound"_s, u"Sound"_s);
    d.soundRepeat = reader.truth(u"SoundRepeat"_s, u"SoundRepeat"_s);
    const long long count = reader
                                .number(u"NumOfHotSpots"_s, u"NumOfHotSpots"_s, 0, 255,
                                        QStringLiteral("the package has no hot spots."))
                                .value_or(0);
    d.hotSpots = HotSpotTables(static_cast<std::uint8_t>(count));
    for (int i = 1; i <= count; ++i)
        readHotSpot(reader, d.hotSpots, i);
    return d;
}

Descriptor readDescriptor(const QString& path) {
    return readDescriptor(IniFile::read(path));
}
