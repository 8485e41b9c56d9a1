#include "format/DescriptorText.h"

namespace {

void section(QString& text, const QString& key, const QString& value) {
    text += QStringLiteral("[%1]\r\n%1=%2\r\n").arg(key, value);
}

} // namespace

QString rowNameKey(bool upper, int row) {
    return QStringLiteral("%1%2")
        .arg(upper ? QStringLiteral("Up") : QStringLiteral("Down"))
        .arg(row);
}

QByteArray descriptorText(const DescriptorFields& fields) {
    QString text;
    section(text, QStringLiteral("FileName"), fields.fileName);
    section(text, QStringLiteral("FileType"), fields.fileType);
    section(text, QStringLiteral("NumOfNorth"), QString::number(fields.numOfNorth));
    section(text, QStringLiteral("NumOfSouth"), QString::number(fields.numOfSouth));
    section(text, QStringLiteral("NumOfWest"), QString::number(fields.numOfWest));
    section(text, QStringLiteral("NumOfEast"), QString::number(fields.numOfEast));
    section(text, QStringLiteral("Sound"), fields.sound);
    section(text, QStringLiteral("SoundRepeat"),
            fields.soundRepeat ? QStringLiteral("True") : QStringLiteral("False"));
    section(text, QStringLiteral("NumOfHotSpots"), QString::number(fields.hotSpots.size()));
    for (std::size_t i = 0; i < fields.hotSpots.size(); ++i) {
        const DescriptorFields::Spot& spot = fields.hotSpots[i];
        const QString image = QStringLiteral("Image%1").arg(spot.image);
        text += QStringLiteral("[HotSpot%1]\r\nNumOfImages=1\r\nImageNum=%2\r\n")
                    .arg(i + 1)
                    .arg(spot.image);
        text += QStringLiteral("%1-X1=%2\r\n%1-Y1=%3\r\n%1-X2=%4\r\n%1-Y2=%5\r\n")
                    .arg(image)
                    .arg(spot.rect.x1)
                    .arg(spot.rect.y1)
                    .arg(spot.rect.x2)
                    .arg(spot.rect.y2);
    }
    if (!fields.upperRowNames.empty() || !fields.lowerRowNames.empty())
        text += QStringLiteral("[%1]\r\n").arg(QLatin1String(kRowNamesSection));
    for (const auto& [upper, names] :
         {std::pair{true, &fields.upperRowNames}, std::pair{false, &fields.lowerRowNames}})
        for (std::size_t r = 0; r < names->size(); ++r)
            text += QStringLiteral("%1=%2\r\n").arg(rowNameKey(upper, int(r) + 2), (*names)[r]);
    return text.toUtf8();
}
