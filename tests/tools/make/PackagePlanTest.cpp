// The package plan's layout rules and the reach of the viewer's scroll bars, without a picture.
#include "tools/make/PackagePlan.h"
#include "tools/make/NaturalOrder.h"
#include "tools/make/PlanReport.h"
#include "tools/shared/RingReach.h"

#include <algorithm>
#include <gtest/gtest.h>

namespace {

PhotoRow row(const QString& folder, int count) {
    PhotoRow photos{folder, {}};
    for (int i = 0; i < count; ++i)
        photos.files << QStringLiteral("%1/P%2.jpg").arg(folder).arg(i);
    return photos;
}

PackageRequest request(int ring, std::vector<int> up, std::vector<int> down) {
    PackageRequest r;
    r.name = QStringLiteral("pot");
    r.ring = row(QStringLiteral("ring"), ring);
    for (std::size_t i = 0; i < up.size(); ++i)
        r.up.push_back(row(QStringLiteral("up%1").arg(i + 2), up[i]));
    for (std::size_t i = 0; i < down.size(); ++i)
        r.down.push_back(row(QStringLiteral("down%1").arg(i + 2), down[i]));
    return r;
}

TEST(PackagePlan, RefusesEveryLayoutTheViewerCannotTurn) {
    const struct {
        const char* name;
        PackageRequest request;
        const char* says; // empty: accepted
    } cases[] = {
        {"rows every third", request(36, {12, 12}, {12}), ""},
        {"72 + 24", request(72, {24}, {24}), ""},
        {"rows every position", request(36, {36}, {}), ""},
        {"rows of twice the ring", request(36, {72}, {24}), ""},
        {"rows of a ring's count that no column count divides", request(36, {30}, {}),
         "up2 (--up) holds 30 pictures, but the viewer needs 12 there"},
        {"rows every second", request(36, {18}, {18}),
         "holds 18 pictures, but the viewer needs 12"},
        {"rows every sixth", request(36, {12}, {6}), "down2 (--down) holds 6 pictures"},
        {"72 + 36", request(72, {36}, {36}), "needs 24 there"},
        {"72 + 48", request(72, {48}, {}), ""},
        {"ring not a multiple", request(35, {7}, {}), "not a multiple of 3"},
        {"down without up", request(36, {}, {12}), "--down needs --up"},
        {"ten rows", request(36, std::vector<int>(10, 12), {}), "10 rows given with --up"},
        {"nine rows", request(36, std::vector<int>(9, 12), {}), ""},
        {"uneven rows", request(36, {12, 6}, {}), "up3 (--up) holds 6 pictures, but the viewer"},
        {"rows of a shoot beside rows of columns", request(36, {36, 12}, {}), ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const PackagePlan plan = PackagePlan::make(c.request, QStringLiteral(".jpg"), QSize(8, 8));
        EXPECT_EQ(plan.isValid(), *c.says == 0) << plan.error().toStdString();
        EXPECT_TRUE(plan.error().contains(QLatin1String(c.says))) << plan.error().toStdString();
    }
}

TEST(PackagePlan, NamesAndPlacesEveryPicture) {
    PackageRequest r = request(36, {12}, {12});
    r.start = 3;
    r.reverse = true;
    const PackagePlan plan = PackagePlan::make(r, QStringLiteral(".jpg"), QSize(8, 8));
    ASSERT_TRUE(plan.isValid()) << plan.error().toStdString();
    ASSERT_EQ(plan.members().size(), 60u);
    // Reversed from 3: position p holds the picture of angle 3 - p.
    EXPECT_EQ(plan.members()[0].name, QStringLiteral("pot_H_0000.jpg"));
    EXPECT_EQ(plan.members()[0].source, QStringLiteral("ring/P3.jpg"));
    EXPECT_EQ(plan.members()[4].source, QStringLiteral("ring/P35.jpg"));
    // Row picture j was taken at angle 3j: P1 (angle 3) lands on position 0, P0 on 3.
    EXPECT_EQ(plan.members()[36].name, QStringLiteral("pot_V03_0002.jpg"));
    EXPECT_EQ(plan.members()[36].source, QStringLiteral("up2/P0.jpg"));
    EXPECT_EQ(plan.members()[37].name, QStringLiteral("pot_V00_0002.jpg"));
    EXPECT_EQ(plan.members()[48].name, QStringLiteral("pot_M03_0002.jpg"));
    EXPECT_EQ(plan.rings(RingKind::Upper), 12);
    EXPECT_EQ(plan.rows(RingKind::Lower), 1);
}

// A turntable shoot: a row with a photo for every position of the ring gives every third photo
// to the viewer's 12 columns, turned with the ring by --start and --reverse.
TEST(PackagePlan, RowOfAShootGivesThePhotosAtTheViewersColumns) {
    const struct {
        const char* name;
        int start;
        bool reverse;
        int rowPhotos;
        // Column (V number) -> the photo of the row it takes.
        std::vector<std::pair<int, int>> taken;
    } cases[] = {
        {"36 photos", 0, false, 36, {{0, 0}, {3, 3}, {6, 6}, {33, 33}}},
        {"72 photos", 0, false, 72, {{0, 0}, {3, 6}, {33, 66}}},
        {"36 photos from 6", 6, false, 36, {{0, 6}, {3, 9}, {30, 0}, {33, 3}}},
        {"36 photos reversed", 0, true, 36, {{0, 0}, {3, 33}, {33, 3}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        PackageRequest r = request(36, {c.rowPhotos}, {});
        r.start = c.start;
        r.reverse = c.reverse;
        const PackagePlan plan = PackagePlan::make(r, QStringLiteral(".jpg"), QSize(8, 8));
        ASSERT_TRUE(plan.isValid()) << plan.error().toStdString();
        ASSERT_EQ(plan.members().size(), 48u);
        EXPECT_EQ(plan.rings(RingKind::Upper), 12);
        for (const auto& [column, photo] : c.taken) {
            const QString name = QStringLiteral("pot_V%1_0002.jpg").arg(column, 2, 10, QChar('0'));
            const auto member =
                std::find_if(plan.members().begin(), plan.members().end(),
                             [&](const PlannedMember& m) { return m.name == name; });
            ASSERT_NE(member, plan.members().end()) << name.toStdString();
            EXPECT_EQ(member->source, QStringLiteral("up2/P%1.jpg").arg(photo))
                << name.toStdString();
        }
    }
}

TEST(PackagePlan, SummaryNamesRowsByTheirFoldersAndThePhotosTaken) {
    const struct {
        PackageRequest request;
        const char* summary;
    } cases[] = {
        {request(36, {36, 12}, {12}),
         "36 horizontal pictures from ring; 2 rows above of 12 pictures: up2 (photos 1, 4, 7, ... "
         "34: every 3rd of 36), up3; 1 row below of 12 pictures: down2"},
        {request(12, {8}, {}),
         "12 horizontal pictures from ring; 1 row above of 4 pictures: up2 (photos 1, 3, 5, 7: "
         "every 2nd of 8)"},
        {request(5, {}, {}), "5 horizontal pictures from ring"},
    };
    for (const auto& c : cases) {
        const PackagePlan plan = PackagePlan::make(c.request, QStringLiteral(".jpg"), QSize(8, 8));
        ASSERT_TRUE(plan.isValid()) << plan.error().toStdString();
        EXPECT_EQ(packageSummary(plan).toStdString(), c.summary);
    }
}

TEST(PackagePlan, RefusesNamesBeforeAnythingIsWritten) {
    const struct {
        QString name;
        const char* says;
    } cases[] = {
        {QStringLiteral("vase "), "begins or ends with a blank"},
        {QStringLiteral(" vase"), "begins or ends with a blank"},
        {QString(300, QLatin1Char('x')), "bytes long; names longer than 255"},
        {QStringLiteral("a/b"), "holds a slash"},
        {QStringLiteral("my_Vase"), "holds \"_V\""},
        {QString(), "--name is empty"},
    };
    for (const auto& c : cases) {
        PackageRequest r = request(36, {}, {});
        r.name = c.name;
        const PackagePlan plan = PackagePlan::make(r, QStringLiteral(".jpg"), QSize(8, 8));
        EXPECT_TRUE(plan.error().contains(QLatin1String(c.says)))
            << c.name.toStdString() << ": " << plan.error().toStdString();
    }
}

std::vector<std::uint8_t> ringMap(int n, int step, int first = 0) {
    std::vector<std::uint8_t> map(static_cast<std::size_t>(n + 1), 255);
    for (int c = first; step > 0 && c < n; c += step)
        map[static_cast<std::size_t>(c)] = static_cast<std::uint8_t>(n + 1 + c);
    return map;
}

TEST(RingReach, NamesTheRingsTheViewerCannotReach) {
    const struct {
        const char* name;
        int n;
        std::vector<std::uint8_t> upper;
        int upperRows;
        std::vector<std::uint8_t> lower;
        const char* says; // empty: reached in full
    } cases[] = {
        {"no rings", 36, ringMap(36, 0), 0, ringMap(36, 0), ""},
        {"every third", 36, ringMap(36, 3), 4, ringMap(36, 3), ""},
        {"every position", 36, ringMap(36, 1), 1, ringMap(36, 0),
         "the upper rings at positions 1, 2, 4"},
        {"every second", 36, ringMap(36, 2), 1, ringMap(36, 0), "lands on positions 3, 9"},
        {"lower every sixth", 36, ringMap(36, 3), 1, ringMap(36, 6), "where no lower ring"},
        {"lower alone", 36, ringMap(36, 0), 0, ringMap(36, 3), "lower rings are never reached"},
        {"35", 35, ringMap(35, 5), 1, ringMap(35, 0), "not a multiple of 3"},
        {"ten rows", 36, ringMap(36, 3), 10, ringMap(36, 0), "the upper rings have 10 rows"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const QStringList problems = RingReach::problems(c.n, c.upper, c.upperRows, c.lower, 1);
        EXPECT_EQ(problems.isEmpty(), *c.says == 0) << problems.join('\n').toStdString();
        EXPECT_TRUE(problems.join('\n').contains(QLatin1String(c.says)))
            << problems.join('\n').toStdString();
    }
}

TEST(NaturalOrder, SortsAsCamerasNumber) {
    const struct {
        const char* a;
        const char* b;
        bool less;
    } cases[] = {
        {"DSC_2.JPG", "DSC_10.JPG", true},
        {"DSC_10.JPG", "DSC_2.JPG", false},
        {"IMG_0009.jpg", "IMG_0010.jpg", true},
        {"a.jpg", "B.jpg", true},
        {"img09", "img9", true},
        {"x2y10", "x2y9", false},
        {"P1", "P1", false},
        {"ring", "ring1", true},
    };
    for (const auto& c : cases)
        EXPECT_EQ(naturalLess(QLatin1String(c.a), QLatin1String(c.b)), c.less)
            << c.a << " < " << c.b;
    EXPECT_EQ(naturallySorted({"f10", "f9", "f1"}), (QStringList{"f1", "f9", "f10"}));
}

} // namespace
