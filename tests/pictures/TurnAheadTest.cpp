// Decoding ahead of compressed turning, within the memory the cache of decodes keeps.
#include "pictures/TurnAhead.h"

#include "support/TestFiles.h"

#include <gtest/gtest.h>

#include <QImage>
#include <vector>

namespace {

std::vector<PicturePtr> compressedPictures(int count) {
    QImage image(16, 8, QImage::Format_RGB32);
    image.fill(Qt::darkCyan);
    const QByteArray jpeg = encodeImage(image, "JPEG");
    std::vector<PicturePtr> pictures;
    for (int i = 0; i < count; ++i)
        pictures.push_back(Picture::fromEncoded(jpeg, image.size()));
    return pictures;
}

int readyCount(const std::vector<PicturePtr>& pictures) {
    int ready = 0;
    for (const PicturePtr& picture : pictures)
        ready += picture->isReady() ? 1 : 0;
    return ready;
}

// Only as many pictures ahead as half the kept bytes hold are decoded (the nearest, one at
// least), so that big pictures ahead do not push one another out before they are shown.
TEST(TurnAhead, DecodesAsManyAsHalfTheKeptBytesHold) {
    const struct {
        qint64 decodeBytes;
        int ready;
    } cases[] = {
        {1, 6},
        {Picture::kKeptDecodeBytes / 4, 2},
        {Picture::kKeptDecodeBytes, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.decodeBytes);
        const std::vector<PicturePtr> next = compressedPictures(6);
        TurnAhead ahead;
        ahead.prepare(next, c.decodeBytes);
        ahead.waitForDone();
        EXPECT_EQ(readyCount(next), c.ready);
        for (int i = 0; i < c.ready; ++i)
            EXPECT_TRUE(next[std::size_t(i)]->isReady()) << i;
    }
}

// A picture asked for again keeps its decode while ones decoded after it push older ones out.
TEST(TurnAhead, PicturesAskedForAgainOutlastTheOnesLeftBehind) {
    const std::vector<PicturePtr> pictures = compressedPictures(int(Picture::kKeptDecodes) + 1);
    TurnAhead ahead;
    ahead.prepare({pictures[0], pictures[1]}, 1);
    ahead.waitForDone();
    // Asked for again with pictures that fill the cache to its count.
    std::vector<PicturePtr> next{pictures[0]};
    next.insert(next.end(), pictures.begin() + 2, pictures.end());
    ahead.prepare(next, 1);
    ahead.waitForDone();
    EXPECT_TRUE(pictures[0]->isReady());
    EXPECT_FALSE(pictures[1]->isReady());
}

} // namespace
