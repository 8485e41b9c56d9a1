// The eight EXIF orientations, against upright pictures written down by hand from the tag's
// definition: the tag names where the stored picture's first row and first column belong.
#include "tools/photo/ExifOrientation.h"

#include <QColor>
#include <QImage>
#include <cstring>
#include <gtest/gtest.h>
#include <vector>

namespace {

// One colour a letter: the stored picture is "abc" over "def".
QRgb colourOf(char letter) {
    switch (letter) {
    case 'a':
        return qRgb(255, 0, 0);
    case 'b':
        return qRgb(0, 255, 0);
    case 'c':
        return qRgb(0, 0, 255);
    case 'd':
        return qRgb(255, 255, 0);
    case 'e':
        return qRgb(0, 255, 255);
    default:
        return qRgb(255, 0, 255);
    }
}

// A picture from its rows of letters, top to bottom.
QImage pictureOf(const std::vector<const char*>& rows) {
    const int width = int(std::strlen(rows.front()));
    QImage image(width, int(rows.size()), QImage::Format_RGB32);
    int y = 0;
    for (const char* row : rows) {
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, colourOf(row[x]));
        ++y;
    }
    return image;
}

TEST(ExifOrientation, EveryTagStandsThePictureUprightAsItsDefinitionSays) {
    const QImage stored = pictureOf({"abc", "def"});
    struct Case {
        int tag;
        std::vector<const char*> upright;
    } const cases[] = {
        {1, {"abc", "def"}},     // first row at the top, first column on the left
        {2, {"cba", "fed"}},     // top, right
        {3, {"fed", "cba"}},     // bottom, right
        {4, {"def", "abc"}},     // bottom, left
        {5, {"ad", "be", "cf"}}, // first row on the left, first column at the top
        {6, {"da", "eb", "fc"}}, // right, top: a quarter turn clockwise
        {7, {"fc", "eb", "da"}}, // right, bottom
        {8, {"cf", "be", "ad"}}, // left, bottom: a quarter turn anticlockwise
        {0, {"abc", "def"}},     // no tag: as stored
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "orientation " << c.tag);
        const QImage expected = pictureOf(c.upright);
        const QImage made =
            ExifOrientation::upright(stored, c.tag).convertToFormat(QImage::Format_RGB32);
        EXPECT_EQ(ExifOrientation::uprightSize(stored.size(), c.tag), expected.size());
        ASSERT_EQ(made.size(), expected.size());
        for (int y = 0; y < made.height(); ++y)
            for (int x = 0; x < made.width(); ++x)
                EXPECT_EQ(QColor(made.pixel(x, y)).name(), QColor(expected.pixel(x, y)).name())
                    << "at " << x << "," << y;
    }
}

} // namespace
