// The activity history store: batches written and summed up, its file under the data folder,
// compact rows, retention and the size cap, and its troubles (a full store, a nearly full disk, a
// corrupt file, an unwritable place, a read-only file, two writers on one file), each reported
// once while sampling goes on.
#include "history/HistoryStore.h"

#include "history/ActivitySummary.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <algorithm>
#include <atomic>
#include <gtest/gtest.h>
#include <mutex>
#include <sqlite3.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

using namespace history;

TActivitySample session(std::int64_t sid, const std::string& waitClass, const std::string& sqlId,
                        const std::string& event = {}) {
    TActivitySample s;
    s.sid = sid;
    s.serial = 1000 + sid;
    s.user = "APP" + std::to_string(sid % 3);
    s.program = "sqlplus@host" + std::to_string(sid % 2);
    s.machine = "host" + std::to_string(sid % 2);
    s.sqlId = sqlId;
    s.onCpu = waitClass == "CPU";
    s.waitClass = waitClass;
    s.event = s.onCpu ? std::string() : event;
    return s;
}

TActivityBatch batch(std::int64_t time, std::vector<TActivitySample> samples) {
    TActivityBatch b;
    b.time = time;
    b.samples = std::move(samples);
    return b;
}

TActivitySummary summary(THistoryStore& store, std::int64_t from, std::int64_t to) {
    TActivitySummary s;
    store.Read([&](sqlite3* db) { s = SummarizeActivity(db, from, to); });
    return s;
}

std::int64_t countRows(THistoryStore& store, const char* sql) {
    std::int64_t n = -1;
    store.Read([&](sqlite3* db) {
        sqlite3_stmt* stmt = nullptr;
        sqlite3_prepare_v2(db, sql, -1, &stmt, nullptr);
        if (sqlite3_step(stmt) == SQLITE_ROW)
            n = sqlite3_column_int64(stmt, 0);
        sqlite3_finalize(stmt);
    });
    return n;
}

std::int64_t fileBytes(const std::string& path) {
    return QFileInfo(QString::fromStdString(path)).size() +
           QFileInfo(QString::fromStdString(path + "-wal")).size();
}

// Collects the reports, which arrive on the writer thread.
struct Reports {
    std::atomic<int> count{0};
    std::mutex mutex;
    std::string texts; // what was reported, for the failure message
    THistoryStore::TReport callback() {
        return [this](const std::string& text) {
            ++count;
            std::lock_guard lock(mutex);
            texts += text + "\n";
        };
    }
};

TEST(HistoryStore, WritesSamplesAndSumsUpARangeWithShares) {
    QTemporaryDir dir;
    const std::string path = dir.filePath("PROD.db").toStdString();
    THistoryStore store(path);
    // Ten instants: session 7 on CPU every time, session 8 waiting on I/O in the last four,
    // one instant with nobody active.
    for (int i = 0; i < 10; ++i) {
        std::vector<TActivitySample> rows{session(7, "CPU", "7h35uxf5uhmm1")};
        if (i >= 6)
            rows.push_back(session(8, "User I/O", "0v6z6cb1uj9ax", "db file sequential read"));
        store.Append(batch(1000 + i, std::move(rows)));
    }
    store.Append(batch(1010, {}));
    ASSERT_TRUE(store.Flush());
    EXPECT_FALSE(store.InMemory());
    EXPECT_TRUE(store.Reports().empty()) << store.Reports().front();
    EXPECT_EQ(store.SamplesWritten(), 14);

    const TActivitySummary all = summary(store, 1000, 1011);
    EXPECT_EQ(all.instants, 11);
    EXPECT_EQ(all.samples, 14);
    EXPECT_NEAR(all.averageActive, 14.0 / 11.0, 1e-9);
    ASSERT_EQ(all.sessions.size(), 2u);
    EXPECT_EQ(all.sessions[0].keys,
              (std::vector<std::string>{"7", "1007", "APP1", "sqlplus@host1", "host1"}));
    EXPECT_NEAR(all.sessions[0].percent, 100.0 * 10 / 14, 1e-9);
    ASSERT_EQ(all.events.size(), 2u);
    EXPECT_EQ(all.events[0].keys, (std::vector<std::string>{"ON CPU", "CPU"}));
    EXPECT_EQ(all.events[1].keys,
              (std::vector<std::string>{"db file sequential read", "User I/O"}));
    EXPECT_EQ(all.events[1].samples, 4);
    ASSERT_EQ(all.sql.size(), 2u);
    EXPECT_EQ(all.sql[0].keys[0], "7h35uxf5uhmm1");

    // A range holds only its own instants; `to` is excluded.
    const TActivitySummary late = summary(store, 1006, 1010);
    EXPECT_EQ(late.instants, 4);
    EXPECT_EQ(late.samples, 8);
    EXPECT_DOUBLE_EQ(late.events[0].percent, 50.0);

    // The file is in WAL mode, so that another Quenby reads while this one writes.
    std::string mode;
    store.Read([&](sqlite3* db) {
        sqlite3_stmt* stmt = nullptr;
        sqlite3_prepare_v2(db, "pragma journal_mode", -1, &stmt, nullptr);
        if (sqlite3_step(stmt) == SQLITE_ROW)
            mode = reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0));
        sqlite3_finalize(stmt);
    });
    EXPECT_EQ(mode, "wal");
}

TEST(HistoryStore, TheFileOfAnInstanceIsUnderTheUsersDataFolder) {
    const QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    EXPECT_EQ(THistoryStore::DefaultPath("PROD"),
              QString(data + "/quenby/history/PROD.db").toStdString());
    // A name never leads out of the folder.
    EXPECT_EQ(THistoryStore::DefaultPath("../x/y"),
              QString(data + "/quenby/history/_.._x_y.db").toStdString());
    EXPECT_EQ(THistoryStore::DefaultPath(""), QString(data + "/quenby/history/_.db").toStdString());
    // The store makes its folder.
    const std::string path = THistoryStore::DefaultPath("HISTTEST");
    QFile::remove(QString::fromStdString(path));
    {
        THistoryStore store(path);
        store.Append(batch(5, {session(1, "CPU", "")}));
        ASSERT_TRUE(store.Flush());
        EXPECT_FALSE(store.InMemory());
    }
    EXPECT_TRUE(QFileInfo::exists(QString::fromStdString(path)));
}

TEST(HistoryStore, ASampledActiveSessionTakesAFewIntegers) {
    QTemporaryDir dir;
    const std::string path = dir.filePath("BIG.db").toStdString();
    const char* classes[] = {"CPU", "User I/O", "Concurrency", "Application"};
    const int instants = 300, sessions = 60;
    {
        THistoryStore store(path);
        for (int t = 0; t < instants; ++t) {
            std::vector<TActivitySample> rows;
            for (int s = 0; s < sessions; ++s)
                rows.push_back(session(100 + s * 3, classes[(s + t) % 4],
                                       "sql" + std::to_string((s + t) % 40),
                                       "event" + std::to_string(s % 7)));
            store.Append(batch(1700000000 + t, std::move(rows)));
        }
        ASSERT_TRUE(store.Flush(std::chrono::seconds(60)));
        EXPECT_EQ(countRows(store, "select count(*) from samples"), instants * sessions);
    }
    // Closed, the store is one file (the last connection folds the journal into it).
    EXPECT_FALSE(QFileInfo::exists(QString::fromStdString(path + "-wal")));
    const double perSample = static_cast<double>(fileBytes(path)) / (instants * sessions);
    EXPECT_LE(perSample, 100.0);
    EXPECT_GT(perSample, 4.0);
}

TEST(HistoryStore, SamplesOlderThanTheRetentionAreDropped) {
    QTemporaryDir dir;
    THistoryLimits limits;
    limits.retentionHours = 1;
    THistoryStore store(dir.filePath("R.db").toStdString(), limits);
    store.Append(batch(100000, {session(1, "CPU", "a")}));
    store.Append(batch(100000 + 1800, {session(2, "CPU", "b")}));
    store.Append(batch(100000 + 3700, {session(3, "CPU", "c")}));
    ASSERT_TRUE(store.Flush());
    const TActivitySummary s = summary(store, 0, 200000);
    EXPECT_EQ(s.instants, 2);
    ASSERT_EQ(s.sessions.size(), 2u);
    EXPECT_EQ(s.sessions[0].keys[0], "2");
    EXPECT_EQ(s.sessions[1].keys[0], "3");
}

TEST(HistoryStore, TheSizeCapKeepsTheLatestSamples) {
    QTemporaryDir dir;
    const std::string path = dir.filePath("CAP.db").toStdString();
    THistoryLimits limits;
    limits.maxBytes = 256 * 1024;
    Reports reports;
    THistoryStore store(path, limits, reports.callback());
    const int instants = 400;
    for (int t = 0; t < instants; ++t) {
        std::vector<TActivitySample> rows;
        for (int s = 0; s < 40; ++s)
            rows.push_back(
                session(s, s % 2 ? "CPU" : "Commit", "q" + std::to_string(s), "log file sync"));
        store.Append(batch(5000 + t, std::move(rows)));
    }
    ASSERT_TRUE(store.Flush(std::chrono::seconds(60)));
    EXPECT_FALSE(store.WritingStopped());
    EXPECT_FALSE(store.InMemory());
    EXPECT_EQ(store.SamplesWritten(), instants * 40);
    EXPECT_LE(QFileInfo(QString::fromStdString(path)).size(), limits.maxBytes);
    // The latest instant is there, the first ones are gone.
    EXPECT_EQ(summary(store, 5000 + instants - 1, 5000 + instants).samples, 40);
    EXPECT_EQ(summary(store, 5000, 5010).samples, 0);
    EXPECT_LE(reports.count.load(), 1);
}

TEST(HistoryStore, AFullStoreWithNothingToDropStopsWritingAndSaysSoOnce) {
    QTemporaryDir dir;
    THistoryLimits limits;
    limits.maxBytes = 16 * 4096; // a few pages: one large instant does not fit
    Reports reports;
    THistoryStore store(dir.filePath("FULL.db").toStdString(), limits, reports.callback());
    for (int t = 0; t < 3; ++t) {
        std::vector<TActivitySample> rows;
        for (int s = 0; s < 3000; ++s)
            rows.push_back(session(s, "CPU", "sql_" + std::to_string(t) + "_" + std::to_string(s)));
        store.Append(batch(9000 + t, std::move(rows)));
    }
    ASSERT_TRUE(store.Flush());
    EXPECT_TRUE(store.WritingStopped());
    EXPECT_EQ(reports.count.load(), 1);
    ASSERT_EQ(store.Reports().size(), 1u);
    EXPECT_NE(store.Reports()[0].find("is full"), std::string::npos);
    EXPECT_EQ(summary(store, 0, 100000).samples, 0);
}

TEST(HistoryStore, ACorruptFileIsReportedOnceAndSamplingGoesOnInMemory) {
    QTemporaryDir dir;
    const QString path = dir.filePath("BAD.db");
    QFile garbage(path);
    ASSERT_TRUE(garbage.open(QIODevice::WriteOnly));
    QByteArray bytes(8192, '\0');
    for (int i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<char>((i * 7919 + 13) % 251);
    garbage.write(bytes);
    garbage.close();

    Reports reports;
    THistoryStore store(path.toStdString(), {}, reports.callback());
    store.Append(batch(10, {session(1, "CPU", "x")}));
    store.Append(batch(
        11, {session(1, "CPU", "x"), session(2, "Network", "y", "SQL*Net more data to client")}));
    ASSERT_TRUE(store.Flush());
    EXPECT_TRUE(store.InMemory());
    EXPECT_EQ(reports.count.load(), 1);
    ASSERT_EQ(store.Reports().size(), 1u);
    EXPECT_NE(store.Reports()[0].find("cannot be used"), std::string::npos);
    EXPECT_NE(store.Reports()[0].find("kept in memory"), std::string::npos);
    EXPECT_EQ(summary(store, 0, 100).samples, 3);
    // The file is left as it was.
    QFile after(path);
    ASSERT_TRUE(after.open(QIODevice::ReadOnly));
    EXPECT_EQ(after.readAll(), bytes);
}

TEST(HistoryStore, AnUnwritablePlaceIsReportedOnceAndSamplingGoesOnInMemory) {
    QTemporaryDir dir;
    // The folder the file should go into is a file: nothing can be made there.
    QFile blocker(dir.filePath("history"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    Reports reports;
    THistoryStore store(dir.filePath("history/PROD.db").toStdString(), {}, reports.callback());
    store.Append(batch(20, {session(4, "CPU", "z")}));
    store.Append(batch(21, {session(4, "CPU", "z")}));
    ASSERT_TRUE(store.Flush());
    EXPECT_TRUE(store.InMemory());
    EXPECT_EQ(reports.count.load(), 1);
    EXPECT_EQ(summary(store, 0, 100).samples, 2);
}

// Opens the store at `path` and writes one instant: as this process, or, for the superuser whom
// file modes do not bind, in a child process that runs as nobody. Returns whether the store
// went on in memory with the instant readable there and one report, or -1 when the child failed.
int inMemoryAfterOneInstant(const std::string& path) {
    auto check = [&] {
        Reports reports;
        THistoryStore store(path, {}, reports.callback());
        store.Append(batch(2, {session(2, "CPU", "b")}));
        if (!store.Flush())
            return -1;
        const bool ok =
            store.InMemory() && summary(store, 0, 10).samples == 1 && reports.count.load() == 1;
        return ok ? 1 : 0;
    };
    if (geteuid() != 0)
        return check();
    const pid_t child = fork();
    if (child == 0) {
        alarm(60); // a child gone wrong ends, and with it the wait below
        if (setgid(65534) != 0 || setuid(65534) != 0)
            _exit(3);
        _exit(check() == 1 ? 0 : 1);
    }
    int status = 0;
    if (waitpid(child, &status, 0) != child)
        return -1;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? 1 : -1;
}

TEST(HistoryStore, AReadOnlyFileIsReportedOnceAndSamplingGoesOnInMemory) {
#if defined(__SANITIZE_THREAD__)
    if (geteuid() == 0)
        GTEST_SKIP() << "ThreadSanitizer stops a forked child that starts a thread";
#endif
    QTemporaryDir dir;
    const std::string path = dir.filePath("RO.db").toStdString();
    {
        THistoryStore store(path);
        store.Append(batch(1, {session(1, "CPU", "a")}));
        ASSERT_TRUE(store.Flush());
    }
    // A file and a folder that may be read but not written.
    QFile::setPermissions(QString::fromStdString(path),
                          QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther);
    QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::ExeOwner | QFile::ReadGroup |
                                          QFile::ExeGroup | QFile::ReadOther | QFile::ExeOther);
    EXPECT_EQ(inMemoryAfterOneInstant(path), 1);
    QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    // The file is as it was: the first instant only.
    THistoryStore reread(path);
    EXPECT_FALSE(reread.InMemory());
    EXPECT_EQ(summary(reread, 0, 10).samples, 1);
}

TEST(HistoryStore, ANearlyFullDiskStopsTheFileGrowingAndIsReportedOnce) {
    QTemporaryDir dir;
    const std::string path = dir.filePath("DISK.db").toStdString();
    THistoryLimits limits;
    limits.minFreeDiskBytes = std::int64_t{1} << 62; // more than any disk has free
    Reports reports;
    THistoryStore store(path, limits, reports.callback());
    store.Append(batch(100, {session(1, "CPU", "a")}));
    ASSERT_TRUE(store.Flush());
    const auto before = QFileInfo(QString::fromStdString(path)).size();
    for (int t = 1; t < 200; ++t) {
        std::vector<TActivitySample> rows;
        for (int s = 0; s < 50; ++s)
            rows.push_back(session(s, "CPU", "sql" + std::to_string(t * 100 + s)));
        store.Append(batch(100 + t, std::move(rows)));
    }
    ASSERT_TRUE(store.Flush());
    const std::vector<std::string> texts = store.Reports();
    ASSERT_FALSE(texts.empty());
    EXPECT_NE(texts[0].find("nearly full"), std::string::npos) << texts[0];
    EXPECT_EQ(std::count_if(
                  texts.begin(), texts.end(),
                  [](const std::string& t) { return t.find("nearly full") != std::string::npos; }),
              1);
    EXPECT_FALSE(store.InMemory());
    // The file keeps the pages it had; the journal is bounded too.
    std::int64_t pages = 0, pageSize = 0;
    store.Read([&](sqlite3* db) {
        sqlite3_stmt* stmt = nullptr;
        sqlite3_prepare_v2(db,
                           "select page_count, page_size from pragma_page_count, pragma_page_size",
                           -1, &stmt, nullptr);
        if (sqlite3_step(stmt) == SQLITE_ROW) {
            pages = sqlite3_column_int64(stmt, 0);
            pageSize = sqlite3_column_int64(stmt, 1);
        }
        sqlite3_finalize(stmt);
    });
    EXPECT_GT(pages, 0);
    EXPECT_LE(pages * pageSize, std::max<std::int64_t>(before, 16 * 4096));
}

TEST(HistoryStore, TwoWritersShareOneFile) {
    QTemporaryDir dir;
    const std::string path = dir.filePath("SHARED.db").toStdString();
    Reports reports;
    THistoryStore first(path, {}, reports.callback());
    THistoryStore second(path, {}, reports.callback());
    // Both sample the same instants, as two Quenby windows on one instance do: each session of
    // an instant is kept once; each writer also has sessions of its own.
    std::thread a([&] {
        for (int t = 0; t < 200; ++t)
            first.Append(
                batch(3000 + t, {session(1, "CPU", "s1"), session(10 + t % 5, "CPU", "a")}));
    });
    std::thread b([&] {
        for (int t = 0; t < 200; ++t)
            second.Append(
                batch(3000 + t, {session(1, "CPU", "s1"),
                                 session(20, "User I/O", "b", "db file scattered read")}));
    });
    a.join();
    b.join();
    ASSERT_TRUE(first.Flush(std::chrono::seconds(60)));
    ASSERT_TRUE(second.Flush(std::chrono::seconds(60)));
    EXPECT_EQ(reports.count.load(), 0) << reports.texts;
    EXPECT_FALSE(first.InMemory());
    EXPECT_FALSE(second.InMemory());
    // A third reader sees everything both wrote.
    THistoryStore reader(path);
    const TActivitySummary s = summary(reader, 3000, 3200);
    EXPECT_EQ(s.instants, 200);
    EXPECT_EQ(s.samples, 600);
    // One dictionary: every name once, whichever writer made it.
    EXPECT_EQ(countRows(reader, "select count(*) from names where kind = 4 and text = 's1'"), 1);
}

} // namespace
