#pragma once

#include <QImage>
#include <QString>

class ShootSurvey;

// The studio's before/after sheet: a few photos spread evenly over the ring, as shot on the
// upper band and as the package will hold them (cropped, centred, evened, cleaned) on the lower,
// each band a contact sheet of one line (SheetLayout, paintContactSheet). Needs a
// QGuiApplication for the text.
QImage paintStudioPreview(const ShootSurvey& survey, int width = 1200);

// Writes the sheet to `out` (PNG), which must not exist yet; empty on success, else what went
// wrong. Nothing is left behind on failure or interruption.
QString writeStudioPreview(const ShootSurvey& survey, const QString& out);
