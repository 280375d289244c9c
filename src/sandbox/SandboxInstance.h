// The embedded sandbox instance: an Oracle instance in miniature on SQLite. One Instance per
// database (a file, or a named in-memory database) per process, shared by every session that
// connects to it; its calls are serialised by one mutex, so any thread may use it.
#pragma once

#include "oradb/OraDriver.h"
#include "sandbox/OraDialect.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <thread>
#include <vector>

struct sqlite3;

namespace oradb::sandbox {

struct InstanceOptions {
    int sessions = 40;             // simulated sessions seeded into a new database
    std::uint64_t seed = 20261208; // seed of the seed data and the simulator
    bool autoTick = true;          // run the simulator once a second on a thread of its own
};

// A fault the instance injects into statements whose text contains `fragment` (case ignored;
// an empty fragment matches every statement).
struct Fault {
    std::string fragment;
    int failAfterRows = -1; // >= 0: the fetch fails after that many rows (0: the open fails)
    int code = 600;         // Oracle error of the failure
    std::string text = "internal error code, arguments: [sandbox fault]";
    int delayMs = 0; // > 0: the statement first takes that long (cancellable)
    int times = -1;  // how many statements it hits; -1: until cleared
};

class SandboxSession;

class Instance final : public FunctionHost, public std::enable_shared_from_this<Instance> {
public:
    // Opens the instance that a sandbox Server text names: "sandbox" (the user's data folder),
    // "sandbox:PATH" (a file, created in an existing folder) or "sandbox::memory:[NAME]".
    // Options apply when the database is new. Raises oradb::EOraError (ORA-12154 for a path
    // that cannot be used).
    static std::shared_ptr<Instance> open(const std::string& server,
                                          const InstanceOptions& options = {});
    ~Instance() override;
    Instance(const Instance&) = delete;
    Instance& operator=(const Instance&) = delete;

    // Logs a user on; raises ORA-01017 (wrong user or password), ORA-01005 (empty password),
    // ORA-28000 (account locked) or ORA-28001 (password expired), as dba_users.account_status
    // says. SYS must log on as SYSDBA or SYSOPER (ORA-28009); only SYS holds those privileges
    // (ORA-01031 for anyone else). A SYSDBA login works as SYS, a SYSOPER one as PUBLIC.
    std::unique_ptr<oradb::IDriverSession>
    connect(const std::string& username, const std::string& password,
            oradb::TConnectPrivilege privilege = oradb::TConnectPrivilege::Normal);

    // The workload simulator, stepped by hand (deterministic) or once a second.
    void step(int ticks = 1);
    void setAutoTick(bool on);
    std::uint64_t tickCount();

    // Faults on demand.
    void addFault(const Fault& fault);
    void clearFaults();
    // Every session connected now gets ORA-03113 on its next call.
    void loseConnections();
    // Runs `hook` with the statement text at the start of every call of the instance's sessions,
    // on the calling thread, before the call looks at its cancel flag: tests hold a call at its
    // start with it to order a cancel against the call. An empty function removes it.
    void setCallHook(std::function<void(const std::string& sql)> hook);
    // Runs `hook` every few thousand steps of a statement while it runs, on the calling thread,
    // with the instance locked (the hook must not call the instance), just before the statement
    // looks at its cancel flag: tests cancel a statement halfway with it. An empty function
    // removes it.
    void setProgressHook(std::function<void()> hook);
    // Ends every fault delay in progress now as a cancel would (ORA-01013), so that a test whose
    // deadline has passed gets its statement back instead of waiting the delay out.
    void releaseDelays() { ++delayRelease_; }

    // Runs SQLite text directly (no translation, no privileges) and returns its rows as text;
    // for tests and for the simulator's own use. Raises std::runtime_error.
    std::vector<std::vector<std::string>> sqliteRows(const std::string& sql);

    // How many statements the instance has run for its sessions (queries and executes alike),
    // so that tests and benchmarks can count what a page costs.
    std::uint64_t statementCount() const { return statements_.load(); }
    // Cursor loops of the set-based shape (PlsqlCursorLoop::setSql) run as one statement; off,
    // they run row by row like any loop (tests compare the two).
    void setSetBasedLoops(bool on) { setBasedLoops_ = on; }
    // How many loops ran as one set-based statement.
    std::uint64_t setBasedBlockCount() const { return setBasedBlocks_.load(); }

    // FunctionHost
    std::string sysdateText() override;
    std::string currentUser() override { return currentUser_; }
    std::int64_t currentSid() override { return currentSid_; }

    // The key under which the instance is registered ("memory:NAME" or the file's path).
    const std::string& key() const { return key_; }

private:
    friend class SandboxSession;
    Instance(std::string key, sqlite3* db, const InstanceOptions& options);

    struct SessionState {
        std::string user;
        std::int64_t sid = 0;
        std::int64_t serial = 0;
        std::uint64_t generation = 0; // lost when below lostGeneration_
        bool dead = false;
        std::map<std::string, std::string> sessionParameters;
    };

    // Called by SandboxSession with the instance mutex not held.
    oradb::TResultSet runQuery(SessionState& s, const std::string& sql,
                               const oradb::TBindList& binds, const std::atomic<bool>& cancel);
    std::int64_t runExecute(SessionState& s, const std::string& sql, const oradb::TBindList& binds,
                            const std::atomic<bool>& cancel);
    void disconnect(SessionState& s);

    // All below: the mutex is held.
    Translation prepareCall(SessionState& s, const std::string& sql);
    void checkAlive(SessionState& s);
    void checkAccess(const SessionState& s, const std::vector<std::string>& tables);
    bool hasRole(const std::string& user, const std::string& role);
    bool isDba(const std::string& user);
    void reloadSynonymsIfChanged();
    oradb::TResultSet select(const std::string& sqliteSql, const oradb::TBindList& binds,
                             const Fault* fault, const std::vector<std::string>& oracleTypes = {},
                             const std::vector<std::string>& headings = {});
    std::int64_t dml(const std::string& sqliteSql, const oradb::TBindList& binds);
    std::int64_t executeTranslated(SessionState& s, const Translation& t,
                                   const oradb::TBindList& binds);
    void createTable(SessionState& s, const Translation& t);
    void dropTable(SessionState& s, const Translation& t);
    void createSynonym(SessionState& s, const Translation& t);
    void dropSynonym(SessionState& s, const Translation& t);
    void dropConstraint(SessionState& s, const Translation& t);
    void killSession(SessionState& s, const Translation& t);
    void cancelSql(SessionState& s, const Translation& t);
    // How many ALTER SYSTEM CANCEL SQL statements have named the session; a call of this
    // process that sees the count move while it runs ends with ORA-01013. Any mutex state.
    std::uint64_t sqlCancelCount(std::int64_t sid);
    void alterUser(SessionState& s, const Translation& t);
    void alterParameter(SessionState& s, const Translation& t);
    bool lockTable(SessionState& s, const Translation& t);
    void releaseLocks(const SessionState& s);
    std::int64_t runBlock(SessionState& s, const Translation& t);
    // Runs a loop's set-based statement; false (with nothing changed) when the loop must run
    // row by row instead. Raises on a cancel.
    bool runSetBased(const PlsqlCursorLoop& b, std::int64_t& changed);
    [[noreturn]] void raiseSqlite(int rc);
    void exec(const std::string& sqliteSql);
    std::vector<std::vector<std::string>> sqliteRowsLocked(const std::string& sql);
    bool objectExists(const std::string& name);
    std::optional<Fault> matchFault(const std::string& sql);
    void runCallHook(const std::string& sql);
    void runProgressHook();
    void tickLocked();
    void syncClock();
    void tickLoop();
    void cleanStaleConnections();

    std::string key_;
    sqlite3* db_;
    InstanceOptions options_;
    std::mutex mutex_;
    SynonymMap synonyms_;
    long long synonymsVersion_ = -1;
    std::vector<Fault> faults_;
    std::mutex hookMutex_;
    std::shared_ptr<const std::function<void(const std::string&)>> callHook_; // hookMutex_
    std::shared_ptr<const std::function<void()>> progressHook_;               // hookMutex_
    std::atomic<bool> hasProgressHook_{false};
    std::atomic<std::uint64_t> lostGeneration_{0};
    std::atomic<std::uint64_t> statements_{0};
    std::atomic<bool> setBasedLoops_{true};
    std::atomic<std::uint64_t> setBasedBlocks_{0};
    std::atomic<std::uint64_t> delayRelease_{0};
    std::mutex sqlCancelMutex_;
    std::map<std::int64_t, std::uint64_t> sqlCancels_; // sqlCancelMutex_
    std::uint64_t generation_ = 0;
    std::string currentUser_;
    std::int64_t currentSid_ = 0;
    const std::atomic<bool>* currentCancel_ = nullptr;
    std::string callSysdate_; // SYSDATE of the running call, empty between calls

    std::thread ticker_;
    std::mutex tickerMutex_;
    std::condition_variable tickerWake_;
    bool tickerStop_ = false;
    bool autoTick_ = false;
};

} // namespace oradb::sandbox
