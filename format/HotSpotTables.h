#pragma once

#include <QtGlobal>
#include <array>
#include <cstdint>
#include <optional>
#include <vector>

// The corners of a hot spot's rectangle on one picture, in twips of the picture at natural size.
struct HotSpotRect {
    qint16 x1 = 0;
    qint16 y1 = 0;
    qint16 x2 = 0;
    qint16 y2 = 0;

    bool operator==(const HotSpotRect&) const = default;
};

// The hot-spot tables of a package: per hot spot i (1 ... iHotSpots; row 0 exists and stays
// zero) the length of its image list, the list itself (entries 1 ... length) and a rectangle per
// image number 0 ... 360. Everything starts zero. The descriptor reader fills the tables, the
// main window holds them until the next package opens, the pointer read-out asks rectangle().
//
// Only iHotSpots + 1 rows are held. Reads outside the tables give 0; writes outside them are
// ignored and return false, so no index from a descriptor can reach past the tables.
class HotSpotTables {
public:
    static constexpr int MaxImageNumber = 360;

    // Tables for hotSpotCount hot spots: rows 0 ... hotSpotCount, all zero.
    explicit HotSpotTables(std::uint8_t hotSpotCount = 0);

    std::uint8_t iHotSpots() const { return m_count; }

    // The length of hot spot i's image list.
    qint16 HotSpotImages(int i) const;
    // Entry j of hot spot i's image list.
    qint16 HotSpotImageNum(int i, int j) const;
    // Rectangle edges of hot spot i on image n.
    qint16 HotSpotX1(int i, int n) const;
    qint16 HotSpotY1(int i, int n) const;
    qint16 HotSpotX2(int i, int n) const;
    qint16 HotSpotY2(int i, int n) const;

    // The rectangle of hot spot k (1 ... iHotSpots) on image n (0 ... 360); std::nullopt ("no
    // entry") for any other k or n. An image the descriptor gave no rectangle for has all
    // corners 0.
    std::optional<HotSpotRect> rectangle(int k, int n) const;

    bool setHotSpotImages(int i, qint16 length);
    bool setHotSpotImageNum(int i, int j, qint16 imageNumber);
    bool setRectangle(int i, int n, const HotSpotRect& rect);

private:
    using Row = std::array<qint16, MaxImageNumber + 1>;

    bool holds(int i, int n) const;
    qint16 cell(const std::vector<Row>& table, int i, int n) const;

    std::uint8_t m_count = 0;
    std::vector<qint16> m_images;
    std::vector<Row> m_imageNum;
    std::vector<Row> m_x1;
    std::vector<Row> m_y1;
    std::vector<Row> m_x2;
    std::vector<Row> m_y2;
};
