// Session statistics against the sandbox: the class filter, the "not found" row, the cache
// until the next list refresh, and values beyond 32 bits.
#include "DetailSupport.h"
#include "detail/DetailListModel.h"
#include "support/CallGate.h"

namespace {

using testing_support::DetailTest;
using SessionStatistics = DetailTest;

TEST(StatisticClassFilter, ListsAStatisticWhenItHasTheSelectedClassBit) {
    using detail::StatisticClassPasses;
    EXPECT_TRUE(StatisticClassPasses("1", 1));
    EXPECT_FALSE(StatisticClassPasses("72", 1)); // SQL and Cache
    EXPECT_TRUE(StatisticClassPasses("65", 1));  // User and SQL
    EXPECT_TRUE(StatisticClassPasses("40", 8));  // Cache and Parallel Server
    EXPECT_TRUE(StatisticClassPasses("72", 64));
    EXPECT_FALSE(StatisticClassPasses("8", 1));
    EXPECT_TRUE(StatisticClassPasses("255", 128));
    // 256 passes only for the value 256, which the selector cannot choose.
    EXPECT_TRUE(StatisticClassPasses("256", 256));
    for (int bit = 1; bit <= 128; bit *= 2)
        EXPECT_FALSE(StatisticClassPasses("256", bit));
    EXPECT_FALSE(StatisticClassPasses("257", 1));
    EXPECT_FALSE(StatisticClassPasses("0", 1));
    EXPECT_FALSE(StatisticClassPasses("abc", 1));
    EXPECT_TRUE(StatisticClassPasses("abc", 0));
    EXPECT_EQ(detail::StatisticClassCode("Parallel Server"), 32);
    EXPECT_EQ(detail::StatisticClassCode("Debug"), 128);
    EXPECT_EQ(detail::StatisticClassCode("Other"), 0);
}

TEST_F(SessionStatistics, ListsTheSessionsStatisticsOfTheSelectedClassLargestFirst) {
    const std::string sid = UserSid();
    Select(sid);
    statistics->SetActive(true);
    ASSERT_TRUE(WaitIdle(monitor::wkStatistics));
    EXPECT_EQ(rig->monitor.StatisticsSql,
              " select st.sid,st.value,sn.name,sn.class,sn.statistic# statistic from v$sesstat "
              "st,v$statname sn where sn.statistic#=st.statistic# and st.sid=" +
                  sid + " order by value desc");
    EXPECT_EQ(codes->counts[monitor::ncStatisticsLoading], 1);
    const auto& rows = statisticsList.Rows();
    ASSERT_FALSE(rows.empty());
    const std::string userCount =
        One("select count(*) from \"v$sesstat\" st join \"v$statname\" sn using (\"statistic#\")"
            " where st.sid = " +
            sid + " and (sn.class & 1) = 1 and sn.class < 256");
    EXPECT_EQ(std::to_string(rows.size()), userCount);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        EXPECT_EQ(rows[i].caption, sid);
        ASSERT_EQ(rows[i].subItems.size(), 4u);
        EXPECT_TRUE(detail::StatisticClassPasses(rows[i].subItems[2], 1));
        if (i > 0) {
            EXPECT_GE(std::stoll(rows[i - 1].subItems[1]), std::stoll(rows[i].subItems[1]));
        }
    }
    // A class change renders from the record without a query.
    rig->monitor.SetStatisticClassMask(8);
    const int loading = codes->counts[monitor::ncStatisticsLoading];
    rig->monitor.Notify(monitor::ncStatisticsStored);
    EXPECT_EQ(codes->counts[monitor::ncStatisticsLoading], loading);
    ASSERT_FALSE(rows.empty());
    for (const auto& r : rows)
        EXPECT_TRUE(detail::StatisticClassPasses(r.subItems[2], 8)) << r.subItems[0];
}

TEST_F(SessionStatistics, ServesTheRecordUntilTheNextListRefresh) {
    const std::string sid = UserSid();
    Select(sid);
    statistics->SetActive(true);
    ASSERT_TRUE(WaitIdle(monitor::wkStatistics));
    const auto first = statisticsList.Rows();
    instance->sqliteRows("update \"v$sesstat\" set value = 5000000000 where sid = " + sid +
                         " and \"statistic#\" = (select \"statistic#\" from \"v$statname\" where"
                         " name = 'user calls')");
    statistics->SetActive(false);
    statistics->SetActive(true);
    EXPECT_FALSE(rig->monitor.Running(monitor::wkStatistics)); // no fetch: the cache rendered
    EXPECT_EQ(statisticsList.Rows().size(), first.size());
    EXPECT_EQ(statisticsList.Rows()[0].subItems, first[0].subItems);
    // After a refresh the request fetches again; the value beyond 32 bits comes first.
    Refresh();
    ASSERT_TRUE(WaitIdle(monitor::wkStatistics));
    ASSERT_FALSE(statisticsList.Rows().empty());
    EXPECT_EQ(statisticsList.Rows()[0].subItems[0], "user calls");
    EXPECT_EQ(statisticsList.Rows()[0].subItems[1], "5000000000");
    // Sorting by value compares in 64 bits: 4294967297 is below 5000000000, above 2^31.
    statisticsList.InsertRow(1, {sid, {"x", "4294967297", "1", "1"}});
    statisticsList.InsertRow(2, {sid, {"y", "2147483648", "1", "1"}});
    const auto order =
        detail::DetailSortOrder(statisticsList, 2, detail::TDetailCompare::Numeric, false);
    EXPECT_EQ(order[0], 0);
    EXPECT_EQ(order[1], 1);
    EXPECT_EQ(order[2], 2);
}

// Freshness follows the list refreshes, not the clock: a record read in the same clock tick as
// the refresh is fresh, and one whose time reads later than the refresh (a clock set back) is
// stale once the list is refreshed.
TEST_F(SessionStatistics, FreshnessFollowsTheListRefreshesWhateverTheClockSays) {
    const std::string sid = UserSid();
    Select(sid);
    statistics->SetActive(true);
    ASSERT_TRUE(WaitIdle(monitor::wkStatistics));
    auto& record = rig->monitor.SelectedSession()->Statistics();
    record.fetchTime = rig->monitor.LastListRefresh; // read in the refresh's clock tick
    const std::uint64_t statements = instance->statementCount();
    statistics->SetActive(false);
    statistics->SetActive(true);
    EXPECT_FALSE(rig->monitor.Running(monitor::wkStatistics));
    EXPECT_EQ(instance->statementCount(), statements) << "a fresh record was read again";

    statistics->SetActive(false);
    Refresh();
    Select(sid);
    // The clock stepped back between the read and the refresh: the old record's time is later.
    rig->monitor.SelectedSession()->Statistics().fetchTime = rig->monitor.LastListRefresh + 1.0;
    const std::uint64_t beforeShow = instance->statementCount();
    statistics->SetActive(true);
    ASSERT_TRUE(WaitIdle(monitor::wkStatistics));
    EXPECT_GT(instance->statementCount(), beforeShow) << "a stale record was served";
    EXPECT_TRUE(rig->monitor.IsFresh(rig->monitor.SelectedSession()->Statistics().fetchGeneration));
}

TEST_F(SessionStatistics, ASessionWithoutStatisticsShowsNotFound) {
    const std::string sid = UserSid();
    instance->sqliteRows("delete from \"v$sesstat\" where sid = " + sid);
    Select(sid);
    statistics->SetActive(true);
    ASSERT_TRUE(WaitIdle(monitor::wkStatistics));
    ASSERT_EQ(statisticsList.Rows().size(), 1u);
    EXPECT_EQ(statisticsList.Rows()[0].caption, sid);
    EXPECT_EQ(statisticsList.Rows()[0].subItems, std::vector<std::string>{"not found"});
    // Rows that exist but do not pass the filter leave the list empty.
    // (the sort statistic keeps the session in the list; it is of class User)
    instance->sqliteRows("insert into \"v$sesstat\" values (" + sid + ", " +
                         rig->monitor.SortStatisticNumber + ", 7)");
    Refresh();
    ASSERT_EQ(rig->monitor.SelectedSid, sid);
    ASSERT_TRUE(WaitIdle(monitor::wkStatistics));
    ASSERT_EQ(statisticsList.Rows().size(), 1u);
    rig->monitor.SetStatisticClassMask(2);
    rig->monitor.Notify(monitor::ncStatisticsStored);
    EXPECT_TRUE(statisticsList.Rows().empty());
}

TEST_F(SessionStatistics, EqualValuesKeepTheDatabaseOrderAndRenderingClearsItsFlag) {
    Select(UserSid());
    rig->monitor.SetStatisticClassMask(0);
    statistics->SetActive(true);
    ASSERT_TRUE(WaitIdle(monitor::wkStatistics));
    EXPECT_FALSE(rig->monitor.RenderingFlag(monitor::wkStatistics));
    const auto& stored = rig->monitor.SelectedSession()->Statistics().rows;
    ASSERT_EQ(statisticsList.Rows().size(), stored.size());
    for (std::size_t i = 0; i < stored.size(); ++i)
        EXPECT_EQ(statisticsList.Rows()[i].subItems[0], stored[i][0]);
}

TEST(DetailSort, RulesDirectionsAndRowsThatDoNotConvert) {
    detail::TDetailListModel list;
    list.SetColumns({{"Name", 200}, {"Value", 100}});
    list.SetRows({{"b", {"10"}}, {"C", {"9.5"}}, {"a", {"10"}}});
    using R = detail::TDetailCompare;
    EXPECT_EQ(detail::DetailSortOrder(list, 0, R::Text, true), (std::vector<int>{2, 0, 1}));
    EXPECT_EQ(detail::DetailSortOrder(list, 0, R::TextReverse, true), (std::vector<int>{1, 0, 2}));
    EXPECT_EQ(detail::DetailSortOrder(list, 0, R::TextReverse, false), (std::vector<int>{2, 0, 1}));
    EXPECT_EQ(detail::DetailSortOrder(list, 1, R::Numeric, true), (std::vector<int>{1, 0, 2}));
    EXPECT_EQ(detail::DetailSortOrder(list, 1, R::Numeric, false), (std::vector<int>{0, 2, 1}));
    EXPECT_EQ(detail::DetailSortOrder(list, 1, R::Equal, true), (std::vector<int>{0, 1, 2}));
    list.InsertRow(0, {"Loading...", {}});
    try {
        detail::DetailSortOrder(list, 0, R::Numeric, true);
        ADD_FAILURE() << "no conversion error";
    } catch (const std::invalid_argument& e) {
        EXPECT_STREQ(e.what(), "'Loading...' is not a valid floating point value");
    }
}

} // namespace

namespace {

using testing_support::DetailTest;
using StatisticsCache = DetailTest;

TEST_F(StatisticsCache, ShowingAgainAfterAFetchRunsNoStatement) {
    Select(UserSid());
    statistics->SetActive(true);
    ASSERT_TRUE(WaitIdle(monitor::wkStatistics));
    waits->SetActive(true);
    ASSERT_TRUE(WaitIdle(monitor::wkWaits));
    const auto before = instance->statementCount();
    statistics->SetActive(true);
    waits->SetActive(true);
    statistics->SetActive(true);
    EXPECT_EQ(instance->statementCount(), before);
    EXPECT_FALSE(statisticsList.Rows().empty());
    // The details page is the exception: it always asks the database.
    details->SetActive(true);
    ASSERT_TRUE(WaitIdle(monitor::wkDetails));
    EXPECT_EQ(instance->statementCount(), before + 1);
}

TEST_F(StatisticsCache, AClassChangeDuringTheQueryShowsNotFoundUntilTheFetchEnds) {
    const std::string sid = UserSid();
    Select(sid);
    testing_support::InstanceGate gate(*instance, "from v$sesstat st,v$statname sn");
    statistics->SetActive(true);
    // Code 25 has been handled: the rows are empty and the query runs.
    ASSERT_TRUE(util::HandOver::instance().waitUntil(
        [&] { return codes->counts[monitor::ncStatisticsLoading] == 1; },
        std::chrono::seconds(10)));
    ASSERT_EQ(statisticsList.Rows().size(), 1u);
    EXPECT_EQ(statisticsList.Rows()[0].caption, "Loading...");
    rig->monitor.SetStatisticClassMask(8);
    rig->monitor.Notify(monitor::ncStatisticsStored);
    ASSERT_EQ(statisticsList.Rows().size(), 1u);
    EXPECT_EQ(statisticsList.Rows()[0].subItems, std::vector<std::string>{"not found"});
    gate.Release();
    ASSERT_TRUE(WaitIdle(monitor::wkStatistics));
    EXPECT_GT(statisticsList.Rows().size(), 1u);
    EXPECT_FALSE(rig->monitor.RenderingFlag(monitor::wkStatistics));
    EXPECT_EQ(rig->host.workerFailures, 0);
}

TEST_F(StatisticsCache, ARenderingThatMeetsARunningFetchStopsAndDoesNotBlockLaterRequests) {
    Select(UserSid());
    statistics->SetActive(true);
    ASSERT_TRUE(WaitIdle(monitor::wkStatistics));
    ASSERT_FALSE(statisticsList.Rows().empty());
    // Rows stored, the fetch not yet ended: the rendering stops before the first row.
    rig->monitor.RunningFlag(monitor::wkStatistics) = true;
    rig->monitor.Notify(monitor::ncStatisticsStored);
    EXPECT_TRUE(statisticsList.Rows().empty());
    rig->monitor.RunningFlag(monitor::wkStatistics) = false;
    // Left set, the rendering flag would drop every later request of the page.
    EXPECT_FALSE(rig->monitor.RenderingFlag(monitor::wkStatistics));
    Refresh();
    ASSERT_TRUE(WaitIdle(monitor::wkStatistics));
    EXPECT_FALSE(statisticsList.Rows().empty());
}

} // namespace
