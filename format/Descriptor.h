#pragma once

#include "format/HotSpotTables.h"
#include "format/IniFile.h"

#include <QString>
#include <QStringList>

// The values of a package's descriptor (the member info.ini), read in one go. The opening reads
// it right after extraction, then deletes the file; the package tool prints it.
//
// Every value stands in a section named like its key ([FileName] FileName=..., and so on); the
// hot spots are the sections [HotSpot1] ... [HotSpotK] with the keys NumOfImages, ImageNum and
// "Image" + n + "-X1", "-Y1", "-X2", "-Y2", n being the ImageNum value in decimal.
//
// Conversion (numbers as parseWholeNumber reads them, truth values as parseTruthValue does):
// - A 16-bit value that is absent, empty, not a number or outside -32768 ... 32767 reads as 0.
// - SoundRepeat that is absent or neither True/False nor a number reads as false.
// - NumOfHotSpots outside 0 ... 255 (or not a number) gives no hot spots.
// - NumOfImages outside 0 ... 360 (or not a number) gives that hot spot an empty image list (0).
// - An ImageNum outside 0 ... 360, absent or not a number is ignored: the image list entries
//   stay 0 and no rectangle is read. ImageNum is only read when the image list is not empty.
// - Otherwise entries 1 ... NumOfImages of the image list all receive ImageNum, and the
//   rectangle keys of that image are read into the tables at that image number.
// Each value that did not convert as its key promises leaves a note in notes, in reading order
// (for instance "[HotSpot1] ImageNum: 400 is outside 0 ... 360; ignored."). Nothing is fatal.
struct Descriptor {
    bool present = false; // the descriptor file could be read
    QString fileName;     // FileName: base name of every picture member
    QString fileType;     // FileType: their extension, leading dot included
    qint16 numOfNorth = 0;
    qint16 numOfSouth = 0;
    qint16 numOfWest = 0;
    qint16 numOfEast = 0;
    QString sound; // Sound, as written: the sound member's name, empty for none
    bool soundRepeat = false;
    HotSpotTables hotSpots; // NumOfHotSpots is hotSpots.iHotSpots()
    QStringList notes;
};

// The descriptor member's name.
QString descriptorMemberName();

// Reads every value of ini, in the order the opening has always read them.
Descriptor readDescriptor(const IniFile& ini);

// Reads the descriptor file at path (once). A missing file gives a Descriptor with present false
// and every value empty, zero or false.
Descriptor readDescriptor(const QString& path);
