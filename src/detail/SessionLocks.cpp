#include "detail/SessionLocks.h"

#include "oradb/OraError.h"
#include "oradb/OraQuery.h"
#include "util/AppLog.h"
#include "util/DateTimeText.h"

namespace detail {

using monitor::TLocksFieldType;
using monitor::TPvConnection;
using monitor::TRSession;
using monitor::wkLocks;

// "addr" twice: the query's kaddr column is not read.
const std::array<const char*, monitor::lfCount> kLockFieldNames = {
    "username", "addr", "addr", "sid", "type", "Id1", "Id2", "Lmode", "Request", "Ctime", "Block"};

std::string BuildLocksSql(const std::string& sid) {
    return std::string("select rawtohex(l.addr) addr,rawtohex(l.kaddr) kaddr,l.sid,l.type,l.id1,"
                       "l.id2,decode(l.lmode,0,'none',1,'NULL',2,'Row-S(SS)',3,'Row-X(SX)',4,"
                       "'Share(S)',5,'S/Row-X(SSX)',6,'Exclusive(X)',l.lmode) lmode,decode("
                       "l.request,0,'none',1,'NULL',2,'Row-S(SS)',3,'Row-X(SX)',4,'Share(S)',5,"
                       "'S/Row-X(SSX)',6,'Exclusive(X)',l.request) request, l.ctime,l.block,"
                       "s.username from v$lock l,v$session s where l.sid=s.sid and (s.sid=") +
           sid + " or l.request!=0 or l.block=1)";
}

bool GroupLocks(std::vector<TLocksFieldType>& rows, std::vector<monitor::TLocksArrayType>& groups,
                const std::string& selectedSid, const std::function<bool()>& terminated) {
    using namespace monitor;
    groups.clear();
    for (TLocksFieldType& blocker : rows) {
        if (blocker[lfSid] == "0" || blocker[lfBlock] != "1")
            continue;
        if (terminated && terminated())
            return false;
        TLocksArrayType group{blocker};
        bool concerns = blocker[lfSid] == selectedSid;
        blocker[lfSid] = "0";
        for (TLocksFieldType& waiter : rows) {
            if (waiter[lfSid] == "0" || waiter[lfRequest] != blocker[lfLmode] ||
                waiter[lfId1] != blocker[lfId1] || waiter[lfId2] != blocker[lfId2])
                continue;
            group.push_back(waiter);
            concerns = concerns || waiter[lfSid] == selectedSid;
            waiter[lfSid] = "0";
        }
        if (!concerns)
            group.front()[lfSid] = "0";
        groups.push_back(std::move(group));
    }
    return true;
}

// ---- TLocksThread ----

TLocksThread::TLocksThread(TPvConnection& monitor)
    : TDetailThread(monitor, wkLocks, *monitor.Query(wkLocks)), sid_(monitor.SelectedSid) {
    monitor.LocksSql = BuildLocksSql(sid_);
    query_.Close();
    query_.SQL.Clear();
    query_.SQL.Add(monitor.LocksSql);
    // Set before the start, so that a second request in the meantime is dropped.
    monitor.RunningFlag(wkLocks) = true;
}

TLocksThread::~TLocksThread() {
    StopAndWait();
}

TRSession* TLocksThread::target() {
    return FindSession(monitor_, sid_);
}

void TLocksThread::Execute() {
    auto& running = monitor_.RunningFlag(wkLocks);
    running = true;
    try {
        // The groups go with the rows: groups of an earlier fetch would otherwise be shown beside
        // the rows of a fetch that failed half-way.
        Synchronize([this] {
            if (TRSession* s = target()) {
                s->Locks().rows.clear();
                s->Locks().groups.clear();
            }
        });
        Synchronize([this] { monitor_.Notify(monitor::ncLocksLoading); });
        // A terminate request that came while the UI thread ran the hand-over is honoured here:
        // the open would otherwise start the statement after its cancel has come.
        if (Terminated())
            throw monitor::EAbandon{};
        query_.Open();
        if (Terminated())
            throw monitor::EAbandon{};
        Synchronize([this] {
            std::vector<TLocksFieldType> scratch;
            TRSession* s = target();
            auto& rows = s ? s->Locks().rows : scratch;
            std::array<oradb::TField*, monitor::lfCount> fields{};
            for (std::size_t i = 0; i < fields.size(); ++i)
                fields[i] = &query_.FieldByName(kLockFieldNames[i]);
            for (; !query_.Eof() && !Terminated(); query_.Next()) {
                TLocksFieldType& row = rows.emplace_back();
                for (std::size_t i = 0; i < fields.size(); ++i)
                    row[i] = fields[i]->AsString();
            }
        });
        if (Terminated())
            throw monitor::EAbandon{};
        query_.Close();
        Synchronize([this] {
            TRSession* s = target();
            if (!s)
                return;
            if (GroupLocks(s->Locks().rows, s->Locks().groups, monitor_.SelectedSid,
                           [this] { return Terminated(); }))
                Stamp(s->Locks());
        });
        if (Terminated())
            throw monitor::EAbandon{};
        running = false;
        Synchronize([this] { monitor_.Notify(monitor::ncLocksStored); });
    } catch (...) {
        EndFailed(
            std::current_exception(), [&running] { running = false; },
            [this] { monitor_.Notify(monitor::ncLocksStored); });
    }
}

// ---- TSessLocksObserver ----

TSessLocksObserver::TSessLocksObserver(TPvConnection& monitor, monitor::TSessionListModel& lockList)
    : monitor_(monitor), lockList_(lockList) {
    lockList_.SetColumns({{QStringLiteral("Username"), 100},
                          {QStringLiteral("Sid"), -1},
                          {QStringLiteral("Lock Type"), 70},
                          {QStringLiteral("LMode"), 100},
                          {QStringLiteral("Request"), 70},
                          {QStringLiteral("CTime"), 100},
                          {QStringLiteral("Block"), -1},
                          {QStringLiteral("Id1"), -1},
                          {QStringLiteral("Id2"), -1}});
}

void TSessLocksObserver::RegisterThread(TPvConnection& monitor) {
    monitor.SetThreadFactory(wkLocks,
                             [](TPvConnection& m) -> std::unique_ptr<monitor::TWorkerThread> {
                                 return std::make_unique<TLocksThread>(m);
                             });
}

void TSessLocksObserver::SetActive(bool active) {
    active_ = active;
    monitor_.SetViewShown(wkLocks, active);
}

void TSessLocksObserver::Update(TPvConnection& monitor, int code) {
    (void)monitor;
    if (!Active() || monitor_.SelectedIndex == -1 || !monitor_.SelectedSession())
        return;
    if (code == monitor::ncLocksLoading)
        lockList_.SetRows({{"Loading...", {}, -1}});
    else if (code == monitor::ncLocksStored)
        render();
}

void TSessLocksObserver::render() {
    using namespace monitor;
    bool& rendering = monitor_.RenderingFlag(wkLocks);
    rendering = true;
    try {
        const TRLocks locks = monitor_.SelectedSession()->Locks();
        const std::string& sid = monitor_.SelectedSid;
        std::vector<TSessionListModel::Row> rows;
        auto row = [](const std::string& caption, const TLocksFieldType& l) {
            return TSessionListModel::Row{caption,
                                          {l[lfSid], l[lfType], l[lfLmode], l[lfRequest],
                                           l[lfCtime], l[lfBlock], l[lfId1], l[lfId2]},
                                          -1};
        };
        // A fetch that started meanwhile renders again when it has finished.
        bool cut = false;
        for (const TLocksFieldType& l : locks.rows) {
            if (l[lfSid] == "0" || l[lfSid] != sid)
                continue;
            if ((cut = monitor_.Running(wkLocks)))
                break;
            rows.push_back(row(l[lfUsername], l));
        }
        for (const TLocksArrayType& group : locks.groups) {
            if (cut || group.empty() || group.front()[lfSid] == "0")
                continue;
            for (std::size_t i = 0; i < group.size() && !cut; ++i) {
                if ((cut = monitor_.Running(wkLocks)))
                    break;
                rows.push_back(
                    row(i == 0 ? group[i][lfUsername] : kIndent + group[i][lfUsername], group[i]));
            }
        }
        lockList_.SetRows(std::move(rows));
        rendering = false;
    } catch (...) {
        rendering = false;
        util::appendAppLogSafely("Error: Refresh Locks Error");
    }
}

} // namespace detail
