// quenby-bench refresh: one session-list refresh of a large sandbox instance, from the refresh
// command to the rendered list, against the bare statement on the same connection.
#include "Bench.h"
#include "gui/MainWindow.h"
#include "gui/views/SessionListView.h"
#include "history/ActivitySampler.h"
#include "monitor/Monitor.h"
#include "monitor/SessionListColumns.h"
#include "monitor/SessionListFetch.h"
#include "oradb/OraConnectDialog.h"
#include "oradb/OraQuery.h"
#include "oradb/OraSession.h"
#include "sandbox/SandboxInstance.h"
#include "util/HandOver.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QHeaderView>
#include <QTabWidget>
#include <QTimer>
#include <algorithm>
#include <malloc.h>

namespace {

// Notes when the session list has been rendered.
struct RenderedFlag final : monitor::IPvObserver {
    bool rendered = false;
    void Update(monitor::TPvConnection&, int code) override {
        if (code == monitor::ncListFetched)
            rendered = true;
    }
};

int refresh(const bench::Args& args) {
    const int sessions = bench::intOption(args, "sessions", 10000);
    const std::string server = "sandbox::memory:bench-refresh";
    oradb::sandbox::InstanceOptions options;
    options.sessions = sessions;
    options.autoTick = false;
    const auto seedStart = std::chrono::steady_clock::now();
    const auto instance = oradb::sandbox::Instance::open(server, options);
    bench::figure("seed_ms", bench::msSince(seedStart));

    // The monitor alone, or inside the real main window (--window).
    const bool withWindow = std::find(args.begin(), args.end(), "--window") != args.end();
    bench::NullHost host;
    std::unique_ptr<gui::TFrmMain> window;
    std::unique_ptr<monitor::TPvConnection> ownMonitor;
    std::unique_ptr<monitor::TSessionListModel> ownList;
    if (withWindow) {
        window = std::make_unique<gui::TFrmMain>();
    } else {
        ownMonitor = std::make_unique<monitor::TPvConnection>(&host);
        ownList = std::make_unique<monitor::TSessionListModel>();
        ownMonitor->Attach(std::make_shared<monitor::TPvSesslistObserver>(*ownMonitor, *ownList));
    }
    monitor::TPvConnection& monitor = window ? window->Monitor() : *ownMonitor;
    auto rendered = std::make_shared<RenderedFlag>();
    monitor.Attach(rendered);
    if (!bench::DirectConnect(monitor, server))
        return 1;
    monitor.CacheLoad();
    monitor.Notify(monitor::ncRebuildListColumns);
    if (window) {
        window->Pages()->show();
        window->show();
    }
    // --sort-machine: the list sorted by the Machine column, as a header click sorts it, so
    // that each refresh sorts the new records again.
    QHeaderView* header = window ? window->SessionList()->header() : nullptr;
    const int sortedBefore = header ? header->sortIndicatorSection() : -1;
    const Qt::SortOrder orderBefore = header ? header->sortIndicatorOrder() : Qt::DescendingOrder;
    if (std::find(args.begin(), args.end(), "--sort-machine") != args.end()) {
        if (!header)
            return 1;
        int machine = -1;
        for (int c = 0; c < header->count(); ++c)
            if (header->model()->headerData(c, Qt::Horizontal).toString() ==
                QStringLiteral("Machine"))
                machine = c;
        if (machine < 0)
            return 1;
        header->setSortIndicator(machine, Qt::AscendingOrder);
    }

    // The bare statement on the same connection: execute and fetch every row.
    const std::string sql = monitor.BuildListSql();
    oradb::TOraQuery bare(monitor.Session());
    double bareMs = 1e300;
    for (int i = 0; i < 3; ++i) {
        const auto t = std::chrono::steady_clock::now();
        bare.SQL.Clear();
        bare.SQL.Add(sql);
        bare.Open();
        int rows = 0;
        for (; !bare.Eof(); bare.Next())
            ++rows;
        bare.Close();
        bareMs = std::min(bareMs, bench::msSince(t));
        if (rows == 0)
            return 1;
    }
    // The refresh's second statement, the long operations, alone.
    double longOperationsMs = 1e300;
    for (int i = 0; i < 3; ++i) {
        const auto t = std::chrono::steady_clock::now();
        bare.SQL.Clear();
        bare.SQL.Add(std::string(monitor::kLongOperationsSql));
        bare.Open();
        for (; !bare.Eof(); bare.Next()) {
        }
        bare.Close();
        longOperationsMs = std::min(longOperationsMs, bench::msSince(t));
    }

    // The refresh as the program runs it: the event loop turns while the worker fetches; the
    // longest gap between two idle turns is the longest time the UI thread was blocked.
    // Each refresh starts with the program at rest, as a refresh at the timer's interval does:
    // the activity sample that the previous refresh started has ended and is written.
    const auto waitForSampler = [&] {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        while (window && window->ActivitySampler().Running() &&
               std::chrono::steady_clock::now() < deadline)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
        if (history::THistoryStore* store = window ? window->ActivitySampler().Store() : nullptr)
            store->Flush();
    };
    double refreshMs = 1e300, blockedMax = 0;
    for (int i = 0; i < 3; ++i) {
        waitForSampler();
        rendered->rendered = false;
        QEventLoop loop;
        QTimer idle;
        idle.setInterval(0);
        auto last = std::chrono::steady_clock::now();
        QObject::connect(&idle, &QTimer::timeout, &loop, [&] {
            blockedMax = std::max(blockedMax, bench::msSince(last));
            last = std::chrono::steady_clock::now();
            if (rendered->rendered && !monitor.Running(monitor::wkList))
                loop.quit();
        });
        const auto t = std::chrono::steady_clock::now();
        monitor.Refresh();
        blockedMax = std::max(blockedMax, bench::msSince(t));
        last = std::chrono::steady_clock::now();
        idle.start();
        loop.exec();
        refreshMs = std::min(refreshMs, bench::msSince(t));
    }

    // Memory the program keeps per session: everything the session list holds goes when the
    // list lets go of its records (the records, the list model's, the filter's and the view's
    // rows), measured on the heap. Large arrays live in blocks of their own that glibc maps
    // (hblkhd), so those count too; otherwise only the small strings would.
    const auto heap = [] {
        const struct mallinfo2 m = mallinfo2();
        return static_cast<double>(m.uordblks + m.hblkhd);
    };
    // The window's activity sampler reads the instance every second on a worker, whose
    // allocations would count too: it stops first.
    if (window) {
        window->ActivitySampler().Timer().stop();
        waitForSampler();
        QCoreApplication::processEvents();
    }
    const double count = static_cast<double>(std::max<std::size_t>(monitor.Sessions.size(), 1));
    // A hand count of one record to check against: its fixed part, its texts and its detail
    // records, when it has them.
    double handCount = sizeof(monitor::TRSession);
    if (!monitor.Sessions.empty()) {
        handCount += static_cast<double>(monitor.Sessions.front().basic.fields.HeapBytes());
        if (monitor.Sessions.front().HasParts())
            handCount += sizeof(monitor::TRSessionParts);
    }
    const double held = heap();
    std::vector<monitor::TRSession> taken;
    monitor.Notify(monitor::ncSessionsReplacing);
    taken.swap(monitor.Sessions);
    monitor.Notify(monitor::ncSessionsReplaced);
    QCoreApplication::processEvents();
    const double listReleased = heap();
    const std::size_t sessionCount = taken.size();
    std::vector<monitor::TRSession>().swap(taken);
    const double allReleased = heap();
    const double listBytes = (held - listReleased) / count;
    const double recordsHeld = (listReleased - allReleased) / count;
    bench::figure("sessions", static_cast<long long>(sessionCount));
    bench::figure("refresh_ms", refreshMs);
    bench::figure("bare_sql_ms", bareMs);
    bench::figure("ratio", refreshMs / bareMs);
    bench::figure("long_operations_sql_ms", longOperationsMs);
    bench::figure("ui_blocked_max_ms", blockedMax);
    bench::figure("bytes_per_session", listBytes + recordsHeld);
    bench::figure("record_bytes", recordsHeld);
    bench::figure("list_row_bytes", listBytes);
    bench::figure("record_hand_count_bytes", handCount);
    // The sort the window remembers stays as it was.
    if (header)
        header->setSortIndicator(sortedBefore, orderBefore);
    monitor.Disconnect();
    return 0;
}

const bench::Registration registration("refresh", refresh,
                                       "[--sessions N] [--window [--sort-machine]]");

} // namespace
