#include "Program.h"

#include <QApplication>
#include <QWidget>

namespace {

QStringList runningArguments() {
    QStringList arguments = QCoreApplication::arguments();
    if (!arguments.isEmpty())
        arguments.removeFirst();
    return arguments;
}

} // namespace

Program::Program() : Program(runningArguments()) {}

Program::Program(const QStringList& arguments)
    : m_commandLine(commandLineFromArguments(arguments)), m_endAction(&closeWindowsAndQuit) {}

QString Program::title() {
    return QStringLiteral("Gyrolook");
}

int Program::versionMajor() {
    return GYRO_VERSION_MAJOR;
}

int Program::versionMinor() {
    return GYRO_VERSION_MINOR;
}

int Program::versionRevision() {
    return GYRO_VERSION_REVISION;
}

QString Program::versionText() {
    return QStringLiteral("%1.%2.%3")
        .arg(versionMajor())
        .arg(versionMinor())
        .arg(versionRevision());
}

QString Program::path() {
    return QCoreApplication::applicationDirPath();
}

QString Program::commandLineFromArguments(const QStringList& arguments) {
    QStringList quoted;
    quoted.reserve(arguments.size());
    for (const QString& argument : arguments)
        quoted.append(QLatin1Char('"') + argument + QLatin1Char('"'));
    return quoted.join(QLatin1Char(' '));
}

void Program::endAtOnce() {
    if (m_endAction)
        m_endAction();
}

void Program::setEndAction(std::function<void()> action) {
    m_endAction = std::move(action);
}

void Program::closeWindowsAndQuit() {
    // hide() closes no window in the sense of a close event: no close handler runs.
    const QWidgetList windows = QApplication::topLevelWidgets();
    for (QWidget* window : windows)
        window->hide();
    QCoreApplication::exit(0);
}
