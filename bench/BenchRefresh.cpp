// quenby-bench refresh: one session-list refresh of a large sandbox instance, from the refresh
// command to the rendered list, against the bare statement on the same connection.
#include "Bench.h"
#include "gui/MainWindow.h"
#include "monitor/Monitor.h"
#include "monitor/SessionListFetch.h"
#include "oradb/OraConnectDialog.h"
#include "oradb/OraQuery.h"
#include "oradb/OraSession.h"
#include "sandbox/SandboxInstance.h"
#include "util/HandOver.h"

#include <QEventLoop>
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

    // The refresh as the program runs it: the event loop turns while the worker fetches; the
    // longest gap between two idle turns is the longest time the UI thread was blocked.
    double refreshMs = 1e300, blockedMax = 0;
    for (int i = 0; i < 3; ++i) {
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

    // Memory of what the program keeps per session: the session records and the list's rows,
    // copied and measured on the heap. Large arrays live in blocks of their own that glibc maps
    // (hblkhd), so those count too; otherwise only the small strings would.
    const monitor::TSessionListModel& list = window ? window->SessionListModel() : *ownList;
    const auto heap = [] {
        const struct mallinfo2 m = mallinfo2();
        return static_cast<double>(m.uordblks + m.hblkhd);
    };
    const double before = heap();
    auto records = std::make_unique<std::vector<monitor::TRSession>>(monitor.Sessions);
    const double afterRecords = heap();
    auto rows = std::make_unique<std::vector<monitor::TSessionListRow>>(list.Rows());
    const double afterRows = heap();
    const double count = static_cast<double>(std::max<std::size_t>(records->size(), 1));
    const double recordBytes = (afterRecords - before) / count;
    const double rowBytes = (afterRows - afterRecords) / count;
    // A hand count of one record to check the figure against: its fixed part and the text
    // its fields hold beyond what fits inside a string.
    double handCount = sizeof(monitor::TRSession);
    if (!records->empty())
        for (const std::string& f : records->front().basic.fields)
            if (f.size() >= sizeof(std::string) / 2)
                handCount += static_cast<double>(f.capacity() + 1);
    bench::figure("sessions", static_cast<long long>(monitor.Sessions.size()));
    bench::figure("refresh_ms", refreshMs);
    bench::figure("bare_sql_ms", bareMs);
    bench::figure("ratio", refreshMs / bareMs);
    bench::figure("ui_blocked_max_ms", blockedMax);
    bench::figure("bytes_per_session", recordBytes + rowBytes);
    bench::figure("record_bytes", recordBytes);
    bench::figure("list_row_bytes", rowBytes);
    bench::figure("record_hand_count_bytes", handCount);
    monitor.Disconnect();
    return 0;
}

const bench::Registration registration("refresh", refresh, "[--sessions N] [--window]");

} // namespace
