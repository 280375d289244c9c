// What the detail workers share: how the failure that ended a fetch is told apart from the
// silent abandon after a terminate request, and the application log line of a failed rendering.
// Any thread. TDetailThread: the common part of the detail workers.
#pragma once

#include "monitor/Monitor.h"
#include "util/DateTimeText.h"

#include <exception>
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace oradb {
class TOraQuery;
}

namespace detail {

struct TFailure {
    bool silent = false; // the abandon after a terminate request
    std::string text;    // the message for the worker-error notification
};

// Classifies the exception `error` that ended a worker whose terminate request is `terminated`.
TFailure ClassifyFailure(const std::exception_ptr& error, bool terminated);

// The record of the session with the key `sid`: the selected one when it still is, else the one
// in the list (it may have left the list meanwhile: then none). UI thread.
monitor::TRSession* FindSession(monitor::TPvConnection& monitor, const std::string& sid);

// Replaces the statement of `query` by `sql`.
void SetQuerySql(oradb::TOraQuery& query, const std::string& sql);

// A detail worker: reads with the monitor's query of its kind; the terminate handler clears the
// kind's running flag. The constructor runs on the UI thread.
class TDetailThread : public monitor::TWorkerThread {
protected:
    TDetailThread(monitor::TPvConnection& monitor, monitor::TWorkerKind kind,
                  oradb::TOraQuery& query);

    void CancelRunningCall() override;
    // Ends a fetch cut short by `error`: closes the query (a failing close is ignored), runs
    // `reset` (the flags to clear) on this thread, `notify` on the UI thread, and reports the
    // failure unless it was the abandon after a terminate request.
    void EndFailed(const std::exception_ptr& error, const std::function<void()>& reset,
                   const std::function<void()>& notify);
    // Reports `text` as the worker's failure on the UI thread. A worker run reports one failure:
    // a later stage that fails for the same cause (a lost connection fails every statement that
    // follows) goes to the application log only, so that one fault gives one message.
    void Failed(const std::string& text);
    // Marks a record this worker has stored as read now, under its list refresh. UI thread.
    template <class TRecord>
    void Stamp(TRecord& record) const {
        record.fetchTime = util::now();
        record.fetchGeneration = listGeneration_;
    }

    monitor::TPvConnection& monitor_;
    oradb::TOraQuery& query_;
    // The list refresh this worker's record belongs to: it is fresh while no refresh followed.
    const std::uint64_t listGeneration_;

private:
    bool failureReported_ = false; // this thread only
};

// Registers the worker of `kind`: `prepare` stores the statement in the monitor and returns it
// (nothing: no worker this time); it goes into the monitor's query of `kind`, and a TThread made
// of the monitor and that query runs it. Without that query no worker is made either.
template <class TThread>
void RegisterQueryThread(
    monitor::TPvConnection& monitor, monitor::TWorkerKind kind,
    std::function<std::optional<std::string>(monitor::TPvConnection&)> prepare) {
    monitor.SetThreadFactory(kind, [kind, prepare](monitor::TPvConnection& m) {
        std::unique_ptr<monitor::TWorkerThread> thread;
        oradb::TOraQuery* query = m.Query(kind);
        if (!query)
            return thread;
        const std::optional<std::string> sql = prepare(m);
        if (!sql)
            return thread;
        SetQuerySql(*query, *sql);
        thread = std::make_unique<TThread>(m, *query);
        return thread;
    });
}

} // namespace detail
