#include "toolkit/BlankWrapLabel.h"

#include <QFont>
#include <QFontMetrics>
#include <gtest/gtest.h>

namespace {

TEST(BlankWrapLabel, WrapsOnlyAtBlanks) {
    const QFontMetrics metrics{QFont()};
    const int word = metrics.horizontalAdvance(QStringLiteral("abcd"));
    const int two = metrics.horizontalAdvance(QStringLiteral("abcd abcd"));
    const struct {
        const char* text;
        int width;
        QStringList lines;
    } cases[] = {
        {"abcd abcd abcd", two, {"abcd abcd", "abcd"}},
        {"abcd abcd abcd", two - 1, {"abcd", "abcd", "abcd"}},
        {"abcd  abcd", word * 10, {"abcd abcd"}},   // blank runs fold into one
        {"\".360\" abcd", 1, {"\".360\"", "abcd"}}, // too narrow: one word a line
        {"", 100, {}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(BlankWrapLabel::wrapAtBlanks(QString::fromLatin1(c.text), metrics, c.width),
                  c.lines)
            << c.text << " at " << c.width;
}

} // namespace
