// What simulated sessions do after logging on: current activity and waits, cursors, statistics,
// transactions and blocking chains.
#include "sandbox/Workload.h"
#include "sandbox/WorkloadPrepared.h"

#include <algorithm>
#include <sqlite3.h>

namespace oradb::sandbox::detail {

namespace {

constexpr std::uint64_t kTransactionBase = 0x000000038F2A0000ULL;
constexpr std::uint64_t kTransactionSize = 0x1D8;

// The columns a logon writes, its first wait included; the others keep their defaults. Later
// changes of the wait reach v$session through the catalog's trigger on v$session_wait.
const char* const kSessionInsert =
    "insert into \"v$session\" (saddr, sid, \"serial#\", audsid, paddr, \"user#\", username,"
    " command, ownerid, taddr, lockwait, status, server, \"schema#\", schemaname, osuser,"
    " process, machine, terminal, program, type, sql_address, sql_hash_value, sql_id,"
    " sql_child_number, sql_exec_start, sql_exec_id, prev_sql_addr, prev_hash_value, prev_sql_id, "
    "prev_child_number, module,"
    " module_hash, action, action_hash, client_info, fixed_table_sequence, \"row_wait_obj#\","
    " \"row_wait_file#\", \"row_wait_block#\", \"row_wait_row#\", logon_time, last_call_et,"
    " pdml_enabled, failover_type, failover_method, failed_over, resource_consumer_group,"
    " pdml_status, pddl_status, pq_status, current_queue_duration, client_identifier,"
    " service_name, \"seq#\", \"event#\", event, p1text, p1, p1raw, p2text, p2, p2raw, p3text,"
    " p3, p3raw, wait_class_id, \"wait_class#\", wait_class, wait_time, seconds_in_wait, state,"
    " wait_time_micro, time_remaining_micro, time_since_last_wait_micro,"
    " blocking_session_status, final_blocking_session_status) values ("
    " ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?,"
    " ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?,"
    " ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)";

bool hasLocks(sqlite3* db, std::int64_t sid) {
    Stmt q(db, "select 1 from \"v$lock\" where sid = ? limit 1");
    q.bind(sid);
    return q.step();
}

std::string usernameOf(sqlite3* db, std::int64_t sid) {
    Stmt q(db, "select username from \"v$session\" where sid = ?");
    q.bind(sid);
    return q.step() ? q.text(0) : std::string();
}

} // namespace

std::string Workload::Prepared::statisticsInsert(std::size_t statCount) {
    std::string s = "insert into \"v$sesstat\" (sid, \"statistic#\", value) values ";
    for (std::size_t i = 0; i < statCount; ++i)
        s += i == 0 ? "(?, ?, ?)" : ", (?, ?, ?)";
    return s;
}

Workload::Prepared::Prepared(sqlite3* db, std::size_t statCount)
    : statisticsSql(statisticsInsert(statCount)), insertSession(db, kSessionInsert),
      insertWait(db, "insert into \"v$session_wait\" values (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?,"
                     " ?, ?, ?, ?, ?, ?, ?, ?, ?, 0)"),
      insertCursor(db, "insert into \"v$open_cursor\" (saddr, sid, user_name, address,"
                       " hash_value, sql_id, sql_text, last_sql_active_time, child_address)"
                       " values (?, ?, ?, ?, ?, ?, ?, ?, ?)"),
      insertEvent(db, "insert into \"v$session_event\" values (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?,"
                      " 0)"),
      insertStatistics(db, statisticsSql.c_str()),
      addStatistic(db, "update \"v$sesstat\" set value = value + ? where sid = ? and"
                       " \"statistic#\" = ?"),
      addEventWait(db, "update \"v$session_event\" set total_waits = total_waits + 1,"
                       " time_waited = time_waited + ?1, time_waited_micro ="
                       " time_waited_micro + ?1 * 10000, average_wait = round((time_waited +"
                       " ?1) * 1.0 / (total_waits + 1), 2), max_wait = max(max_wait, ?1)"
                       " where sid = ?2 and event = ?3"),
      insertEventWait(db, "insert into \"v$session_event\" values (?, ?, 1, 0, ?, ?, ?, ?, ?,"
                          " ?, ?, ?, 0)"),
      updateWait(db, "update \"v$session_wait\" set \"seq#\" = (\"seq#\" + 1) % 65536,"
                     " event = ?, p1text = ?, p1 = ?, p1raw = ?, p2text = ?, p2 = ?, p2raw = ?,"
                     " p3text = ?, p3 = ?, p3raw = ?, wait_time = ?, seconds_in_wait = ?,"
                     " state = ? where sid = ?"),
      metaGet(db, "select value from sbx_meta where key = ?"),
      metaSet(db, "insert or replace into sbx_meta (key, value) values (?, ?)"),
      insertLock(db, "insert into \"v$lock\" values (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, 0)") {}

const EventDef* Workload::eventDef(const std::string& name) const {
    for (const EventDef& e : events_) {
        if (e.name == name)
            return &e;
    }
    return nullptr;
}

void Workload::writeWait(std::int64_t sid, const WaitState& wait) {
    const EventDef* def = eventDef(wait.event);
    Stmt& q = prepared_->updateWait;
    q.bind(wait.event);
    q.bind(def ? def->p1text : std::string()).bind(wait.p1).bind(hex64(wait.p1));
    q.bind(def ? def->p2text : std::string()).bind(wait.p2).bind(hex64(wait.p2));
    q.bind(def ? def->p3text : std::string()).bind(wait.p3).bind(hex64(wait.p3));
    q.bind(wait.waitTime).bind(wait.secondsInWait).bind(wait.state).bind(sid).run();
}

void Workload::addEventWait(std::int64_t sid, const std::string& event, std::int64_t timeCs) {
    Stmt& q = prepared_->addEventWait;
    q.bind(timeCs).bind(sid).bind(event).run();
    if (sqlite3_changes(db_) == 0) {
        Stmt& insert = prepared_->insertEventWait;
        insert.bind(sid).bind(event).bind(timeCs).bind(static_cast<double>(timeCs));
        insert.bind(timeCs).bind(timeCs * 10000);
        const EventDef* def = eventDef(event);
        const WaitClass wc = waitClassOf(event, def ? def->category : std::string());
        insert.bind(unsignedHash(statementHash(event))).bind(wc.id).bind(wc.number);
        insert.bind(wc.name).run();
    }
    EventTotals& totals = eventDeltas_[event];
    ++totals.waits;
    totals.time += timeCs;
}

bool Workload::ensureCursor(std::int64_t sid, const SqlStatement& statement) {
    Stmt q(db_, "select 1 from \"v$open_cursor\" where sid = ? and address = ?");
    q.bind(sid).bind(statement.address);
    if (q.step())
        return false;
    const std::string user = usernameOf(db_, sid);
    Stmt& c = prepared_->insertCursor;
    c.bind(sessionAddress(sid)).bind(sid);
    user.empty() ? c.bindNull() : c.bind(user);
    c.bind(statement.address).bind(unsignedHash(statement.hash)).bind(statement.sqlId);
    c.bind(statement.text.substr(0, 60)).bind(formatTime(clock_)).bind(statement.address).run();
    return true;
}

void Workload::setActivity(Rng& rng, std::int64_t sid, Activity activity) {
    Stmt s(db_, "select status, sql_address, last_call_et from \"v$session\" where sid = ?");
    s.bind(sid);
    if (!s.step())
        return;
    const bool wasIdle = s.text(0) == "INACTIVE";
    const SqlStatement* old = statementAt(s.text(1));
    const std::int64_t oldLastCall = s.integer(2);

    std::vector<const SqlStatement*> cursors;
    Stmt c(db_, "select address from \"v$open_cursor\" where sid = ? order by rowid");
    c.bind(sid);
    while (c.step()) {
        if (const SqlStatement* st = statementAt(c.text(0)))
            cursors.push_back(st);
    }

    SessionRow r;
    r.sid = sid;
    r.current = old;
    if (activity != Activity::Idle && !cursors.empty())
        r.current = rng.pick(cursors);
    r.previous = old ? old : r.current;
    fillActivity(rng, r, activity, 0);
    if (activity == Activity::Idle && wasIdle) {
        // Still idle: only time goes on.
        Stmt u(db_, "update \"v$session\" set last_call_et = ? where sid = ?");
        u.bind(oldLastCall + kSecondsPerTick).bind(sid).run();
        Stmt w(db_, "update \"v$session_wait\" set seconds_in_wait = ? where sid = ?");
        w.bind(oldLastCall + kSecondsPerTick).bind(sid).run();
        return;
    }
    Stmt u(db_, "update \"v$session\" set status = ?, command = ?, sql_address = ?,"
                " sql_hash_value = ?, sql_id = ?, sql_child_number = ?, sql_exec_start = ?,"
                " sql_exec_id = ?, prev_sql_addr = ?,"
                " prev_hash_value = ?, prev_sql_id = ?, prev_child_number = ?, last_call_et = ?,"
                " \"row_wait_obj#\" = ?, \"row_wait_file#\" = ?, \"row_wait_block#\" = ?,"
                " \"row_wait_row#\" = 0 where sid = ?");
    u.bind(r.status).bind(r.command);
    u.bind(r.current ? r.current->address : std::string("00"));
    u.bind(r.current ? unsignedHash(r.current->hash) : 0);
    r.current ? u.bind(r.current->sqlId) : u.bindNull();
    r.current ? u.bind(0) : u.bindNull();
    bindExecution(u, r);
    u.bind(r.previous ? r.previous->address : std::string("00"));
    u.bind(r.previous ? unsignedHash(r.previous->hash) : 0);
    r.previous ? u.bind(r.previous->sqlId) : u.bindNull();
    r.previous ? u.bind(0) : u.bindNull();
    u.bind(r.lastCallEt).bind(r.rowWaitObj).bind(r.rowWaitFile).bind(r.rowWaitBlock);
    u.bind(sid).run();
    // The wait the session was in has ended: it counts in its events.
    Stmt prev(db_, "select event, seconds_in_wait from \"v$session_wait\" where sid = ?");
    prev.bind(sid);
    if (prev.step() && !prev.text(0).empty()) {
        const std::string event = prev.text(0);
        const EventDef* def = eventDef(event);
        const double average = def ? def->averageCs : 0.0;
        const std::int64_t time = def && def->category == "idle"
                                      ? prev.integer(1) * 100 + rng.range(0, 99)
                                      : static_cast<std::int64_t>(average * 2 * rng.unit());
        prev.reset();
        addEventWait(sid, event, time);
    }
    writeWait(sid, r.wait);
    if (activity != Activity::Idle && r.current) {
        Stmt x(db_, "update \"v$sqlarea\" set executions = executions + 1, parse_calls ="
                    " parse_calls + ?, fetches = fetches + ?, buffer_gets = buffer_gets + ?,"
                    " disk_reads = disk_reads + ?, rows_processed = rows_processed + ?,"
                    " sorts = sorts + ?, cpu_time = cpu_time + ?, elapsed_time = elapsed_time"
                    " + ? where address = ?");
        const std::int64_t gets = rng.range(3, 4000);
        const std::int64_t cpu = rng.range(100, 90000);
        const bool sorts = r.current->text.find("ORDER BY") != std::string::npos ||
                           r.current->text.find("GROUP BY") != std::string::npos;
        x.bind(rng.range(0, 1)).bind(rng.range(1, 3)).bind(gets).bind(gets * rng.range(0, 5) / 100);
        x.bind(rng.range(0, 40)).bind(sorts ? 1 : 0).bind(cpu).bind(cpu + rng.range(0, 200000));
        x.bind(r.current->address).run();
    }
}

void Workload::openCursor(Rng& rng, std::int64_t sid) {
    std::vector<const SqlStatement*> pool = statementsOf(usernameOf(db_, sid));
    if (pool.empty())
        return;
    const SqlStatement* s = rng.pick(pool);
    if (!ensureCursor(sid, *s))
        return;
    const std::int64_t current = statNumber("opened cursors current");
    const std::int64_t cumulative = statNumber("opened cursors cumulative");
    Stmt& add = prepared_->addStatistic;
    add.bind(1).bind(sid).bind(current).run();
    add.bind(1).bind(sid).bind(cumulative).run();
    Stmt u(db_, "update \"v$sqlarea\" set users_opening = users_opening + 1, open_versions = 1,"
                " parse_calls = parse_calls + 1 where address = ?");
    u.bind(s->address).run();
}

void Workload::closeCursor(Rng& rng, std::int64_t sid) {
    Stmt q(db_, "select oc.rowid, oc.address from \"v$open_cursor\" oc, \"v$session\" s where"
                " oc.sid = ? and s.sid = oc.sid and oc.address <> s.sql_address order by"
                " oc.rowid");
    q.bind(sid);
    std::vector<std::pair<std::int64_t, std::string>> rows;
    while (q.step())
        rows.emplace_back(q.integer(0), q.text(1));
    if (rows.empty())
        return;
    const auto& [rowid, address] = rng.pick(rows);
    Stmt d(db_, "delete from \"v$open_cursor\" where rowid = ?");
    d.bind(rowid).run();
    prepared_->addStatistic.bind(-1).bind(sid).bind(statNumber("opened cursors current")).run();
    Stmt u(db_, "update \"v$sqlarea\" set users_opening = max(users_opening - 1, 0) where"
                " address = ?");
    u.bind(address).run();
}

bool Workload::beginTransaction(Rng& rng, std::int64_t sid) {
    if (hasLocks(db_, sid))
        return false;
    const std::string user = usernameOf(db_, sid);
    std::vector<Extent> own;
    for (const Extent& t : tables_) {
        if (t.owner == user)
            own.push_back(t);
    }
    if (own.empty())
        return false;
    const Extent& table = rng.pick(own);
    const std::int64_t ctime = rng.range(0, 600);
    const std::int64_t seq = nextCounter("tx_seq", 21000);
    const std::int64_t id1 = (rng.range(1, 10) << 16) | rng.range(0, 47);
    insertLock(sid, "TM", table.objectId, 0, 3, 0, ctime, 0);
    insertLock(sid, "TX", id1, seq, 6, 0, ctime, 0);
    Stmt u(db_, "update \"v$session\" set taddr = ? where sid = ?");
    u.bind(hex64(kTransactionBase + static_cast<std::uint64_t>(seq) * kTransactionSize));
    u.bind(sid).run();
    return true;
}

void Workload::endTransaction(std::int64_t sid) {
    Stmt d(db_, "delete from \"v$lock\" where sid = ? and type in ('TM', 'TX')");
    d.bind(sid).run();
    Stmt u(db_, "update \"v$session\" set taddr = null where sid = ?");
    u.bind(sid).run();
}

bool Workload::formChain(Rng& rng, const std::vector<std::int64_t>& candidates, bool tree) {
    if (tables_.empty() || candidates.size() < 3)
        return false;
    // Up to a dozen candidates without locks, by user, so that one application's sessions
    // block each other where possible.
    std::map<std::string, std::vector<std::int64_t>> byUser;
    std::vector<std::int64_t> any;
    for (int attempt = 0; attempt < 64 && any.size() < 12; ++attempt) {
        const std::int64_t sid = rng.pick(candidates);
        if (std::find(any.begin(), any.end(), sid) != any.end() || hasLocks(db_, sid))
            continue;
        any.push_back(sid);
        byUser[usernameOf(db_, sid)].push_back(sid);
    }
    if (any.size() < 3)
        return false;
    tree = tree && any.size() >= 6;
    const std::size_t needed = tree ? 6 : 3;
    std::vector<std::int64_t> chosen = any;
    for (const auto& [user, sids] : byUser) {
        const bool hasTables = std::any_of(tables_.begin(), tables_.end(),
                                           [&](const Extent& t) { return t.owner == user; });
        if (sids.size() >= needed && hasTables) {
            chosen = sids;
            break;
        }
    }
    const std::int64_t holder = chosen[0];
    const std::string user = usernameOf(db_, holder);
    std::vector<Extent> own;
    for (const Extent& t : tables_) {
        if (t.owner == user)
            own.push_back(t);
    }
    const Extent table = own.empty() ? rng.pick(tables_) : rng.pick(own);

    struct Held {
        std::int64_t id1 = 0, seq = 0, ctime = 0;
    };
    // A transaction of `sid` on the table, held in exclusive mode and blocking others.
    auto hold = [&](std::int64_t sid, std::int64_t ctime, bool withTableLock) {
        Held h;
        h.ctime = ctime;
        h.seq = nextCounter("tx_seq", 21000);
        h.id1 = (rng.range(1, 10) << 16) | rng.range(0, 47);
        if (withTableLock)
            insertLock(sid, "TM", table.objectId, 0, 3, 0, ctime, 0);
        insertLock(sid, "TX", h.id1, h.seq, 6, 0, ctime, 1);
        Stmt t(db_, "update \"v$session\" set taddr = ? where sid = ?");
        t.bind(hex64(kTransactionBase + static_cast<std::uint64_t>(h.seq) * kTransactionSize));
        t.bind(sid).run();
        return h;
    };
    const Held first = hold(holder, rng.range(120, 900), true);
    Stmt h(db_, "update \"v$session\" set status = 'INACTIVE', command = 0,"
                " sql_exec_start = null, sql_exec_id = null,"
                " last_call_et = ?, lockwait = null where sid = ?");
    h.bind(first.ctime).bind(holder).run();
    writeWait(holder,
              {"SQL*Net message from client", kSqlNetDriverId, 1, 0, 0, first.ctime, "WAITING"});

    // `waiter` runs an update that waits for the row `held` locks.
    auto wait = [&](std::int64_t waiter, const Held& held, bool withTableLock) {
        return waitForRow(rng, waiter, table, held.id1, held.seq, held.ctime, withTableLock);
    };
    if (!tree) {
        for (std::size_t i = 1; i < 3; ++i)
            wait(chosen[i], first, true);
        return true;
    }
    // holder <- 1, 2, 3; 1 <- 4; 4 <- 5: each middle session took its own row lock earlier in
    // its transaction, then ran into the row of the session above it.
    const Held second = hold(chosen[1], first.ctime, true);
    wait(chosen[1], first, false);
    wait(chosen[2], first, true);
    wait(chosen[3], first, true);
    const Held third = hold(chosen[4], second.ctime, true);
    wait(chosen[4], second, false);
    wait(chosen[5], third, true);
    return true;
}

std::int64_t Workload::waitForRow(Rng& rng, std::int64_t waiter, const Extent& table,
                                  std::int64_t id1, std::int64_t seq, std::int64_t heldFor,
                                  bool withTableLock) {
    std::vector<const SqlStatement*> updates;
    for (const SqlStatement& s : statements_) {
        if (s.commandType == 6)
            updates.push_back(&s);
    }
    const std::int64_t waited = rng.range(5, std::max<std::int64_t>(heldFor, 5));
    if (withTableLock)
        insertLock(waiter, "TM", table.objectId, 0, 3, 0, waited, 0);
    const std::string kaddr = insertLock(waiter, "TX", id1, seq, 0, 6, waited, 0);
    const std::string waiterUser = usernameOf(db_, waiter);
    const SqlStatement* statement = nullptr;
    for (const SqlStatement* s : updates) {
        if (s->schema == waiterUser || (!statement && s->schema == table.owner))
            statement = s;
    }
    if (!statement && !updates.empty())
        statement = updates.front();
    Stmt w(db_, "update \"v$session\" set status = 'ACTIVE', lockwait = ?, command = 6,"
                " sql_address = ?, sql_hash_value = ?, sql_id = ?, sql_child_number = 0,"
                " sql_exec_start = datetime(?, '-' || ? || ' seconds'), sql_exec_id ="
                " 16777216 + sid, last_call_et = ?, \"row_wait_obj#\" ="
                " ?, \"row_wait_file#\" = ?, \"row_wait_block#\" = ?, \"row_wait_row#\" = ?"
                " where sid = ?");
    w.bind(kaddr);
    w.bind(statement ? statement->address : std::string("00"));
    w.bind(statement ? unsignedHash(statement->hash) : 0);
    statement ? w.bind(statement->sqlId) : w.bindNull();
    w.bind(formatTime(clock_)).bind(waited);
    w.bind(waited).bind(table.objectId).bind(table.fileId);
    w.bind(table.blockId + rng.below(table.blocks)).bind(rng.range(0, 60)).bind(waiter).run();
    if (statement)
        ensureCursor(waiter, *statement);
    writeWait(waiter, {kRowLockEvent, kEnqueueTxMode6, id1, seq, 0, waited, "WAITING"});
    addEventWait(waiter, kRowLockEvent, rng.range(10, 300));
    return waited;
}

int Workload::pileUp(Rng& rng, const std::vector<std::int64_t>& candidates, int count) {
    // The first root holder: it blocks others and waits for nobody.
    Stmt q(db_, "select l.sid, l.id1, l.id2, l.ctime from \"v$lock\" l where l.type = 'TX' and"
                " l.block = 1 and l.sid not in (select sid from sbx_connections) and l.sid not in"
                " (select sid from \"v$lock\" where request > 0) order by l.sid limit 1");
    if (!q.step())
        return 0;
    const std::int64_t holder = q.integer(0), id1 = q.integer(1), seq = q.integer(2),
                       ctime = q.integer(3);
    // The table of the holder's transaction, from its TM lock.
    const Extent* table = nullptr;
    Stmt tm(db_, "select id1 from \"v$lock\" where sid = ? and type = 'TM' order by id1");
    tm.bind(holder);
    while (!table && tm.step()) {
        for (const Extent& t : tables_)
            if (t.objectId == tm.integer(0))
                table = &t;
    }
    if (!table)
        return 0;
    int joined = 0;
    for (const std::int64_t sid : candidates) {
        if (joined == count)
            break;
        if (sid == holder || hasLocks(db_, sid))
            continue;
        waitForRow(rng, sid, *table, id1, seq, ctime, true);
        ++joined;
    }
    return joined;
}

bool Workload::cancelCall(Rng& rng, std::int64_t sid) {
    Stmt s(db_, "select status from \"v$session\" where sid = ?");
    s.bind(sid);
    if (!s.step() || s.text(0) != "ACTIVE")
        return false;
    Stmt d(db_, "delete from \"v$lock\" where sid = ? and request > 0");
    d.bind(sid).run();
    Stmt held(db_, "select count(*) from \"v$lock\" where sid = ? and type = 'TX' and lmode > 0");
    held.bind(sid);
    if (held.step() && held.integer(0) == 0) {
        Stmt tm(db_, "delete from \"v$lock\" where sid = ? and type = 'TM'");
        tm.bind(sid).run();
    }
    Stmt u(db_, "update \"v$session\" set lockwait = null where sid = ?");
    u.bind(sid).run();
    setActivity(rng, sid, Activity::Idle);
    return true;
}

void Workload::releaseWaiter(Rng& rng, std::int64_t sid) {
    Stmt d(db_, "delete from \"v$lock\" where sid = ? and (request > 0 or type = 'TM')");
    d.bind(sid).run();
    Stmt u(db_, "update \"v$session\" set lockwait = null, \"row_wait_obj#\" = -1,"
                " \"row_wait_file#\" = 0, \"row_wait_block#\" = 0, \"row_wait_row#\" = 0"
                " where sid = ?");
    u.bind(sid).run();
    setActivity(rng, sid, Activity::Cpu);
}

void Workload::clearChains(Rng& rng) {
    struct Held {
        std::int64_t sid, id1, id2;
    };
    std::vector<Held> holders;
    Stmt q(db_, "select sid, id1, id2 from \"v$lock\" where type = 'TX' and block = 1 and sid"
                " not in (select sid from sbx_connections) order by sid");
    while (q.step())
        holders.push_back({q.integer(0), q.integer(1), q.integer(2)});
    // Every waiter first: a session in the middle of a chain both waits and holds.
    std::vector<std::int64_t> waiters;
    for (const Held& h : holders) {
        Stmt w(db_, "select sid from \"v$lock\" where type = 'TX' and request > 0 and id1 = ?"
                    " and id2 = ? and sid not in (select sid from sbx_connections) order by"
                    " sid");
        w.bind(h.id1).bind(h.id2);
        while (w.step())
            if (std::find(waiters.begin(), waiters.end(), w.integer(0)) == waiters.end())
                waiters.push_back(w.integer(0));
    }
    for (const std::int64_t sid : waiters)
        releaseWaiter(rng, sid);
    for (const Held& h : holders)
        endTransaction(h.sid);
}

void Workload::resolveOrphanWaiters(Rng& rng) {
    struct Waiting {
        std::int64_t rowid, sid, id1, id2;
    };
    std::vector<Waiting> orphans;
    Stmt q(db_, "select l.rowid, l.sid, l.id1, l.id2 from \"v$lock\" l where l.type = 'TX' and"
                " l.request > 0 and l.sid not in (select sid from sbx_connections) and not"
                " exists (select 1 from \"v$lock\" h where h.id1 = l.id1 and h.id2 = l.id2 and"
                " h.type = 'TX' and h.lmode > 0) order by l.id1, l.id2, l.sid");
    while (q.step())
        orphans.push_back({q.integer(0), q.integer(1), q.integer(2), q.integer(3)});
    for (std::size_t i = 0; i < orphans.size(); ++i) {
        const Waiting& w = orphans[i];
        if (i > 0 && orphans[i - 1].id1 == w.id1 && orphans[i - 1].id2 == w.id2)
            continue; // waits on for the new holder
        const bool othersWait =
            i + 1 < orphans.size() && orphans[i + 1].id1 == w.id1 && orphans[i + 1].id2 == w.id2;
        Stmt u(db_, "update \"v$lock\" set lmode = 6, request = 0, ctime = 0, block = ? where"
                    " rowid = ?");
        u.bind(othersWait ? 1 : 0).bind(w.rowid).run();
        Stmt s(db_, "update \"v$session\" set lockwait = null, \"row_wait_obj#\" = -1,"
                    " \"row_wait_file#\" = 0, \"row_wait_block#\" = 0, \"row_wait_row#\" = 0"
                    " where sid = ?");
        s.bind(w.sid).run();
        setActivity(rng, w.sid, Activity::Cpu);
    }
    exec(db_, "update \"v$lock\" set block = 0 where type = 'TX' and block = 1 and not exists"
              " (select 1 from \"v$lock\" w where w.id1 = \"v$lock\".id1 and w.id2 ="
              " \"v$lock\".id2 and w.request > 0)");
}

void Workload::growStatistics(Rng& rng, std::int64_t sid, bool light,
                              std::map<std::int64_t, std::int64_t>& systemDeltas) {
    const std::int64_t blockGets = light ? rng.range(0, 20) : rng.range(0, 300);
    const std::int64_t consistentGets = light ? rng.range(5, 200) : rng.range(50, 6000);
    const std::int64_t physical = consistentGets * rng.range(0, 6) / 100;
    const std::int64_t cpu = light ? rng.range(0, 5) : rng.range(1, 290);
    const std::int64_t calls = light ? rng.range(1, 4) : rng.range(1, 40);
    const std::int64_t executes = calls + rng.range(0, calls);
    const std::int64_t sorts = rng.range(0, light ? 1 : 3);
    const std::int64_t redo = light ? 0 : rng.range(0, 40);
    const std::pair<const char*, std::int64_t> deltas[] = {
        {"session logical reads", blockGets + consistentGets},
        {"db block gets", blockGets},
        {"consistent gets", consistentGets},
        {"physical reads", physical},
        {"CPU used by this session", cpu},
        {"CPU used when call started", cpu},
        {"user calls", calls},
        {"execute count", executes},
        {"parse count (total)", executes / 2 + 1},
        {"recursive calls", rng.range(0, light ? 5 : 60)},
        {"SQL*Net roundtrips to/from client", calls},
        {"bytes sent via SQL*Net to client", calls * rng.range(200, 2000)},
        {"bytes received via SQL*Net from client", calls * rng.range(100, 800)},
        {"table fetch by rowid", consistentGets / 3},
        {"buffer is pinned count", consistentGets / 2},
        {"consistent gets - examination", consistentGets / 5},
        {"no work - consistent read gets", consistentGets / 2},
        {"sorts (memory)", sorts},
        {"sorts (rows)", sorts * rng.range(10, 500)},
        {"redo entries", redo},
        {"redo size", redo * rng.range(100, 400)},
        {"db block changes", redo * 2},
        {"user commits", redo > 0 && rng.chance(400) ? 1 : 0},
    };
    Stmt& q = prepared_->addStatistic;
    for (const auto& [name, delta] : deltas) {
        const std::int64_t number = statNumber(name);
        if (number < 0 || delta == 0)
            continue;
        q.bind(delta).bind(sid).bind(number).run();
        systemDeltas[number] += delta;
    }
}

} // namespace oradb::sandbox::detail
