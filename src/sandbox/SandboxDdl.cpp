// The sandbox's statements that change the dictionary or the instance rather than rows: tables
// with their unique constraints and column lengths, public synonyms, killing sessions, changing
// parameters, table locks, and the PL/SQL cursor loops.
#include "oradb/OraError.h"
#include "sandbox/Catalog.h"
#include "sandbox/SandboxInstance.h"
#include "util/TextHelpers.h"

#include <algorithm>
#include <cstdio>
#include <map>
#include <sqlite3.h>
#include <unistd.h>
#include <vector>

namespace oradb::sandbox {

using oradb::EOraError;

namespace {

std::string ident(const std::string& s) {
    return "\"" + s + "\"";
}

[[noreturn]] void insufficientPrivileges() {
    throw EOraError(1031, "insufficient privileges");
}

bool isInteger(const std::string& v) {
    std::size_t i = 0;
    while (i < v.size() && std::isdigit(static_cast<unsigned char>(v[i])))
        ++i;
    if (i == 0)
        return false;
    if (i + 1 == v.size() && std::string("KkMmGg").find(v[i]) != std::string::npos)
        return true;
    return i == v.size();
}

// Oracle's table-lock modes and which of them may be held by two sessions at once.
int lockModeNumber(const std::string& mode) {
    if (mode == "row share" || mode == "share update")
        return 2;
    if (mode == "row exclusive")
        return 3;
    if (mode == "share")
        return 4;
    if (mode == "share row exclusive")
        return 5;
    if (mode == "exclusive")
        return 6;
    throw EOraError(905, "missing keyword");
}

bool compatible(int held, int requested) {
    static const bool table[7][7] = {
        {},
        {},
        {false, false, true, true, true, true, false},     // row share
        {false, false, true, true, false, false, false},   // row exclusive
        {false, false, true, false, true, false, false},   // share
        {false, false, true, false, false, false, false},  // share row exclusive
        {false, false, false, false, false, false, false}, // exclusive
    };
    return table[held][requested];
}

// A cursor's rows held as plain values, the texts and blobs of all rows in one buffer: reading
// thousands of rows then allocates little.
class HeldRows {
public:
    explicit HeldRows(int columns) : columns_(static_cast<std::size_t>(columns)) {}

    std::size_t count() const { return columns_ == 0 ? 0 : values_.size() / columns_; }

    // Copies the statement's current row.
    void add(sqlite3_stmt* st) {
        for (int c = 0; c < static_cast<int>(columns_); ++c) {
            Value v{sqlite3_column_type(st, c)};
            if (v.type == SQLITE_INTEGER) {
                v.integer = sqlite3_column_int64(st, c);
            } else if (v.type == SQLITE_FLOAT) {
                v.real = sqlite3_column_double(st, c);
            } else if (v.type == SQLITE_TEXT || v.type == SQLITE_BLOB) {
                const void* p =
                    v.type == SQLITE_TEXT ? sqlite3_column_text(st, c) : sqlite3_column_blob(st, c);
                v.length = static_cast<std::size_t>(sqlite3_column_bytes(st, c));
                v.offset = bytes_.size();
                if (p && v.length > 0)
                    bytes_.append(static_cast<const char*>(p), v.length);
            }
            values_.push_back(v);
        }
    }

    // Binds column `column` of row `row` to parameter `param`; the rows must outlive the step.
    void bind(sqlite3_stmt* st, int param, std::size_t row, std::size_t column) const {
        const Value& v = values_[row * columns_ + column];
        const char* p = bytes_.data() + v.offset;
        const int n = static_cast<int>(v.length);
        switch (v.type) {
        case SQLITE_INTEGER:
            sqlite3_bind_int64(st, param, v.integer);
            break;
        case SQLITE_FLOAT:
            sqlite3_bind_double(st, param, v.real);
            break;
        case SQLITE_TEXT:
            sqlite3_bind_text(st, param, p, n, SQLITE_STATIC);
            break;
        case SQLITE_BLOB:
            sqlite3_bind_blob(st, param, p, n, SQLITE_STATIC);
            break;
        default:
            sqlite3_bind_null(st, param);
        }
    }

private:
    struct Value {
        int type = SQLITE_NULL;
        sqlite3_int64 integer = 0;
        double real = 0;
        std::size_t offset = 0;
        std::size_t length = 0;
    };
    std::size_t columns_;
    std::vector<Value> values_;
    std::string bytes_;
};

} // namespace

bool Instance::objectExists(const std::string& name) {
    return !sqliteRowsLocked("select 1 from sqlite_master where type in ('table','view') and "
                             "name=" +
                             util::sqlQuoted(name) + " collate nocase")
                .empty();
}

void Instance::createTable(SessionState& s, const Translation& t) {
    if (!t.schema.empty() && util::upperAscii(t.schema) != s.user && !isDba(s.user))
        insufficientPrivileges();
    if (isCatalogObject(t.object) || objectExists(t.object))
        throw EOraError(955, "name is already used by an existing object");
    if (!t.tablespace.empty() &&
        sqliteRowsLocked("select 1 from dba_tablespaces where tablespace_name=" +
                         util::sqlQuoted(util::upperAscii(t.tablespace)))
            .empty())
        throw EOraError(959, "tablespace '" + util::upperAscii(t.tablespace) + "' does not exist");
    for (const auto& c : t.uniqueConstraints)
        if (!sqliteRowsLocked("select 1 from sbx_constraints where constraint_name=" +
                              util::sqlQuoted(c.name))
                 .empty())
            throw EOraError(2264, "name already used by an existing constraint");

    dml(t.sql, {});
    for (const auto& c : t.uniqueConstraints) {
        std::string cols;
        for (const auto& col : c.columns)
            cols += (cols.empty() ? "" : ",") + col;
        exec("create unique index " + ident(c.name) + " on " + ident(t.object) + "(" + cols + ")");
        exec("insert into sbx_constraints(constraint_name, table_name, columns) values(" +
             util::sqlQuoted(c.name) + "," + util::sqlQuoted(t.object) + "," +
             util::sqlQuoted(cols) + ")");
    }
    // Oracle refuses a text longer than its column; SQLite would store it. One trigger per event
    // checks every sized column: a row runs one trigger program, not one per column. When several
    // values are too long, the last such column is reported.
    std::string when, checks;
    for (const auto& col : sqliteRowsLocked("select name, type from pragma_table_info(" +
                                            util::sqlQuoted(t.object) + ")")) {
        const std::string type = util::upperAscii(col[1]);
        const auto open = type.find('(');
        if (open == std::string::npos ||
            (type.find("CHAR") == std::string::npos && type.find("RAW") == std::string::npos))
            continue;
        const int size = std::atoi(type.c_str() + open + 1);
        const std::string message = "ORA-12899: value too large for column \"" +
                                    util::upperAscii(t.schema.empty() ? s.user : t.schema) +
                                    "\".\"" + util::upperAscii(t.object) + "\".\"" +
                                    util::upperAscii(col[0]) +
                                    "\" (maximum: " + std::to_string(size) + ")";
        const std::string tooLong = "length(new." + ident(col[0]) + ") > " + std::to_string(size);
        when += (when.empty() ? "" : " or ") + tooLong;
        checks = "select raise(abort, " + util::sqlQuoted(message) + ") where " + tooLong + "; " +
                 checks;
    }
    if (!when.empty()) {
        for (const char* event : {"insert", "update"})
            exec("create trigger " + ident("sbx_len_" + t.object + "_" + event) + " before " +
                 event + " on " + ident(t.object) + " when " + when + " begin " + checks + "end");
    }
    const auto next = sqliteRowsLocked("select coalesce(max(object_id),0)+1 from dba_objects");
    exec("insert into dba_objects(owner, object_name, object_id, object_type, status) values(" +
         util::sqlQuoted(util::upperAscii(t.schema.empty() ? s.user : t.schema)) + "," +
         util::sqlQuoted(util::upperAscii(t.object)) + "," + next[0][0] + ",'TABLE','VALID')");
}

void Instance::dropTable(SessionState& s, const Translation& t) {
    if (isCatalogObject(t.object))
        insufficientPrivileges();
    if (!objectExists(t.object))
        throw EOraError(942, "table or view does not exist");
    if (!t.schema.empty() && util::upperAscii(t.schema) != s.user && !isDba(s.user))
        insufficientPrivileges();
    exec("drop table " + ident(t.object));
    exec("delete from sbx_constraints where table_name=" + util::sqlQuoted(t.object));
    exec("delete from sbx_table_locks where object=" + util::sqlQuoted(t.object));
    exec("delete from dba_objects where object_type='TABLE' and object_name=" +
         util::sqlQuoted(util::upperAscii(t.object)));
}

void Instance::createSynonym(SessionState& s, const Translation& t) {
    if (t.publicSynonym && !isDba(s.user))
        insufficientPrivileges();
    if (!sqliteRowsLocked("select 1 from sbx_synonyms where name=" + util::sqlQuoted(t.object))
             .empty())
        throw EOraError(955, "name is already used by an existing object");
    exec("insert into sbx_synonyms(name, target) values(" + util::sqlQuoted(t.object) + "," +
         util::sqlQuoted(t.synonymTarget) + ")");
    synonymsVersion_ = -1;
}

void Instance::dropSynonym(SessionState& s, const Translation& t) {
    if (t.publicSynonym && !isDba(s.user))
        insufficientPrivileges();
    if (sqliteRowsLocked("select 1 from sbx_synonyms where name=" + util::sqlQuoted(t.object))
            .empty()) {
        if (t.publicSynonym)
            throw EOraError(1432, "public synonym to be dropped does not exist");
        throw EOraError(1434, "private synonym to be dropped does not exist");
    }
    exec("delete from sbx_synonyms where name=" + util::sqlQuoted(t.object));
    synonymsVersion_ = -1;
}

void Instance::dropConstraint(SessionState& s, const Translation& t) {
    if (!t.schema.empty() && util::upperAscii(t.schema) != s.user && !isDba(s.user))
        insufficientPrivileges();
    if (!objectExists(t.object))
        throw EOraError(942, "table or view does not exist");
    if (sqliteRowsLocked(
            "select 1 from sbx_constraints where constraint_name=" + util::sqlQuoted(t.constraint) +
            " and table_name=" + util::sqlQuoted(t.object))
            .empty())
        throw EOraError(2443, "Cannot drop constraint  - nonexistent constraint");
    exec("drop index " + ident(t.constraint));
    exec("delete from sbx_constraints where constraint_name=" + util::sqlQuoted(t.constraint));
}

// The account status of dba_users, as the logon checks it: locked, expired, or both.
void Instance::alterUser(SessionState& s, const Translation& t) {
    if (!isDba(s.user))
        insufficientPrivileges();
    const std::string user = util::upperAscii(t.object);
    const auto status = sqliteRowsLocked("select account_status from dba_users where username=" +
                                         util::sqlQuoted(user));
    if (status.empty())
        throw EOraError(1918, "user '" + user + "' does not exist");
    bool locked = status[0][0].find("LOCKED") != std::string::npos;
    bool expired = status[0][0].starts_with("EXPIRED");
    if (t.accountChange == "lock")
        locked = true;
    else if (t.accountChange == "unlock")
        locked = false;
    else
        expired = true;
    const std::string next = expired && locked ? "EXPIRED & LOCKED"
                             : expired         ? "EXPIRED"
                             : locked          ? "LOCKED"
                                               : "OPEN";
    exec("update dba_users set account_status=" + util::sqlQuoted(next) +
         " where username=" + util::sqlQuoted(user));
}

void Instance::killSession(SessionState& s, const Translation& t) {
    if (!isDba(s.user))
        insufficientPrivileges();
    if (!isInteger(t.killSid) || !isInteger(t.killSerial))
        throw EOraError(26, "missing or invalid session ID");
    const auto status = sqliteRowsLocked("select status from \"v$session\" where sid=" + t.killSid +
                                         " and \"serial#\"=" + t.killSerial);
    if (status.empty())
        throw EOraError(30, "User session ID does not exist.");
    if (status[0][0] == "KILLED")
        throw EOraError(31, "session marked for kill");
    if (std::to_string(s.sid) == t.killSid)
        throw EOraError(27, "cannot kill current session");
    exec("update \"v$session\" set status='KILLED', server='PSEUDO' where sid=" + t.killSid);
}

std::uint64_t Instance::sqlCancelCount(std::int64_t sid) {
    std::lock_guard lock(sqlCancelMutex_);
    const auto it = sqlCancels_.find(sid);
    return it == sqlCancels_.end() ? 0 : it->second;
}

void Instance::cancelSql(SessionState& s, const Translation& t) {
    if (!isDba(s.user))
        insufficientPrivileges();
    if (!isInteger(t.killSid) || !isInteger(t.killSerial))
        throw EOraError(26, "missing or invalid session ID");
    const auto rows = sqliteRowsLocked("select sql_id from \"v$session\" where sid=" + t.killSid +
                                       " and \"serial#\"=" + t.killSerial);
    if (rows.empty())
        throw EOraError(30, "User session ID does not exist.");
    // With a sql_id, only a call running that statement is cancelled.
    if (!t.cancelSqlId.empty() && rows[0][0] != t.cancelSqlId)
        return;
    const std::int64_t sid = std::stoll(t.killSid);
    if (sid == s.sid)
        return; // the session's current call is this statement
    const bool connection =
        !sqliteRowsLocked("select 1 from sbx_connections where sid=" + t.killSid).empty();
    if (connection) {
        // A real connection: a call of this process that is running now (one that a fault
        // holds) sees the count move and ends with ORA-01013. A call of another process on the
        // same file does not see it and runs on; an idle connection has nothing to cancel.
        std::lock_guard lock(sqlCancelMutex_);
        ++sqlCancels_[sid];
        return;
    }
    cancelCurrentCall(db_, sid);
}

// String parameters that take one of a fixed set of words answer any other value with
// ORA-00096, as the instance does.
static void checkEnumeratedValue(const std::string& parameter, const std::string& value) {
    static const std::map<std::string, std::vector<std::string>> allowed = {
        {"cursor_sharing", {"SIMILAR", "EXACT", "FORCE"}},
        {"optimizer_mode",
         {"ALL_ROWS", "FIRST_ROWS", "RULE", "CHOOSE", "FIRST_ROWS_1", "FIRST_ROWS_10",
          "FIRST_ROWS_100", "FIRST_ROWS_1000"}},
        {"statistics_level", {"ALL", "TYPICAL", "BASIC"}},
        {"nls_length_semantics", {"BYTE", "CHAR"}},
        {"db_cache_advice", {"ON", "READY", "OFF"}},
        {"standby_file_management", {"MANUAL", "AUTO"}},
    };
    const auto it = allowed.find(util::lowerAscii(parameter));
    if (it == allowed.end())
        return;
    const std::string word = util::upperAscii(value);
    for (const std::string& a : it->second)
        if (a == word)
            return;
    std::string among;
    for (const std::string& a : it->second)
        among += (among.empty() ? "" : ", ") + a;
    throw EOraError(96, "invalid value " + value + " for parameter " + util::lowerAscii(parameter) +
                            ", must be from among " + among);
}

void Instance::alterParameter(SessionState& s, const Translation& t) {
    const bool system = t.kind == StmtKind::AlterSystemSet;
    if (system && !isDba(s.user))
        insufficientPrivileges();
    const auto rows = sqliteRowsLocked(
        "select type, isses_modifiable, issys_modifiable from \"v$system_parameter\" where name=" +
        util::sqlQuoted(t.parameter));
    if (rows.empty()) {
        if (system)
            throw EOraError(2065, "illegal option for ALTER SYSTEM");
        throw EOraError(2248, "invalid option for ALTER SESSION");
    }
    const std::string type = rows[0][0];
    const std::string sessionModifiable = rows[0][1];
    const std::string systemModifiable = rows[0][2];
    if (system && systemModifiable == "FALSE")
        throw EOraError(2095, "specified initialization parameter cannot be modified");
    if ((system && systemModifiable == "DEFERRED" && !t.deferred) ||
        (!system && sessionModifiable != "TRUE"))
        throw EOraError(2096, "specified initialization parameter is not modifiable with this "
                              "option");
    std::string value = t.value;
    if (type == "1") {
        value = util::upperAscii(value);
        if (value != "TRUE" && value != "FALSE")
            throw EOraError(96, "invalid value " + t.value + " for parameter " + t.parameter +
                                    ", must be from among TRUE, FALSE");
    } else if ((type == "3" || type == "6") && !isInteger(value)) {
        throw EOraError(2017, "integer value required");
    } else if (type == "2") {
        checkEnumeratedValue(t.parameter, value);
    }
    if (system)
        exec("update \"v$system_parameter\" set value=" + util::sqlQuoted(value) +
             ", ismodified='SYSTEM_MOD' where name=" + util::sqlQuoted(t.parameter));
    else
        s.sessionParameters[t.parameter] = value;
}

bool Instance::lockTable(SessionState& s, const Translation& t) {
    if (!objectExists(t.object))
        throw EOraError(942, "table or view does not exist");
    const int mode = lockModeNumber(t.lockMode);
    const std::string pid = std::to_string(::getpid());
    const std::string sid = std::to_string(s.sid);
    for (const auto& held : sqliteRowsLocked("select sid, pid, mode from sbx_table_locks where "
                                             "object=" +
                                             util::sqlQuoted(t.object))) {
        if (held[0] == sid && held[1] == pid)
            continue;
        if (!compatible(std::atoi(held[2].c_str()), mode))
            throw EOraError(54, "resource busy and acquire with NOWAIT specified");
    }
    const auto id = sqliteRowsLocked(
        "select coalesce(max(object_id),0) from dba_objects where object_type='TABLE' and "
        "object_name=" +
        util::sqlQuoted(util::upperAscii(t.object)));
    const auto existing = sqliteRowsLocked(
        "select mode from sbx_table_locks where object=" + util::sqlQuoted(t.object) +
        " and sid=" + sid + " and pid=" + pid);
    if (!existing.empty()) {
        if (std::atoi(existing[0][0].c_str()) >= mode)
            return true;
        exec("update sbx_table_locks set mode=" + std::to_string(mode) +
             " where object=" + util::sqlQuoted(t.object) + " and sid=" + sid + " and pid=" + pid);
        exec("update \"v$lock\" set lmode=" + std::to_string(mode) + " where sid=" + sid +
             " and type='TM' and id1=" + id[0][0] + " and addr like 'FFFF%'");
        return true;
    }
    exec("insert into sbx_table_locks(object, sid, mode, pid) values(" + util::sqlQuoted(t.object) +
         "," + sid + "," + std::to_string(mode) + "," + pid + ")");
    char addr[32];
    std::snprintf(addr, sizeof addr, "FFFF%012llX",
                  static_cast<unsigned long long>(s.sid) * 4096ULL +
                      std::stoull(id[0][0]) % 4096ULL);
    exec("insert into \"v$lock\"(addr, kaddr, sid, type, id1, id2, lmode, request, ctime, block) "
         "values(" +
         util::sqlQuoted(addr) + "," + util::sqlQuoted(addr) + "," + sid + ",'TM'," + id[0][0] +
         ",0," + std::to_string(mode) + ",0,0,0)");
    return true;
}

void Instance::releaseLocks(const SessionState& s) {
    exec("delete from sbx_table_locks where sid=" + std::to_string(s.sid) +
         " and pid=" + std::to_string(::getpid()));
    exec("delete from \"v$lock\" where sid=" + std::to_string(s.sid) + " and addr like 'FFFF%'");
}

bool Instance::runSetBased(const PlsqlCursorLoop& b, std::int64_t& changed) {
    // Its own savepoint, so that a failure other than a refused row leaves nothing behind for
    // the row-by-row run that follows. SQLite reads the whole select before it inserts when the
    // select reads the table written, so the cursor sees the data as of its open, as in Oracle.
    exec("savepoint sbx_set");
    sqlite3_stmt* st = nullptr;
    int rc = sqlite3_prepare_v2(db_, b.setSql.c_str(), -1, &st, nullptr);
    if (rc == SQLITE_OK) {
        while ((rc = sqlite3_step(st)) == SQLITE_ROW) {
        }
    }
    sqlite3_finalize(st);
    if (rc == SQLITE_DONE) {
        changed += sqlite3_changes64(db_);
        exec("release sbx_set");
        ++setBasedBlocks_;
        return true;
    }
    // A cancel rolls back the transaction, and with it the savepoint; other failures undo what
    // the statement did.
    if (!sqlite3_get_autocommit(db_)) {
        sqlite3_exec(db_, "rollback to sbx_set", nullptr, nullptr, nullptr);
        sqlite3_exec(db_, "release sbx_set", nullptr, nullptr, nullptr);
    }
    if (rc == SQLITE_INTERRUPT)
        raiseSqlite(rc);
    // A row failed otherwise than on a constraint (a text too long for its column): the loop
    // runs row by row, where the handler skips just that row.
    return false;
}

std::int64_t Instance::runBlock(SessionState& s, const Translation& t) {
    (void)s;
    const PlsqlCursorLoop& b = t.block;
    std::int64_t changed = 0;
    // Each statement of the block: run, and on failure apply the block's error handlers.
    // Returns false when the block ends quietly.
    auto runOne = [&](sqlite3_stmt* st) -> bool {
        int rc;
        while ((rc = sqlite3_step(st)) == SQLITE_ROW) {
        }
        sqlite3_reset(st);
        if (rc == SQLITE_DONE) {
            changed += sqlite3_changes64(db_);
            return true;
        }
        if (rc == SQLITE_INTERRUPT)
            raiseSqlite(rc);
        if (b.bodyIgnoresErrors)
            return true;
        if (b.blockIgnoresErrors)
            return false;
        raiseSqlite(rc);
    };

    std::vector<sqlite3_stmt*> body;
    struct Finalize {
        std::vector<sqlite3_stmt*>& list;
        ~Finalize() {
            for (auto* st : list)
                sqlite3_finalize(st);
        }
    } finalize{body};
    for (const auto& stmt : b.body) {
        sqlite3_stmt* st = nullptr;
        const int rc = sqlite3_prepare_v2(db_, stmt.sql.c_str(), -1, &st, nullptr);
        body.push_back(st);
        if (rc != SQLITE_OK) {
            if (b.blockIgnoresErrors)
                return 0;
            raiseSqlite(rc);
        }
    }

    if (!b.setSql.empty() && setBasedLoops_.load() && runSetBased(b, changed))
        return changed;

    if (b.cursorSql.empty()) {
        for (auto* st : body)
            if (!runOne(st))
                break;
        return changed;
    }

    // The cursor's rows are read first, as Oracle's read consistency shows the cursor the data
    // as of its open, whatever the loop inserts.
    sqlite3_stmt* cursor = nullptr;
    int rc = sqlite3_prepare_v2(db_, b.cursorSql.c_str(), -1, &cursor, nullptr);
    if (rc != SQLITE_OK) {
        sqlite3_finalize(cursor);
        if (b.blockIgnoresErrors)
            return 0;
        raiseSqlite(rc);
    }
    std::vector<std::string> names;
    for (int i = 0; i < sqlite3_column_count(cursor); ++i)
        names.push_back(util::lowerAscii(sqlite3_column_name(cursor, i)));
    HeldRows rows(static_cast<int>(names.size()));
    while ((rc = sqlite3_step(cursor)) == SQLITE_ROW)
        rows.add(cursor);
    sqlite3_finalize(cursor);
    if (rc != SQLITE_DONE) {
        if (rc == SQLITE_INTERRUPT || !b.blockIgnoresErrors)
            raiseSqlite(rc);
        return 0;
    }

    // Where each bind of each statement takes its value from in the record.
    std::vector<std::vector<int>> fieldIndex;
    for (const auto& stmt : b.body) {
        std::vector<int> idx;
        for (const auto& field : stmt.recordFields) {
            const auto it = std::find(names.begin(), names.end(), util::lowerAscii(field));
            if (it == names.end())
                throw EOraError(6550, "line 1, column 1:\nPLS-00302: component '" +
                                          util::upperAscii(field) + "' must be declared");
            idx.push_back(static_cast<int>(it - names.begin()));
        }
        fieldIndex.push_back(std::move(idx));
    }
    // The loop's statements share one transaction instead of committing each alone. A failing
    // statement is still undone by itself; what ran before stays when the block ends.
    exec("savepoint sbx_block");
    struct Release {
        sqlite3* db;
        ~Release() {
            // A cancel rolls back the whole transaction and with it the savepoint.
            if (!sqlite3_get_autocommit(db))
                sqlite3_exec(db, "release sbx_block", nullptr, nullptr, nullptr);
        }
    } release{db_};
    for (std::size_t row = 0; row < rows.count(); ++row) {
        for (std::size_t k = 0; k < body.size(); ++k) {
            sqlite3_clear_bindings(body[k]);
            for (std::size_t i = 0; i < fieldIndex[k].size(); ++i)
                rows.bind(body[k], static_cast<int>(i + 1), row,
                          static_cast<std::size_t>(fieldIndex[k][i]));
            if (!runOne(body[k]))
                return changed;
        }
    }
    return changed;
}

} // namespace oradb::sandbox
