// gyrolook-pack probe FILE...: reads each picture file's header the way the viewer does and prints
// one line per file, "<ImageType> <Width> <Height> <Depth>", or "error: <description>" when the
// probe raised an error. Exit status 1 when any probe raised one, 2 when no file was named.
#include "tools/shared/Commands.h"

#include "format/GyroError.h"
#include "imageinfo/CImageInfo.h"

#include <QTextStream>

int runProbe(const QStringList& args) {
    if (args.isEmpty()) {
        QTextStream(stderr) << "usage: gyrolook-pack probe FILE...\n";
        return 2;
    }
    QTextStream out(stdout);
    bool anyError = false;
    for (const QString& path : args) {
        CImageInfo info;
        try {
            info.ReadImageInfo(path);
            out << info.ImageType() << ' ' << info.Width() << ' ' << info.Height() << ' '
                << int(info.Depth()) << '\n';
        } catch (const GyroError& error) {
            out << "error: " << error.description() << '\n';
            anyError = true;
        }
    }
    out.flush();
    return anyError ? 1 : 0;
}
