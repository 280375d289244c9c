// Session control and the compare rules of the sortable lists.
#include "monitor/SessionControl.h"

#include "MonitorSupport.h"
#include "oradb/OraError.h"
#include "oradb/OraQuery.h"
#include "util/DateTimeText.h"

namespace {

using namespace monitor;
using testing_support::MonitorRig;
using testing_support::openInstance;

std::vector<std::string> inOrder(const std::vector<std::string>& texts, TCompareRule rule,
                                 bool ascending) {
    std::vector<std::string> out;
    for (int i : SortedOrder(texts, rule, ascending))
        out.push_back(texts[static_cast<std::size_t>(i)]);
    return out;
}

TEST(CompareRules, TextFoldsAsciiLettersOnly) {
    EXPECT_EQ(TextCompare("abc", "ABC"), 0);
    EXPECT_LT(TextCompare("ab", "abc"), 0);
    EXPECT_GT(TextCompare("b", "A"), 0);
    EXPECT_NE(TextCompare("\xc3\xa9", "\xc3\x89"), 0); // é and É differ: not ASCII
    EXPECT_LT(TextCompare("Z", "_"), 0);               // 'Z' 90 before '_' 95
}

TEST(CompareRules, IntegerTextOrdersNumbersAndTreatsOthersAsEqual) {
    EXPECT_LT(IntegerTextCompare("2", "10"), 0);
    EXPECT_EQ(IntegerTextCompare("x", "10"), 0);
    EXPECT_EQ(IntegerTextCompare("2147483648", "1"), 0);
    EXPECT_EQ(IntegerTextCompare("", "1"), 0);
    EXPECT_GT(IntegerTextCompare("2147483647", "-2147483648"), 0); // no overflow
    EXPECT_EQ(inOrder({"10", "2", "33", "1"}, TCompareRule::IntegerText, true),
              (std::vector<std::string>{"1", "2", "10", "33"}));
    EXPECT_EQ(inOrder({"10", "2", "33", "1"}, TCompareRule::IntegerText, false),
              (std::vector<std::string>{"33", "10", "2", "1"}));
    // Values that do not convert keep their order, after the numbers when ascending.
    EXPECT_EQ(inOrder({"b", "5", "9999999999", "3", "a"}, TCompareRule::IntegerText, true),
              (std::vector<std::string>{"3", "5", "b", "9999999999", "a"}));
}

TEST(CompareRules, DateTimeTextOrdersByDayThenTime) {
    util::setDateTimeLocale(QLocale(QLocale::English, QLocale::UnitedStates));
    EXPECT_LT(DateTimeTextCompare("12/8/2026 9:00:00 AM", "12/8/2026 10:00:00 AM"), 0);
    EXPECT_EQ(DateTimeTextCompare("12/8/2026 10:00:00 AM", "12/8/2026 9:00:00 AM"), 3600000);
    EXPECT_EQ(DateTimeTextCompare("1/2/2026 1:00:00 AM", "1/1/2026 11:00:00 PM"), 1);
    EXPECT_EQ(DateTimeTextCompare("never", "1/1/2026 11:00:00 PM"), 0);
    // Not the order of the texts: "12/8" after "2/9" only as dates.
    EXPECT_EQ(
        inOrder({"12/8/2026 1:00:00 AM", "2/9/2026 1:00:00 AM"}, TCompareRule::DateTimeText, true),
        (std::vector<std::string>{"2/9/2026 1:00:00 AM", "12/8/2026 1:00:00 AM"}));
}

TEST(CompareRules, EqualValuesKeepTheirOrderInBothDirections) {
    const std::vector<std::string> texts = {"5", "1", "5", "5", "1"};
    EXPECT_EQ(SortedOrder(texts, TCompareRule::Numeric, true), (std::vector<int>{1, 4, 0, 2, 3}));
    EXPECT_EQ(SortedOrder(texts, TCompareRule::Numeric, false), (std::vector<int>{0, 2, 3, 1, 4}));
}

TEST(SessionControl, KillStatementsTakeOnlyNumbers) {
    EXPECT_EQ(KillStatement("12", "345"), "alter system kill session '12,345'");
    EXPECT_THROW(KillStatement("12' or '1'='1", "345"), std::invalid_argument);
    EXPECT_THROW(KillStatement("12", ""), std::invalid_argument);
    EXPECT_THROW(KillStatement(" 12", "3"), std::invalid_argument);
}

TEST(SessionControl, CancelStatementsTakeOnlyNumbers) {
    EXPECT_EQ(CancelSqlStatement("12", "345"), "alter system cancel sql '12,345'");
    EXPECT_THROW(CancelSqlStatement("12' or '1'='1", "345"), std::invalid_argument);
    EXPECT_THROW(CancelSqlStatement("12", "3a"), std::invalid_argument);
    try {
        CancelSqlStatement("x", "1");
        ADD_FAILURE();
    } catch (const std::invalid_argument& e) {
        EXPECT_STREQ(e.what(), "Cannot cancel SQL: the session id 'x' is not a number");
    }
}

TEST(SessionControl, CancelSqlNeedsOracle18cOrLater) {
    EXPECT_EQ(MajorVersion("19.0.0.0.0"), 19);
    EXPECT_EQ(MajorVersion("9.2.0.8.0"), 9);
    EXPECT_EQ(MajorVersion(""), 0);
    EXPECT_EQ(MajorVersion("abc"), 0);
    EXPECT_TRUE(CanCancelSql("18.3.0.0.0"));
    EXPECT_TRUE(CanCancelSql("23.0.0.0.0"));
    EXPECT_FALSE(CanCancelSql("12.2.0.1.0"));
    EXPECT_FALSE(CanCancelSql(""));
    EXPECT_EQ(CancelSqlUnavailableReason("19.0.0.0.0"), "");
    EXPECT_EQ(CancelSqlUnavailableReason("12.2.0.1.0"),
              "Cancel SQL needs Oracle 18c or later; this instance is version 12.2.0.1.0. Kill "
              "the session instead.");
    EXPECT_EQ(CancelSqlUnavailableReason(""),
              "Cancel SQL needs Oracle 18c or later; the version of this instance is not known.");
}

TEST(SessionControl, TheCancelQuestionNamesEachSessionAndSaysItStays) {
    TBasicFieldArray a{};
    a[bfSid] = "12";
    a[bfSerial] = "345";
    a[bfUsername] = "SCOTT";
    EXPECT_EQ(CancelSqlConfirmationText({a}),
              "Cancel the running statement of this session?\n\n- SID 12, serial# 345, user "
              "SCOTT, machine -, program -\n\nThe current call ends with ORA-01013; the session "
              "stays connected and its transaction stays open.");
    EXPECT_EQ(CancelSqlConfirmationText({a, a}).rfind(
                  "Cancel the running statements of these 2 sessions?\n", 0),
              0u);
}

class Control : public ::testing::Test {
protected:
    void SetUp() override {
        instance = openInstance("control");
        rig.Connect("sandbox::memory:control");
    }
    // User sessions of the simulated workload (not this test's own session).
    std::vector<int> WorkloadRows(std::size_t count) {
        std::vector<int> rows;
        for (std::size_t i = 0; i < rig.list.RowsCopy().size() && rows.size() < count; ++i) {
            const auto row = rig.list.RowAt(i);
            if (!row.subItems[1].empty() && row.subItems[3] != "KILLED" && row.image != 14 &&
                row.subItems[6].rfind("quenby", 0) != 0)
                rows.push_back(static_cast<int>(i));
        }
        return rows;
    }
    std::shared_ptr<oradb::sandbox::Instance> instance;
    MonitorRig rig;
};

TEST_F(Control, KillingThreeSessionsRunsThreeStatementsInListOrder) {
    TPvConnection& m = rig.monitor;
    const std::vector<int> rows = WorkloadRows(3);
    ASSERT_EQ(rows.size(), 3u);
    CollectSelectedSessions(m, rig.list, rows);
    ASSERT_EQ(m.SelectedSessions.size(), 3u);
    EXPECT_EQ(m.SelectedSessions[0][bfSid],
              rig.list.RowsCopy()[static_cast<std::size_t>(rows[0])].caption);
    EXPECT_EQ(m.SelectedSessions[0][bfMachine],
              rig.list.RowsCopy()[static_cast<std::size_t>(rows[0])].subItems[4]);

    EXPECT_FALSE(KillSelectedSessions(m, [] { return false; }));
    EXPECT_TRUE(KillSelectedSessions(m, [] { return true; }));
    rig.monitor.Refresh();
    ASSERT_TRUE(rig.WaitForList());
    for (const auto& s : m.SelectedSessions) {
        bool killed = false;
        for (const auto& row : rig.list.RowsCopy())
            if (row.caption == s[bfSid])
                killed = row.image == 9 && row.subItems[3] == "KILLED";
        EXPECT_TRUE(killed) << s[bfSid];
    }
    // A session that no longer exists stops the loop with the server's error.
    EXPECT_THROW(KillSelectedSessions(m, [] { return true; }), oradb::EOraError);
}

TEST_F(Control, CancellingAWaitersSqlLeavesItConnectedAndIdle) {
    TPvConnection& m = rig.monitor;
    EXPECT_EQ(m.InstanceVersion, "19.0.0.0.0");
    int waiter = -1;
    for (std::size_t i = 0; i < rig.list.RowsCopy().size() && waiter < 0; ++i)
        if (rig.list.RowsCopy()[i].image == 14)
            waiter = static_cast<int>(i);
    ASSERT_GE(waiter, 0);
    CollectSelectedSessions(m, rig.list, {waiter});
    ASSERT_EQ(m.SelectedSessions.size(), 1u);
    const std::string sid = m.SelectedSessions[0][bfSid];
    EXPECT_FALSE(CancelSqlOfSelectedSessions(m, [] { return false; }));
    EXPECT_TRUE(CancelSqlOfSelectedSessions(m, [] { return true; }));
    rig.monitor.Refresh();
    ASSERT_TRUE(rig.WaitForList());
    bool found = false;
    for (const auto& row : rig.list.RowsCopy())
        if (row.caption == sid) {
            found = true;
            EXPECT_EQ(row.image, -1) << "no longer waits for a lock";
            EXPECT_EQ(row.subItems[3], "INACTIVE");
        }
    EXPECT_TRUE(found) << "the session stays";
    // A session that is gone: the server's ORA-00030 stops the loop.
    m.SelectedSessions[0][bfSerial] += "7";
    try {
        CancelSqlOfSelectedSessions(m, [] { return true; });
        ADD_FAILURE();
    } catch (const oradb::EOraError& e) {
        EXPECT_EQ(e.ErrorCode(), 30);
    }
}

TEST(SessionControl, TheKillQuestionNamesEachSession) {
    TBasicFieldArray a{}, b{};
    a[bfSid] = "12";
    a[bfSerial] = "345";
    a[bfUsername] = "SCOTT";
    a[bfMachine] = "WORKGROUP\\PC7";
    a[bfProgram] = "sqlplus.exe";
    EXPECT_EQ(KillConfirmationText({a}),
              "Kill this session?\n\n- SID 12, serial# 345, user SCOTT, machine WORKGROUP\\PC7, "
              "program sqlplus.exe\n\nEach session's current transaction is rolled back.");
    b[bfSid] = "13";
    b[bfSerial] = "9";
    const std::string two = KillConfirmationText({a, b});
    EXPECT_EQ(two.rfind("Kill these 2 sessions?\n", 0), 0u);
    EXPECT_NE(two.find("\n- SID 13, serial# 9, user -, machine -, program -"), std::string::npos)
        << "a field the record lacks shows as a dash";
}

TEST_F(Control, TheCollectedSessionsCarryUserAndProgramForTheQuestion) {
    TPvConnection& m = rig.monitor;
    const std::vector<int> rows = WorkloadRows(2);
    ASSERT_EQ(rows.size(), 2u);
    CollectSelectedSessions(m, rig.list, rows);
    ASSERT_EQ(m.SelectedSessions.size(), 2u);
    const std::string text = KillConfirmationText(m.SelectedSessions);
    for (const auto& s : m.SelectedSessions) {
        const TRSession* record = nullptr;
        for (const auto& r : m.Sessions)
            if (r.basic.fields[bfSid] == s[bfSid])
                record = &r;
        ASSERT_NE(record, nullptr);
        EXPECT_FALSE(s[bfProgram].empty());
        EXPECT_EQ(s[bfProgram], record->basic.fields[bfProgram]);
        EXPECT_EQ(s[bfUsername], record->basic.fields[bfUsername]);
        EXPECT_NE(text.find("SID " + s[bfSid] + ", serial# " + s[bfSerial] + ", user " +
                            s[bfUsername] + ", machine " + s[bfMachine] + ", program " +
                            s[bfProgram]),
                  std::string::npos)
            << text;
    }
}

TEST_F(Control, TheWaitingObjectOfALockWaiterIsItsTable) {
    TPvConnection& m = rig.monitor;
    std::string waiter;
    for (const auto& s : m.Sessions)
        if (!s.basic.fields[bfLockwait].empty())
            waiter = s.Key();
    ASSERT_FALSE(waiter.empty());
    m.SelectedSid = waiter;
    m.LocateSelectedSession();
    const std::string text = WaitingObjectText(m);
    EXPECT_EQ(text.rfind("Owner: ", 0), 0u);
    EXPECT_EQ(text.find("not found"), std::string::npos) << text;
    EXPECT_NE(text.find("\r\nObject_name: "), std::string::npos);

    // An index (not a table) or no wait at all: not found.
    const auto index =
        instance->sqliteRows("select object_id from dba_objects where object_type='INDEX'");
    ASSERT_FALSE(index.empty());
    m.Sessions[static_cast<std::size_t>(m.SelectedIndex)].basic.fields.Set(bfRowWaitObj,
                                                                           index[0][0]);
    EXPECT_EQ(WaitingObjectText(m), "Owner: not found\r\nObject_name: not found");
    m.Sessions[static_cast<std::size_t>(m.SelectedIndex)].basic.fields.Set(bfRowWaitObj,
                                                                           "1 or 1=1");
    EXPECT_EQ(WaitingObjectText(m), "Owner: not found\r\nObject_name: not found");
}

} // namespace

namespace {

using namespace monitor;
using testing_support::MonitorRig;
using testing_support::openInstance;

TEST(SessionControlKillKinds, StatementsAndQuestionsOfTheImmediateKillAndTheDisconnect) {
    EXPECT_EQ(KillStatement("12", "345"), "alter system kill session '12,345'");
    EXPECT_EQ(KillStatement("12", "345", TKillKind::KillImmediate),
              "alter system kill session '12,345' immediate");
    EXPECT_EQ(KillStatement("12", "345", TKillKind::DisconnectImmediate),
              "alter system disconnect session '12,345' immediate");
    EXPECT_THROW(KillStatement("12 or 1=1", "345", TKillKind::DisconnectImmediate),
                 std::invalid_argument);
    TBasicFieldArray a{};
    a[bfSid] = "12";
    a[bfSerial] = "345";
    EXPECT_EQ(KillConfirmationText({a}, TKillKind::KillImmediate),
              "Kill this session immediately?\n\n- SID 12, serial# 345, user -, machine -, "
              "program -\n\nEach session's current transaction is rolled back. The session ends "
              "at once, without waiting for its current call.");
    EXPECT_EQ(KillConfirmationText({a, a}, TKillKind::DisconnectImmediate)
                  .rfind("Disconnect these 2 sessions immediately?\n", 0),
              0u);
    EXPECT_EQ(KillConfirmationText({a}, TKillKind::Kill), KillConfirmationText({a}));
    EXPECT_EQ(OsKillCommand({"4711"}), "kill -9 4711");
    EXPECT_EQ(OsKillCommand({"4711", "", "815"}), "kill -9 4711 815");
    EXPECT_EQ(OsKillCommand({""}), "");
}

class KillKinds : public ::testing::Test {
protected:
    void SetUp() override {
        const std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
        instance = openInstance(name);
        rig.Connect("sandbox::memory:" + name);
    }
    // A user session of the workload that is not killed, not waiting and not ours.
    int WorkloadRow(std::size_t skip = 0) {
        const auto& rows = rig.list.RowsCopy();
        for (std::size_t i = 0; i < rows.size(); ++i) {
            const TBasicFieldArray f = rig.monitor.Sessions[i].basic.fields.ToArray();
            if (f[bfType] == "USER" && f[bfStatus] != "KILLED" && rows[i].image == -1 &&
                f[bfSid] != rig.monitor.OwnSid && skip-- == 0)
                return static_cast<int>(i);
        }
        return -1;
    }
    std::string StatusOf(const std::string& sid) {
        const auto rows = instance->sqliteRows("select status from \"v$session\" where sid=" + sid);
        return rows.empty() ? std::string("gone") : rows[0][0];
    }
    std::shared_ptr<oradb::sandbox::Instance> instance;
    MonitorRig rig;
};

TEST_F(KillKinds, TheSandboxEndsASessionByAnImmediateKillOrDisconnect) {
    TPvConnection& m = rig.monitor;
    for (const TKillKind kind : {TKillKind::KillImmediate, TKillKind::DisconnectImmediate}) {
        const int row = WorkloadRow();
        ASSERT_GE(row, 0);
        CollectSelectedSessions(m, rig.list, {row});
        ASSERT_EQ(m.SelectedSessions.size(), 1u);
        const std::string sid = m.SelectedSessions[0][bfSid];
        ASSERT_NE(StatusOf(sid), "KILLED");
        EXPECT_TRUE(KillSelectedSessions(
            m, [] { return true; }, kind));
        EXPECT_EQ(StatusOf(sid), "KILLED");
        m.Refresh();
        ASSERT_TRUE(rig.WaitForList());
        // Killing it again: the instance says it is marked for kill already.
        try {
            KillSelectedSessions(
                m, [] { return true; }, kind);
            ADD_FAILURE() << "a second kill of " << sid;
        } catch (const oradb::EOraError& e) {
            EXPECT_EQ(e.ErrorCode(), 31);
        }
    }
    // disconnect needs IMMEDIATE or POST_TRANSACTION.
    const int row = WorkloadRow();
    ASSERT_GE(row, 0);
    const std::string sid = rig.list.RowsCopy()[static_cast<std::size_t>(row)].caption;
    const std::string serial = rig.list.RowsCopy()[static_cast<std::size_t>(row)].serial;
    oradb::TOraQuery& q = *m.GeneralQuery();
    q.SQL.Clear();
    q.SQL.Add("alter system disconnect session '" + sid + "," + serial + "'");
    try {
        q.ExecSQL();
        ADD_FAILURE();
    } catch (const oradb::EOraError& e) {
        EXPECT_EQ(e.ErrorCode(), 905);
    }
    q.Close();
    EXPECT_NE(StatusOf(sid), "KILLED");
    q.SQL.Clear();
    q.SQL.Add("alter system disconnect session '" + sid + "," + serial + "' post_transaction");
    q.ExecSQL();
    q.Close();
    EXPECT_EQ(StatusOf(sid), "KILLED");
}

TEST_F(KillKinds, AKilledSessionIsTakenAsideWithTheServerProcessToEnd) {
    TPvConnection& m = rig.monitor;
    const int first = WorkloadRow(), second = WorkloadRow(1);
    ASSERT_GE(second, 0);
    CollectSelectedSessions(m, rig.list, {first});
    ASSERT_TRUE(KillSelectedSessions(m, [] { return true; }));
    m.Refresh();
    ASSERT_TRUE(rig.WaitForList());
    const std::string killedSid = m.SelectedSessions[0][bfSid];
    const std::string killedSerial = m.SelectedSessions[0][bfSerial];
    // Both selected again: the killed one is taken aside, the other stays to be killed.
    std::vector<int> rows;
    for (std::size_t i = 0; i < rig.list.RowsCopy().size(); ++i)
        if (rig.list.RowsCopy()[i].caption == killedSid ||
            rig.list.RowsCopy()[i].caption ==
                rig.monitor.Sessions[static_cast<std::size_t>(second)].Key())
            rows.push_back(static_cast<int>(i));
    ASSERT_EQ(rows.size(), 2u);
    CollectSelectedSessions(m, rig.list, rows);
    const auto killed = TakeKilledSessions(m);
    ASSERT_EQ(killed.size(), 1u);
    EXPECT_EQ(killed[0][bfSid], killedSid);
    ASSERT_EQ(m.SelectedSessions.size(), 1u);
    EXPECT_NE(m.SelectedSessions[0][bfSid], killedSid);
    // Its server process is the one v$process lists for it.
    const auto process = instance->sqliteRows(
        "select p.spid from \"v$process\" p, \"v$session\" s where p.addr = s.paddr and s.sid = " +
        killedSid);
    ASSERT_EQ(process.size(), 1u);
    ASSERT_FALSE(process[0][0].empty());
    EXPECT_EQ(ServerProcessId(m, killedSid, killedSerial), process[0][0]);
    m.InstanceVersion = "10.2.0.5.0"; // before creator_addr: by paddr alone
    EXPECT_EQ(ServerProcessId(m, killedSid, killedSerial), process[0][0]);
    EXPECT_EQ(ServerProcessId(m, killedSid, killedSerial + "9"), "");
    EXPECT_THROW(ServerProcessId(m, "1;", "2"), std::invalid_argument);
}

} // namespace
