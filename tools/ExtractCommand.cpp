// gyrolook-pack extract PKG.360 DIR [--password TEXT] [--all]: extracts a package into DIR with
// the options the viewer's opening uses (every member directly into DIR under its bare name,
// existing files replaced, members whose names differ only by case refused), and only the members
// the viewer keeps (the descriptor, the pictures it names, its sound; with the vertical rings)
// unless --all is given; what was skipped is said on a line of its own. Then it prints the result
// code, every package counter by its name and the extraction's messages. A password question is
// answered with TEXT, or with an empty answer when no --password was given. Exit status 0 when the
// result is 0, 1 otherwise, 2 for a usage error.
#include "tools/shared/Commands.h"
#include "tools/shared/ProgressReporter.h"
#include "tools/shared/TerminalPrompter.h"

#include "archive/CGUnzipFiles.h"
#include "format/GyroError.h"
#include "format/PackageCounters.h"
#include "format/ProgressSink.h"
#include "opening/UsedMembers.h"

#include <QDir>
#include <QTextStream>

namespace {

int usage() {
    QTextStream(stderr)
        << "usage: gyrolook-pack extract PKG.360 DIR [--password TEXT] [--all] [--quiet]\n";
    return 2;
}

// The counters the extraction produced, one "name value" line each.
void printCounters(QTextStream& out, const PackageCounters& counters) {
    out << "sngUnzipCount " << qint64(counters.sngUnzipCount) << '\n';
    out << "sngHCount " << qint64(counters.sngHCount) << '\n';
    out << "sngMaxFileLen " << qint64(counters.sngMaxFileLen) << '\n';
    out << "bytVCount " << int(counters.bytVCount) << '\n';
    out << "bytVColumns " << int(counters.bytVColumns) << '\n';
    out << "bytVRows " << int(counters.bytVRows) << '\n';
    out << "bytMCount " << int(counters.bytMCount) << '\n';
    out << "bytMColumns " << int(counters.bytMColumns) << '\n';
    out << "bytMRows " << int(counters.bytMRows) << '\n';
}

} // namespace

int runExtract(const QStringList& args) {
    QStringList rest = args;
    const bool quiet = rest.removeAll(QStringLiteral("--quiet")) > 0;
    const bool all = rest.removeAll(QStringLiteral("--all")) > 0;
    QString password;
    const qsizetype option = rest.indexOf(QStringLiteral("--password"));
    if (option >= 0) {
        if (option + 1 >= rest.size())
            return usage();
        password = rest.at(option + 1);
        rest.remove(option, 2);
    }
    if (rest.size() != 2)
        return usage();
    const QString package = rest.at(0);
    const QString folder = rest.at(1);
    if (package.isEmpty() || folder.isEmpty())
        return usage();
    // What the viewer keeps, found and refused from the headers as the viewer's opening does.
    UsedMembers used;
    if (!all && !used.survey(package, true)) {
        QTextStream(stderr) << "gyrolook-pack extract: " << used.problem() << '\n';
        return 1;
    }
    QDir().mkpath(folder);

    ProgressReporter progress(QStringLiteral("extract"), quiet);
    TerminalPrompter prompter(password, true);
    packageCounters().reset();
    CGUnzipFiles request(progress, prompter);
    request.setZipFileName(package);
    request.setExtractDir(folder);
    request.setIncludePatterns(used.patterns());
    request.setHonorDirectories(false);
    request.setCaseSensitive(false); // as the opening: names that differ only by case collide

    QTextStream out(stdout);
    std::int32_t result = 0;
    try {
        result = request.Unzip(QString(), QString());
    } catch (const GyroError& error) {
        QTextStream(stderr) << "gyrolook-pack extract: error " << error.number() << ": "
                            << error.description() << " (" << error.source() << ")\n";
        return 1;
    }
    progress.finish();
    out << "result " << result << '\n';
    printCounters(out, packageCounters());
    QString message = request.GetLastMessage();
    message.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    out << message;
    if (!message.isEmpty() && !message.endsWith(QLatin1Char('\n')))
        out << '\n';
    if (used.skipped() > 0)
        out << "skipped " << used.skipped()
            << " member(s) the viewer does not use; --all extracts them too\n";
    out.flush();
    return result == 0 ? 0 : 1;
}
