#pragma once

#include "format/HotSpotTables.h"

#include <QByteArray>
#include <QString>
#include <vector>

// What a package tool writes into a new package's descriptor (info.ini). Every value goes into a
// section named like its key, in the order the reader takes them; each hot spot is a section
// [HotSpot1] ... [HotSpotK] with one image (NumOfImages=1, ImageNum) and its rectangle, in twips.
// The names of the rows above and below (the folders they were made from) go into a section
// [RowNames] (Up2=..., Down2=...) that only the package tool reads, for its contact sheets.
struct DescriptorFields {
    struct Spot {
        int image = 0; // the horizontal position the rectangle lies on
        HotSpotRect rect;
    };

    QString fileName;
    QString fileType; // leading dot included
    int numOfNorth = 0;
    int numOfSouth = 0;
    int numOfWest = 0;
    int numOfEast = 0;
    QString sound; // the sound member's name, empty for none
    bool soundRepeat = false;
    std::vector<Spot> hotSpots;
    std::vector<QString> upperRowNames; // row 2 first
    std::vector<QString> lowerRowNames;
};

// The section and the keys of the row names: "Up2", "Down2", ...
inline constexpr const char* kRowNamesSection = "RowNames";
QString rowNameKey(bool upper, int row);

// The descriptor's text, UTF-8, lines ending in "\r\n" as packages have always been written.
QByteArray descriptorText(const DescriptorFields& fields);
