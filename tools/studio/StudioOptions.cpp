#include "StudioOptions.h"

#include <QColor>

namespace {

// "NAME[:NUMBER]": the name, and the number after the colon (or `fallback`); false when the
// number is not one from lowest to highest.
bool splitNumber(const QString& text, double lowest, double highest, QString& name,
                 double& number) {
    name = text.section(QLatin1Char(':'), 0, 0);
    if (!text.contains(QLatin1Char(':')))
        return true;
    QString tail = text.section(QLatin1Char(':'), 1);
    if (tail.endsWith(QLatin1Char('%')))
        tail.chop(1);
    bool ok = false;
    number = tail.toDouble(&ok);
    return ok && number >= lowest && number <= highest;
}

} // namespace

bool StudioOptions::takeFlag(const QString& arg) {
    if (arg == QLatin1String("--centre") || arg == QLatin1String("--center"))
        centre = true;
    else if (arg == QLatin1String("--even-exposure"))
        evenExposure = true;
    else
        return false;
    return true;
}

bool StudioOptions::takeValued(const QString& arg, const QString& value, QString& error) {
    QString name;
    if (arg == QLatin1String("--crop")) {
        crop = true;
        if (!splitNumber(value, 0, 100, name, cropMargin) || name != QLatin1String("auto"))
            error = QStringLiteral("--crop takes auto or auto:MARGIN% with a margin from 0 to "
                                   "100 per cent, not \"%1\"")
                        .arg(value);
    } else if (arg == QLatin1String("--backdrop")) {
        backdrop = true;
        double tolerance = backdropTolerance;
        const bool numberOk = splitNumber(value, 1, 254, name, tolerance);
        const QColor colour(name);
        if (!numberOk || !colour.isValid())
            error = QStringLiteral("--backdrop takes white, a colour name or #RRGGBB, with "
                                   ":TOLERANCE from 1 to 254 if wanted, not \"%1\"")
                        .arg(value);
        backdropColour = colour.rgb();
        backdropTolerance = int(tolerance);
    } else if (arg == QLatin1String("--preview")) {
        preview = value;
    } else {
        return false;
    }
    return true;
}
