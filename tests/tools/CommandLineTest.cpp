// Every program's command line as a user meets it: --help (usage, options, exit statuses),
// --version (the program's and Qt's), and the usage on standard error with status 2 for a
// command line it cannot use.
#include "support/RunProgram.h"
#include "util/Version.h"

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

TEST(QuenbySqlCommandLine, HelpMayFollowCsvAndNoLoginIsUnusable) {
    const ProgramRun help = RunProgram(QUENBY_SQL_PATH, {"--csv", "--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_TRUE(contains(help.out, "  1  the logon or a statement failed")) << help.out;
    const ProgramRun none = RunProgram(QUENBY_SQL_PATH, {});
    EXPECT_EQ(none.status, 2);
    EXPECT_TRUE(contains(none.err, "usage: quenby-sql [--csv] USER/PASSWORD@SERVER")) << none.err;
}

} // namespace
