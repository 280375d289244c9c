// quenby-bench activity: the activity history on a large sandbox instance. sample_ui_ms is the
// user-interface thread's processor time per sample (the hand-over of an instant's rows to the
// store; the largest of the samples taken), sample_ui_elapsed_ms the same in elapsed time, which
// also counts the thread waiting for a processor on a busy machine; bytes_per_sample is the
// store file's bytes per active-session sample once many instants are stored; redraw_ms is the
// Activity page's chart redrawn over a day sampled every second (a reduced series read once,
// then painted), read_day_ms the read of that series.
#include "Bench.h"
#include "gui/views/ActivityChart.h"
#include "history/ActivitySampler.h"
#include "history/ActivitySeries.h"
#include "history/HistoryStore.h"
#include "oradb/OraQuery.h"
#include "sandbox/SandboxInstance.h"
#include "util/HandOver.h"

#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>
#include <algorithm>

namespace {

int activity(const bench::Args& args) {
    const int sessions = bench::intOption(args, "sessions", 10000);
    const int samples = bench::intOption(args, "samples", 20);
    const int instants = bench::intOption(args, "instants", 300);
    const std::string server = "sandbox::memory:bench-activity";
    oradb::sandbox::InstanceOptions options;
    options.sessions = sessions;
    options.autoTick = false;
    const auto instance = oradb::sandbox::Instance::open(server, options);
    QTemporaryDir folder;

    bench::NullHost host;
    monitor::TPvConnection monitor(&host);
    if (!bench::DirectConnect(monitor, server))
        return 1;
    monitor.CacheLoad();

    // Samples through the sampler as the window takes them: the worker reads, the UI thread
    // only hands the rows to the store.
    history::TActivitySampler sampler(monitor);
    sampler.SetFolder(folder.path().toStdString());
    sampler.Timer().stop();
    double uiMax = 0, uiSum = 0, uiElapsedMax = 0, sampleMsMax = 0;
    std::int64_t active = 0;
    for (int i = 0; i < samples; ++i) {
        instance->step(1);
        const std::int64_t before = sampler.SamplesTaken();
        const auto start = std::chrono::steady_clock::now();
        sampler.SampleNow();
        if (!util::HandOver::instance().waitUntil(
                [&] { return sampler.SamplesTaken() > before && !sampler.Running(); },
                std::chrono::seconds(60))) {
            std::fprintf(stderr, "a sample did not end\n");
            return 1;
        }
        sampleMsMax = std::max(sampleMsMax, bench::msSince(start));
        uiMax = std::max(uiMax, sampler.LastHandOverCpuMs());
        uiSum += sampler.LastHandOverCpuMs();
        uiElapsedMax = std::max(uiElapsedMax, sampler.LastHandOverMs());
    }
    if (!sampler.Store() || !sampler.Store()->Flush(std::chrono::seconds(60)))
        return 1;
    active = sampler.Store()->SamplesWritten() / std::max(samples, 1);

    // Many instants of this instance's activity in a store of their own: the active sessions
    // of ten ticks, taken in turn.
    std::vector<history::TActivityBatch> real;
    oradb::TOraQuery query(monitor.Session());
    const history::TInstanceFacts facts = history::ReadInstanceFacts(query);
    for (int i = 0; i < 10; ++i) {
        instance->step(1);
        history::TActivityBatch b;
        b.samples = history::ReadActiveSessions(query, true, facts.ownSid);
        real.push_back(std::move(b));
    }
    const std::string path = folder.filePath("BENCH.db").toStdString();
    std::int64_t stored = 0;
    {
        history::THistoryStore store(path);
        for (int i = 0; i < instants; ++i) {
            history::TActivityBatch b = real[static_cast<std::size_t>(i) % real.size()];
            b.time = 1700000000 + i;
            stored += static_cast<std::int64_t>(b.samples.size());
            store.Append(std::move(b));
        }
        if (!store.Flush(std::chrono::seconds(600)) || store.SamplesWritten() != stored)
            return 1;
    }
    const auto bytes = QFileInfo(QString::fromStdString(path)).size() +
                       QFileInfo(QString::fromStdString(path + "-wal")).size();

    // A day sampled every second: each instant a tenth of the sessions of one of the real
    // instants, so that every wait class of the instance shows.
    const std::string dayPath = folder.filePath("DAY.db").toStdString();
    const std::int64_t dayEnd = 1700000000 + 86400;
    double readDayMs = 0, redrawMs = 0;
    {
        history::THistoryStore day(dayPath);
        for (std::int64_t t = dayEnd - 86400; t < dayEnd; ++t) {
            const auto& from = real[static_cast<std::size_t>(t) % real.size()].samples;
            history::TActivityBatch b;
            b.time = t;
            const std::size_t n = std::min<std::size_t>(from.size(), 20);
            b.samples.assign(from.begin(), from.begin() + static_cast<std::ptrdiff_t>(n));
            day.Append(std::move(b));
        }
        if (!day.Flush(std::chrono::seconds(600)))
            return 1;
        gui::TActivityChart chart;
        chart.resize(1280, 360);
        history::TActivitySeries series;
        const auto readStart = std::chrono::steady_clock::now();
        day.Read([&](sqlite3* db) {
            series = history::ReadActivitySeries(db, dayEnd - 86400, dayEnd,
                                                 chart.PlotRect().width() / 2);
        });
        readDayMs = bench::msSince(readStart);
        chart.SetSeries(std::move(series), facts.cpuCount);
        chart.SetSelection(std::make_pair(dayEnd - 7200, dayEnd - 3600));
        QImage image(chart.size(), QImage::Format_ARGB32_Premultiplied);
        const int redraws = 20;
        const auto drawStart = std::chrono::steady_clock::now();
        for (int i = 0; i < redraws; ++i)
            chart.render(&image);
        redrawMs = bench::msSince(drawStart) / redraws;
    }

    bench::figure("sessions", static_cast<long long>(sessions));
    bench::figure("active_per_sample", static_cast<long long>(active));
    bench::figure("sample_ms_max", sampleMsMax);
    bench::figure("sample_ui_ms", uiMax);
    bench::figure("sample_ui_ms_mean", uiSum / std::max(samples, 1));
    bench::figure("sample_ui_elapsed_ms", uiElapsedMax);
    bench::figure("stored_samples", static_cast<long long>(stored));
    bench::figure("bytes_per_sample", static_cast<double>(bytes) /
                                          static_cast<double>(std::max<std::int64_t>(stored, 1)));
    bench::figure("read_day_ms", readDayMs);
    bench::figure("redraw_ms", redrawMs);
    return 0;
}

const bench::Registration registration("activity", activity,
                                       "[--sessions N] [--samples N] [--instants N]");

} // namespace
