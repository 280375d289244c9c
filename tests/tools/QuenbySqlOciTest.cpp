// quenby-sql through the OCI driver and the stand-in client library prints what it prints
// through the sandbox driver.
#include "oradb/OciFixture.h"
#include "support/RunProgram.h"

#include <vector>

namespace {

using testing_support::kTestOracleHome;

using CliRun = testing_support::ProgramRun;

// Runs quenby-sql with these arguments and extra environment variables ("NAME=value"); the
// driver and the Oracle home are only what `env` says.
CliRun quenbySql(const std::vector<std::string>& args, const std::vector<std::string>& env) {
    return testing_support::RunProgram(QUENBY_SQL_PATH, args,
                                       {{"ORACLE_HOME", "QUENBY_DRIVER"}, env, {}});
}

const std::vector<std::string> kOci = {"ORACLE_HOME=" + kTestOracleHome, "QUENBY_DRIVER=oci"};
const std::vector<std::string> kSandbox = {"QUENBY_DRIVER=sandbox"};

TEST(QuenbySqlThroughOci, PrintsWhatTheSandboxDriverPrints) {
    const std::vector<std::string> args = {
        "system/lantern@sandbox::memory:",
        "select sid, serial#, username, saddr, status, type from v$session where "
        "type='BACKGROUND' order by sid",
        "select 'ab' a, 12345 b, 1/4 q, null z, 'Grüße' w, hextoraw('00FF') r from dual",
        "create table system.x(a number, b varchar2(20))",
        "insert into x values (1, 'one')",
        "select * from x",
        "select name from v$statname where statistic# < 12 order by statistic#"};
    const CliRun sandbox = quenbySql(args, kSandbox);
    const CliRun oci = quenbySql(args, kOci);
    EXPECT_EQ(sandbox.status, 0) << sandbox.err;
    EXPECT_EQ(oci.status, 0) << oci.err;
    EXPECT_EQ(oci.out, sandbox.out);
    EXPECT_EQ(oci.err, sandbox.err);
    EXPECT_NE(oci.out.find("Statement processed."), std::string::npos);

    std::vector<std::string> csv = args;
    csv.insert(csv.begin(), "--csv");
    EXPECT_EQ(quenbySql(csv, kOci).out, quenbySql(csv, kSandbox).out);
}

TEST(QuenbySqlThroughOci, ReportsTheSameErrors) {
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {"system/wrong@sandbox::memory:", "select * from dual"},
             {"system/@sandbox::memory:", "select * from dual"},
             {"system/lantern@sandbox:/no/such/folder/x.db", "select * from dual"},
             {"system/lantern@sandbox::memory:", "select * from dual",
              "select * from v$nothing"}}) {
        const CliRun sandbox = quenbySql(args, kSandbox);
        const CliRun oci = quenbySql(args, kOci);
        EXPECT_EQ(oci.status, 1) << args[0];
        EXPECT_EQ(oci.status, sandbox.status) << args[0];
        EXPECT_EQ(oci.out, sandbox.out) << args[0];
        EXPECT_EQ(oci.err, sandbox.err) << args[0];
    }
}

TEST(QuenbySqlThroughOci, LogsOnAsSysdbaLikeTheSandboxDriver) {
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {"sys/lantern@sandbox::memory: as sysdba", "select user u from dual"},
             {"sys/lantern@sandbox::memory:", "AS", "SYSOPER", "select user u from dual"},
             {"sys/lantern@sandbox::memory:", "select user u from dual"},
             {"scott/tiger@sandbox::memory:", "as", "sysdba", "select user u from dual"}}) {
        const CliRun sandbox = quenbySql(args, kSandbox);
        const CliRun oci = quenbySql(args, kOci);
        EXPECT_EQ(oci.status, sandbox.status) << args[0];
        EXPECT_EQ(oci.out, sandbox.out) << args[0];
        EXPECT_EQ(oci.err, sandbox.err) << args[0];
    }
    // An Easy Connect identifier goes to the client as typed, the privilege as the logon mode.
    const CliRun r = quenbySql(
        {"sys/lantern@//localhost:1521/FREEPDB1", "as", "sysdba", "select user u from dual"},
        {"ORACLE_HOME=" + kTestOracleHome});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "U\nSYS\n");
}

TEST(QuenbySqlThroughOci, NumbersPrintTheSameWhateverTheTerritoryOfNlsLang) {
    const std::vector<std::string> args = {
        "system/lantern@sandbox::memory:",
        "select 3.14 x, 1234567.5 y, -0.25 z, 1e20 big from dual",
        "select name, value from v$sysstat where statistic# < 5 order by statistic#"};
    const CliRun sandbox = quenbySql(args, kSandbox);
    ASSERT_EQ(sandbox.status, 0) << sandbox.err;
    EXPECT_NE(sandbox.out.find("3.14"), std::string::npos);
    EXPECT_NE(sandbox.out.find("1234567.5"), std::string::npos);
    for (const char* nls :
         {"GERMAN_GERMANY.AL32UTF8", "FRENCH_FRANCE.AL32UTF8", "AMERICAN_AMERICA.AL32UTF8"}) {
        std::vector<std::string> env = kOci;
        env.push_back(std::string("NLS_LANG=") + nls);
        const CliRun oci = quenbySql(args, env);
        EXPECT_EQ(oci.status, 0) << nls << ": " << oci.err;
        EXPECT_EQ(oci.out, sandbox.out) << nls;
    }
}

TEST(QuenbySqlThroughOci, ReadsLobsTimestampsRowidsAndShowsObjectsAsPlaceholders) {
    const std::vector<std::string> lobs = {
        "system/lantern@sandbox::memory:",
        "select to_clob('abc') c, rowid r, to_nclob('n') n, to_binary_double(2.5) d, "
        "numtodsinterval(90, 'MINUTE') i, numtoyminterval(14, 'MONTH') m from dual"};
    const CliRun sandbox = quenbySql(lobs, kSandbox);
    const CliRun oci = quenbySql(lobs, kOci);
    ASSERT_EQ(oci.status, 0) << oci.err;
    EXPECT_EQ(oci.out, sandbox.out);
    EXPECT_NE(oci.out.find("abc AAAR9sAAEAAAACAAAB n 2.5 +000000000 01:30:00.000000000 "
                           "+000000001-02\n"),
              std::string::npos)
        << oci.out;

    // An object type has no text a define can ask for: its cell shows the type.
    const CliRun object = quenbySql(
        {"system/lantern@sandbox::memory:",
         "select 1 n, xmltype('<a/>') x, 'y' y, json('{}') j, bfilename('DIR', 'f.txt') b "
         "from dual"},
        kOci);
    ASSERT_EQ(object.status, 0) << object.err;
    EXPECT_NE(object.out.find("1 (XMLTYPE) y (JSON) (BFILE)"), std::string::npos) << object.out;

    // The statement of the acceptance check: all three columns arrive.
    const CliRun t = quenbySql({"--csv", "system/lantern@sandbox::memory:",
                                "select to_clob('abc') c, systimestamp t, rowid r from dual"},
                               kOci);
    ASSERT_EQ(t.status, 0) << t.err;
    EXPECT_NE(t.out.find("C,T,R\r\nabc,"), std::string::npos) << t.out;
    EXPECT_NE(t.out.find(",AAAR9sAAEAAAACAAAB\r\n"), std::string::npos) << t.out;
}

TEST(QuenbySqlThroughOci, WithoutAClientSaysWhatWasSearched) {
    const std::string home = ::testing::TempDir() + "quenby-no-such-home";
    const CliRun r = quenbySql({"system/lantern@orcl", "select * from dual"},
                               {"ORACLE_HOME=" + home, "QUENBY_DRIVER=oci"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_NE(r.err.find(home + "/lib/libclntsh.so"), std::string::npos) << r.err;
}

} // namespace
