#include "format/OptionSettings.h"
#include "qt/WidgetTestTools.h"
#include "toolkit/WrappingCheckBox.h"
#include "windows/frmOptions.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

struct Box {
    WrappingCheckBox* frmOptions::*box;
    bool OptionSettings::*setting;
    const char* caption;
    QRect geometry;
};

const Box kBoxes[] = {
    {&frmOptions::chkLoadVertical,
     &OptionSettings::bOptLoadVertical,
     "Load Vertical Images (when off, show only horizontal images)",
     {8, 16, 177, 29}},
    {&frmOptions::chkUseRam,
     &OptionSettings::bOptUseRam,
     "Load Images in UnCompressed form (Uses More RAM, if space available, less CPU) (When off, "
     "loads compressed images into RAM, requires a more powerfull CPU)",
     {8, 48, 185, 77}},
    {&frmOptions::chkSound, &OptionSettings::bOptSound, "Sound On?", {8, 128, 185, 13}},
    {&frmOptions::chkSoundRepeat,
     &OptionSettings::bOptSoundRepeat,
     "Repeat Sound?",
     {8, 144, 193, 17}},
};

TEST(frmOptions, LayoutStartsFromTheSettings) {
    OptionSettings settings;
    frmOptions window(settings);
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Options"));
    EXPECT_EQ(window.size(), QSize(312, 213));
    EXPECT_EQ(window.cmdExit->text(), QStringLiteral("Exit"));
    EXPECT_EQ(window.cmdExit->geometry(), QRect(256, 184, 49, 25));
    EXPECT_FALSE(window.cmdExit->isDefault());
    EXPECT_FALSE(window.cmdExit->autoDefault());
    for (const Box& b : kBoxes) {
        WrappingCheckBox* box = window.*b.box;
        EXPECT_EQ(box->text(), QString::fromLatin1(b.caption));
        EXPECT_EQ(box->geometry(), b.geometry) << b.caption;
        EXPECT_TRUE(box->isChecked()) << b.caption;
        EXPECT_TRUE(box->caption()->wordWrap());
    }
    // Tab order: Exit, then the boxes top to bottom.
    QWidget* expected[] = {window.cmdExit, window.chkLoadVertical->box(), window.chkUseRam->box(),
                           window.chkSound->box(), window.chkSoundRepeat->box()};
    EXPECT_EQ(tabStops(&window), QList<QWidget*>(std::begin(expected), std::end(expected)));
    window.show();
    QApplication::setActiveWindow(&window);
    window.cmdExit->setFocus();
    for (std::size_t i = 1; i < std::size(expected); ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        EXPECT_EQ(QApplication::focusWidget(), expected[i]) << i;
    }
}

TEST(frmOptions, ClicksStoreTheStateAndEachShowingShowsTheSettings) {
    OptionSettings settings;
    for (const Box& b : kBoxes) {
        {
            frmOptions window(settings);
            WrappingCheckBox* box = window.*b.box;
            box->box()->click(); // untick
            EXPECT_FALSE(settings.*b.setting) << b.caption;
            for (const Box& other : kBoxes) {
                if (other.setting != b.setting) {
                    EXPECT_TRUE(settings.*other.setting) << "only the clicked box's setting";
                }
            }
        }
        {
            frmOptions window(settings); // a fresh showing shows the current value
            WrappingCheckBox* box = window.*b.box;
            EXPECT_FALSE(box->isChecked()) << b.caption;
            // A click on the caption toggles the box as well.
            QTest::mouseClick(box->caption(), Qt::LeftButton, {}, QPoint(5, 5));
            EXPECT_TRUE(box->isChecked()) << b.caption;
            EXPECT_TRUE(settings.*b.setting) << b.caption;
        }
    }
}

TEST(frmOptions, ExitClosesEscDoesNot) {
    OptionSettings settings;
    frmOptions window(settings);
    bool stillOpenAfterEsc = false;
    QTimer::singleShot(0, &window, [&] {
        QTest::keyClick(&window, Qt::Key_Escape);
        stillOpenAfterEsc = window.isVisible();
        window.cmdExit->click();
    });
    window.exec();
    EXPECT_TRUE(stillOpenAfterEsc);
    EXPECT_FALSE(window.isVisible());
}

} // namespace
