// Session details against the sandbox: every v$session column as a name/value pair, raw
// columns in hexadecimal, a vanished session, and a new query at every showing.
#include "DetailSupport.h"

namespace {

using testing_support::DetailTest;
using SessionDetails = DetailTest;

std::string valueOf(const detail::TDetailListModel& list, const std::string& name) {
    for (const auto& r : list.Rows())
        if (r.caption == name)
            return r.subItems.at(0);
    return "<missing>";
}

TEST_F(SessionDetails, ShowsEveryColumnOfTheSelectedSessionWithRawColumnsInHex) {
    const std::string sid = UserSid();
    ASSERT_FALSE(sid.empty());
    Select(sid);
    // The bytes 00 AF 3C in a raw column show as 00AF3C (leading zero byte kept).
    instance->sqliteRows("update \"v$session\" set paddr = x'00AF3C' where sid = " + sid);
    details->SetActive(true);
    EXPECT_TRUE(rig->monitor.ViewShown(monitor::wkDetails));
    ASSERT_TRUE(WaitIdle(monitor::wkDetails));
    EXPECT_EQ(rig->monitor.DetailsSql, "select * from v$session where sid=" + sid);
    EXPECT_EQ(valueOf(detailsList, "PADDR"), "00AF3C");
    EXPECT_EQ(valueOf(detailsList, "SADDR"),
              One("select upper(saddr) from \"v$session\" where sid = " + sid));
    EXPECT_EQ(valueOf(detailsList, "SID"), sid);
    EXPECT_EQ(valueOf(detailsList, "MACHINE"),
              One("select machine from \"v$session\" where sid = " + sid));
    const auto columns =
        instance->sqliteRows("select count(*) from pragma_table_info('v$session')");
    EXPECT_EQ(std::to_string(detailsList.Rows().size()), columns[0][0]);
    EXPECT_EQ(detailsList.headerData(0, Qt::Horizontal).toString(), "Name");
    EXPECT_EQ(detailsList.headerData(1, Qt::Horizontal, Qt::UserRole).toInt(), 150);
    // The details fetch leaves the record's fetch time as the list fetch set it.
    EXPECT_FALSE(rig->monitor.IsFresh(rig->monitor.SelectedSession()->Details().fetchGeneration));
    EXPECT_EQ(rig->host.workerFailures, 0);
}

TEST_F(SessionDetails, ASessionInALongOperationShowsItsProgressFirst) {
    // A session in the middle of a full scan, as the sandbox's v$session_longops has it.
    const auto longop =
        instance->sqliteRows("select sid, opname, target, sofar, totalwork, time_remaining from "
                             "\"v$session_longops\" where sofar < totalwork order by sid");
    ASSERT_FALSE(longop.empty());
    const auto& op = longop[0];
    Select(op[0]);
    details->SetActive(true);
    ASSERT_TRUE(WaitIdle(monitor::wkDetails));
    const auto& rows = detailsList.Rows();
    ASSERT_GT(rows.size(), 4u);
    EXPECT_EQ(rows[0].caption, "Long operation");
    EXPECT_EQ(rows[0].subItems.at(0), op[1]);
    EXPECT_EQ(rows[1].caption, "Target");
    EXPECT_EQ(rows[1].subItems.at(0), op[2]);
    EXPECT_EQ(rows[2].caption, "Done");
    EXPECT_EQ(rows[2].subItems.at(0), monitor::PercentDone(op[3], op[4]));
    EXPECT_EQ(rows[3].caption, "Time remaining");
    EXPECT_EQ(rows[3].subItems.at(0), monitor::RemainingText(op[5]));
    EXPECT_FALSE(rows[3].subItems.at(0).empty());
    EXPECT_EQ(rows[4].caption, "SADDR"); // then v$session's columns
    // A session without a long operation has none of these rows.
    std::string idle;
    for (const auto& s : rig->monitor.Sessions)
        if (s.basic.fields[monitor::bfProgress].empty() &&
            s.basic.fields[monitor::bfType] == "USER")
            idle = s.Key();
    ASSERT_FALSE(idle.empty());
    Select(idle);
    details->SetActive(false);
    details->SetActive(true);
    ASSERT_TRUE(WaitIdle(monitor::wkDetails));
    ASSERT_FALSE(detailsList.Rows().empty());
    EXPECT_EQ(valueOf(detailsList, "Long operation"), "<missing>");
}

TEST_F(SessionDetails, ASessionGoneSinceTheListRefreshEmptiesTheListWithoutAnError) {
    Select(UserSid());
    details->SetActive(true);
    ASSERT_TRUE(WaitIdle(monitor::wkDetails));
    ASSERT_FALSE(detailsList.Rows().empty());
    instance->sqliteRows("delete from \"v$session\" where sid = " + rig->monitor.SelectedSid);
    details->SetActive(false);
    details->SetActive(true);
    ASSERT_TRUE(WaitIdle(monitor::wkDetails));
    EXPECT_TRUE(detailsList.Rows().empty());
    EXPECT_EQ(rig->host.workerFailures, 0);
}

TEST_F(SessionDetails, ShowingThePageAgainQueriesAgain) {
    const std::string sid = UserSid();
    Select(sid);
    details->SetActive(true);
    ASSERT_TRUE(WaitIdle(monitor::wkDetails));
    instance->sqliteRows("update \"v$session\" set machine = 'NEWBOX' where sid = " + sid);
    details->SetActive(false);
    details->SetActive(true);
    ASSERT_TRUE(WaitIdle(monitor::wkDetails));
    EXPECT_EQ(valueOf(detailsList, "MACHINE"), "NEWBOX");
}

TEST_F(SessionDetails, NotificationsAreIgnoredWhileInactiveOrWithoutSelection) {
    Select(UserSid());
    details->SetActive(true);
    ASSERT_TRUE(WaitIdle(monitor::wkDetails));
    const auto rows = detailsList.Rows().size();
    ASSERT_GT(rows, 0u);
    details->SetActive(false);
    rig->monitor.SelectedSession()->Details().names.clear();
    rig->monitor.SelectedSession()->Details().values.clear();
    rig->monitor.Notify(monitor::ncDetailsStored);
    EXPECT_EQ(detailsList.Rows().size(), rows);
    details->SetActive(true); // starts a fetch; wait for it, then drop the selection
    ASSERT_TRUE(WaitIdle(monitor::wkDetails));
    rig->monitor.SelectedIndex = -1;
    detailsList.SetRows({{"kept", {}}});
    rig->monitor.Notify(monitor::ncDetailsStored);
    ASSERT_EQ(detailsList.Rows().size(), 1u);
    EXPECT_EQ(detailsList.Rows()[0].caption, "kept");
}

TEST_F(SessionDetails, AFailingQueryIsReportedOnceAndAStoppedFetchIsSilent) {
    Select(UserSid());
    oradb::sandbox::Fault fault;
    fault.fragment = "from v$session where sid=";
    fault.failAfterRows = 0;
    fault.code = 942;
    fault.text = "table or view does not exist";
    instance->addFault(fault);
    rig->monitor.SetAutoRefresh(true);
    details->SetActive(true);
    ASSERT_TRUE(WaitIdle(monitor::wkDetails));
    util::HandOver::instance().runPosted();
    EXPECT_EQ(rig->host.workerFailures, 1);
    EXPECT_EQ(rig->monitor.LastError, "ORA-00942: table or view does not exist");
    EXPECT_FALSE(rig->monitor.AutoRefresh());
    instance->clearFaults();

    // A slow fetch stopped by another view's request ends without a message.
    fault.failAfterRows = -1;
    fault.delayMs = 600000; // only a cancel ends it
    instance->addFault(fault);
    details->SetActive(false);
    details->SetActive(true);
    // Its first hand-over (emptying the record) comes after the running flag is set.
    ASSERT_TRUE(util::HandOver::instance().waitUntil(
        [&] { return rig->monitor.Running(monitor::wkDetails); }, std::chrono::seconds(10)));
    statistics->SetActive(true);
    ASSERT_TRUE(WaitIdle(monitor::wkDetails));
    ASSERT_TRUE(WaitIdle(monitor::wkStatistics));
    util::HandOver::instance().runPosted();
    EXPECT_EQ(rig->host.workerFailures, 1);
    EXPECT_FALSE(statisticsList.Rows().empty());
}

} // namespace
