// Every program's command line as a user meets it: --help (usage, options, exit statuses),
// --version (the program's and Qt's), and the usage on standard error with status 2 for a
// command line it cannot use.
#include "support/RunProgram.h"
#include "util/Version.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtGlobal>
#include <gtest/gtest.h>
#include <string>

namespace {

using testing_support::ProgramRun;
using testing_support::RunProgram;

struct Program {
    const char* name;
    const char* path;
};

class CommandLine : public testing::TestWithParam<Program> {};

bool contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

TEST_P(CommandLine, HelpPrintsUsageOptionsAndExitStatuses) {
    for (const char* option : {"--help", "-h"}) {
        const ProgramRun r = RunProgram(GetParam().path, {option});
        EXPECT_EQ(r.status, 0) << option;
        EXPECT_EQ(r.err, "") << option;
        EXPECT_TRUE(contains(r.out, std::string(GetParam().name) + " ")) << r.out;
        EXPECT_TRUE(contains(r.out, "sage: ")) << r.out;
        EXPECT_TRUE(contains(r.out, "--version")) << r.out;
        EXPECT_TRUE(contains(r.out, "Exit status:\n")) << r.out;
        EXPECT_TRUE(contains(r.out, "  2  the command line could not be used")) << r.out;
    }
}

TEST_P(CommandLine, VersionNamesTheProgramAndQt) {
    const std::string expected =
        std::string(GetParam().name) + " " + util::kProgramVersion + " (Qt " + qVersion() + ")\n";
    for (const char* option : {"--version", "-v"}) {
        const ProgramRun r = RunProgram(GetParam().path, {option});
        EXPECT_EQ(r.status, 0) << option;
        EXPECT_EQ(r.out, expected);
        EXPECT_EQ(r.err, "");
    }
    EXPECT_EQ(std::string(util::kProgramVersion), QUENBY_PROJECT_VERSION);
}

TEST_P(CommandLine, AnUnknownOptionGetsTheUsageOnStandardErrorAndStatus2) {
    const ProgramRun r = RunProgram(GetParam().path, {"--no-such-option"});
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.out, "");
    EXPECT_TRUE(contains(r.err, "sage: ")) << r.err;
    EXPECT_TRUE(contains(r.err, GetParam().name)) << r.err;
}

INSTANTIATE_TEST_SUITE_P(Programs, CommandLine,
                         testing::Values(Program{"quenby", QUENBY_PATH},
                                         Program{"quenby-sql", QUENBY_SQL_PATH},
                                         Program{"quenby-bench", QUENBY_BENCH_PATH},
                                         Program{"quenby-history", QUENBY_HISTORY_PATH}),
                         [](const testing::TestParamInfo<Program>& info) {
                             std::string name = info.param.name;
                             for (char& c : name)
                                 if (c == '-')
                                     c = '_';
                             return name;
                         });

TEST(QuenbyCommandLine, NamesTheUnusableArgumentAndTheManual) {
    const ProgramRun extra = RunProgram(QUENBY_PATH, {"somefile"});
    EXPECT_EQ(extra.status, 2);
    EXPECT_TRUE(contains(extra.err, "quenby: Unexpected argument 'somefile'.\n")) << extra.err;
    const ProgramRun unknown = RunProgram(QUENBY_PATH, {"--frobnicate"});
    EXPECT_TRUE(contains(unknown.err, "quenby: Unknown option 'frobnicate'.\n")) << unknown.err;
    // Run from the build folder, it finds the copy of the manual beside it.
    const ProgramRun help = RunProgram(QUENBY_PATH, {"--help"});
    EXPECT_TRUE(contains(help.out, "The manual: " QUENBY_DIR "/manual.htm\n")) << help.out;
    // Qt's own options are Qt's: with a help request they are accepted, not refused.
    const ProgramRun withQt = RunProgram(QUENBY_PATH, {"-platform", "offscreen", "--version"});
    EXPECT_EQ(withQt.status, 0) << withQt.err;
}

TEST(QuenbyCommandLine, ConnectNeedsUserAtServerAndNoPassword) {
    const ProgramRun help = RunProgram(QUENBY_PATH, {"--help"});
    EXPECT_TRUE(contains(help.out, "--connect <USER@SERVER>")) << help.out;
    EXPECT_TRUE(contains(help.out, "QUENBY_PASSWORD")) << help.out;
    EXPECT_TRUE(contains(help.out, "QUENBY_STARTUP_MARK")) << help.out;
    for (const char* value : {"system", "@sandbox", "system@", ""}) {
        const ProgramRun r = RunProgram(QUENBY_PATH, {"--connect", value});
        EXPECT_EQ(r.status, 2) << value;
        EXPECT_EQ(r.out, "") << value;
        EXPECT_TRUE(contains(r.err, std::string("quenby: --connect needs USER@SERVER, such as "
                                                "system@sandbox, not '") +
                                        value + "'.\n"))
            << r.err;
        EXPECT_TRUE(contains(r.err, "sage: ")) << r.err;
    }
    const ProgramRun withPassword =
        RunProgram(QUENBY_PATH, {"--connect", "system/lantern@sandbox"});
    EXPECT_EQ(withPassword.status, 2);
    EXPECT_TRUE(contains(withPassword.err, "quenby: --connect takes no password: set "
                                           "QUENBY_PASSWORD or type it in the login dialog.\n"))
        << withPassword.err;
    const ProgramRun missing = RunProgram(QUENBY_PATH, {"--connect"});
    EXPECT_EQ(missing.status, 2);
    EXPECT_TRUE(contains(missing.err, "quenby: Missing value after '--connect'.\n")) << missing.err;
}

// Started with the login and its password in the environment, the program connects, paints the
// session list, writes the time that took to the start-up mark and closes.
TEST(QuenbyCommandLine, ConnectWithThePasswordInTheEnvironmentReachesTheSessionList) {
    QTemporaryDir home;
    ASSERT_TRUE(home.isValid());
    const std::string mark = home.filePath(QStringLiteral("mark")).toStdString();
    const std::string dir = home.path().toStdString();
    testing_support::ProgramSetting setting;
    setting.set = {"QT_QPA_PLATFORM=offscreen",      "QUENBY_PASSWORD=lantern",
                   "QUENBY_STARTUP_MARK=" + mark,    "XDG_CONFIG_HOME=" + dir + "/config",
                   "XDG_DATA_HOME=" + dir + "/data", "XDG_STATE_HOME=" + dir + "/state"};
    setting.unset = {"QT_QPA_PLATFORM", "QUENBY_PASSWORD", "QUENBY_STARTUP_MARK"};
    const ProgramRun r =
        RunProgram(QUENBY_PATH, {"--connect", "system@sandbox::memory:connect-at-start"}, setting);
    EXPECT_EQ(r.status, 0) << r.err;
    QFile file(QString::fromStdString(mark));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << r.err;
    bool number = false;
    const double ms = file.readAll().trimmed().toDouble(&number);
    EXPECT_TRUE(number);
    EXPECT_GT(ms, 0);
    EXPECT_LT(ms, 60000);
}

TEST(QuenbySqlCommandLine, HelpMayFollowCsvAndNoLoginIsUnusable) {
    const ProgramRun help = RunProgram(QUENBY_SQL_PATH, {"--csv", "--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_TRUE(contains(help.out, "  1  the logon or a statement failed")) << help.out;
    const ProgramRun none = RunProgram(QUENBY_SQL_PATH, {});
    EXPECT_EQ(none.status, 2);
    EXPECT_TRUE(contains(none.err, "usage: quenby-sql [--csv] USER/PASSWORD@SERVER")) << none.err;
}

} // namespace
