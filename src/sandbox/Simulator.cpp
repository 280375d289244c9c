// The workload simulator: one tick changes a bounded number of sessions, so that a tick stays
// cheap with ten thousand sessions. Everything random derives from the seed and the tick
// number; the database is read in a fixed order, so the outcome depends only on the seed, the
// tick and the content.
#include "sandbox/Catalog.h"
#include "sandbox/CatalogSupport.h"
#include "sandbox/Workload.h"

#include <algorithm>
#include <map>
#include <set>
#include <sqlite3.h>

namespace oradb::sandbox {

using namespace detail;

namespace {

// Ticks a KILLED session stays listed before it is gone.
constexpr std::int64_t kKilledTicks = 3;
// Every this many ticks the blocking chain forms, or clears when there is one.
constexpr std::uint64_t kChainPeriod = 10;
// The chain that forms at a multiple of this many ticks (40, 80, ...) is a tree: a holder with
// three waiters, one of which blocks a session that blocks another (four levels).
constexpr std::uint64_t kTreePeriod = 40;
// Sessions whose activity changes in one tick, at most.
constexpr std::size_t kActivityChanges = 24;
// Active sessions whose statistics grow in one tick, at most.
constexpr std::size_t kStatisticGrowth = 48;
constexpr std::size_t kCursorChanges = 6;
// Episodes at known ticks, so that the activity history has something to show: in every
// kEpisodePeriod ticks a CPU burst (ticks 20 to 24) and an I/O storm of single-block reads
// (ticks 30 to 35), each taking two thirds of the free sessions at most; and five ticks after each
// tree chain forms (45, 85, ...) a pile-up of more waiters behind its holder, which clears with the
// chain five ticks later.
constexpr std::uint64_t kEpisodePeriod = 60;
constexpr std::uint64_t kCpuBurstFirst = 20, kCpuBurstLast = 24;
constexpr std::uint64_t kIoStormFirst = 30, kIoStormLast = 35;
constexpr std::size_t kEpisodeSessions = 24;
constexpr std::uint64_t kPileUpAfterTree = 5;
constexpr int kPileUpWaiters = 8;
constexpr int kMaxLogonsPerTick = 2;

// The sessions a tick may change: user sessions that are neither real connections nor KILLED.
struct Population {
    std::vector<std::int64_t> candidates;
    std::vector<std::int64_t> connections;
    std::vector<std::pair<std::int64_t, std::int64_t>> killed; // sid, serial# (not connections)
};

// Reads only indexes and a few rows, so that it stays cheap with many sessions.
Population loadPopulation(sqlite3* db) {
    Population p;
    std::set<std::int64_t> excluded;
    Stmt c(db, "select sid from sbx_connections order by sid");
    while (c.step()) {
        p.connections.push_back(c.integer(0));
        excluded.insert(c.integer(0));
    }
    Stmt b(db, "select sid from \"v$session\" where type = 'BACKGROUND'");
    while (b.step())
        excluded.insert(b.integer(0));
    Stmt k(db, "select sid, \"serial#\" from \"v$session\" where status = 'KILLED'");
    while (k.step()) {
        if (!excluded.count(k.integer(0)))
            p.killed.emplace_back(k.integer(0), k.integer(1));
        excluded.insert(k.integer(0));
    }
    std::sort(p.killed.begin(), p.killed.end());
    Stmt all(db, "select sid from \"v$session\" order by sid");
    while (all.step()) {
        if (!excluded.count(all.integer(0)))
            p.candidates.push_back(all.integer(0));
    }
    return p;
}

std::set<std::int64_t> chainMembers(sqlite3* db) {
    std::set<std::int64_t> sids;
    Stmt q(db, "select sid from \"v$lock\" where type = 'TX' and (block = 1 or request > 0)");
    while (q.step())
        sids.insert(q.integer(0));
    return sids;
}

// Distinct random members of `from`, at most `count`.
std::vector<std::int64_t> sample(Rng& rng, std::vector<std::int64_t> from, std::size_t count) {
    std::vector<std::int64_t> picked;
    while (!from.empty() && picked.size() < count) {
        const auto at = static_cast<std::size_t>(rng.below(static_cast<std::int64_t>(from.size())));
        picked.push_back(from[at]);
        from[at] = from.back();
        from.pop_back();
    }
    return picked;
}

// Removes the sessions that have been KILLED for kKilledTicks ticks; notes newly killed ones.
void reapKilled(sqlite3* db, const Population& population, std::int64_t tick) {
    std::map<std::int64_t, std::pair<std::int64_t, std::int64_t>> known;
    Stmt k(db, "select sid, \"serial#\", tick from sbx_killed");
    while (k.step())
        known[k.integer(0)] = {k.integer(1), k.integer(2)};
    exec(db, "delete from sbx_killed where sid not in (select sid from \"v$session\" where"
             " status = 'KILLED')");
    Stmt note(db, "insert or replace into sbx_killed (sid, \"serial#\", tick) values (?, ?, ?)");
    for (const auto& [sid, serial] : population.killed) {
        const auto it = known.find(sid);
        if (it == known.end() || it->second.first != serial)
            note.bind(sid).bind(serial).bind(tick).run();
        else if (tick - it->second.second >= kKilledTicks)
            removeSession(db, sid);
    }
}

void updateSystemTotals(sqlite3* db, Rng& rng, const Workload& workload,
                        std::map<std::int64_t, std::int64_t>& statDeltas, int logons) {
    // The background processes' work of the tick.
    const std::pair<const char*, std::int64_t> background[] = {
        {"physical writes", rng.range(0, 400)},
        {"redo writes", rng.range(1, 12)},
        {"redo blocks written", rng.range(5, 200)},
        {"DBWR checkpoint buffers written", rng.range(0, 300)},
        {"background timeouts", rng.range(1, 6)},
        {"logons cumulative", logons},
    };
    Stmt number(db, "select \"statistic#\" from \"v$statname\" where name = ?");
    for (const auto& [name, delta] : background) {
        number.bind(name);
        if (number.step())
            statDeltas[number.integer(0)] += delta;
        number.reset();
    }
    Stmt add(db, "update \"v$sysstat\" set value = value + ? where \"statistic#\" = ?");
    for (const auto& [statistic, delta] : statDeltas) {
        if (delta != 0)
            add.bind(delta).bind(statistic).run();
    }
    exec(db, "update \"v$sysstat\" set value = (select count(*) from \"v$session\") where name"
             " = 'logons current'");

    std::map<std::string, Workload::EventTotals> events = workload.eventDeltas();
    // Timers of the background processes go off every few seconds.
    events["rdbms ipc message"].waits += rng.range(2, 9);
    events["rdbms ipc message"].time += rng.range(200, 900);
    events["pmon timer"].waits += 1;
    events["pmon timer"].time += kSecondsPerTick * 100;
    events["log file parallel write"].waits += rng.range(1, 12);
    events["log file parallel write"].time += rng.range(0, 8);
    events["db file parallel write"].waits += rng.range(0, 3);
    Stmt e(db, "update \"v$system_event\" set total_waits = total_waits + ?1, time_waited ="
               " time_waited + ?2, time_waited_micro = time_waited_micro + ?2 * 10000,"
               " average_wait = round((time_waited + ?2) * 1.0 / max(total_waits + ?1, 1), 2)"
               " where event = ?3");
    for (const auto& [name, totals] : events)
        e.bind(totals.waits).bind(totals.time).bind(name).run();

    // Library and row cache activity, with a few misses.
    Stmt lib(db, "update \"v$librarycache\" set gets = gets + ?1, gethits = gethits + ?1 - ?2,"
                 " pins = pins + ?3, pinhits = pinhits + ?3 - ?2, reloads = reloads + ?4,"
                 " gethitratio = round((gethits + ?1 - ?2) * 1.0 / max(gets + ?1, 1), 3),"
                 " pinhitratio = round((pinhits + ?3 - ?2) * 1.0 / max(pins + ?3, 1), 3)"
                 " where namespace = ?5");
    for (const char* ns : {"SQL AREA", "TABLE/PROCEDURE", "BODY"}) {
        const std::int64_t gets = rng.range(20, 400);
        const std::int64_t misses = rng.range(0, gets / 20);
        lib.bind(gets).bind(misses).bind(gets * rng.range(2, 4)).bind(rng.chance(100) ? 1 : 0);
        lib.bind(ns).run();
    }
    Stmt row(db, "update \"v$rowcache\" set gets = gets + ?, getmisses = getmisses + ? where"
                 " parameter = ?");
    for (const char* parameter : {"dc_objects", "dc_users", "dc_segments", "dc_object_ids"}) {
        const std::int64_t gets = rng.range(10, 300);
        row.bind(gets).bind(rng.range(0, gets / 40)).bind(parameter).run();
    }
    // The free memory of the shared pool drifts as statements come and go.
    const std::int64_t drift = rng.range(-65536, 65536);
    Stmt free(db, "update \"v$sgastat\" set bytes = bytes + ? where pool = 'shared pool' and"
                  " name = 'free memory' and bytes + ? between 41943040 and 71303168");
    free.bind(drift).bind(drift).run();
    if (sqlite3_changes(db) > 0) {
        Stmt area(db, "update \"v$sgastat\" set bytes = bytes - ? where pool = 'shared pool' and"
                      " name = 'sql area'");
        area.bind(drift).run();
    }

    exec(db, "update \"v$license\" set sessions_current = (select count(*) from \"v$session\""
             " where type = 'USER'), sessions_highwater = max(sessions_highwater, (select"
             " count(*) from \"v$session\" where type = 'USER'))");
}

} // namespace

void simulateTick(sqlite3* db, std::uint64_t seed, std::uint64_t tick) {
    Savepoint savepoint(db);
    Rng rng(mix(seed, tick));
    const auto tickNumber = static_cast<std::int64_t>(tick);
    const std::int64_t clock = parseTime(metaGet(db, "clock", localTimeNow())) + kSecondsPerTick;
    metaSet(db, "clock", formatTime(clock));
    Workload workload(db, clock);

    Population population = loadPopulation(db);
    reapKilled(db, population, tickNumber);

    workload.resolveOrphanWaiters(rng);
    const std::vector<std::int64_t>& candidates = population.candidates;
    if (tick % kChainPeriod == 0) {
        const std::int64_t holders =
            queryInt(db, "select count(*) from \"v$lock\" where type = 'TX' and block = 1 and"
                         " sid not in (select sid from sbx_connections)");
        if (holders > 0)
            workload.clearChains(rng);
        else
            workload.formChain(rng, candidates, tick % kTreePeriod == 0);
    }
    const std::set<std::int64_t> chain = chainMembers(db);
    std::vector<std::int64_t> eligible;
    for (const std::int64_t sid : candidates) {
        if (!chain.count(sid))
            eligible.push_back(sid);
    }

    // Sessions log off now and then; new ones keep the instance at its size.
    if (!eligible.empty() && rng.chance(250)) {
        const auto at =
            static_cast<std::size_t>(rng.below(static_cast<std::int64_t>(eligible.size())));
        removeSession(db, eligible[at]);
        eligible.erase(eligible.begin() + static_cast<std::ptrdiff_t>(at));
    }
    const std::int64_t target = std::stoll(metaGet(db, "sessions", "0"));
    std::int64_t simulated = queryInt(db, "select count(*) from \"v$session\" where sid not in"
                                          " (select sid from sbx_connections)");
    int logons = 0;
    while (simulated < target && logons < kMaxLogonsPerTick) {
        workload.logonUser(rng, freeSid(db), rng.range(0, kSecondsPerTick));
        ++simulated;
        ++logons;
    }

    for (const std::int64_t sid : sample(rng, eligible, kActivityChanges)) {
        const int roll = static_cast<int>(rng.below(1000));
        const Workload::Activity activity = roll < 550   ? Workload::Activity::Idle
                                            : roll < 750 ? Workload::Activity::Cpu
                                                         : Workload::Activity::Io;
        workload.setActivity(rng, sid, activity);
        if (rng.chance(80)) {
            if (!workload.beginTransaction(rng, sid))
                workload.endTransaction(sid);
        }
    }
    // The episodes draw from a generator of their own, so that the rest of the tick is as it
    // would be without them.
    Rng episodeRng(mix(seed ^ 0x5eed0fe915d3ULL, tick));
    const std::uint64_t phase = tick % kEpisodePeriod;
    const bool burst = phase >= kCpuBurstFirst && phase <= kCpuBurstLast;
    const bool storm = phase >= kIoStormFirst && phase <= kIoStormLast;
    if (burst || storm) {
        const std::size_t count =
            std::min(eligible.size() * 2 / 3, kEpisodeSessions + eligible.size() / 10);
        for (const std::int64_t sid : sample(episodeRng, eligible, count))
            workload.setActivity(episodeRng, sid,
                                 burst ? Workload::Activity::Cpu : Workload::Activity::Io);
    }
    if (tick >= kTreePeriod && tick % kTreePeriod == kPileUpAfterTree)
        workload.pileUp(episodeRng, sample(episodeRng, eligible, eligible.size()), kPileUpWaiters);

    for (const std::int64_t sid : sample(rng, eligible, kCursorChanges)) {
        if (rng.chance(500))
            workload.openCursor(rng, sid);
        else
            workload.closeCursor(rng, sid);
    }

    // Statistics grow for some of the active sessions, found by sampling so that no query
    // reads every session.
    std::map<std::int64_t, std::int64_t> statDeltas;
    std::size_t grown = 0;
    Stmt status(db, "select status from \"v$session\" where sid = ?");
    for (const std::int64_t sid : sample(rng, eligible, kStatisticGrowth * 8)) {
        status.bind(sid);
        const bool active = status.step() && status.text(0) == "ACTIVE";
        status.reset();
        if (active) {
            workload.growStatistics(rng, sid, false, statDeltas);
            if (++grown == kStatisticGrowth)
                break;
        }
    }
    for (const std::int64_t sid : population.connections)
        workload.growStatistics(rng, sid, true, statDeltas);

    updateSystemTotals(db, rng, workload, statDeltas, logons);
    refreshBlocking(db);
    sampleActiveSessions(db, clock, kSecondsPerTick);
    metaSet(db, "tick", std::to_string(tick));
    savepoint.commit();
}

bool cancelCurrentCall(sqlite3* db, std::int64_t sid) {
    Savepoint savepoint(db);
    const std::int64_t clock = parseTime(metaGet(db, "clock", localTimeNow()));
    Workload workload(db, clock);
    Rng rng(mix(static_cast<std::uint64_t>(clock), static_cast<std::uint64_t>(sid)));
    const bool ended = workload.cancelCall(rng, sid);
    refreshBlocking(db);
    savepoint.commit();
    return ended;
}

} // namespace oradb::sandbox
