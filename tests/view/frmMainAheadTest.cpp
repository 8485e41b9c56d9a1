// What the window has decoded ahead of a turn on a vertical ring: the pictures the turns reach.
#include "ViewerFixture.h"
#include "pictures/PictureKeeper.h"

#include <mutex>
#include <set>

namespace {

class DecodesAhead : public Viewer {
protected:
    void SetUp() override {
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
        window.pictureKeeper().watchDecodes([this](const PicturePtr& picture, int, bool forScreen) {
            if (forScreen)
                return;
            const std::lock_guard<std::mutex> lock(m_mutex);
            m_ahead.push_back(picture);
        });
    }

    // The slots of the pictures decoded ahead since the last call, once the work ahead is done.
    std::set<int> slotsDecodedAhead() {
        // The decodes ahead start once the turn is painted.
        QTest::qWait(50);
        window.pictureKeeper().waitForDone();
        std::set<int> slots;
        const std::lock_guard<std::mutex> lock(m_mutex);
        for (int slot = 0; slot <= window.imgArray->upperBound(); ++slot)
            for (const PicturePtr& picture : m_ahead)
                if (window.imgArray->at(slot)->picture() == picture)
                    slots.insert(slot);
        m_ahead.clear();
        return slots;
    }

    std::mutex m_mutex;
    std::vector<PicturePtr> m_ahead;
};

// Rings of one row at every ninth column, turning backward on the ring at column 0: the turn
// wraps past the start and goes back to the horizontal ring at column 33, then one column at a
// time. Above the ring's only row the slot layout holds the next ring, which the bar never shows.
TEST_F(DecodesAhead, OnAVerticalRingFollowTheTurnBackToTheHorizontalRing) {
    settings.bOptUseRam = false;
    TestPackage sparse;
    sparse.upper = TestPackage::evenRings(36, 9, 1);
    open(sparse);
    clickAdd(window.HscrArray);
    clickSub(window.HscrArray); // back at column 0, turning backward
    slotsDecodedAhead();
    window.pictureKeeper().clear(); // so that every picture ahead is decoded again
    clickSub(window.VscrArray);     // up onto the ring at column 0
    ASSERT_EQ(shownMember(), upper(0, 2));
    EXPECT_EQ(slotsDecodedAhead(), (std::set<int>{33, 32, 31, 30, 0}));
}

} // namespace
