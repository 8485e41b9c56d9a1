// Turning a real package with the two navigation bars, as the user does: arrow clicks, keys and
// thumb drags. Pictures are told apart by object identity (the slot's shared picture) and by the
// flat colour of the package member.
#include "ViewerFixture.h"
#include "pictures/PictureKeeper.h"

#include <QElapsedTimer>
#include <QLabel>
#include <QThread>
#include <functional>

namespace {

class Turning : public Viewer {
protected:
    // Everything the horizontal handler writes for a view of column `column` showing `slot`.
    // The fields beside the picture are first written by a turn, not by the opening.
    void expectView(int column, int slot, const QString& member, bool fields = true) {
        EXPECT_EQ(shownSlot(), slot);
        EXPECT_EQ(shownMember(), member);
        EXPECT_EQ(window.HscrArray->value(), column);
        EXPECT_EQ(window.iCurrent, column);
        EXPECT_EQ(window.iLastH, column);
        if (fields) {
            EXPECT_EQ(text(window.txtHorizontal), QString::number(column));
            EXPECT_EQ(text(window.txtImageNum), QString::number(slot));
        }
    }

    void up() { clickSub(window.VscrArray); }   // the upper arrow raises the view
    void down() { clickAdd(window.VscrArray); } // the lower arrow lowers it
    void right() { clickAdd(window.HscrArray); }
    void left() { clickSub(window.HscrArray); }
    void setVertical(int v) {
        while (window.VscrArray->value() < v)
            up();
        while (window.VscrArray->value() > v)
            down();
    }

    // Drags a bar's thumb to a value without letting go.
    static void dragTo(ScrollBar* bar, int value) {
        bar->bar()->setSliderDown(true);
        bar->bar()->setSliderPosition(bar->min() > bar->max() ? -value : value);
    }
    static void release(ScrollBar* bar) { bar->bar()->setSliderDown(false); }

    void SetUp() override {
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    }
};

TEST_F(Turning, HorizontalRingWrapsAtBothEnds) {
    open(ringedPackage());
    expectView(0, 0, horizontal(0), false);
    EXPECT_EQ(window.imgMain->toolTip(), QStringLiteral("0"));

    const struct {
        const char* step;
        std::function<void()> act;
        int column;
    } steps[] = {
        {"left arrow from 0", [&] { left(); }, 35},
        {"right arrow from 35", [&] { right(); }, 0},
        {"Left key from 0", [&] { key(window.HscrArray, Qt::Key_Left); }, 35},
        {"Left key from 35", [&] { key(window.HscrArray, Qt::Key_Left); }, 34},
        {"right arrow from 34", [&] { right(); }, 35},
        {"Right key from 35", [&] { key(window.HscrArray, Qt::Key_Right); }, 0},
        {"right arrow from 0", [&] { right(); }, 1},
        {"Up key from 1", [&] { key(window.HscrArray, Qt::Key_Up); }, 0},
        {"Up key from 0", [&] { key(window.HscrArray, Qt::Key_Up); }, 35},
        {"Down key from 35", [&] { key(window.HscrArray, Qt::Key_Down); }, 0},
    };
    for (const auto& s : steps) {
        SCOPED_TRACE(s.step);
        s.act();
        expectView(s.column, s.column, horizontal(s.column));
        EXPECT_EQ(window.imgMain->toolTip(), QString::number(s.column));
        EXPECT_EQ(text(window.txtVertical), QStringLiteral("1"));
    }
}

TEST_F(Turning, ArrowKeysOnTheVerticalBarRaiseWithUpAndLeft) {
    open(ringedPackage());
    const struct {
        Qt::Key key;
        int vertical;
    } steps[] = {
        {Qt::Key_Up, 2},    {Qt::Key_Down, 1},  {Qt::Key_Left, 2},  {Qt::Key_Left, 3},
        {Qt::Key_Right, 2}, {Qt::Key_Right, 1}, {Qt::Key_Right, 0},
    };
    for (const auto& s : steps) {
        key(window.VscrArray, s.key);
        EXPECT_EQ(window.VscrArray->value(), s.vertical) << QTest::toString(s.key);
        EXPECT_EQ(text(window.txtVertical), QString::number(s.vertical));
    }
    EXPECT_EQ(shownMember(), lower(0, 2));
}

TEST_F(Turning, VerticalBarEnabledOnlyWhereAnUpperRingBranchesOff) {
    TestPackage p;
    p.upper = TestPackage::evenRings(36, 9, 2); // columns 0, 9, 18, 27
    p.lower = {{4, 2}};                         // a lower ring alone enables nothing
    open(p);
    EXPECT_TRUE(window.VscrArray->isEnabled());
    for (int column : {1, 4, 9, 10, 27, 35, 0}) {
        SCOPED_TRACE(column);
        window.HscrArray->setValue(column);
        EXPECT_EQ(window.VscrArray->isEnabled(), column % 9 == 0);
    }
}

TEST_F(Turning, VerticalRingsStepThreeColumnsAndWrap) {
    open(ringedPackage());
    const int rings = 37; // the upper rings start after the 36 positions and the empty slot 36
    setVertical(4);       // row 4 of the column's upper ring
    EXPECT_EQ(shownSlot(), rings + 2);
    EXPECT_EQ(shownMember(), upper(0, 4));
    const QSize size = window.imgMain->size();
    const QString tip = window.imgMain->toolTip();

    const struct {
        const char* step;
        std::function<void()> act;
        int column;
    } steps[] = {
        {"left from 0 lands on 33", [&] { left(); }, 33},
        {"right from 33 lands on 0", [&] { right(); }, 0},
        {"right from 0", [&] { right(); }, 3},
        {"right from 3", [&] { key(window.HscrArray, Qt::Key_Right); }, 6},
        {"left from 6", [&] { left(); }, 3},
        {"left from 3", [&] { left(); }, 0},
    };
    for (const auto& s : steps) {
        SCOPED_TRACE(s.step);
        s.act();
        const int slot = window.UpperRing[std::size_t(s.column)] + 2;
        expectView(s.column, slot, upper(s.column, 4));
        EXPECT_EQ(slot, rings + s.column + 2); // three rows per ring, one ring every third column
        EXPECT_EQ(window.imgMain->size(), size);
        EXPECT_EQ(window.imgMain->toolTip(), tip);
        EXPECT_EQ(text(window.txtVertical), QStringLiteral("4"));
    }
}

TEST_F(Turning, VerticalBarPicksRowsOfTheColumnsRings) {
    open(ringedPackage());
    right();
    right();
    right(); // column 3
    const int column = 3;
    const int upperSlot = window.UpperRing[column];
    const int lowerSlot = window.LowerRing[column];
    const struct {
        int v;
        int slot;
        QString member;
    } rows[] = {
        {2, upperSlot, upper(3, 2)}, {4, upperSlot + 2, upper(3, 4)},  {1, column, horizontal(3)},
        {0, lowerSlot, lower(3, 2)}, {-1, lowerSlot + 1, lower(3, 3)}, {1, column, horizontal(3)},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.v);
        setVertical(r.v);
        EXPECT_EQ(shownSlot(), r.slot);
        EXPECT_EQ(shownMember(), r.member);
        EXPECT_EQ(text(window.txtImageNum), QString::number(r.slot));
        EXPECT_EQ(text(window.txtVertical), QString::number(r.v));
        EXPECT_EQ(window.iCurrent, column);
        EXPECT_EQ(window.HscrArray->value(), column);
    }
    // On the lower rings the horizontal bar steps three columns as well.
    setVertical(-1);
    right();
    expectView(6, window.LowerRing[6] + 1, lower(6, 3));
}

TEST_F(Turning, ThumbDragsChangeNothingUntilReleased) {
    open(ringedPackage());
    dragTo(window.HscrArray, 10);
    EXPECT_EQ(shownSlot(), 0);
    EXPECT_EQ(window.iCurrent, 0);
    EXPECT_EQ(window.iLastH, 0);
    release(window.HscrArray);
    expectView(10, 10, horizontal(10));

    window.HscrArray->setValue(9);
    dragTo(window.VscrArray, 3);
    EXPECT_EQ(shownSlot(), 9);
    release(window.VscrArray);
    EXPECT_EQ(shownMember(), upper(9, 3));
}

TEST_F(Turning, OpeningAnotherPackageKeepsTheVerticalValue) {
    open(ringedPackage());
    setVertical(4);
    TestPackage second = ringedPackage();
    second.baseName = QStringLiteral("car");
    second.horizontal = 24;
    second.upper = TestPackage::evenRings(24, 3, 3);
    second.lower.clear();
    open(second, QStringLiteral("car.360"));
    EXPECT_EQ(window.VscrArray->value(), 4);
    expectView(0, 0, horizontal(0), false);
    right(); // follows the kept vertical value: three columns on the upper rings
    expectView(3, window.UpperRing[3] + 2, upper(3, 4));
}

// Past a ring's top or bottom row the slot layout holds other columns' rings: the bar goes back
// to the last row there is, and the view stays on it.
TEST_F(Turning, VerticalBarStaysOnThePackagesRows) {
    TestPackage oneRow;
    oneRow.upper = TestPackage::evenRings(36, 3, 1);
    TestPackage upperOnly;
    upperOnly.upper = TestPackage::evenRings(36, 3, 3);

    const struct {
        const char* name;
        TestPackage package;
        std::function<void()> act;
        int vertical; // where the bar ends
        std::function<QString()> member;
    } cases[] = {
        {"up-clicks on rings of one row", oneRow,
         [&] {
             for (int i = 0; i < 4; ++i)
                 up();
         },
         2, [&] { return upper(0, 2); }},
        {"the thumb let go at the top of the bar", ringedPackage(),
         [&] {
             dragTo(window.VscrArray, 10);
             release(window.VscrArray);
         },
         4, [&] { return upper(0, 4); }},
        {"down-clicks past the lower rings' two rows", ringedPackage(),
         [&] {
             for (int i = 0; i < 5; ++i)
                 down();
         },
         -1, [&] { return lower(0, 3); }},
        {"below 1 without lower rings", upperOnly, [&] { down(); }, 1,
         [&] { return horizontal(0); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        window.VscrArray->setValue(1);
        open(c.package);
        c.act();
        EXPECT_EQ(window.VscrArray->value(), c.vertical);
        EXPECT_EQ(text(window.txtVertical), QString::number(c.vertical));
        EXPECT_EQ(shownMember(), c.member());
        EXPECT_EQ(window.HscrArray->value(), 0);
        EXPECT_EQ(window.iCurrent, 0);
    }
}

TEST_F(Turning, TurnsOntoAColumnWithoutTheRingReturnToTheHorizontalRing) {
    TestPackage sparse;
    sparse.upper = TestPackage::evenRings(36, 9, 2);
    TestPackage flat;

    const struct {
        const char* name;
        TestPackage package;
        std::function<void()> act;
        int column; // where the view lands, on the horizontal ring
    } cases[] = {
        {"three columns onto a column without rings", sparse,
         [&] {
             up();
             right();
         },
         3},
        {"three columns past the left end after a drag", ringedPackage(),
         [&] {
             up();
             right(); // column 3
             dragTo(window.HscrArray, 1);
             release(window.HscrArray);
         },
         35},
        {"a vertical value kept from a package with rings", flat,
         [&] {
             // The previous package left the vertical bar above the horizontal ring (the
             // opening leaves its value as it is, without a change).
             window.bBusy = true;
             window.VscrArray->setValue(3);
             window.bBusy = false;
             right();
         },
         3},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        window.VscrArray->setValue(1);
        open(c.package);
        c.act();
        EXPECT_EQ(window.VscrArray->value(), 1);
        EXPECT_EQ(text(window.txtVertical), QStringLiteral("1"));
        EXPECT_EQ(window.HscrArray->value(), c.column);
        expectView(c.column, c.column, horizontal(c.column));
        right(); // and the object turns one column at a time again
        expectView(c.column == 35 ? 0 : c.column + 1, c.column == 35 ? 0 : c.column + 1,
                   horizontal(c.column == 35 ? 0 : c.column + 1));
    }
}

TEST_F(Turning, CompressedPicturesDecodeWhenShownAndStayDecodedForATurnBack) {
    settings.bOptUseRam = false;
    open(ringedPackage());
    auto paint = [&] { window.imgMain->repaint(); };
    paint();
    const qint64 start = window.pictureKeeper().shownDecodes();
    right();
    paint();
    EXPECT_EQ(window.pictureKeeper().shownDecodes(), start + 1);
    EXPECT_EQ(shownMember(), horizontal(1));
    left();
    paint();
    right();
    paint();
    EXPECT_EQ(window.pictureKeeper().shownDecodes(), start + 1);
}

} // namespace

namespace {

// Runs the event loop (at most five seconds) until the pictures of these slots need no decode to be
// shown.
bool readyInTime(frmMain& window, std::initializer_list<int> slots) {
    QElapsedTimer waited;
    waited.start();
    auto ready = [&] {
        for (const int slot : slots)
            if (window.pictureKeeper().kept(window.imgArray->at(slot)->picture()).isNull())
                return false;
        return true;
    };
    while (!ready() && waited.elapsed() < 5000) {
        QApplication::processEvents(); // the decodes ahead start once the turn is painted
        QThread::msleep(5);
    }
    return ready();
}

TEST_F(Turning, CompressedTurningFindsThePicturesAheadDecodedAndAJumpCostsOneDecode) {
    settings.bOptUseRam = false;
    open(ringedPackage());
    right(); // column 1, decoded as it is shown; the columns after it are decoded ahead
    ASSERT_TRUE(readyInTime(window, {2, 3, 4, 5}));
    const qint64 start = window.pictureKeeper().shownDecodes();
    for (int column = 2; column <= 5; ++column) {
        right();
        window.imgMain->repaint();
        EXPECT_EQ(shownMember(), horizontal(column));
        ASSERT_TRUE(readyInTime(window, {column + 1}));
    }
    // Up onto the ring branching off at column 3 after a turn back there: found decoded ahead.
    left();
    left();
    ASSERT_TRUE(readyInTime(window, {window.UpperRing[3]}));
    up();
    EXPECT_EQ(shownSlot(), window.UpperRing[3]);
    EXPECT_EQ(window.pictureKeeper().shownDecodes(), start);

    window.VscrArray->setValue(1);
    window.HscrArray->setValue(20); // a jump: one decode
    window.imgMain->repaint();
    EXPECT_EQ(shownMember(), horizontal(20));
    EXPECT_EQ(window.pictureKeeper().shownDecodes(), start + 1);
}

// Turning faster than pictures decode (a held arrow key whose presses queue up behind a paint):
// the window shows the latest position, and the positions passed are neither painted nor decoded.
TEST_F(Turning, CompressedTurningAtPaceShowsTheLatestPosition) {
    settings.bOptUseRam = false;
    open(ringedPackage());
    window.imgMain->repaint();
    window.pictureKeeper().waitForDone();
    const qint64 start = window.pictureKeeper().shownDecodes();
    for (int i = 0; i < 9; ++i)
        QCoreApplication::postEvent(window.HscrArray->bar(),
                                    new QKeyEvent(QEvent::KeyPress, Qt::Key_Right, {}));
    QApplication::processEvents();
    window.pictureKeeper().waitForDone();
    QApplication::processEvents();
    EXPECT_EQ(window.HscrArray->value(), 9);
    EXPECT_EQ(shownMember(), horizontal(9));
    EXPECT_EQ(window.imgMain->grab().toImage().pixelColor(0, 0),
              TestPackage::colourFor(horizontal(9)));
    EXPECT_LE(window.pictureKeeper().shownDecodes() - start, 1);
}

} // namespace
