#include "toolkit/ScrollBar.h"
#include "qt/WidgetTestTools.h"

#include <QScrollBar>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QTest>
#include <gtest/gtest.h>
#include <vector>

namespace {

// Records every event of a bar together with the value the bar reads at that moment.
struct Recorder {
    explicit Recorder(ScrollBar& bar) {
        QObject::connect(&bar, &ScrollBar::changed,
                         [this, &bar] { changes.push_back(bar.value()); });
        QObject::connect(&bar, &ScrollBar::scrolled,
                         [this, &bar] { scrolls.push_back(bar.value()); });
    }
    std::vector<int> changes;
    std::vector<int> scrolls;
};

// A bar from 10 at the top to -8 at the bottom, starting at 1, shown so it takes input.
struct InvertedBar {
    InvertedBar() : bar(Qt::Vertical) {
        bar.setGeometry(0, 0, 17, 120);
        bar.setMin(10);
        bar.setMax(-8);
        bar.setValue(1);
        bar.show();
    }
    ScrollBar bar;
};

TEST(ScrollBar, InvertedRangeEndsAndDirections) {
    InvertedBar t;
    EXPECT_EQ(t.bar.min(), 10);
    EXPECT_EQ(t.bar.max(), -8);
    EXPECT_EQ(t.bar.value(), 1);

    // Up raises the value, down lowers it, for keys and for arrow clicks.
    QScrollBar* qt = t.bar.bar();
    qt->setFocus();
    QTest::keyClick(qt, Qt::Key_Up);
    EXPECT_EQ(t.bar.value(), 2);
    QTest::keyClick(qt, Qt::Key_Down);
    QTest::keyClick(qt, Qt::Key_Down);
    EXPECT_EQ(t.bar.value(), 0);
    QTest::mouseClick(qt, Qt::LeftButton, {},
                      scrollBarPartRect(qt, QStyle::SC_ScrollBarSubLine).center());
    EXPECT_EQ(t.bar.value(), 1);
    QTest::mouseClick(qt, Qt::LeftButton, {},
                      scrollBarPartRect(qt, QStyle::SC_ScrollBarAddLine).center());
    EXPECT_EQ(t.bar.value(), 0);

    // The top end is 10 and the bottom end -8.
    QTest::keyClick(qt, Qt::Key_Home);
    EXPECT_EQ(t.bar.value(), 10);
    QTest::keyClick(qt, Qt::Key_End);
    EXPECT_EQ(t.bar.value(), -8);
    EXPECT_EQ(qt->sliderPosition(), qt->maximum()); // the thumb sits at the bottom
}

TEST(ScrollBar, SettingFromCodeRaisesChangeInsideTheCallAndClamps) {
    const struct {
        int min, max, start, set, expected;
        bool raised;
    } cases[] = {
        {-1, 36, 0, 5, 5, true},   {-1, 36, 0, 0, 0, false}, {-1, 36, 0, 99, 36, true},
        {-1, 36, 0, -7, -1, true}, {10, -8, 1, 4, 4, true},  {10, -8, 1, 11, 10, true},
        {10, -8, 1, -9, -8, true}, {10, -8, 1, 1, 1, false}, {1, 80, 20, 80, 80, true},
    };
    for (const auto& c : cases) {
        ScrollBar bar(Qt::Horizontal);
        bar.setMin(c.min);
        bar.setMax(c.max);
        bar.setValue(c.start);
        int seenInside = 12345;
        bool returned = false;
        QObject::connect(&bar, &ScrollBar::changed, [&] {
            EXPECT_FALSE(returned) << "change raised after setValue returned";
            seenInside = bar.value();
        });
        bar.setValue(c.set);
        returned = true;
        EXPECT_EQ(bar.value(), c.expected) << c.min << ".." << c.max << " set " << c.set;
        EXPECT_EQ(seenInside != 12345, c.raised) << c.min << ".." << c.max << " set " << c.set;
        if (c.raised) {
            EXPECT_EQ(seenInside, c.expected);
        }
    }
}

TEST(ScrollBar, LeftAndRightKeysMoveAHorizontalThumbTheWayTheyPoint) {
    const struct {
        int min, max;
    } ranges[] = {{-1, 36}, {36, -1}}; // plain, and larger at the left end
    for (const auto& r : ranges) {
        ScrollBar bar(Qt::Horizontal);
        bar.setMin(r.min);
        bar.setMax(r.max);
        bar.setValue(5);
        Recorder events(bar);
        const int towardsRight = r.min < r.max ? 1 : -1;
        QTest::keyClick(bar.bar(), Qt::Key_Right);
        QTest::keyClick(bar.bar(), Qt::Key_Right);
        QTest::keyClick(bar.bar(), Qt::Key_Left);
        EXPECT_EQ((std::vector<int>{5 + towardsRight, 5 + 2 * towardsRight, 5 + towardsRight}),
                  events.changes)
            << r.min << ".." << r.max;
    }
}

TEST(ScrollBar, RangeChangesKeepOrClampTheValue) {
    ScrollBar bar(Qt::Vertical);
    Recorder events(bar);
    bar.setMin(10); // 0 .. 32767 becomes 10 .. 32767: the value is clamped up to 10
    EXPECT_EQ(bar.value(), 10);
    bar.setMax(-8); // the range turns round; 10 stays in it
    EXPECT_EQ(bar.value(), 10);
    bar.setValue(3);
    bar.setMax(5); // 10 .. 5, still inverted: 3 is clamped to 5
    EXPECT_EQ(bar.value(), 5);
    bar.setMin(0); // plain again: 0 .. 5, the value 5 is kept
    EXPECT_EQ(bar.value(), 5);
    EXPECT_EQ((std::vector<int>{10, 3, 5}), events.changes);
}

TEST(ScrollBar, ThumbDragScrollsAndChangesOnlyOnRelease) {
    InvertedBar t;
    Recorder events(t.bar);
    QScrollBar* qt = t.bar.bar();

    qt->setSliderDown(true);
    qt->setSliderPosition(-6); // thumb dragged up to 6
    qt->setSliderPosition(-7);
    EXPECT_EQ(t.bar.value(), 7); // reads the thumb during the drag
    EXPECT_EQ((std::vector<int>{6, 7}), events.scrolls);
    EXPECT_TRUE(events.changes.empty());

    qt->setSliderDown(false);
    EXPECT_EQ((std::vector<int>{7}), events.changes);
    EXPECT_EQ(t.bar.value(), 7);
}

TEST(ScrollBar, MouseDragOnTheHandle) {
    ScrollBar bar(Qt::Horizontal);
    bar.setGeometry(0, 0, 200, 17);
    bar.setMin(1);
    bar.setMax(80);
    bar.setValue(20);
    bar.show();
    Recorder events(bar);
    QScrollBar* qt = bar.bar();

    const QPoint grip = scrollBarPartRect(qt, QStyle::SC_ScrollBarSlider).center();
    QTest::mousePress(qt, Qt::LeftButton, {}, grip);
    QTest::mouseMove(qt, grip + QPoint(30, 0));
    QTest::mouseMove(qt, grip + QPoint(60, 0));
    ASSERT_FALSE(events.scrolls.empty());
    EXPECT_TRUE(events.changes.empty());
    EXPECT_GT(bar.value(), 20);
    const int dragged = bar.value();
    QTest::mouseRelease(qt, Qt::LeftButton, {}, grip + QPoint(60, 0));
    EXPECT_EQ((std::vector<int>{dragged}), events.changes);
}

} // namespace
