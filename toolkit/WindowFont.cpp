#include "WindowFont.h"

#include <QStringList>

QFont windowFont() {
    QFont font;
    font.setFamilies(QStringList{QStringLiteral("DejaVu Sans Condensed"),
                                 QStringLiteral("DejaVu Sans"), QStringLiteral("Sans Serif")});
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(11);
    return font;
}
