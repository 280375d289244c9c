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
    // One quenby-sql runs them all, each after a prompt naming it: the first failure stops the
    // run, and the last name printed says which script failed.
    std::string all;
    for (const QString& name : scripts) {
        QFile file(folder.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << name.toStdString();
        all += "prompt == " + name.toStdString() + "\n" + file.readAll().toStdString() + "\n";
    }
    all += "prompt == end\n";
    const testing_support::ProgramRun run = testing_support::RunProgram(
        QUENBY_SQL_PATH, {"system/lantern@sandbox::memory:"}, {{}, {}, all});
    const std::size_t last = run.out.rfind("== ");
    const std::string failed =
        last == std::string::npos ? "" : run.out.substr(last, run.out.find('\n', last) - last);
    EXPECT_EQ(run.status, 0) << failed << ": " << run.err;
    EXPECT_EQ(run.err, "") << failed;
    EXPECT_NE(run.out.find("== end\n"), std::string::npos) << failed;
    // each script printed something after its name
    for (const QString& name : scripts) {
        const std::size_t at = run.out.find("== " + name.toStdString() + "\n");
        ASSERT_NE(at, std::string::npos) << name.toStdString();
        EXPECT_NE(run.out.compare(at + 4 + static_cast<std::size_t>(name.size()), 3, "== "), 0)
            << name.toStdString() << " printed nothing";
    }
}

} // namespace
