// Reference data of the simulated workload and the logon of simulated sessions.
#include "sandbox/Workload.h"

#include "sandbox/WorkloadPrepared.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace oradb::sandbox::detail {

namespace {

constexpr std::uint64_t kSessionBase = 0x000000038E4A0000ULL;
constexpr std::uint64_t kSessionSize = 0x3B8;
constexpr std::uint64_t kProcessBase = 0x000000038D0C0000ULL;
constexpr std::uint64_t kProcessSize = 0x2F8;
constexpr std::uint64_t kLockBase = 0x000000039A4C1000ULL;
constexpr std::uint64_t kLockSize = 0x68;
// v$session.ownerid of a session that cannot migrate between processes.
constexpr std::int64_t kNoOwner = 2147483644;

std::string substitute(std::string text, std::int64_t n, std::int64_t pid, std::int64_t tid) {
    const std::pair<const char*, std::int64_t> marks[] = {
        {"{n}", n}, {"{pid}", pid}, {"{tid}", tid}};
    for (const auto& [mark, value] : marks) {
        for (std::size_t at = text.find(mark); at != std::string::npos; at = text.find(mark))
            text.replace(at, std::char_traits<char>::length(mark), std::to_string(value));
    }
    return text;
}

std::int64_t textHash(const std::string& text) {
    return text.empty() ? 0 : static_cast<std::int64_t>(statementHash(text));
}

// A value spread around `typical`: from 0.3 to 1.7 times it.
std::int64_t spread(double typical, double u) {
    return static_cast<std::int64_t>(std::llround(typical * (0.3 + 1.4 * u)));
}

double unitOf(std::uint64_t key, std::uint64_t index) {
    return static_cast<double>(mix(key, index) >> 11) * (1.0 / 9007199254740992.0);
}

} // namespace

std::vector<StatDef> loadStatDefs() {
    std::vector<StatDef> defs;
    for (const CsvRow& row : readCsv("statname.csv", 4))
        defs.push_back({toInt(row[0]), row[1], static_cast<int>(toInt(row[2])), toInt(row[3])});
    return defs;
}

std::vector<EventDef> loadEventDefs() {
    std::vector<EventDef> defs;
    for (const CsvRow& row : readCsv("events.csv", 9)) {
        defs.push_back({row[0], row[1], row[2], row[3], row[4], toInt(row[5]), toReal(row[6]),
                        static_cast<int>(toInt(row[7])), toInt(row[8])});
    }
    return defs;
}

std::vector<BackgroundDef> loadBackgroundDefs() {
    std::vector<BackgroundDef> defs;
    for (const CsvRow& row : readCsv("background.csv", 7)) {
        BackgroundDef def{row[0],        row[1], toInt(row[2]), toInt(row[3]), toInt(row[4]),
                          toInt(row[5]), {}};
        if (!row[6].empty())
            def.otherEvents = splitAlternatives(row[6]);
        defs.push_back(std::move(def));
    }
    return defs;
}

std::string sessionAddress(std::int64_t sid) {
    return hex64(kSessionBase + static_cast<std::uint64_t>(sid) * kSessionSize);
}

std::int64_t freeSid(sqlite3* db) {
    Stmt q(db, "select sid from \"v$session\" order by sid");
    std::int64_t expected = 1;
    while (q.step() && q.integer(0) <= expected)
        expected = q.integer(0) + 1;
    return expected;
}

std::int64_t Workload::nextCounter(const char* key, std::int64_t first) {
    auto it = counters_.find(key);
    if (it == counters_.end()) {
        Stmt& get = prepared_->metaGet;
        get.bind(key);
        const std::string stored = get.step() ? get.text(0) : std::string();
        get.reset();
        it = counters_.emplace(key, stored.empty() ? first - 1 : std::stoll(stored)).first;
    }
    ++it->second;
    prepared_->metaSet.bind(key).bind(std::to_string(it->second)).run();
    return it->second;
}

std::string Workload::insertLock(std::int64_t sid, const char* type, std::int64_t id1,
                                 std::int64_t id2, int lmode, int request, std::int64_t ctime,
                                 int block) {
    const auto seq = static_cast<std::uint64_t>(nextCounter("lock_seq", 1));
    const std::uint64_t addr = kLockBase + seq * kLockSize;
    const std::string kaddr = hex64(addr + 0x28);
    Stmt& q = prepared_->insertLock;
    q.bind(hex64(addr)).bind(kaddr).bind(sid).bind(type).bind(id1).bind(id2).bind(lmode);
    q.bind(request).bind(ctime).bind(block).run();
    return kaddr;
}

Workload::Workload(sqlite3* db, std::int64_t clock)
    : db_(db), clock_(clock), stats_(loadStatDefs()), events_(loadEventDefs()) {
    statTotals_.assign(stats_.size(), 0);
    for (std::size_t i = 0; i < stats_.size(); ++i) {
        statNumbers_[stats_[i].name] = stats_[i].number;
        statIndex_[stats_[i].name] = i;
    }

    for (const CsvRow& row : readCsv("applications.csv", 10)) {
        Profile p;
        p.username = row[0];
        p.weight = std::max(1, static_cast<int>(toInt(row[1])));
        p.osusers = splitAlternatives(row[2]);
        p.machines = splitAlternatives(row[3]);
        p.terminals = splitAlternatives(row[4]);
        p.programs = splitAlternatives(row[5]);
        p.processes = splitAlternatives(row[6]);
        p.modules = splitAlternatives(row[7]);
        p.actions = splitAlternatives(row[8]);
        p.clientInfos = splitAlternatives(row[9]);
        totalWeight_ += p.weight;
        profiles_.push_back(std::move(p));
    }
    if (profiles_.empty())
        throw std::runtime_error("sandbox catalog: no application profiles");

    Stmt users(db_, "select username, user_id from dba_users");
    while (users.step())
        users_[users.text(0)] = users.integer(1);

    Stmt sql(db_, "select sa.address, sa.hash_value, sa.command_type, u.username, sa.sql_text"
                  ", sa.sql_id from \"v$sqlarea\" sa left join dba_users u on u.user_id ="
                  " sa.parsing_schema_id order by sa.rowid");
    while (sql.step()) {
        statements_.push_back({sql.text(0), static_cast<std::uint32_t>(sql.integer(1)),
                               static_cast<int>(sql.integer(2)), sql.text(3), sql.text(4),
                               sql.text(5)});
    }

    Stmt ext(db_, "select coalesce(o.object_id, -1), e.owner, e.segment_name, e.segment_type,"
                  " e.file_id, e.block_id, e.blocks from dba_extents e left join dba_objects o"
                  " on o.owner = e.owner and o.object_name = e.segment_name and"
                  " o.object_type = e.segment_type order by e.file_id, e.block_id");
    while (ext.step()) {
        Extent e{ext.integer(0), ext.text(1),    ext.text(2),   ext.text(3),
                 ext.integer(4), ext.integer(5), ext.integer(6)};
        const bool userTable =
            e.type == "TABLE" && e.owner != "SYS" && e.owner != "SYSTEM" && e.owner != "OUTLN";
        if (userTable && std::none_of(tables_.begin(), tables_.end(),
                                      [&](const Extent& t) { return t.objectId == e.objectId; }))
            tables_.push_back(e);
        extents_.push_back(std::move(e));
    }
    prepared_ = std::make_unique<Prepared>(db_, stats_.size());
}

Workload::~Workload() = default;

std::int64_t Workload::userId(const std::string& username) const {
    const auto it = users_.find(username);
    return it == users_.end() ? -1 : it->second;
}

std::int64_t Workload::statNumber(const char* name) const {
    const auto it = statNumbers_.find(name);
    return it == statNumbers_.end() ? -1 : it->second;
}

const Profile& Workload::pickProfile(Rng& rng) const {
    std::int64_t ticket = rng.below(totalWeight_);
    for (const Profile& p : profiles_) {
        ticket -= p.weight;
        if (ticket < 0)
            return p;
    }
    return profiles_.back();
}

std::vector<const SqlStatement*> Workload::statementsOf(const std::string& schema) const {
    std::vector<const SqlStatement*> found;
    for (const SqlStatement& s : statements_) {
        if (s.schema == schema)
            found.push_back(&s);
    }
    return found;
}

const SqlStatement* Workload::statementAt(const std::string& address) const {
    for (const SqlStatement& s : statements_) {
        if (s.address == address)
            return &s;
    }
    return nullptr;
}

const Extent& Workload::pickExtent(Rng& rng) const {
    if (extents_.empty())
        throw std::runtime_error("sandbox catalog: dba_extents is empty");
    return rng.pick(extents_);
}

void Workload::fillActivity(Rng& rng, SessionRow& row, Activity activity, std::int64_t ageSeconds) {
    row.rowWaitObj = -1;
    row.rowWaitFile = row.rowWaitBlock = row.rowWaitRow = 0;
    if (activity == Activity::Idle) {
        row.status = "INACTIVE";
        row.command = 0;
        row.lastCallEt = rng.range(0, std::min<std::int64_t>(ageSeconds, 7200));
        row.wait = {
            "SQL*Net message from client", kSqlNetDriverId, 1, 0, 0, row.lastCallEt, "WAITING"};
        return;
    }
    row.status = "ACTIVE";
    row.command = row.current ? row.current->commandType : 3;
    row.lastCallEt = rng.range(0, std::min<std::int64_t>(ageSeconds, 40));
    if (activity == Activity::Cpu) {
        row.wait = {"SQL*Net message to client", kSqlNetDriverId, 1, 0, -1, 0, "WAITED SHORT TIME"};
        return;
    }
    const Extent& e = pickExtent(rng);
    const bool multiBlock = e.blocks >= 16 && rng.chance(300);
    const std::int64_t count = multiBlock ? (rng.chance(500) ? 8 : 16) : 1;
    const std::int64_t block = e.blockId + rng.below(e.blocks - count + 1);
    row.wait = {multiBlock ? "db file scattered read" : "db file sequential read",
                e.fileId,
                block,
                count,
                0,
                0,
                "WAITING"};
    row.rowWaitObj = e.objectId;
    row.rowWaitFile = e.fileId;
    row.rowWaitBlock = block;
}

void Workload::bindExecution(Stmt& q, const SessionRow& r) const {
    // The execution in progress of an active session started with its current call.
    if (r.status == "ACTIVE" && r.current && r.type == "USER")
        q.bind(formatTime(clock_ - r.lastCallEt)).bind(16777216 + r.sid);
    else
        q.bindNull().bindNull();
}

void Workload::insertSession(const SessionRow& r) {
    const EventDef* def = nullptr;
    std::int64_t eventNumber = 0;
    for (std::size_t i = 0; i < events_.size() && !def; ++i) {
        if (events_[i].name == r.wait.event) {
            def = &events_[i];
            eventNumber = static_cast<std::int64_t>(i);
        }
    }
    Stmt& q = prepared_->insertSession;
    auto text = [&q](const std::string& s) -> Stmt& {
        return s.empty() ? q.bindNull() : q.bind(s);
    };
    q.bind(r.saddr).bind(r.sid).bind(r.serial).bind(r.audsid).bind(r.paddr).bind(r.userNo);
    text(r.username).bind(r.command).bind(kNoOwner);
    text(r.taddr);
    text(r.lockwait).bind(r.status).bind("DEDICATED").bind(r.userNo).bind(r.schemaName);
    text(r.osuser);
    text(r.process);
    text(r.machine);
    text(r.terminal);
    text(r.program).bind(r.type);
    q.bind(r.current ? r.current->address : std::string("00"));
    q.bind(r.current ? unsignedHash(r.current->hash) : 0);
    r.current ? q.bind(r.current->sqlId) : q.bindNull();
    r.current ? q.bind(0) : q.bindNull();
    bindExecution(q, r);
    q.bind(r.previous ? r.previous->address : std::string("00"));
    q.bind(r.previous ? unsignedHash(r.previous->hash) : 0);
    r.previous ? q.bind(r.previous->sqlId) : q.bindNull();
    r.previous ? q.bind(0) : q.bindNull();
    text(r.module).bind(textHash(r.module));
    text(r.action).bind(textHash(r.action));
    text(r.clientInfo).bind(r.fixedSequence);
    q.bind(r.rowWaitObj).bind(r.rowWaitFile).bind(r.rowWaitBlock).bind(r.rowWaitRow);
    q.bind(r.logonTime).bind(r.lastCallEt).bind("NO").bind("NONE").bind("NONE").bind("NO");
    text(r.consumerGroup).bind("DISABLED").bind("ENABLED").bind("ENABLED").bind(0);
    text(r.clientIdentifier);
    q.bind(r.type == "BACKGROUND" ? "SYS$BACKGROUND" : r.serviceName.c_str());
    // The current wait, as v$session_wait shows it (see the catalog's wait triggers).
    const WaitClass wc = waitClassOf(r.wait.event, def ? def->category : std::string());
    const bool waiting = r.wait.state == "WAITING";
    q.bind(r.seq).bind(eventNumber).bind(r.wait.event);
    q.bind(def ? def->p1text : std::string()).bind(r.wait.p1).bind(hex64(r.wait.p1));
    q.bind(def ? def->p2text : std::string()).bind(r.wait.p2).bind(hex64(r.wait.p2));
    q.bind(def ? def->p3text : std::string()).bind(r.wait.p3).bind(hex64(r.wait.p3));
    q.bind(wc.id).bind(wc.number).bind(wc.name).bind(r.wait.waitTime).bind(r.wait.secondsInWait);
    q.bind(r.wait.state).bind(r.wait.secondsInWait * 1000000 + (r.seq * 7919) % 1000000);
    waiting ? q.bind(-1) : q.bindNull();
    q.bind(waiting ? 0 : (r.seq * 104729) % 2000000);
    q.bind(waiting ? "NO HOLDER" : "NOT IN WAIT").bind(waiting ? "NO HOLDER" : "NOT IN WAIT");
    q.run();

    Stmt& w = prepared_->insertWait;
    w.bind(r.sid).bind(r.seq).bind(r.wait.event);
    w.bind(def ? def->p1text : std::string()).bind(r.wait.p1).bind(hex64(r.wait.p1));
    w.bind(def ? def->p2text : std::string()).bind(r.wait.p2).bind(hex64(r.wait.p2));
    w.bind(def ? def->p3text : std::string()).bind(r.wait.p3).bind(hex64(r.wait.p3));
    w.bind(wc.id).bind(wc.number).bind(wc.name);
    w.bind(r.wait.waitTime).bind(r.wait.secondsInWait).bind(r.wait.state);
    w.bind(r.wait.secondsInWait * 1000000 + (r.seq * 7919) % 1000000);
    waiting ? w.bind(-1) : w.bindNull();
    w.bind(waiting ? 0 : (r.seq * 104729) % 2000000).run();

    Stmt& c = prepared_->insertCursor;
    for (const SqlStatement* s : r.cursors) {
        c.bind(r.saddr).bind(r.sid);
        r.username.empty() ? c.bindNull() : c.bind(r.username);
        c.bind(s->address).bind(unsignedHash(s->hash)).bind(s->sqlId);
        c.bind(s->text.substr(0, 60)).bind(formatTime(clock_)).bind(s->address).run();
    }
}

std::int64_t Workload::nextSerial(Rng& rng) {
    // Serial numbers are 16-bit in Oracle: the counter wraps.
    std::int64_t serial = nextCounter("serial", 1000 + rng.below(400));
    if (serial > 65535) {
        counters_["serial"] = 0;
        serial = nextCounter("serial", 1);
    }
    return serial;
}

std::string Workload::nextProcessAddress() {
    const auto pid = static_cast<std::uint64_t>(nextCounter("process", 64));
    return hex64(kProcessBase + pid * kProcessSize);
}

SessionId Workload::logonConnection(std::int64_t sid, const NewSession& session) {
    Rng rng(mix(static_cast<std::uint64_t>(sid), static_cast<std::uint64_t>(clock_)));
    SessionRow r;
    r.sid = sid;
    r.serial = nextSerial(rng);
    r.audsid = nextCounter("audsid", 31200);
    r.saddr = sessionAddress(sid);
    r.paddr = nextProcessAddress();
    r.userNo = std::max<std::int64_t>(0, userId(session.username));
    r.username = session.username;
    r.schemaName = session.username;
    r.osuser = session.osuser;
    r.machine = session.machine;
    r.terminal = session.terminal;
    r.program = session.program;
    r.process = session.process;
    r.module = session.module;
    r.serviceName = "SYS$USERS";
    r.consumerGroup = "DEFAULT_CONSUMER_GROUP";
    r.logonTime = formatTime(clock_);
    fillActivity(rng, r, Activity::Idle, 0);
    insertSession(r);
    insertStatistics(rng, sid, 0.0, false, 0);
    insertEvents(rng, sid, 0.0, {"SQL*Net message to client"}, r.wait.event);
    return {sid, r.serial};
}

void Workload::logonBackground(Rng& rng, std::int64_t sid, const BackgroundDef& def,
                               std::int64_t startup) {
    SessionRow r;
    r.sid = sid;
    r.serial = 1;
    r.saddr = sessionAddress(sid);
    r.paddr = hex64(kProcessBase + static_cast<std::uint64_t>(sid + 1) * kProcessSize);
    r.schemaName = "SYS";
    r.osuser = "oracle";
    r.process = std::to_string(rng.range(2100, 2400));
    r.machine = "dbprod01";
    r.terminal = "UNKNOWN";
    r.program = "oracle@dbprod01 (" + def.name + ")";
    r.type = "BACKGROUND";
    r.status = "ACTIVE";
    r.logonTime = formatTime(startup);
    r.lastCallEt = clock_ - startup;
    r.fixedSequence = rng.range(1, 200);
    r.seq = rng.range(1, 65535);
    r.wait = {def.event, def.p1, def.p2, def.p3, 0, def.secondsInWait, "WAITING"};
    insertSession(r);

    const double hours = static_cast<double>(clock_ - startup) / 3600.0;
    insertStatistics(rng, sid, hours * 0.2, true, 0);
    std::vector<std::string> names{def.event};
    names.insert(names.end(), def.otherEvents.begin(), def.otherEvents.end());
    insertEvents(rng, sid, hours * 0.3, names, def.event);
}

void Workload::logonUser(Rng& rng, std::int64_t sid, std::int64_t ageSeconds) {
    const Profile& p = pickProfile(rng);
    const std::int64_t n = rng.range(1, 140);
    const std::int64_t pid = rng.range(1200, 9800);
    const std::int64_t tid = rng.range(1000, 9990);
    auto choose = [&](const std::vector<std::string>& alternatives) {
        return substitute(rng.pick(alternatives), n, pid, tid);
    };

    SessionRow r;
    r.sid = sid;
    r.serial = nextSerial(rng);
    r.audsid = nextCounter("audsid", 31200);
    r.saddr = sessionAddress(sid);
    r.paddr = nextProcessAddress();
    r.userNo = userId(p.username);
    r.username = p.username;
    r.schemaName = p.username;
    r.osuser = choose(p.osusers);
    r.machine = choose(p.machines);
    r.terminal = choose(p.terminals);
    r.program = choose(p.programs);
    r.process = choose(p.processes);
    r.module = choose(p.modules);
    r.action = choose(p.actions);
    r.clientInfo = choose(p.clientInfos);
    // Web sessions name their end user; the others do not.
    if (p.programs.front() == "JDBC Thin Client")
        r.clientIdentifier = "webuser" + std::to_string(n) + "@corp";
    r.consumerGroup = "DEFAULT_CONSUMER_GROUP";
    r.logonTime = formatTime(clock_ - ageSeconds);
    r.fixedSequence = rng.range(200, 90000);
    r.seq = rng.range(1, 65535);

    std::vector<const SqlStatement*> pool = statementsOf(p.username);
    const std::int64_t wanted =
        pool.empty()
            ? 0
            : rng.range(1, std::min<std::int64_t>(6, static_cast<std::int64_t>(pool.size())));
    for (std::int64_t i = 0; i < wanted; ++i) {
        const auto at = static_cast<std::size_t>(rng.below(static_cast<std::int64_t>(pool.size())));
        r.cursors.push_back(pool[at]);
        pool.erase(pool.begin() + static_cast<std::ptrdiff_t>(at));
    }
    // Now and then an application opens the same statement in two cursors.
    if (!r.cursors.empty() && rng.chance(60))
        r.cursors.push_back(r.cursors.front());
    if (!r.cursors.empty() && rng.chance(880))
        r.current = r.cursors.front();
    if (!r.cursors.empty())
        r.previous = r.cursors.back();

    const int roll = static_cast<int>(rng.below(1000));
    const Activity activity =
        roll < 620 ? Activity::Idle : (roll < 780 ? Activity::Cpu : Activity::Io);
    fillActivity(rng, r, activity, ageSeconds);
    insertSession(r);

    const double hours = static_cast<double>(std::min<std::int64_t>(ageSeconds, 86400)) / 3600.0;
    const double intensity = 0.05 + 3.0 * rng.unit() * rng.unit();
    insertStatistics(rng, sid, hours * intensity + 0.01, false,
                     static_cast<std::int64_t>(r.cursors.size()));
    std::vector<std::string> names;
    for (const EventDef& e : events_) {
        if (e.sessionPermille > 0 && rng.chance(e.sessionPermille))
            names.push_back(e.name);
    }
    insertEvents(rng, sid, hours * intensity + 0.01, names, r.wait.event);
}

void Workload::insertStatistics(Rng& rng, std::int64_t sid, double activity, bool background,
                                std::int64_t openCursors) {
    const std::uint64_t key = rng.next();
    std::vector<std::int64_t> values(stats_.size(), 0);
    for (std::size_t i = 0; i < stats_.size(); ++i) {
        if (stats_[i].scale > 0)
            values[i] = spread(static_cast<double>(stats_[i].scale) * activity, unitOf(key, i));
    }
    auto set = [&](const char* name, std::int64_t value) {
        const auto it = statIndex_.find(name);
        if (it != statIndex_.end())
            values[it->second] = value;
    };
    auto get = [&](const char* name) -> std::int64_t {
        const auto it = statIndex_.find(name);
        return it == statIndex_.end() ? 0 : values[it->second];
    };
    const std::int64_t blockGets = spread(6000 * activity, unitOf(key, 1001));
    const std::int64_t consistentGets = spread(60000 * activity, unitOf(key, 1002));
    const double missRatio = background ? 0.02 : 0.01 + 0.07 * unitOf(key, 1003);
    set("logons cumulative", 1);
    set("logons current", 1);
    set("opened cursors current", openCursors);
    set("db block gets", blockGets);
    set("consistent gets", consistentGets);
    set("session logical reads", blockGets + consistentGets);
    set("physical reads",
        static_cast<std::int64_t>(static_cast<double>(blockGets + consistentGets) * missRatio));
    set("CPU used when call started", get("CPU used by this session"));
    set("session uga memory max",
        std::max(get("session uga memory max"), get("session uga memory")));
    set("session pga memory max",
        std::max(get("session pga memory max"), get("session pga memory")));
    if (background) {
        set("background timeouts", spread(1200 * activity, unitOf(key, 1004)));
        set("user calls", 0);
    }
    Stmt& q = prepared_->insertStatistics;
    for (std::size_t i = 0; i < stats_.size(); ++i) {
        q.bind(sid).bind(stats_[i].number).bind(values[i]);
        statTotals_[i] += values[i];
    }
    q.run();
}

void Workload::insertEvents(Rng& rng, std::int64_t sid, double activity,
                            const std::vector<std::string>& names, const std::string& current) {
    struct Row {
        const EventDef* def;
        std::int64_t waits, timeouts, time;
    };
    std::vector<Row> rows;
    auto add = [&](const std::string& name) {
        for (const Row& r : rows) {
            if (r.def->name == name)
                return;
        }
        for (const EventDef& e : events_) {
            if (e.name != name)
                continue;
            const double typical = e.sessionWaits > 0 ? static_cast<double>(e.sessionWaits)
                                                      : static_cast<double>(e.systemWaits) / 40.0;
            const std::int64_t waits =
                std::max<std::int64_t>(1, spread(typical * activity, rng.unit()));
            const std::int64_t time = spread(static_cast<double>(waits) * e.averageCs, rng.unit());
            const std::int64_t timeouts =
                e.category == "timer" ? waits * 9 / 10 : (e.category == "lock" ? waits / 5 : 0);
            rows.push_back({&e, waits, timeouts, time});
        }
    };
    for (const std::string& name : names)
        add(name);
    add(current);
    // Sessions often have some events with the same time waited.
    Row* sequential = nullptr;
    Row* scattered = nullptr;
    for (Row& r : rows) {
        if (r.def->name == "db file sequential read")
            sequential = &r;
        if (r.def->name == "db file scattered read")
            scattered = &r;
    }
    if (sequential && scattered && rng.chance(250))
        scattered->time = sequential->time;

    Stmt& q = prepared_->insertEvent;
    for (const Row& r : rows) {
        const double average =
            std::round(static_cast<double>(r.time) / static_cast<double>(r.waits) * 100.0) / 100.0;
        const std::int64_t maxWait =
            r.time == 0 ? 0
                        : std::min(r.time, static_cast<std::int64_t>(average) + rng.range(1, 40));
        q.bind(sid).bind(r.def->name).bind(r.waits).bind(r.timeouts).bind(r.time).bind(average);
        const WaitClass wc = waitClassOf(r.def->name, r.def->category);
        q.bind(maxWait).bind(r.time * 10000 + rng.below(10000));
        q.bind(unsignedHash(statementHash(r.def->name))).bind(wc.id).bind(wc.number);
        q.bind(wc.name).run();
    }
}

} // namespace oradb::sandbox::detail
