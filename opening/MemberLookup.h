#pragma once

#include <QHash>
#include <QSet>
#include <QString>
#include <QStringList>

// Finds the members of a package in the folder they were extracted into, by name and without
// regard to ASCII case: packages are made where file names ignore case, so a descriptor may name
// "teapot_H_0000.jpg" for a member stored as "Teapot_H_0000.JPG", or "Info.ini" may stand for the
// descriptor. The opening's extraction refuses members whose names differ only by case, so at most
// one file of the folder answers to a name.
//
// Members the extraction left in the package (pictures it stores uncompressed, read from it where
// they lie) are known by the names they would have been written under; they are found the same
// way, and inPackage() tells them from the files.
//
// The folder is listed once, when the lookup is made; files added later are not found.
class MemberLookup {
public:
    MemberLookup() = default;
    explicit MemberLookup(const QString& folder, const QStringList& leftInPackage = {});

    // The name of the folder's file (or of the member left in the package) that `name` stands
    // for, or `name` itself when there is none.
    QString resolve(const QString& name) const;
    // True when `name` stands for a member left in the package: no file of the folder holds it.
    bool inPackage(const QString& name) const { return m_left.contains(foldCase(name)); }

    // ASCII letters lowered, every other character left as it is.
    static QString foldCase(const QString& name);

private:
    QHash<QString, QString> m_byFolded; // folded name -> name as extracted (or left)
    QSet<QString> m_left;               // folded names of the members left in the package
};
