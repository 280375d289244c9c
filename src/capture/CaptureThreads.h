// The capture's worker threads. TOpencursorThread runs the capture block once; a
// TFetchSqltextThread reads back what was captured for one collector and appends it to the
// collector's log file. Both report their end through Completion, called on the worker thread as
// its last act (the owner posts message 1035 from it). Created, started and destroyed on the
// user-interface thread; errors go to the application log, and their text stays in ErrorText
// (written before Completion, read by the owner once the completion message has come).
#pragma once

#include "capture/SqlCollector.h"
#include "monitor/WorkerThread.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace oradb {
class TOraQuery;
class TOraSQL;
class TOraSession;
} // namespace oradb

namespace capture {

class TOpencursorThread final : public monitor::TWorkerThread {
public:
    TOpencursorThread(oradb::TOraSession* session, const std::string& block);
    ~TOpencursorThread() override;
    std::function<void()> Completion;
    std::uint64_t Serial = 0; // tells this thread's completion message from others'
    std::string ErrorText;    // the failure that ended the block; empty when none

protected:
    void Execute() override;
    void CancelRunningCall() override;

private:
    std::unique_ptr<oradb::TOraSQL> sql_;
};

class TFetchSqltextThread final : public monitor::TWorkerThread {
public:
    // The query text and the log path are taken when the fetch starts, so a change of the
    // collector's definition meanwhile does not reach this fetch.
    TFetchSqltextThread(oradb::TOraSession* session, TSqlCollectorPtr collector,
                        std::string queryText, std::string logPath);
    ~TFetchSqltextThread() override;
    std::function<void()> Completion;
    std::uint64_t Serial = 0; // tells this thread's completion message from others'
    std::string ErrorText;    // the failure that ended the fetch; empty when none
    const TSqlCollectorPtr& Collector() const { return collector_; }
    const std::string& QueryText() const { return queryText_; }

protected:
    void Execute() override;
    void CancelRunningCall() override;

private:
    void Fetch();
    TSqlCollectorPtr collector_; // kept alive until this fetch ends
    std::string queryText_;
    std::string logPath_;
    std::unique_ptr<oradb::TOraQuery> query_;
};

// The fetch query of a collector from its fetch filter.
std::string FetchQueryText(const std::string& fetchFilter);

} // namespace capture
