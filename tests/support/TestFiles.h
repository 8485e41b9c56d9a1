#pragma once

#include <QByteArray>
#include <QString>

// Small file helpers for tests.
QByteArray readWholeFile(const QString& path);
void writeWholeFile(const QString& path, const QByteArray& bytes);
