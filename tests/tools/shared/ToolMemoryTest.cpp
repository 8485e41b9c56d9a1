// The package tool's commands that walk a package a picture at a time check memory for what they
// hold, not for the whole package the viewer holds: the sample package (108 JPEG pictures of
// 640 x 480) under fixed free-memory figures.
#include "tools/make/PlanReport.h"
#include "tools/shared/CheckSummary.h"
#include "tools/shared/PackageWalk.h"
#include "tools/shared/ProgressReporter.h"

#include "opening/FixedFreeMemory.h"

#include <atomic>
#include <gtest/gtest.h>

namespace {

TEST(ToolMemory, AWalkNeedsOnePictureAtATimeAndMakeOnlyWarnsOfTheViewers) {
    const struct {
        const char* name;
        qint64 free;
        qint64 besides; // held by the caller beside the decodes
        bool opens;
        bool decodes;
        const char* says; // in the walk's refusal, or in make's warning
    } cases[] = {
        // The viewer needs 22.6 MB even held compressed; one decode at a time takes 11.4 MB.
        {"too little for the viewer", 20'000'000, 0, true, true,
         "made, but this machine could not open it held decoded: Sorry, not enough space in "
         "memory to load these images. Space available = 20000000. Space required = "},
        {"plenty", qint64(8) << 30, 0, true, true, ""},
        {"not the first picture once", 11'000'000, 0, false, false,
         "The picture teapot_H_0000.jpg is 640 x 480 pixels: decoded once it needs 12 MB, and 11 "
         "MB of memory are free."},
        {"not one decode beside the caller's", 20'000'000, 9'900'000, true, false,
         "Reading its pictures one at a time needs 21 MB, and 20 MB of memory are free."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ProgressReporter progress(QStringLiteral("test"), true);
        PackageWalk walk(progress, std::make_unique<FixedFreeMemory>(c.free));
        ASSERT_EQ(walk.open(QStringLiteral(GYRO_SAMPLE_PACKAGE)), c.opens)
            << walk.message().toStdString();
        if (!c.opens) {
            EXPECT_TRUE(walk.message().contains(QLatin1String(c.says)))
                << walk.message().toStdString();
            continue;
        }
        std::atomic<int> decoded{0};
        const QString problem = walk.decodeAll(
            QSize(), [&decoded](std::size_t, const QImage&) { ++decoded; }, c.besides);
        EXPECT_EQ(problem.isEmpty(), c.decodes) << problem.toStdString();
        EXPECT_EQ(decoded, c.decodes ? 108 : 0);
        const QString said =
            c.decodes ? viewerMemoryWarning(walk, c.free, kDefaultScreen) : problem;
        EXPECT_EQ(said.isEmpty(), QLatin1String(c.says).isEmpty()) << said.toStdString();
        EXPECT_TRUE(said.contains(QLatin1String(c.says))) << said.toStdString();
    }
}

} // namespace
