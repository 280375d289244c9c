// The sandbox catalog: its tables (data file catalog.sql), the static facts of the instance
// (instance.sql and the CSV data files), and the seeded sessions, locks and totals.
#include "sandbox/Catalog.h"

#include "sandbox/CatalogSupport.h"
#include "sandbox/Workload.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <set>
#include <sqlite3.h>
#include <stdexcept>
#include <utility>

namespace oradb::sandbox {

using namespace detail;

namespace {

constexpr std::uint64_t kStatementBase = 0x000000038A000000ULL;

// Changes with every change of the catalog's tables and views.
constexpr const char* kCatalogVersion = "19c-13";

// The sandbox's own state that an upgrade of the catalog carries over.
const char* const kKeptTables[] = {"sbx_synonyms", "sbx_constraints"};

// Tables that seeding fills, emptied first so that a catalog can be seeded again.
const char* const kSeededTables[] = {"dual",
                                     "\"v$session\"",
                                     "\"v$statname\"",
                                     "\"v$sesstat\"",
                                     "audit_actions",
                                     "\"v$session_event\"",
                                     "\"v$session_wait\"",
                                     "\"v$sqltext\"",
                                     "\"v$sqlarea\"",
                                     "\"v$open_cursor\"",
                                     "\"v$lock\"",
                                     "\"v$version\"",
                                     "\"v$event_name\"",
                                     "\"v$database\"",
                                     "\"v$instance\"",
                                     "\"v$sga\"",
                                     "\"v$sgastat\"",
                                     "\"v$license\"",
                                     "\"v$nls_parameters\"",
                                     "\"v$system_parameter\"",
                                     "\"v$system_event\"",
                                     "\"v$librarycache\"",
                                     "\"v$rowcache\"",
                                     "\"v$sysstat\"",
                                     "dba_objects",
                                     "dba_extents",
                                     "dba_data_files",
                                     "dba_temp_files",
                                     "\"v$latch\"",
                                     "\"v$active_session_history\"",
                                     "dba_tablespaces",
                                     "dba_users",
                                     "sbx_meta",
                                     "sbx_accounts",
                                     "sbx_user_roles",
                                     "sbx_connections",
                                     "sbx_killed"};

void loadSimpleTables(sqlite3* db) {
    Stmt statname(db, "insert into \"v$statname\" values (?, ?, ?)");
    for (const StatDef& def : loadStatDefs())
        statname.bind(def.number).bind(def.name).bind(def.cls).run();

    Stmt actions(db, "insert into audit_actions values (?, ?)");
    for (const CsvRow& row : readCsv("audit_actions.csv", 2))
        actions.bind(toInt(row[0])).bind(row[1]).run();

    Stmt params(db, "insert into \"v$system_parameter\" values (?, ?, ?, ?, ?, ?, ?, 'FALSE',"
                    " 'FALSE', ?, null)");
    for (const CsvRow& row : readCsv("system_parameters.csv", 8)) {
        params.bind(toInt(row[0])).bind(row[1]).bind(toInt(row[2]));
        row[3].empty() ? params.bindNull() : params.bind(row[3]);
        params.bind(row[4]).bind(row[5]).bind(row[6]).bind(row[7]).run();
    }

    Stmt events(db, "insert into \"v$event_name\" values (?, ?, ?, ?, ?, ?, ?, ?, ?, 0)");
    std::int64_t number = 0;
    for (const EventDef& e : loadEventDefs()) {
        const WaitClass w = waitClassOf(e.name, e.category);
        events.bind(number++).bind(unsignedHash(statementHash(e.name))).bind(e.name);
        e.p1text.empty() ? events.bindNull() : events.bind(e.p1text);
        e.p2text.empty() ? events.bindNull() : events.bind(e.p2text);
        e.p3text.empty() ? events.bindNull() : events.bind(e.p3text);
        events.bind(w.id).bind(w.number).bind(w.name).run();
    }
}

// dba_objects from objects.csv, and the extents of the objects with segments laid out one after
// another in the data files of their tablespaces, spread over the files in turn.
void loadObjects(sqlite3* db) {
    struct File {
        std::int64_t id;
        std::int64_t blocks;
        std::int64_t next;
    };
    std::map<std::string, std::vector<File>> files;
    std::map<std::string, std::size_t> turn;
    Stmt f(db, "select f.file_id, f.tablespace_name, f.blocks, t.extent_management from"
               " dba_data_files f, dba_tablespaces t where t.tablespace_name ="
               " f.tablespace_name order by f.file_id");
    while (f.step()) {
        // Locally managed files keep their space bitmap in the blocks before block 9.
        const std::int64_t first = f.text(3) == "LOCAL" ? 9 : 2;
        files[f.text(1)].push_back({f.integer(0), f.integer(2), first});
    }

    Stmt object(db, "insert into dba_objects (owner, object_name, object_id, data_object_id,"
                    " object_type, created, last_ddl_time, timestamp, status, temporary,"
                    " generated, secondary, namespace, editionable, oracle_maintained) values"
                    " (?, ?, ?, ?, ?, ?, ?, ?, 'VALID', 'N', 'N', 'N', ?, ?, ?)");
    Stmt extent(db, "insert into dba_extents values (?, ?, null, ?, ?, ?, ?, ?, ?, ?, ?)");
    for (const CsvRow& row : readCsv("objects.csv", 8)) {
        const std::string& owner = row[0];
        const std::string& name = row[1];
        const std::string& type = row[2];
        const std::string& tablespace = row[4];
        const std::int64_t extents = toInt(row[5]);
        const std::int64_t blocks = toInt(row[6]);
        const std::string& created = row[7];
        if (!row[3].empty()) {
            std::string stamp = created;
            stamp[10] = ':';
            object.bind(owner).bind(name).bind(toInt(row[3]));
            extents > 0 ? object.bind(toInt(row[3])) : object.bindNull();
            object.bind(type).bind(created).bind(created).bind(stamp);
            const bool code = type == "PACKAGE" || type == "PACKAGE BODY" || type == "PROCEDURE" ||
                              type == "FUNCTION" || type == "TRIGGER" || type == "VIEW" ||
                              type == "SYNONYM" || type == "TYPE";
            object.bind(type == "INDEX" ? 4 : (type == "TRIGGER" ? 3 : 1));
            code ? object.bind("Y") : object.bindNull();
            const bool oracle = owner == "SYS" || owner == "SYSTEM" || owner == "OUTLN" ||
                                owner == "DBSNMP" || owner == "WMSYS";
            object.bind(oracle ? "Y" : "N").run();
        }
        std::vector<File>& pool = files[tablespace];
        for (std::int64_t i = 0; i < extents; ++i) {
            File* target = nullptr;
            for (std::size_t tries = 0; tries < pool.size() && !target; ++tries) {
                File& candidate = pool[turn[tablespace]++ % pool.size()];
                if (candidate.next + blocks <= candidate.blocks)
                    target = &candidate;
            }
            if (!target)
                throw std::runtime_error("sandbox catalog: tablespace " + tablespace +
                                         " has no room for " + owner + "." + name);
            extent.bind(owner).bind(name).bind(type).bind(tablespace).bind(i).bind(target->id);
            extent.bind(target->next).bind(blocks * 8192).bind(blocks).bind(target->id).run();
            target->next += blocks;
        }
    }
}

// The shared SQL area: statements.csv with their figures, and their texts in 64-character
// pieces.
void loadStatements(sqlite3* db, Rng& rng, std::int64_t startup, std::int64_t clock) {
    std::map<std::string, std::int64_t> users;
    Stmt u(db, "select username, user_id from dba_users");
    while (u.step())
        users[u.text(0)] = u.integer(1);

    Stmt area(db, "insert into \"v$sqlarea\" (sql_text, sharable_mem, persistent_mem,"
                  " runtime_mem, sorts, version_count, loaded_versions, open_versions,"
                  " users_opening, fetches, executions, users_executing, loads, first_load_time,"
                  " invalidations, parse_calls, disk_reads, buffer_gets, rows_processed,"
                  " command_type, optimizer_mode, parsing_user_id, parsing_schema_id,"
                  " kept_versions, address, hash_value, module, module_hash, action,"
                  " action_hash, serializable_aborts, cpu_time, elapsed_time, is_obsolete,"
                  " child_latch) values (?, ?, ?, ?, ?, ?, 1, 1, 0, ?, ?, 0, ?, ?, ?, ?, ?, ?,"
                  " ?, ?, 'ALL_ROWS', ?, ?, 0, ?, ?, ?, ?, null, 0, 0, ?, ?, 'N', ?)");
    // The 10g and later columns, from the figures above.
    Stmt later(db, "update \"v$sqlarea\" set sql_fulltext = sql_text, sql_id = ?,"
                   " plan_hash_value = ?, parsing_schema_name = ?, optimizer_cost = ?,"
                   " end_of_fetch_count = executions, last_load_time = replace(first_load_time,"
                   " '/', ' '), last_active_time = ?, user_io_wait_time = disk_reads * ?,"
                   " application_wait_time = 0, concurrency_wait_time = ? where address = ?");
    Stmt text(db, "insert into \"v$sqltext\" (address, hash_value, sql_id, command_type, piece,"
                  " sql_text) values (?, ?, ?, ?, ?, ?)");
    std::set<std::string> addresses;
    for (const CsvRow& row : readCsv("statements.csv", 3)) {
        const std::string& sql = row[2];
        const int command = static_cast<int>(toInt(row[1]));
        const std::uint32_t hash = statementHash(sql);
        std::uint64_t slot = hash & 0xFFFFFu;
        while (!addresses.insert(hex64(kStatementBase + slot * 0x40)).second)
            ++slot;
        const std::string address = hex64(kStatementBase + slot * 0x40);
        const bool recursive = row[0] == "SYS";
        const std::int64_t executions =
            recursive ? rng.range(20000, 900000) : rng.range(20, 250000);
        const std::int64_t parses = std::max<std::int64_t>(1, executions * rng.range(1, 100) / 100);
        const bool sorts = sql.find("ORDER BY") != std::string::npos ||
                           sql.find("GROUP BY") != std::string::npos ||
                           sql.find("order by") != std::string::npos ||
                           sql.find("group by") != std::string::npos;
        const std::int64_t gets = executions * rng.range(3, 60);
        const std::int64_t rows = command == 47 ? executions : executions * rng.range(1, 30);
        const std::int64_t cpu = gets * rng.range(5, 20);
        const auto user = users.find(row[0]);
        const std::int64_t userId = user == users.end() ? 0 : user->second;

        area.bind(sql.substr(0, 1000)).bind(rng.range(8000, 60000)).bind(rng.range(600, 4000));
        area.bind(rng.range(1000, 12000)).bind(sorts ? executions * rng.range(1, 2) : 0);
        area.bind(rng.chance(150) ? 2 : 1)
            .bind(command == 3 ? executions + rng.range(0, executions) : 0);
        area.bind(executions).bind(rng.range(1, 4));
        area.bind(formatLoadTime(
            startup + rng.range(60, std::max<std::int64_t>(120, clock - startup - 600))));
        area.bind(rng.chance(100) ? 1 : 0).bind(parses).bind(gets * rng.range(0, 5) / 100);
        area.bind(gets).bind(rows).bind(command).bind(userId).bind(userId).bind(address);
        area.bind(static_cast<std::int64_t>(hash));
        recursive ? area.bindNull()
                  : area.bind(row[0] == "APPUSER" ? "OrderEntry.exe" : "SQL*Plus");
        area.bind(recursive ? 0 : static_cast<std::int64_t>(statementHash(row[0])));
        area.bind(cpu).bind(cpu + cpu * rng.range(10, 200) / 100).bind(rng.range(0, 7)).run();

        // DML statements without a plan of their own have plan hash 0.
        const std::int64_t plan = command == 2 && sql.find("SELECT") == std::string::npos
                                      ? 0
                                      : unsignedHash(statementHash("plan:" + sql.substr(0, 40)));
        // Drawn apart from `rng`, so that the rest of the instance is as before.
        Rng figures(mix(hash, 0x19C));
        later.bind(sqlId(sql)).bind(plan).bind(row[0]).bind(figures.range(1, 400));
        later.bind(formatTime(clock - figures.range(0, 3600))).bind(figures.range(300, 9000));
        later.bind(figures.range(0, 2000)).bind(address).run();

        for (std::size_t at = 0, piece = 0; at < sql.size(); at += 64, ++piece) {
            text.bind(address).bind(unsignedHash(hash)).bind(sqlId(sql)).bind(command);
            text.bind(static_cast<std::int64_t>(piece)).bind(sql.substr(at, 64)).run();
        }
    }
}

void loadSessions(sqlite3* db, Workload& workload, Rng& rng, int sessions, std::int64_t startup) {
    const std::vector<BackgroundDef> backgrounds = loadBackgroundDefs();
    const int backgroundCount = std::min(sessions, static_cast<int>(backgrounds.size()));
    std::map<std::string, std::int64_t> backgroundSid;
    for (int i = 0; i < backgroundCount; ++i) {
        workload.logonBackground(rng, i + 1, backgrounds[static_cast<std::size_t>(i)], startup);
        backgroundSid[backgrounds[static_cast<std::size_t>(i)].name] = i + 1;
    }
    const std::int64_t instanceAge = workload.clock() - startup;
    std::vector<std::int64_t> users;
    std::int64_t sid = backgroundCount + 1;
    for (int i = backgroundCount; i < sessions; ++i) {
        if (rng.chance(40))
            ++sid; // a slot freed by a session that logged off
        const std::int64_t age =
            rng.chance(300) ? rng.range(8 * 3600, instanceAge - 600) : rng.range(30, 8 * 3600);
        workload.logonUser(rng, sid, age);
        users.push_back(sid++);
    }

    // The background processes' own locks: media recovery of every file, redo thread.
    if (backgroundSid.count("DBW0")) {
        Stmt files(db, "select file_id from dba_data_files order by file_id");
        std::vector<std::int64_t> ids;
        while (files.step())
            ids.push_back(files.integer(0));
        for (const std::int64_t id : ids)
            workload.insertLock(backgroundSid["DBW0"], "MR", id, 0, 4, 0, instanceAge, 0);
    }
    if (backgroundSid.count("LGWR"))
        workload.insertLock(backgroundSid["LGWR"], "RT", 1, 0, 6, 0, instanceAge, 0);

    workload.formChain(rng, users);
    for (const std::int64_t user : users) {
        if (rng.chance(120))
            workload.beginTransaction(rng, user);
    }
}

void loadTotals(sqlite3* db, Workload& workload, Rng& rng) {
    const std::vector<StatDef>& stats = workload.stats();
    std::vector<std::int64_t> values(stats.size());
    std::map<std::string, std::size_t> index;
    for (std::size_t i = 0; i < stats.size(); ++i) {
        // Sessions that have logged off before contributed too.
        values[i] = workload.statTotals()[i] * 25 +
                    (stats[i].scale > 0 ? rng.range(0, stats[i].scale * 50) : 0);
        index[stats[i].name] = i;
    }
    auto at = [&](const char* name) -> std::int64_t& { return values[index.at(name)]; };
    at("logons current") = workload.statTotals()[index.at("logons current")];
    at("opened cursors current") = workload.statTotals()[index.at("opened cursors current")];
    at("session logical reads") = at("db block gets") + at("consistent gets");
    // The background processes' work since startup, in proportion to the sessions': DBWR writes
    // one block for every 20 changed, LGWR writes once a commit, 512 bytes a redo block.
    at("physical writes") = at("db block changes") / 20;
    at("physical writes non checkpoint") = at("physical writes") * 7 / 10;
    at("DBWR checkpoint buffers written") = at("physical writes") * 3 / 10;
    at("redo writes") = at("user commits") + at("user rollbacks");
    at("redo blocks written") = at("redo size") / 512;
    at("redo write time") = at("redo writes") / 50;
    Stmt sysstat(db, "insert into \"v$sysstat\" values (?, ?, ?, ?)");
    for (std::size_t i = 0; i < stats.size(); ++i)
        sysstat.bind(stats[i].number).bind(stats[i].name).bind(stats[i].cls).bind(values[i]).run();

    Stmt events(db, "insert into \"v$system_event\" (event, total_waits, total_timeouts,"
                    " time_waited, average_wait, time_waited_micro, event_id, wait_class_id,"
                    " \"wait_class#\", wait_class) values (?, ?, ?, ?, ?, ?, ?, ?, ?, ?)");
    for (const EventDef& e : loadEventDefs()) {
        const std::int64_t waits =
            std::max<std::int64_t>(1, e.systemWaits * rng.range(90, 110) / 100);
        const auto time =
            static_cast<std::int64_t>(static_cast<double>(waits) * e.averageCs *
                                      static_cast<double>(rng.range(80, 120)) / 100.0);
        const std::int64_t timeouts =
            e.category == "timer" ? waits * 95 / 100 : (e.category == "idle" ? 0 : waits / 200);
        const double average =
            std::round(static_cast<double>(time) / static_cast<double>(waits) * 100.0) / 100.0;
        events.bind(e.name).bind(waits).bind(timeouts).bind(time).bind(average);
        const WaitClass wc = waitClassOf(e.name, e.category);
        events.bind(time * 10000 + rng.below(10000)).bind(unsignedHash(statementHash(e.name)));
        events.bind(wc.id).bind(wc.number).bind(wc.name).run();
    }

    exec(db, "update \"v$sqlarea\" set users_opening = c.n from (select address, count(distinct"
             " sid) n from \"v$open_cursor\" group by address) c where c.address ="
             " \"v$sqlarea\".address");
    exec(db, "update \"v$sqlarea\" set users_executing = c.n from (select sql_address, count(*)"
             " n from \"v$session\" where status = 'ACTIVE' group by sql_address) c where"
             " c.sql_address = \"v$sqlarea\".address");
    const std::int64_t current =
        queryInt(db, "select count(*) from \"v$session\" where type = 'USER'");
    Stmt license(db, "update \"v$license\" set sessions_current = ?, sessions_highwater = ?");
    license.bind(current).bind(current + rng.range(2, 25)).run();
}

} // namespace

namespace detail {

void seedCatalogAt(sqlite3* db, const SeedOptions& options, const std::string& clockText) {
    const std::int64_t clock = parseTime(clockText);
    Savepoint savepoint(db);
    for (const char* table : kSeededTables)
        exec(db, std::string("delete from ") + table);
    metaSet(db, "seed", std::to_string(options.seed));
    metaSet(db, "sessions", std::to_string(options.sessions));
    metaSet(db, "tick", "0");
    metaSet(db, "catalog", kCatalogVersion);
    metaSet(db, "clock", formatTime(clock));
    exec(db, sandboxDataFile("instance.sql"));
    loadSimpleTables(db);
    loadObjects(db);

    Stmt s(db, "select startup_time from \"v$instance\"");
    const std::int64_t startup = s.step() ? parseTime(s.text(0)) : clock - 86400;
    Rng rng(mix(options.seed, 0x5EED));
    loadStatements(db, rng, startup, clock);
    Workload workload(db, clock);
    loadSessions(db, workload, rng, std::max(0, options.sessions), startup);
    loadTotals(db, workload, rng);
    refreshBlocking(db);
    sampleActiveSessions(db, clock, kSecondsPerTick);
    savepoint.commit();
}

void refreshBlocking(sqlite3* db) {
    std::map<std::int64_t, std::int64_t> holderOf;
    Stmt pairs(db, "select w.sid, min(h.sid) from \"v$lock\" w join \"v$lock\" h on h.type ="
                   " w.type and h.id1 = w.id1 and h.id2 = w.id2 and h.lmode > 0 and h.sid <>"
                   " w.sid where w.request > 0 group by w.sid order by w.sid");
    while (pairs.step())
        holderOf[pairs.integer(0)] = pairs.integer(1);
    std::vector<std::int64_t> before;
    Stmt old(db, "select sid from \"v$session\" where blocking_session is not null");
    while (old.step())
        before.push_back(old.integer(0));
    Stmt clear(db, "update \"v$session\" set blocking_session = null, blocking_instance = null,"
                   " final_blocking_session = null, final_blocking_instance = null,"
                   " blocking_session_status = case when state = 'WAITING' then 'NO HOLDER'"
                   " else 'NOT IN WAIT' end, final_blocking_session_status = case when state ="
                   " 'WAITING' then 'NO HOLDER' else 'NOT IN WAIT' end where sid = ?");
    for (const std::int64_t sid : before) {
        if (!holderOf.count(sid))
            clear.bind(sid).run();
    }
    Stmt set(db, "update \"v$session\" set blocking_session = ?, blocking_instance = 1,"
                 " blocking_session_status = 'VALID', final_blocking_session = ?,"
                 " final_blocking_instance = 1, final_blocking_session_status = 'VALID' where"
                 " sid = ?");
    for (const auto& [sid, holder] : holderOf) {
        std::int64_t final = holder;
        for (int hops = 0; hops < 64; ++hops) {
            const auto next = holderOf.find(final);
            if (next == holderOf.end() || next->second == sid)
                break;
            final = next->second;
        }
        set.bind(holder).bind(final).bind(sid).run();
    }
}

void sampleActiveSessions(sqlite3* db, std::int64_t clock, std::int64_t seconds) {
    // A different, fixed part of the active sessions in every second when there are more
    // of them than a sample holds.
    Stmt sample(
        db, "insert into \"v$active_session_history\" select ?1, ?2, ?2, 1000000, 'N', s.sid,"
            " s.\"serial#\", case when s.type = 'BACKGROUND' then 'BACKGROUND' else 'FOREGROUND'"
            " end, 0, s.\"user#\", s.sql_id, case when s.sql_id is null then null else 'Y' end,"
            " s.sql_child_number, s.command, (select name from audit_actions where action ="
            " s.command), a.plan_hash_value * 131 % 18446744073, s.sql_id, s.command,"
            " a.plan_hash_value, a.plan_hash_value, case when a.plan_hash_value > 0 then 1 end,"
            " case when a.plan_hash_value > 0 then 'TABLE ACCESS' end, case when"
            " a.plan_hash_value > 0 then 'BY INDEX ROWID' end, case when s.sql_id is null then"
            " null else 16777216 + s.sid end, s.sql_exec_start, null, null, null, null, null, null,"
            " null, 0, case when s.state = 'WAITING' then s.event end, case when s.state ="
            " 'WAITING' then (select event_id from \"v$event_name\" where name = s.event) end,"
            " case when s.state = 'WAITING' then s.\"event#\" end, s.\"seq#\", case when s.state"
            " = 'WAITING' then s.p1text end, s.p1, case when s.state = 'WAITING' then s.p2text"
            " end, s.p2, case when s.state = 'WAITING' then s.p3text end, s.p3, case when"
            " s.state = 'WAITING' then s.wait_class end, case when s.state = 'WAITING' then"
            " s.wait_class_id end, case when s.state = 'WAITING' then 0 else s.wait_time_micro"
            " end, case when s.state = 'WAITING' then 'WAITING' else 'ON CPU' end, case when"
            " s.state = 'WAITING' then s.wait_time_micro else 0 end, s.blocking_session_status,"
            " s.blocking_session, (select b.\"serial#\" from \"v$session\" b where b.sid ="
            " s.blocking_session), s.blocking_instance, s.\"row_wait_obj#\","
            " s.\"row_wait_file#\", s.\"row_wait_block#\", s.\"row_wait_row#\", 94, 'V8 Bundled"
            " Exec', 12553, null, null, 1024, 'N', 'N', 'N', case when s.sql_id is null then 'N'"
            " else 'Y' end, 'N', 'N', 'N', 'N', 'N', 'N', 'N', 3427055676, s.program, s.module,"
            " s.action, s.client_identifier, s.machine, s.port, null, 1000000, case when s.state"
            " = 'WAITING' then 0 else 1000000 end, 1000000, 1000000, case when s.wait_class ="
            " 'User I/O' then s.p3 else 0 end, 0, case when s.wait_class = 'User I/O' then s.p3 *"
            " 8192 else 0 end, 0, 2097152 + s.sid * 4096 % 8388608, 0, 2718403765, 0 from"
            " \"v$session\" s left join \"v$sqlarea\" a on a.address = s.sql_address where"
            " s.sid in (select sid from \"v$session\" where status = 'ACTIVE' and (state <>"
            " 'WAITING' or wait_class <> 'Idle') order by (sid * 2654435761 + ?1 * 40503) %"
            " 1000003 limit ?3)");
    for (std::int64_t second = clock - seconds + 1; second <= clock; ++second)
        sample.bind(second).bind(formatTime(second)).bind(kSampledSessions).run();
    Stmt prune(db, "delete from \"v$active_session_history\" where sample_id <= ?");
    prune.bind(clock - 3600).run();
}

} // namespace detail

void createCatalog(sqlite3* db) {
    Savepoint savepoint(db);
    exec(db, sandboxDataFile("catalog.sql"));
    exec(db, sandboxDataFile("views.sql"));
    // The user_ and all_ forms of the dba_ views scripts read: all_x shows what dba_x shows,
    // user_x the current schema's rows without their owner column.
    std::string forms;
    for (const auto& [rest, owner] : {std::pair<const char*, const char*>{"tables", "owner"},
                                      {"segments", "owner"},
                                      {"objects", "owner"},
                                      {"tab_columns", "owner"},
                                      {"tab_cols", "owner"},
                                      {"indexes", "owner"},
                                      {"ind_columns", "index_owner"},
                                      {"views", "owner"},
                                      {"extents", "owner"}}) {
        std::string columns;
        Stmt q(db, "select name from pragma_table_info(?) order by cid");
        q.bind(std::string("dba_") + rest);
        while (q.step()) {
            if (q.text(0) != owner)
                columns += (columns.empty() ? "\"" : ", \"") + q.text(0) + "\"";
        }
        forms += std::string("create view all_") + rest + " as select * from dba_" + rest + ";\n";
        forms += std::string("create view user_") + rest + " as select " + columns + " from dba_" +
                 rest + " where " + owner + " = sys_context('USERENV', 'CURRENT_SCHEMA');\n";
    }
    exec(db, forms);
    // Every dynamic performance view has its global twin (one instance: inst_id 1) and the
    // names that Oracle's public synonyms stand for: sys.v_$x and sys.gv_$x.
    std::vector<std::string> names;
    Stmt q(db, "select name from sqlite_master where type in ('table', 'view') and name like"
               " 'v$%' order by name");
    while (q.step())
        names.push_back(q.text(0));
    std::string sql;
    for (const std::string& name : names) {
        const std::string rest = name.substr(2);
        // A view that names its instance already is its own global twin.
        const char* instance =
            name == "v$enqueue_stat" || name == "v$diag_info" ? "" : "1 inst_id, ";
        sql +=
            "create view \"gv$" + rest + "\" as select " + instance + "* from \"" + name + "\";\n";
        sql += "create view \"v_$" + rest + "\" as select * from \"" + name + "\";\n";
        sql += "create view \"gv_$" + rest + "\" as select * from \"gv$" + rest + "\";\n";
    }
    exec(db, sql);
    savepoint.commit();
}

bool catalogIsCurrent(sqlite3* db) {
    return metaGet(db, "catalog", "") == kCatalogVersion;
}

void createFunctionIndexes(sqlite3* db) {
    // The SQL collectors' fetch joins its captured statements to v$sqltext on
    // to_char(st.hash_value) and rawtohex(st.address), texts that the dialect gives text
    // affinity (cast as text): this index finds the pieces of each captured statement in order,
    // instead of SQLite building an automatic index over all the captured rows on every fetch.
    exec(db, "create index if not exists \"v$sqltext_texts\" on \"v$sqltext\" "
             "(cast(rawtohex(address) as text), cast(to_char(hash_value) as text), piece)");
}

void upgradeCatalog(sqlite3* db) {
    Savepoint savepoint(db);
    SeedOptions options;
    options.sessions = static_cast<int>(toInt(metaGet(db, "sessions", "40")));
    options.seed = std::stoull(metaGet(db, "seed", std::to_string(options.seed)));

    // The objects of the current catalog, as a new database gets them.
    std::set<std::string> names;
    {
        sqlite3* scratch = nullptr;
        if (sqlite3_open(":memory:", &scratch) != SQLITE_OK) {
            sqlite3_close(scratch);
            throw std::runtime_error("sandbox catalog: no memory for the upgrade");
        }
        try {
            createCatalog(scratch);
            Stmt q(scratch, "select name from sqlite_master where type in ('table', 'view')"
                            " and name not like 'sqlite_%'");
            while (q.step())
                names.insert(q.text(0));
        } catch (...) {
            sqlite3_close(scratch);
            throw;
        }
        sqlite3_close(scratch);
    }
    for (const char* kept : kKeptTables)
        names.erase(kept);
    // The database's objects of those names: the views go first, as renaming a table checks
    // every view.
    auto dropAll = [db, &names](const char* type) {
        std::vector<std::string> drops;
        {
            Stmt q(db, "select name from sqlite_master where type = ? order by name");
            q.bind(type);
            while (q.step()) {
                if (names.count(q.text(0)))
                    drops.push_back(q.text(0));
            }
        }
        for (const std::string& name : drops)
            exec(db, std::string("drop ") + type + " \"" + name + "\"");
    };
    dropAll("view");
    auto exists = [db](const std::string& name) {
        Stmt q(db, "select 1 from sqlite_master where name = ?");
        q.bind(name);
        return q.step();
    };
    for (const char* kept : kKeptTables) {
        if (exists(kept))
            exec(db, std::string("alter table ") + kept + " rename to sbx_kept_" + kept);
    }
    dropAll("table");
    createCatalog(db);
    for (const char* kept : kKeptTables) {
        if (exists(std::string("sbx_kept_") + kept)) {
            exec(db, std::string("insert into ") + kept + " select * from sbx_kept_" + kept);
            exec(db, std::string("drop table sbx_kept_") + kept);
        }
    }
    seedCatalog(db, options);
    savepoint.commit();
}

void seedCatalog(sqlite3* db, const SeedOptions& options) {
    seedCatalogAt(db, options, localTimeNow());
}

SessionId addConnectionSession(sqlite3* db, const NewSession& session) {
    Savepoint savepoint(db);
    const std::int64_t sid = freeSid(db);
    Workload workload(db, parseTime(localTimeNow()));
    const SessionId id = workload.logonConnection(sid, session);
    // The owning process: the leading digits of the client process id.
    std::int64_t pid = 0;
    for (const char c : session.process) {
        if (!std::isdigit(static_cast<unsigned char>(c)))
            break;
        pid = pid * 10 + (c - '0');
    }
    Stmt q(db, "insert into sbx_connections (sid, pid) values (?, ?)");
    q.bind(sid).bind(pid).run();
    savepoint.commit();
    return id;
}

void removeSession(sqlite3* db, std::int64_t sid) {
    static const char* const statements[] = {
        "delete from \"v$session\" where sid = ?",
        "delete from \"v$sesstat\" where sid = ?",
        "delete from \"v$session_event\" where sid = ?",
        "delete from \"v$session_wait\" where sid = ?",
        "delete from \"v$open_cursor\" where sid = ?",
        "delete from \"v$lock\" where sid = ?",
        "delete from sbx_connections where sid = ?",
        "delete from sbx_table_locks where sid = ?",
        "delete from sbx_killed where sid = ?",
    };
    Savepoint savepoint(db);
    for (const char* sql : statements) {
        Stmt q(db, sql);
        q.bind(sid).run();
    }
    refreshBlocking(db);
    savepoint.commit();
}

bool isCatalogObject(const std::string& lowerCaseName) {
    std::string name = lowerCaseName;
    for (const char* schema : {"sys.", "public."}) {
        if (name.rfind(schema, 0) == 0)
            name.erase(0, std::char_traits<char>::length(schema));
    }
    // v$nls_parameters is granted to every user; the other dynamic performance views and the
    // DBA views need SELECT_CATALOG_ROLE.
    if (name == "v$nls_parameters" || name == "gv$nls_parameters")
        return false;
    return name.rfind("v$", 0) == 0 || name.rfind("gv$", 0) == 0 || name.rfind("v_$", 0) == 0 ||
           name.rfind("gv_$", 0) == 0 || name.rfind("dba_", 0) == 0 || name == "obj$" ||
           name == "user$" || name == "ts$";
}

} // namespace oradb::sandbox
