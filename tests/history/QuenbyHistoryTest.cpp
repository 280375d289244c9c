// quenby-history run as a user runs it: the top sessions, SQL and events of a range of the
// activity history with their shares, aligned or as CSV, times of day or full dates, and the
// errors of a missing history or an unreadable time.
#include "history/HistoryStore.h"
#include "support/RunProgram.h"

#include <QDateTime>
#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <string>

namespace {

using namespace history;
using testing_support::ProgramRun;
using testing_support::RunProgram;

bool contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

TActivitySample sample(std::int64_t sid, bool cpu) {
    TActivitySample s;
    s.sid = sid;
    s.serial = 1000 + sid;
    s.user = "APP" + std::to_string(sid);
    s.program = "JDBC Thin Client";
    s.machine = "app" + std::to_string(sid);
    s.sqlId = cpu ? "7h35uxf5uhmm1" : "0v6z6cb1uj9ax";
    s.onCpu = cpu;
    s.waitClass = cpu ? "CPU" : "User I/O";
    s.event = cpu ? "" : "db file sequential read";
    return s;
}

// A history in a data folder of its own: every 10 s from `start` for 20 minutes session 7 on
// CPU, and in the 5 minutes from start+10 min session 8 reading; session 99 ten minutes after.
class QuenbyHistory : public testing::Test {
protected:
    void write(const std::string& db, const QDateTime& start) {
        const std::string path =
            QDir(data.path())
                .filePath("quenby/history/" + QString::fromStdString(db) + ".db")
                .toStdString();
        THistoryStore store(path);
        const std::int64_t t0 = start.toSecsSinceEpoch();
        for (std::int64_t t = t0; t < t0 + 1200; t += 10) {
            TActivityBatch b;
            b.time = t;
            b.samples.push_back(sample(7, true));
            if (t >= t0 + 600 && t < t0 + 900)
                b.samples.push_back(sample(8, false));
            store.Append(std::move(b));
        }
        TActivityBatch late;
        late.time = t0 + 1500;
        late.samples.push_back(sample(99, true));
        store.Append(std::move(late));
        ASSERT_TRUE(store.Flush());
        ASSERT_FALSE(store.InMemory());
    }
    ProgramRun run(const std::vector<std::string>& args) {
        return RunProgram(QUENBY_HISTORY_PATH, args,
                          {{"XDG_DATA_HOME"}, {"XDG_DATA_HOME=" + data.path().toStdString()}, {}});
    }
    QTemporaryDir data;
};

TEST_F(QuenbyHistory, PrintsTheTopListsOfARangeWithTheirShares) {
    write("PROD", QDateTime(QDate(2026, 1, 15), QTime(10, 30)));
    const ProgramRun r = run({"--from", "2026-01-15 10:30", "--to", "2026-01-15 10:50", "PROD"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");
    EXPECT_TRUE(contains(r.out, "Activity of PROD from 2026-01-15 10:30:00 to 2026-01-15 "
                                "10:50:00: 150 active-session samples at 120 sampling instants, "
                                "1.25 active sessions on average\n"))
        << r.out;
    EXPECT_TRUE(contains(r.out, "\nTop sessions\nSID SERIAL# USER PROGRAM          MACHINE "
                                "SAMPLES PERCENT\n7   1007    APP7 JDBC Thin Client app7        "
                                "120    80.0\n8   1008    APP8 JDBC Thin Client app8         "
                                "30    20.0\n"))
        << r.out;
    EXPECT_TRUE(contains(r.out, "\nTop SQL\nSQL_ID        SAMPLES PERCENT\n7h35uxf5uhmm1     "
                                "120    80.0\n0v6z6cb1uj9ax      30    20.0\n"))
        << r.out;
    EXPECT_TRUE(contains(r.out, "\nTop events\nEVENT                   WAIT_CLASS SAMPLES "
                                "PERCENT\nON CPU                  CPU            120    80.0\n"
                                "db file sequential read User I/O        30    20.0\n"))
        << r.out;
    EXPECT_FALSE(contains(r.out, "APP99")) << "outside the range";

    // A range of five minutes with both sessions: halves.
    const ProgramRun five =
        run({"--from=2026-01-15 10:40", "--to=2026-01-15T10:45", "--csv", "PROD"});
    EXPECT_EQ(five.status, 0) << five.err;
    EXPECT_EQ(five.out,
              "LIST,SID,SERIAL#,USER,PROGRAM,MACHINE,SQL_ID,EVENT,WAIT_CLASS,SAMPLES,PERCENT\r\n"
              "session,7,1007,APP7,JDBC Thin Client,app7,,,,30,50.0\r\n"
              "session,8,1008,APP8,JDBC Thin Client,app8,,,,30,50.0\r\n"
              "sql,,,,,,0v6z6cb1uj9ax,,,30,50.0\r\n"
              "sql,,,,,,7h35uxf5uhmm1,,,30,50.0\r\n"
              "event,,,,,,,ON CPU,CPU,30,50.0\r\n"
              "event,,,,,,,db file sequential read,User I/O,30,50.0\r\n");
}

TEST_F(QuenbyHistory, TimesOfDayMeanTheLatestSuchTimes) {
    // 10:30 and 10:50 of the day whose 10:50 came last.
    QDateTime to(QDate::currentDate(), QTime(10, 50));
    if (to > QDateTime::currentDateTime())
        to = to.addDays(-1);
    write("TODAY", to.addSecs(-1200));
    const ProgramRun r = run({"--from", "10:30", "--to", "10:50", "TODAY"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(
        contains(r.out, "from " + to.addSecs(-1200).toString("yyyy-MM-dd HH:mm:ss").toStdString()))
        << r.out;
    EXPECT_TRUE(contains(r.out, "150 active-session samples at 120 sampling instants")) << r.out;
}

TEST_F(QuenbyHistory, AFileNamedByItsPathIsReadToo) {
    write("PATHDB", QDateTime(QDate(2026, 2, 1), QTime(8, 0)));
    const std::string path = QDir(data.path()).filePath("quenby/history/PATHDB.db").toStdString();
    const ProgramRun r = run({"--from", "2026-02-01 08:00", "--to", "2026-02-01 08:10", path});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(contains(r.out, "60 active-session samples at 60 sampling instants")) << r.out;
}

TEST_F(QuenbyHistory, MissingHistoriesAndUnreadableTimesFail) {
    const ProgramRun missing = run({"NOPE"});
    EXPECT_EQ(missing.status, 1);
    EXPECT_EQ(missing.out, "");
    EXPECT_TRUE(contains(missing.err, "quenby-history: No activity history of NOPE"))
        << missing.err;
    const ProgramRun time = run({"--from", "half past ten", "PROD"});
    EXPECT_EQ(time.status, 2);
    EXPECT_TRUE(contains(time.err, "Cannot read the time 'half past ten'")) << time.err;
    EXPECT_TRUE(contains(time.err, "usage: quenby-history")) << time.err;
    const ProgramRun none = run({});
    EXPECT_EQ(none.status, 2);
    EXPECT_TRUE(contains(none.err, "usage: quenby-history")) << none.err;
    const ProgramRun two = run({"A", "B"});
    EXPECT_EQ(two.status, 2);
}

} // namespace
