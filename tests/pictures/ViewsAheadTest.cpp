// Views painted ahead of a turn for a photo with a screen level: from the level where the paint
// shows it at the level's size or less, from the whole picture's decode where the paint is past it.
#include "pictures/ViewsAhead.h"

#include "pictures/JpegDecoder.h"
#include "pictures/PictureKeeper.h"

#include "support/JpegFiles.h"

#include <gtest/gtest.h>

namespace {

constexpr QSize kNatural(64, 48);
constexpr int kLevel = 2; // the level: 32 x 24

PicturePtr levelPicture(const QByteArray& jpeg, bool heldDecoded) {
    if (!heldDecoded)
        return Picture::fromEncoded(jpeg, kNatural, kLevel);
    const JpegDecoder::Result level =
        JpegDecoder::decode(jpeg, {}, JpegDecoder::Output::Planes, [](QSize) { return kLevel; });
    return Picture::fromLevel({level.image, level.planes}, jpeg, kNatural, kLevel);
}

TEST(ViewsAhead, PastTheLevelAViewIsPaintedFromTheWholePicture) {
    const QByteArray jpeg = encodeJpegSampled(detailedPicture(kNatural), JpegSampling::S420);
    const QImage whole = JpegDecoder::decode(jpeg).image;
    const struct {
        const char* what;
        bool heldDecoded;
        QSize control;
        QRect target;
        bool fromWhole; // else the level's view, as the picture paints it
    } cases[] = {
        {"held decoded, past the level", true, kNatural, QRect(5, 3, 40, 30), true},
        {"held compressed, past the level", false, kNatural, QRect(0, 0, 64, 48), true},
        {"held decoded, at the level", true, QSize(32, 24), QRect(2, 1, 20, 16), false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const PicturePtr picture = levelPicture(jpeg, c.heldDecoded);
        PictureKeeper keeper;
        keeper.ahead({picture}, c.control); // the decode a paint of that size needs
        keeper.waitForDone();
        const ViewSpec placement{c.control, true, c.target, QPoint(0, 0), QImage::Format_RGB32,
                                 c.control};
        keeper.views().prepare({picture}, placement);
        keeper.views().waitForDone();
        const QImage view = keeper.views().view(picture, placement);
        ASSERT_FALSE(view.isNull());
        if (c.fromWhole)
            EXPECT_EQ(view, whole.copy(c.target));
        else
            EXPECT_EQ(view, ViewsAhead::render(picture->decodeAtLevel(), placement));
    }
}

} // namespace
