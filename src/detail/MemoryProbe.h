// The memory tuning probe: TMemoryThread measures the library cache and row cache miss ratios,
// the buffer cache hit ratio and the free memory of the shared pool, and adds one row at the top
// of the probe history. The monitor starts it (TPvConnection::StartMemoryProbe) from the
// "&Probe" button and from every tick of TimerAutoProbe. Queries and arithmetic run on the
// worker; the button and the history are touched on the user-interface thread.
#pragma once

#include "detail/DetailListModel.h"
#include "monitor/Monitor.h"

#include <array>
#include <cstdint>
#include <functional>
#include <string>

namespace oradb {
class TOraQuery;
}

namespace detail {

// The four probe statements, in the order they run.
extern const std::array<std::string, 4> kProbeSql;

// The page controls a probe touches.
struct TProbeTarget {
    TDetailListModel* history = nullptr;       // memoryHistory
    std::function<void(bool)> setProbeEnabled; // probeButton
};

// One probe's figures.
struct TProbeResult {
    long double libraryCacheMiss = 0; // percent
    long double rowCacheMiss = 0;     // percent
    long double bufferCacheHit = 0;   // percent
    std::int64_t freeMemory = 0;      // bytes
    std::string probeTime;
};

// The buffer cache hit percentage from the three counts, in 64-bit integers and floating point.
// Raises std::domain_error ("Floating point division by zero") when the gets sum to 0.
long double BufferCacheHit(std::int64_t dbBlockGets, std::int64_t consistentGets,
                           std::int64_t physicalReads);

// The history row of a probe: the time, the three ratios as "%.2f" and the free memory.
TDetailListModel::Row ProbeRow(const TProbeResult& result);

class TMemoryThread final : public monitor::TWorkerThread {
public:
    TMemoryThread(monitor::TPvConnection& monitor, oradb::TOraQuery& query, TProbeTarget target);
    ~TMemoryThread() override;
    const TProbeResult& Result() const { return result_; }

protected:
    void Execute() override;
    void CancelRunningCall() override;

private:
    void NextQuery(int index);
    // Reads the rest of the current query's rows, so that a failure that ends its fetch is
    // raised instead of being taken for a result with fewer rows.
    void ReadToEnd();
    monitor::TPvConnection& monitor_;
    oradb::TOraQuery& query_;
    TProbeTarget target_;
    std::array<std::string, 4> sql_;
    TProbeResult result_;
};

// Registers the memory kind's factory: each probe holds the memory query and the target.
void RegisterMemoryThread(monitor::TPvConnection& monitor, const TProbeTarget& target);

// The columns of memoryHistory.
std::vector<TDetailListModel::Column> ProbeHistoryColumns();

// The auto-probe interval as "H Hour M Min S Sec".
std::string ProbeIntervalText(int seconds);

} // namespace detail
