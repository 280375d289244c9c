// The data-access layer on the sandbox driver: sessions, queries, fields, errors, faults and
// several threads sharing one session.
#include "oradb/OraError.h"
#include "support/CallGate.h"
#include "support/SandboxFixture.h"
#include "util/DateTimeText.h"

#include <future>
#include <thread>

namespace {

using testing_support::openTestInstance;
using testing_support::rowsOf;
using testing_support::SandboxTest;
using testing_support::serverOf;

int errorCodeOf(const std::function<void()>& f) {
    try {
        f();
    } catch (const oradb::EOraError& e) {
        return e.ErrorCode();
    }
    return -1;
}

int loginError(const std::string& server, const std::string& user, const std::string& password) {
    return errorCodeOf([&] {
        oradb::TOraSession s;
        s.Username = user;
        s.Password = password;
        s.Server = server;
        s.ConnectDirect();
    });
}

TEST(SandboxLogin, AccountsAndTheirErrors) {
    const auto instance = openTestInstance();
    const std::string server = serverOf(*instance);
    EXPECT_EQ(loginError(server, "system", "wrong"), 1017);
    EXPECT_EQ(loginError(server, "nobody", "lantern"), 1017);
    EXPECT_EQ(loginError(server, "system", ""), 1005);
    EXPECT_EQ(loginError("sandbox:/no/such/folder/x.db", "system", "lantern"), 12154);

    // SYS logs on as SYSDBA only, as from Oracle.
    EXPECT_EQ(loginError(server, "sys", "lantern"), 28009);

    oradb::TOraSession s;
    s.Username = "Sys";
    s.Password = "LANTERN"; // passwords of this Oracle era ignore case
    s.Server = server;
    s.Privilege = oradb::TConnectPrivilege::SysDba;
    s.ConnectDirect();
    EXPECT_TRUE(s.Connected());
    // The session appears in v$session under its user name while it is logged on.
    EXPECT_FALSE(rowsOf(s, "select sid from v$session where username='SYS'").empty());
    s.Disconnect();
    EXPECT_FALSE(s.Connected());
    EXPECT_EQ(errorCodeOf([&] { rowsOf(s, "select * from dual"); }), 3114);
}

TEST(SandboxLogin, UserWithoutTheCatalogRoleCannotSeeTheDictionary) {
    const auto instance = openTestInstance();
    oradb::TOraSession scott;
    scott.Username = "scott";
    scott.Password = "tiger";
    scott.Server = serverOf(*instance);
    scott.ConnectDirect();
    EXPECT_TRUE(
        rowsOf(scott, "select * from session_roles where role='SELECT_CATALOG_ROLE'").empty());
    EXPECT_EQ(errorCodeOf([&] { rowsOf(scott, "select sid from v$session"); }), 942);
    EXPECT_EQ(rowsOf(scott, "select dummy from dual"),
              (std::vector<std::vector<std::string>>{{"X"}}));
    EXPECT_EQ(errorCodeOf([&] {
                  oradb::TOraQuery q(&scott);
                  q.SQL.Add("alter system kill session '1,1'");
                  q.ExecSQL();
              }),
              1031);
}

class Queries : public SandboxTest {};

TEST_F(Queries, FieldsByNameIgnoringCaseAndTheirTypes) {
    oradb::TOraQuery q(&session);
    q.SQL.Add("select sid,serial#,username,saddr,logon_time from v$session where 1=0");
    q.Open();
    EXPECT_EQ(q.FieldNames(),
              (std::vector<std::string>{"SID", "SERIAL#", "USERNAME", "SADDR", "LOGON_TIME"}));
    EXPECT_TRUE(q.Eof());
    EXPECT_EQ(q.RecordCount(), 0);
    EXPECT_EQ(q.FieldByName("Serial#").FieldName(), "SERIAL#");
    EXPECT_EQ(q.FindField("nothing"), nullptr);
    try {
        q.FieldByName("nothing");
        FAIL();
    } catch (const oradb::EOraError& e) {
        EXPECT_NE(std::string(e.what()).find("nothing"), std::string::npos);
    }
    EXPECT_EQ(q.FieldByName("saddr").DataType(), oradb::TFieldType::ftVarBytes);
    EXPECT_EQ(q.FieldByName("logon_time").DataType(), oradb::TFieldType::ftDateTime);
    EXPECT_EQ(q.FieldByName("sid").DataType(), oradb::TFieldType::ftFloat);
    EXPECT_EQ(q.FieldByName("username").DataType(), oradb::TFieldType::ftString);

    q.SQL.Clear();
    q.SQL.Add("select saddr, rawtohex(saddr) hex, sid, logon_time, 1/4 quarter, null nothing "
              "from v$session where type='BACKGROUND' order by sid");
    q.Open();
    ASSERT_FALSE(q.Eof());
    EXPECT_EQ(q.FieldByName("saddr").AsString(), q.FieldByName("hex").AsString());
    EXPECT_EQ(q.FieldByName("quarter").AsString(), ".25");
    EXPECT_DOUBLE_EQ(q.FieldByName("quarter").AsFloat(), 0.25);
    EXPECT_TRUE(q.FieldByName("nothing").IsNull());
    EXPECT_EQ(q.FieldByName("nothing").AsString(), "");
    EXPECT_GT(q.FieldByName("logon_time").AsDateTime(), 40000.0);
    EXPECT_GT(q.FieldByName("sid").AsInteger(), 0);
    EXPECT_THROW(q.FieldByName("hex").AsInteger(), oradb::EOraError);
    int rows = 0;
    for (; !q.Eof(); q.Next())
        ++rows;
    EXPECT_EQ(rows, q.RecordCount());
}

TEST_F(Queries, TextShapedLikeADateWithAnImpossibleDayStaysText) {
    oradb::TOraQuery q(&session);
    q.SQL.Add("select '2026-02-30 00:00:00' bad, '2026-02-28 13:45:00' good, '2026-02-31 "
              "25:61:61' worse from dual");
    q.Open();
    ASSERT_FALSE(q.Eof());
    EXPECT_EQ(q.FieldByName("bad").DataType(), oradb::TFieldType::ftString);
    EXPECT_EQ(q.FieldByName("bad").AsString(), "2026-02-30 00:00:00");
    EXPECT_EQ(q.FieldByName("worse").AsString(), "2026-02-31 25:61:61");
    EXPECT_EQ(q.FieldByName("good").DataType(), oradb::TFieldType::ftDateTime);
    EXPECT_EQ(util::toIsoText(q.FieldByName("good").AsDateTime()), "2026-02-28 13:45:00");
}

TEST_F(Queries, OracleErrorsForWhatFails) {
    auto code = [&](const std::string& sql) { return errorCodeOf([&] { rowsOf(session, sql); }); };
    EXPECT_EQ(code("select * from v$nothing"), 942);
    EXPECT_EQ(code("select nosuchcolumn from dual"), 904);
    EXPECT_EQ(code("select 1/0 from dual"), 1476);
    EXPECT_EQ(code("frobnicate the database"), 900);
    EXPECT_EQ(code("select 'open from dual"), 1756);
    try {
        rowsOf(session, "select * from v$nothing");
    } catch (const oradb::EOraError& e) {
        EXPECT_STREQ(e.what(), "ORA-00942: table or view does not exist");
    }
}

TEST_F(Queries, AFetchThatFailsAfterSomeRowsDeliversThemFirst) {
    oradb::sandbox::Fault fault;
    fault.fragment = "v$system_parameter";
    fault.failAfterRows = 10;
    fault.code = 3113;
    fault.text = "end-of-file on communication channel";
    instance->addFault(fault);
    oradb::TOraQuery q(&session);
    q.SQL.Add("select * from v$system_parameter order by name");
    q.Open();
    int rows = 0;
    int code = 0;
    try {
        for (; !q.Eof(); q.Next())
            ++rows;
    } catch (const oradb::EOraError& e) {
        code = e.ErrorCode();
    }
    EXPECT_EQ(rows, 10);
    EXPECT_EQ(code, 3113);

    instance->clearFaults();
    fault.failAfterRows = 0;
    instance->addFault(fault);
    EXPECT_EQ(errorCodeOf([&] { q.Open(); }), 3113);
}

TEST_F(Queries, ALostConnectionFailsEveryLaterCall) {
    instance->loseConnections();
    EXPECT_EQ(errorCodeOf([&] { rowsOf(session, "select * from dual"); }), 3113);
    EXPECT_EQ(errorCodeOf([&] { rowsOf(session, "select * from dual"); }), 1012);
    session.ConnectDirect(); // a new login works again
    EXPECT_EQ(rowsOf(session, "select dummy from dual").size(), 1u);
}

TEST_F(Queries, ASlowStatementIsCancelledFromAnotherThread) {
    oradb::sandbox::Fault slow;
    slow.fragment = "from dual";
    slow.delayMs = 600000;
    instance->addFault(slow);
    oradb::TOraQuery q(&session);
    q.SQL.Add("select * from dual");
    auto call = std::async(std::launch::async, [&] { return errorCodeOf([&] { q.Open(); }); });
    // One cancel, whether it comes before or after the call has started.
    q.Cancel();
    EXPECT_EQ(testing_support::endedWith(call, q), 1013);
}

TEST_F(Queries, AKilledSessionLearnsItOnItsNextCall) {
    oradb::TOraSession other;
    other.Username = "dbsnmp";
    other.Password = "dbsnmp";
    other.Server = session.Server;
    other.ConnectDirect();
    // The seed has DBSNMP sessions of its own; this one is the test program's.
    const auto me = rowsOf(other, "select sid,serial# from v$session where username='DBSNMP' "
                                  "and program like 'quenby_oradb_tests%'");
    ASSERT_EQ(me.size(), 1u);
    oradb::TOraQuery kill(&session);
    kill.SQL.Add("alter system kill session '" + me[0][0] + "," + me[0][1] + "'");
    kill.ExecSQL();
    EXPECT_EQ(errorCodeOf([&] { rowsOf(other, "select * from dual"); }), 28);
    EXPECT_EQ(errorCodeOf([&] { kill.ExecSQL(); }), 30);
    kill.SQL.Clear();
    kill.SQL.Add("alter system kill session 'x,1'");
    EXPECT_EQ(errorCodeOf([&] { kill.ExecSQL(); }), 26);
}

TEST_F(Queries, TableLocksConflictBetweenSessionsUntilCommit) {
    oradb::TOraSession other;
    other.Username = "system";
    other.Password = "lantern";
    other.Server = session.Server;
    other.ConnectDirect();
    oradb::TOraSQL mine(&session), theirs(&other);
    mine.SQL.Add("create table system.t1(a number, b varchar2(5), constraint t1_u unique (a))");
    mine.Execute();
    mine.SQL.Clear();
    mine.SQL.Add("lock table t1 in exclusive mode nowait");
    mine.Execute();
    theirs.SQL.Add("lock table t1 in exclusive mode nowait");
    EXPECT_EQ(errorCodeOf([&] { theirs.Execute(); }), 54);
    EXPECT_EQ(rowsOf(session, "select count(*) from v$lock where type='TM' and lmode=6")[0][0],
              "1");
    mine.SQL.Clear();
    mine.SQL.Add("commit");
    mine.Execute();
    theirs.Execute(); // free now

    mine.SQL.Clear();
    mine.SQL.Add("insert into t1 values(1,'abc')");
    mine.Execute();
    EXPECT_EQ(errorCodeOf([&] { mine.Execute(); }), 1);
    mine.SQL.Clear();
    mine.SQL.Add("insert into t1 values(2,'abcdef')");
    EXPECT_EQ(errorCodeOf([&] { mine.Execute(); }), 12899);
    EXPECT_EQ(rowsOf(session, "select count(*) from t1")[0][0], "1");
}

TEST_F(Queries, FourThreadsQueryOneSessionWhileAFifthExecutes) {
    oradb::TOraSQL setup(&session);
    setup.SQL.Add("create table system.counter(n number)");
    setup.Execute();
    const std::string stat =
        value("select statistic# from v$statname where name='session logical reads'");
    constexpr int kRounds = 60;
    std::atomic<int> failures{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&] {
            oradb::TOraQuery q(&session);
            for (int i = 0; i < kRounds; ++i) {
                try {
                    q.SQL.Clear();
                    q.SQL.Add("select s.sid, st.value from v$session s, v$sesstat st where "
                              "s.sid=st.sid and st.statistic#=" +
                              stat);
                    q.Open();
                    if (q.RecordCount() < 1)
                        ++failures;
                    for (; !q.Eof(); q.Next())
                        (void)q.FieldByName("value").AsString();
                    q.Close();
                } catch (...) {
                    ++failures;
                }
            }
        });
    threads.emplace_back([&] {
        oradb::TOraSQL s(&session);
        for (int i = 0; i < kRounds; ++i) {
            try {
                s.SQL.Clear();
                s.SQL.Add("insert into counter values(" + std::to_string(i) + ")");
                s.Execute();
            } catch (...) {
                ++failures;
            }
        }
    });
    for (auto& th : threads)
        th.join();
    EXPECT_EQ(failures, 0);
    EXPECT_EQ(rowsOf(session, "select count(*) from counter")[0][0], std::to_string(kRounds));
}

TEST(SandboxInstance, AFileInstanceKeepsItsDataAcrossOpens) {
    const std::string path =
        ::testing::TempDir() + "quenby-sandbox-" + std::to_string(::getpid()) + ".db";
    std::remove(path.c_str());
    {
        oradb::TOraSession s;
        s.Username = "system";
        s.Password = "lantern";
        s.Server = "sandbox:" + path;
        s.ConnectDirect();
        oradb::TOraSQL sql(&s);
        sql.SQL.Add("create table system.kept(a number)");
        sql.Execute();
        sql.SQL.Clear();
        sql.SQL.Add("insert into kept values(42)");
        sql.Execute();
    }
    oradb::TOraSession s;
    s.Username = "system";
    s.Password = "lantern";
    s.Server = "sandbox:" + path;
    s.ConnectDirect();
    EXPECT_EQ(rowsOf(s, "select a from kept")[0][0], "42");
    s.Disconnect();
    std::remove(path.c_str());
}

// Result rows kept compactly: every kind of value reads back as it was added, across many
// blocks, with texts long and empty; a copy is whole and independent, a moved-from set is empty
// and takes rows again, and rows made after others were released read their own values.
TEST(ResultRows, ValuesReadBackAcrossBlocksCopiesAndReuse) {
    using oradb::TCell;
    const std::string longText(40000, 'L');
    auto fill = [&](oradb::TRows& rows, int count, const std::string& tag) {
        for (int r = 0; r < count; ++r)
            rows.push_back({TCell::integer(r), TCell::text(tag + std::to_string(r)), TCell{},
                            TCell::real(r + 0.5), TCell::date(45000.25 + r),
                            TCell::bytes(std::string("\0\xff", 2)),
                            TCell::text(r % 1000 == 7 ? longText : std::string())});
    };
    auto check = [&](const oradb::TRows& rows, int count, const std::string& tag) {
        ASSERT_EQ(rows.size(), static_cast<std::size_t>(count));
        for (int r = 0; r < count; ++r) {
            const auto row = rows[static_cast<std::size_t>(r)];
            ASSERT_EQ(row.size(), 7u);
            EXPECT_EQ(row.View(0).i, r);
            ASSERT_EQ(row.View(1).s, tag + std::to_string(r));
            EXPECT_EQ(row.View(2).kind, TCell::Kind::Null);
            EXPECT_EQ(row.View(3).d, r + 0.5);
            EXPECT_EQ(row.View(4).kind, TCell::Kind::Date);
            EXPECT_EQ(row.View(4).d, 45000.25 + r);
            EXPECT_EQ(row[5].s, std::string("\0\xff", 2));
            EXPECT_EQ(row.View(6).s.size(), r % 1000 == 7 ? longText.size() : 0u);
        }
    };
    oradb::TRows rows;
    fill(rows, 20000, "row ");
    check(rows, 20000, "row ");
    oradb::TRows copy = rows;
    rows = oradb::TRows();
    check(copy, 20000, "row ");
    oradb::TRows moved = std::move(copy);
    EXPECT_TRUE(copy.empty());
    fill(copy, 3, "again ");
    check(copy, 3, "again ");
    moved.clear();
    oradb::TRows reused;
    fill(reused, 20000, "new ");
    check(reused, 20000, "new ");
    // A row of another width is refused.
    EXPECT_THROW(reused.push_back({TCell::integer(1)}), std::logic_error);
}

} // namespace
