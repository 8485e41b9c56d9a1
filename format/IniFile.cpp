#include "IniFile.h"

#include "FileUtil.h"

#include <QFile>
#include <QStringDecoder>
#include <algorithm>

namespace {

bool isBlank(QChar c) {
    return c == u' ' || c == u'\t';
}

QStringView trimmed(QStringView text) {
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && isBlank(text[begin]))
        ++begin;
    while (end > begin && isBlank(text[end - 1]))
        --end;
    return text.sliced(begin, end - begin);
}

// Lower case for A-Z only, so that matching does not depend on the locale.
QString folded(QStringView name) {
    QString result = name.toString();
    for (QChar& c : result) {
        if (c >= u'A' && c <= u'Z')
            c = QChar(c.unicode() + (u'a' - u'A'));
    }
    return result;
}

QString limitedValue(QStringView value) {
    qsizetype codePoints = 0;
    qsizetype i = 0;
    while (i < value.size() && codePoints < IniFile::MaxValueLength) {
        const bool pair =
            value[i].isHighSurrogate() && i + 1 < value.size() && value[i + 1].isLowSurrogate();
        i += pair ? 2 : 1;
        ++codePoints;
    }
    return value.first(i).toString();
}

QString decoded(const QByteArray& bytes) {
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(bytes);
    if (utf8.hasError())
        return QString::fromLatin1(bytes);
    return text;
}

} // namespace

IniFile IniFile::read(const QString& path) {
    if (!FileExists(path))
        return IniFile();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return IniFile();
    QByteArray bytes = file.read(MaxFileBytes + 1);
    if (bytes.size() > MaxFileBytes) {
        bytes.truncate(MaxFileBytes);
        const qsizetype lineEnd = std::max(bytes.lastIndexOf('\n'), bytes.lastIndexOf('\r'));
        bytes.truncate(lineEnd + 1);
    }
    return fromBytes(std::move(bytes));
}

IniFile IniFile::fromBytes(QByteArray bytes) {
    IniFile ini;
    ini.m_present = true;
    if (bytes.startsWith("\xEF\xBB\xBF"))
        bytes.remove(0, 3);
    const QString text = decoded(bytes);

    bool inSection = false;
    QString section;
    qsizetype lineStart = 0;
    while (lineStart <= text.size()) {
        qsizetype lineEnd = lineStart;
        while (lineEnd < text.size() && text[lineEnd] != u'\n' && text[lineEnd] != u'\r')
            ++lineEnd;
        const QStringView line = trimmed(QStringView(text).sliced(lineStart, lineEnd - lineStart));
        lineStart = lineEnd + 1;
        if (lineEnd + 1 < text.size() && text[lineEnd] == u'\r' && text[lineEnd + 1] == u'\n')
            ++lineStart;

        if (line.isEmpty() || line.front() == u';' || line.front() == u'#')
            continue;
        if (line.front() == u'[') {
            const qsizetype close = line.indexOf(u']');
            const QStringView name = close < 0 ? line.sliced(1) : line.sliced(1, close - 1);
            section = folded(trimmed(name));
            inSection = true;
            continue;
        }
        const qsizetype equals = line.indexOf(u'=');
        if (!inSection || equals < 0)
            continue;
        const QStringView key = trimmed(line.first(equals));
        if (key.isEmpty())
            continue;
        Name name{section, folded(key)};
        if (!ini.m_values.contains(name))
            ini.m_values.insert(name, limitedValue(trimmed(line.sliced(equals + 1))));
    }
    return ini;
}

QString IniFile::value(QStringView section, QStringView key) const {
    Name name{folded(trimmed(section)), folded(trimmed(key))};
    if (name.first.isEmpty() || name.second.isEmpty())
        return QString();
    return m_values.value(name);
}

QString loadini(const QString& Section, const QString& Key, const QString& Directory) {
    return IniFile::read(Directory).value(Section, Key);
}
