// quenby-bench capture: capture ticks (the capture block and the collectors' log fetches) against
// a sandbox of many sessions with many open cursors each and several due collectors. Prints the
// time of one tick, from the timer's tick to the end of its block and fetches, the part of it
// spent outside the database calls (program_ms: what no instance can take off our hands), and
// the longest time the UI thread was blocked meanwhile.
#include "Bench.h"
#include "capture/CaptureThreads.h"
#include "capture/ServerComponent.h"
#include "capture/SqlCapture.h"
#include "monitor/Monitor.h"
#include "oradb/DbCallClock.h"
#include "oradb/OraConnectDialog.h"
#include "oradb/OraQuery.h"
#include "oradb/OraSession.h"
#include "sandbox/SandboxInstance.h"
#include "util/HandOver.h"

#include <QDir>
#include <QEventLoop>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>

namespace {

// Gives every user session exactly `cursors` open cursors, taken from the shared SQL area (the
// signed hash values of v$sqltext, as v$open_cursor shows them).
void openCursors(oradb::sandbox::Instance& instance, int cursors) {
    instance.sqliteRows("delete from \"v$open_cursor\"");
    instance.sqliteRows(
        "insert into \"v$open_cursor\"(saddr,sid,user_name,address,hash_value,sql_text) "
        "select s.saddr,s.sid,s.username,a.address,a.hash_value,substr(a.sql_text,1,60) from "
        "\"v$session\" s,(select address,hash_value,sql_text,row_number() over (order by "
        "address) rn from \"v$sqltext\" where piece=0) a where s.type='USER' and a.rn<=" +
        std::to_string(cursors));
}

int captureBench(const bench::Args& args) {
    const int sessions = bench::intOption(args, "sessions", 1000);
    const int cursors = bench::intOption(args, "cursors", 20);
    const int collectors = bench::intOption(args, "collectors", 5);
    const int ticks = std::max(1, bench::intOption(args, "ticks", 3));
    // --file PATH: a sandbox file instead of memory (a new file: it is seeded).
    const std::string file = bench::option(args, "file", "");
    const std::string server = file.empty() ? "sandbox::memory:bench-capture" : "sandbox:" + file;
    oradb::sandbox::InstanceOptions options;
    options.sessions = sessions;
    options.autoTick = false;
    const auto instance = oradb::sandbox::Instance::open(server, options);
    openCursors(*instance, cursors);

    bench::NullHost host;
    monitor::TPvConnection monitor(&host);
    if (!bench::DirectConnect(monitor, server, false))
        return 1;
    capture::TCaptureSql capture(monitor);
    capture::TServerComponent component;
    if (!component.Install(monitor.Session(), "", capture.Present)) {
        std::fprintf(stderr, "install failed\n");
        return 1;
    }
    QTemporaryDir dir;
    util::TDateTime clock = util::now();
    capture.Now = [&clock] { return clock; };

    // Due collectors by program, the programs of the sessions in order of first appearance.
    oradb::TOraQuery q(monitor.Session());
    q.SQL.Add("select distinct program from v$session where type='USER' and program is not null");
    q.Open();
    std::vector<std::string> programs;
    for (; !q.Eof(); q.Next())
        programs.push_back(q.FieldByName("program").AsString());
    q.Close();
    if (programs.empty())
        return 1;
    for (int i = 0; i < collectors; ++i) {
        capture::TCollectorDefinition d;
        d.name = "bench" + std::to_string(i);
        d.kind = capture::fkProgram;
        d.value = programs[static_cast<std::size_t>(i) % programs.size()];
        d.logDir = dir.path().toStdString();
        d.logFileName = d.name + ".sql";
        d.scheduled = 1;
        const util::DateTimeParts p = util::decodeDateTime(clock - 1.0 / 24);
        d.startDate = util::dayNumber(p.year, p.month, p.day);
        d.startHour = p.hour;
        d.startMinute = p.minute;
        d.runTimePeriod = 7200;
        d.monitorSampling = 1;
        capture.AddCollector(d);
        clock += 0.001 / 86400;
    }
    capture.RebuildRows();

    // The two statements alone, on the UI thread: the block over all collectors' condition,
    // then the first collector's fetch query over what it captured.
    std::string combined;
    for (const auto& c : capture.Collectors())
        combined += (combined.empty() ? "(" : " or (") + capture::CaptureCondition(c->def) + ")";
    auto t0 = std::chrono::steady_clock::now();
    oradb::TOraSQL block(monitor.Session());
    block.SQL.Add(capture::TCaptureSql::CaptureBlock(combined));
    block.Execute();
    const double blockMs = bench::msSince(t0);
    double fetchMs = 0;
    if (!capture.Collectors().empty()) {
        const auto& first = *capture.Collectors().front();
        oradb::TOraQuery fetch(monitor.Session());
        fetch.SQL.Add(capture::FetchQueryText(capture::FetchFilter(first.def)));
        fetch.ParamByName("fetchtime").SetAsDateTime(first.WindowStart());
        t0 = std::chrono::steady_clock::now();
        fetch.Open();
        fetchMs = bench::msSince(t0);
        fetch.Close();
    }

    if (!capture.ToggleCapture())
        return 1;

    // Each tick as the program runs it: the event loop turns while the threads work; the
    // longest gap between two probe turns is the longest time the UI thread was blocked.
    double tickMax = 0, tickFirst = 0, tickLast = 0, blockedMax = 0;
    double programMax = 0, programFirst = 0;
    auto& calls = oradb::TDbCallClock::instance();
    for (int i = 0; i < ticks; ++i) {
        clock += 2.0 / 86400;
        QEventLoop loop;
        // A 1 ms probe: a zero interval would keep the UI thread spinning, taking a core from
        // the threads being measured, which a real UI thread waiting for events does not.
        QTimer idle;
        idle.setTimerType(Qt::PreciseTimer);
        idle.setInterval(1);
        auto last = std::chrono::steady_clock::now();
        QObject::connect(&idle, &QTimer::timeout, &loop, [&] {
            blockedMax = std::max(blockedMax, bench::msSince(last));
            last = std::chrono::steady_clock::now();
            if (!capture.OpencursorRunning() && capture.FetchesRunning() == 0)
                loop.quit();
        });
        const auto busy = calls.Busy();
        const auto t = std::chrono::steady_clock::now();
        capture.Tick();
        blockedMax = std::max(blockedMax, bench::msSince(t));
        last = std::chrono::steady_clock::now();
        idle.start();
        loop.exec();
        const double ms = bench::msSince(t);
        // The tick's time during which no database call of any thread was in progress.
        const double program =
            ms - std::chrono::duration<double, std::milli>(calls.Busy() - busy).count();
        if (ms > tickMax)
            programMax = program;
        tickMax = std::max(tickMax, ms);
        if (i == 0) {
            tickFirst = ms;
            programFirst = program;
        }
        tickLast = ms;
    }
    long long sqls = 0;
    for (const auto& c : capture.Collectors())
        sqls += c->sqls.load();
    oradb::TOraQuery count(monitor.Session());
    count.SQL.Add("select count(*) n from public_qby_capturesql");
    count.Open();
    const long long captured = count.Fields(0).AsInteger();
    count.Close();
    capture.ToggleCapture();
    capture.Stop();

    bench::figure("sessions", static_cast<long long>(sessions));
    bench::figure("captured_rows", captured);
    bench::figure("sqls_written", sqls);
    bench::figure("block_alone_ms", blockMs);
    bench::figure("fetch_alone_ms", fetchMs);
    bench::figure("tick_first_ms", tickFirst);
    bench::figure("tick_last_ms", tickLast);
    bench::figure("tick_ms", tickMax);
    bench::figure("program_first_ms", programFirst);
    bench::figure("program_ms", programMax);
    bench::figure("ui_blocked_max_ms", blockedMax);
    monitor.Disconnect();
    return 0;
}

const bench::Registration
    registration("capture", captureBench,
                 "[--sessions N] [--cursors N] [--collectors N] [--ticks N] [--file PATH]");

} // namespace
