// TActivitySampler: keeps the activity history of the connected instance. At each session-list
// refresh and at an interval of its own (default 1 s, while connected, whether or not the list
// is shown) it starts a TActivitySampleThread, which reads the active sessions in one statement
// on a query of its own and hands them over; the sampler passes them to the instance's
// THistoryStore, whose writer stores them. The statement reads v$session (v$session joined to
// v$session_wait before 10g) and no view of a paid option. User-interface thread only.
#pragma once

#include "history/ActivitySample.h"
#include "history/HistoryStore.h"
#include "monitor/Monitor.h"
#include "monitor/MonitorObserver.h"
#include "monitor/WorkerThread.h"

#include <QObject>
#include <QTimer>
#include <atomic>
#include <functional>
#include <memory>
#include <string>

namespace oradb {
class TOraQuery;
}

namespace history {

// The statement that reads the active sessions (sid, serial#, username, program, machine,
// sql_id, event, wait_class, state, blocking_session) other than the session `ownSid`: those on
// CPU and those waiting on an event that is not idle.
std::string ActiveSessionsSql(bool tenGColumns, std::int64_t ownSid);
// The wait class of an event, for instances before 10g, whose events have no class.
std::string WaitClassOfEvent(const std::string& event);
// Runs the statement on `query` and returns the rows as samples (any thread).
std::vector<TActivitySample> ReadActiveSessions(oradb::TOraQuery& query, bool tenGColumns,
                                                std::int64_t ownSid);

// What a sampler learns of its instance once per connection.
struct TInstanceFacts {
    std::string dbName;
    std::int64_t cpuCount = 0;
    std::int64_t ownSid = -1;
};

// Reads the database name, cpu_count and the SID of the session `query` runs on.
TInstanceFacts ReadInstanceFacts(oradb::TOraQuery& query);

class TActivitySampleThread final : public monitor::TWorkerThread {
public:
    // Runs on the UI thread with the instant's samples (or an error text).
    using TDeliver =
        std::function<void(TActivityBatch batch, TInstanceFacts facts, std::string error)>;
    TActivitySampleThread(monitor::TPvConnection& monitor, TInstanceFacts facts, TDeliver deliver);
    ~TActivitySampleThread() override;

protected:
    void Execute() override;
    void CancelRunningCall() override;

private:
    std::unique_ptr<oradb::TOraQuery> query_;
    bool tenGColumns_;
    TInstanceFacts facts_;
    TDeliver deliver_;
};

struct THistoryOptions {
    int sampleSeconds = 1;
    int retentionHours = 24;
    int maxMegabytes = 200;
};
// The options as remembered in the user's settings (defaults where none are), and their saving.
THistoryOptions LoadHistoryOptions();
void SaveHistoryOptions(const THistoryOptions& options);

class TActivitySampler final : public QObject, public monitor::IPvObserver {
    Q_OBJECT
public:
    explicit TActivitySampler(monitor::TPvConnection& monitor, QObject* parent = nullptr);
    ~TActivitySampler() override;

    void Update(monitor::TPvConnection& monitor, int code) override;
    // Starts a sample unless one runs or the monitor is not connected.
    void SampleNow();
    bool Running() const { return running_->load(); }

    void SetOptions(const THistoryOptions& options);
    const THistoryOptions& Options() const { return options_; }
    // Where the stores go: "" for the user's data folder (THistoryStore::DefaultPath), else a
    // folder of the caller's.
    void SetFolder(const std::string& folder) { folder_ = folder; }

    // The store of the instance sampled last; nullptr before the first sample.
    THistoryStore* Store() const { return store_.get(); }
    // The same, for readers that may outlive a change of instance.
    std::shared_ptr<THistoryStore> SharedStore() const { return store_; }
    const TInstanceFacts& Facts() const { return facts_; }
    std::int64_t SamplesTaken() const { return samplesTaken_; }
    // The time that the last hand-over took on the UI thread, in milliseconds: elapsed, and the
    // thread's processor time (the elapsed time also counts the thread waiting for a processor).
    double LastHandOverMs() const { return lastHandOverMs_; }
    double LastHandOverCpuMs() const { return lastHandOverCpuMs_; }
    QTimer& Timer() { return timer_; }

    // Runs on the UI thread after each sample has gone to the store.
    std::function<void()> OnSampled;
    // Tells the user of a store trouble (each kind once); by default the monitor reports it.
    std::function<void(const std::string& text)> OnReport;

    // Hands an instant over as the worker does (the benchmark measures it).
    void Deliver(TActivityBatch batch, TInstanceFacts facts, std::string error);

private:
    void OpenStore();
    monitor::TPvConnection& monitor_;
    THistoryOptions options_;
    std::string folder_;
    TInstanceFacts facts_;
    std::shared_ptr<THistoryStore> store_;
    std::int64_t samplesTaken_ = 0;
    double lastHandOverMs_ = 0;
    double lastHandOverCpuMs_ = 0;
    std::string lastError_;
    std::string storeDbName_;
    QTimer timer_;
    std::shared_ptr<std::atomic<bool>> running_ = std::make_shared<std::atomic<bool>>(false);
    std::shared_ptr<int> alive_ = std::make_shared<int>(0);
};

} // namespace history
