// The simulated sessions of the sandbox instance: what one session looks like in every
// session-level view (v$session, v$sesstat, v$session_event, v$session_wait, v$open_cursor,
// v$lock), how it logs on, changes its current activity, opens and closes cursors, starts and
// ends transactions, and how a blocking chain of TX locks forms and clears. Used by the seeding
// and by the simulator; holds reference data and prepared statements for one operation only.
#pragma once

#include "sandbox/CatalogSupport.h"

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace oradb::sandbox::detail {

struct StatDef {
    std::int64_t number = 0;
    std::string name;
    int cls = 0;
    std::int64_t scale = 0; // typical value after an hour of moderate activity; 0: mostly zero
};

struct EventDef {
    std::string name;
    std::string category; // idle, net, io, lock, other, timer
    std::string p1text, p2text, p3text;
    std::int64_t systemWaits = 0;
    double averageCs = 0;    // average wait in hundredths of a second
    int sessionPermille = 0; // how many user sessions in 1000 have waited on it
    std::int64_t sessionWaits = 0;
};

struct Profile {
    std::string username;
    int weight = 1;
    std::vector<std::string> osusers, machines, terminals, programs, processes, modules, actions,
        clientInfos;
};

struct BackgroundDef {
    std::string name;
    std::string event;
    std::int64_t p1 = 0, p2 = 0, p3 = 0;
    std::int64_t secondsInWait = 0;
    std::vector<std::string> otherEvents;
};

struct SqlStatement {
    std::string address;
    std::uint32_t hash = 0;
    int commandType = 0;
    std::string schema;
    std::string text;
    std::string sqlId;
};

struct Extent {
    std::int64_t objectId = 0;
    std::string owner;
    std::string segment;
    std::string type;
    std::int64_t fileId = 0;
    std::int64_t blockId = 0;
    std::int64_t blocks = 0;
};

// The statistic and event definitions of the data files.
std::vector<StatDef> loadStatDefs();
std::vector<EventDef> loadEventDefs();
std::vector<BackgroundDef> loadBackgroundDefs();

// The address v$session shows for a session slot: fixed per sid, as Oracle's session array is.
std::string sessionAddress(std::int64_t sid);

// The smallest sid that no session uses.
std::int64_t freeSid(sqlite3* db);

struct WaitState;

class Workload {
public:
    // Loads the reference data: the data files, and from the database the statement pool
    // (v$sqlarea), the extents of dba_extents with their objects, users and statistics.
    Workload(sqlite3* db, std::int64_t clock);
    ~Workload();
    Workload(const Workload&) = delete;
    Workload& operator=(const Workload&) = delete;

    std::int64_t clock() const { return clock_; }
    const std::vector<StatDef>& stats() const { return stats_; }
    // Sums of the statistic values of the sessions logged on through this object, by index
    // of stats().
    const std::vector<std::int64_t>& statTotals() const { return statTotals_; }

    // Logs on a background process at `sid` (free), logged on since `startup`.
    void logonBackground(Rng& rng, std::int64_t sid, const BackgroundDef& def,
                         std::int64_t startup);
    // Logs on a user session of a weighted random application at `sid` (free), connected
    // for `ageSeconds`.
    void logonUser(Rng& rng, std::int64_t sid, std::int64_t ageSeconds);
    // Logs on the session of a real connection at `sid` (free), idle, logged on now.
    SessionId logonConnection(std::int64_t sid, const NewSession& session);

    // Current activity of a user session: idle at SQL*Net message from client, on CPU, or in a
    // single- or multi-block read of a random extent.
    enum class Activity { Idle, Cpu, Io };
    void setActivity(Rng& rng, std::int64_t sid, Activity activity);

    void openCursor(Rng& rng, std::int64_t sid);
    void closeCursor(Rng& rng, std::int64_t sid);

    // Starts a transaction of the session on a table of its schema (TM row-exclusive and TX
    // exclusive locks); false when its schema has no table or it already has locks.
    bool beginTransaction(Rng& rng, std::int64_t sid);
    // Commits: the session's TM and TX locks go.
    void endTransaction(std::int64_t sid);

    // Forms a blocking chain: the first free candidate holds a TX lock in exclusive mode, the
    // next two wait for it in enqueue waits. False when fewer than three candidates without
    // locks exist. With `tree`, and six candidates free, the holder gets a third waiter and
    // the chain goes three levels deeper: the first waiter holds a transaction of its own that
    // a fourth session waits for, whose own transaction a fifth waits for.
    bool formChain(Rng& rng, const std::vector<std::int64_t>& candidates, bool tree = false);
    // The holders commit; their waiters go on working.
    void clearChains(Rng& rng);
    // A lock pile-up: up to `count` more of `candidates` (sessions without locks) run into the
    // row that the first root holder locks, until clearChains. Returns how many joined.
    int pileUp(Rng& rng, const std::vector<std::int64_t>& candidates, int count);
    // Waiters whose blocker has gone get the lock themselves (the first of each group) or go
    // on waiting for that new holder.
    void resolveOrphanWaiters(Rng& rng);

    // Ends the session's current call as a cancel does: a lock request goes (with the
    // statement's TM lock when the session holds no transaction of its own) and the session
    // goes idle. False when the session was not ACTIVE.
    bool cancelCall(Rng& rng, std::int64_t sid);

    // Adds the work of one tick to the session's statistics and to `systemDeltas`
    // (statistic# -> delta for v$sysstat).
    void growStatistics(Rng& rng, std::int64_t sid, bool light,
                        std::map<std::int64_t, std::int64_t>& systemDeltas);

    // Inserts a lock row with fresh addresses; returns its kaddr.
    std::string insertLock(std::int64_t sid, const char* type, std::int64_t id1, std::int64_t id2,
                           int lmode, int request, std::int64_t ctime, int block);

    // The user ids of dba_users by name (-1 when unknown).
    std::int64_t userId(const std::string& username) const;

    // Waits finished through this object, by event: count and hundredths of a second, for
    // v$system_event.
    struct EventTotals {
        std::int64_t waits = 0;
        std::int64_t time = 0;
    };
    const std::map<std::string, EventTotals>& eventDeltas() const { return eventDeltas_; }

private:
    struct SessionRow;
    struct Prepared;

    const Profile& pickProfile(Rng& rng) const;
    // Next value of a counter kept in sbx_meta (starting at `first`).
    std::int64_t nextCounter(const char* key, std::int64_t first);
    std::int64_t nextSerial(Rng& rng);
    std::string nextProcessAddress();
    std::vector<const SqlStatement*> statementsOf(const std::string& schema) const;
    const SqlStatement* statementAt(const std::string& address) const;
    const Extent& pickExtent(Rng& rng) const;
    void fillActivity(Rng& rng, SessionRow& row, Activity activity, std::int64_t ageSeconds);
    // `waiter` runs an update that waits for the row of `table` that transaction id1/seq locks
    // (held for `heldFor` seconds); returns the seconds it has waited.
    std::int64_t waitForRow(Rng& rng, std::int64_t waiter, const Extent& table, std::int64_t id1,
                            std::int64_t seq, std::int64_t heldFor, bool withTableLock);
    void insertSession(const SessionRow& row);
    // Binds v$session's sql_exec_start and sql_exec_id for the session's row.
    void bindExecution(Stmt& q, const SessionRow& row) const;
    void insertStatistics(Rng& rng, std::int64_t sid, double activity, bool background,
                          std::int64_t openCursors);
    void insertEvents(Rng& rng, std::int64_t sid, double activity,
                      const std::vector<std::string>& names, const std::string& current);
    const EventDef* eventDef(const std::string& name) const;
    void writeWait(std::int64_t sid, const WaitState& wait);
    void addEventWait(std::int64_t sid, const std::string& event, std::int64_t timeCs);
    // Opens a cursor on the statement unless the session has one; true when it opened one.
    bool ensureCursor(std::int64_t sid, const SqlStatement& statement);
    void releaseWaiter(Rng& rng, std::int64_t sid);
    std::int64_t statNumber(const char* name) const;

    sqlite3* db_;
    std::int64_t clock_;
    std::vector<StatDef> stats_;
    std::vector<std::int64_t> statTotals_;
    std::vector<EventDef> events_;
    std::vector<Profile> profiles_;
    int totalWeight_ = 0;
    std::vector<SqlStatement> statements_;
    std::vector<Extent> extents_;
    std::vector<Extent> tables_; // first extent of each table with a segment
    std::map<std::string, std::int64_t> users_;
    std::map<std::string, std::int64_t> statNumbers_;
    std::map<std::string, std::size_t> statIndex_;
    std::map<std::string, std::int64_t> counters_;
    std::map<std::string, EventTotals> eventDeltas_;
    std::unique_ptr<Prepared> prepared_;
};

} // namespace oradb::sandbox::detail
