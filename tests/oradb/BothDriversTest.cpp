// The data-access layer through both drivers: the sandbox driver, and the OCI driver on the
// stand-in client library of the test Oracle home. The same statements must give the same
// results, the same error codes, and cancel the same way.
#include "OciFixture.h"
#include "support/CallGate.h"
#include "support/SandboxFixture.h"
#include "util/DateTimeText.h"

#include <atomic>
#include <chrono>
#include <future>
#include <thread>

namespace {

using namespace testing_support;

enum class Driver { Sandbox, Oci };

std::string driverName(const ::testing::TestParamInfo<Driver>& info) {
    return info.param == Driver::Sandbox ? "Sandbox" : "Oci";
}

class GateInstalled;

class BothDrivers : public ::testing::TestWithParam<Driver> {
    friend class GateInstalled;

protected:
    void SetUp() override {
        stub.instanceOptions(40);
        if (GetParam() == Driver::Oci)
            route.emplace();
        // The sandbox driver uses this instance; the stand-in opens its own twin by the same
        // name, with the same seed.
        instance = openTestInstance();
        server = serverOf(*instance);
        session = login("system", "lantern");
    }

    std::unique_ptr<oradb::TOraSession>
    login(const std::string& user, const std::string& password,
          oradb::TConnectPrivilege privilege = oradb::TConnectPrivilege::Normal) {
        auto s = std::make_unique<oradb::TOraSession>();
        s->Username = user;
        s->Password = password;
        s->Server = server;
        s->Privilege = privilege;
        s->ConnectDirect();
        return s;
    }

    void addFault(const std::string& fragment, int failAfterRows, int code, int delayMs) {
        const std::string text = "end-of-file on communication channel";
        if (GetParam() == Driver::Oci) {
            stub.addFault(server, fragment, failAfterRows, code, text, delayMs);
            return;
        }
        oradb::sandbox::Fault fault;
        fault.fragment = fragment;
        fault.failAfterRows = failAfterRows;
        fault.code = code;
        fault.text = text;
        fault.delayMs = delayMs;
        instance->addFault(fault);
    }

    int loginError(const std::string& serverText, const std::string& user,
                   const std::string& password,
                   oradb::TConnectPrivilege privilege = oradb::TConnectPrivilege::Normal) {
        return errorCodeOf([&] {
            oradb::TOraSession s;
            s.Username = user;
            s.Password = password;
            s.Server = serverText;
            s.Privilege = privilege;
            s.ConnectDirect();
        });
    }

    int queryError(const std::string& sql) {
        return errorCodeOf([&] { rowsOf(*session, sql); });
    }

    // Puts `gate` at the start of the calls of the instance that serves this driver.
    void installGate(const std::function<void(const std::string&)>* hook) {
        if (GetParam() == Driver::Oci)
            stub.setCallHook(server, hook);
        else
            instance->setCallHook(hook ? *hook : std::function<void(const std::string&)>());
    }

    StubControls stub;
    std::optional<OciRoute> route;
    std::shared_ptr<oradb::sandbox::Instance> instance;
    std::string server;
    std::unique_ptr<oradb::TOraSession> session;
};

// Puts a gate at the start of the test instance's calls for the life of the object.
class GateInstalled {
public:
    GateInstalled(BothDrivers& test, CallGate& gate) : test_(test) {
        test_.installGate(&gate.hook);
    }
    ~GateInstalled() { test_.installGate(nullptr); }
    GateInstalled(const GateInstalled&) = delete;
    GateInstalled& operator=(const GateInstalled&) = delete;

private:
    BothDrivers& test_;
};

TEST_P(BothDrivers, LoginErrorsCarryTheirOracleCodes) {
    EXPECT_EQ(loginError(server, "system", "wrong"), 1017);
    EXPECT_EQ(loginError(server, "nobody", "lantern"), 1017);
    EXPECT_EQ(loginError(server, "system", ""), 1005);
    EXPECT_EQ(loginError("sandbox:/no/such/folder/x.db", "system", "lantern"), 12154);
    auto scott = login("scott", "tiger");
    EXPECT_EQ(scott->driver()->user(), "SCOTT");
}

TEST_P(BothDrivers, SysLogsOnAsSysdbaOnlyAndOthersCannotAskForIt) {
    using P = oradb::TConnectPrivilege;
    EXPECT_EQ(loginError(server, "sys", "lantern"), 28009);
    EXPECT_EQ(loginError(server, "sys", "wrong", P::SysDba), 1017);
    EXPECT_EQ(loginError(server, "scott", "tiger", P::SysDba), 1031);
    EXPECT_EQ(loginError(server, "system", "lantern", P::SysOper), 1031);
    try {
        login("SYS", "lantern");
        FAIL();
    } catch (const oradb::EOraError& e) {
        EXPECT_STREQ(e.what(), "ORA-28009: connection as SYS should be as SYSDBA or SYSOPER");
    }
    auto sys = login("Sys", "LANTERN", P::SysDba);
    EXPECT_EQ(sys->driver()->user(), "SYS");
    EXPECT_EQ(rowsOf(*sys, "select user from dual"),
              (std::vector<std::vector<std::string>>{{"SYS"}}));
    EXPECT_FALSE(rowsOf(*sys, "select sid from v$session where username='SYS'").empty());
    auto oper = login("sys", "lantern", P::SysOper);
    EXPECT_EQ(oper->driver()->user(), "PUBLIC");
}

void execute(oradb::TOraSession& s, const std::string& statement) {
    oradb::TOraSQL sql(&s);
    sql.SQL.Add(statement);
    sql.Execute();
}

TEST_P(BothDrivers, ALockedAccountOrAnExpiredPasswordRefusesTheLogon) {
    EXPECT_EQ(errorCodeOf([&] { execute(*session, "alter user scott account lock"); }), -1);
    EXPECT_EQ(loginError(server, "scott", "tiger"), 28000);
    EXPECT_EQ(loginError(server, "scott", "wrong"), 1017); // the password is checked first
    execute(*session, "alter user scott account unlock");
    EXPECT_EQ(loginError(server, "scott", "tiger"), -1);
    execute(*session, "alter user scott password expire");
    EXPECT_EQ(loginError(server, "scott", "tiger"), 28001);
    EXPECT_EQ(rowsOf(*session, "select account_status from dba_users where username='SCOTT'"),
              (std::vector<std::vector<std::string>>{{"EXPIRED"}}));
    // Only a DBA changes accounts, and only existing ones.
    auto dbsnmp = login("dbsnmp", "dbsnmp");
    EXPECT_EQ(errorCodeOf([&] { execute(*dbsnmp, "alter user system account lock"); }), 1031);
    EXPECT_EQ(errorCodeOf([&] { execute(*session, "alter user nobody account lock"); }), 1918);
}

TEST_P(BothDrivers, StatementErrorsCarryTheirOracleCodesAndTexts) {
    EXPECT_EQ(queryError("select * from v$nothing"), 942);
    EXPECT_EQ(queryError("select nosuchcolumn from dual"), 904);
    EXPECT_EQ(queryError("select 1/0 from dual"), 1476);
    EXPECT_EQ(queryError("frobnicate the database"), 900);
    EXPECT_EQ(queryError("select 'open from dual"), 1756);
    try {
        rowsOf(*session, "select * from v$nothing");
        FAIL();
    } catch (const oradb::EOraError& e) {
        EXPECT_STREQ(e.what(), "ORA-00942: table or view does not exist");
    }
    auto scott = login("scott", "tiger");
    EXPECT_EQ(errorCodeOf([&] { rowsOf(*scott, "select sid from v$session"); }), 942);
}

TEST_P(BothDrivers, FieldsKeepTheirTypesAndValues) {
    oradb::TOraQuery q(session.get());
    q.SQL.Add("select saddr, rawtohex(saddr) hex, sid, logon_time, username, 1/4 quarter, "
              "null nothing, 'Grüße ✓' word from v$session where type='BACKGROUND' order by sid");
    q.Open();
    ASSERT_FALSE(q.Eof());
    EXPECT_EQ(q.FieldByName("saddr").DataType(), oradb::TFieldType::ftVarBytes);
    EXPECT_EQ(q.FieldByName("logon_time").DataType(), oradb::TFieldType::ftDateTime);
    EXPECT_EQ(q.FieldByName("sid").DataType(), oradb::TFieldType::ftFloat);
    EXPECT_EQ(q.FieldByName("username").DataType(), oradb::TFieldType::ftString);
    EXPECT_EQ(q.FieldByName("saddr").AsString(), q.FieldByName("hex").AsString());
    EXPECT_EQ(q.FieldByName("saddr").AsBytes().size() * 2, q.FieldByName("hex").AsString().size());
    EXPECT_EQ(q.FieldByName("quarter").AsString(), ".25");
    EXPECT_DOUBLE_EQ(q.FieldByName("quarter").AsFloat(), 0.25);
    EXPECT_TRUE(q.FieldByName("nothing").IsNull());
    EXPECT_EQ(q.FieldByName("nothing").AsString(), "");
    EXPECT_EQ(q.FieldByName("word").AsString(), "Grüße ✓");
    EXPECT_GT(q.FieldByName("logon_time").AsDateTime(), 40000.0);
    EXPECT_EQ(q.FieldByName("logon_time").AsString(),
              util::formatDateTime(q.FieldByName("logon_time").AsDateTime()));
    EXPECT_GT(q.FieldByName("sid").AsInteger(), 0);
    int rows = 0;
    for (; !q.Eof(); q.Next())
        ++rows;
    EXPECT_EQ(rows, q.RecordCount());
    EXPECT_GT(rows, 1);
}

TEST_P(BothDrivers, AFetchThatFailsAfterSomeRowsDeliversThemFirst) {
    // Past the first array of rows, and before it.
    for (const int after : {250, 10}) {
        addFault("from v$sesstat", after, 3113, 0);
        oradb::TOraQuery q(session.get());
        q.SQL.Add("select sid, statistic#, value from v$sesstat order by sid, statistic#");
        q.Open();
        int rows = 0;
        int code = 0;
        try {
            for (; !q.Eof(); q.Next())
                ++rows;
        } catch (const oradb::EOraError& e) {
            code = e.ErrorCode();
        }
        EXPECT_EQ(rows, after);
        EXPECT_EQ(code, 3113);
        if (GetParam() == Driver::Oci)
            stub.clearFaults(server);
        else
            instance->clearFaults();
    }
    addFault("from v$sesstat", 0, 3113, 0);
    oradb::TOraQuery q(session.get());
    q.SQL.Add("select sid from v$sesstat");
    EXPECT_EQ(errorCodeOf([&] { q.Open(); }), 3113);
}

TEST_P(BothDrivers, ALostConnectionFailsEveryLaterCall) {
    if (GetParam() == Driver::Oci)
        stub.loseConnections(server);
    else
        instance->loseConnections();
    EXPECT_EQ(queryError("select * from dual"), 3113);
    EXPECT_EQ(queryError("select * from dual"), 1012);
    session = login("system", "lantern");
    EXPECT_EQ(rowsOf(*session, "select dummy from dual").size(), 1u);
    session->Disconnect();
    EXPECT_EQ(queryError("select * from dual"), 3114);
}

TEST_P(BothDrivers, ASlowStatementIsCancelledFromAnotherThreadAndTheSessionGoesOn) {
    addFault("from dual where 1=1", -1, 0, 600000);
    oradb::TOraQuery q(session.get());
    q.SQL.Add("select * from dual where 1=1");
    auto code = std::async(std::launch::async, [&] { return errorCodeOf([&] { q.Open(); }); });
    // One cancel, whether it comes before, during or after the start of the call.
    q.Cancel();
    EXPECT_EQ(endedWith(code, q), 1013);
    // Neither the break nor the cancel reaches the next statement.
    EXPECT_EQ(rowsOf(*session, "select dummy from dual"),
              (std::vector<std::vector<std::string>>{{"X"}}));
}

TEST_P(BothDrivers, ACancelBeforeTheCallStartsRefusesItUntilReset) {
    addFault("from dual where 7=7", -1, 0, 600000);
    CallGate gate("where 7=7", false);
    GateInstalled installed(*this, gate);
    oradb::TOraQuery q(session.get());
    q.SQL.Add("select * from dual where 7=7");
    q.Cancel();
    auto open = std::async(std::launch::async, [&] { return errorCodeOf([&] { q.Open(); }); });
    EXPECT_EQ(endedWith(open, q), 1013);
    auto exec = std::async(std::launch::async, [&] { return errorCodeOf([&] { q.ExecSQL(); }); });
    EXPECT_EQ(endedWith(exec, q), 1013);
    EXPECT_EQ(gate.Arrived(), 0) << "a cancelled call reached the instance";
    q.ResetCancel();
    q.SQL.Clear();
    q.SQL.Add("select dummy from dual where 8=8");
    q.Open();
    EXPECT_EQ(q.FieldByName("dummy").AsString(), "X");
}

TEST_P(BothDrivers, ACancelWhileTheCallIsHeldAtItsStartStopsIt) {
    for (const bool query : {true, false}) {
        SCOPED_TRACE(query ? "Open" : "ExecSQL");
        CallGate gate("where 7=7", true);
        GateInstalled installed(*this, gate);
        oradb::TOraQuery q(session.get());
        q.SQL.Add("select * from dual where 7=7");
        auto call = std::async(std::launch::async, [&] {
            return errorCodeOf([&] {
                if (query)
                    q.Open();
                else
                    q.ExecSQL();
            });
        });
        ASSERT_TRUE(gate.WaitArrived()) << "the call never reached the instance";
        q.Cancel();
        gate.Release();
        EXPECT_EQ(endedWith(call, q), 1013);
    }
    EXPECT_EQ(rowsOf(*session, "select dummy from dual"),
              (std::vector<std::vector<std::string>>{{"X"}}));
}

TEST_P(BothDrivers, ACallEndsOnItsCancelWhileTheBreakStillWaitsOnTheNetwork) {
    CallGate gate("where 8=8", true);
    GateInstalled installed(*this, gate);
    oradb::TOraQuery q(session.get());
    q.SQL.Add("select * from dual where 8=8");
    auto call = std::async(std::launch::async, [&] { return errorCodeOf([&] { q.Open(); }); });
    ASSERT_TRUE(gate.WaitArrived()) << "the call never reached the instance";
    struct Held {
        const StubControls& stub;
        ~Held() { stub.holdBreaks(false); }
    } held{stub};
    stub.holdBreaks(true);
    auto cancel = std::async(std::launch::async, [&] { q.Cancel(); });
    if (GetParam() == Driver::Oci) {
        ASSERT_TRUE(stub.waitBreakHeld()) << "the cancel never sent a break";
    } else {
        cancel.wait(); // the sandbox driver sends no break
    }
    gate.Release();
    // The call returns ORA-01013 while OCIBreak has not returned: nothing it needs is held.
    EXPECT_EQ(endedWith(call, q), 1013);
    stub.holdBreaks(false);
    EXPECT_EQ(cancel.wait_for(std::chrono::seconds(60)), std::future_status::ready);
    q.ResetCancel();
    q.Open();
    EXPECT_EQ(q.FieldByName("dummy").AsString(), "X");
}

TEST_P(BothDrivers, ACancelAfterTheCallEndedKeepsItsRowsAndRefusesTheNextUntilReset) {
    oradb::TOraQuery q(session.get());
    q.SQL.Add("select dummy from dual");
    q.Open();
    q.Cancel();
    ASSERT_EQ(q.RecordCount(), 1);
    EXPECT_EQ(q.FieldByName("dummy").AsString(), "X");
    EXPECT_EQ(errorCodeOf([&] { q.Open(); }), 1013);
    q.ResetCancel();
    q.Open();
    EXPECT_EQ(q.FieldByName("dummy").AsString(), "X");
    // The session's other statements never saw the cancel.
    EXPECT_EQ(rowsOf(*session, "select dummy from dual"),
              (std::vector<std::vector<std::string>>{{"X"}}));
}

TEST_P(BothDrivers, NamedParametersBindDatesTextsAndNumbers) {
    oradb::TOraQuery q(session.get());
    q.SQL.Add("select count(*) n from v$session where logon_time <= :fetchtime");
    q.ParamByName(":fetchtime").SetAsDateTime(util::now() + 1);
    q.Open();
    const std::string all = rowsOf(*session, "select count(*) from v$session")[0][0];
    EXPECT_EQ(q.FieldByName("n").AsString(), all);
    q.ParamByName("fetchtime").SetAsDateTime(util::encodeDateTime({1990, 1, 1}));
    q.Open();
    EXPECT_EQ(q.FieldByName("n").AsString(), "0");

    // A parameter the statement does not name is left out.
    q.SQL.Clear();
    q.SQL.Add("select username from v$session where username = :who and sid > :low");
    q.ParamByName("who").SetAsString("SYSTEM");
    q.ParamByName("low").SetAsInteger(0);
    q.Open();
    ASSERT_FALSE(q.Eof());
    EXPECT_EQ(q.FieldByName("username").AsString(), "SYSTEM");
}

TEST_P(BothDrivers, StatementsReportTheRowsTheyChanged) {
    oradb::TOraSQL sql(session.get());
    sql.SQL.Add("create table system.t2(a number, b varchar2(10))");
    EXPECT_EQ(sql.Execute(), 0);
    for (int i = 1; i <= 3; ++i) {
        sql.SQL.Clear();
        sql.SQL.Add("insert into t2 values(" + std::to_string(i) + ", 'v" + std::to_string(i) +
                    "')");
        EXPECT_EQ(sql.Execute(), 1);
    }
    sql.SQL.Clear();
    sql.SQL.Add("update t2 set b='w' where a >= 2");
    EXPECT_EQ(sql.Execute(), 2);
    EXPECT_EQ(rowsOf(*session, "select a, b from t2 order by a"),
              (std::vector<std::vector<std::string>>{{"1", "v1"}, {"2", "w"}, {"3", "w"}}));
    sql.SQL.Clear();
    sql.SQL.Add("insert into t2 values(4, 'far too long a text')");
    EXPECT_EQ(errorCodeOf([&] { sql.Execute(); }), 12899);
}

TEST_P(BothDrivers, TableLocksLastUntilCommit) {
    auto other = login("system", "lantern");
    oradb::TOraSQL mine(session.get()), theirs(other.get());
    mine.SQL.Add("create table system.t1(a number)");
    mine.Execute();
    mine.SQL.Clear();
    mine.SQL.Add("lock table t1 in exclusive mode nowait");
    mine.Execute();
    theirs.SQL.Add("lock table t1 in exclusive mode nowait");
    EXPECT_EQ(errorCodeOf([&] { theirs.Execute(); }), 54);
    mine.SQL.Clear();
    mine.SQL.Add("commit");
    mine.Execute();
    theirs.Execute();
}

TEST_P(BothDrivers, FourThreadsQueryOneSessionWhileAFifthExecutes) {
    oradb::TOraSQL setup(session.get());
    setup.SQL.Add("create table system.counter(n number)");
    setup.Execute();
    constexpr int kRounds = 30;
    std::atomic<int> failures{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&] {
            oradb::TOraQuery q(session.get());
            for (int i = 0; i < kRounds; ++i) {
                try {
                    q.SQL.Clear();
                    q.SQL.Add("select s.sid, st.value from v$session s, v$sesstat st where "
                              "s.sid=st.sid and st.statistic# < 60");
                    q.Open();
                    if (q.RecordCount() < 100)
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
        oradb::TOraSQL s(session.get());
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
    EXPECT_EQ(rowsOf(*session, "select count(*) from counter")[0][0], std::to_string(kRounds));
}

INSTANTIATE_TEST_SUITE_P(DataAccess, BothDrivers, ::testing::Values(Driver::Sandbox, Driver::Oci),
                         driverName);

} // namespace
