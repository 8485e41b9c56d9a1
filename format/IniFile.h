#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringView>
#include <utility>

// A parsed INI file, read once and asked many times. The descriptor reader holds one for info.ini;
// loadini() builds one per call.
//
// Layout understood:
// - Lines end in LF, CRLF or a lone CR. A UTF-8 byte order mark at the start is skipped.
// - Blanks (spaces and tabs) around every line, name and value are ignored.
// - Empty lines, and lines whose first non-blank character is ';' or '#', are comments.
// - "[name]" opens a section; text after the closing bracket is ignored, and a line without the
//   closing bracket names the section by the rest of the line.
// - "key=value" inside a section sets key; the key ends at the first '='. A line without '=', with
//   an empty key, or before the first section line sets nothing.
// - Nothing in a value is interpreted: commas, quotes, backslashes, '@', ';' and '#' after the
//   '=' stay as written.
// Section and key names match without regard to ASCII case. When a section or a key occurs more
// than once, the first key occurrence in file order wins (sections of the same name are one).
// A value reads as at most MaxValueLength characters (Unicode code points).
//
// Encoding: the file is decoded as UTF-8; a file that is not valid UTF-8 is decoded as Latin-1,
// byte for byte.
//
// Size: only the first MaxFileBytes bytes of a larger file are read, and of those only the
// complete lines (a line cut by the limit is dropped).
//
// A path that is missing, unreadable or not a regular file gives an empty IniFile that answers
// every lookup with the empty text. Nothing here raises an error.
class IniFile {
public:
    static constexpr int MaxValueLength = 749;
    static constexpr qint64 MaxFileBytes = 1024 * 1024;

    IniFile() = default;

    static IniFile read(const QString& path);
    static IniFile fromBytes(QByteArray bytes);

    // True when the file could be read (even if it held no key).
    bool isPresent() const { return m_present; }

    // The value of key in section; the empty text when either is missing or empty.
    QString value(QStringView section, QStringView key) const;

private:
    using Name = std::pair<QString, QString>; // folded section, folded key
    QHash<Name, QString> m_values;
    bool m_present = false;
};

// The value of Key in Section of the INI file at the full path Directory, as IniFile reads it.
// The empty text when the file, the section or the key is missing. Reads the file on every call.
QString loadini(const QString& Section, const QString& Key, const QString& Directory);
