// Session events and current wait against the sandbox: ordering, the three-decimal average,
// the SQL*Net captions, a session in no wait, and the cache.
#include "DetailSupport.h"

namespace {

using testing_support::DetailTest;
using SessionWaits = DetailTest;

TEST_F(SessionWaits, EventsByTimeWaitedThenNameAndTheCurrentWait) {
    const std::string sid = UserSid();
    Select(sid);
    instance->sqliteRows("delete from \"v$session_event\" where sid = " + sid);
    instance->sqliteRows("insert into \"v$session_event\" (sid, event, total_waits, "
                         "total_timeouts, time_waited, average_wait, max_wait, "
                         "time_waited_micro) values (" +
                         sid + ", 'log file sync', 5, 0, 40, 8, 3, 400000), (" + sid +
                         ", 'db file sequential read', 20, 0, 40, 2, 1, 400000), (" + sid +
                         ", 'SQL*Net message from client', 9, 0, 900, 100.5, 300, 9000000)");
    instance->sqliteRows("update \"v$session_wait\" set event = 'SQL*Net message from client',"
                         " p1 = 1413697536, p2 = 1, state = 'WAITING' where sid = " +
                         sid);
    waits->SetActive(true);
    ASSERT_TRUE(WaitIdle(monitor::wkWaits));
    EXPECT_EQ(rig->monitor.EventsSql,
              "select Sid,Event,Total_Waits,Total_Timeouts,Time_Waited,Average_Wait,Max_Wait "
              "from v$session_event where sid=" +
                  sid + " order by time_waited desc,event");
    EXPECT_EQ(rig->monitor.CurrentWaitSql, "select * from v$session_wait where sid=" + sid);
    // 16, 18, 15, 17 in this order.
    std::vector<int> seen;
    for (int c : codes->order)
        if (c >= 15 && c <= 18)
            seen.push_back(c);
    EXPECT_EQ(seen, (std::vector<int>{16, 18, 15, 17}));
    // The idle wait for the client is left out; times (hundredths of a second) show their unit.
    const auto& events = eventsList.Rows();
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[0].subItems[0], "db file sequential read"); // equal time: by name
    EXPECT_EQ(events[0].subItems[3], "400 ms");
    EXPECT_EQ(events[0].subItems[4], "20 ms");
    EXPECT_EQ(events[0].subItems[5], "10 ms");
    EXPECT_EQ(events[1].subItems[0], "log file sync");
    EXPECT_EQ(events[0].caption, sid);
    // Asked for, the idle events are listed too, in the fetched order.
    rig->monitor.ShowIdleEvents = true;
    rig->monitor.Notify(monitor::ncEventsStored);
    ASSERT_EQ(events.size(), 3u);
    EXPECT_EQ(events[0].subItems[0], "SQL*Net message from client");
    EXPECT_EQ(events[0].subItems[3], "9.000 s");
    EXPECT_EQ(events[0].subItems[4], "1.005 s");
    EXPECT_EQ(events[0].subItems[5], "3.000 s");
    EXPECT_EQ(events[1].subItems[0], "db file sequential read");
    // The times sort as numbers whatever their unit.
    const auto byAverage =
        detail::DetailSortOrder(eventsList, 5, detail::TDetailCompare::WaitTime, true);
    EXPECT_EQ(byAverage, (std::vector<int>{1, 2, 0})); // 20 ms, 80 ms, 1.005 s
    rig->monitor.ShowIdleEvents = false;
    EXPECT_EQ(eventsList.headerData(6, Qt::Horizontal).toString(), "Max_Wait");
    EXPECT_EQ(eventsList.headerData(1, Qt::Horizontal, Qt::UserRole).toInt(), 200);

    ASSERT_EQ(currentList.Rows().size(), 1u);
    const auto& current = currentList.Rows()[0];
    EXPECT_EQ(current.caption, sid);
    EXPECT_EQ(current.subItems,
              (std::vector<std::string>{"SQL*Net message from client", current.subItems[1],
                                        current.subItems[2], "WAITING", "1413697536", "1"}));
    EXPECT_EQ(currentList.headerData(5, Qt::Horizontal).toString(), "Driver id");
    EXPECT_EQ(currentList.headerData(6, Qt::Horizontal).toString(), "#byte");

    // The next session, in no recorded wait: one empty row, and the captions are P1 and P2.
    const std::string other = UserSid(1);
    instance->sqliteRows("delete from \"v$session_wait\" where sid = " + other);
    Select(other);
    rig->monitor.RefreshShownView();
    ASSERT_TRUE(WaitIdle(monitor::wkWaits));
    ASSERT_EQ(currentList.Rows().size(), 1u);
    EXPECT_TRUE(currentList.Rows()[0].caption.empty());
    EXPECT_TRUE(currentList.Rows()[0].subItems.empty());
    EXPECT_EQ(currentList.headerData(5, Qt::Horizontal).toString(), "P1");
    EXPECT_EQ(currentList.headerData(6, Qt::Horizontal).toString(), "P2");
    EXPECT_EQ(rig->monitor.SelectedSession()->Waits().currentWait[monitor::cwSid], "0");
}

TEST_F(SessionWaits, ReShowingTheSameSessionRendersFromTheRecord) {
    const std::string sid = UserSid();
    Select(sid);
    waits->SetActive(true);
    ASSERT_TRUE(WaitIdle(monitor::wkWaits));
    const auto before = eventsList.Rows().size();
    instance->sqliteRows("delete from \"v$session_event\" where sid = " + sid);
    const int loading = codes->counts[monitor::ncEventsLoading];
    waits->SetActive(false);
    waits->SetActive(true);
    EXPECT_EQ(codes->counts[monitor::ncEventsLoading], loading);
    EXPECT_EQ(eventsList.Rows().size(), before);
    // The simulator moves on and a list refresh makes the record stale.
    instance->step(3);
    Refresh();
    ASSERT_TRUE(WaitIdle(monitor::wkWaits));
    EXPECT_EQ(codes->counts[monitor::ncEventsLoading], loading + 1);
}

TEST_F(SessionWaits, AFailingCurrentWaitQueryRendersTheEventsAndReportsIt) {
    Select(UserSid());
    oradb::sandbox::Fault fault;
    fault.fragment = "from v$session_wait where";
    fault.failAfterRows = 0;
    instance->addFault(fault);
    waits->SetActive(true);
    ASSERT_TRUE(WaitIdle(monitor::wkWaits));
    util::HandOver::instance().runPosted();
    EXPECT_EQ(rig->host.workerFailures, 1);
    EXPECT_FALSE(eventsList.Rows().empty());
    EXPECT_NE(eventsList.Rows()[0].caption, "Loading...");
    EXPECT_FALSE(rig->monitor.WaitsEventsLoading);
    EXPECT_FALSE(rig->monitor.WaitsCurrentLoading);
    EXPECT_FALSE(rig->monitor.RenderingFlag(monitor::wkWaits));
}

} // namespace
