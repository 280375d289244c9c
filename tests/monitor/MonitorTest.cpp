// The monitor engine against the sandbox instance: login paths, caches, the session list
// refresh with its selection and images, options, failures and logout.
#include "MonitorSupport.h"
#include "oradb/OraQuery.h"
#include "oradb/OraSession.h"
#include "support/CallGate.h"

#include <QSettings>
#include <set>

namespace {

using namespace monitor;
using testing_support::ModalDriver;
using testing_support::MonitorRig;
using testing_support::openInstance;

std::string serverFor(const std::string& name) {
    return "sandbox::memory:" + name;
}

TEST(MonitorLogin, SucceedsAndRemembersUserAndServer) {
    const auto instance = openInstance("login-ok");
    MonitorRig rig;
    ASSERT_TRUE(rig.LoginAs("system", "lantern", serverFor("login-ok")));
    EXPECT_TRUE(rig.monitor.Connected());
    EXPECT_NE(rig.monitor.GeneralQuery(), nullptr);
    for (int k = wkList; k < wkCount; ++k)
        EXPECT_NE(rig.monitor.Query(static_cast<TWorkerKind>(k)), nullptr);
    EXPECT_NE(rig.monitor.Statement(), nullptr);
    EXPECT_EQ(rig.monitor.ServiceName(), serverFor("login-ok"));
    QSettings settings(QSettings::IniFormat, QSettings::UserScope, "Quenby", "Quenby");
    EXPECT_EQ(settings.value("OraAccess/Connect/Quenby/Username").toString(), "system");
    EXPECT_EQ(settings.value("OraAccess/Connect/Server1").toString(),
              QString::fromStdString(serverFor("login-ok")));
    rig.monitor.Disconnect();
    EXPECT_FALSE(rig.monitor.Connected());
    EXPECT_EQ(rig.monitor.GeneralQuery(), nullptr);
}

TEST(MonitorLogin, ThreeWrongPasswordsCloseTheFormAsCancelled) {
    const auto instance = openInstance("login-wrong");
    MonitorRig rig;
    ModalDriver driver({});
    for (const char* password : {"bad1", "bad2", "bad3"}) {
        driver.Add(ModalDriver::Login("system", password, serverFor("login-wrong")));
        driver.Add(driver.Acknowledge());
    }
    EXPECT_FALSE(rig.monitor.Login());
    EXPECT_FALSE(rig.monitor.Connected());
    EXPECT_TRUE(driver.Done());
    ASSERT_EQ(driver.messages.size(), 3u);
    EXPECT_EQ(driver.messages[2].toStdString(),
              "ORA-01017: invalid username/password; logon denied");
}

TEST(MonitorLogin, CancelLeavesTheMonitorUnconnected) {
    MonitorRig rig;
    ModalDriver driver({ModalDriver::Cancel()});
    EXPECT_FALSE(rig.monitor.Login());
    EXPECT_TRUE(driver.Done());
    EXPECT_FALSE(rig.monitor.Connected());
}

TEST(MonitorLogin, PrivilegeNeedsTheCatalogRoleUnlessSysdbaOrSystem) {
    const auto instance = openInstance("login-roles");
    {
        MonitorRig rig;
        ASSERT_TRUE(rig.LoginAs("SyStEm", "lantern", serverFor("login-roles")));
        EXPECT_TRUE(rig.monitor.PrivilegeCheck());
    }
    {
        MonitorRig rig;
        ModalDriver driver(
            {ModalDriver::Login("sys", "lantern", serverFor("login-roles"), "SYSDBA")});
        ASSERT_TRUE(rig.monitor.Login());
        EXPECT_TRUE(rig.monitor.PrivilegeCheck());
    }
    {
        // SYSOPER works as PUBLIC, which does not see the dictionary.
        MonitorRig rig;
        ModalDriver driver(
            {ModalDriver::Login("sys", "lantern", serverFor("login-roles"), "SYSOPER")});
        ASSERT_TRUE(rig.monitor.Login());
        EXPECT_FALSE(rig.monitor.PrivilegeCheck());
    }
    {
        MonitorRig rig;
        ASSERT_TRUE(rig.LoginAs("dbsnmp", "dbsnmp", serverFor("login-roles")));
        EXPECT_TRUE(rig.monitor.PrivilegeCheck());
    }
    MonitorRig rig;
    ASSERT_TRUE(rig.LoginAs("scott", "tiger", serverFor("login-roles")));
    EXPECT_FALSE(rig.monitor.PrivilegeCheck());
    // The message names the user, the missing role and the grant that gives it.
    EXPECT_EQ(rig.monitor.PrivilegeMessage(),
              "Not enough privilege: the user SCOTT lacks SELECT_CATALOG_ROLE. Grant it with: "
              "grant select_catalog_role to scott;");
}

TEST(MonitorCaches, LoadTheStatisticsAndActionsOfTheLatestLoginOnly) {
    const auto first = openInstance("caches-a");
    const auto second = openInstance("caches-b");
    MonitorRig rig;
    rig.Connect(serverFor("caches-a"));
    EXPECT_EQ(rig.monitor.StatisticClassList.Count(), 8);
    EXPECT_EQ(rig.monitor.StatisticClassList.Value("Parallel Server"), "32");
    EXPECT_EQ(rig.monitor.SortStatisticName, "session logical reads");
    EXPECT_FALSE(rig.monitor.SortStatisticNumber.empty());
    EXPECT_EQ(rig.monitor.SortStatisticClass, "1");
    const int statistics = rig.monitor.StatisticNumberList.Count();
    const int actions = rig.monitor.AuditActionList.Count();
    EXPECT_GT(statistics, 100);
    EXPECT_GT(actions, 50);
    rig.monitor.Disconnect();

    // The second instance has one statistic more: the lists must hold its lines only.
    {
        oradb::TOraSession s;
        s.Username = "system";
        s.Password = "lantern";
        s.Server = serverFor("caches-b");
        s.ConnectDirect();
    }
    second->sqliteRows("insert into \"v$statname\"(\"statistic#\",name,class) values(9999,"
                       "'sandbox extra statistic',128)");
    rig.Connect(serverFor("caches-b"));
    EXPECT_EQ(rig.monitor.StatisticClassList.Count(), 8);
    EXPECT_EQ(rig.monitor.StatisticNumberList.Count(), statistics + 1);
    EXPECT_EQ(rig.monitor.StatisticNames.size(), static_cast<std::size_t>(statistics + 1));
    EXPECT_EQ(rig.monitor.AuditActionList.Count(), actions);
    EXPECT_EQ(rig.monitor.StatisticNumberList.Value("sandbox extra statistic"), "9999");
}

TEST(MonitorOptions, IntervalsAreClamped) {
    MonitorRig rig;
    for (const auto& [in, out] : std::vector<std::pair<int, int>>{
             {0, 3000}, {1, 3000}, {2, 3000}, {3, 3000}, {20, 20000}}) {
        rig.monitor.SetRefreshInterval(in);
        EXPECT_EQ(rig.monitor.RefreshInterval(), out);
        EXPECT_EQ(rig.monitor.RefreshTimer().interval(), out);
    }
    for (const auto& [in, out] :
         std::vector<std::pair<int, int>>{{2, 30}, {86400, 30}, {3, 3}, {86399, 86399}}) {
        rig.monitor.SetProbeInterval(in);
        EXPECT_EQ(rig.monitor.ProbeInterval(), out);
        EXPECT_EQ(rig.monitor.TimerAutoProbe().interval(), out * 1000);
    }
    rig.monitor.SetAutoRefresh(true);
    EXPECT_TRUE(rig.monitor.RefreshTimer().isActive());
    rig.monitor.SetAutoRefresh(false);
    EXPECT_FALSE(rig.monitor.RefreshTimer().isActive());
}

TEST(MonitorSessionList, SqlForTheFourFilterCombinations) {
    MonitorRig rig;
    TPvConnection& m = rig.monitor;
    m.SortStatisticNumber = "9";
    m.InstanceVersion = "19.0.0.0.0";
    // The default optional columns: SERIAL# (always read), SPID, EVENT, SECONDS_IN_WAIT and
    // Progress, which a statement of its own reads.
    const std::string select =
        "select s.Sid,s.Serial#,s.Username,s.Status,s.Server,s.Machine,s.process,s.OsUser,"
        "s.program,s.Logon_time,s.SchemaName,s.Client_Info,s.Module,s.Action,s.audsid,"
        "s.command,s.sql_address,s.sql_hash_value,s.lockwait,s.type,s.row_wait_obj#,s.sql_id,"
        "s.blocking_session,p.spid,s.event,s.seconds_in_wait,st.value "
        "from v$session s,v$sesstat st,v$process p where s.sid=st.sid and st.statistic#=9 "
        "and s.paddr=p.addr(+)";
    m.ShowBackgroundSessions = false;
    m.ShowKilledSessions = true;
    EXPECT_EQ(m.BuildListSql(),
              select + " and  1=1 and s.type <>'BACKGROUND' order by st.value desc");
    EXPECT_EQ(m.ListSql, select);
    m.ShowBackgroundSessions = true;
    EXPECT_EQ(m.BuildListSql(), select + " and  1=1 order by st.value desc");
    m.ShowKilledSessions = false;
    EXPECT_EQ(m.BuildListSql(),
              select + " and  1=1 and s.status <>'KILLED' order by st.value desc");
    m.ShowBackgroundSessions = false;
    EXPECT_EQ(m.BuildListSql(), select + " and  1=1 and s.type <>'BACKGROUND' and "
                                         "s.status <>'KILLED' order by st.value desc");
}

class SessionList : public ::testing::Test {
protected:
    void SetUp() override {
        instance = openInstance(::testing::UnitTest::GetInstance()->current_test_info()->name());
        rig.Connect(serverFor(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    }
    void Refresh() { rig.Refresh(); }
    int RowOfSid(const std::string& sid) const { return rig.RowOfSid(sid); }
    std::shared_ptr<oradb::sandbox::Instance> instance;
    MonitorRig rig;
};

TEST_F(SessionList, FirstRefreshSelectsTheBusiestSessionAndRendersColumnsAndStatus) {
    TPvConnection& m = rig.monitor;
    ASSERT_FALSE(m.Sessions.empty());
    EXPECT_EQ(m.SelectedIndex, 0);
    EXPECT_EQ(m.SelectedSid, m.Sessions[0].Key());
    EXPECT_EQ(rig.list.SelectedRow(), 0);
    std::vector<std::string> captions;
    for (const auto& c : rig.list.Columns())
        captions.push_back(c.caption.toStdString() + ":" + std::to_string(c.width));
    EXPECT_EQ(captions,
              (std::vector<std::string>{
                  "Sid:40", "SERIAL#:60", "Username:65", "session logical reads:70", "Status:60",
                  "Machine:70", "OsUser:100", "program:100", "Logon_time:90", "SchemaName:65",
                  "command:90", "SPID:60", "EVENT:150", "SECONDS_IN_WAIT:70", "Progress:110"}));
    EXPECT_EQ(rig.host.panels[1].rfind("Refreshed at: ", 0), 0u);
    EXPECT_EQ(rig.host.panels[2], std::to_string(m.Sessions.size()) + " sessions");
    // Rows in fetch order, the sort value third, the command shown by its audit action name.
    const auto row = rig.list.RowAt(0);
    ASSERT_EQ(row.subItems.size(), 14u);
    EXPECT_EQ(row.subItems[0], m.Sessions[0].basic.fields[bfSerial]);
    EXPECT_EQ(row.subItems[2], m.Sessions[0].basic.fields[bfSortField]);
    for (std::size_t i = 1; i < m.Sessions.size(); ++i)
        EXPECT_GE(std::stod(std::string(m.Sessions[i - 1].basic.fields[bfSortField])),
                  std::stod(std::string(m.Sessions[i].basic.fields[bfSortField])));
    bool sawCommandName = false;
    for (std::size_t i = 0; i < m.Sessions.size(); ++i) {
        const std::string command(m.Sessions[i].basic.fields[bfCommand]);
        const std::string shown = rig.list.RowsCopy()[i].subItems[9];
        EXPECT_EQ(shown, m.AuditActionList.Value(command));
        sawCommandName |= command == "3" && shown == "SELECT";
    }
    EXPECT_TRUE(sawCommandName);
    // Every detail view of every session is stale after a list refresh.
    for (const auto& s : m.Sessions)
        EXPECT_LT(s.Statistics().fetchTime, m.LastListRefresh - 9.0);
}

TEST_F(SessionList, SelectionSurvivesRefreshAndMovesToTheFirstRowWhenItsSessionIsGone) {
    TPvConnection& m = rig.monitor;
    ASSERT_GT(m.Sessions.size(), 3u);
    const std::string chosen(m.Sessions[2].Key());
    m.SelectedSid = chosen;
    m.LocateSelectedSession();
    Refresh();
    EXPECT_EQ(m.SelectedSid, chosen);
    EXPECT_EQ(m.Sessions[static_cast<std::size_t>(m.SelectedIndex)].Key(), chosen);
    EXPECT_EQ(rig.list.SelectedRow(), RowOfSid(chosen));

    instance->sqliteRows("delete from \"v$session\" where sid=" + chosen);
    Refresh();
    EXPECT_EQ(m.SelectedIndex, 0);
    EXPECT_EQ(m.SelectedSid, m.Sessions[0].Key());
    EXPECT_EQ(RowOfSid(chosen), -1);
}

TEST_F(SessionList, KilledSessionsShowImageNineAndLockWaitersImageFourteen) {
    TPvConnection& m = rig.monitor;
    std::string victim;
    for (const auto& s : m.Sessions)
        if (s.basic.fields[bfUsername] == "SCOTT" && s.basic.fields[bfLockwait].empty())
            victim = s.Key();
    ASSERT_FALSE(victim.empty());
    oradb::TOraQuery kill(m.Session());
    kill.SQL.Add("alter system kill session '" + victim + "," +
                 m.Sessions[static_cast<std::size_t>([&] {
                      for (std::size_t i = 0; i < m.Sessions.size(); ++i)
                          if (m.Sessions[i].Key() == victim)
                              return i;
                      return std::size_t{0};
                  }())]
                     .basic.fields.ToArray()[bfSerial] +
                 "'");
    kill.ExecSQL();
    Refresh();
    const int killedRow = RowOfSid(victim);
    ASSERT_NE(killedRow, -1);
    EXPECT_EQ(rig.list.RowsCopy()[static_cast<std::size_t>(killedRow)].image, 9);
    EXPECT_EQ(rig.list.RowsCopy()[static_cast<std::size_t>(killedRow)].subItems[3], "KILLED");

    int waiters = 0;
    std::set<std::string, std::less<>> blockers;
    for (const auto& s : m.Sessions)
        if (!s.basic.fields[bfBlockingSession].empty())
            blockers.insert(std::string(s.basic.fields[bfBlockingSession]));
    for (std::size_t i = 0; i < m.Sessions.size(); ++i) {
        const auto& f = m.Sessions[i].basic.fields;
        const int image = rig.list.RowsCopy()[i].image;
        // Sessions that others wait for have an image of their own.
        const int expected = f[bfStatus] == "KILLED"         ? 9
                             : !f[bfLockwait].empty()        ? 14
                             : blockers.count(f[bfSid]) != 0 ? kImageBlocker
                                                             : -1;
        EXPECT_EQ(image, expected) << m.Sessions[i].Key();
        waiters += expected == 14;
    }
    EXPECT_GT(waiters, 0);

    // Hiding killed sessions leaves it out of the next fetch.
    m.ShowKilledSessions = false;
    Refresh();
    EXPECT_EQ(RowOfSid(victim), -1);
}

TEST_F(SessionList, ARefreshDuringARefreshDoesNothing) {
    TPvConnection& m = rig.monitor;
    testing_support::InstanceGate gate(*instance, "from v$session s,v$sesstat st");
    m.Refresh();
    TWorkerThread* first = m.Thread(wkList);
    ASSERT_TRUE(gate.WaitArrived());
    ASSERT_TRUE(m.Running(wkList));
    m.Refresh();
    EXPECT_EQ(m.Thread(wkList), first);
    gate.Release();
    ASSERT_TRUE(rig.WaitForList());
    EXPECT_EQ(rig.host.workerFailures, 0);
}

TEST_F(SessionList, AFailingListQueryTurnsAutoRefreshOffAndReportsOnce) {
    TPvConnection& m = rig.monitor;
    m.SetAutoRefresh(true);
    oradb::sandbox::Fault fault;
    fault.fragment = "from v$session s,v$sesstat st";
    fault.failAfterRows = 0;
    fault.code = 942;
    fault.text = "table or view does not exist";
    instance->addFault(fault);
    const auto before = m.Sessions.size();
    m.Refresh();
    ASSERT_TRUE(rig.WaitForList());
    util::HandOver::instance().runPosted();
    EXPECT_FALSE(m.AutoRefresh());
    EXPECT_FALSE(m.RefreshTimer().isActive());
    EXPECT_EQ(m.LastError, "ORA-00942: table or view does not exist");
    EXPECT_EQ(rig.host.workerFailures, 1);
    // The list is rendered from what the session array holds.
    EXPECT_EQ(m.Sessions.size(), before);
    EXPECT_EQ(rig.list.RowsCopy().size(), before);
    EXPECT_FALSE(m.Running(wkList));
}

TEST_F(SessionList, ChangingTheSortStatisticRecaptionsAndReorders) {
    TPvConnection& m = rig.monitor;
    m.SortStatisticName = "physical reads";
    m.SortStatisticNumber = m.StatisticNumberList.Value("physical reads");
    m.Notify(ncRebuildListColumns);
    EXPECT_EQ(rig.list.Columns()[3].caption.toStdString(), "physical reads");
    Refresh();
    ASSERT_GT(m.Sessions.size(), 1u);
    const auto expected = instance->sqliteRows(
        "select max(st.value) from \"v$sesstat\" st, \"v$session\" s where s.sid=st.sid and "
        "s.type<>'BACKGROUND' and st.\"statistic#\"=" +
        m.SortStatisticNumber);
    EXPECT_EQ(std::stod(std::string(m.Sessions[0].basic.fields[bfSortField])),
              std::stod(expected[0][0]));
}

TEST_F(SessionList, DisconnectWhileAFetchRunsCancelsItFirst) {
    TPvConnection& m = rig.monitor;
    oradb::sandbox::Fault slow;
    slow.fragment = "from v$session s,v$sesstat st";
    slow.delayMs = 600000; // only a cancel ends it
    instance->addFault(slow);
    m.Refresh();
    ASSERT_TRUE(m.Running(wkList));
    m.Disconnect(); // must not wait a minute, nor free the query under the worker
    EXPECT_FALSE(m.Connected());
    EXPECT_FALSE(m.Running(wkList));
    EXPECT_EQ(m.SelectedSid, "0");
    util::HandOver::instance().runPosted();
    EXPECT_EQ(rig.host.workerFailures, 0);
    EXPECT_EQ(rig.host.probeHistoryCleared, 1);
    EXPECT_FALSE(rig.host.closeVisible);
}

TEST(SessionListEmpty, AnEmptyResultSelectsNothingAndKeepsTheSelectedSid) {
    const auto instance = openInstance("empty-list");
    MonitorRig rig;
    rig.Connect(serverFor("empty-list"));
    rig.monitor.SelectedSid = "12345";
    rig.monitor.ShowBackgroundSessions = false;
    rig.monitor.SortStatisticNumber = "-1"; // no session has this statistic
    rig.monitor.Refresh();
    ASSERT_TRUE(rig.WaitForList());
    EXPECT_TRUE(rig.monitor.Sessions.empty());
    EXPECT_EQ(rig.monitor.SelectedIndex, -1);
    EXPECT_EQ(rig.monitor.SelectedSid, "12345");
    EXPECT_EQ(rig.list.RowsCopy().size(), 0u);
}

} // namespace
