// The blocking chains of the instance: who waits for whom, as a forest with the root blockers at
// the top and their waiters nested at any depth. The statements that read the chains (from
// v$session.blocking_session, or from v$lock pairs on instances before 10g), the building of the
// forest, which never loops on bad data, and the worker that reads the chains. The free
// functions may be called on any thread.
#pragma once

#include "monitor/Monitor.h"
#include "monitor/WorkerThread.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace oradb {
class TOraQuery;
}

namespace monitor {

// One session of a chain as the statements read it.
struct TBlockingSession {
    std::string sid, serial, username, machine, program, status;
    std::string waitSeconds; // seconds in the current wait
    std::string event;
    std::string object; // OWNER.NAME of the object it waits for, or that it holds locked
    std::string sqlId, sqlText;
    std::string blocker; // SID of the session it waits for; empty when none
};

struct TBlockingNode {
    TBlockingSession session;
    bool missing = false; // a blocker that the statements did not return: only its SID is known
    bool cycle = false;   // waits in a cycle (a deadlock, or rows read while they changed)
    std::vector<TBlockingNode> waiters;
};

// Builds the forest from the sessions that wait or block. Roots: the sessions that block others
// and wait for none, a placeholder for each blocker that the rows lack, and one session of each
// cycle of waits; each with its waiters nested below, ordered by SID. Every session appears
// exactly once, whatever links the rows hold (a session waiting for itself is no waiter).
std::vector<TBlockingNode> BuildBlockingTree(const std::vector<TBlockingSession>& sessions);

// How many sessions the forest holds, and its depth in levels (a root alone: 1).
int CountSessions(const std::vector<TBlockingNode>& forest);
int ForestDepth(const std::vector<TBlockingNode>& forest);

// v$session.blocking_session, v$session.sql_id and the wait columns of v$session exist from
// Oracle 10g on; an unknown version is taken to have them.
bool HasBlockingSessionColumn(const std::string& version);

// The statement that reads every session that waits for another or that others wait for, with
// the columns of TBlockingSession (sid, serial#, username, machine, program, status,
// seconds_in_wait, event, object_name as OWNER.NAME, sql_id, sql_text, blocker).
std::string BlockingSessionsSql(bool blockingSessionColumn);

// Runs BlockingSessionsSql on `query` and returns its rows (on any thread). Raises what the
// query raises.
std::vector<TBlockingSession> ReadBlockingSessions(oradb::TOraQuery& query,
                                                   bool blockingSessionColumn);

// The worker that reads the chains on a query of its own and hands the forest, or the error
// text, to `deliver` on the user-interface thread. Made and started on the UI thread.
class TBlockingTreeThread final : public TWorkerThread {
public:
    using TDeliver = std::function<void(std::vector<TBlockingNode> forest, std::string error)>;
    TBlockingTreeThread(TPvConnection& monitor, TDeliver deliver);
    ~TBlockingTreeThread() override;

protected:
    void Execute() override;
    void CancelRunningCall() override;

private:
    std::unique_ptr<oradb::TOraQuery> query_;
    bool blockingSessionColumn_;
    TDeliver deliver_;
};

} // namespace monitor
