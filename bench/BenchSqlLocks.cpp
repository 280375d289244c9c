// quenby-bench sqllocks: on a large sandbox instance, the time from selecting a session to its
// rendered "Session SQL" and "Session Locks" views, the same from the cached record, and the
// statements each view runs (counted by its about-to-load notifications).
#include "Bench.h"
#include "detail/SessionLocks.h"
#include "detail/SessionSql.h"
#include "monitor/Monitor.h"
#include "oradb/OraConnectDialog.h"
#include "oradb/OraSession.h"
#include "sandbox/SandboxInstance.h"
#include "util/HandOver.h"

#include <algorithm>

namespace {

struct Codes final : monitor::IPvObserver {
    std::vector<int> codes;
    void Update(monitor::TPvConnection&, int code) override { codes.push_back(code); }
    long long Count(int code) const {
        return static_cast<long long>(std::count(codes.begin(), codes.end(), code));
    }
};

bool waitIdle(monitor::TPvConnection& m, monitor::TWorkerKind kind) {
    return util::HandOver::instance().waitUntil(
        [&] {
            auto* t = m.Thread(kind);
            return !m.Running(kind) && (!t || !t->Started() || t->Finished());
        },
        std::chrono::minutes(5));
}

int sqllocks(const bench::Args& args) {
    const int sessions = bench::intOption(args, "sessions", 10000);
    const std::string server = "sandbox::memory:bench-sqllocks";
    oradb::sandbox::InstanceOptions options;
    options.sessions = sessions;
    options.autoTick = false;
    const auto instance = oradb::sandbox::Instance::open(server, options);

    util::HandOver::install();
    bench::NullHost host;
    monitor::TPvConnection monitor(&host);
    monitor::TSessionListModel cursors, locks;
    detail::TSqlTextModel text;
    auto sql = std::make_shared<detail::TSessSqlObserver>(monitor, cursors, text);
    auto lock = std::make_shared<detail::TSessLocksObserver>(monitor, locks);
    auto codes = std::make_shared<Codes>();
    detail::TSessSqlObserver::RegisterThread(monitor);
    detail::TSessLocksObserver::RegisterThread(monitor);
    monitor.Attach(sql);
    monitor.Attach(lock);
    monitor.Attach(codes);
    if (!bench::DirectConnect(monitor, server))
        return 1;
    monitor.CacheLoad();
    monitor.Refresh();
    if (!waitIdle(monitor, monitor::wkList))
        return 1;
    // The session that holds a lock others wait for: it has open cursors and a chain.
    const auto holder = instance->sqliteRows(
        "select sid from \"v$lock\" where type = 'TX' and block = 1 order by rowid limit 1");
    if (holder.empty())
        return 1;
    monitor.SelectedSid = holder[0][0];
    if (monitor.LocateSelectedSession() == -1)
        return 1;

    auto timed = [&](auto&& activate, monitor::TWorkerKind kind) {
        const auto t = std::chrono::steady_clock::now();
        activate();
        waitIdle(monitor, kind);
        return bench::msSince(t);
    };
    const double sqlMs = timed([&] { sql->SetActive(true); }, monitor::wkSql);
    const double locksMs = timed([&] { lock->SetActive(true); }, monitor::wkLocks);
    const long long sqlStatements =
        codes->Count(monitor::ncCursorsLoading) + codes->Count(monitor::ncCurrentSqlLoading);
    const long long locksStatements = codes->Count(monitor::ncLocksLoading);
    const double sqlCachedMs = timed([&] { sql->SetActive(true); }, monitor::wkSql);
    const double locksCachedMs = timed([&] { lock->SetActive(true); }, monitor::wkLocks);
    const long long cachedStatements =
        codes->Count(monitor::ncCursorsLoading) + codes->Count(monitor::ncCurrentSqlLoading) +
        codes->Count(monitor::ncLocksLoading) - sqlStatements - locksStatements;

    bench::figure("sessions", static_cast<long long>(monitor.Sessions.size()));
    bench::figure("select_to_sql_ms", sqlMs);
    bench::figure("select_to_locks_ms", locksMs);
    bench::figure("cached_sql_ms", sqlCachedMs);
    bench::figure("cached_locks_ms", locksCachedMs);
    bench::figure("statements_sql", sqlStatements);
    bench::figure("statements_locks", locksStatements);
    bench::figure("statements_cached", cachedStatements);
    bench::figure("cursor_rows", static_cast<long long>(cursors.rowCount()));
    bench::figure("lock_rows", static_cast<long long>(locks.rowCount()));
    monitor.Disconnect();
    return 0;
}

const bench::Registration registration("sqllocks", sqllocks, "[--sessions N]");

} // namespace
