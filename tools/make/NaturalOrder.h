#pragma once

#include <QString>
#include <QStringList>

// The order people expect of camera files: runs of digits compare by their value, so IMG_2 comes
// before IMG_10; the rest compares without regard to case. Names that still tie (IMG_02, IMG_2)
// keep a fixed order by their plain text.
bool naturalLess(const QString& a, const QString& b);

// names sorted by naturalLess.
QStringList naturallySorted(QStringList names);
