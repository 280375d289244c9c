// TPvConnection, the monitor: everything Quenby knows about the connected instance — the
// database session and its queries, the options, the caches of statistic names and audit
// actions, the session array with the per-session detail records, the worker threads and the
// observers. Logging in and out fills and empties it. User-interface thread only, except the
// running flags, which workers set and clear.
#pragma once

#include "monitor/MonitorObserver.h"
#include "monitor/SessionListColumns.h"
#include "monitor/SessionRecords.h"
#include "monitor/WorkerThread.h"

#include <QObject>
#include <QTimer>
#include <array>
#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace oradb {
class TCustomConnectDialog;
class TOraQuery;
class TOraSession;
class TOraSQL;
struct TGivenLogin;
} // namespace oradb

namespace monitor {

// The worker kinds; the five detail views use the kinds from wkDetails to wkWaits.
enum TWorkerKind : int {
    wkList,
    wkDetails,
    wkLocks,
    wkSql,
    wkStatistics,
    wkWaits,
    wkMemory,
    wkCount
};

// "ftbasic", "ftdetails", ...: the kind names that cancelling compares.
const char* KindName(TWorkerKind kind);

// Raised inside a worker that saw its terminate request: ends the fetch silently.
struct EAbandon {};
struct TRateBaseline;

class TPvConnection : public QObject {
    Q_OBJECT
public:
    explicit TPvConnection(TMonitorHost* host = nullptr, QObject* parent = nullptr);
    ~TPvConnection() override;

    // ---- observers ----
    void Attach(const std::shared_ptr<IPvObserver>& observer);
    void Notify(int code);

    // ---- login and logout ----
    // Shows the login dialog (made by ConnectDialogFactory); true when the session connected.
    bool Login();
    // SYS and SYSTEM pass at once; others need SELECT_CATALOG_ROLE. A failing query raises.
    bool PrivilegeCheck();
    // What a failed PrivilegeCheck tells the user: the user, the missing role and its grant.
    std::string PrivilegeMessage() const;
    // Statistic classes, statistic names and numbers, audit actions; the default sort statistic.
    void CacheLoad();
    // Cancels and waits for every worker, then frees the session and its queries.
    void Disconnect();
    bool Connected() const { return connected_; }
    std::function<std::unique_ptr<oradb::TCustomConnectDialog>()> ConnectDialogFactory;
    // The login given at start (quenby --connect), used by the next Login only: the dialog
    // connects with it without showing the form when it has a password, and otherwise opens
    // with its user and server filled in.
    void SetStartLogin(const oradb::TGivenLogin& login);
    bool HasStartLogin() const { return startLogin_ != nullptr; }

    // ---- options ----
    bool AutoRefresh() const { return autoRefresh_; }
    void SetAutoRefresh(bool on);
    int RefreshInterval() const { return refreshInterval_; } // milliseconds
    void SetRefreshInterval(int seconds);
    bool AutoProbe() const { return autoProbe_; }
    void SetAutoProbe(bool on);
    int ProbeInterval() const { return probeInterval_; } // seconds
    void SetProbeInterval(int seconds);
    int StatisticClassMask() const { return statisticClassMask_; }
    void SetStatisticClassMask(int mask) { statisticClassMask_ = mask; }
    bool ShowBackgroundSessions = false;
    bool ShowKilledSessions = true;
    // The events pages list Oracle's idle events too.
    bool ShowIdleEvents = false;
    // The session list shows the sort statistic as a change per second since the previous
    // refresh instead of the total since logon.
    bool ShowSortRate = false;
    // The session records are in the order of the statistic's rates (else of its totals),
    // highest first.
    bool SessionsByRate = false;
    // The optional columns the user chose for the session list.
    TColumnSet ListColumns = DefaultColumns();
    // The chosen columns that the connected instance has: the ones the list reads and shows.
    TColumnSet ShownColumns() const;

    // ---- the session list ----
    // Starts a list fetch unless one runs; then lets the shown detail view issue its request.
    void Refresh();
    // The session-list SQL for the current options; also stores the select part in ListSql.
    std::string BuildListSql();
    // The session whose SID and serial# are the selected ones (the SID alone while no serial# is
    // known); stores and returns its index or -1. A reused SID is another session.
    int LocateSelectedSession();
    // Selects the session of this SID and serial# (the monitor's selection; no fetch starts).
    void SelectSession(const std::string& sid, const std::string& serial);
    // The serial# of the selected session; empty when only its SID is known (SelectedSid was
    // set on its own).
    std::string SelectedSerial() const {
        return serialSid_ == SelectedSid ? selectedSerial_ : std::string();
    }
    // The selected session's record, or nullptr when none is selected.
    TRSession* SelectedSession();

    // ---- the worker framework ----
    using TThreadFactory = std::function<std::unique_ptr<TWorkerThread>(TPvConnection&)>;
    // Registers how a detail kind's thread is made (the detail monitors do it at start-up).
    void SetThreadFactory(TWorkerKind kind, TThreadFactory factory);
    void SetViewShown(TWorkerKind kind, bool shown);
    bool ViewShown(TWorkerKind kind) const { return shown_[kind]; }
    void RefreshShownView();
    // The request rule of a detail view.
    void Request(TWorkerKind kind);
    void CancelOtherFetches(const std::string& kindName);
    // The worker-error notification: auto refresh off, the text kept, message 1034 posted.
    void WorkerFailed(const std::string& text);
    std::atomic<bool>& RunningFlag(TWorkerKind kind) { return running_[kind]; }
    bool Running(TWorkerKind kind) const { return running_[kind].load(); }
    bool& RenderingFlag(TWorkerKind kind) { return rendering_[kind]; }
    TWorkerThread* Thread(TWorkerKind kind) const { return threads_[kind].get(); }
    // Asks every worker to terminate and waits for all of them.
    void StopWorkers();
    // The memory probe: frees the previous probe thread (asking it to terminate and waiting for
    // it), makes a new one with the memory kind's factory and starts it. No flag is consulted.
    void StartMemoryProbe();
    // Starts a waiting-block lookup. Lookups run side by side; the monitor keeps each until it
    // has ended (freed at the next start) and stops the running ones with the other workers.
    void StartLookup(std::unique_ptr<TWorkerThread> lookup);
    // A failure shown like a worker failure (the text kept, message 1034 posted) without
    // switching auto refresh off.
    void ReportFailure(const std::string& text);
    // Opens `query` for a load that the user-interface thread waits for (a database page): the
    // statement runs on a thread of its own while the UI thread keeps handling events, so that
    // the window stays usable during a slow statement; Disconnect cancels it and waits for its
    // end. Raises what the open raised. On any other thread it simply opens the query.
    void OpenWhileResponsive(oradb::TOraQuery& query);
    // Step flags of the SQL and events workers.
    std::atomic<bool> SqlCursorsLoading{false}, SqlCurrentLoading{false};
    std::atomic<bool> WaitsEventsLoading{false}, WaitsCurrentLoading{false};

    // ---- data access (exist while connected) ----
    oradb::TOraSession* Session() const { return session_.get(); }
    oradb::TOraQuery* GeneralQuery() const { return generalQuery_.get(); }
    oradb::TOraQuery* Query(TWorkerKind kind) const { return queries_[kind].get(); }
    oradb::TOraSQL* Statement() const { return statement_.get(); }
    // The service name of the connection (the Server text), empty when none.
    std::string ServiceName() const;
    std::string UserName() const;

    QTimer& RefreshTimer() { return refreshTimer_; }
    QTimer& TimerAutoProbe() { return timerAutoProbe_; }
    TMonitorHost* Host() const { return host_; }
    void SetHost(TMonitorHost* host) { host_ = host; }

    // ---- records and caches (user-interface thread) ----
    std::vector<TRSession> Sessions;
    std::string SelectedSid = "0";
    int SelectedIndex = -1;
    TDateTime LastListRefresh = 0; // when the list was last read, for the user
    // Counts the list refreshes: a detail record read under the current one is fresh. A counter,
    // not a clock, so that two events in one clock tick or a clock set back order correctly.
    std::uint64_t ListGeneration = 0;
    // True for a detail record read under the current list refresh (`generation` its stamp).
    bool IsFresh(std::uint64_t generation) const {
        return generation != 0 && generation == ListGeneration;
    }
    std::string LastError;
    std::string ListSql, DetailsSql, LocksSql, SqlTextSql, StatisticsSql, CurrentWaitSql, EventsSql;
    std::string SortStatisticNumber, SortStatisticName, SortStatisticClass;
    std::vector<TStatisticsType> StatisticNames;
    TNameValueList StatisticClassList, StatisticNumberList, AuditActionList;
    int OracleHome = 0;
    TRObjFB WaitingBlock;
    int WaitingBlockState = 0;
    std::vector<TBasicFieldArray> SelectedSessions;
    // v$instance.version of the connected instance ("19.0.0.0.0"), read by CacheLoad; empty when
    // it could not be read.
    std::string InstanceVersion;
    // The SID of the monitor's own session (sys_context('USERENV','SID')), read by CacheLoad;
    // empty when it could not be read.
    std::string OwnSid;
    QObject* ExportTarget = nullptr;
    std::vector<TSystemParameterArray> SystemParameters;

Q_SIGNALS:
    // The connection state changed (login or logout).
    void connectedChanged(bool connected);

private:
    TMonitorHost* host_;
    std::string selectedSerial_, serialSid_; // the selected serial# and the SID it goes with
    std::vector<std::shared_ptr<IPvObserver>> observers_;
    bool connected_ = false;
    bool autoRefresh_ = false;
    int refreshInterval_ = 20000;
    bool autoProbe_ = false;
    int probeInterval_ = 30;
    int statisticClassMask_ = 1;
    std::array<std::atomic<bool>, wkCount> running_{};
    std::array<bool, wkCount> rendering_{};
    std::array<bool, wkCount> shown_{};
    std::array<std::unique_ptr<TWorkerThread>, wkCount> threads_;
    // What the list workers compute the rates against; theirs only (one runs at a time).
    std::shared_ptr<TRateBaseline> rateBaseline_;
    std::array<TThreadFactory, wkCount> factories_;
    std::vector<std::unique_ptr<TWorkerThread>> lookups_;
    struct TPageLoad;
    std::vector<std::shared_ptr<TPageLoad>> pageLoads_; // the opens OpenWhileResponsive waits for
    void CancelPageLoads();
    // A detail view's request that met a list fetch outlasting its wait: issued again when the
    // fetch has ended.
    bool requestAfterList_ = false;
    std::unique_ptr<oradb::TOraSession> session_;
    std::unique_ptr<oradb::TCustomConnectDialog> dialog_;
    std::unique_ptr<oradb::TGivenLogin> startLogin_;
    std::unique_ptr<oradb::TOraQuery> generalQuery_;
    std::array<std::unique_ptr<oradb::TOraQuery>, wkCount> queries_;
    std::unique_ptr<oradb::TOraSQL> statement_;
    QTimer refreshTimer_;
    QTimer timerAutoProbe_;
    std::shared_ptr<int> alive_ = std::make_shared<int>(0); // posted calls check it
};

} // namespace monitor
