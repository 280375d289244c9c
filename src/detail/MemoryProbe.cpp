#include "detail/MemoryProbe.h"

#include "detail/DetailThread.h"
#include "oradb/OraQuery.h"
#include "util/AppLog.h"

#include <cstdio>
#include <stdexcept>

namespace detail {

const std::array<std::string, 4> kProbeSql = {
    "select (sum(pins-reloads))/sum(pins) libcache,sysdate probetime from v$librarycache",
    "select (sum(gets-getmisses))/sum(gets) rowcache from v$rowcache",
    "select name,value from v$sysstat where name in('db block gets','consistent gets','physical "
    "reads')",
    "select sum(bytes) bytes from v$sgastat where name='free memory'"};

long double BufferCacheHit(std::int64_t dbBlockGets, std::int64_t consistentGets,
                           std::int64_t physicalReads) {
    const long double gets =
        static_cast<long double>(dbBlockGets) + static_cast<long double>(consistentGets);
    if (gets == 0)
        throw std::domain_error("Floating point division by zero");
    return (1 - static_cast<long double>(physicalReads) / gets) * 100;
}

TDetailListModel::Row ProbeRow(const TProbeResult& result) {
    auto ratio = [](long double v) {
        char buf[64];
        std::snprintf(buf, sizeof buf, "%.2f", static_cast<double>(v));
        return std::string(buf);
    };
    return {result.probeTime,
            {ratio(result.libraryCacheMiss), ratio(result.rowCacheMiss),
             ratio(result.bufferCacheHit), std::to_string(result.freeMemory)}};
}

std::vector<TDetailListModel::Column> ProbeHistoryColumns() {
    return {{QStringLiteral("Date"), 130},
            {QStringLiteral("Library Cache miss ratio %"), 135},
            {QStringLiteral("Row Cache miss ratio %"), 130},
            {QStringLiteral("Buffer Cache hit ratio %"), 130},
            {QStringLiteral("Free Memory (Bytes)"), 120}};
}

std::string ProbeIntervalText(int seconds) {
    return std::to_string(seconds / 3600) + " Hour " + std::to_string(seconds % 3600 / 60) +
           " Min " + std::to_string(seconds % 60) + " Sec";
}

void RegisterMemoryThread(monitor::TPvConnection& monitor, const TProbeTarget& target) {
    monitor.SetThreadFactory(monitor::wkMemory, [target](monitor::TPvConnection& m) {
        std::unique_ptr<monitor::TWorkerThread> thread;
        if (oradb::TOraQuery* query = m.Query(monitor::wkMemory)) {
            query->SQL.Clear();
            thread = std::make_unique<TMemoryThread>(m, *query, target);
        }
        return thread;
    });
}

// ---- TMemoryThread ----

TMemoryThread::TMemoryThread(monitor::TPvConnection& monitor, oradb::TOraQuery& query,
                             TProbeTarget target)
    : monitor_(monitor), query_(query), target_(std::move(target)), sql_(kProbeSql) {
    // The query serves one probe after another: a cancel aimed at the one before is spent.
    query_.ResetCancel();
}

TMemoryThread::~TMemoryThread() {
    StopAndWait();
}

void TMemoryThread::CancelRunningCall() {
    query_.Cancel();
}

void TMemoryThread::NextQuery(int index) {
    if (index > 0) {
        if (Terminated())
            throw monitor::EAbandon{};
        ReadToEnd();
        query_.Close();
        if (Terminated())
            throw monitor::EAbandon{};
    }
    query_.SQL.Clear();
    query_.SQL.Add(sql_[static_cast<std::size_t>(index)]);
    query_.Open();
}

void TMemoryThread::ReadToEnd() {
    while (!query_.Eof())
        query_.Next();
}

void TMemoryThread::Execute() {
    try {
        Synchronize([this] {
            if (target_.setProbeEnabled)
                target_.setProbeEnabled(false);
        });
        if (Terminated())
            throw monitor::EAbandon{};

        NextQuery(0);
        if (query_.RecordCount() == 1) {
            result_.libraryCacheMiss =
                (1 - static_cast<long double>(query_.FieldByName("libcache").AsFloat())) * 100;
            result_.probeTime = query_.FieldByName("probetime").AsString();
        }
        NextQuery(1);
        if (query_.RecordCount() == 1)
            result_.rowCacheMiss =
                (1 - static_cast<long double>(query_.FieldByName("rowcache").AsFloat())) * 100;
        NextQuery(2);
        if (query_.RecordCount() == 3) {
            std::int64_t blockGets = 0, consistentGets = 0, physicalReads = 0;
            oradb::TField& name = query_.FieldByName("name");
            oradb::TField& value = query_.FieldByName("value");
            for (; !query_.Eof(); query_.Next()) {
                const std::string n = name.AsString();
                if (n == "db block gets")
                    blockGets = value.AsInteger();
                else if (n == "consistent gets")
                    consistentGets = value.AsInteger();
                else if (n == "physical reads")
                    physicalReads = value.AsInteger();
            }
            result_.bufferCacheHit = BufferCacheHit(blockGets, consistentGets, physicalReads);
        }
        NextQuery(3);
        if (query_.RecordCount() == 1)
            result_.freeMemory = query_.FieldByName("bytes").AsInteger();
        if (Terminated())
            throw monitor::EAbandon{};
        ReadToEnd();
        query_.Close();
        Synchronize([this] {
            if (target_.setProbeEnabled)
                target_.setProbeEnabled(true);
            if (target_.history)
                target_.history->InsertRow(0, ProbeRow(result_));
        });
    } catch (...) {
        const TFailure failure = ClassifyFailure(std::current_exception(), Terminated());
        query_.Close();
        try {
            Synchronize([this, &failure] {
                if (target_.setProbeEnabled)
                    target_.setProbeEnabled(true);
                if (!failure.silent) {
                    monitor_.SetAutoProbe(false);
                    monitor_.ReportFailure(failure.text);
                }
            });
        } catch (...) {
            util::logCurrentException("Memory probe: showing the failure");
        }
    }
}

} // namespace detail
