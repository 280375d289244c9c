#include "history/ActivitySampler.h"

#include "monitor/BlockingTree.h"
#include "oradb/OraConnectDialog.h"
#include "oradb/OraQuery.h"
#include "util/AppLog.h"
#include "util/HandOver.h"

#include <QDateTime>
#include <QDir>
#include <chrono>
#include <ctime>

namespace history {

namespace {

// Oracle's idle events of the versions before 10g, whose events carry no wait class.
const char* const kIdleEvents =
    "'SQL*Net message from client','SQL*Net message to client','rdbms ipc message',"
    "'pmon timer','smon timer','pipe get','jobq slave wait','wakeup time manager',"
    "'PX Idle Wait','PX Deq: Execution Msg','queue messages','dispatcher timer',"
    "'virtual circuit status','lock manager wait for remote message','Null event',"
    "'client message','single-task message','slave wait','ges remote message',"
    "'gcs remote message','Queue Monitor Wait','Streams AQ: waiting for messages in the "
    "queue'";

const QString kSampleSeconds = QStringLiteral("History/SampleIntervalSeconds");
const QString kRetentionHours = QStringLiteral("History/RetentionHours");
const QString kMaxMegabytes = QStringLiteral("History/MaxMegabytes");

bool startsWith(const std::string& text, const char* prefix) {
    return text.rfind(prefix, 0) == 0;
}

} // namespace

std::string ActiveSessionsSql(bool tenGColumns, std::int64_t ownSid) {
    const std::string own = std::to_string(ownSid);
    if (tenGColumns)
        return "select s.sid,s.serial#,s.username,s.program,s.machine,s.sql_id,s.event,"
               "s.wait_class,s.state,s.blocking_session from v$session s where s.status="
               "'ACTIVE' and s.sid<>" +
               own + " and (s.state<>'WAITING' or s.wait_class<>'Idle')";
    return "select s.sid,s.serial#,s.username,s.program,s.machine,s.sql_hash_value sql_id,"
           "w.event,null wait_class,w.state,null blocking_session from v$session s,"
           "v$session_wait w where w.sid=s.sid and s.status='ACTIVE' and s.sid<>" +
           own + " and (w.state<>'WAITING' or w.event not in (" + kIdleEvents + "))";
}

std::string WaitClassOfEvent(const std::string& event) {
    if (startsWith(event, "db file") || startsWith(event, "direct path") ||
        event == "read by other session" || startsWith(event, "BFILE"))
        return "User I/O";
    if (startsWith(event, "control file") || startsWith(event, "log file parallel") ||
        startsWith(event, "log file sequential") || startsWith(event, "log file single") ||
        event == "db file parallel write" || startsWith(event, "io done"))
        return "System I/O";
    if (event == "log file sync")
        return "Commit";
    if (startsWith(event, "enqueue") || startsWith(event, "enq: TX - row") ||
        event == "SQL*Net break/reset to client")
        return "Application";
    if (startsWith(event, "latch") || startsWith(event, "library cache") ||
        startsWith(event, "buffer busy") || startsWith(event, "row cache") ||
        startsWith(event, "cursor:"))
        return "Concurrency";
    if (startsWith(event, "SQL*Net"))
        return "Network";
    if (startsWith(event, "log buffer space") || startsWith(event, "free buffer") ||
        startsWith(event, "log file switch") || startsWith(event, "write complete"))
        return "Configuration";
    return "Other";
}

std::vector<TActivitySample> ReadActiveSessions(oradb::TOraQuery& query, bool tenGColumns,
                                                std::int64_t ownSid) {
    query.SQL.Clear();
    query.SQL.Add(ActiveSessionsSql(tenGColumns, ownSid));
    query.Open();
    oradb::TField* f[10] = {&query.FieldByName("sid"),      &query.FieldByName("serial#"),
                            &query.FieldByName("username"), &query.FieldByName("program"),
                            &query.FieldByName("machine"),  &query.FieldByName("sql_id"),
                            &query.FieldByName("event"),    &query.FieldByName("wait_class"),
                            &query.FieldByName("state"),    &query.FieldByName("blocking_session")};
    std::vector<TActivitySample> rows;
    for (; !query.Eof(); query.Next()) {
        TActivitySample s;
        s.sid = f[0]->AsInteger();
        s.serial = f[1]->AsInteger();
        s.user = f[2]->AsString();
        s.program = f[3]->AsString();
        s.machine = f[4]->AsString();
        s.sqlId = f[5]->AsString();
        if (s.sqlId == "0")
            s.sqlId.clear(); // a hash value of 0: no statement
        s.onCpu = f[8]->AsString() != "WAITING";
        if (s.onCpu) {
            s.waitClass = "CPU";
        } else {
            s.event = f[6]->AsString();
            s.waitClass = tenGColumns ? f[7]->AsString() : WaitClassOfEvent(s.event);
        }
        s.blocker = f[9]->IsNull() ? 0 : f[9]->AsInteger();
        rows.push_back(std::move(s));
    }
    query.Close();
    return rows;
}

TInstanceFacts ReadInstanceFacts(oradb::TOraQuery& query) {
    query.SQL.Clear();
    query.SQL.Add("select (select name from v$database) db_name,(select value from v$parameter "
                  "where name='cpu_count') cpu_count,(select sid from v$mystat where rownum=1) "
                  "own_sid from dual");
    query.Open();
    TInstanceFacts facts;
    facts.dbName = query.FieldByName("db_name").AsString();
    const std::string cpus = query.FieldByName("cpu_count").AsString();
    facts.cpuCount = cpus.empty() ? 0 : std::stoll(cpus);
    facts.ownSid = query.FieldByName("own_sid").AsInteger();
    query.Close();
    return facts;
}

// ---- TActivitySampleThread ----

TActivitySampleThread::TActivitySampleThread(monitor::TPvConnection& monitor, TInstanceFacts facts,
                                             TDeliver deliver)
    : query_(std::make_unique<oradb::TOraQuery>(monitor.Session())),
      tenGColumns_(monitor::HasBlockingSessionColumn(monitor.InstanceVersion)),
      facts_(std::move(facts)), deliver_(std::move(deliver)) {}

TActivitySampleThread::~TActivitySampleThread() {
    StopAndWait();
}

void TActivitySampleThread::CancelRunningCall() {
    query_->Cancel();
}

void TActivitySampleThread::Execute() {
    TActivityBatch batch;
    std::string error;
    try {
        if (Terminated())
            return;
        if (facts_.ownSid < 0)
            facts_ = ReadInstanceFacts(*query_);
        batch.time = QDateTime::currentSecsSinceEpoch();
        batch.samples = ReadActiveSessions(*query_, tenGColumns_, facts_.ownSid);
    } catch (const std::exception& e) {
        query_->Close();
        if (Terminated())
            return;
        error = e.what();
    }
    if (Terminated())
        return;
    Synchronize([&] { deliver_(std::move(batch), std::move(facts_), std::move(error)); });
}

// ---- the options ----

THistoryOptions LoadHistoryOptions() {
    const auto settings = oradb::connectSettings();
    THistoryOptions o;
    auto read = [&](const QString& key, int fallback, int low, int high) {
        bool ok = false;
        const int v = settings->value(key).toInt(&ok);
        return ok && v >= low && v <= high ? v : fallback;
    };
    o.sampleSeconds = read(kSampleSeconds, o.sampleSeconds, 1, 3600);
    o.retentionHours = read(kRetentionHours, o.retentionHours, 1, 24 * 366);
    o.maxMegabytes = read(kMaxMegabytes, o.maxMegabytes, 1, 1024 * 1024);
    return o;
}

void SaveHistoryOptions(const THistoryOptions& options) {
    const auto settings = oradb::connectSettings();
    settings->setValue(kSampleSeconds, options.sampleSeconds);
    settings->setValue(kRetentionHours, options.retentionHours);
    settings->setValue(kMaxMegabytes, options.maxMegabytes);
}

// ---- TActivitySampler ----

TActivitySampler::TActivitySampler(monitor::TPvConnection& monitor, QObject* parent)
    : QObject(parent), monitor_(monitor) {
    timer_.setInterval(options_.sampleSeconds * 1000);
    connect(&timer_, &QTimer::timeout, this, [this] {
        // While the session list is read, the instance is not asked twice at once: the list's
        // end takes the sample.
        if (!monitor_.Running(monitor::wkList))
            SampleNow();
    });
    connect(&monitor_, &monitor::TPvConnection::connectedChanged, this, [this](bool connected) {
        if (connected) {
            facts_ = {}; // maybe another instance: learnt again at the first sample
            timer_.start();
        } else {
            timer_.stop();
        }
    });
    if (monitor_.Connected())
        timer_.start();
}

TActivitySampler::~TActivitySampler() = default;

void TActivitySampler::Update(monitor::TPvConnection& monitor, int code) {
    (void)monitor;
    if (code == monitor::ncListFetched)
        SampleNow();
}

void TActivitySampler::SetOptions(const THistoryOptions& options) {
    options_ = options;
    timer_.setInterval(std::max(options_.sampleSeconds, 1) * 1000);
    if (store_) {
        THistoryLimits limits;
        limits.retentionHours = options_.retentionHours;
        limits.maxBytes = static_cast<std::int64_t>(options_.maxMegabytes) * 1024 * 1024;
        store_->SetLimits(limits);
    }
}

void TActivitySampler::SampleNow() {
    if (!monitor_.Connected() || running_->load())
        return;
    running_->store(true);
    std::weak_ptr<int> alive = alive_;
    auto thread = std::make_unique<TActivitySampleThread>(
        monitor_, facts_,
        [this, alive](TActivityBatch batch, TInstanceFacts facts, std::string error) {
            if (alive.lock())
                Deliver(std::move(batch), std::move(facts), std::move(error));
        });
    thread->OnTerminate = [running = running_] { running->store(false); };
    monitor_.StartLookup(std::move(thread));
}

void TActivitySampler::OpenStore() {
    THistoryLimits limits;
    limits.retentionHours = options_.retentionHours;
    limits.maxBytes = static_cast<std::int64_t>(options_.maxMegabytes) * 1024 * 1024;
    const std::string name = facts_.dbName.empty() ? "UNKNOWN" : facts_.dbName;
    const std::string path = folder_.empty() ? THistoryStore::DefaultPath(name)
                                             : QDir(QString::fromStdString(folder_))
                                                   .filePath(QString::fromStdString(name) + ".db")
                                                   .toStdString();
    std::weak_ptr<int> alive = alive_;
    // The writer tells its troubles on its own thread: the user hears of them on this one.
    store_.reset();
    store_ = std::make_shared<THistoryStore>(path, limits, [this, alive](const std::string& text) {
        util::HandOver::instance().post([this, alive, text] {
            if (!alive.lock())
                return;
            if (OnReport)
                OnReport(text);
            else
                monitor_.ReportFailure(text);
        });
    });
}

namespace {

// The calling thread's processor time in milliseconds.
double threadCpuMs() {
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) * 1e3 + static_cast<double>(ts.tv_nsec) / 1e6;
}

} // namespace

void TActivitySampler::Deliver(TActivityBatch batch, TInstanceFacts facts, std::string error) {
    const auto started = std::chrono::steady_clock::now();
    const double cpuStarted = threadCpuMs();
    if (!error.empty()) {
        // A sample that failed is logged once per kind of failure; the next one tries again.
        if (error != lastError_)
            util::appendAppLog("Activity sample failed: " + error);
        lastError_ = error;
        return;
    }
    lastError_.clear();
    facts_ = std::move(facts);
    if (!store_ || facts_.dbName != storeDbName_) {
        storeDbName_ = facts_.dbName;
        OpenStore();
    }
    store_->Append(std::move(batch));
    ++samplesTaken_;
    lastHandOverMs_ =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - started)
            .count();
    lastHandOverCpuMs_ = threadCpuMs() - cpuStarted;
    if (OnSampled)
        OnSampled();
}

} // namespace history
