// quenby-bench activity: the activity history on a large sandbox instance. sample_ui_ms is the
// user-interface thread's processor time per sample (the hand-over of an instant's rows to the
// store; the largest of the samples taken), sample_ui_elapsed_ms the same in elapsed time, which
// also counts the thread waiting for a processor on a busy machine; bytes_per_sample is the
// store file's bytes per active-session sample once many instants are stored.
#include "Bench.h"
#include "history/ActivitySampler.h"
#include "history/HistoryStore.h"
#include "oradb/OraQuery.h"
#include "sandbox/SandboxInstance.h"
#include "util/HandOver.h"

#include <QFileInfo>
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

    bench::figure("sessions", static_cast<long long>(sessions));
    bench::figure("active_per_sample", static_cast<long long>(active));
    bench::figure("sample_ms_max", sampleMsMax);
    bench::figure("sample_ui_ms", uiMax);
    bench::figure("sample_ui_ms_mean", uiSum / std::max(samples, 1));
    bench::figure("sample_ui_elapsed_ms", uiElapsedMax);
    bench::figure("stored_samples", static_cast<long long>(stored));
    bench::figure("bytes_per_sample", static_cast<double>(bytes) /
                                          static_cast<double>(std::max<std::int64_t>(stored, 1)));
    return 0;
}

const bench::Registration registration("activity", activity,
                                       "[--sessions N] [--samples N] [--instants N]");

} // namespace
