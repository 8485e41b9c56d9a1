#pragma once

#include <QHash>
#include <QString>

// Finds the members of a package in the folder they were extracted into, by name and without
// regard to ASCII case: packages are made where file names ignore case, so a descriptor may name
// "teapot_H_0000.jpg" for a member stored as "Teapot_H_0000.JPG", or "Info.ini" may stand for the
// descriptor. The opening's extraction refuses members whose names differ only by case, so at most
// one file of the folder answers to a name.
//
// The folder is listed once, when the lookup is made; files added later are not found.
class MemberLookup {
public:
    MemberLookup() = default;
    explicit MemberLookup(const QString& folder);

    // The name of the folder's file that `name` stands for, or `name` itself when there is none.
    QString resolve(const QString& name) const;

    // ASCII letters lowered, every other character left as it is.
    static QString foldCase(const QString& name);

private:
    QHash<QString, QString> m_byFolded; // folded name -> name as extracted
};
