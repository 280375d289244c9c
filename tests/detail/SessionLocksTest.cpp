// The "Session Locks" view against the sandbox: the session's own locks and the blocking chains it
// takes part in, grouped and indented; mode texts; the cache; failures.
#include "SqlLocksSupport.h"

#include <regex>

namespace {

using namespace monitor;
using testing_support::SqlLocksTest;

class SessionLocks : public SqlLocksTest {
protected:
    struct Chain {
        std::string holder;
        std::vector<std::string> waiters;
        std::string id1, id2;
    };
    // The TX chain the sandbox keeps up: a holder in exclusive mode and its waiters, in v$lock
    // order.
    Chain FindChain() {
        Chain c;
        const auto h = rows("select sid, id1, id2 from \"v$lock\" where type = 'TX' and block = 1"
                            " and lmode = 6 order by rowid limit 1");
        if (h.empty())
            return c;
        c.holder = h[0][0];
        c.id1 = h[0][1];
        c.id2 = h[0][2];
        for (const auto& w : rows("select sid from \"v$lock\" where request = 6 and id1 = " +
                                  c.id1 + " and id2 = " + c.id2 + " order by rowid"))
            c.waiters.push_back(w[0]);
        return c;
    }
    void ShowLocks() {
        locksObserver->SetActive(true);
        ASSERT_TRUE(WaitIdle(wkLocks));
    }
    // Rows of lockList as (caption, sid, lmode, request).
    std::vector<std::array<std::string, 4>> Shown() {
        std::vector<std::array<std::string, 4>> out;
        for (const auto& r : lockList.RowsCopy())
            out.push_back({r.caption, r.subItems.at(0), r.subItems.at(2), r.subItems.at(3)});
        return out;
    }
    std::string User(const std::string& sid) {
        return one("select username from \"v$session\" where sid = " + sid);
    }
    // How many locks the session holds or requests apart from those on the chain's id.
    int OtherLocks(const std::string& sid, const Chain& c) {
        return std::stoi(one("select count(*) from \"v$lock\" where sid = " + sid +
                             " and not (id1 = " + c.id1 + " and id2 = " + c.id2 + ")"));
    }
};

TEST_F(SessionLocks, HolderSeesItsPlainLocksThenItsChainWithWaitersIndented) {
    const Chain c = FindChain();
    ASSERT_FALSE(c.holder.empty());
    ASSERT_GE(c.waiters.size(), 2u);
    Select(c.holder);
    ShowLocks();
    const auto shown = Shown();
    const int plain = OtherLocks(c.holder, c);
    ASSERT_EQ(shown.size(), static_cast<std::size_t>(plain) + 1 + c.waiters.size());
    for (int i = 0; i < plain; ++i) {
        EXPECT_EQ(shown[static_cast<std::size_t>(i)][0], User(c.holder));
        EXPECT_EQ(shown[static_cast<std::size_t>(i)][1], c.holder);
    }
    const auto& head = shown[static_cast<std::size_t>(plain)];
    EXPECT_EQ(head[0], User(c.holder));
    EXPECT_EQ(head[1], c.holder);
    EXPECT_EQ(head[2], "Exclusive(X)");
    EXPECT_EQ(head[3], "none");
    for (std::size_t i = 0; i < c.waiters.size(); ++i) {
        const auto& w = shown[static_cast<std::size_t>(plain) + 1 + i];
        EXPECT_EQ(w[0], "    " + User(c.waiters[i]));
        EXPECT_EQ(w[1], c.waiters[i]);
        EXPECT_EQ(w[2], "none");
        EXPECT_EQ(w[3], "Exclusive(X)");
    }
    const auto& record = rig.monitor.SelectedSession()->Locks();
    EXPECT_TRUE(rig.monitor.IsFresh(record.fetchGeneration));
    EXPECT_EQ(recorder->Only({23, 24}), (std::vector<int>{23, 24}));
}

TEST_F(SessionLocks, WaiterSeesTheBlockerFirstAndItselfIndented) {
    const Chain c = FindChain();
    ASSERT_GE(c.waiters.size(), 2u);
    const std::string waiter = c.waiters.back();
    Select(waiter);
    ShowLocks();
    const auto shown = Shown();
    const int plain = OtherLocks(waiter, c);
    ASSERT_EQ(shown.size(), static_cast<std::size_t>(plain) + 1 + c.waiters.size());
    for (int i = 0; i < plain; ++i)
        EXPECT_EQ(shown[static_cast<std::size_t>(i)][1], waiter);
    EXPECT_EQ(shown[static_cast<std::size_t>(plain)][0], User(c.holder));
    EXPECT_EQ(shown[static_cast<std::size_t>(plain)][1], c.holder);
    EXPECT_EQ(shown.back()[1], waiter);
    EXPECT_EQ(shown.back()[0], "    " + User(waiter));
}

TEST_F(SessionLocks, UnrelatedChainsAreNotShown) {
    const Chain c = FindChain();
    ASSERT_FALSE(c.holder.empty());
    // A session with locks of its own that takes no part in blocking.
    const std::string sid =
        one("select l.sid from \"v$lock\" l, \"v$session\" s where s.sid ="
            " l.sid and s.type = 'USER' and l.sid not in (select sid from"
            " \"v$lock\" where block = 1 or request > 0) order by l.sid limit 1");
    ASSERT_FALSE(sid.empty());
    Select(sid);
    ShowLocks();
    const auto shown = Shown();
    EXPECT_EQ(shown.size(), static_cast<std::size_t>(std::stoi(
                                one("select count(*) from \"v$lock\" where sid = " + sid))));
    for (const auto& r : shown) {
        EXPECT_EQ(r[1], sid);
        EXPECT_EQ(r[0].rfind("    ", 0), std::string::npos);
    }
    // The chain was grouped all the same, as a group that does not concern the session.
    const auto& groups = rig.monitor.SelectedSession()->Locks().groups;
    ASSERT_FALSE(groups.empty());
    EXPECT_EQ(groups.front().front()[lfSid], "0");
}

TEST_F(SessionLocks, SessionWithoutLocksShowsAnEmptyList) {
    const Chain c = FindChain();
    ASSERT_FALSE(c.holder.empty());
    const std::string sid = one("select sid from \"v$session\" where type = 'USER' and sid not in"
                                " (select sid from \"v$lock\") order by sid limit 1");
    ASSERT_FALSE(sid.empty());
    Select(sid);
    ShowLocks();
    EXPECT_EQ(lockList.rowCount(), 0);
    EXPECT_FALSE(rig.monitor.SelectedSession()->Locks().rows.empty()); // the chain's rows
}

TEST_F(SessionLocks, ModeSevenStaysANumberAndOtherModesAreDecoded) {
    const std::string sid = one("select sid from \"v$session\" where type = 'USER' and sid not in"
                                " (select sid from \"v$lock\") order by sid limit 1");
    ASSERT_FALSE(sid.empty());
    int mode = 0;
    for (const char* type : {"UL", "UL", "UL", "UL", "UL", "UL", "UL", "UL"}) {
        // Raw addresses as bytes: 00 af 3c and a running byte.
        rows("insert into \"v$lock\" (addr, kaddr, sid, type, id1, id2, lmode, request, ctime, "
             "block) values (x'00af3c" +
             std::to_string(10 + mode) + "', x'00af3d00', " + sid + ", '" + type + "', " +
             std::to_string(900 + mode) + ", 0, " + std::to_string(mode) + ", 0, 5, 0)");
        ++mode;
    }
    Select(sid);
    ShowLocks();
    std::vector<std::string> modes;
    for (const auto& r : Shown())
        modes.push_back(r[2]);
    EXPECT_EQ(modes, (std::vector<std::string>{"none", "NULL", "Row-S(SS)", "Row-X(SX)", "Share(S)",
                                               "S/Row-X(SSX)", "Exclusive(X)", "7"}));
    // The raw addresses come as upper-case hexadecimal.
    for (const auto& row : rig.monitor.SelectedSession()->Locks().rows)
        EXPECT_TRUE(std::regex_match(row[lfAddr], std::regex("[0-9A-F]+"))) << row[lfAddr];
    const auto& stored = rig.monitor.SelectedSession()->Locks().rows;
    const auto first = std::find_if(stored.begin(), stored.end(),
                                    [&](const TLocksFieldType& r) { return r[lfSid] == sid; });
    ASSERT_NE(first, stored.end());
    EXPECT_EQ((*first)[lfAddr], "00AF3C10");
    EXPECT_EQ((*first)[lfAddr2], "00AF3C10");
}

TEST_F(SessionLocks, RequestOfAnotherModeIsNoWaiterAndALoneBlockerShowsOnlyForItsSession) {
    const auto free = rows("select sid from \"v$session\" where type = 'USER' and sid not in"
                           " (select sid from \"v$lock\") order by sid limit 2");
    ASSERT_EQ(free.size(), 2u);
    const std::string holder = free[0][0], asker = free[1][0];
    // A row-exclusive TM lock that blocks, and a share request behind it.
    rows("insert into \"v$lock\" (addr, kaddr, sid, type, id1, id2, lmode, request, ctime, "
         "block) values ('00000000000B0001', '00000000000B0002', " +
         holder + ", 'TM', 77001, 0, 3, 0, 40, 1)");
    rows("insert into \"v$lock\" (addr, kaddr, sid, type, id1, id2, lmode, request, ctime, "
         "block) values ('00000000000B0003', '00000000000B0004', " +
         asker + ", 'TM', 77001, 0, 0, 4, 12, 0)");
    Select(asker);
    ShowLocks();
    auto shown = Shown();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0][0], User(asker));
    EXPECT_EQ(shown[0][3], "Share(S)");

    Select(holder);
    rig.monitor.SelectedSession()->Locks().fetchGeneration = 0; // make the cached record stale
    locksObserver->SetActive(true);
    ASSERT_TRUE(WaitIdle(wkLocks));
    shown = Shown();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0][1], holder);
    EXPECT_EQ(shown[0][2], "Row-X(SX)");
    const auto& groups = rig.monitor.SelectedSession()->Locks().groups;
    const auto mine = std::find_if(groups.begin(), groups.end(),
                                   [&](const TLocksArrayType& g) { return g[0][lfSid] == holder; });
    ASSERT_NE(mine, groups.end());
    EXPECT_EQ(mine->size(), 1u);
}

TEST_F(SessionLocks, CachedRecordRendersTheSameRowsWithoutAQuery) {
    const Chain c = FindChain();
    Select(c.holder);
    ShowLocks();
    const auto first = Shown();
    locksObserver->SetActive(false);
    lockList.SetRows({});
    locksObserver->SetActive(true);
    ASSERT_TRUE(WaitIdle(wkLocks));
    EXPECT_EQ(recorder->Count(ncLocksLoading), 1);
    EXPECT_EQ(recorder->Count(ncLocksStored), 2);
    EXPECT_EQ(Shown(), first);
}

TEST_F(SessionLocks, ChainClearedBySimulatorIsGoneAfterTheNextRefresh) {
    const Chain c = FindChain();
    ASSERT_FALSE(c.holder.empty());
    Select(c.holder);
    ShowLocks();
    ASSERT_GT(lockList.rowCount(), static_cast<int>(c.waiters.size()));
    // Step until the simulator lets the holder commit.
    for (int i = 0; i < 40 && one("select count(*) from \"v$lock\" where sid = " + c.holder +
                                  " and block = 1") != "0";
         ++i)
        instance->step(1);
    ASSERT_EQ(one("select count(*) from \"v$lock\" where sid = " + c.holder + " and block = 1"),
              "0");
    RefreshList();
    ASSERT_EQ(rig.monitor.SelectedSid, c.holder);
    for (const auto& r : Shown()) {
        EXPECT_EQ(r[1], c.holder);
        EXPECT_EQ(r[0].rfind("    ", 0), std::string::npos);
    }
}

TEST_F(SessionLocks, FailingQueryIsReportedOnceAndRendersWhatWasStored) {
    const Chain c = FindChain();
    Select(c.holder);
    oradb::sandbox::Fault fault;
    fault.fragment = "from v$lock l";
    fault.failAfterRows = 1;
    instance->addFault(fault);
    ShowLocks();
    util::HandOver::instance().runPending();
    EXPECT_EQ(recorder->Only({23, 24}), (std::vector<int>{23, 24}));
    EXPECT_EQ(rig.host.workerFailures, 1);
    EXPECT_FALSE(rig.monitor.Running(wkLocks));
    EXPECT_FALSE(rig.monitor.IsFresh(rig.monitor.SelectedSession()->Locks().fetchGeneration));
    EXPECT_EQ(rig.monitor.LocksSql,
              "select rawtohex(l.addr) addr,rawtohex(l.kaddr) kaddr,l.sid,l.type,l.id1,l.id2,"
              "decode(l.lmode,0,'none',1,'NULL',2,'Row-S(SS)',3,'Row-X(SX)',4,'Share(S)',5,"
              "'S/Row-X(SSX)',6,'Exclusive(X)',l.lmode) lmode,decode(l.request,0,'none',1,'NULL',"
              "2,'Row-S(SS)',3,'Row-X(SX)',4,'Share(S)',5,'S/Row-X(SSX)',6,'Exclusive(X)',"
              "l.request) request, l.ctime,l.block,s.username from v$lock l,v$session s where "
              "l.sid=s.sid and (s.sid=" +
                  c.holder + " or l.request!=0 or l.block=1)");
}

TEST_F(SessionLocks, FetchFailingHalfWayShowsNoChainOfAnEarlierFetch) {
    const Chain c = FindChain();
    Select(c.holder);
    ShowLocks();
    ASSERT_FALSE(rig.monitor.SelectedSession()->Locks().groups.empty());
    oradb::sandbox::Fault fault;
    fault.fragment = "from v$lock l";
    fault.failAfterRows = 1;
    instance->addFault(fault);
    // The record counts as stale; the view fetches again and the fetch fails after one row.
    rig.monitor.SelectedSession()->Locks().fetchGeneration = 0;
    ShowLocks();
    util::HandOver::instance().runPending();
    EXPECT_EQ(rig.host.workerFailures, 1);
    EXPECT_TRUE(rig.monitor.SelectedSession()->Locks().groups.empty());
    EXPECT_LE(rig.monitor.SelectedSession()->Locks().rows.size(), 1u);
    for (const auto& r : Shown())
        EXPECT_EQ(r[0].rfind("    ", 0), std::string::npos);
}

TEST_F(SessionLocks, SwitchingToTheSqlPageCancelsTheLocksFetchSilently) {
    const Chain c = FindChain();
    Select(c.holder);
    oradb::sandbox::Fault slow;
    slow.fragment = "from v$lock l";
    slow.delayMs = 600000; // only a cancel ends it
    instance->addFault(slow);
    locksObserver->SetActive(true);
    ASSERT_TRUE(util::HandOver::instance().waitUntil(
        [&] { return recorder->Count(ncLocksLoading) == 1; }, std::chrono::seconds(20)));
    ASSERT_EQ(lockList.rowCount(), 1);
    EXPECT_EQ(lockList.RowsCopy()[0].caption, "Loading...");
    instance->clearFaults();
    sqlObserver->SetActive(true);
    ASSERT_TRUE(WaitIdle(wkLocks));
    ASSERT_TRUE(WaitIdle(wkSql));
    util::HandOver::instance().runPending();
    EXPECT_EQ(rig.host.workerFailures, 0);
    EXPECT_EQ(recorder->Count(ncLocksStored), 1);
    EXPECT_EQ(recorder->Count(ncCurrentSqlStored), 1);
    // Nothing was stamped: the locks page fetches again when it is shown next.
    EXPECT_FALSE(rig.monitor.IsFresh(rig.monitor.SelectedSession()->Locks().fetchGeneration));
    locksObserver->SetActive(true);
    ASSERT_TRUE(WaitIdle(wkLocks));
    EXPECT_EQ(recorder->Count(ncLocksLoading), 2);
    EXPECT_GT(lockList.rowCount(), static_cast<int>(c.waiters.size()));
}

TEST(LockGrouping, BlockersTakeTheirSameModeWaitersInStoredOrder) {
    auto row = [](std::string sid, std::string id1, std::string lmode, std::string request,
                  std::string block) {
        return TLocksFieldType{"U" + sid, "A",   "A",     sid, "TX", id1,
                               "0",       lmode, request, "0", block};
    };
    std::vector<TLocksFieldType> rows = {
        row("5", "1", "none", "Exclusive(X)", "0"), row("9", "1", "Exclusive(X)", "none", "1"),
        row("6", "2", "Exclusive(X)", "none", "1"), row("7", "2", "none", "Exclusive(X)", "0"),
        row("8", "1", "none", "Share(S)", "0"),
    };
    std::vector<TLocksArrayType> groups;
    ASSERT_TRUE(detail::GroupLocks(rows, groups, "5"));
    ASSERT_EQ(groups.size(), 2u);
    ASSERT_EQ(groups[0].size(), 2u);
    EXPECT_EQ(groups[0][0][lfSid], "9"); // concerns 5: the blocker keeps its sid
    EXPECT_EQ(groups[0][1][lfSid], "5");
    ASSERT_EQ(groups[1].size(), 2u);
    EXPECT_EQ(groups[1][0][lfSid], "0"); // does not concern 5
    EXPECT_EQ(groups[1][1][lfSid], "7");
    // Used rows are marked; the share request stays a plain row.
    EXPECT_EQ(rows[0][lfSid], "0");
    EXPECT_EQ(rows[1][lfSid], "0");
    EXPECT_EQ(rows[4][lfSid], "8");
    // A terminate request ends the grouping unfinished.
    for (auto& r : rows)
        r[lfSid] = r[lfUsername].substr(1);
    EXPECT_FALSE(detail::GroupLocks(rows, groups, "5", [] { return true; }));
}

} // namespace
