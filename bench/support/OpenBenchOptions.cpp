#include "OpenBenchOptions.h"

namespace {

OpenBenchOptions refuse(const QString& why) {
    OpenBenchOptions options;
    options.error = why;
    return options;
}

} // namespace

OpenBenchOptions OpenBenchOptions::parse(const QStringList& args) {
    OpenBenchOptions options;
    for (int i = 0; i < args.size(); ++i) {
        const QString& arg = args.at(i);
        if (arg == QLatin1String("--compressed")) {
            options.compressed = true;
        } else if (arg == QLatin1String("--screen")) {
            const QStringList sides =
                i + 1 < args.size() ? args.at(++i).split(QLatin1Char('x')) : QStringList();
            const int width = sides.size() == 2 ? sides[0].toInt() : 0;
            const int height = sides.size() == 2 ? sides[1].toInt() : 0;
            if (width <= 0 || height <= 0)
                return refuse(QStringLiteral("--screen takes a size such as 1920x1080"));
            options.screen = QSize(width, height);
        } else if (arg == QLatin1String("--runs") || arg.startsWith(QLatin1String("--runs="))) {
            QString count;
            if (arg.contains(QLatin1Char('=')))
                count = arg.section(QLatin1Char('='), 1);
            else if (i + 1 < args.size())
                count = args.at(++i);
            else
                return refuse(QStringLiteral("--runs needs a count"));
            bool ok = false;
            const int runs = count.toInt(&ok);
            if (!ok || runs < 1 || runs > kMostRuns)
                return refuse(QStringLiteral("--runs takes a count from 1 to %1, not \"%2\"")
                                  .arg(kMostRuns)
                                  .arg(count));
            options.runs = runs;
        } else if (arg.startsWith(QLatin1String("--"))) {
            return refuse(QStringLiteral("unknown option %1").arg(arg));
        } else if (!options.package.isEmpty()) {
            return refuse(QStringLiteral("one package only"));
        } else {
            options.package = arg;
        }
    }
    if (options.package.isEmpty())
        return refuse(QStringLiteral("no package named"));
    return options;
}
