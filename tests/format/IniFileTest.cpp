#include "format/IniFile.h"

#include "support/TempDir.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

namespace {

struct LookupCase {
    const char* name;
    QByteArray file;
    const char* section;
    const char* key;
    QString expected;
};

TEST(IniFile, LookupsFollowTheLayoutRules) {
    const QByteArray descriptor = "[FileType]\r\nFileType=.jpg\r\n[Sound]\r\nSound=a b.mp3\r\n";
    const LookupCase cases[] = {
        {"plain", descriptor, "FileType", "FileType", ".jpg"},
        {"key in capitals", descriptor, "FileType", "FILETYPE", ".jpg"},
        {"section in lower case", descriptor, "filetype", "FileType", ".jpg"},
        {"inner blank kept", descriptor, "Sound", "Sound", "a b.mp3"},
        {"missing key", descriptor, "FileType", "Sound", ""},
        {"missing section", descriptor, "FileName", "FileName", ""},
        {"empty key", descriptor, "FileType", "", ""},
        {"LF lines", "[A]\nk=1\n[B]\nk=2\n", "B", "k", "2"},
        {"lone CR lines", "[A]\rk=1\r[B]\rk=2\r", "B", "k", "2"},
        {"no final line end", "[A]\nk=last", "A", "k", "last"},
        {"byte order mark", "\xEF\xBB\xBF[A]\nk=v\n", "A", "k", "v"},
        {"blanks around names and value", "  [ A ] \n \t k \t=  v w \t\r\n", "A", "k", "v w"},
        {"empty value", "[A]\nk=\n", "A", "k", ""},
        {"first key wins", "[A]\nk=1\nK=2\n", "A", "k", "1"},
        {"first key wins across repeated sections", "[A]\nk=1\n[B]\n[a]\nk=2\nj=3\n", "A", "k",
         "1"},
        {"repeated section adds keys", "[A]\nk=1\n[B]\n[a]\nk=2\nj=3\n", "A", "j", "3"},
        {"key before any section", "k=1\n[A]\n", "A", "k", ""},
        {"comment lines", "[A]\n;k=1\n#k=2\n k=3\n", "A", "k", "3"},
        {"commented section line", "[A]\nk=1\n;[B]\nj=2\n", "A", "j", "2"},
        {"line without equals", "[A]\nk\nk=2\n", "A", "k", "2"},
        {"value keeps commas, quotes, backslashes", "[A]\nk=\"a,b\" c\\d;e #f\n", "A", "k",
         "\"a,b\" c\\d;e #f"},
        {"value keeps @Variant", "[A]\nk=@Variant(\\0\\0)\n", "A", "k", "@Variant(\\0\\0)"},
        {"value keeps later equals signs", "[A]\nk==a=b\n", "A", "k", "=a=b"},
        {"section without closing bracket", "[A\nk=1\n", "A", "k", "1"},
        {"text after closing bracket", "[A] note\nk=1\n", "A", "k", "1"},
        {"UTF-8 text", "[A]\nk=caf\xC3\xA9\n", "A", "k", QStringLiteral("caf\u00E9")},
        {"Latin-1 fallback", "[A]\nk=caf\xE9\n", "A", "k", QStringLiteral("caf\u00E9")},
        {"non-ASCII names match exactly", "[\xC3\x84]\nk=1\n", "\xC3\xA4", "k", ""},
    };
    for (const LookupCase& c : cases) {
        SCOPED_TRACE(c.name);
        const IniFile ini = IniFile::fromBytes(c.file);
        EXPECT_TRUE(ini.isPresent());
        EXPECT_EQ(ini.value(QString::fromUtf8(c.section), QString::fromUtf8(c.key)), c.expected);
    }
}

TEST(IniFile, ValuesAreCutAfter749Characters) {
    const QString longValue(800, u'x');
    IniFile ini =
        IniFile::fromBytes("[A]\nk=" + longValue.toUtf8() + "\nj=" + QByteArray(749, 'y') + "\n");
    EXPECT_EQ(ini.value(u"A", u"k"), QString(749, u'x'));
    EXPECT_EQ(ini.value(u"A", u"j"), QString(749, u'y'));

    // Characters, not bytes or UTF-16 units: a character outside the BMP is never split.
    const QString clef = QStringLiteral("\U0001D11E");
    QString clefs;
    for (int i = 0; i < 800; ++i)
        clefs += clef;
    ini = IniFile::fromBytes("[A]\nk=" + clefs.toUtf8() + "\n");
    EXPECT_EQ(ini.value(u"A", u"k"), clefs.left(2 * 749));
}

TEST(IniFile, LoadiniReadsTheFileAtThePath) {
    TempDir dir;
    const QString path = dir.file(QStringLiteral("info.ini"));
    writeWholeFile(path, "[FileType]\r\nFileType=.jpg\r\n");
    EXPECT_EQ(loadini(QStringLiteral("FileType"), QStringLiteral("FileType"), path), ".jpg");
    EXPECT_EQ(loadini(QStringLiteral("FileType"), QStringLiteral("FILETYPE"), path), ".jpg");
    EXPECT_EQ(loadini(QStringLiteral("FileType"), QStringLiteral("Other"), path), "");
    EXPECT_EQ(loadini(QStringLiteral("FileType"), QStringLiteral("FileType"),
                      dir.file(QStringLiteral("missing.ini"))),
              "");
    EXPECT_EQ(loadini(QStringLiteral("FileType"), QStringLiteral("FileType"), dir.path()), "");
    EXPECT_EQ(loadini(QStringLiteral("FileType"), QStringLiteral("FileType"), QString()), "");
    EXPECT_FALSE(IniFile::read(dir.file(QStringLiteral("missing.ini"))).isPresent());
    EXPECT_TRUE(IniFile::read(path).isPresent());
}

TEST(IniFile, OnlyCompleteLinesOfTheFirstMebibyteAreRead) {
    TempDir dir;
    const QString path = dir.file(QStringLiteral("big.ini"));
    QByteArray bytes = "[A]\nfirst=1\n";
    bytes += "pad=" + QByteArray(IniFile::MaxFileBytes - bytes.size() - 4 - 12, 'p') + "\n";
    bytes += "cut=123456789"; // crosses the limit: dropped
    bytes += "\nlater=1\n";
    writeWholeFile(path, bytes);
    const IniFile ini = IniFile::read(path);
    EXPECT_EQ(ini.value(u"A", u"first"), "1");
    EXPECT_EQ(ini.value(u"A", u"cut"), "");
    EXPECT_EQ(ini.value(u"A", u"later"), "");
}

} // namespace
