// Running statements on the sandbox instance: translation, privileges, faults, fetching rows
// into result sets, and the statements that SQLite has no counterpart for (DDL bookkeeping,
// synonyms, kill, parameters, table locks, PL/SQL cursor loops).
#include "oradb/OraError.h"
#include "sandbox/Catalog.h"
#include "sandbox/SandboxInstance.h"
#include "util/DateTimeText.h"
#include "util/TextHelpers.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <functional>
#include <sqlite3.h>
#include <thread>
#include <unistd.h>

namespace oradb::sandbox {

using oradb::EOraError;
using oradb::TCell;
using oradb::TFieldType;

namespace {

// A date the sandbox stored: "YYYY-MM-DD HH:MM:SS" naming a real day and time of day. Text of
// that shape with an impossible date ("2026-02-30 00:00:00") stays text.
// The date-time of a text "YYYY-MM-DD HH:MM:SS" (a valid one), else nothing.
std::optional<TDateTime> isoDate(const char* t, int n) {
    static const char pattern[] = "dddd-dd-dd dd:dd:dd";
    if (n != 19)
        return std::nullopt;
    for (int i = 0; i < 19; ++i) {
        if (pattern[i] == 'd' ? !std::isdigit(static_cast<unsigned char>(t[i]))
                              : t[i] != pattern[i])
            return std::nullopt;
    }
    return util::fromIsoText(std::string_view(t, 19));
}

bool isIsoDate(const char* t, int n) {
    return isoDate(t, n).has_value();
}

// The text of SYSTIMESTAMP on this instance: "YYYY-MM-DD HH:MM:SS.000000 +00:00".
bool isSystimestampText(const char* t, int n) {
    return n == 33 && isIsoDate(t, 19) && t[19] == '.' && std::memcmp(t + 26, " +00:00", 7) == 0;
}

std::string hexToBytes(const char* t, int n) {
    std::string out;
    out.reserve(static_cast<std::size_t>(n / 2));
    auto val = [](char c) {
        return std::isdigit(static_cast<unsigned char>(c)) ? c - '0'
                                                           : (std::toupper(c) - 'A' + 10) & 15;
    };
    for (int i = 0; i + 1 < n; i += 2)
        out += static_cast<char>((val(t[i]) << 4) | val(t[i + 1]));
    return out;
}

TFieldType typeFromDecl(const char* decl, int& size) {
    size = 0;
    if (!decl)
        return TFieldType::ftUnknown;
    const std::string d = util::upperAscii(decl);
    if (const auto p = d.find('('); p != std::string::npos)
        size = std::atoi(d.c_str() + p + 1);
    if (d.rfind("RAW", 0) == 0)
        return TFieldType::ftVarBytes;
    if (d.rfind("DATE", 0) == 0 || d.rfind("TIMESTAMP", 0) == 0)
        return TFieldType::ftDateTime;
    if (d.rfind("NUMBER", 0) == 0 || d.rfind("FLOAT", 0) == 0)
        return TFieldType::ftFloat;
    if (d.find("INT") != std::string::npos)
        return TFieldType::ftInteger;
    return TFieldType::ftString;
}

// The Oracle type of a table column whose declaration keeps it (LOBs and LONG).
std::string oracleTypeOfDecl(const char* decl) {
    if (!decl)
        return {};
    const std::string d = util::upperAscii(decl);
    if (d == "CLOB" || d == "NCLOB")
        return d;
    if (d == "LONG_TEXT")
        return "LONG";
    return {};
}

// How the values of a column of that Oracle type are delivered.
TFieldType fieldTypeOf(const std::string& oracleType) {
    if (oracleType.rfind("TIMESTAMP", 0) == 0)
        return TFieldType::ftDateTime;
    if (oracleType.rfind("BINARY_", 0) == 0)
        return TFieldType::ftFloat;
    return TFieldType::ftString;
}

void bindAll(sqlite3_stmt* st, const oradb::TBindList& binds) {
    for (const auto& b : binds) {
        const int index = sqlite3_bind_parameter_index(st, (":" + b.name).c_str());
        if (index == 0)
            continue;
        const TCell& v = b.value;
        switch (v.kind) {
        case TCell::Kind::Null:
            sqlite3_bind_null(st, index);
            break;
        case TCell::Kind::Integer:
            sqlite3_bind_int64(st, index, v.i);
            break;
        case TCell::Kind::Float:
            sqlite3_bind_double(st, index, v.d);
            break;
        case TCell::Kind::Date:
            sqlite3_bind_text(st, index, util::toIsoText(v.d).c_str(), -1, SQLITE_TRANSIENT);
            break;
        case TCell::Kind::Text:
        case TCell::Kind::Bytes:
            sqlite3_bind_text(st, index, v.s.c_str(), static_cast<int>(v.s.size()),
                              SQLITE_TRANSIENT);
            break;
        }
    }
}

struct Statement {
    sqlite3_stmt* st = nullptr;
    ~Statement() { sqlite3_finalize(st); }
};

// Oracle's heading of a column: upper case. The translated statement writes the sandbox's own
// names in lower case and Oracle's headings of expressions in upper case, so a name with an
// upper-case letter is a quoted alias that keeps its case ("Hit Ratio %"), also when it comes
// through a '*' of an inner query.
std::string heading(const char* name) {
    const std::string text = name ? name : "";
    if (std::any_of(text.begin(), text.end(), [](char c) { return c >= 'A' && c <= 'Z'; }))
        return text;
    return util::upperAscii(text);
}

} // namespace

// ---- errors ----

void Instance::raiseSqlite(int rc) {
    const std::string msg = sqlite3_errmsg(db_);
    if (rc == SQLITE_INTERRUPT || msg == "interrupted")
        throw oradb::EOraCancelled();
    if (msg.rfind("ORA-", 0) == 0 && msg.size() > 11)
        throw EOraError(std::atoi(msg.c_str() + 4), msg.substr(11));
    auto after = [&](const char* prefix) { return msg.substr(std::strlen(prefix)); };
    if (msg.rfind("no such table: ", 0) == 0)
        throw EOraError(942, "table or view does not exist");
    if (msg.rfind("no such column: ", 0) == 0 || msg.rfind("no such function: ", 0) == 0) {
        std::string name = util::upperAscii(after(
            msg.rfind("no such column: ", 0) == 0 ? "no such column: " : "no such function: "));
        std::string quotedName;
        std::size_t start = 0;
        for (;;) {
            const auto dot = name.find('.', start);
            if (!quotedName.empty())
                quotedName += '.';
            quotedName += "\"" + name.substr(start, dot - start) + "\"";
            if (dot == std::string::npos)
                break;
            start = dot + 1;
        }
        throw EOraError(904, quotedName + ": invalid identifier");
    }
    if (msg.rfind("ambiguous column name", 0) == 0)
        throw EOraError(918, "column ambiguously defined");
    if (msg.rfind("UNIQUE constraint failed: ", 0) == 0) {
        // "UNIQUE constraint failed: t.a, t.b": find the constraint by table and columns.
        const std::string list = after("UNIQUE constraint failed: ");
        const std::string table = util::lowerAscii(list.substr(0, list.find('.')));
        std::string columns;
        for (std::size_t p = 0; p < list.size();) {
            const auto dot = list.find('.', p);
            const auto comma = list.find(", ", p);
            if (dot == std::string::npos)
                break;
            if (!columns.empty())
                columns += ",";
            columns += util::lowerAscii(list.substr(
                dot + 1, comma == std::string::npos ? std::string::npos : comma - dot - 1));
            p = comma == std::string::npos ? list.size() : comma + 2;
        }
        std::string name = "SYS_C00" + std::to_string(1000 + columns.size());
        const auto rows =
            sqliteRowsLocked("select constraint_name from sbx_constraints where table_name=" +
                             util::sqlQuoted(table) + " and columns=" + util::sqlQuoted(columns));
        if (!rows.empty())
            name = util::upperAscii(rows[0][0]);
        throw EOraError(1, "unique constraint (SYSTEM." + name + ") violated");
    }
    if (msg.rfind("NOT NULL constraint failed: ", 0) == 0) {
        std::string col = util::upperAscii(after("NOT NULL constraint failed: "));
        const auto dot = col.find('.');
        throw EOraError(1400, "cannot insert NULL into (\"SYSTEM\".\"" + col.substr(0, dot) +
                                  "\".\"" + col.substr(dot + 1) + "\")");
    }
    if (msg.find("values were supplied") != std::string::npos ||
        msg.find("values for") != std::string::npos) {
        int have = 0, want = 0;
        if (std::sscanf(msg.c_str(), "table %*s has %d columns but %d values", &want, &have) == 2 ||
            std::sscanf(msg.c_str(), "%d values for %d columns", &have, &want) == 2)
            throw have > want ? EOraError(913, "too many values")
                              : EOraError(947, "not enough values");
        throw EOraError(947, "not enough values");
    }
    if (msg.find("already exists") != std::string::npos)
        throw EOraError(955, "name is already used by an existing object");
    if (msg.find("syntax error") != std::string::npos)
        throw EOraError(933, "SQL command not properly ended");
    if (msg.find("incomplete input") != std::string::npos)
        throw EOraError(921, "unexpected end of SQL command");
    if (rc == SQLITE_BUSY || rc == SQLITE_LOCKED)
        throw EOraError(54, "resource busy and acquire with NOWAIT specified");
    throw EOraError(600, "internal error code, arguments: [sandbox], [" + msg + "]");
}

// ---- calls from the sessions ----

void Instance::reloadSynonymsIfChanged() {
    // data_version moves when another connection (another process) changed the file.
    const long long version = std::atoll(sqliteRowsLocked("pragma data_version")[0][0].c_str());
    if (version == synonymsVersion_)
        return;
    synonyms_.clear();
    for (const auto& row : sqliteRowsLocked("select name, target from sbx_synonyms"))
        synonyms_[row[0]] = row[1];
    synonymsVersion_ = version;
}

bool Instance::hasRole(const std::string& user, const std::string& role) {
    return !sqliteRowsLocked("select 1 from sbx_user_roles where username=" +
                             util::sqlQuoted(user) + " and role=" + util::sqlQuoted(role))
                .empty();
}

bool Instance::isDba(const std::string& user) {
    return user == "SYS" || user == "SYSTEM" || hasRole(user, "DBA");
}

void Instance::checkAccess(const SessionState& s, const std::vector<std::string>& tables) {
    bool needsCatalog = false;
    for (const auto& t : tables)
        needsCatalog = needsCatalog || isCatalogObject(t);
    // Without the role the dictionary views are invisible, as Oracle reports it.
    if (needsCatalog && !isDba(s.user) && !hasRole(s.user, "SELECT_CATALOG_ROLE"))
        throw EOraError(942, "table or view does not exist");
}

Translation Instance::prepareCall(SessionState& s, const std::string& sql) {
    checkAlive(s);
    reloadSynonymsIfChanged();
    currentUser_ = s.user;
    currentSid_ = s.sid;
    Translation t = translate(sql, synonyms_);
    checkAccess(s, t.tables);
    if (t.kind == StmtKind::PlsqlBlock) {
        checkAccess(s, t.block.cursorTables);
        for (const auto& b : t.block.body)
            checkAccess(s, b.tables);
    }
    return t;
}

namespace {

// Sleeps out a fault's delay in small steps so that a cancel, a release of the delays in
// progress (a change of `release`) or an ALTER SYSTEM CANCEL SQL aimed at the session ends it.
void delay(const Fault& f, const std::atomic<bool>& cancel,
           const std::atomic<std::uint64_t>& release, const std::function<bool()>& cancelledSql) {
    const std::uint64_t released = release.load();
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(f.delayMs);
    while (std::chrono::steady_clock::now() < until) {
        if (cancel || release.load() != released || cancelledSql())
            throw oradb::EOraCancelled();
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

} // namespace

oradb::TResultSet Instance::runQuery(SessionState& s, const std::string& sql,
                                     const oradb::TBindList& binds,
                                     const std::atomic<bool>& cancel) {
    // A CANCEL SQL counts from the call's start on, before the hook can hold it.
    const std::uint64_t cancels = sqlCancelCount(s.sid);
    runCallHook(sql);
    ++statements_;
    std::optional<Fault> fault;
    {
        std::lock_guard lock(mutex_);
        fault = matchFault(sql);
    }
    if (fault && fault->delayMs > 0) {
        delay(*fault, cancel, delayRelease_,
              [this, &s, cancels] { return sqlCancelCount(s.sid) != cancels; });
    }
    std::lock_guard lock(mutex_);
    if (cancel)
        throw oradb::EOraCancelled();
    currentCancel_ = &cancel;
    // Oracle reads the clock once per statement: every row of the call sees the same SYSDATE.
    callSysdate_ = util::toIsoText(util::now());
    struct Reset {
        Instance* self;
        ~Reset() {
            self->currentCancel_ = nullptr;
            self->callSysdate_.clear();
        }
    } reset{this};
    const Translation t = prepareCall(s, sql);
    if (t.kind == StmtKind::Select)
        return select(t.sql, binds, fault && fault->failAfterRows >= 0 ? &*fault : nullptr,
                      t.selectTypes, t.selectHeadings);
    if (fault && fault->failAfterRows >= 0)
        throw EOraError(fault->code, fault->text);
    executeTranslated(s, t, binds);
    return {};
}

std::int64_t Instance::runExecute(SessionState& s, const std::string& sql,
                                  const oradb::TBindList& binds, const std::atomic<bool>& cancel) {
    // A CANCEL SQL counts from the call's start on, before the hook can hold it.
    const std::uint64_t cancels = sqlCancelCount(s.sid);
    runCallHook(sql);
    ++statements_;
    std::optional<Fault> fault;
    {
        std::lock_guard lock(mutex_);
        fault = matchFault(sql);
    }
    if (fault && fault->delayMs > 0) {
        delay(*fault, cancel, delayRelease_,
              [this, &s, cancels] { return sqlCancelCount(s.sid) != cancels; });
    }
    std::lock_guard lock(mutex_);
    if (cancel)
        throw oradb::EOraCancelled();
    currentCancel_ = &cancel;
    // Oracle reads the clock once per statement: every row of the call sees the same SYSDATE.
    callSysdate_ = util::toIsoText(util::now());
    struct Reset {
        Instance* self;
        ~Reset() {
            self->currentCancel_ = nullptr;
            self->callSysdate_.clear();
        }
    } reset{this};
    const Translation t = prepareCall(s, sql);
    if (fault && fault->failAfterRows >= 0)
        throw EOraError(fault->code, fault->text);
    if (t.kind == StmtKind::Select) {
        select(t.sql, binds, nullptr);
        return 0;
    }
    return executeTranslated(s, t, binds);
}

oradb::TResultSet Instance::select(const std::string& sqliteSql, const oradb::TBindList& binds,
                                   const Fault* fault, const std::vector<std::string>& oracleTypes,
                                   const std::vector<std::string>& headings) {
    Statement stmt;
    int rc = sqlite3_prepare_v2(db_, sqliteSql.c_str(), -1, &stmt.st, nullptr);
    if (rc != SQLITE_OK)
        raiseSqlite(rc);
    bindAll(stmt.st, binds);
    oradb::TResultSet result;
    const int n = sqlite3_column_count(stmt.st);
    result.columns.resize(static_cast<std::size_t>(n));
    std::vector<bool> typed(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i) {
        auto& col = result.columns[static_cast<std::size_t>(i)];
        col.name = static_cast<std::size_t>(i) < headings.size() &&
                           !headings[static_cast<std::size_t>(i)].empty()
                       ? headings[static_cast<std::size_t>(i)]
                       : heading(sqlite3_column_name(stmt.st, i));
        const char* decl = sqlite3_column_decltype(stmt.st, i);
        col.type = typeFromDecl(decl, col.size);
        col.oracleType = static_cast<std::size_t>(i) < oracleTypes.size()
                             ? oracleTypes[static_cast<std::size_t>(i)]
                             : std::string();
        if (col.oracleType.empty())
            col.oracleType = oracleTypeOfDecl(decl);
        if (!col.oracleType.empty())
            col.type = fieldTypeOf(col.oracleType);
        typed[static_cast<std::size_t>(i)] = col.type != TFieldType::ftUnknown;
    }
    while ((rc = sqlite3_step(stmt.st)) == SQLITE_ROW) {
        if (fault && static_cast<int>(result.rows.size()) >= fault->failAfterRows) {
            result.fetchErrorCode = fault->code;
            result.fetchErrorText = fault->text;
            break;
        }
        result.rows.BeginRow(static_cast<std::size_t>(n));
        for (int i = 0; i < n; ++i) {
            auto& col = result.columns[static_cast<std::size_t>(i)];
            switch (sqlite3_column_type(stmt.st, i)) {
            case SQLITE_INTEGER:
                result.rows.AddInteger(sqlite3_column_int64(stmt.st, i));
                if (!typed[static_cast<std::size_t>(i)])
                    col.type = TFieldType::ftFloat;
                break;
            case SQLITE_FLOAT:
                result.rows.AddFloat(sqlite3_column_double(stmt.st, i));
                if (!typed[static_cast<std::size_t>(i)])
                    col.type = TFieldType::ftFloat;
                break;
            case SQLITE_BLOB: {
                const auto* p = static_cast<const char*>(sqlite3_column_blob(stmt.st, i));
                result.rows.AddBytes(std::string_view(
                    p ? p : "", static_cast<std::size_t>(sqlite3_column_bytes(stmt.st, i))));
                if (!typed[static_cast<std::size_t>(i)])
                    col.type = TFieldType::ftVarBytes;
                break;
            }
            case SQLITE_TEXT: {
                const auto* t = reinterpret_cast<const char*>(sqlite3_column_text(stmt.st, i));
                const int len = sqlite3_column_bytes(stmt.st, i);
                if (!typed[static_cast<std::size_t>(i)]) {
                    col.type = isIsoDate(t, len) ? TFieldType::ftDateTime : TFieldType::ftString;
                    if (isSystimestampText(t, len)) {
                        // SYSTIMESTAMP selected through a view keeps its type, as in Oracle.
                        col.type = TFieldType::ftDateTime;
                        col.oracleType = "TIMESTAMP WITH TIME ZONE";
                    }
                }
                std::optional<TDateTime> date;
                if (col.type == TFieldType::ftDateTime)
                    date = isoDate(t, std::min(len, 19));
                if (date)
                    result.rows.AddDate(*date);
                else if (col.type == TFieldType::ftVarBytes)
                    result.rows.AddBytes(hexToBytes(t, len));
                else
                    result.rows.AddText(std::string_view(t, static_cast<std::size_t>(len)));
                break;
            }
            default:
                result.rows.AddNull();
                break;
            }
            typed[static_cast<std::size_t>(i)] = true;
        }
    }
    if (rc != SQLITE_ROW && rc != SQLITE_DONE)
        raiseSqlite(rc);
    if (fault && result.fetchErrorCode == 0 &&
        static_cast<int>(result.rows.size()) >= fault->failAfterRows) {
        result.fetchErrorCode = fault->code;
        result.fetchErrorText = fault->text;
    }
    for (auto& col : result.columns)
        if (col.type == TFieldType::ftUnknown)
            col.type = TFieldType::ftString;
    return result;
}

std::int64_t Instance::dml(const std::string& sqliteSql, const oradb::TBindList& binds) {
    Statement stmt;
    int rc = sqlite3_prepare_v2(db_, sqliteSql.c_str(), -1, &stmt.st, nullptr);
    if (rc != SQLITE_OK)
        raiseSqlite(rc);
    bindAll(stmt.st, binds);
    while ((rc = sqlite3_step(stmt.st)) == SQLITE_ROW) {
    }
    if (rc != SQLITE_DONE)
        raiseSqlite(rc);
    return sqlite3_changes64(db_);
}

std::int64_t Instance::executeTranslated(SessionState& s, const Translation& t,
                                         const oradb::TBindList& binds) {
    switch (t.kind) {
    case StmtKind::Select:
        select(t.sql, binds, nullptr);
        return 0;
    case StmtKind::Insert:
    case StmtKind::Update:
    case StmtKind::Delete:
        return dml(t.sql, binds);
    case StmtKind::CreateTable:
        createTable(s, t);
        return 0;
    case StmtKind::DropTable:
        dropTable(s, t);
        return 0;
    case StmtKind::CreateSynonym:
        createSynonym(s, t);
        return 0;
    case StmtKind::DropSynonym:
        dropSynonym(s, t);
        return 0;
    case StmtKind::DropConstraint:
        dropConstraint(s, t);
        return 0;
    case StmtKind::KillSession:
        killSession(s, t);
        return 0;
    case StmtKind::CancelSql:
        cancelSql(s, t);
        return 0;
    case StmtKind::AlterUser:
        alterUser(s, t);
        return 0;
    case StmtKind::AlterSessionSet:
    case StmtKind::AlterSystemSet:
        alterParameter(s, t);
        return 0;
    case StmtKind::LockTable:
        lockTable(s, t);
        return 0;
    case StmtKind::Commit:
    case StmtKind::Rollback:
        // Every statement is committed as it runs; a transaction's end releases its locks.
        releaseLocks(s);
        return 0;
    case StmtKind::PlsqlBlock:
        return runBlock(s, t);
    }
    return 0;
}

} // namespace oradb::sandbox
