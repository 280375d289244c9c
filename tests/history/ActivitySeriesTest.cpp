// The chart's series of a range (average active sessions by wait class in at most so many
// buckets), the range's samples as CSV, and the reader that runs both off the window's thread.
#include "history/ActivitySeries.h"

#include "history/ActivityReader.h"
#include "history/HistoryStore.h"

#include <QDateTime>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>
#include <sstream>

namespace {

using namespace history;

TActivitySample sample(std::int64_t sid, const std::string& waitClass, std::int64_t blocker = 0) {
    TActivitySample s;
    s.sid = sid;
    s.serial = 7;
    s.user = "U,1"; // a comma: quoted in CSV
    s.program = "p";
    s.machine = "m";
    s.sqlId = "abc";
    s.onCpu = waitClass == "CPU";
    s.waitClass = waitClass;
    s.event = s.onCpu ? "" : "ev " + waitClass;
    s.blocker = blocker;
    return s;
}

// 60 instants from t=6000: two sessions on CPU throughout, one on User I/O in the first 30, a
// Cluster wait (not a chart class: "Other") in the last 30.
void record(THistoryStore& store) {
    for (int i = 0; i < 60; ++i) {
        TActivityBatch b;
        b.time = 6000 + i;
        b.samples = {sample(1, "CPU"), sample(2, "CPU"),
                     i < 30 ? sample(3, "User I/O") : sample(4, "Cluster", 1)};
        store.Append(std::move(b));
    }
    ASSERT_TRUE(store.Flush());
}

TEST(ActivitySeries, AveragesEachClassOverTheSampledInstantsOfEachBucket) {
    QTemporaryDir dir;
    THistoryStore store(dir.filePath("S.db").toStdString());
    record(store);
    TActivitySeries s;
    store.Read([&](sqlite3* db) { s = ReadActivitySeries(db, 6000, 6060, 6); });
    EXPECT_EQ(s.bucketSeconds, 10);
    ASSERT_EQ(s.buckets.size(), 6u);
    const int cpu = WaitClassIndex("CPU"), io = WaitClassIndex("User I/O"),
              other = WaitClassIndex("Other");
    EXPECT_EQ(WaitClassIndex("Cluster"), other);
    for (std::size_t b = 0; b < 6; ++b) {
        EXPECT_TRUE(s.sampled[b]);
        EXPECT_DOUBLE_EQ(s.buckets[b][static_cast<std::size_t>(cpu)], 2.0);
        EXPECT_DOUBLE_EQ(s.buckets[b][static_cast<std::size_t>(io)], b < 3 ? 1.0 : 0.0);
        EXPECT_DOUBLE_EQ(s.buckets[b][static_cast<std::size_t>(other)], b < 3 ? 0.0 : 1.0);
    }
    EXPECT_DOUBLE_EQ(s.Peak(), 3.0);

    // A day in at most 800 buckets: whole seconds each, the unsampled ones marked.
    store.Read([&](sqlite3* db) { s = ReadActivitySeries(db, 6000 - 86400 + 60, 6060, 800); });
    EXPECT_LE(s.buckets.size(), 800u);
    EXPECT_EQ(s.bucketSeconds, 108);
    EXPECT_FALSE(s.sampled.front());
    EXPECT_TRUE(s.sampled.back());
}

TEST(ActivitySeries, TheSamplesOfARangeAsCsv) {
    QTemporaryDir dir;
    THistoryStore store(dir.filePath("C.db").toStdString());
    record(store);
    std::ostringstream out;
    std::int64_t rows = 0;
    store.Read([&](sqlite3* db) { rows = WriteSamplesCsv(db, 6029, 6031, out); });
    EXPECT_EQ(rows, 6);
    const std::string t29 = QDateTime::fromSecsSinceEpoch(6029)
                                .toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"))
                                .toStdString();
    const std::string t30 = QDateTime::fromSecsSinceEpoch(6030)
                                .toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"))
                                .toStdString();
    EXPECT_EQ(out.str(), "TIME,SID,SERIAL#,USER,PROGRAM,MACHINE,SQL_ID,EVENT,WAIT_CLASS,STATE,"
                         "BLOCKING_SESSION\r\n" +
                             t29 + ",1,7,\"U,1\",p,m,abc,,CPU,ON CPU,\r\n" + t29 +
                             ",2,7,\"U,1\",p,m,abc,,CPU,ON CPU,\r\n" + t29 +
                             ",3,7,\"U,1\",p,m,abc,ev User I/O,User I/O,WAITING,\r\n" + t30 +
                             ",1,7,\"U,1\",p,m,abc,,CPU,ON CPU,\r\n" + t30 +
                             ",2,7,\"U,1\",p,m,abc,,CPU,ON CPU,\r\n" + t30 +
                             ",4,7,\"U,1\",p,m,abc,ev Cluster,Cluster,WAITING,1\r\n");
}

TEST(ActivityReader, ReadsOffTheWindowsThreadAndRunsOnlyTheLatestWaitingRead) {
    QTemporaryDir dir;
    auto store = std::make_shared<THistoryStore>(dir.filePath("R.db").toStdString());
    record(*store);
    TActivityReader reader;
    const std::thread::id ui = std::this_thread::get_id();
    std::vector<int> done;
    std::vector<std::thread::id> threads(4);
    for (int i = 0; i < 4; ++i)
        reader.Read(
            store,
            [&threads, i](sqlite3*) {
                threads[static_cast<std::size_t>(i)] = std::this_thread::get_id();
            },
            [&done, i] { done.push_back(i); });
    EXPECT_TRUE(reader.Busy());
    ASSERT_TRUE(QTest::qWaitFor([&] { return !reader.Busy() && done.size() == 2; }, 30000));
    // The first read ran; of the three asked for meanwhile, the last one.
    EXPECT_EQ(done, (std::vector<int>{0, 3}));
    EXPECT_NE(threads[0], ui);
    EXPECT_NE(threads[3], ui);
    EXPECT_EQ(threads[1], std::thread::id());
}

} // namespace
