#include "toolkit/Program.h"
#include "qt/WidgetTestTools.h"
#include "toolkit/MessagePrompter.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <gtest/gtest.h>

namespace {

TEST(Program, CommandLineTextIsRebuiltFromTheArguments) {
    const struct {
        QStringList arguments;
        const char* text;
    } cases[] = {
        {{}, ""},
        {{"/home/me/car.360"}, "\"/home/me/car.360\""},
        {{"/home/me/my car.360"}, "\"/home/me/my car.360\""},
        {{"a.360", "b"}, "\"a.360\" \"b\""},
        {{""}, "\"\""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Program::commandLineFromArguments(c.arguments), QString::fromUtf8(c.text));
        EXPECT_EQ(Program(c.arguments).commandLine(), QString::fromUtf8(c.text));
    }
}

TEST(Program, TitleAndVersion) {
    EXPECT_EQ(Program::title(), QStringLiteral("Gyrolook"));
    EXPECT_EQ(Program::versionMajor(), 1);
    EXPECT_EQ(Program::versionMinor(), 0);
    EXPECT_EQ(Program::versionRevision(), 38);
    EXPECT_EQ(Program::versionText(), QStringLiteral("1.0.38"));
    EXPECT_FALSE(Program::path().isEmpty());
}

// A top-level window that counts the close events it receives.
class CountingWindow : public QWidget {
public:
    int closes = 0;

protected:
    void closeEvent(QCloseEvent* event) override {
        ++closes;
        QWidget::closeEvent(event);
    }
};

TEST(Program, EndAtOnceHidesEveryWindowWithoutClosingItAndLeavesTheLoop) {
    Program program(QStringList{});
    int ended = 0;
    program.setEndAction([&] { ++ended; });
    program.endAtOnce();
    EXPECT_EQ(ended, 1);

    // The real action, run from inside a running event loop.
    CountingWindow first;
    CountingWindow second;
    first.show();
    second.show();
    Program real(QStringList{});
    QTimer::singleShot(0, [&] { real.endAtOnce(); });
    QTimer guard;
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, [] { QCoreApplication::exit(99); });
    guard.start(30000);
    EXPECT_EQ(QApplication::exec(), 0);
    EXPECT_FALSE(first.isVisible());
    EXPECT_FALSE(second.isVisible());
    EXPECT_EQ(first.closes + second.closes, 0); // no close handler ran
}

TEST(MessagePrompter, BoxesCarryTheProgramTitleAndAnswer) {
    MessagePrompter prompter;

    QString title;
    QString text;
    whenModalShows([&](QWidget* box) {
        title = box->windowTitle();
        text = static_cast<QMessageBox*>(box)->text();
        static_cast<QMessageBox*>(box)->button(QMessageBox::Ok)->click();
    });
    prompter.message(QStringLiteral("Wrong file type!!"));
    EXPECT_EQ(title, QStringLiteral("Gyrolook"));
    EXPECT_EQ(text, QStringLiteral("Wrong file type!!"));

    QMessageBox::Icon icon = QMessageBox::NoIcon;
    whenModalShows([&](QWidget* box) {
        title = box->windowTitle();
        icon = static_cast<QMessageBox*>(box)->icon();
        box->close(); // closing without a choice
    });
    EXPECT_EQ(prompter.askYesNoCancel(QStringLiteral("Replace?"), QStringLiteral("Overwrite")),
              Prompter::Reply::Cancel);
    EXPECT_EQ(title, QStringLiteral("Overwrite"));
    EXPECT_EQ(icon, QMessageBox::Warning);

    whenModalShows(
        [](QWidget* box) { static_cast<QMessageBox*>(box)->button(QMessageBox::No)->click(); });
    EXPECT_EQ(prompter.askYesNoCancel(QStringLiteral("Replace?"), QStringLiteral("Overwrite")),
              Prompter::Reply::No);

    whenModalShows([&](QWidget* box) {
        title = box->windowTitle();
        static_cast<QInputDialog*>(box)->reject();
    });
    EXPECT_EQ(prompter.inputBox(QStringLiteral("Password"), QStringLiteral("secret")), QString());
    EXPECT_EQ(title, QStringLiteral("Gyrolook"));

    whenModalShows([](QWidget* box) {
        auto* input = static_cast<QInputDialog*>(box);
        input->setTextValue(QStringLiteral("typed"));
        input->accept();
    });
    EXPECT_EQ(prompter.inputBox(QStringLiteral("Password"), QString()), QStringLiteral("typed"));
}

} // namespace
