// Monitoring scripts of the kinds DBAs run every day (sessions, statistics, locks and blocking,
// top SQL, waits, memory ratios, parameters and NLS, space, undo, temp and file I/O), written as
// SQL*Plus scripts, run through quenby-sql on the sandbox: each must run to its end.
#include "support/RunProgram.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>
#include <string>

namespace {

TEST(DbaScripts, EveryScriptRunsOnTheSandbox) {
    const QDir folder(QStringLiteral(QUENBY_DBA_SCRIPTS_DIR));
    const QStringList scripts = folder.entryList({QStringLiteral("*.sql")}, QDir::Files);
    ASSERT_GE(scripts.size(), 50);
    for (const QString& name : scripts) {
        QFile file(folder.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << name.toStdString();
        const std::string script = file.readAll().toStdString();
        const testing_support::ProgramRun run = testing_support::RunProgram(
            QUENBY_SQL_PATH, {"system/lantern@sandbox::memory:"}, {{}, {}, script});
        EXPECT_EQ(run.status, 0) << name.toStdString() << ": " << run.err;
        EXPECT_EQ(run.err, "") << name.toStdString();
        // every query prints its heading line at least
        EXPECT_NE(run.out.find('\n'), std::string::npos) << name.toStdString();
    }
}

} // namespace
