#pragma once

// A main window with real services that opens real packages, and what the viewing tests ask of it:
// which slot and which package member imgMain shows, and user input on the scroll bars.
#include "MainWindowServices.h"
#include "format/MemberNames.h"
#include "format/OptionSettings.h"
#include "opening/FixedFreeMemory.h"
#include "qt/WidgetTestTools.h"
#include "sound/MediaControl.h"
#include "support/QtPrinters.h"
#include "support/ScriptedPrompter.h"
#include "support/TempDir.h"
#include "support/TestPackage.h"
#include "toolkit/ImageArray.h"
#include "toolkit/ImageControl.h"
#include "toolkit/Program.h"
#include "toolkit/ScrollBar.h"
#include "view/frmMain.h"

#include <QApplication>
#include <QLineEdit>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QTest>
#include <gtest/gtest.h>

class Viewer : public ::testing::Test, protected MainWindowServices {
protected:
    frmMain window{prompter, program, settings, media, freeMemory};
    TempDir folder;
    TestPackage package; // the package opened last

    // 36 positions, rings of three rows (upper) and two rows (lower) at every third column.
    static TestPackage ringedPackage() {
        TestPackage p;
        p.upper = TestPackage::evenRings(36, 3, 3);
        p.lower = TestPackage::evenRings(36, 3, 2);
        return p;
    }

    // Writes the package and opens it the way start-up does for a path on the command line; back
    // as soon as its first picture is shown, the others still loading.
    void start(const TestPackage& p, const QString& name = QStringLiteral("obj.360")) {
        package = p;
        const QString path = folder.file(name);
        ASSERT_TRUE(p.write(path));
        window.sCommandFile = QLatin1Char('"') + path + QLatin1Char('"');
        window.bCommandFile = true;
        window.mnuOpen_Click();
    }

    // The same, back once every picture is held.
    void open(const TestPackage& p, const QString& name = QStringLiteral("obj.360")) {
        ASSERT_NO_FATAL_FAILURE(start(p, name));
        window.finishLoading();
        ASSERT_EQ(prompter.messages, QStringList{});
        ASSERT_EQ(window.iHCount, p.horizontal);
    }

    // The slot whose picture imgMain shows (the same object), or -1.
    int shownSlot() const {
        const PicturePtr& shown = window.imgMain->picture();
        if (!shown)
            return -1;
        for (int i = 0; i <= window.imgArray->upperBound(); ++i) {
            const ImageControl* element = window.imgArray->at(i);
            if (element && element->picture() == shown)
                return i;
        }
        return -1;
    }

    // The package member whose flat colour imgMain shows, or "" when none matches.
    QString shownMember() const {
        const PicturePtr& shown = window.imgMain->picture();
        if (!shown)
            return QString();
        const QColor colour = shown->image().pixelColor(0, 0);
        for (const QString& name : package.pictureNames())
            if (TestPackage::colourFor(name) == colour)
                return name;
        return QString();
    }

    QString horizontal(int position) const {
        return horizontalMemberName(package.baseName, position, package.extension);
    }
    QString upper(int column, int row) const {
        return upperMemberName(package.baseName, column, row, package.extension);
    }
    QString lower(int column, int row) const {
        return lowerMemberName(package.baseName, column, row, package.extension);
    }

    // A click on one of the bar's arrows, as the user does it with the mouse.
    static void clickArrow(ScrollBar* bar, QStyle::SubControl arrow) {
        QScrollBar* inner = bar->bar();
        const QRect rect = scrollBarPartRect(inner, arrow);
        ASSERT_TRUE(rect.isValid());
        QTest::mouseClick(inner, Qt::LeftButton, {}, rect.center());
    }
    // Right or down arrow: the bar's inner value goes up.
    static void clickAdd(ScrollBar* bar) { clickArrow(bar, QStyle::SC_ScrollBarAddLine); }
    static void clickSub(ScrollBar* bar) { clickArrow(bar, QStyle::SC_ScrollBarSubLine); }
    static void key(ScrollBar* bar, Qt::Key k) { QTest::keyClick(bar->bar(), k); }

    QString text(QLineEdit* field) const { return field->text(); }
};
