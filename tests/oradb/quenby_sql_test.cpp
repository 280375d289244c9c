// quenby-sql as a user runs it: output, CSV, errors and exit status.
#include <array>
#include <cstdio>
#include <gtest/gtest.h>
#include <string>
#include <sys/wait.h>

namespace {

struct Run {
    int status = -1;
    std::string out;
};

// Runs quenby-sql with the given arguments (already shell-quoted), standard error merged into
// the output after a marker line.
Run quenbySql(const std::string& args, const std::string& input = "") {
    const std::string errFile = ::testing::TempDir() + "quenby-sql-err.txt";
    std::string cmd = std::string(QUENBY_SQL_PATH) + " " + args + " 2>" + errFile;
    if (!input.empty())
        cmd = "printf '" + input + "' | " + cmd;
    Run run;
    FILE* p = popen(cmd.c_str(), "r");
    std::array<char, 4096> buf{};
    std::size_t n;
    while ((n = fread(buf.data(), 1, buf.size(), p)) > 0)
        run.out.append(buf.data(), n);
    const int status = pclose(p);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    if (FILE* e = fopen(errFile.c_str(), "r")) {
        run.out += "--stderr--\n";
        while ((n = fread(buf.data(), 1, buf.size(), e)) > 0)
            run.out.append(buf.data(), n);
        fclose(e);
    }
    return run;
}

const std::string kLogin = "system/lantern@sandbox::memory:";

TEST(QuenbySql, PrintsTheHeaderOfAnEmptyResult) {
    const Run r = quenbySql(kLogin + " 'select sid,serial#,username from v$session where 1=0'");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "SID SERIAL# USERNAME\n--stderr--\n");
}

TEST(QuenbySql, AlignsColumnsAndReportsStatements) {
    const Run r = quenbySql(kLogin + " \"select 'ab' a, 12345 b from dual\" \"select dummy from "
                                     "dual\" 'create table system.x(a number)'");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "A      B\nab 12345\nDUMMY\nX\nStatement processed.\n--stderr--\n");
}

TEST(QuenbySql, WritesRfc4180Csv) {
    const Run r =
        quenbySql("--csv " + kLogin + " \"select 'a,b' x, 'say \"\"hi\"\"' y from dual\"");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "X,Y\r\n\"a,b\",\"say \"\"hi\"\"\"\r\n--stderr--\n");
}

TEST(QuenbySql, ReadsStatementsFromStandardInput) {
    const Run r = quenbySql(kLogin, "select dummy from dual\\n\\nselect 1 n from dual\\n");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "DUMMY\nX\nN\n1\n--stderr--\n");
}

TEST(QuenbySql, TheFirstErrorStopsWithStatusOne) {
    Run r = quenbySql("system/wrong@sandbox::memory: 'select * from dual'");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "--stderr--\nORA-01017: invalid username/password; logon denied\n");
    r = quenbySql(kLogin + " 'select * from dual' 'select * from v$nothing' 'select * from dual'");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "DUMMY\nX\n--stderr--\nORA-00942: table or view does not exist\n");
}

TEST(QuenbySql, BadUsagePrintsTheUsage) {
    for (const char* args : {"", "--csv", "nologin 'select 1 from dual'", "--bogus x"}) {
        const Run r = quenbySql(args);
        EXPECT_EQ(r.status, 2) << args;
        EXPECT_NE(r.out.find("usage: quenby-sql"), std::string::npos) << args;
    }
}

} // namespace
