// The blocking chains as a forest (several roots, deep chains, many waiters, cycles and missing
// holders in bad data), its tree model, its reading from the sandbox after each list refresh,
// and the Top SQL loads.
#include "MonitorSupport.h"
#include "monitor/BlockingTreeModel.h"
#include "monitor/DatabaseInfo.h"
#include "monitor/TopSql.h"
#include "oradb/OraQuery.h"
#include "support/SandboxFixture.h"

#include <QAbstractItemModelTester>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

using namespace monitor;
using testing_support::MonitorRig;
using testing_support::openInstance;

TBlockingSession waiter(const std::string& sid, const std::string& blocker) {
    TBlockingSession s;
    s.sid = sid;
    s.serial = "1" + sid;
    s.username = "U" + sid;
    s.blocker = blocker;
    return s;
}

// "sid(waiter,waiter)" for each root, nested; "!" marks a missing holder, "~" a cycle member.
std::string shape(const std::vector<TBlockingNode>& nodes) {
    std::string out;
    for (const TBlockingNode& n : nodes) {
        if (!out.empty())
            out += ' ';
        out += (n.missing ? "!" : "") + std::string(n.cycle ? "~" : "") + n.session.sid;
        if (!n.waiters.empty())
            out += "(" + shape(n.waiters) + ")";
    }
    return out;
}

TEST(BlockingTree, SeveralRootsEachWithItsWaitersInSidOrder) {
    const auto forest = BuildBlockingTree({waiter("30", "7"), waiter("7", ""), waiter("12", "7"),
                                           waiter("9", ""), waiter("40", "9"), waiter("8", "7")});
    EXPECT_EQ(shape(forest), "7(8 12 30) 9(40)");
    EXPECT_EQ(CountSessions(forest), 6);
    EXPECT_EQ(ForestDepth(forest), 2);
    EXPECT_EQ(forest[0].session.username, "U7");
}

TEST(BlockingTree, ChainsNestAtAnyDepth) {
    const auto forest = BuildBlockingTree({waiter("5", "4"), waiter("4", "3"), waiter("3", "2"),
                                           waiter("2", "1"), waiter("1", ""), waiter("6", "2")});
    EXPECT_EQ(shape(forest), "1(2(3(4(5)) 6))");
    EXPECT_EQ(ForestDepth(forest), 5);
}

TEST(BlockingTree, ABlockerWithManyWaiters) {
    std::vector<TBlockingSession> rows{waiter("1", "")};
    for (int i = 2; i <= 201; ++i)
        rows.push_back(waiter(std::to_string(i), "1"));
    const auto forest = BuildBlockingTree(rows);
    ASSERT_EQ(forest.size(), 1u);
    EXPECT_EQ(forest[0].waiters.size(), 200u);
    EXPECT_EQ(forest[0].waiters.front().session.sid, "2");
    EXPECT_EQ(forest[0].waiters.back().session.sid, "201");
}

TEST(BlockingTree, AHolderThatTheRowsLackIsAPlaceholderRoot) {
    const auto forest = BuildBlockingTree({waiter("10", "99"), waiter("11", "99")});
    EXPECT_EQ(shape(forest), "!99(10 11)");
    EXPECT_EQ(TBlockingTreeModel::CellText(forest[0], TBlockingTreeModel::ColUser),
              "(not in v$session)");
}

TEST(BlockingTree, CyclesNeverLoopAndEachSessionAppearsOnce) {
    // 1 -> 2 -> 3 -> 1, with 4 waiting for 3 and 5 for 4; a separate two-session cycle.
    const auto forest =
        BuildBlockingTree({waiter("1", "3"), waiter("2", "1"), waiter("3", "2"), waiter("4", "3"),
                           waiter("5", "4"), waiter("20", "21"), waiter("21", "20")});
    EXPECT_EQ(shape(forest), "~1(~2(~3(4(5)))) ~20(~21)");
    EXPECT_EQ(CountSessions(forest), 7);
    EXPECT_EQ(TBlockingTreeModel::CellText(forest[0], TBlockingTreeModel::ColStatus),
              " (in a cycle)");
}

TEST(BlockingTree, SelfWaitsAndRepeatedRowsAreIgnored) {
    auto again = waiter("2", "1");
    again.username = "LATER";
    const auto forest = BuildBlockingTree(
        {waiter("1", "1"), waiter("2", "1"), again, waiter("", "1"), waiter("3", "")});
    EXPECT_EQ(shape(forest), "1(2)");
    EXPECT_EQ(forest[0].waiters[0].session.username, "U2");
}

TEST(BlockingTree, TheModelNestsRowsAndFindsSessions) {
    TBlockingTreeModel model;
    QAbstractItemModelTester tester(&model,
                                    QAbstractItemModelTester::FailureReportingMode::Warning);
    auto rows = std::vector<TBlockingSession>{waiter("1", ""),  waiter("2", "1"), waiter("3", "2"),
                                              waiter("4", "1"), waiter("7", ""),  waiter("8", "7")};
    rows[2].waitSeconds = "42";
    rows[2].sqlText = "update t\n  set x = 1";
    model.SetForest(BuildBlockingTree(rows));
    ASSERT_EQ(model.rowCount(), 2);
    const QModelIndex root = model.index(0, 0);
    EXPECT_EQ(model.data(root).toString(), "1");
    ASSERT_EQ(model.rowCount(root), 2);
    const QModelIndex child = model.index(0, 0, root);
    EXPECT_EQ(model.data(child).toString(), "2");
    EXPECT_EQ(model.parent(child), root);
    const QModelIndex grandChild = model.index(0, 0, child);
    EXPECT_EQ(model.data(grandChild).toString(), "3");
    EXPECT_EQ(model.data(grandChild.siblingAtColumn(TBlockingTreeModel::ColWait)).toString(), "42");
    EXPECT_EQ(model.data(grandChild.siblingAtColumn(TBlockingTreeModel::ColSqlText)).toString(),
              "update t set x = 1");
    EXPECT_EQ(
        model.data(grandChild.siblingAtColumn(TBlockingTreeModel::ColWait), Qt::TextAlignmentRole)
            .value<Qt::Alignment>(),
        Qt::AlignRight | Qt::AlignVCenter);
    EXPECT_EQ(model.IndexOf("3", "13"), grandChild);
    EXPECT_FALSE(model.IndexOf("3", "99").isValid());
    EXPECT_EQ(model.NodeAt(model.IndexOf("8", "18"))->session.blocker, "7");
    EXPECT_EQ(model.headerData(TBlockingTreeModel::ColEvent, Qt::Horizontal).toString(), "Event");
}

TEST(BlockingTree, StatementsForBothKindsOfInstance) {
    EXPECT_TRUE(HasBlockingSessionColumn("19.0.0.0.0"));
    EXPECT_TRUE(HasBlockingSessionColumn("10.2.0.5.0"));
    EXPECT_TRUE(HasBlockingSessionColumn(""));
    EXPECT_FALSE(HasBlockingSessionColumn("9.2.0.8.0"));
    EXPECT_NE(BlockingSessionsSql(true).find("blocking_session"), std::string::npos);
    const std::string old = BlockingSessionsSql(false);
    EXPECT_EQ(old.find("blocking_session"), std::string::npos);
    EXPECT_NE(old.find("h.block=1"), std::string::npos);
    EXPECT_NE(old.find("v$session_wait"), std::string::npos);
}

class BlockingChains : public testing_support::SandboxTest {};

// Both statements read the same chains from the sandbox, whose seeded chain is a holder with two
// waiters, and whose tick-40 chain is a tree four levels deep.
TEST_F(BlockingChains, BothStatementsReadTheSandboxsChains) {
    oradb::TOraQuery q(&session);
    for (bool column : {true, false}) {
        const auto forest = BuildBlockingTree(ReadBlockingSessions(q, column));
        ASSERT_EQ(forest.size(), 1u) << column;
        EXPECT_EQ(forest[0].waiters.size(), 2u);
        EXPECT_EQ(ForestDepth(forest), 2);
        const TBlockingSession& w = forest[0].waiters[0].session;
        EXPECT_EQ(w.event, "enq: TX - row lock contention");
        EXPECT_EQ(w.blocker, forest[0].session.sid);
        EXPECT_EQ(w.object.find('.') != std::string::npos, true) << w.object;
        EXPECT_FALSE(w.sqlText.empty());
        EXPECT_FALSE(forest[0].session.object.empty()) << "the holder's locked table";
        const std::string holder = forest[0].session.sid;
        EXPECT_NE(value("select count(*) from v$locked_object lo, dba_objects o where "
                        "o.object_id=lo.object_id and lo.session_id=" +
                        holder + " and o.owner||'.'||o.object_name='" + forest[0].session.object +
                        "'"),
                  "0");
    }
    instance->step(40);
    for (bool column : {true, false}) {
        const auto forest = BuildBlockingTree(ReadBlockingSessions(q, column));
        EXPECT_EQ(ForestDepth(forest), 4) << column;
        EXPECT_EQ(CountSessions(forest), 6);
        ASSERT_EQ(forest.size(), 1u);
        EXPECT_EQ(forest[0].waiters.size(), 3u);
    }
    EXPECT_GE(std::stoi(value("select count(*) from v$session where blocking_session is not null")),
              2);
}

class BlockingTreeReads : public ::testing::Test {
protected:
    void SetUp() override {
        instance = openInstance("blockingtree");
        rig.Connect("sandbox::memory:blockingtree");
    }
    bool WaitRead() {
        return util::HandOver::instance().waitUntil([this] { return !tree->Running(); },
                                                    std::chrono::seconds(30));
    }
    std::shared_ptr<oradb::sandbox::Instance> instance;
    TBlockingTreeModel model; // outlives the monitor and its workers
    MonitorRig rig;
    std::shared_ptr<TBlockingTreeMonitor> tree =
        std::make_shared<TBlockingTreeMonitor>(rig.monitor, model);
};

TEST_F(BlockingTreeReads, EachListRefreshReadsTheChainsWhileShown) {
    rig.monitor.Attach(tree);
    int reads = 0;
    tree->OnRead = [&reads] { ++reads; };
    rig.monitor.Refresh();
    ASSERT_TRUE(rig.WaitForList());
    ASSERT_TRUE(WaitRead());
    EXPECT_EQ(reads, 0) << "hidden: nothing read";
    tree->SetShown(true);
    rig.monitor.Refresh();
    ASSERT_TRUE(rig.WaitForList());
    ASSERT_TRUE(util::HandOver::instance().waitUntil([&] { return reads == 1 && !tree->Running(); },
                                                     std::chrono::seconds(30)));
    EXPECT_EQ(tree->LastError(), "");
    ASSERT_EQ(model.rowCount(), 1);
    EXPECT_EQ(model.rowCount(model.index(0, 0)), 2);
    instance->step(40);
    rig.monitor.Refresh();
    ASSERT_TRUE(rig.WaitForList());
    ASSERT_TRUE(util::HandOver::instance().waitUntil([&] { return reads == 2 && !tree->Running(); },
                                                     std::chrono::seconds(30)));
    EXPECT_EQ(ForestDepth(model.Forest()), 4);
    instance->step(10);
    tree->Refresh();
    ASSERT_TRUE(util::HandOver::instance().waitUntil([&] { return reads == 3 && !tree->Running(); },
                                                     std::chrono::seconds(30)));
    EXPECT_EQ(model.rowCount(), 0) << "the chains have cleared";
}

TEST_F(BlockingTreeReads, AFailedReadKeepsTheTreeAndTellsWhy) {
    tree->SetShown(true);
    int reads = 0;
    tree->OnRead = [&reads] { ++reads; };
    tree->Refresh();
    ASSERT_TRUE(util::HandOver::instance().waitUntil([&] { return reads == 1 && !tree->Running(); },
                                                     std::chrono::seconds(30)));
    ASSERT_EQ(model.rowCount(), 1);
    oradb::sandbox::Fault fault;
    fault.fragment = "blocking_session blocker";
    fault.failAfterRows = 0;
    fault.code = 942;
    fault.text = "table or view does not exist";
    instance->addFault(fault);
    tree->Refresh();
    ASSERT_TRUE(util::HandOver::instance().waitUntil([&] { return reads == 2 && !tree->Running(); },
                                                     std::chrono::seconds(30)));
    EXPECT_EQ(tree->LastError(), "ORA-00942: table or view does not exist");
    EXPECT_EQ(model.rowCount(), 1);
    EXPECT_EQ(rig.host.workerFailures, 0) << "no message box for a page's read";
}

TEST_F(BlockingTreeReads, ADisconnectEndsAReadSilently) {
    tree->SetShown(true);
    oradb::sandbox::Fault slow;
    slow.fragment = "blocking_session blocker";
    slow.delayMs = 60000;
    instance->addFault(slow);
    tree->Refresh();
    EXPECT_TRUE(tree->Running());
    rig.monitor.Disconnect();
    EXPECT_FALSE(tree->Running());
    EXPECT_EQ(model.rowCount(), 0);
    EXPECT_EQ(tree->LastError(), "");
}

// ---- Top SQL ----

TEST(TopSql, RowsCarryTotalsAndFiguresPerExecution) {
    const auto row = TopSqlRow("abc", 4, 2'000'000, 1'000'000, 4000, 10, 8, "APP", "select\n 1");
    ASSERT_EQ(row.subItems.size(), TopSqlColumns().size() - 1);
    EXPECT_EQ(row.caption, "abc");
    EXPECT_EQ(row.subItems[0], "4");
    EXPECT_EQ(row.subItems[1], FormatFixed(2, 2));     // elapsed seconds
    EXPECT_EQ(row.subItems[2], FormatFixed(500, 2));   // elapsed ms per execution
    EXPECT_EQ(row.subItems[3], FormatFixed(1, 2));     // CPU seconds
    EXPECT_EQ(row.subItems[4], FormatFixed(250, 2));   // CPU ms per execution
    EXPECT_EQ(row.subItems[5], FormatThousands(4000)); // buffer gets
    EXPECT_EQ(row.subItems[6], FormatFixed(1000, 1));  // gets per execution
    EXPECT_EQ(row.subItems[7], "10");
    EXPECT_EQ(row.subItems[8], FormatFixed(2.5, 1));
    EXPECT_EQ(row.subItems[9], "8");
    EXPECT_EQ(row.subItems[10], FormatFixed(2, 1));
    EXPECT_EQ(row.subItems[11], "APP");
    EXPECT_EQ(row.subItems[12], "select 1");
    const auto never = TopSqlRow("x", 0, 5, 5, 5, 5, 5, "", "");
    EXPECT_EQ(never.subItems[2], "") << "no execution: no figure per execution";
    EXPECT_EQ(TopSqlColumns()[static_cast<std::size_t>(kTopSqlTextColumn)].caption, "SQL Text");
}

TEST(TopSql, StatementsOrderByTheChosenFigure) {
    EXPECT_NE(TopSqlStatement(TTopSqlOrder::CpuTime, 50)
                  .find("order by cpu_time desc) where "
                        "rownum<=50"),
              std::string::npos);
    EXPECT_NE(TopSqlStatement(TTopSqlOrder::Executions, 10).find("order by executions desc"),
              std::string::npos);
    EXPECT_STREQ(TopSqlOrderName(TTopSqlOrder::DiskReads), "Disk reads");
    EXPECT_TRUE(IsSqlId("5t2ns4xh3z0xn"));
    EXPECT_FALSE(IsSqlId("5t2ns4xh3z0x'"));
    EXPECT_FALSE(IsSqlId("short"));
    EXPECT_THROW(SqlSessionsStatement("x' or 1=1"), std::invalid_argument);
}

class TopSqlLoads : public ::testing::Test {
protected:
    void SetUp() override {
        instance = openInstance("topsql");
        rig.Connect("sandbox::memory:topsql");
    }
    std::vector<std::vector<std::string>> Rows(const std::string& sql) {
        return testing_support::rowsOf(*rig.monitor.Session(), sql);
    }
    std::shared_ptr<oradb::sandbox::Instance> instance;
    MonitorRig rig;
};

TEST_F(TopSqlLoads, TheHeaviestStatementsByEachFigure) {
    TTextListModel list(TopSqlColumns());
    const std::pair<TTopSqlOrder, const char*> orders[] = {
        {TTopSqlOrder::ElapsedTime, "elapsed_time"},
        {TTopSqlOrder::CpuTime, "cpu_time"},
        {TTopSqlOrder::BufferGets, "buffer_gets"},
        {TTopSqlOrder::DiskReads, "disk_reads"},
        {TTopSqlOrder::Executions, "executions"}};
    for (const auto& [order, column] : orders) {
        LoadTopSql(rig.monitor, list, order, 5);
        ASSERT_EQ(list.rowCount(), 5) << column;
        const std::string figure = std::string("select ") + column + " from v$sqlarea where ";
        const std::string most =
            Rows(std::string("select max(") + column + ") from v$sqlarea")[0][0];
        EXPECT_EQ(Rows(figure + "sql_id='" + list.Cell(0, 0) + "'")[0][0], most) << column;
        // Most first.
        for (int r = 1; r < 5; ++r)
            EXPECT_GE(std::stod(Rows(figure + "sql_id='" + list.Cell(r - 1, 0) + "'")[0][0]),
                      std::stod(Rows(figure + "sql_id='" + list.Cell(r, 0) + "'")[0][0]))
                << column << r;
    }
    const std::size_t all = Rows("select sql_id from v$sqlarea").size();
    LoadTopSql(rig.monitor, list, TTopSqlOrder::ElapsedTime);
    EXPECT_EQ(list.rowCount(), static_cast<int>(std::min<std::size_t>(all, 50)));
}

TEST_F(TopSqlLoads, FullTextAndTheSessionsRunningAStatement) {
    const auto running = Rows("select sql_id, count(*) from v$session where sql_id is not null "
                              "group by sql_id order by 2 desc, 1");
    ASSERT_FALSE(running.empty());
    const std::string sqlId = running[0][0];
    const std::string text = LoadSqlFullText(rig.monitor, sqlId);
    const auto fullText = Rows("select sql_fulltext from v$sql where sql_id='" + sqlId + "'");
    ASSERT_FALSE(fullText.empty());
    EXPECT_EQ(text, fullText[0][0]);
    TTextListModel sessions(SqlSessionColumns());
    LoadSqlSessions(rig.monitor, sessions, sqlId);
    EXPECT_EQ(std::to_string(sessions.rowCount()), running[0][1]);
    const auto first = Rows("select min(sid) from v$session where sql_id='" + sqlId + "'");
    EXPECT_EQ(sessions.Cell(0, 0), first[0][0]);
    EXPECT_FALSE(sessions.Cell(0, 2).empty());
    LoadSqlSessions(rig.monitor, sessions, "bad");
    EXPECT_EQ(sessions.rowCount(), 1);
    EXPECT_EQ(sessions.Cell(0, 0).rfind("Get v$session error", 0), 0u);
}

} // namespace
