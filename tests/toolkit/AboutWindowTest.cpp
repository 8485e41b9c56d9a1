#include "toolkit/BlankWrapLabel.h"
#include "toolkit/LineControl.h"
#include "windows/frmAbout.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <gtest/gtest.h>

namespace {

// Records the window title each time a window is shown.
class TitleAtShow : public QObject {
public:
    QStringList titles;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Show && watched->isWidgetType() &&
            static_cast<QWidget*>(watched)->isWindow())
            titles.append(static_cast<QWidget*>(watched)->windowTitle());
        return false;
    }
};

TEST(frmAbout, LayoutAndTexts) {
    frmAbout about;
    EXPECT_EQ(about.windowTitle(), QStringLiteral("About Gyrolook"));
    EXPECT_EQ(about.lblTitle->text(), QStringLiteral("Gyrolook"));
    EXPECT_EQ(about.lblVersion->text(), QStringLiteral("Version 1.0.38"));
    EXPECT_EQ(about.lblDescription->text(),
              QStringLiteral("This program is designed to view 3d objects in a 360 degree by "
                             "either 180 or 360 degree view. \".360\" files either hold "
                             "horizontal images or both horizontal and vertical images."));
    // The description wraps only at blanks: ".360" stays whole on one line.
    const QStringList lines = BlankWrapLabel::wrapAtBlanks(
        about.lblDescription->text(), about.lblDescription->fontMetrics(), 259);
    EXPECT_GE(lines.size(), 3);
    EXPECT_LE(lines.size() * about.lblDescription->fontMetrics().lineSpacing(), 78);
    EXPECT_TRUE(std::any_of(lines.begin(), lines.end(), [](const QString& l) {
        return l.contains(QStringLiteral("\".360\""));
    }));
    EXPECT_FALSE(about.lblDisclaimer->text().isEmpty());
    EXPECT_FALSE(about.lblDisclaimer->text().contains(QLatin1Char('\n')));

    EXPECT_EQ(about.size(), QSize(382, 237));
    EXPECT_EQ(about.minimumSize(), about.maximumSize());
    const QPoint screenOrigin = about.screen()->geometry().topLeft();
    EXPECT_EQ(about.geometry().topLeft() - screenOrigin, QPoint(156, 129));

    const struct {
        QWidget* control;
        QRect geometry;
    } cases[] = {
        {about.picIcon, {16, 16, 36, 36}},     {about.lblTitle, {70, 16, 259, 32}},
        {about.lblVersion, {70, 52, 259, 15}}, {about.lblDescription, {70, 75, 259, 78}},
        {about.cmdOK, {283, 175, 84, 23}},     {about.lblDisclaimer, {16, 176, 258, 55}},
        {about.Line1[1], {6, 163, 372, 1}},    {about.Line1[0], {7, 164, 371, 2}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.control->geometry(), c.geometry) << c.control->metaObject()->className();
    EXPECT_EQ(about.Line1[1]->color(), QColor(128, 128, 128));
    EXPECT_EQ(about.Line1[0]->color(), QColor(Qt::white));
    EXPECT_EQ(about.picIcon->pixmap().size(), QSize(32, 32));
    EXPECT_EQ(about.picIcon->frameWidth() * 2 + 32, 36);
    EXPECT_TRUE(about.cmdOK->isDefault());
}

TEST(frmAbout, EnterEscAndOkCloseItAndTheFirstTitleShownIsTheFinalOne) {
    TitleAtShow shows;
    qApp->installEventFilter(&shows);
    const std::function<void(frmAbout*)> dismissals[] = {
        [](frmAbout* w) { QTest::keyClick(w, Qt::Key_Return); },
        [](frmAbout* w) { QTest::keyClick(w, Qt::Key_Escape); },
        [](frmAbout* w) { w->cmdOK->click(); },
    };
    for (const auto& dismiss : dismissals) {
        frmAbout about;
        QTimer::singleShot(0, &about, [&] { dismiss(&about); });
        about.exec();
        EXPECT_FALSE(about.isVisible());
        EXPECT_EQ(about.lblVersion->text(), QStringLiteral("Version 1.0.38"));
    }
    qApp->removeEventFilter(&shows);
    EXPECT_EQ(shows.titles, QStringList(3, QStringLiteral("About Gyrolook")));
}

} // namespace
