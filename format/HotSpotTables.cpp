#include "HotSpotTables.h"

HotSpotTables::HotSpotTables(std::uint8_t hotSpotCount)
    : m_count(hotSpotCount), m_images(hotSpotCount + 1, 0), m_imageNum(hotSpotCount + 1, Row{}),
      m_x1(hotSpotCount + 1, Row{}), m_y1(hotSpotCount + 1, Row{}), m_x2(hotSpotCount + 1, Row{}),
      m_y2(hotSpotCount + 1, Row{}) {}

bool HotSpotTables::holds(int i, int n) const {
    return i >= 0 && i <= m_count && n >= 0 && n <= MaxImageNumber;
}

qint16 HotSpotTables::cell(const std::vector<Row>& table, int i, int n) const {
    return holds(i, n) ? table[i][n] : 0;
}

qint16 HotSpotTables::HotSpotImages(int i) const {
    return i >= 0 && i <= m_count ? m_images[i] : 0;
}

qint16 HotSpotTables::HotSpotImageNum(int i, int j) const {
    return cell(m_imageNum, i, j);
}

qint16 HotSpotTables::HotSpotX1(int i, int n) const {
    return cell(m_x1, i, n);
}

qint16 HotSpotTables::HotSpotY1(int i, int n) const {
    return cell(m_y1, i, n);
}

qint16 HotSpotTables::HotSpotX2(int i, int n) const {
    return cell(m_x2, i, n);
}

qint16 HotSpotTables::HotSpotY2(int i, int n) const {
    return cell(m_y2, i, n);
}

std::optional<HotSpotRect> HotSpotTables::rectangle(int k, int n) const {
    if (k < 1 || !holds(k, n))
        return std::nullopt;
    return HotSpotRect{m_x1[k][n], m_y1[k][n], m_x2[k][n], m_y2[k][n]};
}

bool HotSpotTables::setHotSpotImages(int i, qint16 length) {
    if (i < 0 || i > m_count)
        return false;
    m_images[i] = length;
    return true;
}

bool HotSpotTables::setHotSpotImageNum(int i, int j, qint16 imageNumber) {
    if (!holds(i, j))
        return false;
    m_imageNum[i][j] = imageNumber;
    return true;
}

bool HotSpotTables::setRectangle(int i, int n, const HotSpotRect& rect) {
    if (!holds(i, n))
        return false;
    m_x1[i][n] = rect.x1;
    m_y1[i][n] = rect.y1;
    m_x2[i][n] = rect.x2;
    m_y2[i][n] = rect.y2;
    return true;
}
