#include "detail/DetailThread.h"

#include "monitor/Monitor.h"
#include "oradb/OraError.h"
#include "oradb/OraQuery.h"
#include "util/AppLog.h"

namespace detail {

TFailure ClassifyFailure(const std::exception_ptr& error, bool terminated) {
    try {
        std::rethrow_exception(error);
    } catch (const monitor::EAbandon&) {
        return {true, {}};
    } catch (const std::exception& e) {
        // Whatever ends a fetch after its terminate request (a statement cut short, a read
        // stopped in its rows) is the same abandon: the user moved on, there is nothing to show.
        return {terminated, e.what()};
    } catch (...) {
        return {false, "unknown error"};
    }
}

monitor::TRSession* FindSession(monitor::TPvConnection& monitor, const std::string& sid) {
    monitor::TRSession* s = monitor.SelectedSession();
    if (s && s->Key() == sid)
        return s;
    for (monitor::TRSession& other : monitor.Sessions)
        if (other.Key() == sid)
            return &other;
    return nullptr;
}

void SetQuerySql(oradb::TOraQuery& query, const std::string& sql) {
    query.SQL.Clear();
    query.SQL.Add(sql);
}

// ---- TDetailThread ----

TDetailThread::TDetailThread(monitor::TPvConnection& monitor, monitor::TWorkerKind kind,
                             oradb::TOraQuery& query)
    : monitor_(monitor), query_(query), listGeneration_(monitor.ListGeneration) {
    // The query serves one worker after another: a cancel aimed at the one before is spent.
    query_.ResetCancel();
    OnTerminate = [this, kind] { monitor_.RunningFlag(kind) = false; };
}

void TDetailThread::CancelRunningCall() {
    query_.Cancel();
}

void TDetailThread::EndFailed(const std::exception_ptr& error, const std::function<void()>& reset,
                              const std::function<void()>& notify) {
    const TFailure failure = ClassifyFailure(error, Terminated());
    try {
        query_.Close();
    } catch (...) {
        // Closing the cursor of a failed or broken call can fail as well; the failure that ended
        // the fetch is the one to report.
    }
    reset();
    if (failure.silent && !failure.text.empty())
        util::appendAppLogSafely("Fetch stopped: " + failure.text);
    try {
        Synchronize(notify);
        if (!failure.silent)
            Failed(failure.text);
    } catch (...) {
        util::logCurrentException("Session detail: telling the window");
    }
}

void TDetailThread::Failed(const std::string& text) {
    if (failureReported_) {
        util::appendAppLogSafely("Error: " + text);
        return;
    }
    failureReported_ = true;
    Synchronize([this, &text] { monitor_.WorkerFailed(text); });
}

} // namespace detail
