#include "CommandLine.h"

#include <cstring>

namespace {

bool isHelp(const QString& argument) {
    return argument == QLatin1String("--help") || argument == QLatin1String("-h");
}

bool isVersion(const QString& argument) {
    return argument == QLatin1String("--version") || argument == QLatin1String("-v");
}

// Qt's options that take the next argument as their value, and those that stand alone.
const char* const kQtOptionsWithValue[] = {"platform",        "platformpluginpath",
                                           "platformtheme",   "plugin",
                                           "qwindowgeometry", "qwindowicon",
                                           "qwindowtitle",    "session",
                                           "display",         "geometry",
                                           "title",           "name",
                                           "visual",          "style",
                                           "stylesheet"};
const char* const kQtFlags[] = {"reverse", "widgetcount", "nograb",
                                "dograb",  "sync",        "testability"};

} // namespace

QStringList CommandLine::withoutQtOptions(const QStringList& arguments) {
    QStringList left;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& argument = arguments.at(i);
        if (argument == QLatin1String("--")) {
            left += arguments.mid(i);
            break;
        }
        // Qt takes "-name" and "--name" alike, and "-name=value" for some.
        QString name = argument;
        if (name.startsWith(QLatin1String("--")))
            name.remove(0, 1);
        if (!name.startsWith(QLatin1Char('-'))) {
            left.append(argument);
            continue;
        }
        name.remove(0, 1);
        const bool joined = name.contains(QLatin1Char('='));
        name = name.section(QLatin1Char('='), 0, 0);
        const auto among = [&name](const auto& names) {
            for (const char* known : names)
                if (name == QLatin1String(known))
                    return true;
            return false;
        };
        if (among(kQtOptionsWithValue)) {
            if (!joined)
                ++i; // the value
        } else if (!among(kQtFlags) && !name.startsWith(QLatin1String("qmljsdebugger"))) {
            left.append(argument);
        }
    }
    return left;
}

CommandLine CommandLine::parse(const QStringList& arguments) {
    CommandLine result;
    QStringList packages;
    bool optionsEnded = false;
    for (const QString& argument : arguments) {
        if (optionsEnded || !argument.startsWith(QLatin1Char('-')) ||
            argument == QLatin1String("-")) {
            packages.append(argument);
        } else if (argument == QLatin1String("--")) {
            optionsEnded = true;
        } else if (isHelp(argument) || isVersion(argument)) {
            result.action = isHelp(argument) ? Action::Help : Action::Version;
            return result;
        } else {
            result.action = Action::Usage;
            result.problem = QStringLiteral("unknown option \"%1\"").arg(argument);
            return result;
        }
    }
    if (packages.size() > 1) {
        result.action = Action::Usage;
        result.problem = QStringLiteral("%1 packages were named; the viewer opens one at a time")
                             .arg(packages.size());
        return result;
    }
    if (!packages.isEmpty())
        result.package = packages.first();
    return result;
}

CommandLine::Action CommandLine::helpRequested(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--") == 0)
            break;
        const QString argument = QString::fromLocal8Bit(argv[i]);
        if (isHelp(argument))
            return Action::Help;
        if (isVersion(argument))
            return Action::Version;
    }
    return Action::Run;
}

QString CommandLine::usageLine() {
    return QStringLiteral("usage: gyrolook [-h|--help] [-v|--version] [--] [PACKAGE.360]");
}

QString CommandLine::helpText() {
    return QStringLiteral(
        "Usage: gyrolook [-h|--help] [-v|--version] [--] [PACKAGE.360]\n"
        "Shows an object photographed from every side, from a \".360\" package.\n"
        "\n"
        "  PACKAGE.360   the package to open at start-up (at most one)\n"
        "  -h, --help    shows this text\n"
        "  -v, --version shows the version number\n"
        "  --            ends the options; a package path that starts with a dash follows it\n"
        "\n"
        "Qt's own options (for example -platform offscreen) are accepted too.\n");
}
