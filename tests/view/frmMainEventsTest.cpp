// Each control of the main window raises its handler, and the menu commands reach theirs.
#include "MainWindowServices.h"
#include "format/OptionSettings.h"
#include "opening/FixedFreeMemory.h"
#include "qt/WidgetTestTools.h"
#include "sound/MediaControl.h"
#include "support/ScriptedPrompter.h"
#include "toolkit/ImageControl.h"
#include "toolkit/Program.h"
#include "toolkit/ScrollBar.h"
#include "toolkit/WrappingCheckBox.h"
#include "view/frmMain.h"
#include "windows/frmAbout.h"
#include "windows/frmOptions.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>

namespace {

// The main window with every handler recording its call instead of acting.
class RecordingMain : public frmMain {
public:
    using frmMain::frmMain;

    QStringList calls;
    QList<int> values; // the value the bar reads inside each scroll-bar handler
    QList<float> pointer;

    void Form_Unload() override { calls.append(QStringLiteral("Form_Unload")); }
    void HscrArray_Change() override { record("HscrArray_Change", HscrArray->value()); }
    void VscrArray_Change() override { record("VscrArray_Change", VscrArray->value()); }
    void hscrlZoom_Change() override { record("hscrlZoom_Change", hscrlZoom->value()); }
    void hscrlZoom_Scroll() override { record("hscrlZoom_Scroll", hscrlZoom->value()); }
    void imgMain_MouseMove(int Button, int Shift, float X, float Y) override {
        calls.append(QStringLiteral("imgMain_MouseMove"));
        pointer = {float(Button), float(Shift), X, Y};
    }
    void mnuOpen_Click() override { calls.append(QStringLiteral("mnuOpen_Click")); }
    void mnuOptions_Click() override { calls.append(QStringLiteral("mnuOptions_Click")); }
    void mnuAbout_Click() override { calls.append(QStringLiteral("mnuAbout_Click")); }
    void mnuExit_Click() override { calls.append(QStringLiteral("mnuExit_Click")); }

private:
    void record(const char* name, int value) {
        calls.append(QString::fromLatin1(name));
        values.append(value);
    }
};

struct Events : ::testing::Test, MainWindowServices {
    RecordingMain window{prompter, program, settings, media, freeMemory};

    void showActive() {
        window.show();
        QApplication::setActiveWindow(&window);
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    }
};

TEST_F(Events, ScrollBarSettingsFromCodeRaiseChangeInsideTheCall) {
    window.HscrArray->setMax(20);
    window.HscrArray->setValue(5);
    EXPECT_EQ(window.calls, QStringList{QStringLiteral("HscrArray_Change")});
    window.VscrArray->setValue(-3);
    window.hscrlZoom->setValue(40);
    window.HscrArray->setValue(5); // same value: nothing
    EXPECT_EQ(window.calls,
              (QStringList{QStringLiteral("HscrArray_Change"), QStringLiteral("VscrArray_Change"),
                           QStringLiteral("hscrlZoom_Change")}));
    EXPECT_EQ(window.values, (QList<int>{5, -3, 40}));
}

TEST_F(Events, ZoomThumbDragScrollsThenChangesOnRelease) {
    QScrollBar* bar = window.hscrlZoom->bar();
    bar->setSliderDown(true);
    bar->setSliderPosition(30);
    bar->setSliderPosition(35);
    EXPECT_EQ(window.calls, (QStringList{QStringLiteral("hscrlZoom_Scroll"),
                                         QStringLiteral("hscrlZoom_Scroll")}));
    bar->setSliderDown(false);
    EXPECT_EQ(window.calls.last(), QStringLiteral("hscrlZoom_Change"));
    EXPECT_EQ(window.values, (QList<int>{30, 35, 35}));
}

TEST_F(Events, PointerMovesOverTheImage) {
    window.imgMain->show();
    QMouseEvent move(QEvent::MouseMove, QPointF(10, 20),
                     window.imgMain->mapToGlobal(QPointF(10, 20)), Qt::NoButton, Qt::LeftButton,
                     Qt::ShiftModifier);
    QApplication::sendEvent(window.imgMain, &move);
    EXPECT_EQ(window.calls, QStringList{QStringLiteral("imgMain_MouseMove")});
    EXPECT_EQ(window.pointer, (QList<float>{1, 1, 150, 300}));
}

TEST_F(Events, CtrlOAndTheTopLevelMenuItemsReachTheirHandlers) {
    showActive();
    QTest::keyClick(&window, Qt::Key_O, Qt::ControlModifier);
    EXPECT_EQ(window.calls, QStringList{QStringLiteral("mnuOpen_Click")});

    QMenuBar* bar = window.menuBar();
    for (QAction* item : {window.mnuAbout, window.mnuExit})
        QTest::mouseClick(bar, Qt::LeftButton, {}, bar->actionGeometry(item).center());
    EXPECT_EQ(window.calls,
              (QStringList{QStringLiteral("mnuOpen_Click"), QStringLiteral("mnuAbout_Click"),
                           QStringLiteral("mnuExit_Click")}));

    window.mnuOptions->trigger();
    EXPECT_EQ(window.calls.last(), QStringLiteral("mnuOptions_Click"));
}

TEST_F(Events, ClosingRunsFormUnloadEndingAtOnceDoesNot) {
    window.show();
    QTimer::singleShot(0, [this] { program.endAtOnce(); });
    EXPECT_EQ(QApplication::exec(), 0);
    EXPECT_FALSE(window.isVisible());
    EXPECT_TRUE(window.calls.isEmpty());

    window.show();
    window.close();
    EXPECT_EQ(window.calls, QStringList{QStringLiteral("Form_Unload")});
}

TEST(frmMainMenus, AboutAndOptionsShowTheirWindowsModally) {
    MainWindowServices services;
    OptionSettings& settings = services.settings;
    frmMain window(services.prompter, services.program, settings, services.media,
                   services.freeMemory);
    window.show();

    QString aboutTitle;
    QString version;
    whenModalShows([&](QWidget* modal) {
        auto* about = qobject_cast<frmAbout*>(modal);
        ASSERT_NE(about, nullptr);
        aboutTitle = about->windowTitle();
        version = about->lblVersion->text();
        QTest::keyClick(about, Qt::Key_Escape);
    });
    window.mnuAbout->trigger(); // returns only once the about window is closed
    EXPECT_EQ(aboutTitle, QStringLiteral("About Gyrolook"));
    EXPECT_EQ(version, QStringLiteral("Version 1.0.38"));
    EXPECT_TRUE(window.findChildren<frmAbout*>().isEmpty()); // destroyed on closing

    // Options: the window shows the settings as they are, and a click stores the new state.
    settings.bOptSound = false;
    bool soundShown = true;
    whenModalShows([&](QWidget* modal) {
        auto* options = qobject_cast<frmOptions*>(modal);
        ASSERT_NE(options, nullptr);
        soundShown = options->chkSound->isChecked();
        options->chkUseRam->box()->click();
        options->cmdExit->click();
    });
    window.mnuOptions->trigger();
    EXPECT_FALSE(soundShown);
    EXPECT_FALSE(settings.bOptUseRam);
    EXPECT_TRUE(window.findChildren<frmOptions*>().isEmpty());
}

} // namespace
