#include "monitor/Monitor.h"

#include "monitor/SessionControl.h"
#include "monitor/SessionListFetch.h"
#include "oradb/OraConnectDialog.h"
#include "oradb/OraError.h"
#include "oradb/OraQuery.h"
#include "oradb/OraSession.h"
#include "util/AppLog.h"
#include "util/DateTimeText.h"
#include "util/HandOver.h"
#include "util/TextHelpers.h"

#include <QEventLoop>
#include <algorithm>
#include <exception>
#include <thread>

namespace monitor {

// An open that the user-interface thread waits for in a nested event loop. `done` and `error` are
// written by the opening thread; `loop` belongs to the UI thread.
struct TPvConnection::TPageLoad {
    oradb::TOraQuery* query = nullptr;
    std::atomic<bool> done{false};
    std::exception_ptr error;
    QEventLoop* loop = nullptr;
};

const char* KindName(TWorkerKind kind) {
    static const char* names[wkCount] = {"ftbasic",      "ftdetails", "ftlocks", "ftsql",
                                         "ftstatistics", "ftwaits",   "ftmemory"};
    return names[kind];
}

namespace {

// How long a detail view's request waits for a running list fetch on the user-interface thread.
constexpr std::chrono::milliseconds kListWaitLimit{1000};

// The code(s) each detail kind notifies when its record is ready, in order.
std::vector<int> readyCodes(TWorkerKind kind) {
    switch (kind) {
    case wkDetails:
        return {ncDetailsStored};
    case wkLocks:
        return {ncLocksStored};
    case wkSql:
        return {ncCursorsStored, ncCurrentSqlStored};
    case wkStatistics:
        return {ncStatisticsStored};
    case wkWaits:
        return {ncEventsStored, ncCurrentWaitStored};
    default:
        return {};
    }
}

std::uint64_t fetchGenerationOf(const TRSession& s, TWorkerKind kind) {
    switch (kind) {
    case wkDetails:
        return s.Details().fetchGeneration;
    case wkLocks:
        return s.Locks().fetchGeneration;
    case wkSql:
        return s.Sql().fetchGeneration;
    case wkStatistics:
        return s.Statistics().fetchGeneration;
    case wkWaits:
        return s.Waits().fetchGeneration;
    default:
        return 0;
    }
}

} // namespace

TPvConnection::TPvConnection(TMonitorHost* host, QObject* parent) : QObject(parent), host_(host) {
    util::HandOver::install();
    refreshTimer_.setInterval(refreshInterval_);
    connect(&refreshTimer_, &QTimer::timeout, this, [this] { Refresh(); });
    connect(&timerAutoProbe_, &QTimer::timeout, this, [this] { StartMemoryProbe(); });
    SetAutoProbe(false);
    SetProbeInterval(30);
}

TPvConnection::~TPvConnection() {
    StopWorkers();
    for (auto& t : threads_)
        t.reset();
    lookups_.clear();
}

// ---- observers ----

void TPvConnection::Attach(const std::shared_ptr<IPvObserver>& observer) {
    if (std::find(observers_.begin(), observers_.end(), observer) == observers_.end())
        observers_.push_back(observer);
}

void TPvConnection::Notify(int code) {
    const std::size_t count = observers_.size();
    for (std::size_t i = 0; i < count; ++i)
        observers_[i]->Update(*this, code);
}

// ---- login and logout ----

void TPvConnection::SetStartLogin(const oradb::TGivenLogin& login) {
    startLogin_ = std::make_unique<oradb::TGivenLogin>(login);
}

bool TPvConnection::Login() {
    // The login given at start serves this login only; a later one asks as usual.
    const std::unique_ptr<oradb::TGivenLogin> given = std::move(startLogin_);
    try {
        session_ = std::make_unique<oradb::TOraSession>();
        session_->Password = "lantern";
        session_->Username = "system";
        session_->Home = static_cast<oradb::TOracleHome>(OracleHome);
        session_->ConnectPrompt = true;
        if (ConnectDialogFactory) {
            dialog_ = ConnectDialogFactory();
            dialog_->SetCaption("Quenby Login");
            if (given)
                dialog_->GivenLogin = *given;
            session_->SetConnectDialog(dialog_.get());
        } else if (given) {
            session_->Username = given->username;
            session_->Server = given->server;
            session_->Password = given->password.value_or(std::string());
        }
        session_->Connect();
        if (dialog_) {
            session_->SetConnectDialog(nullptr);
            dialog_.reset();
        }
        if (!session_->Connected())
            return false;
        generalQuery_ = std::make_unique<oradb::TOraQuery>(session_.get());
        for (int k = wkList; k < wkCount; ++k)
            queries_[k] = std::make_unique<oradb::TOraQuery>(session_.get());
        statement_ = std::make_unique<oradb::TOraSQL>(session_.get());
        connected_ = true;
        Q_EMIT connectedChanged(true);
        return true;
    } catch (...) {
        if (session_ && dialog_)
            session_->SetConnectDialog(nullptr);
        dialog_.reset();
        return false;
    }
}

bool TPvConnection::PrivilegeCheck() {
    const std::string user = util::lowerAscii(session_->Username);
    // A SYSDBA login works as SYS, which sees every dictionary view; SYS itself logs on as
    // SYSDBA or SYSOPER only, and a SYSOPER login works as PUBLIC, which needs the role as anyone.
    if (user == "system" || session_->Privilege == oradb::TConnectPrivilege::SysDba)
        return true;
    oradb::TOraQuery& q = *generalQuery_;
    q.SQL.Clear();
    q.SQL.Add("select * from session_roles where role='SELECT_CATALOG_ROLE'");
    q.Open();
    const bool ok = q.RecordCount() == 1;
    q.Close();
    return ok;
}

std::string TPvConnection::PrivilegeMessage() const {
    const std::string user = session_ ? session_->Username : std::string();
    return "Not enough privilege: the user " + util::upperAscii(user) +
           " lacks SELECT_CATALOG_ROLE. Grant it with: grant select_catalog_role to " +
           util::lowerAscii(user) + ";";
}

void TPvConnection::CacheLoad() {
    StatisticClassList.Clear();
    for (const auto& c : kStatisticClasses)
        StatisticClassList.Add(std::string(c.name), std::to_string(c.code));

    StatisticNames.clear();
    StatisticNumberList.Clear();
    AuditActionList.Clear();
    oradb::TOraQuery& q = *generalQuery_;
    InstanceVersion.clear();
    try {
        q.SQL.Clear();
        q.SQL.Add("select version from v$instance");
        q.Open();
        if (!q.Eof())
            InstanceVersion = q.FieldByName("version").AsString();
        q.Close();
    } catch (const std::exception&) {
        q.Close();
        util::appendAppLogSafely("Error: reading the instance's version");
    }
    OwnSid.clear();
    try {
        q.SQL.Clear();
        q.SQL.Add("select sys_context('USERENV','SID') sid from dual");
        q.Open();
        if (!q.Eof())
            OwnSid = q.FieldByName("sid").AsString();
        q.Close();
    } catch (const std::exception&) {
        q.Close();
        util::appendAppLogSafely("Error: reading the monitor's own SID");
    }
    try {
        q.SQL.Clear();
        q.SQL.Add("select statistic#,name,class from v$statname order by class");
        q.Open();
        oradb::TField& number = q.FieldByName("statistic#");
        oradb::TField& name = q.FieldByName("name");
        oradb::TField& cls = q.FieldByName("class");
        for (; !q.Eof(); q.Next()) {
            StatisticNames.push_back({number.AsString(), name.AsString(), cls.AsString(), {}});
            StatisticNumberList.Add(name.AsString(), number.AsString());
        }
        q.Close();
        q.SQL.Clear();
        q.SQL.Add("select action,name from sys.audit_actions");
        q.Open();
        oradb::TField& action = q.FieldByName("action");
        oradb::TField& actionName = q.FieldByName("name");
        for (; !q.Eof(); q.Next())
            AuditActionList.Add(action.AsString(), actionName.AsString());
        q.Close();
    } catch (const std::exception&) {
        q.Close();
        util::appendAppLogSafely("Error: Database Error in init");
    }
    SortStatisticName = "session logical reads";
    SortStatisticNumber = StatisticNumberList.Value(SortStatisticName);
    SortStatisticClass = "1";
}

void TPvConnection::StopWorkers() {
    for (auto& t : threads_)
        if (t)
            t->Terminate();
    for (auto& t : lookups_)
        t->Terminate();
    for (auto& t : threads_)
        if (t)
            t->WaitFor();
    for (auto& t : lookups_)
        t->WaitFor();
}

void TPvConnection::StartMemoryProbe() {
    if (!connected_ || !factories_[wkMemory])
        return;
    threads_[wkMemory].reset();
    threads_[wkMemory] = factories_[wkMemory](*this);
    if (threads_[wkMemory])
        threads_[wkMemory]->Start();
}

void TPvConnection::StartLookup(std::unique_ptr<TWorkerThread> lookup) {
    std::erase_if(lookups_, [](const auto& t) { return t->Finished(); });
    if (!lookup)
        return;
    lookup->Start();
    lookups_.push_back(std::move(lookup));
}

void TPvConnection::ReportFailure(const std::string& text) {
    LastError = text;
    std::weak_ptr<int> alive = alive_;
    util::HandOver::instance().post([this, alive] {
        if (alive.lock() && host_)
            host_->WorkerFailed();
    });
}

void TPvConnection::OpenWhileResponsive(oradb::TOraQuery& query) {
    util::HandOver& handOver = util::HandOver::instance();
    if (!handOver.isUiThread()) {
        query.Open();
        return;
    }
    auto load = std::make_shared<TPageLoad>();
    load->query = &query;
    pageLoads_.push_back(load);
    std::thread opener([load] {
        try {
            load->query->Open();
        } catch (...) {
            load->error = std::current_exception();
        }
        load->done = true;
        util::HandOver& h = util::HandOver::instance();
        h.wake(); // a Disconnect waiting for the load
        h.post([load] {
            if (load->loop)
                load->loop->quit();
        });
    });
    QEventLoop loop;
    load->loop = &loop;
    if (!load->done)
        loop.exec();
    load->loop = nullptr;
    // The loop ends early when the application quits: the open is cut short then.
    while (!load->done) {
        query.Cancel();
        handOver.waitUntil([&load] { return load->done.load(); }, std::chrono::milliseconds(50));
    }
    opener.join();
    std::erase(pageLoads_, load);
    if (load->error)
        std::rethrow_exception(load->error);
}

void TPvConnection::CancelPageLoads() {
    auto ended = [this] {
        return std::all_of(pageLoads_.begin(), pageLoads_.end(),
                           [](const auto& l) { return l->done.load(); });
    };
    // A cancel holds until the load's statement sees it, however early it comes; sending it
    // again while waiting costs nothing.
    while (!ended()) {
        for (const auto& l : pageLoads_)
            if (!l->done)
                l->query->Cancel();
        util::HandOver::instance().waitUntil(ended, std::chrono::milliseconds(50));
    }
}

void TPvConnection::Disconnect() {
    try {
        refreshTimer_.stop();
        SetAutoProbe(false);
        SetProbeInterval(30);
        if (host_) {
            host_->SetCloseButtonVisible(false);
            host_->ClearProbeHistory();
        }
        SelectedSid = "0";
        selectedSerial_.clear();
        serialSid_.clear();
        // Workers and page loads use the session freed below: they end first.
        CancelPageLoads();
        StopWorkers();
        for (auto& t : threads_)
            t.reset();
        rateBaseline_.reset(); // the next connection's first refresh has no rates
        lookups_.clear();
        if (session_)
            session_->Disconnect();
        generalQuery_.reset();
        for (auto& q : queries_)
            q.reset();
        statement_.reset();
        session_.reset();
    } catch (...) {
        connected_ = false;
        Q_EMIT connectedChanged(false);
        throw;
    }
    connected_ = false;
    Q_EMIT connectedChanged(false);
}

std::string TPvConnection::ServiceName() const {
    return session_ ? session_->Server : std::string();
}
std::string TPvConnection::UserName() const {
    return session_ ? session_->Username : std::string();
}

// ---- options ----

void TPvConnection::SetAutoRefresh(bool on) {
    autoRefresh_ = on;
    if (on)
        refreshTimer_.start(refreshInterval_);
    else
        refreshTimer_.stop();
}

void TPvConnection::SetRefreshInterval(int seconds) {
    refreshInterval_ = std::max(seconds, 3) * 1000;
    refreshTimer_.setInterval(refreshInterval_);
}

void TPvConnection::SetAutoProbe(bool on) {
    autoProbe_ = on;
    if (on)
        timerAutoProbe_.start(probeInterval_ * 1000);
    else
        timerAutoProbe_.stop();
}

void TPvConnection::SetProbeInterval(int seconds) {
    probeInterval_ = seconds < 3 || seconds > 86399 ? 30 : seconds;
    timerAutoProbe_.setInterval(probeInterval_ * 1000);
}

// ---- the session list ----

std::string TPvConnection::BuildListSql() {
    return SessionListSql(SortStatisticNumber, ShownColumns(), MajorVersion(InstanceVersion),
                          ShowBackgroundSessions, ShowKilledSessions, &ListSql);
}

TColumnSet TPvConnection::ShownColumns() const {
    return AvailableColumns(ListColumns, MajorVersion(InstanceVersion));
}

void TPvConnection::Refresh() {
    if (!connected_ || running_[wkList])
        return;
    CancelOtherFetches(KindName(wkList));
    threads_[wkList].reset();
    auto thread = std::make_unique<TBasicThread>(*this, *queries_[wkList]);
    thread->Columns = ShownColumns();
    thread->Statistic = SortStatisticNumber;
    if (!rateBaseline_)
        rateBaseline_ = std::make_shared<TRateBaseline>();
    thread->Baseline = rateBaseline_;
    thread->ByRate = ShowSortRate;
    queries_[wkList]->SQL.Clear();
    queries_[wkList]->SQL.Add(BuildListSql());
    running_[wkList] = true; // set before the start, so that a second refresh does nothing
    std::weak_ptr<int> alive = alive_;
    thread->OnTerminate = [this, alive, clearRunning = std::move(thread->OnTerminate)] {
        if (clearRunning)
            clearRunning();
        if (!requestAfterList_)
            return;
        requestAfterList_ = false;
        util::HandOver::instance().post([this, alive] {
            if (alive.lock() && connected_)
                RefreshShownView();
        });
    };
    thread->Start();
    threads_[wkList] = std::move(thread);
    // The shown view's request waits for this fetch (its rule waits for a running list fetch).
    RefreshShownView();
}

int TPvConnection::LocateSelectedSession() {
    SelectedIndex = -1;
    const std::string serial = SelectedSerial();
    for (std::size_t i = 0; i < Sessions.size(); ++i)
        if (Sessions[i].Key() == SelectedSid &&
            (serial.empty() || Sessions[i].basic.fields[bfSerial] == serial)) {
            SelectedIndex = static_cast<int>(i);
            break;
        }
    return SelectedIndex;
}

void TPvConnection::SelectSession(const std::string& sid, const std::string& serial) {
    SelectedSid = sid;
    selectedSerial_ = serial;
    serialSid_ = sid;
    LocateSelectedSession();
}

TRSession* TPvConnection::SelectedSession() {
    if (SelectedIndex < 0 || SelectedIndex >= static_cast<int>(Sessions.size()))
        return nullptr;
    return &Sessions[static_cast<std::size_t>(SelectedIndex)];
}

// ---- the worker framework ----

void TPvConnection::SetThreadFactory(TWorkerKind kind, TThreadFactory factory) {
    factories_[kind] = std::move(factory);
}

void TPvConnection::SetViewShown(TWorkerKind kind, bool shown) {
    shown_[kind] = shown;
    if (!shown)
        return;
    for (int k = wkDetails; k <= wkWaits; ++k)
        if (k != kind)
            shown_[k] = false;
    if (SelectedIndex != -1)
        Request(kind);
}

void TPvConnection::RefreshShownView() {
    if (SelectedIndex == -1)
        return;
    for (TWorkerKind k : {wkDetails, wkWaits, wkSql, wkStatistics, wkLocks})
        SetViewShown(k, shown_[k]);
}

void TPvConnection::Request(TWorkerKind kind) {
    if (running_[wkList]) {
        TWorkerThread* list = threads_[wkList].get();
        // A list fetch that outlasts the wait (a slow statement) is not waited out, which would
        // freeze the window: the request comes again when the fetch has ended.
        if (!util::HandOver::instance().waitUntil(
                [this, list] { return !running_[wkList] && (!list || list->Finished()); },
                kListWaitLimit)) {
            requestAfterList_ = true;
            return;
        }
    }
    if (running_[kind] || rendering_[kind])
        return;
    const TRSession* selected = SelectedSession();
    if (selected && IsFresh(fetchGenerationOf(*selected, kind))) {
        for (int code : readyCodes(kind))
            Notify(code);
        return;
    }
    if (!factories_[kind] || !connected_ || !selected)
        return;
    CancelOtherFetches(KindName(kind));
    threads_[kind].reset();
    threads_[kind] = factories_[kind](*this);
    if (threads_[kind])
        threads_[kind]->Start();
}

void TPvConnection::CancelOtherFetches(const std::string& kindName) {
    for (TWorkerKind k : {wkWaits, wkDetails, wkLocks, wkSql, wkStatistics})
        if (running_[k] && kindName != KindName(k) && threads_[k])
            threads_[k]->Terminate();
}

void TPvConnection::WorkerFailed(const std::string& text) {
    SetAutoRefresh(false);
    LastError = text;
    std::weak_ptr<int> alive = alive_;
    util::HandOver::instance().post([this, alive] {
        if (alive.lock() && host_)
            host_->WorkerFailed();
    });
}

} // namespace monitor
