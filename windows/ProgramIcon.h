#pragma once

#include <QIcon>
#include <QPixmap>

// The program's icon: a 32 x 32 picture shown in the about window and used as the window icon of
// the whole program. Both need a QGuiApplication.
QPixmap programIconPixmap();
QIcon programIcon();
