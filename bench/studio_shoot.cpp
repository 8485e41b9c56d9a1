// studio_shoot: writes a synthetic turntable shoot (TurntableShoot: the sample renders on grey
// paper, off the turntable's axis so that they swing by 5 % of the width, a light flicker of up to
// +-15 %, sensor noise) as JPEG photos, for the figures of `make --crop auto --centre
// --even-exposure --backdrop white` (see README.md).
//
//   studio_shoot RENDERS OUT_DIR WIDTHxHEIGHT FRAMES [SEED [EXPOSURE]]
#include "support/TurntableShoot.h"

#include <QCoreApplication>
#include <QDir>
#include <QTextStream>
#include <thread>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    if (args.size() < 4) {
        QTextStream(stderr) << "usage: studio_shoot RENDERS OUT_DIR WIDTHxHEIGHT FRAMES [SEED "
                               "[EXPOSURE]]\n";
        return 2;
    }
    TurntableShoot::Settings settings;
    settings.size = QSize(args[2].section('x', 0, 0).toInt(), args[2].section('x', 1).toInt());
    settings.frames = args[3].toInt();
    settings.noise = 6;
    settings.seed = args.size() > 4 ? args[4].toUInt() : 1;
    settings.exposure = args.size() > 5 ? args[5].toDouble() : 1.0;
    const TurntableShoot shoot(args[0], settings);
    if (!shoot.isValid() || settings.size.isEmpty() || settings.frames < 1) {
        QTextStream(stderr) << "studio_shoot: no renders in " << args[0] << " or a bad size\n";
        return 1;
    }
    QDir().mkpath(args[1]);
    if (!shoot.write(args[1], int(std::max(1u, std::thread::hardware_concurrency()))))
        return 1;
    QTextStream(stdout) << settings.frames << " photos of " << args[2] << " in " << args[1] << '\n';
    return 0;
}
