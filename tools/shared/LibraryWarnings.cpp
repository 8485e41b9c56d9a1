#include "LibraryWarnings.h"

#include <QtGlobal>
#include <cstring>

namespace {

QtMessageHandler qtHandler = nullptr;

// Critical and fatal messages still go out the way Qt prints them.
void dropWarnings(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if ((type == QtCriticalMsg || type == QtFatalMsg) && qtHandler)
        qtHandler(type, context, message);
}

} // namespace

void keepLibraryWarningsOff(int argc, char** argv) {
    for (int i = 1; i < argc; ++i)
        if (std::strcmp(argv[i], "--verbose") == 0)
            return;
    qtHandler = qInstallMessageHandler(dropWarnings);
}
