#include "support/ToolRun.h"

#include <QProcess>
#include <gtest/gtest.h>

ToolRun runPack(const QStringList& args) {
    QProcess process;
    process.start(QStringLiteral(GYRO_PACK_TOOL), args);
    EXPECT_TRUE(process.waitForFinished(60000)) << process.errorString().toStdString();
    ToolRun run;
    run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.out = QString::fromUtf8(process.readAllStandardOutput());
    run.err = QString::fromUtf8(process.readAllStandardError());
    return run;
}
