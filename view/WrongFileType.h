#pragma once

#include <QString>

// The Open command's refusal of a file that is no ".360" package: "Wrong file type!!", and on a
// second line the file's name (escaped for display), so that a dropped file or one named on the
// command line is recognised. The name line is left out when there is no name.
QString wrongFileTypeMessage(const QString& fileName);
