#include "Commands.h"

#include <QTextStream>

int runProbe(const QStringList&) {
    QTextStream(stderr) << "gyrolook-pack: this command is not available yet\n";
    return 2;
}
