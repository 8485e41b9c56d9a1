#include "toolkit/CommonDialog.h"
#include "format/GyroError.h"

#include <gtest/gtest.h>
#include <optional>

namespace {

TEST(CommonDialog, FilterTextBecomesQtNameFilters) {
    const struct {
        const char* filter;
        QStringList expected;
    } cases[] = {
        {"All Files (*.*)|*.*|360 Images (*.360)|*.360", {"All Files (*)", "360 Images (*.360)"}},
        {"Pictures|*.jpg;*.png", {"Pictures (*.jpg *.png)"}},
        {"", {}},
        {"Dangling description", {}},
        {"Nothing given|", {"Nothing given (*)"}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CommonDialog::nameFiltersFromFilter(QString::fromLatin1(c.filter)), c.expected)
            << c.filter;
}

struct Asked {
    OpenFileRequest request;
    int calls = 0;
};

TEST(CommonDialog, ShowOpenHandsTheSettingsToTheChooserAndTakesTheChoice) {
    CommonDialog cd;
    Asked asked;
    cd.setChooser([&](const OpenFileRequest& request) {
        asked.request = request;
        ++asked.calls;
        return QStringLiteral("/home/user/pkg/car.360");
    });
    cd.setInitDir(QStringLiteral("/opt/gyrolook"));
    cd.setFileName(QStringLiteral("*.360"));
    cd.setFilter(QStringLiteral("All Files (*.*)|*.*|360 Images (*.360)|*.360"));
    cd.setFilterIndex(2);
    cd.setCancelError(true);
    cd.showOpen();

    EXPECT_EQ(asked.calls, 1);
    EXPECT_EQ(asked.request.initDir, QStringLiteral("/opt/gyrolook"));
    EXPECT_EQ(asked.request.fileName, QStringLiteral("*.360"));
    EXPECT_EQ(asked.request.nameFilters,
              QStringList({QStringLiteral("All Files (*)"), QStringLiteral("360 Images (*.360)")}));
    EXPECT_EQ(asked.request.filterIndex, 2);
    EXPECT_EQ(cd.fileName(), QStringLiteral("/home/user/pkg/car.360"));
    EXPECT_EQ(cd.fileTitle(), QStringLiteral("car.360"));
}

TEST(CommonDialog, CancellingRaisesOnlyWhenAsked) {
    for (const bool cancelError : {true, false}) {
        CommonDialog cd;
        cd.setChooser([](const OpenFileRequest&) { return QString(); });
        cd.setFileName(QStringLiteral("*.360"));
        cd.setCancelError(cancelError);
        std::optional<GyroError> raised;
        try {
            cd.showOpen();
        } catch (const GyroError& error) {
            raised = error;
        }
        EXPECT_EQ(raised.has_value(), cancelError);
        if (raised) {
            EXPECT_EQ(raised->number(), 32755);
            EXPECT_EQ(raised->description(), QStringLiteral("Cancel was selected."));
        }
        EXPECT_EQ(cd.fileName(), QStringLiteral("*.360")); // a cancel changes nothing
        EXPECT_TRUE(cd.fileTitle().isEmpty());
    }
}

} // namespace
