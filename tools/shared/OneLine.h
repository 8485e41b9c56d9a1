#pragma once

#include <QString>

// A message as one line for a command's refusal: the viewer's messages are made for a dialog
// ("Cannot open x.360." and the cause after an empty line); on a terminal, and for a file manager
// or a script that reads the last line, the parts follow one another on a single line.
QString oneLine(const QString& message);
