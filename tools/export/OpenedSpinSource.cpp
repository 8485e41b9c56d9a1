#include "OpenedSpinSource.h"

#include "format/MemberNames.h"

#include <QFileInfo>

QSize fittedSize(QSize size, int longestSide) {
    if (size.isEmpty() || longestSide < 1)
        return QSize(1, 1);
    if (size.width() <= longestSide && size.height() <= longestSide)
        return size;
    const QSize fitted = size.scaled(longestSide, longestSide, Qt::KeepAspectRatio);
    return fitted.expandedTo(QSize(1, 1));
}

bool OpenedSpinSource::open(const QString& packagePath) {
    m_layout = SpinLayout{};
    if (!m_check.run(packagePath))
        return false;
    const PackageOpening& opening = m_check.opening();
    const PictureSlots& slots = m_check.slots();
    const QString base = opening.descriptor().fileName;
    const QString extension = opening.sImageExt();
    const int n = opening.horizontalCount();

    m_layout.title = QFileInfo(packagePath).completeBaseName();
    m_layout.pictureSize = QSize(opening.pictureWidth(), opening.pictureHeight());
    m_layout.horizontalCount = n;
    m_layout.UpperRing = slots.UpperRing;
    m_layout.LowerRing = slots.LowerRing;
    m_layout.upperRows = opening.upperCount() ? opening.counters().bytVRows : 0;
    m_layout.lowerRows = opening.lowerCount() ? opening.counters().bytMRows : 0;

    m_layout.memberNames.assign(slots.pictures.size(), QString());
    const auto name = [&](int slot, const QString& member) {
        if (slots.at(slot))
            m_layout.memberNames[std::size_t(slot)] = member;
    };
    for (int h = 0; h < n; ++h)
        name(h, horizontalMemberName(base, h, extension));
    int slot = n + 1;
    for (const RingMember& member : opening.upperGeometry().members(m_layout.upperRows))
        name(slot++, upperMemberName(base, member.column, member.row, extension));
    for (const RingMember& member : opening.lowerGeometry().members(m_layout.lowerRows))
        name(slot++, lowerMemberName(base, member.column, member.row, extension));

    // Hot-spot corners are twips of the picture at natural size, 15 to a pixel.
    const HotSpotTables& spots = opening.descriptor().hotSpots;
    for (int h = 0; h < n && h <= HotSpotTables::MaxImageNumber; ++h) {
        const auto rect = spots.rectangle(1, h);
        if (rect && rect->x1 < rect->x2 && rect->y1 < rect->y2)
            m_layout.hotSpot.push_back({h, QRectF(QPointF(rect->x1 / 15.0, rect->y1 / 15.0),
                                                  QPointF(rect->x2 / 15.0, rect->y2 / 15.0))});
    }
    return true;
}

QImage OpenedSpinSource::picture(int slot, int longestSide) const {
    const PicturePtr held = m_check.slots().at(slot);
    if (!held)
        return QImage();
    const QImage whole = held->image();
    if (whole.isNull())
        return QImage();
    const QSize size = fittedSize(whole.size(), longestSide);
    if (size == whole.size())
        return whole;
    return whole.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}
