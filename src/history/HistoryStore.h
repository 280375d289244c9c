// THistoryStore: the activity history of one instance in a local SQLite file (WAL mode), written
// in batches by a writer thread of its own. A sample row is a few integers: users, programs,
// machines, SQL ids, events and wait classes are kept once each in a dictionary table. The
// store keeps its limits (retention, size cap, free disk space), drops the oldest samples to
// keep them, shares the file with another Quenby on the same instance (busy timeout, short
// transactions), and goes on in memory when the file cannot be used; each kind of trouble is
// reported once. Append, Flush and Read may be called on any thread.
#pragma once

#include "history/ActivitySample.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <utility>

struct sqlite3;

namespace history {

struct THistoryLimits {
    int retentionHours = 24;
    std::int64_t maxBytes = 200LL * 1024 * 1024;
    // Writing stops growing the file while the disk has less free space than this.
    std::int64_t minFreeDiskBytes = 64LL * 1024 * 1024;
};

class THistoryStore {
public:
    // Told, on the writer thread, each kind of trouble the first time it happens.
    using TReport = std::function<void(const std::string& text)>;

    // Opens (or creates) the store at `path` on the writer thread; ":memory:" keeps it in memory.
    THistoryStore(std::string path, THistoryLimits limits = {}, TReport report = {});
    // Writes what is queued (within the stop deadline), then ends the writer.
    ~THistoryStore();
    THistoryStore(const THistoryStore&) = delete;
    THistoryStore& operator=(const THistoryStore&) = delete;

    // The store file of the instance `dbName` under the user's data folder:
    // <GenericDataLocation>/quenby/history/<dbName>.db.
    static std::string DefaultPath(const std::string& dbName);

    // Queues one sampling instant for the writer; returns at once.
    void Append(TActivityBatch batch);
    // Waits until every batch queued so far has been written (or dropped); false when the
    // deadline passed first.
    bool Flush(std::chrono::milliseconds deadline = std::chrono::seconds(30));
    void SetLimits(const THistoryLimits& limits);

    // Runs `fn` with the store's connection, between two batches of the writer. `fn` reads only.
    void Read(const std::function<void(sqlite3* db)>& fn);

    const std::string& Path() const { return path_; }
    // True when the file could not be used and the history is kept in memory.
    bool InMemory() const { return inMemory_.load(); }
    // True after a full store or disk made the writer stop; later batches are dropped.
    bool WritingStopped() const { return stopped_.load(); }
    // The texts reported so far, in order.
    std::vector<std::string> Reports() const;
    // Samples and instants written by this store object.
    std::int64_t SamplesWritten() const { return samplesWritten_.load(); }

    // The schema's version, kept in the file's user_version.
    static constexpr int kSchemaVersion = 1;

private:
    enum class Trouble { Unusable, Full, DiskLow, Write };
    void Run();
    bool OpenFile();
    void OpenMemory();
    bool CreateSchema();
    bool WriteBatch(const TActivityBatch& batch, int& code);
    std::int64_t NameId(int kind, const std::string& text);
    void KeepLimits(std::int64_t now);
    bool DropOldest(double fraction);
    void ApplyPageLimit();
    void Report(Trouble trouble, const std::string& text);
    void CloseDb();

    std::string path_;
    TReport report_;
    sqlite3* db_ = nullptr;
    std::thread writer_;
    mutable std::mutex mutex_; // the queue, the limits, the reports
    std::mutex dbMutex_;       // the connection: the writer's batches and Read
    std::condition_variable wake_, idle_;
    std::deque<TActivityBatch> queue_;
    bool busy_ = false;
    bool opened_ = false;
    bool quit_ = false;
    THistoryLimits limits_;
    std::vector<std::string> reports_;
    std::map<Trouble, bool> reported_;
    std::map<std::pair<int, std::string>, std::int64_t> names_;
    std::int64_t lastLimitCheck_ = 0;
    std::atomic<bool> inMemory_{false};
    std::atomic<bool> stopped_{false};
    std::atomic<std::int64_t> samplesWritten_{0};
};

} // namespace history
