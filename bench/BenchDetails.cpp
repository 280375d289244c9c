// quenby-bench details: on a large sandbox instance, the time from selecting a session to its
// rendered statistics page, and the statements each detail page costs after a list refresh and
// when it is shown again from the cache.
#include "Bench.h"
#include "detail/SessionDetails.h"
#include "detail/SessionStatistics.h"
#include "detail/SessionWaits.h"
#include "monitor/Monitor.h"
#include "monitor/SessionListFetch.h"
#include "oradb/OraConnectDialog.h"
#include "oradb/OraSession.h"
#include "sandbox/SandboxInstance.h"
#include "util/HandOver.h"

#include <algorithm>

namespace {

struct Codes final : monitor::IPvObserver {
    int statisticsRendered = 0;
    void Update(monitor::TPvConnection&, int code) override {
        statisticsRendered += code == monitor::ncStatisticsStored;
    }
};

bool idle(monitor::TPvConnection& m, monitor::TWorkerKind kind) {
    return util::HandOver::instance().waitUntil(
        [&] {
            auto* t = m.Thread(kind);
            return !m.Running(kind) && (!t || t->Finished());
        },
        std::chrono::minutes(2));
}

int details(const bench::Args& args) {
    const int sessions = bench::intOption(args, "sessions", 10000);
    const std::string server = "sandbox::memory:bench-details";
    oradb::sandbox::InstanceOptions options;
    options.sessions = sessions;
    options.autoTick = false;
    const auto instance = oradb::sandbox::Instance::open(server, options);

    bench::NullHost host;
    monitor::TPvConnection monitor(&host);
    monitor::TSessionListModel list;
    detail::TDetailListModel detailsList, statisticsList, eventsList, currentList;
    auto listObserver = std::make_shared<monitor::TPvSesslistObserver>(monitor, list);
    auto waits = std::make_shared<detail::TSessWaitsObserver>(monitor, eventsList, currentList);
    auto detailsObserver = std::make_shared<detail::TSessDetailsObserver>(monitor, detailsList);
    auto statistics = std::make_shared<detail::TSessStatisticsObserver>(monitor, statisticsList);
    auto codes = std::make_shared<Codes>();
    for (const std::shared_ptr<monitor::IPvObserver>& o :
         std::initializer_list<std::shared_ptr<monitor::IPvObserver>>{
             listObserver, waits, detailsObserver, statistics, codes})
        monitor.Attach(o);
    detail::RegisterDetailsThread(monitor);
    detail::RegisterStatisticsThread(monitor);
    detail::RegisterWaitsThread(monitor);
    if (!bench::DirectConnect(monitor, server))
        return 1;
    monitor.CacheLoad();
    monitor.Notify(monitor::ncRebuildListColumns);
    monitor.Refresh();
    if (!idle(monitor, monitor::wkList) || monitor.Sessions.size() < 10)
        return 1;

    // Selecting a session while the statistics page is shown, to its rendered list.
    statistics->SetActive(true);
    if (!idle(monitor, monitor::wkStatistics))
        return 1;
    std::vector<double> times;
    for (std::size_t i = 1; i <= 5; ++i) {
        const std::string sid(monitor.Sessions[i * monitor.Sessions.size() / 7].Key());
        const int rendered = codes->statisticsRendered;
        const auto t = std::chrono::steady_clock::now();
        monitor.SelectedSid = sid;
        monitor.LocateSelectedSession();
        monitor.RefreshShownView();
        util::HandOver::instance().waitUntil(
            [&] {
                return codes->statisticsRendered > rendered &&
                       !monitor.Running(monitor::wkStatistics);
            },
            std::chrono::minutes(2));
        times.push_back(bench::msSince(t));
    }
    std::sort(times.begin(), times.end());

    // The statements of each page after a refresh, then shown again for the same session.
    statistics->SetActive(false);
    monitor.Refresh();
    idle(monitor, monitor::wkList);
    struct Page {
        const char* name;
        monitor::TWorkerKind kind;
        std::function<void(bool)> shown;
    };
    const Page pages[] = {
        {"details", monitor::wkDetails, [&](bool on) { detailsObserver->SetActive(on); }},
        {"statistics", monitor::wkStatistics, [&](bool on) { statistics->SetActive(on); }},
        {"events", monitor::wkWaits, [&](bool on) { waits->SetActive(on); }}};
    for (int pass = 0; pass < 2; ++pass)
        for (const Page& p : pages) {
            const auto before = instance->statementCount();
            p.shown(true);
            idle(monitor, p.kind);
            p.shown(false);
            const std::string name = std::string("statements_") + p.name + (pass ? "_cached" : "");
            bench::figure(name.c_str(),
                          static_cast<long long>(instance->statementCount() - before));
        }

    bench::figure("sessions", static_cast<long long>(monitor.Sessions.size()));
    bench::figure("select_to_statistics_ms", times[times.size() / 2]);
    bench::figure("select_to_statistics_max_ms", times.back());
    monitor.Disconnect();
    return 0;
}

const bench::Registration registration("details", details, "[--sessions N]");

} // namespace
