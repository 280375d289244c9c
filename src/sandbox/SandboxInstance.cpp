#include "sandbox/SandboxInstance.h"

#include "oradb/OraError.h"
#include "sandbox/Catalog.h"
#include "util/DateTimeText.h"
#include "util/TextHelpers.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <sqlite3.h>
#include <unistd.h>

namespace oradb::sandbox {

using oradb::EOraError;

namespace {

std::mutex registryMutex;
std::map<std::string, std::weak_ptr<Instance>>& registry() {
    static std::map<std::string, std::weak_ptr<Instance>> instances;
    return instances;
}

std::string defaultDatabasePath() {
    const char* data = std::getenv("XDG_DATA_HOME");
    std::string dir;
    if (data && *data) {
        dir = std::string(data) + "/quenby";
    } else {
        const char* home = std::getenv("HOME");
        dir = std::string(home && *home ? home : ".") + "/.local/share/quenby";
    }
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    return dir + "/sandbox.db";
}

[[noreturn]] void unresolvable() {
    throw EOraError(12154, "TNS:could not resolve the connect identifier specified");
}

bool processAlive(long long pid) {
    return pid > 0 && (::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM);
}

std::string hostName() {
    char buf[256] = {};
    if (::gethostname(buf, sizeof buf - 1) != 0)
        return "localhost";
    return buf;
}

std::string programName() {
    std::error_code ec;
    const auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? std::string("quenby") : exe.filename().string();
}

} // namespace

// ---- the driver session ----

class SandboxSession final : public oradb::IDriverSession {
public:
    SandboxSession(std::shared_ptr<Instance> instance, Instance::SessionState state)
        : instance_(std::move(instance)), state_(std::move(state)) {}
    ~SandboxSession() override { instance_->disconnect(state_); }

    oradb::TResultSet query(const std::string& sql, const oradb::TBindList& binds,
                            const std::atomic<bool>& cancel) override {
        return instance_->runQuery(state_, sql, binds, cancel);
    }
    std::int64_t execute(const std::string& sql, const oradb::TBindList& binds,
                         const std::atomic<bool>& cancel) override {
        return instance_->runExecute(state_, sql, binds, cancel);
    }
    // Cancelling is seen by the running statement through its cancel flag.
    void breakCall() override {}
    std::string user() const override { return state_.user; }

private:
    std::shared_ptr<Instance> instance_;
    Instance::SessionState state_; // written only under the instance's mutex
};

// ---- opening ----

std::shared_ptr<Instance> Instance::open(const std::string& server,
                                         const InstanceOptions& options) {
    const std::string lower = [&] {
        std::string s = server;
        for (char& c : s)
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        return s;
    }();
    if (lower.rfind("sandbox", 0) != 0)
        unresolvable();
    const std::string rest = server.substr(7);

    std::string key;
    bool memory = false;
    if (rest.empty()) {
        key = defaultDatabasePath();
    } else if (rest[0] != ':') {
        unresolvable();
    } else if (rest.rfind("::memory:", 0) == 0) {
        memory = true;
        key = "memory:" + rest.substr(9);
    } else {
        const std::filesystem::path path(rest.substr(1));
        if (path.empty())
            unresolvable();
        std::error_code ec;
        const auto parent = std::filesystem::absolute(path, ec).parent_path();
        if (ec || !std::filesystem::is_directory(parent, ec))
            unresolvable();
        key = std::filesystem::absolute(path).string();
    }

    std::lock_guard lock(registryMutex);
    if (auto existing = registry()[key].lock())
        return existing;

    sqlite3* db = nullptr;
    // Each in-memory instance is a private database of its own; a file may be shared with other
    // processes. The instance's own mutex serialises every use of the connection, so SQLite's
    // per-call mutex (taken again for each value of each row read) is left out.
    const int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX;
    if (sqlite3_open_v2(memory ? ":memory:" : key.c_str(), &db, flags, nullptr) != SQLITE_OK) {
        sqlite3_close(db);
        unresolvable();
    }
    std::shared_ptr<Instance> instance(new Instance(key, db, options));
    registry()[key] = instance;
    return instance;
}

Instance::Instance(std::string key, sqlite3* db, const InstanceOptions& options)
    : key_(std::move(key)), db_(db), options_(options) {
    sqlite3_busy_timeout(db_, 5000);
    registerOracleFunctions(db_, this);
    sqlite3_progress_handler(
        db_, 2000,
        [](void* self) -> int {
            auto* instance = static_cast<Instance*>(self);
            if (instance->hasProgressHook_.load())
                instance->runProgressHook();
            return instance->currentCancel_ && instance->currentCancel_->load() ? 1 : 0;
        },
        this);

    // A database without the sandbox's bookkeeping is new: build and seed it. A file that
    // holds something else is not a sandbox database.
    bool fresh = true;
    try {
        fresh = sqliteRowsLocked("select count(*) from sqlite_master")[0][0] == "0";
        if (!fresh &&
            sqliteRowsLocked("select count(*) from sqlite_master where name='sbx_meta'")[0][0] ==
                "0") {
            sqlite3_close(db_);
            unresolvable();
        }
        exec("pragma journal_mode=wal");
        if (fresh) {
            exec("begin immediate");
            createCatalog(db_);
            seedCatalog(db_, {options_.sessions, options_.seed});
            exec("commit");
        } else if (!catalogIsCurrent(db_)) {
            // Built by an earlier version of the program.
            exec("begin immediate");
            if (!catalogIsCurrent(db_))
                upgradeCatalog(db_);
            exec("commit");
        }
        createFunctionIndexes(db_);
        const auto seed = sqliteRowsLocked("select value from sbx_meta where key='seed'");
        if (!seed.empty())
            options_.seed = std::strtoull(seed[0][0].c_str(), nullptr, 10);
        if (!fresh)
            syncClock();
        cleanStaleConnections();
    } catch (const EOraError&) {
        throw;
    } catch (const std::exception& e) {
        sqlite3_close(db_);
        throw EOraError(12154, std::string("TNS:could not resolve the connect identifier "
                                           "specified (") +
                                   e.what() + ")");
    }
    setAutoTick(options_.autoTick);
}

Instance::~Instance() {
    setAutoTick(false);
    {
        std::lock_guard lock(registryMutex);
        auto it = registry().find(key_);
        if (it != registry().end() && it->second.expired())
            registry().erase(it);
    }
    sqlite3_close(db_);
}

void Instance::cleanStaleConnections() {
    // Sessions left behind by a process that ended without logging off.
    for (const auto& row : sqliteRowsLocked("select sid, pid from sbx_connections")) {
        const long long pid = std::atoll(row[1].c_str());
        if (pid == ::getpid() || processAlive(pid))
            continue;
        removeSession(db_, std::atoll(row[0].c_str()));
        exec("delete from sbx_table_locks where sid=" + row[0]);
    }
}

// ---- logging on and off ----

std::unique_ptr<oradb::IDriverSession> Instance::connect(const std::string& username,
                                                         const std::string& password,
                                                         oradb::TConnectPrivilege privilege) {
    SessionState state;
    {
        std::lock_guard lock(mutex_);
        const std::string user = util::upperAscii(username);
        if (password.empty())
            throw EOraError(1005, "null password given; logon denied");
        sqlite3_stmt* st = nullptr;
        sqlite3_prepare_v2(db_, "select password from sbx_accounts where username=?", -1, &st,
                           nullptr);
        sqlite3_bind_text(st, 1, user.c_str(), -1, SQLITE_TRANSIENT);
        bool ok = false;
        if (sqlite3_step(st) == SQLITE_ROW) {
            const auto* stored = reinterpret_cast<const char*>(sqlite3_column_text(st, 0));
            // Oracle passwords of this era are not case sensitive.
            ok = stored && util::upperAscii(stored) == util::upperAscii(password);
        }
        sqlite3_finalize(st);
        if (!ok)
            throw EOraError(1017, "invalid username/password; logon denied");
        const bool administrative = privilege != oradb::TConnectPrivilege::Normal;
        // The password file of the instance lists SYS alone.
        if (administrative && user != "SYS")
            throw EOraError(1031, "insufficient privileges");
        if (!administrative && user == "SYS")
            throw EOraError(28009, "connection as SYS should be as SYSDBA or SYSOPER");
        if (!administrative) {
            const auto status = sqliteRowsLocked(
                "select account_status from dba_users where username=" + util::sqlQuoted(user));
            const std::string accountStatus = status.empty() ? "OPEN" : status[0][0];
            if (accountStatus.find("LOCKED") != std::string::npos)
                throw EOraError(28000, "the account is locked");
            if (accountStatus.starts_with("EXPIRED") && accountStatus != "EXPIRED(GRACE)")
                throw EOraError(28001, "the password has expired");
        }
        const std::string sessionUser = privilege == oradb::TConnectPrivilege::SysDba    ? "SYS"
                                        : privilege == oradb::TConnectPrivilege::SysOper ? "PUBLIC"
                                                                                         : user;

        const char* login = std::getenv("USER");
        NewSession ns;
        ns.username = sessionUser;
        ns.osuser = login && *login ? login : "quenby";
        ns.machine = hostName();
        ns.terminal = "pts/0";
        ns.program = programName() + "@" + hostName();
        ns.module = programName();
        ns.process = std::to_string(::getpid());
        exec("begin immediate");
        try {
            const SessionId id = addConnectionSession(db_, ns);
            exec("update sbx_connections set pid=" + std::to_string(::getpid()) +
                 " where sid=" + std::to_string(id.sid));
            exec("commit");
            state.sid = id.sid;
            state.serial = id.serial;
        } catch (...) {
            exec("rollback");
            throw;
        }
        state.user = sessionUser;
        state.generation = ++generation_;
    }
    return std::make_unique<SandboxSession>(shared_from_this(), std::move(state));
}

void Instance::disconnect(SessionState& s) {
    std::lock_guard lock(mutex_);
    if (s.dead)
        return;
    s.dead = true;
    try {
        releaseLocks(s);
        removeSession(db_, s.sid);
    } catch (...) {
        // Logging off must not fail; a session row left behind is cleaned at the next open.
    }
}

void Instance::checkAlive(SessionState& s) {
    if (s.dead)
        throw EOraError(1012, "not logged on");
    if (s.generation <= lostGeneration_) {
        s.dead = true;
        releaseLocks(s);
        removeSession(db_, s.sid);
        throw EOraError(3113, "end-of-file on communication channel");
    }
    const auto rows = sqliteRowsLocked("select status, \"serial#\" from \"v$session\" where sid=" +
                                       std::to_string(s.sid));
    if (rows.empty() || rows[0][0] == "KILLED" || rows[0][1] != std::to_string(s.serial)) {
        s.dead = true;
        releaseLocks(s);
        if (!rows.empty() && rows[0][1] == std::to_string(s.serial))
            removeSession(db_, s.sid);
        throw EOraError(28, "your session has been killed");
    }
}

void Instance::loseConnections() {
    std::lock_guard lock(mutex_);
    lostGeneration_ = generation_;
}

// ---- simulator ----

std::uint64_t Instance::tickCount() {
    std::lock_guard lock(mutex_);
    const auto rows = sqliteRowsLocked("select value from sbx_meta where key='tick'");
    return rows.empty() ? 0 : std::strtoull(rows[0][0].c_str(), nullptr, 10);
}

void Instance::tickLocked() {
    exec("begin immediate");
    try {
        const auto rows = sqliteRowsLocked("select value from sbx_meta where key='tick'");
        const std::uint64_t tick =
            rows.empty() ? 0 : std::strtoull(rows[0][0].c_str(), nullptr, 10);
        simulateTick(db_, options_.seed, tick + 1);
        exec("insert or replace into sbx_meta(key,value) values('tick','" +
             std::to_string(tick + 1) + "')");
        exec("commit");
    } catch (...) {
        exec("rollback");
        throw;
    }
}

void Instance::step(int ticks) {
    std::lock_guard lock(mutex_);
    for (int i = 0; i < ticks; ++i)
        tickLocked();
}

void Instance::setAutoTick(bool on) {
    std::unique_lock lock(tickerMutex_);
    if (on == autoTick_)
        return;
    autoTick_ = on;
    if (on) {
        tickerStop_ = false;
        ticker_ = std::thread([this] { tickLoop(); });
        return;
    }
    tickerStop_ = true;
    tickerWake_.notify_all();
    std::thread t = std::move(ticker_);
    lock.unlock();
    if (t.joinable())
        t.join();
}

void Instance::tickLoop() {
    std::unique_lock lock(tickerMutex_);
    while (!tickerWake_.wait_for(lock, std::chrono::seconds(1), [this] { return tickerStop_; })) {
        lock.unlock();
        try {
            std::lock_guard dbLock(mutex_);
            // Several processes may share a sandbox file: tick only when no one ticked lately.
            const auto nowMs = std::chrono::duration_cast<std::chrono::milliseconds>(
                                   std::chrono::system_clock::now().time_since_epoch())
                                   .count();
            const auto last =
                sqliteRowsLocked("select value from sbx_meta where key='last_tick_ms'");
            // A last tick in the future (the clock was set back) does not stop the ticking.
            const long long age = last.empty() ? 0 : nowMs - std::atoll(last[0][0].c_str());
            if (last.empty() || age >= 900 || age < 0) {
                syncClock();
                tickLocked();
                exec("insert or replace into sbx_meta(key,value) values('last_tick_ms','" +
                     std::to_string(nowMs) + "')");
            }
        } catch (...) {
            // A busy file (another process writing) skips this tick.
        }
        lock.lock();
    }
}

// The simulated sessions' clock follows the wall clock when the instance runs in real time (a
// tick by hand advances it by itself, so that tests stay deterministic).
void Instance::syncClock() {
    exec("update sbx_meta set value='" + util::toIsoText(util::now()) + "' where key='clock'");
}

// ---- faults ----

void Instance::addFault(const Fault& fault) {
    std::lock_guard lock(mutex_);
    faults_.push_back(fault);
}

void Instance::clearFaults() {
    std::lock_guard lock(mutex_);
    faults_.clear();
}

void Instance::setCallHook(std::function<void(const std::string& sql)> hook) {
    std::lock_guard lock(hookMutex_);
    if (hook)
        callHook_ =
            std::make_shared<const std::function<void(const std::string&)>>(std::move(hook));
    else
        callHook_.reset();
}

void Instance::setProgressHook(std::function<void()> hook) {
    std::lock_guard lock(hookMutex_);
    if (hook)
        progressHook_ = std::make_shared<const std::function<void()>>(std::move(hook));
    else
        progressHook_.reset();
    hasProgressHook_ = progressHook_ != nullptr;
}

void Instance::runProgressHook() {
    std::shared_ptr<const std::function<void()>> hook;
    {
        std::lock_guard lock(hookMutex_);
        hook = progressHook_;
    }
    if (hook)
        (*hook)();
}

void Instance::runCallHook(const std::string& sql) {
    std::shared_ptr<const std::function<void(const std::string&)>> hook;
    {
        std::lock_guard lock(hookMutex_);
        hook = callHook_;
    }
    if (hook)
        (*hook)(sql);
}

std::optional<Fault> Instance::matchFault(const std::string& sql) {
    const std::string text = util::upperAscii(sql);
    for (auto it = faults_.begin(); it != faults_.end(); ++it) {
        if (text.find(util::upperAscii(it->fragment)) == std::string::npos)
            continue;
        Fault f = *it;
        if (it->times > 0 && --it->times == 0)
            faults_.erase(it);
        return f;
    }
    return std::nullopt;
}

// ---- helpers ----

std::string Instance::sysdateText() {
    if (!callSysdate_.empty())
        return callSysdate_;
    return util::toIsoText(util::now());
}

void Instance::exec(const std::string& sqliteSql) {
    char* err = nullptr;
    if (sqlite3_exec(db_, sqliteSql.c_str(), nullptr, nullptr, &err) != SQLITE_OK) {
        std::string msg = err ? err : "sqlite error";
        sqlite3_free(err);
        throw std::runtime_error(msg + " in: " + sqliteSql);
    }
}

std::vector<std::vector<std::string>> Instance::sqliteRows(const std::string& sql) {
    std::lock_guard lock(mutex_);
    return sqliteRowsLocked(sql);
}

std::vector<std::vector<std::string>> Instance::sqliteRowsLocked(const std::string& sql) {
    sqlite3_stmt* st = nullptr;
    if (sqlite3_prepare_v2(db_, sql.c_str(), -1, &st, nullptr) != SQLITE_OK)
        throw std::runtime_error(std::string(sqlite3_errmsg(db_)) + " in: " + sql);
    std::vector<std::vector<std::string>> rows;
    int rc;
    while ((rc = sqlite3_step(st)) == SQLITE_ROW) {
        std::vector<std::string> row;
        for (int i = 0; i < sqlite3_column_count(st); ++i) {
            const auto* t = reinterpret_cast<const char*>(sqlite3_column_text(st, i));
            row.emplace_back(t ? t : "");
        }
        rows.push_back(std::move(row));
    }
    sqlite3_finalize(st);
    if (rc != SQLITE_DONE)
        throw std::runtime_error(std::string(sqlite3_errmsg(db_)) + " in: " + sql);
    return rows;
}

} // namespace oradb::sandbox
