// Column length checks and cursor-loop blocks on the sandbox: too-long texts and duplicate keys
// fail the statement with Oracle's errors, in plain statements and inside a block's loop.
#include "oradb/OraError.h"
#include "support/SandboxFixture.h"

namespace {

using testing_support::rowsOf;
using testing_support::SandboxTest;

class LengthChecks : public SandboxTest {
protected:
    void run(const std::string& sql) {
        oradb::TOraSQL s(&session);
        s.SQL.Add(sql);
        s.Execute();
    }
    // The error a statement fails with, or an empty text when it succeeds.
    std::string errorOf(const std::string& sql) {
        try {
            run(sql);
        } catch (const oradb::EOraError& e) {
            return e.Message();
        }
        return {};
    }
    void createTables() {
        run("create table system.lc_src(a varchar2(10), b varchar2(10), n number)");
        run("insert into system.lc_src values('abc','x',1)");
        run("insert into system.lc_src values('ab','y',1)");
        run("insert into system.lc_src values('abcd','x',2)");
        run("insert into system.lc_src values('z','w',3)");
        run("create table system.lc_t(a varchar2(3), b varchar2(2), n number, constraint "
            "lc_t_n unique (n))");
    }
    static std::string block(bool handler) {
        return std::string("declare cursor c1 is select a, b, n from system.lc_src order by n, "
                           "a desc; r c1%rowtype; begin open c1; loop fetch c1 into r; exit "
                           "when c1%notfound; ") +
               (handler ? "begin " : "") + "insert into system.lc_t values(r.a, r.b, r.n);" +
               (handler ? " exception when others then null; end;" : "") +
               " end loop; close c1; end;";
    }
};

TEST_F(LengthChecks, EachSizedColumnIsCheckedOnInsertAndUpdate) {
    createTables();
    const std::string a = "ORA-12899: value too large for column \"SYSTEM\".\"LC_T\".\"A\" "
                          "(maximum: 3)";
    const std::string b = "ORA-12899: value too large for column \"SYSTEM\".\"LC_T\".\"B\" "
                          "(maximum: 2)";
    EXPECT_EQ(errorOf("insert into system.lc_t values('abcd','x',1)"), a);
    EXPECT_EQ(errorOf("insert into system.lc_t values('abc','xyz',1)"), b);
    EXPECT_EQ(errorOf("insert into system.lc_t values('abc','xy',1)"), "");
    EXPECT_EQ(errorOf("update system.lc_t set b='xyz'"), b);
    EXPECT_EQ(errorOf("update system.lc_t set a='abcd', b='x'"), a);
    EXPECT_EQ(rowsOf(session, "select a, b from system.lc_t"),
              (std::vector<std::vector<std::string>>{{"abc", "xy"}}));
}

TEST_F(LengthChecks, ABlockLoopSkipsTheRowsItsHandlerCatches) {
    createTables();
    EXPECT_EQ(errorOf(block(true)), "");
    EXPECT_EQ(rowsOf(session, "select a, b, n from system.lc_t order by n"),
              (std::vector<std::vector<std::string>>{{"abc", "x", "1"}, {"z", "w", "3"}}));
    // Run again, every row is refused: nothing changes.
    EXPECT_EQ(errorOf(block(true)), "");
    EXPECT_EQ(rowsOf(session, "select count(*) from system.lc_t")[0][0], "2");
}

TEST_F(LengthChecks, ABlockLoopWithoutHandlerFailsWithTheRowsError) {
    createTables();
    EXPECT_EQ(errorOf(block(false)).substr(0, 10), "ORA-00001:");
    run("delete from system.lc_t");
    run("delete from system.lc_src where a='ab'");
    EXPECT_EQ(errorOf(block(false)),
              "ORA-12899: value too large for column \"SYSTEM\".\"LC_T\".\"A\" (maximum: 3)");
    // A block that succeeds afterwards inserts all its rows.
    run("delete from system.lc_t");
    run("delete from system.lc_src where a='abcd'");
    EXPECT_EQ(errorOf(block(false)), "");
    EXPECT_EQ(rowsOf(session, "select count(*) from system.lc_t")[0][0], "2");
}

} // namespace
