// The main window as laid out before any package is open.
#include "MainWindowServices.h"
#include "format/OptionSettings.h"
#include "opening/FixedFreeMemory.h"
#include "qt/WidgetTestTools.h"
#include "sound/MediaControl.h"
#include "support/ScriptedPrompter.h"
#include "toolkit/CommonDialog.h"
#include "toolkit/ImageArray.h"
#include "toolkit/ImageControl.h"
#include "toolkit/Program.h"
#include "toolkit/ScrollBar.h"
#include "view/frmMain.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QScrollBar>
#include <gtest/gtest.h>

namespace {

struct MainWindowFixture : ::testing::Test, MainWindowServices {
    frmMain window{prompter, program, settings, media, freeMemory};
};

QString textOf(QWidget* control) {
    if (auto* label = qobject_cast<QLabel*>(control))
        return label->text();
    if (auto* field = qobject_cast<QLineEdit*>(control))
        return field->text();
    if (auto* button = qobject_cast<QAbstractButton*>(control))
        return button->text();
    return QString();
}

using Layout = MainWindowFixture;

TEST_F(Layout, EveryControlAtItsPlaceWithItsTextAndState) {
    frmMain& w = window;
    const struct {
        const char* name;
        QWidget* control;
        QRect pixels;
        const char* text;
        bool visible;
        bool enabled;
    } cases[] = {
        {"imgMain", w.imgMain, {8, 56, 129, 121}, "", false, true},
        {"imgArray(0)", w.imgArray->at(0), {152, 136, 41, 33}, "", false, true},
        {"HscrArray", w.HscrArray, {32, 16, 49, 17}, "", false, true},
        {"VscrArray", w.VscrArray, {48, 0, 17, 49}, "", false, false},
        {"cmdTop", w.cmdTop, {48, 16, 17, 17}, "", false, false},
        {"txtHorizontal", w.txtHorizontal, {256, 0, 25, 19}, "", true, false},
        {"txtVertical", w.txtVertical, {256, 16, 25, 19}, "", false, false},
        {"Label1", w.Label1, {192, 0, 57, 17}, "Horizontal:", true, true},
        {"Label2", w.Label2, {200, 16, 41, 17}, "Vertical:", false, true},
        {"hscrlZoom", w.hscrlZoom, {96, 16, 81, 17}, "", false, true},
        {"lblZoom", w.lblZoom, {104, 0, 73, 17}, "Zoom: 100%", false, true},
        {"chkAutoSpin", w.chkAutoSpin, {96, 40, 81, 13}, "AutoSpin", false, false},
        {"txtImageNum", w.txtImageNum, {288, 16, 25, 19}, "", false, false},
        {"lblImageNum", w.lblImageNum, {288, 0, 33, 17}, "Image:", false, true},
        {"lblX", w.lblX, {8, 0, 33, 17}, "0", true, true},
        {"lblY", w.lblY, {8, 32, 33, 17}, "0", true, true},
        {"lblInOut", w.lblInOut, {280, 40, 41, 17}, "Out", true, true},
    };
    for (const auto& c : cases) {
        ASSERT_NE(c.control, nullptr) << c.name;
        EXPECT_EQ(c.control->parentWidget(), w.centralWidget()) << c.name;
        EXPECT_EQ(c.control->geometry(), c.pixels) << c.name;
        EXPECT_EQ(textOf(c.control), QString::fromLatin1(c.text)) << c.name;
        EXPECT_EQ(!c.control->isHidden(), c.visible) << c.name;
        EXPECT_EQ(c.control->isEnabled(), c.enabled) << c.name;
    }
    EXPECT_FALSE(w.chkAutoSpin->isChecked());
    EXPECT_FALSE(w.imgMain->stretch());
    EXPECT_EQ(w.imgMain->picture(), nullptr);
    EXPECT_EQ(w.imgArray->count(), 1);
    for (QLineEdit* field : {w.txtHorizontal, w.txtVertical, w.txtImageNum})
        EXPECT_TRUE(field->text().isEmpty());
    // The captionless button covers exactly the square where the navigation bars cross.
    EXPECT_EQ(w.cmdTop->geometry(), w.HscrArray->geometry() & w.VscrArray->geometry());
}

TEST_F(Layout, ScrollBarRanges) {
    const struct {
        const char* name;
        ScrollBar* bar;
        Qt::Orientation orientation;
        int min, max, value, small, large;
    } cases[] = {
        {"HscrArray", window.HscrArray, Qt::Horizontal, -1, 36, 0, 1, 1},
        {"VscrArray", window.VscrArray, Qt::Vertical, 10, -8, 1, 1, 1},
        {"hscrlZoom", window.hscrlZoom, Qt::Horizontal, 1, 80, 20, 1, 1},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.bar->bar()->orientation(), c.orientation) << c.name;
        EXPECT_EQ(c.bar->min(), c.min) << c.name;
        EXPECT_EQ(c.bar->max(), c.max) << c.name;
        EXPECT_EQ(c.bar->value(), c.value) << c.name;
        EXPECT_EQ(c.bar->smallChange(), c.small) << c.name;
        EXPECT_EQ(c.bar->largeChange(), c.large) << c.name;
        EXPECT_FALSE(c.bar->bar()->hasTracking()) << c.name;
    }
    // VscrArray: the up arrow raises the value; the ends are 10 at the top and -8 at the bottom.
    QScrollBar* v = window.VscrArray->bar();
    v->triggerAction(QAbstractSlider::SliderSingleStepSub);
    EXPECT_EQ(window.VscrArray->value(), 2);
    v->triggerAction(QAbstractSlider::SliderToMinimum);
    EXPECT_EQ(window.VscrArray->value(), 10);
    v->triggerAction(QAbstractSlider::SliderToMaximum);
    EXPECT_EQ(window.VscrArray->value(), -8);
}

TEST_F(Layout, TabOrderAndNoFocusForLabelsAndImages) {
    const QList<QWidget*> expected = {
        window.HscrArray->bar(), window.VscrArray->bar(), window.cmdTop,      window.txtHorizontal,
        window.txtVertical,      window.hscrlZoom->bar(), window.chkAutoSpin, window.txtImageNum,
    };
    EXPECT_EQ(tabStops(&window), expected);
    for (QWidget* control : std::initializer_list<QWidget*>{
             window.Label1, window.Label2, window.lblZoom, window.lblImageNum, window.lblX,
             window.lblY, window.lblInOut, window.imgMain, window.imgArray->at(0)})
        EXPECT_EQ(control->focusPolicy(), Qt::NoFocus);
}

TEST_F(Layout, WindowAndMenu) {
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Gyrolook"));
    window.show();
    EXPECT_EQ(window.centralWidget()->size(), QSize(406, 281)); // 6090 x 4215 twips
    EXPECT_EQ(window.centralWidget()->y(), window.menuBar()->height());
    EXPECT_TRUE(window.windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_TRUE(window.windowFlags() & Qt::WindowMinimizeButtonHint);

    const QList<QAction*> top = window.menuBar()->actions();
    ASSERT_EQ(top.size(), 3);
    EXPECT_EQ(top[0], window.mnuFile->menuAction());
    EXPECT_EQ(top[1], window.mnuAbout);
    EXPECT_EQ(top[2], window.mnuExit);
    EXPECT_EQ(window.mnuFile->title(), QStringLiteral("&File"));
    EXPECT_EQ(window.mnuAbout->text(), QStringLiteral("&About"));
    EXPECT_EQ(window.mnuExit->text(), QStringLiteral("E&xit"));
    EXPECT_EQ(window.mnuAbout->menu(), nullptr); // acts on click, no drop-down
    EXPECT_EQ(window.mnuExit->menu(), nullptr);
    EXPECT_EQ(window.mnuFile->actions(), (QList<QAction*>{window.mnuOpen, window.mnuOptions}));
    EXPECT_EQ(window.mnuOpen->text(), QStringLiteral("Open"));
    EXPECT_EQ(window.mnuOpen->shortcut(), QKeySequence(QStringLiteral("Ctrl+O")));
    EXPECT_EQ(window.mnuOptions->text(), QStringLiteral("Options"));
    EXPECT_TRUE(window.mnuOptions->shortcut().isEmpty());
    for (QAction* item : {window.mnuFile->menuAction(), window.mnuOpen, window.mnuOptions,
                          window.mnuAbout, window.mnuExit}) {
        EXPECT_TRUE(item->isEnabled() && item->isVisible() && !item->isChecked());
    }
    EXPECT_TRUE(window.cd->filter().isEmpty());
    EXPECT_TRUE(window.cd->initDir().isEmpty());
}

TEST_F(Layout, ResizingByHandMovesNoControl) {
    window.show();
    QList<QRect> before;
    const QList<QWidget*> controls = window.centralWidget()->findChildren<QWidget*>();
    for (QWidget* control : controls)
        before.append(control->geometry());
    window.resize(900, 700);
    window.resize(200, 150);
    for (int i = 0; i < controls.size(); ++i)
        EXPECT_EQ(controls[i]->geometry(), before[i]) << i;
}

TEST_F(Layout, OuterSizeInTwipsCountsMenuBarAndFrame) {
    window.show();
    const QSize frame = window.frameGeometry().size() - window.size();
    EXPECT_EQ(window.outerWidthTwips(), (406 + frame.width()) * 15);
    EXPECT_EQ(window.outerHeightTwips(), (281 + window.menuBar()->height() + frame.height()) * 15);

    window.setOuterWidthTwips(6220); // rounds to 415 pixels
    EXPECT_EQ(window.outerWidthTwips(), 6225);
    window.setOuterHeightTwips(4785);
    EXPECT_EQ(window.outerHeightTwips(), 4785);
    EXPECT_EQ(window.frameGeometry().size(), QSize(415, 319));
    window.setOuterSizeTwips(9000, 6000);
    EXPECT_EQ(window.outerWidthTwips(), 9000);
    EXPECT_EQ(window.outerHeightTwips(), 6000);
}

} // namespace
