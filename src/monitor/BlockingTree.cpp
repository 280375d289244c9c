#include "monitor/BlockingTree.h"

#include "monitor/SessionControl.h"
#include "oradb/OraError.h"
#include "oradb/OraNumber.h"
#include "oradb/OraQuery.h"

#include <algorithm>
#include <map>
#include <set>

namespace monitor {

namespace {

// SIDs in numeric order, texts that are not numbers after them in text order.
bool sidBefore(const std::string& a, const std::string& b) {
    const auto x = oradb::parseInteger(a), y = oradb::parseInteger(b);
    if (x && y)
        return *x < *y;
    if (x || y)
        return x.has_value();
    return a < b;
}

struct Builder {
    std::map<std::string, TBlockingSession> bySid;
    std::map<std::string, std::vector<std::string>> waitersOf; // blocker -> waiters
    std::set<std::string> visited;
    std::set<std::string> inCycle;

    TBlockingNode grow(const std::string& sid) {
        visited.insert(sid);
        TBlockingNode node;
        const auto it = bySid.find(sid);
        if (it == bySid.end()) {
            node.missing = true;
            node.session.sid = sid;
        } else {
            node.session = it->second;
        }
        node.cycle = inCycle.count(sid) > 0;
        const auto w = waitersOf.find(sid);
        if (w != waitersOf.end())
            for (const std::string& waiter : w->second)
                if (!visited.count(waiter))
                    node.waiters.push_back(grow(waiter));
        return node;
    }
};

int depthOf(const TBlockingNode& node) {
    int deepest = 0;
    for (const TBlockingNode& w : node.waiters)
        deepest = std::max(deepest, depthOf(w));
    return deepest + 1;
}

int countOf(const TBlockingNode& node) {
    int n = 1;
    for (const TBlockingNode& w : node.waiters)
        n += countOf(w);
    return n;
}

} // namespace

std::vector<TBlockingNode> BuildBlockingTree(const std::vector<TBlockingSession>& sessions) {
    Builder b;
    for (const TBlockingSession& s : sessions) {
        if (s.sid.empty())
            continue;
        TBlockingSession copy = s;
        if (copy.blocker == copy.sid)
            copy.blocker.clear();
        b.bySid.emplace(copy.sid, std::move(copy)); // the first row of a SID counts
    }
    for (const auto& [sid, s] : b.bySid)
        if (!s.blocker.empty())
            b.waitersOf[s.blocker].push_back(sid);
    for (auto& [blocker, waiters] : b.waitersOf)
        std::sort(waiters.begin(), waiters.end(), sidBefore);

    std::vector<std::string> roots;
    for (const auto& [blocker, waiters] : b.waitersOf) {
        const auto it = b.bySid.find(blocker);
        if (it == b.bySid.end() || it->second.blocker.empty())
            roots.push_back(blocker);
    }
    std::sort(roots.begin(), roots.end(), sidBefore);
    std::vector<TBlockingNode> forest;
    for (const std::string& root : roots)
        forest.push_back(b.grow(root));

    // What is left waits, directly or through others, on a cycle: each cycle gives one root (its
    // member with the lowest SID), the rest hangs below it.
    std::vector<std::string> left;
    for (const auto& [sid, s] : b.bySid)
        if (!s.blocker.empty() && !b.visited.count(sid))
            left.push_back(sid);
    std::sort(left.begin(), left.end(), sidBefore);
    for (const std::string& start : left) {
        if (b.visited.count(start))
            continue;
        // Follow the blockers until one repeats: from there on the path is the cycle.
        std::vector<std::string> path;
        std::set<std::string> seen;
        std::string at = start;
        while (!seen.count(at)) {
            seen.insert(at);
            path.push_back(at);
            const auto it = b.bySid.find(at);
            if (it == b.bySid.end() || it->second.blocker.empty())
                break; // cannot happen: such a chain ends at a root that was grown
            at = it->second.blocker;
        }
        auto from = std::find(path.begin(), path.end(), at);
        if (from == path.end())
            from = path.begin();
        std::vector<std::string> cycle(from, path.end());
        for (const std::string& member : cycle)
            b.inCycle.insert(member);
        forest.push_back(b.grow(*std::min_element(cycle.begin(), cycle.end(), sidBefore)));
    }
    return forest;
}

int CountSessions(const std::vector<TBlockingNode>& forest) {
    int n = 0;
    for (const TBlockingNode& node : forest)
        n += countOf(node);
    return n;
}

int ForestDepth(const std::vector<TBlockingNode>& forest) {
    int deepest = 0;
    for (const TBlockingNode& node : forest)
        deepest = std::max(deepest, depthOf(node));
    return deepest;
}

bool HasBlockingSessionColumn(const std::string& version) {
    const int major = MajorVersion(version);
    return major == 0 || major >= 10;
}

std::string BlockingSessionsSql(bool blockingSessionColumn) {
    // The object: what a waiter waits for (row_wait_obj#, which means nothing outside a lock
    // wait), else the first object the session holds locked (v$locked_object), so that a root
    // blocker shows what it holds.
    const std::string object =
        "nvl((select o.owner||'.'||o.object_name from dba_objects o where o.object_id="
        "s.row_wait_obj# and s.row_wait_obj#>0 and s.lockwait is not null),(select "
        "min(o.owner||'.'||o.object_name) from "
        "v$locked_object lo,dba_objects o where lo.session_id=s.sid and o.object_id=lo.object_id))"
        " object_name";
    if (blockingSessionColumn)
        return "select s.sid,s.serial#,s.username,s.machine,s.program,s.status,s.seconds_in_wait,"
               "s.event," +
               object +
               ",s.sql_id,(select max(a.sql_text) from v$sqlarea a where a.sql_id=s.sql_id) "
               "sql_text,s.blocking_session blocker from v$session s where s.blocking_session is "
               "not null or s.sid in (select blocking_session from v$session where "
               "blocking_session is not null)";
    // Before 10g: a waiter requests a lock (request>0) that a holder holds and blocks with
    // (block=1) on the same type and id1/id2; the waits are in v$session_wait.
    return "select s.sid,s.serial#,s.username,s.machine,s.program,s.status,w.seconds_in_wait,"
           "w.event," +
           object +
           ",null sql_id,(select max(a.sql_text) from v$sqlarea a where a.address=s.sql_address "
           "and a.hash_value=s.sql_hash_value) sql_text,(select min(h.sid) from v$lock h,v$lock "
           "r where r.sid=s.sid and r.request>0 and h.block=1 and h.type=r.type and h.id1=r.id1 "
           "and h.id2=r.id2 and h.sid<>s.sid) blocker from v$session s,v$session_wait w where "
           "w.sid=s.sid and s.sid in (select sid from v$lock where block=1 or request>0)";
}

std::vector<TBlockingSession> ReadBlockingSessions(oradb::TOraQuery& query,
                                                   bool blockingSessionColumn) {
    query.SQL.Clear();
    query.SQL.Add(BlockingSessionsSql(blockingSessionColumn));
    query.Open();
    std::vector<TBlockingSession> rows;
    oradb::TField* fields[12] = {&query.FieldByName("sid"),
                                 &query.FieldByName("serial#"),
                                 &query.FieldByName("username"),
                                 &query.FieldByName("machine"),
                                 &query.FieldByName("program"),
                                 &query.FieldByName("status"),
                                 &query.FieldByName("seconds_in_wait"),
                                 &query.FieldByName("event"),
                                 &query.FieldByName("object_name"),
                                 &query.FieldByName("sql_id"),
                                 &query.FieldByName("sql_text"),
                                 &query.FieldByName("blocker")};
    for (; !query.Eof(); query.Next()) {
        TBlockingSession s;
        std::string* into[12] = {&s.sid,     &s.serial, &s.username,    &s.machine,
                                 &s.program, &s.status, &s.waitSeconds, &s.event,
                                 &s.object,  &s.sqlId,  &s.sqlText,     &s.blocker};
        for (int i = 0; i < 12; ++i)
            *into[i] = fields[i]->AsString();
        rows.push_back(std::move(s));
    }
    query.Close();
    return rows;
}

// ---- TBlockingTreeThread ----

TBlockingTreeThread::TBlockingTreeThread(TPvConnection& monitor, TDeliver deliver)
    : query_(std::make_unique<oradb::TOraQuery>(monitor.Session())),
      blockingSessionColumn_(HasBlockingSessionColumn(monitor.InstanceVersion)),
      deliver_(std::move(deliver)) {}

TBlockingTreeThread::~TBlockingTreeThread() {
    StopAndWait();
}

void TBlockingTreeThread::CancelRunningCall() {
    query_->Cancel();
}

void TBlockingTreeThread::Execute() {
    std::vector<TBlockingNode> forest;
    std::string error;
    try {
        if (Terminated())
            return;
        forest = BuildBlockingTree(ReadBlockingSessions(*query_, blockingSessionColumn_));
    } catch (const std::exception& e) {
        query_->Close();
        if (Terminated())
            return; // a disconnect or close ended the read: nothing to tell
        error = e.what();
    }
    if (Terminated())
        return;
    Synchronize([&] { deliver_(std::move(forest), std::move(error)); });
}

} // namespace monitor
