#include "windows/LoadingProgress.h"
#include "windows/frmLoading.h"

#include <QLabel>
#include <QPixmap>
#include <QScreen>
#include <QWindow>
#include <gtest/gtest.h>

namespace {

// What the window system shows of the window now (not a fresh rendering of the widget).
QImage onScreen(QWidget* window) {
    return window->screen()
        ->grabWindow(window->winId())
        .toImage()
        .convertToFormat(QImage::Format_RGB32);
}

QImage rendered(QWidget* window) {
    return window->grab().toImage().convertToFormat(QImage::Format_RGB32);
}

TEST(frmLoading, Layout) {
    frmLoading window;
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Gyrolook: Loading..."));
    EXPECT_EQ(window.size(), QSize(280, 39));
    EXPECT_EQ(window.minimumSize(), window.maximumSize()); // the user cannot resize it
    EXPECT_EQ(window.parentWidget(), nullptr);
    EXPECT_TRUE(window.isWindow());
    EXPECT_EQ(window.lblLoading->geometry(), QRect(8, 8, 265, 17));
    EXPECT_EQ(window.lblLoading->text(), QStringLiteral("Message..."));
}

TEST(LoadingProgress, MessagesReachTheScreenWhileTheThreadStaysBusy) {
    LoadingProgress progress;
    progress.show();
    frmLoading* window = progress.window();
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(window->isVisible());

    progress.setMessage(QStringLiteral("Gyrolook: Uncompressing..."));
    progress.refresh();
    QImage previous = onScreen(window);
    EXPECT_EQ(previous, rendered(window));

    // A busy loop: each step writes and refreshes, and nothing else runs the event loop.
    for (int i = 1; i <= 3; ++i) {
        const QString text = QStringLiteral("Uncompressing #%1").arg(i);
        progress.setMessage(text);
        EXPECT_EQ(onScreen(window), previous) << "not refreshed yet: the old line is still shown";
        progress.refresh();
        const QImage shown = onScreen(window);
        EXPECT_NE(shown, previous) << text.toStdString();
        EXPECT_EQ(shown, rendered(window)) << text.toStdString();
        EXPECT_EQ(window->lblLoading->text(), text);
        previous = shown;
    }
}

TEST(LoadingProgress, MessageCreatesTheWindowUnshownAndCloseDestroysIt) {
    LoadingProgress progress;
    EXPECT_EQ(progress.window(), nullptr);
    progress.refresh(); // no window: nothing to do
    EXPECT_EQ(progress.window(), nullptr);

    progress.setMessage(QStringLiteral("Gyrolook: Loading Horizontal Image #1 of 36"));
    ASSERT_NE(progress.window(), nullptr);
    EXPECT_FALSE(progress.window()->isVisible());
    EXPECT_EQ(progress.window()->lblLoading->text(),
              QStringLiteral("Gyrolook: Loading Horizontal Image #1 of 36"));
    progress.show();
    EXPECT_TRUE(progress.window()->isVisible());

    QPointer<frmLoading> first = progress.window();
    progress.close();
    EXPECT_TRUE(first.isNull());
    EXPECT_EQ(progress.window(), nullptr);

    // A later load shows a fresh window.
    progress.show();
    ASSERT_NE(progress.window(), nullptr);
    EXPECT_EQ(progress.window()->lblLoading->text(), QStringLiteral("Message..."));
    EXPECT_TRUE(progress.window()->isVisible());
}

} // namespace
