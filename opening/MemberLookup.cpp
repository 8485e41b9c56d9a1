#include "MemberLookup.h"

#include <QDir>

MemberLookup::MemberLookup(const QString& folder, const QStringList& leftInPackage) {
    const QStringList names = QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System);
    for (const QString& name : names)
        m_byFolded.insert(foldCase(name), name);
    for (const QString& name : leftInPackage) {
        m_byFolded.insert(foldCase(name), name);
        m_left.insert(foldCase(name));
    }
}

QString MemberLookup::resolve(const QString& name) const {
    return m_byFolded.value(foldCase(name), name);
}

QString MemberLookup::foldCase(const QString& name) {
    QString folded = name;
    for (QChar& c : folded)
        if (c >= QLatin1Char('A') && c <= QLatin1Char('Z'))
            c = QChar(c.unicode() + ('a' - 'A'));
    return folded;
}
