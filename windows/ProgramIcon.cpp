#include "ProgramIcon.h"

// The resources are compiled into this static library; registering them from here makes sure the
// linker keeps them wherever the icon is used.
static void registerWindowResources() {
    static const bool registered = [] {
        Q_INIT_RESOURCE(windows);
        return true;
    }();
    Q_UNUSED(registered);
}

QPixmap programIconPixmap() {
    registerWindowResources();
    return QPixmap(QStringLiteral(":/windows/icons/gyrolook.png"));
}

QIcon programIcon() {
    return QIcon(programIconPixmap());
}
