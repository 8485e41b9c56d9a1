#pragma once

#include <QFont>

// The font every window of the program is laid out for: a condensed sans serif 11 pixels high
// (13 pixels a line), the size the fixed twip layouts were drawn around. Falls back to the plain
// sans serif of the same size where the condensed face is not installed. Needs a QGuiApplication.
QFont windowFont();
