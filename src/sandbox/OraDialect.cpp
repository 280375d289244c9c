// Classifying Oracle statements and reading the ones the sandbox emulates itself: DDL, locks,
// kill session, alter session/system set, commit and rollback. Queries and DML go to the query
// rewriter, anonymous blocks to the PL/SQL reader.
#include "sandbox/OraDialect.h"

#include "sandbox/OraDialectInternal.h"

#include <algorithm>
#include <cstdint>
#include <set>

namespace oradb::sandbox {

using namespace dialect;

namespace {

// A read position over the tokens of one statement.
class Reader {
public:
    Reader(std::string_view source, Tokens tokens) : src_(source), t_(std::move(tokens)) {}

    const Tokens& tokens() const { return t_; }
    std::size_t pos() const { return i_; }
    void seek(std::size_t i) { i_ = i; }
    bool done() const { return i_ >= t_.size(); }
    const Token& peek(std::size_t ahead = 0) const {
        static const Token none;
        return i_ + ahead < t_.size() ? t_[i_ + ahead] : none;
    }
    bool at(std::string_view word, std::size_t ahead = 0) const {
        return i_ + ahead < t_.size() && isWord(t_[i_ + ahead], word);
    }
    bool atSymbol(std::string_view s) const { return !done() && isSymbol(t_[i_], s); }
    bool accept(std::string_view word) {
        if (!at(word))
            return false;
        ++i_;
        return true;
    }
    bool acceptSymbol(std::string_view s) {
        if (!atSymbol(s))
            return false;
        ++i_;
        return true;
    }
    void expect(std::string_view word, int code, const char* text) {
        if (!accept(word))
            oraFail(code, text);
    }
    void expectEnd() const {
        if (!done())
            oraFail(933, "SQL command not properly ended");
    }
    const Token& next() {
        if (done())
            oraFail(905, "missing keyword");
        return t_[i_++];
    }
    // A name token, or the error given.
    std::string name(int code, const char* text) {
        if (done() || !isName(t_[i_]))
            oraFail(code, text);
        return nameOf(t_[i_++]);
    }
    // [schema.]name: the schema in lower case ("" when none) and the name.
    std::pair<std::string, std::string> objectName(int code, const char* text) {
        std::string first = name(code, text);
        if (!acceptSymbol("."))
            return {"", first};
        return {first, name(code, text)};
    }
    // The source text of tokens [from, to), as written.
    std::string sourceText(std::size_t from, std::size_t to) const {
        if (from >= to)
            return {};
        return std::string(src_.substr(t_[from].pos, t_[to - 1].end - t_[from].pos));
    }
    // Skips a parenthesised group starting at the current "(".
    void skipGroup() {
        int depth = 0;
        do {
            const Token& k = next();
            if (isSymbol(k, "("))
                ++depth;
            else if (isSymbol(k, ")"))
                --depth;
        } while (depth > 0);
    }

private:
    std::string_view src_;
    Tokens t_;
    std::size_t i_ = 0;
};

// ORA-03001 naming the statement's words up to the one that is not emulated ("CREATE INDEX",
// "ALTER TABLE T ADD").
[[noreturn]] void unimplemented(const Reader& r) {
    std::string what;
    const std::size_t end = std::min(r.pos() + 1, r.tokens().size());
    for (std::size_t i = 0; i < end && i < 4; ++i)
        what += (what.empty() ? "" : " ") + upperAscii(r.tokens()[i].text);
    oraFail(3001, "unimplemented feature: " + what + " is not emulated by the sandbox");
}

// The schema as the translation reports it: sys and system are known, others are kept.
std::string droppedSchemaObject(const std::string& schema, const std::string& object) {
    if (schema.empty() || schema == "sys" || schema == "system")
        return object;
    return schema + "." + object;
}

std::string reportedSchema(const std::string& schema) {
    return schema == "sys" || schema == "system" ? schema : std::string();
}

// ---- create table ----------------------------------------------------------------------------

std::string generatedConstraintName(const std::string& table, const UniqueConstraint& c) {
    std::uint32_t h = 2166136261u;
    auto mix = [&h](const std::string& s) {
        for (unsigned char ch : s)
            h = (h ^ ch) * 16777619u;
    };
    mix(table);
    for (const auto& col : c.columns)
        mix("," + col);
    return "sys_c" + std::to_string(1000000 + h % 9000000);
}

// Oracle's column type at the reader, mapped to the SQLite declaration.
std::string columnType(Reader& r) {
    if (r.done() || r.peek().kind != Tok::Word)
        oraFail(902, "invalid datatype");
    const std::string type = r.next().lower;
    auto length = [&r](bool required) -> std::string {
        if (!r.acceptSymbol("(")) {
            if (required)
                oraFail(906, "missing left parenthesis");
            return {};
        }
        if (r.peek().kind != Tok::Number)
            oraFail(910, "specified length too long for its datatype");
        std::string n = r.next().text;
        if (r.accept("byte") || r.accept("char")) {
        }
        if (!r.acceptSymbol(")"))
            oraFail(907, "missing right parenthesis");
        return n;
    };
    auto precision = [&r] {
        if (r.atSymbol("("))
            r.skipGroup();
    };
    if (type == "number" || type == "numeric" || type == "decimal" || type == "dec" ||
        type == "float" || type == "real") {
        precision();
        return "NUMBER";
    }
    if (type == "double") {
        r.expect("precision", 902, "invalid datatype");
        return "NUMBER";
    }
    if (type == "integer" || type == "int" || type == "smallint")
        return "INTEGER";
    if (type == "varchar2" || type == "varchar" || type == "nvarchar2")
        return "VARCHAR2(" + length(true) + ")";
    if (type == "char" || type == "nchar" || type == "character") {
        const std::string n = length(false);
        return "CHAR(" + (n.empty() ? std::string("1") : n) + ")";
    }
    if (type == "date")
        return "DATE";
    if (type == "timestamp") {
        precision();
        if (r.accept("with")) {
            r.accept("local");
            r.expect("time", 902, "invalid datatype");
            r.expect("zone", 902, "invalid datatype");
        }
        return "DATE";
    }
    if (type == "raw")
        return "RAW_TEXT(" + length(true) + ")";
    // LONG keeps its name for the describe, with a declaration that gives SQLite text affinity.
    if (type == "long")
        return r.accept("raw") ? "BLOB" : "LONG_TEXT";
    if (type == "clob")
        return "CLOB";
    if (type == "nclob")
        return "NCLOB";
    if (type == "blob")
        return "BLOB";
    if (type == "rowid")
        return "VARCHAR2(18)";
    oraFail(902, "invalid datatype");
}

std::vector<std::string> columnList(Reader& r) {
    if (!r.acceptSymbol("("))
        oraFail(906, "missing left parenthesis");
    std::vector<std::string> cols;
    do {
        cols.push_back(r.name(904, "invalid identifier"));
    } while (r.acceptSymbol(","));
    if (!r.acceptSymbol(")"))
        oraFail(907, "missing right parenthesis");
    return cols;
}

struct TableBuilder {
    Translation& tr;
    std::vector<std::pair<std::string, std::string>> columns; // name, SQLite definition
    std::vector<std::string> extra;                           // check and foreign key clauses

    void addUnique(std::string name, std::vector<std::string> cols, bool primary) {
        UniqueConstraint c{std::move(name), std::move(cols)};
        if (c.name.empty())
            c.name = generatedConstraintName(tr.object, c);
        if (primary) {
            for (auto& [col, def] : columns)
                for (const auto& pk : c.columns)
                    if (col == pk && def.find(" NOT NULL") == std::string::npos)
                        def += " NOT NULL";
        }
        tr.uniqueConstraints.push_back(std::move(c));
    }

    // The source of a check or references clause, passed on to SQLite.
    std::string clauseText(Reader& r, std::size_t from) {
        const Tokens& t = r.tokens();
        Tokens piece(t.begin() + static_cast<long>(from), t.begin() + static_cast<long>(r.pos()));
        for (Token& k : piece) {
            if (k.kind == Tok::Word && k.lower.find_first_of("$#") != std::string::npos)
                k.out = sqliteName(k.lower);
            else if (isSymbol(k, "!=") || isSymbol(k, "^="))
                k.out = "<>";
        }
        return render(piece);
    }

    // A constraint, inline (column given) or out of line. The reader is after "constraint name"
    // or at the constraint keyword.
    bool constraint(Reader& r, const std::string& name, const std::string* column) {
        const std::size_t start = r.pos();
        if (r.accept("unique")) {
            addUnique(name, column ? std::vector<std::string>{*column} : columnList(r), false);
        } else if (r.accept("primary")) {
            r.expect("key", 905, "missing keyword");
            addUnique(name, column ? std::vector<std::string>{*column} : columnList(r), true);
        } else if (r.accept("check")) {
            if (!r.atSymbol("("))
                oraFail(906, "missing left parenthesis");
            r.skipGroup();
            extra.push_back(clauseText(r, start));
        } else if (r.accept("references") || (!column && r.accept("foreign"))) {
            if (isWord(r.tokens()[start], "foreign")) {
                r.expect("key", 905, "missing keyword");
                columnList(r);
                r.expect("references", 905, "missing keyword");
            }
            r.objectName(903, "invalid table name");
            if (r.atSymbol("("))
                r.skipGroup();
            if (r.accept("on")) {
                r.expect("delete", 905, "missing keyword");
                if (!r.accept("cascade")) {
                    r.expect("set", 905, "missing keyword");
                    r.expect("null", 905, "missing keyword");
                }
            }
            extra.push_back(clauseText(r, start));
        } else if (column && r.accept("not")) {
            r.expect("null", 905, "missing keyword");
            columns.back().second += " NOT NULL";
        } else if (column && r.accept("null")) {
        } else {
            return false;
        }
        return true;
    }

    std::string defaultValue(Reader& r) {
        std::string sign;
        if (r.atSymbol("-") || r.atSymbol("+"))
            sign = r.next().text;
        const Token& v = r.next();
        if (v.kind == Tok::Number)
            return sign + v.text;
        if (sign.empty() && v.kind == Tok::String)
            return v.text;
        if (sign.empty() && isWord(v, "null"))
            return "NULL";
        if (sign.empty() && isWord(v, "sysdate"))
            return "(ora_sysdate())";
        oraFail(3001, "unimplemented feature: this DEFAULT value is not emulated by the sandbox");
    }

    void element(Reader& r) {
        std::string name;
        if (r.accept("constraint"))
            name = r.name(904, "invalid identifier");
        if (!name.empty() || r.at("unique") || r.at("primary") || r.at("check") ||
            r.at("foreign")) {
            if (!constraint(r, name, nullptr))
                oraFail(902, "invalid datatype");
            return;
        }
        const std::string column = r.name(904, "invalid identifier");
        for (const auto& c : columns)
            if (c.first == column)
                oraFail(957, "duplicate column name");
        columns.emplace_back(column, sqliteName(column) + " " + columnType(r));
        if (r.accept("default"))
            columns.back().second += " DEFAULT " + defaultValue(r);
        while (!r.atSymbol(",") && !r.atSymbol(")")) {
            std::string cname;
            if (r.accept("constraint"))
                cname = r.name(904, "invalid identifier");
            if (!constraint(r, cname, &column))
                oraFail(907, "missing right parenthesis");
        }
    }
};

// Storage and logging clauses after the column list: the tablespace is kept, the rest has no
// meaning here.
void tableOptions(Reader& r, Translation& tr) {
    static const std::set<std::string, std::less<>> flags = {
        "logging",    "nologging",       "compress",         "nocompress",
        "cache",      "nocache",         "monitoring",       "nomonitoring",
        "noparallel", "rowdependencies", "norowdependencies"};
    static const std::set<std::string, std::less<>> numbered = {"pctfree", "pctused", "initrans",
                                                                "maxtrans"};
    while (!r.done()) {
        const Token& k = r.next();
        if (isWord(k, "tablespace")) {
            tr.tablespace = r.name(2216, "tablespace name expected");
        } else if (k.kind == Tok::Word && flags.count(k.lower)) {
        } else if (k.kind == Tok::Word && numbered.count(k.lower)) {
            if (r.next().kind != Tok::Number)
                oraFail(2017, "integer value required");
        } else if (isWord(k, "parallel")) {
            if (r.peek().kind == Tok::Number)
                r.next();
        } else if (isWord(k, "storage")) {
            if (!r.atSymbol("("))
                oraFail(906, "missing left parenthesis");
            r.skipGroup();
        } else if (isWord(k, "segment")) {
            r.expect("creation", 922, "missing or invalid option");
            if (!r.accept("immediate"))
                r.expect("deferred", 922, "missing or invalid option");
        } else if (isWord(k, "organization")) {
            r.expect("heap", 922, "missing or invalid option");
        } else {
            oraFail(922, "missing or invalid option");
        }
    }
}

Translation createTable(Reader& r, const SynonymMap& synonyms) {
    Translation tr;
    tr.kind = StmtKind::CreateTable;
    const auto [schema, object] = r.objectName(903, "invalid table name");
    tr.object = droppedSchemaObject(schema, object);
    tr.schema = reportedSchema(schema);
    const std::string target = "CREATE TABLE " + sqliteName(tr.object);
    if (r.at("as")) {
        SqlContext ctx(synonyms);
        const Tokens& t = r.tokens();
        tr.sql = target + " AS " +
                 translateQuery(Tokens(t.begin() + static_cast<long>(r.pos()) + 1, t.end()), ctx);
        tr.tables = ctx.tables;
        tr.bindNames = ctx.bindNames;
        return tr;
    }
    if (!r.acceptSymbol("("))
        oraFail(906, "missing left parenthesis");
    TableBuilder b{tr, {}, {}};
    do {
        b.element(r);
    } while (r.acceptSymbol(","));
    if (!r.acceptSymbol(")"))
        oraFail(907, "missing right parenthesis");
    if (b.columns.empty())
        oraFail(904, "invalid identifier");
    tableOptions(r, tr);
    tr.sql = target + " (";
    bool first = true;
    for (const auto& c : b.columns) {
        tr.sql += (first ? "" : ", ") + c.second;
        first = false;
    }
    for (const auto& e : b.extra)
        tr.sql += ", " + e;
    tr.sql += ")";
    return tr;
}

// ---- other DDL --------------------------------------------------------------------------------

const std::set<std::string, std::less<>> kObjectKinds = {
    "index",        "view",      "user",   "sequence",   "procedure", "function", "package",
    "trigger",      "type",      "role",   "tablespace", "database",  "cluster",  "directory",
    "materialized", "unique",    "bitmap", "profile",    "global",    "snapshot", "library",
    "context",      "dimension", "java",   "outline",    "rollback",  "schema",   "operator"};

Translation createStatement(Reader& r, const SynonymMap& synonyms) {
    if (r.accept("table"))
        return createTable(r, synonyms);
    if (r.accept("or"))
        r.expect("replace", 922, "missing or invalid option");
    Translation tr;
    tr.publicSynonym = r.accept("public");
    if (r.accept("synonym")) {
        tr.kind = StmtKind::CreateSynonym;
        const auto [schema, name] = r.objectName(903, "invalid table name");
        tr.object = droppedSchemaObject(schema, name);
        tr.schema = reportedSchema(schema);
        r.expect("for", 905, "missing keyword");
        const auto [targetSchema, target] = r.objectName(903, "invalid table name");
        if (r.atSymbol("@"))
            oraFail(2019, "connection description for remote database not found");
        tr.synonymTarget = droppedSchemaObject(targetSchema, target);
        r.expectEnd();
        return tr;
    }
    if (tr.publicSynonym)
        oraFail(901, "invalid CREATE command");
    if (!r.done() && kObjectKinds.count(r.peek().lower))
        unimplemented(r);
    oraFail(901, "invalid CREATE command");
}

Translation dropStatement(Reader& r) {
    Translation tr;
    if (r.accept("table")) {
        tr.kind = StmtKind::DropTable;
        const auto [schema, object] = r.objectName(903, "invalid table name");
        tr.object = droppedSchemaObject(schema, object);
        tr.schema = reportedSchema(schema);
        tr.tables = {tr.object};
        if (r.accept("cascade"))
            r.expect("constraints", 905, "missing keyword");
        r.accept("purge");
        r.expectEnd();
        return tr;
    }
    tr.publicSynonym = r.accept("public");
    if (r.accept("synonym")) {
        tr.kind = StmtKind::DropSynonym;
        const auto [schema, object] = r.objectName(903, "invalid table name");
        tr.object = droppedSchemaObject(schema, object);
        tr.schema = reportedSchema(schema);
        r.accept("force");
        r.expectEnd();
        return tr;
    }
    if (!tr.publicSynonym && !r.done() && kObjectKinds.count(r.peek().lower))
        unimplemented(r);
    oraFail(950, "invalid DROP option");
}

// alter session set name=value / alter system set name=value [scope=...] [deferred]
Translation setParameter(Reader& r, StmtKind kind) {
    Translation tr;
    tr.kind = kind;
    const bool system = kind == StmtKind::AlterSystemSet;
    const int badOption = system ? 2065 : 2248;
    const char* badText =
        system ? "illegal option for ALTER SYSTEM" : "invalid option for ALTER SESSION";
    tr.parameter = r.name(badOption, badText);
    if (!r.acceptSymbol("="))
        oraFail(badOption, badText);
    static const std::set<std::string, std::less<>> options = {"scope", "sid", "comment",
                                                               "deferred", "container"};
    const std::size_t from = r.pos();
    while (!r.done() && !(system && options.count(r.peek().lower)))
        r.next();
    const std::size_t to = r.pos();
    if (from == to)
        oraFail(922, "missing or invalid option");
    const Tokens& t = r.tokens();
    if (to == from + 1 && t[from].kind == Tok::String) {
        tr.value = stringValue(t[from]);
        tr.valueQuoted = true;
    } else {
        tr.value = r.sourceText(from, to);
    }
    while (!r.done()) {
        if (r.accept("deferred")) {
            tr.deferred = true;
            continue;
        }
        const Token& option = r.next();
        if (!r.acceptSymbol("="))
            oraFail(badOption, badText);
        const Token& v = r.next();
        if (isWord(option, "scope") &&
            !(isWord(v, "memory") || isWord(v, "spfile") || isWord(v, "both")))
            oraFail(922, "missing or invalid option");
    }
    return tr;
}

Translation alterStatement(Reader& r) {
    Translation tr;
    if (r.accept("table")) {
        const auto [schema, object] = r.objectName(903, "invalid table name");
        if (!(r.accept("drop") && r.accept("constraint")))
            unimplemented(r);
        tr.kind = StmtKind::DropConstraint;
        tr.object = droppedSchemaObject(schema, object);
        tr.schema = reportedSchema(schema);
        tr.tables = {tr.object};
        tr.constraint = r.name(904, "invalid identifier");
        r.accept("cascade");
        if (r.accept("keep") || r.accept("drop"))
            r.expect("index", 905, "missing keyword");
        r.expectEnd();
        return tr;
    }
    if (r.accept("user")) {
        tr.kind = StmtKind::AlterUser;
        tr.object = r.name(1935, "missing user or role name");
        if (r.accept("account")) {
            if (r.accept("lock"))
                tr.accountChange = "lock";
            else if (r.accept("unlock"))
                tr.accountChange = "unlock";
            else
                oraFail(922, "missing or invalid option");
        } else if (r.accept("password")) {
            r.expect("expire", 922, "missing or invalid option");
            tr.accountChange = "expire";
        } else {
            unimplemented(r);
        }
        r.expectEnd();
        return tr;
    }
    if (r.accept("session")) {
        if (!r.accept("set"))
            unimplemented(r);
        tr = setParameter(r, StmtKind::AlterSessionSet);
        return tr;
    }
    if (r.accept("system")) {
        if (r.accept("set"))
            return setParameter(r, StmtKind::AlterSystemSet);
        // disconnect session 'sid,serial#' immediate|post_transaction ends the session as a
        // kill does here.
        const bool disconnect = r.accept("disconnect");
        const bool kill = disconnect || r.accept("kill");
        if (kill || r.accept("cancel")) {
            if (kill)
                r.expect("session", 2065, "illegal option for ALTER SYSTEM");
            else
                r.expect("sql", 905, "missing keyword");
            if (r.peek().kind != Tok::String)
                oraFail(26, "missing or invalid session ID");
            const std::string id = stringValue(r.next());
            auto trim = [](std::string s) {
                const auto b = s.find_first_not_of(" \t");
                const auto e = s.find_last_not_of(" \t");
                return b == std::string::npos ? std::string() : s.substr(b, e - b + 1);
            };
            tr.kind = kill ? StmtKind::KillSession : StmtKind::CancelSql;
            // 'sid,serial#[,@instance]' and, for a cancel, a trailing sql_id
            std::vector<std::string> pieces;
            for (std::size_t from = 0;;) {
                const auto comma = id.find(',', from);
                pieces.push_back(trim(id.substr(from, comma == std::string::npos ? std::string::npos
                                                                                 : comma - from)));
                if (comma == std::string::npos)
                    break;
                from = comma + 1;
            }
            if (pieces.size() >= 2) {
                tr.killSid = pieces[0];
                tr.killSerial = pieces[1];
            }
            if (!kill && pieces.size() >= 3) {
                const std::string& last = pieces.back();
                if (!last.empty() && last[0] != '@')
                    tr.cancelSqlId = last;
            }
            auto numeric = [](const std::string& s) {
                return !s.empty() && s.find_first_not_of("0123456789") == std::string::npos;
            };
            if (!numeric(tr.killSid) || !numeric(tr.killSerial))
                oraFail(26, "missing or invalid session ID");
            if (disconnect) {
                if (!r.accept("immediate") && !r.accept("post_transaction"))
                    oraFail(905, "missing keyword");
            } else if (kill) {
                r.accept("immediate");
            }
            r.expectEnd();
            return tr;
        }
        static const std::set<std::string, std::less<>> known = {
            "flush",    "switch",  "checkpoint", "disconnect", "enable",    "disable", "archive",
            "register", "suspend", "resume",     "quiesce",    "unquiesce", "reset"};
        if (!r.done() && known.count(r.peek().lower))
            unimplemented(r);
        oraFail(2065, "illegal option for ALTER SYSTEM");
    }
    if (!r.done() && kObjectKinds.count(r.peek().lower))
        unimplemented(r);
    oraFail(940, "invalid ALTER command");
}

// lock table name in <mode> mode [nowait | wait n]
Translation lockStatement(Reader& r, const SynonymMap& synonyms) {
    Translation tr;
    tr.kind = StmtKind::LockTable;
    r.expect("table", 905, "missing keyword");
    const auto [schema, object] = r.objectName(903, "invalid table name");
    std::string resolved = droppedSchemaObject(schema, object);
    if (schema.empty()) {
        const auto it = synonyms.find(object);
        if (it != synonyms.end())
            resolved = it->second;
    }
    tr.object = resolved;
    tr.schema = reportedSchema(schema);
    tr.tables = {resolved};
    if (r.atSymbol(","))
        unimplemented(r);
    r.expect("in", 969, "missing ON keyword");
    std::string mode;
    while (!r.done() && !r.at("mode")) {
        mode += (mode.empty() ? "" : " ") + r.next().lower;
    }
    r.expect("mode", 905, "missing keyword");
    static const std::set<std::string, std::less<>> modes = {
        "row share", "row exclusive", "share update", "share", "share row exclusive", "exclusive"};
    if (!modes.count(mode))
        oraFail(1737, "valid modes: [ROW] SHARE, [[SHARE] ROW] EXCLUSIVE, SHARE UPDATE");
    tr.lockMode = mode;
    if (r.accept("nowait")) {
        tr.nowait = true;
    } else if (r.accept("wait")) {
        if (r.next().kind != Tok::Number)
            oraFail(2017, "integer value required");
    }
    r.expectEnd();
    return tr;
}

Translation transactionEnd(Reader& r, StmtKind kind) {
    Translation tr;
    tr.kind = kind;
    r.accept("work");
    if (kind == StmtKind::Commit && r.accept("comment")) {
        if (r.next().kind != Tok::String)
            oraFail(1780, "string literal required");
    }
    if (kind == StmtKind::Rollback && (r.at("to") || r.at("force")))
        unimplemented(r);
    if (kind == StmtKind::Commit && (r.at("force") || r.at("write")))
        unimplemented(r);
    r.expectEnd();
    return tr;
}

Translation dml(Tokens tokens, StmtKind kind, const SynonymMap& synonyms) {
    Translation tr;
    tr.kind = kind;
    SqlContext ctx(synonyms);
    tr.sql = translateQuery(std::move(tokens), ctx);
    tr.tables = std::move(ctx.tables);
    tr.bindNames = std::move(ctx.bindNames);
    tr.selectTypes = std::move(ctx.selectTypes);
    if (std::find(ctx.selectColumns.begin(), ctx.selectColumns.end(), "*") ==
        ctx.selectColumns.end())
        tr.selectHeadings = std::move(ctx.selectHeadings);
    return tr;
}

} // namespace

Translation translate(std::string_view oracleSql, const SynonymMap& synonyms) {
    Tokens tokens = tokenize(oracleSql);
    if (tokens.empty())
        oraFail(900, "invalid SQL statement");
    if (isWord(tokens[0], "declare") || isWord(tokens[0], "begin"))
        return translatePlsql(oracleSql, std::move(tokens), synonyms);
    if (isSymbol(tokens.back(), ";"))
        tokens.pop_back();
    for (const Token& t : tokens)
        if (isSymbol(t, ";"))
            oraFail(911, "invalid character");
    if (tokens.empty())
        oraFail(900, "invalid SQL statement");

    const std::string first = tokens[0].kind == Tok::Word ? tokens[0].lower : tokens[0].text;
    if (first == "select" || first == "with" || first == "(")
        return dml(std::move(tokens), StmtKind::Select, synonyms);
    if (first == "insert")
        return dml(std::move(tokens), StmtKind::Insert, synonyms);
    if (first == "update")
        return dml(std::move(tokens), StmtKind::Update, synonyms);
    if (first == "delete")
        return dml(std::move(tokens), StmtKind::Delete, synonyms);

    Reader r(oracleSql, std::move(tokens));
    r.next();
    if (first == "create")
        return createStatement(r, synonyms);
    if (first == "drop")
        return dropStatement(r);
    if (first == "alter")
        return alterStatement(r);
    if (first == "lock")
        return lockStatement(r, synonyms);
    if (first == "commit")
        return transactionEnd(r, StmtKind::Commit);
    if (first == "rollback")
        return transactionEnd(r, StmtKind::Rollback);
    static const std::set<std::string, std::less<>> otherVerbs = {
        "truncate", "grant",     "revoke",  "merge",     "savepoint",   "set",
        "explain",  "analyze",   "comment", "rename",    "audit",       "noaudit",
        "call",     "flashback", "purge",   "associate", "disassociate"};
    if (otherVerbs.count(first))
        unimplemented(r);
    oraFail(900, "invalid SQL statement");
}

} // namespace oradb::sandbox
