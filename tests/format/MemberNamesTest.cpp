#include "format/MemberNames.h"

#include <gtest/gtest.h>

namespace {

struct FieldCase {
    int number;
    const char* position;
    const char* column;
    const char* row;
};

TEST(MemberNames, NumberFieldsHaveTheirFixedWidths) {
    const FieldCase cases[] = {
        {0, "0000", "00", "0000"},         {2, "0002", "02", "0002"},
        {7, "0007", "07", "0007"},         {9, "0009", "09", "0009"},
        {10, "0010", "10", "0010"},        {12, "0012", "12", "0012"},
        {42, "0042", "42", "0042"},        {99, "0099", "99", "0099"},
        {100, "0100", "100", "00100"},     {120, "0120", "120", "00120"},
        {123, "0123", "123", "00123"},     {255, "0255", "255", "00255"},
        {1234, "01234", "1234", "001234"},
    };
    for (const FieldCase& c : cases) {
        SCOPED_TRACE(c.number);
        EXPECT_EQ(positionField(c.number), QString::fromLatin1(c.position));
        EXPECT_EQ(columnField(c.number), QString::fromLatin1(c.column));
        EXPECT_EQ(rowField(c.number), QString::fromLatin1(c.row));
    }
}

TEST(MemberNames, WholeNamesJoinBaseMarkerFieldsAndExtension) {
    const QString car = QStringLiteral("car");
    const QString jpg = QStringLiteral(".jpg");
    EXPECT_EQ(horizontalMemberName(car, 0, jpg), "car_H_0000.jpg");
    EXPECT_EQ(horizontalMemberName(car, 7, jpg), "car_H_0007.jpg");
    EXPECT_EQ(horizontalMemberName(car, 1234, jpg), "car_H_01234.jpg");
    EXPECT_EQ(upperMemberName(car, 5, 12, jpg), "car_V05_0012.jpg");
    EXPECT_EQ(upperMemberName(car, 120, 3, jpg), "car_V120_0003.jpg");
    EXPECT_EQ(upperMemberName(car, 9, 2, jpg), "car_V09_0002.jpg");
    EXPECT_EQ(lowerMemberName(car, 27, 4, jpg), "car_M27_0004.jpg");
    EXPECT_EQ(verticalMemberName(car, RingKind::Lower, 0, 2, jpg), "car_M00_0002.jpg");
    // The extension is appended as the descriptor gives it.
    EXPECT_EQ(horizontalMemberName(QStringLiteral("my car"), 1, QStringLiteral(".JPEG")),
              "my car_H_0001.JPEG");
    EXPECT_EQ(horizontalMemberName(car, 3, QString()), "car_H_0003");
}

} // namespace
