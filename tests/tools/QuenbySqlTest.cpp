// quenby-sql as a user runs it: output, CSV, errors and exit status.
#include "support/RunProgram.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

struct CliRun {
    int status = -1;
    std::string out;
};

// Runs quenby-sql with these arguments and standard input; the output is standard output, a
// marker line, then standard error.
CliRun quenbySql(const std::vector<std::string>& args, const std::string& input = "") {
    const testing_support::ProgramRun run =
        testing_support::RunProgram(QUENBY_SQL_PATH, args, {{}, {}, input});
    return {run.status, run.out + "--stderr--\n" + run.err};
}

const std::string kLogin = "system/lantern@sandbox::memory:";

TEST(QuenbySql, PrintsTheHeaderOfAnEmptyResult) {
    const CliRun r = quenbySql({kLogin, "select sid,serial#,username from v$session where 1=0"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "SID SERIAL# USERNAME\n--stderr--\n");
}

TEST(QuenbySql, AlignsColumnsAndReportsStatements) {
    const CliRun r = quenbySql({kLogin, "select 'ab' a, 12345 b from dual",
                                "select dummy from dual", "create table system.x(a number)"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "A      B\nab 12345\nDUMMY\nX\nStatement processed.\n--stderr--\n");
}

TEST(QuenbySql, WritesRfc4180Csv) {
    const CliRun r = quenbySql({"--csv", kLogin, "select 'a,b' x, 'say \"hi\"' y from dual"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "X,Y\r\n\"a,b\",\"say \"\"hi\"\"\"\r\n--stderr--\n");
}

TEST(QuenbySql, ReadsStatementsFromStandardInput) {
    const CliRun r = quenbySql({kLogin}, "select dummy from dual\n\nselect 1 n from dual\n");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "DUMMY\nX\nN\n1\n--stderr--\n");
}

TEST(QuenbySql, RunsSqlPlusScripts) {
    const std::string script = "set lines 200 pages 100\n"
                               "col username format a20\n"
                               "prompt Blockers:\n"
                               "select count(*) n\n"
                               "  from v$session  -- the waiters\n"
                               " where blocking_session is not null;\n"
                               "begin\n"
                               "  null;\n"
                               "end;\n"
                               "/\n"
                               "select 'a;b' x from dual\n"
                               "/\n"
                               "exit\n"
                               "select 'not run' from dual;\n";
    CliRun r = quenbySql({kLogin}, script);
    EXPECT_EQ(r.status, 0) << r.out;
    EXPECT_EQ(r.out.substr(0, r.out.find("N\n")), "Blockers:\n");
    EXPECT_NE(r.out.find("Statement processed.\nX\na;b\n--stderr--\n"), std::string::npos) << r.out;
    // A script as one argument, and a SQL*Plus command that would need another file.
    r = quenbySql({kLogin, "select 1 a from dual;\nselect 2 b from dual;"});
    EXPECT_EQ(r.out, "A\n1\nB\n2\n--stderr--\n");
    r = quenbySql({kLogin}, "select 1 a from dual;\n@more.sql\nselect 2 b from dual;\n");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "A\n1\n--stderr--\nquenby-sql does not carry out the SQL*Plus command "
                     "\"@more.sql\"\n");
}

TEST(QuenbySql, TheFirstErrorStopsWithStatusOne) {
    CliRun r = quenbySql({"system/wrong@sandbox::memory:", "select * from dual"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "--stderr--\nORA-01017: invalid username/password; logon denied\n");
    r = quenbySql({kLogin, "select * from dual", "select * from v$nothing", "select * from dual"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "DUMMY\nX\n--stderr--\nORA-00942: table or view does not exist\n");
}

TEST(QuenbySql, LogsOnAsSysdbaOrSysoperAsSqlPlusDoes) {
    const std::string sys = "sys/lantern@sandbox::memory:";
    // In the logon argument or as arguments of their own, in any case.
    for (const std::vector<std::string>& args :
         std::vector<std::vector<std::string>>{{sys + " as sysdba", "select user u from dual"},
                                               {sys + "  AS   SYSDBA ", "select user u from dual"},
                                               {sys, "as", "sysdba", "select user u from dual"},
                                               {sys, "AS", "SysDba", "select user u from dual"}}) {
        const CliRun r = quenbySql(args);
        EXPECT_EQ(r.status, 0) << args[0];
        EXPECT_EQ(r.out, "U\nSYS\n--stderr--\n") << args[0];
    }
    CliRun r = quenbySql({sys + " as sysoper", "select user u from dual"});
    EXPECT_EQ(r.out, "U\nPUBLIC\n--stderr--\n");
    r = quenbySql({sys, "select user u from dual"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "--stderr--\nORA-28009: connection as SYS should be as SYSDBA or SYSOPER\n");
    r = quenbySql({"scott/tiger@sandbox::memory:", "as", "sysdba", "select user u from dual"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "--stderr--\nORA-01031: insufficient privileges\n");
    // "as" followed by anything else is a statement, as before.
    r = quenbySql({kLogin, "as", "select user u from dual"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.out.find("ORA-00900"), std::string::npos) << r.out;
}

TEST(QuenbySql, BadUsagePrintsTheUsage) {
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {}, {"--csv"}, {"nologin", "select 1 from dual"}, {"--bogus", "x"}}) {
        const CliRun r = quenbySql(args);
        EXPECT_EQ(r.status, 2) << args.size();
        EXPECT_NE(
            r.out.find("usage: quenby-sql [--csv] USER/PASSWORD@SERVER [AS SYSDBA|AS SYSOPER]"),
            std::string::npos)
            << args.size();
    }
}

} // namespace
