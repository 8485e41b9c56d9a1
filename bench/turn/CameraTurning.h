#pragma once

#include <QString>
#include <QTextStream>

// Camera shoots, larger than the screen: for each storage mode, turning at the zoom the package
// opens at (from the pictures' screen level) beside a paced copy of the control's frame, the
// first paint after a zoom to 100 % beside one decode of the part it shows, turning at 100 % at a
// held arrow's pace (step by step, and with the key held as the system repeats it), and a key held
// right after the opening while the pictures behind the first are still loading. False when the
// package does not open.
bool benchCamera(const QString& path, QTextStream& out);

// A key held at a held key's pace right after the opening, while the pictures behind the first are
// still loading, for each storage mode; false when the package does not open.
bool benchTurningWhileLoading(const QString& path, QTextStream& out);

// The opening in a fresh window held decoded, left alone until every picture is held: the time to
// the first picture shown and to the last one held (the loading's workers alone decode them).
bool benchLoadingInBackground(const QString& path, QTextStream& out);
