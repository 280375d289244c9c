// The activity sampler: its statements (v$session, or v$session joined to v$session_wait before
// 10g, never a view of a paid option), its samples of the sandbox at each list refresh and at its
// own interval while connected, and its options as remembered.
#include "history/ActivitySampler.h"

#include "history/ActivitySummary.h"
#include "monitor/MonitorSupport.h"
#include "oradb/OraQuery.h"
#include "support/SandboxFixture.h"
#include "util/HandOver.h"

#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <gtest/gtest.h>
#include <set>
#include <sqlite3.h>

namespace {

using namespace history;
using testing_support::MonitorRig;

TEST(ActivitySamplerSql, ReadsTheSessionViewsAndNoViewOfAPaidOption) {
    for (bool tenG : {true, false}) {
        std::string sql = ActiveSessionsSql(tenG, 17);
        std::transform(sql.begin(), sql.end(), sql.begin(), ::tolower);
        EXPECT_NE(sql.find("from v$session s"), std::string::npos) << sql;
        EXPECT_NE(sql.find("s.sid<>17"), std::string::npos) << sql;
        for (const char* paid : {"active_session_history", "dba_hist", "wrh$", "v$sqlstats_plan"})
            EXPECT_EQ(sql.find(paid), std::string::npos) << paid;
        EXPECT_EQ(sql.find("v$session_wait") != std::string::npos, !tenG) << sql;
    }
}

TEST(ActivitySamplerSql, EventsBefore10gGetTheirWaitClass) {
    EXPECT_EQ(WaitClassOfEvent("db file sequential read"), "User I/O");
    EXPECT_EQ(WaitClassOfEvent("db file scattered read"), "User I/O");
    EXPECT_EQ(WaitClassOfEvent("log file sync"), "Commit");
    EXPECT_EQ(WaitClassOfEvent("log file parallel write"), "System I/O");
    EXPECT_EQ(WaitClassOfEvent("enqueue"), "Application");
    EXPECT_EQ(WaitClassOfEvent("latch free"), "Concurrency");
    EXPECT_EQ(WaitClassOfEvent("SQL*Net more data to client"), "Network");
    EXPECT_EQ(WaitClassOfEvent("log buffer space"), "Configuration");
    EXPECT_EQ(WaitClassOfEvent("some new event"), "Other");
}

class ActiveSessions : public testing_support::SandboxTest {};

// Both statements see the same active sessions of the sandbox: those on CPU and those waiting on
// an event that is not idle, but not the sampling session itself.
TEST_F(ActiveSessions, BothStatementsReadTheSameActiveSessions) {
    oradb::TOraQuery q(&session);
    const TInstanceFacts facts = ReadInstanceFacts(q);
    EXPECT_FALSE(facts.dbName.empty());
    EXPECT_GT(facts.cpuCount, 0);
    EXPECT_EQ(std::to_string(facts.ownSid), value("select sid from v$mystat where rownum=1"));
    instance->step(3);
    const auto now = ReadActiveSessions(q, true, facts.ownSid);
    const auto old = ReadActiveSessions(q, false, facts.ownSid);
    ASSERT_FALSE(now.empty());
    EXPECT_EQ(std::to_string(now.size()),
              value("select count(*) from v$session where status='ACTIVE' and (state<>'WAITING' "
                    "or wait_class<>'Idle') and sid<>" +
                    std::to_string(facts.ownSid)));
    std::set<std::int64_t> a, b;
    for (const auto& s : now) {
        a.insert(s.sid);
        EXPECT_NE(s.sid, facts.ownSid);
        EXPECT_EQ(s.onCpu, s.waitClass == "CPU");
        EXPECT_EQ(s.onCpu, s.event.empty()) << s.event;
        EXPECT_NE(s.waitClass, "Idle");
    }
    for (const auto& s : old)
        b.insert(s.sid);
    EXPECT_EQ(a, b);
    // The sandbox's lock chain: its waiters name their blocker.
    EXPECT_TRUE(std::any_of(now.begin(), now.end(), [](const TActivitySample& s) {
        return s.blocker > 0 && s.event == "enq: TX - row lock contention" &&
               s.waitClass == "Application";
    }));
}

struct SamplerRig : MonitorRig {
    QTemporaryDir folder;
    TActivitySampler sampler{monitor};
    std::shared_ptr<TActivitySampler> observer{&sampler, [](TActivitySampler*) {}};
    std::vector<std::string> reports;
    SamplerRig() {
        sampler.SetFolder(folder.path().toStdString());
        sampler.OnReport = [this](const std::string& text) { reports.push_back(text); };
        monitor.Attach(observer);
    }
    bool WaitForSamples(std::int64_t count) {
        // The event loop runs: the sampler's timer fires and the hand-over calls run.
        return QTest::qWaitFor(
            [&] { return sampler.SamplesTaken() >= count && !sampler.Running(); }, 30000);
    }
};

TEST(ActivitySampler, EachListRefreshTakesASampleIntoTheInstancesStore) {
    auto instance = testing_support::openInstance("ActivitySampler.Refresh");
    SamplerRig rig;
    rig.sampler.Timer().setInterval(3600 * 1000); // only the refreshes sample here
    rig.Connect("sandbox::memory:ActivitySampler.Refresh");
    ASSERT_TRUE(rig.WaitForSamples(1));
    instance->step(1);
    rig.Refresh();
    ASSERT_TRUE(rig.WaitForSamples(2));
    ASSERT_NE(rig.sampler.Store(), nullptr);
    EXPECT_EQ(rig.sampler.Store()->Path(),
              rig.folder.filePath(QString::fromStdString(rig.sampler.Facts().dbName) + ".db")
                  .toStdString());
    ASSERT_TRUE(rig.sampler.Store()->Flush());
    TActivitySummary s;
    rig.sampler.Store()->Read([&](sqlite3* db) { s = SummarizeActivity(db, 0, 1LL << 40); });
    EXPECT_GE(s.instants, 1);
    EXPECT_GT(s.samples, 0);
    EXPECT_FALSE(s.sessions.empty());
    EXPECT_FALSE(s.events.empty());
    EXPECT_TRUE(rig.reports.empty());
    EXPECT_GT(rig.sampler.Facts().cpuCount, 0);
}

TEST(ActivitySampler, ItsOwnIntervalSamplesWhileConnectedWithoutARefresh) {
    auto instance = testing_support::openInstance("ActivitySampler.Timer");
    SamplerRig rig;
    rig.Connect("sandbox::memory:ActivitySampler.Timer");
    ASSERT_TRUE(rig.WaitForSamples(1));
    EXPECT_TRUE(rig.sampler.Timer().isActive());
    EXPECT_EQ(rig.sampler.Timer().interval(), 1000);
    const std::int64_t before = rig.sampler.SamplesTaken();
    const int fetches = rig.fetches->fetched;
    // No refresh: the timer alone takes the next samples.
    ASSERT_TRUE(rig.WaitForSamples(before + 2));
    EXPECT_EQ(rig.fetches->fetched, fetches);
    rig.monitor.Disconnect();
    EXPECT_FALSE(rig.sampler.Timer().isActive());
    const std::int64_t after = rig.sampler.SamplesTaken();
    rig.sampler.SampleNow(); // not connected: nothing starts
    EXPECT_FALSE(rig.sampler.Running());
    EXPECT_EQ(rig.sampler.SamplesTaken(), after);
}

TEST(ActivitySampler, AnUnusableStoreIsReportedOnceAndSamplesGoOnInMemory) {
    auto instance = testing_support::openInstance("ActivitySampler.Unusable");
    SamplerRig rig;
    // The folder of the stores is a file.
    const QString blocked = rig.folder.filePath("blocked");
    QFile file(blocked);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    rig.sampler.SetFolder(blocked.toStdString());
    rig.sampler.Timer().setInterval(3600 * 1000);
    rig.Connect("sandbox::memory:ActivitySampler.Unusable");
    for (int i = 0; i < 3; ++i) {
        instance->step(1);
        rig.Refresh();
    }
    ASSERT_TRUE(rig.WaitForSamples(3));
    ASSERT_TRUE(rig.sampler.Store()->Flush());
    ASSERT_TRUE(QTest::qWaitFor([&] { return !rig.reports.empty(); }, 10000));
    util::HandOver::instance().runPosted();
    EXPECT_EQ(rig.reports.size(), 1u);
    EXPECT_NE(rig.reports[0].find("kept in memory"), std::string::npos);
    EXPECT_TRUE(rig.sampler.Store()->InMemory());
    std::int64_t instants = 0;
    rig.sampler.Store()->Read(
        [&](sqlite3* db) { instants = SummarizeActivity(db, 0, 1LL << 40).instants; });
    EXPECT_GE(instants, 1);
}

TEST(HistoryOptions, AreRememberedInTheSettings) {
    THistoryOptions o;
    o.sampleSeconds = 5;
    o.retentionHours = 48;
    o.maxMegabytes = 500;
    SaveHistoryOptions(o);
    const THistoryOptions back = LoadHistoryOptions();
    EXPECT_EQ(back.sampleSeconds, 5);
    EXPECT_EQ(back.retentionHours, 48);
    EXPECT_EQ(back.maxMegabytes, 500);
    // Values out of range fall back to the defaults.
    o.sampleSeconds = 0;
    o.retentionHours = -3;
    o.maxMegabytes = 0;
    SaveHistoryOptions(o);
    const THistoryOptions defaults = LoadHistoryOptions();
    EXPECT_EQ(defaults.sampleSeconds, 1);
    EXPECT_EQ(defaults.retentionHours, 24);
    EXPECT_EQ(defaults.maxMegabytes, 200);
}

} // namespace
