// The loading of a package's pictures behind its first one: the order it decodes them in, the
// pictures wanted before their turn, and the progress lines, which keep their list order.
#include "opening/BackgroundLoading.h"
#include "opening/PictureJobs.h"
#include "support/RecordingProgressSink.h"
#include "support/TempDir.h"
#include "support/TestFiles.h"

#include <QFile>
#include <QImage>
#include <gtest/gtest.h>
#include <map>

namespace {

TEST(PictureJobs, ViewingOrderIsTheShownPictureThenItsNeighboursThenTheRings) {
    const struct {
        int horizontal;
        int total;
        std::vector<int> order;
    } cases[] = {
        {1, 1, {0}},
        {2, 2, {0, 1}},
        {5, 5, {0, 1, 4, 2, 3}},
        {6, 6, {0, 1, 5, 2, 4, 3}},
        {4, 7, {0, 1, 3, 2, 4, 5, 6}},
        {0, 0, {}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(PictureJobs::viewingOrder(c.horizontal, c.total), c.order)
            << c.horizontal << " + " << c.total - c.horizontal;
}

class Loading : public ::testing::Test {
protected:
    static constexpr int kPictures = 12;

    // Twelve small pictures in files, job k filling slot k + 1 (slot 0 stays empty), with a line
    // before each even job and after each odd one.
    BackgroundLoading::Setup setup() {
        BackgroundLoading::Setup s;
        for (int k = 0; k < kPictures; ++k) {
            const QString path = dir.file(QStringLiteral("p%1.png").arg(k));
            QImage image(16, 8, QImage::Format_RGB32);
            image.fill(QColor(k * 20, 0, 0));
            QFile file(path);
            EXPECT_TRUE(file.open(QIODevice::WriteOnly));
            file.write(encodeImage(image, "PNG"));
            const QString line = QStringLiteral("line %1").arg(k);
            s.jobs.push_back({path, QStringLiteral("p%1.png").arg(k), k + 1,
                              k % 2 == 0 ? line : QString(), k % 2 == 1 ? line : QString()});
        }
        s.order = {5, 4, 6, 3, 7, 2, 8, 1, 9, 0, 10, 11};
        s.budget = qint64(1) << 30;
        return s;
    }

    BackgroundLoading::Callbacks record() {
        return {[this](int slot, const PicturePtr& picture) { held[slot].push_back(picture); },
                [this](const QString& problem) { failures << problem; }, [this] { ++done; }};
    }

    TempDir dir;
    RecordingProgressSink progress;
    std::map<int, std::vector<PicturePtr>> held;
    QStringList failures;
    int done = 0;
};

TEST_F(Loading, EveryPictureIsDecodedOnceAndHeldOnceWhateverIsWantedFirst) {
    BackgroundLoading loading(setup(), progress, record());
    const PicturePtr wanted = loading.now(10); // job 9, last but two in the order
    ASSERT_TRUE(wanted);
    EXPECT_EQ(wanted->image().pixelColor(0, 0), QColor(9 * 20, 0, 0));
    EXPECT_EQ(held[10], std::vector<PicturePtr>{wanted});
    EXPECT_FALSE(loading.now(0)); // no job fills it
    loading.start();
    EXPECT_TRUE(loading.now(1));
    loading.finish();

    EXPECT_TRUE(loading.finished());
    EXPECT_EQ(failures, QStringList{});
    EXPECT_EQ(done, 1);
    EXPECT_EQ(loading.decodedByWorkers() + loading.decodedHere(), kPictures);
    EXPECT_EQ(int(held.size()), kPictures);
    for (const auto& [slot, pictures] : held) {
        ASSERT_EQ(pictures.size(), 1u) << slot;
        EXPECT_EQ(pictures.front()->image().pixelColor(0, 0), QColor((slot - 1) * 20, 0, 0));
        EXPECT_FALSE(QFile::exists(dir.file(QStringLiteral("p%1.png").arg(slot - 1))));
    }
    // The lines in list order, each once, whatever order the pictures came in.
    QStringList lines;
    for (int k = 0; k < kPictures; ++k)
        lines << QStringLiteral("line %1").arg(k);
    EXPECT_EQ(progress.messages, lines);
}

TEST_F(Loading, ABrokenPictureStopsTheLoadingWithTheLoadersMessage) {
    BackgroundLoading::Setup s = setup();
    QFile broken(s.jobs[7].path);
    ASSERT_TRUE(broken.open(QIODevice::WriteOnly | QIODevice::Truncate));
    broken.write(QByteArray(300, 'x'));
    broken.close();
    BackgroundLoading loading(std::move(s), progress, record());
    loading.start();
    loading.finish();
    ASSERT_EQ(failures.size(), 1);
    EXPECT_TRUE(failures.first().startsWith(QStringLiteral("The picture p7.png cannot be decoded")))
        << failures.first().toStdString();
    EXPECT_EQ(loading.problem(), failures.first());
    EXPECT_FALSE(loading.finished());
    EXPECT_EQ(done, 0);
    EXPECT_FALSE(loading.now(8));       // a failed loading holds nothing more
    for (int k = 0; k < kPictures; ++k) // no file of the loading is left
        EXPECT_FALSE(QFile::exists(dir.file(QStringLiteral("p%1.png").arg(k)))) << k;
}

} // namespace
