// Rewriting Oracle queries and DML into SQLite text: select-list headings, table references
// (schemas, synonyms, quoting), Oracle-only operators and pseudo-columns, numeric division.
#include "sandbox/OraDialectInternal.h"

#include <algorithm>
#include <map>
#include <set>
#include <utility>

namespace oradb::sandbox::dialect {

namespace {

const std::set<std::string, std::less<>> kReserved = {
    // Oracle's reserved words
    "access", "add", "all", "alter", "and", "any", "as", "asc", "audit", "between", "by", "char",
    "check", "cluster", "column", "comment", "compress", "connect", "create", "current", "date",
    "decimal", "default", "delete", "desc", "distinct", "drop", "else", "exclusive", "exists",
    "file", "float", "for", "from", "grant", "group", "having", "identified", "immediate", "in",
    "increment", "index", "initial", "insert", "integer", "intersect", "into", "is", "level",
    "like", "lock", "long", "maxextents", "minus", "mlslabel", "mode", "modify", "noaudit",
    "nocompress", "not", "nowait", "null", "number", "of", "offline", "on", "online", "option",
    "or", "order", "pctfree", "prior", "privileges", "public", "raw", "rename", "resource",
    "revoke", "row", "rowid", "rownum", "rows", "select", "session", "set", "share", "size",
    "smallint", "start", "successful", "synonym", "sysdate", "table", "then", "to", "trigger",
    "uid", "union", "unique", "update", "user", "validate", "values", "varchar", "varchar2", "view",
    "whenever", "where", "with",
    // clause keywords that are never taken for an alias
    "join", "inner", "left", "right", "full", "outer", "cross", "natural", "using", "case", "when",
    "end", "except", "fetch", "offset", "model", "returning"};

// Words that end an operand although they are reserved.
const std::set<std::string, std::less<>> kOperandWords = {"sysdate",
                                                          "systimestamp",
                                                          "user",
                                                          "uid",
                                                          "null",
                                                          "end",
                                                          "rownum",
                                                          "level",
                                                          "rowid",
                                                          "current_date",
                                                          "current_timestamp",
                                                          "localtimestamp"};

bool endsOperand(const Token& t) {
    switch (t.kind) {
    case Tok::Number:
    case Tok::String:
    case Tok::Bind:
    case Tok::Param:
    case Tok::Quoted:
        return true;
    case Tok::Word:
        return !isReserved(t) || kOperandWords.count(t.lower) > 0;
    case Tok::Symbol:
        return t.text == ")";
    }
    return false;
}

// Oracle reports "missing expression" where an operator or clause keyword lacks its operand.
void checkOperands(const Tokens& t) {
    static const std::set<std::string, std::less<>> opSymbols = {
        "=", "<>", "!=", "^=", "<", ">", "<=", ">=", "+", "-", "/", "||", "(", ","};
    static const std::set<std::string, std::less<>> opWords = {
        "where", "and", "or", "select", "having", "when", "then", "else", "like", "between", "by"};
    static const std::set<std::string, std::less<>> noOperandSymbols = {
        ")", ",", "=", "<>", "!=", "^=", "<", ">", "<=", ">=", "/", "||"};
    static const std::set<std::string, std::less<>> noOperandWords = {
        "from",      "where",  "and",  "or",   "group", "order", "having", "union", "minus",
        "intersect", "except", "then", "else", "end",   "when",  "into",   "by"};
    for (std::size_t i = 0; i < t.size(); ++i) {
        const Token& k = t[i];
        bool expects = false;
        if (k.kind == Tok::Symbol)
            expects =
                opSymbols.count(k.text) > 0 || (k.text == "*" && i > 0 && endsOperand(t[i - 1]));
        else if (k.kind == Tok::Word)
            expects = opWords.count(k.lower) > 0;
        if (!expects)
            continue;
        if (isSymbol(k, "+") && i > 0 && isSymbol(t[i - 1], "(") && i + 1 < t.size() &&
            isSymbol(t[i + 1], ")"))
            continue; // the (+) outer join mark
        if (i + 1 >= t.size()) {
            oraFail(936, "missing expression");
        }
        const Token& next = t[i + 1];
        if (isSymbol(k, "(") && isSymbol(next, ")"))
            continue; // an empty argument list, as in sys_guid()
        if (isSymbol(k, "(") && isWord(next, "order"))
            continue; // over (order by ...), within group (order by ...)
        if (isSymbol(k, "(") && isSymbol(next, "+") && i + 2 < t.size() && isSymbol(t[i + 2], ")"))
            continue; // the (+) outer join mark
        if ((next.kind == Tok::Symbol && noOperandSymbols.count(next.text) > 0) ||
            (next.kind == Tok::Word && noOperandWords.count(next.lower) > 0))
            oraFail(936, "missing expression");
    }
}

// References to the loop record ("c1_rec.saddr") become the positional parameters ?1, ?2, ...
void replaceRecordFields(Tokens& t, SqlContext& ctx) {
    for (std::size_t i = 0; i + 2 < t.size(); ++i) {
        if (t[i].kind != Tok::Word || t[i].lower != ctx.recordName || !isSymbol(t[i + 1], ".") ||
            (i > 0 && isSymbol(t[i - 1], ".")))
            continue;
        if (t[i + 2].kind != Tok::Word && t[i + 2].kind != Tok::Quoted)
            continue;
        const std::string field = nameOf(t[i + 2]);
        auto it = std::find(ctx.recordFields.begin(), ctx.recordFields.end(), field);
        if (it == ctx.recordFields.end())
            it = ctx.recordFields.insert(ctx.recordFields.end(), field);
        t[i].kind = Tok::Param;
        t[i].text = "?" + std::to_string(it - ctx.recordFields.begin() + 1);
        t[i].lower = t[i].text;
        t[i + 1].dropped = true;
        t[i + 2].dropped = true;
    }
    compact(t);
}

class Rewriter {
public:
    Rewriter(Tokens& tokens, SqlContext& context)
        : t_(tokens), ctx_(context), match_(matchParens(tokens)) {}

    void run() {
        if (at(0, "with"))
            withClause();
        else if (at(0, "insert"))
            insertHeader();
        else if (at(0, "update"))
            updateHeader();
        else if (at(0, "delete"))
            deleteHeader();
        else if (!at(0, "select") && !sym(0, "("))
            oraFail(900, "invalid SQL statement");
        for (std::size_t i = 0; i < t_.size(); ++i)
            if (at(i, "select"))
                selectList(i);
        fromClauses();
        listaggCalls();
        intervalLiterals();
        castAndExtract();
        textCalls();
        rewriteWords();
        compact(t_);
        match_ = matchParens(t_);
        wrapDivisors();
        concatenations();
        dateArithmetic();
        ratioToReport();
        nullsOrder();
        queryBlocks();
        rowLimits();
    }

private:
    std::size_t size() const { return t_.size(); }
    bool at(std::size_t i, std::string_view w) const { return i < size() && isWord(t_[i], w); }
    bool sym(std::size_t i, std::string_view s) const { return i < size() && isSymbol(t_[i], s); }
    std::size_t skip(std::size_t i) const {
        return sym(i, "(") ? static_cast<std::size_t>(match_[i]) + 1 : i + 1;
    }

    // with name [(columns)] as (query) [, ...]: the names are not tables.
    void withClause() {
        std::size_t i = 1;
        while (true) {
            if (i >= size() || !isName(t_[i]))
                oraFail(903, "invalid table name");
            cteNames_.insert(nameOf(t_[i]));
            i = sym(i + 1, "(") ? skip(i + 1) : i + 1; // the optional column list
            if (!at(i, "as") || !sym(i + 1, "("))
                oraFail(905, "missing keyword");
            i = skip(i + 1);
            if (!sym(i, ","))
                break;
            ++i;
        }
        if (!at(i, "select"))
            oraFail(928, "missing SELECT keyword");
    }

    void insertHeader() {
        if (!at(1, "into"))
            oraFail(925, "missing INTO keyword");
        std::size_t i = tableAlias(tableRef(2), true);
        if (sym(i, "(") && !at(i + 1, "select") && !at(i + 1, "with"))
            i = skip(i); // the column list
        if (at(i, "values")) {
            if (!sym(i + 1, "("))
                oraFail(906, "missing left parenthesis");
            if (skip(i + 1) < size())
                oraFail(933, "SQL command not properly ended");
        } else if (!at(i, "select") && !at(i, "with") && !sym(i, "(")) {
            oraFail(926, "missing VALUES keyword");
        }
    }

    void updateHeader() {
        const std::size_t i = tableAlias(tableRef(1), true);
        if (!at(i, "set"))
            oraFail(971, "missing SET keyword");
    }

    void deleteHeader() {
        std::size_t i = 1;
        if (at(i, "from"))
            ++i;
        else
            t_[0].after = " FROM"; // optional in Oracle, required by SQLite
        i = tableAlias(tableRef(i), true);
        if (i < size() && !at(i, "where"))
            oraFail(933, "SQL command not properly ended");
    }

    // [schema.]name at i: drops the sys/system schema, resolves a public synonym, records the
    // object. Returns the index after the reference.
    std::size_t tableRef(std::size_t i) {
        if (i >= size() || !isName(t_[i]))
            oraFail(903, "invalid table name");
        std::string schema;
        std::size_t nameAt = i;
        if (sym(i + 1, ".")) {
            if (i + 2 >= size() || !isName(t_[i + 2]))
                oraFail(903, "invalid table name");
            schema = nameOf(t_[i]);
            nameAt = i + 2;
        }
        if (sym(nameAt + 1, "@"))
            oraFail(2019, "connection description for remote database not found");
        const std::string object = nameOf(t_[nameAt]);
        if (schema == "sys" || schema == "system") {
            t_[i].dropped = true;
            t_[i + 1].dropped = true;
            schema.clear();
        }
        if (!schema.empty()) {
            ctx_.addTable(schema + "." + object); // no such schema here: the driver reports it
            return nameAt + 1;
        }
        if (cteNames_.count(object) > 0)
            return nameAt + 1;
        const auto synonym = ctx_.synonyms.find(object);
        const std::string resolved = synonym == ctx_.synonyms.end() ? object : synonym->second;
        t_[nameAt].out = sqliteName(resolved);
        ctx_.addTable(resolved);
        return nameAt + 1;
    }

    // An optional alias after a table reference; SQLite wants "AS" before the alias of the
    // target of insert, update and delete.
    std::size_t tableAlias(std::size_t i, bool needsAs) {
        if (at(i, "as") && i + 1 < size() && isName(t_[i + 1]))
            return i + 2;
        if (i < size() && isName(t_[i])) {
            if (needsAs)
                t_[i].prefix = "AS ";
            return i + 1;
        }
        return i;
    }

    bool endsSelectList(std::size_t i) const {
        return i >= size() || sym(i, ")") || at(i, "from") || at(i, "into") || at(i, "union") ||
               at(i, "minus") || at(i, "intersect") || at(i, "except");
    }

    void selectList(std::size_t select) {
        std::size_t i = select + 1;
        if (at(i, "distinct") || at(i, "all")) {
            ++i;
        } else if (at(i, "unique")) {
            t_[i].out = "distinct";
            ++i;
        }
        std::vector<std::pair<std::size_t, std::size_t>> items;
        std::size_t start = i;
        while (!endsSelectList(i)) {
            if (sym(i, ",")) {
                items.emplace_back(start, i);
                start = i + 1;
                ++i;
            } else {
                i = skip(i);
            }
        }
        items.emplace_back(start, i);
        if (at(i, "into"))
            oraFail(905, "missing keyword"); // select ... into belongs to PL/SQL
        if (!at(i, "from"))
            oraFail(923, "FROM keyword not found where expected");
        const bool first = !firstListDone_;
        firstListDone_ = true;
        for (const auto& [a, b] : items) {
            if (a == b)
                oraFail(936, "missing expression");
            const std::string type = oracleTypeOf(a, expressionEnd(a, b));
            // an unaliased ROWID is headed by rowidText
            std::string column = type == "ROWID" && expressionEnd(a, b) == b ? std::string("rowid")
                                                                             : selectItem(a, b);
            if (type == "ROWID")
                rowidText(a, b);
            if (first) {
                ctx_.selectColumns.push_back(std::move(column));
                ctx_.selectTypes.push_back(type);
                ctx_.selectHeadings.push_back(quotedHeading(a, b));
            }
        }
    }

    // The end of a select-list item's expression: before its alias, if it has one.
    std::size_t expressionEnd(std::size_t a, std::size_t b) const {
        if (b - a >= 2 && isName(t_[b - 1])) {
            if (isWord(t_[b - 2], "as"))
                return b - 2;
            if (endsOperand(t_[b - 2]))
                return b - 1;
        }
        return b;
    }

    // The Oracle type of the expression [a, e) where its values alone do not tell it: a ROWID
    // pseudo-column, SYSTIMESTAMP, or a call of a function whose result type is a LOB, an
    // object, a binary floating-point number or an interval.
    std::string oracleTypeOf(std::size_t a, std::size_t e) const {
        if (e == a + 1 && (at(a, "systimestamp") || at(a, "current_timestamp")))
            return "TIMESTAMP WITH TIME ZONE";
        if (e == a + 1 && at(a, "localtimestamp"))
            return "TIMESTAMP";
        if ((e == a + 1 && at(a, "rowid")) ||
            (e == a + 3 && isName(t_[a]) && sym(a + 1, ".") && at(a + 2, "rowid")))
            return "ROWID";
        if (!sym(a + 1, "(") || skip(a + 1) != e || t_[a].kind != Tok::Word)
            return {};
        static const std::map<std::string, std::string, std::less<>> kResultTypes = {
            {"to_clob", "CLOB"},
            {"to_nclob", "NCLOB"},
            {"xmltype", "XMLTYPE"},
            {"json", "JSON"},
            {"bfilename", "BFILE"},
            {"to_binary_double", "BINARY_DOUBLE"},
            {"to_binary_float", "BINARY_FLOAT"},
            {"numtodsinterval", "INTERVAL DAY TO SECOND"},
            {"numtoyminterval", "INTERVAL YEAR TO MONTH"},
        };
        const auto it = kResultTypes.find(t_[a].lower);
        return it == kResultTypes.end() ? std::string() : it->second;
    }

    // A ROWID item shows Oracle's text of the row's address, headed ROWID unless aliased.
    void rowidText(std::size_t a, std::size_t b) {
        const std::size_t e = expressionEnd(a, b);
        t_[a].prefix = "ora_rowid(" + t_[a].prefix;
        t_[e - 1].suffix += ")";
        if (e == b)
            t_[e - 1].suffix += " AS \"ROWID\"";
    }

    bool isColumnPath(std::size_t a, std::size_t b) const {
        if ((b - a) % 2 == 0 || (b - a == 1 && kOperandWords.count(t_[a].lower)))
            return false; // SYSTIMESTAMP, USER ... are values, headed by their own name
        for (std::size_t k = a; k < b; ++k)
            if ((k - a) % 2 == 0 ? !isName(t_[k]) : !sym(k, "."))
                return false;
        return true;
    }

    // The heading of an item [a, b) whose alias is a quoted identifier, as written; else empty.
    std::string quotedHeading(std::size_t a, std::size_t b) const {
        if (b - a < 2 || t_[b - 1].kind != Tok::Quoted || expressionEnd(a, b) == b)
            return {};
        std::string heading;
        const std::string& q = t_[b - 1].text;
        for (std::size_t k = 1; k + 1 < q.size(); ++k) {
            heading += q[k];
            if (q[k] == '"')
                ++k; // "" stands for one quote
        }
        return heading;
    }

    // An alias may be a word that SQLite reserves (nothing, do, window...): write it quoted.
    std::string quoteAlias(std::size_t i) {
        Token& alias = t_[i];
        if (alias.kind == Tok::Word && alias.out.empty())
            alias.out = "\"" + alias.lower + "\"";
        return nameOf(alias);
    }

    // One select-list item [a, b): keeps its alias or gives it Oracle's heading. Returns the
    // name of the result column in lower case.
    std::string selectItem(std::size_t a, std::size_t b) {
        const Token& last = t_[b - 1];
        if (sym(b - 1, "*") && (b - a == 1 || (b - a == 3 && sym(a + 1, "."))))
            return "*";
        if (b - a >= 2 && isName(last)) {
            const Token& before = t_[b - 2];
            if (isWord(before, "as")) {
                if (b - a == 2)
                    oraFail(936, "missing expression");
                return quoteAlias(b - 1);
            }
            if (endsOperand(before))
                return quoteAlias(b - 1);
        }
        if (isColumnPath(a, b))
            return nameOf(last);
        std::string heading;
        for (std::size_t k = a; k < b; ++k)
            heading += t_[k].text;
        heading = upperAscii(heading);
        std::string quoted;
        for (char c : heading) {
            quoted += c;
            if (c == '"')
                quoted += '"';
        }
        t_[b - 1].after += " AS \"" + quoted + "\"";
        return lowerAscii(heading);
    }

    void fromClauses() {
        std::vector<bool> sawSelect{false};
        for (std::size_t i = 0; i < size(); ++i) {
            if (sym(i, "(")) {
                sawSelect.push_back(false);
            } else if (sym(i, ")")) {
                sawSelect.pop_back();
            } else if (at(i, "select")) {
                sawSelect.back() = true;
            } else if (at(i, "from") && sawSelect.back()) {
                fromList(i + 1);
            }
        }
    }

    bool endsFromClause(std::size_t i) const {
        static const std::set<std::string, std::less<>> ends = {
            "where", "group", "order",     "having", "connect", "start",
            "union", "minus", "intersect", "except", "for",     "model"};
        return i >= size() || sym(i, ")") || (t_[i].kind == Tok::Word && ends.count(t_[i].lower));
    }

    // The index after "[natural] [inner|cross|left [outer]|...] join" at i, or i.
    std::size_t joinKeyword(std::size_t i) const {
        std::size_t j = i;
        if (at(j, "natural"))
            ++j;
        if (at(j, "inner") || at(j, "cross")) {
            ++j;
        } else if (at(j, "left") || at(j, "right") || at(j, "full")) {
            ++j;
            if (at(j, "outer"))
                ++j;
        }
        return at(j, "join") ? j + 1 : i;
    }

    void fromList(std::size_t i) {
        while (true) {
            if (endsFromClause(i))
                oraFail(903, "invalid table name");
            i = sym(i, "(") ? skip(i) : tableRef(i);
            i = tableAlias(i, false);
            if (sym(i, ",")) {
                ++i;
                continue;
            }
            if (at(i, "on") || at(i, "using")) {
                ++i;
                while (!endsFromClause(i) && joinKeyword(i) == i)
                    i = skip(i);
            }
            if (const std::size_t j = joinKeyword(i); j != i) {
                i = j;
                continue;
            }
            if (endsFromClause(i))
                return;
            oraFail(933, "SQL command not properly ended");
        }
    }

    std::size_t argumentCount(std::size_t open) const {
        const auto close = static_cast<std::size_t>(match_[open]);
        if (close == open + 1)
            return 0;
        std::size_t count = 1;
        for (std::size_t k = open + 1; k < close; k = skip(k))
            if (sym(k, ","))
                ++count;
        return count;
    }

    void rewriteWords() {
        for (std::size_t i = 0; i < size(); ++i) {
            Token& k = t_[i];
            if (k.dropped || !k.out.empty())
                continue;
            const bool afterDot = i > 0 && sym(i - 1, ".");
            if (k.kind == Tok::Word) {
                // the session's time zone is the instance's: the current date and time
                // are the system's
                if ((k.lower == "sysdate" || k.lower == "current_date") && !afterDot)
                    k.out = "ora_sysdate()";
                else if ((k.lower == "systimestamp" || k.lower == "current_timestamp" ||
                          k.lower == "localtimestamp") &&
                         !afterDot && !sym(i + 1, "("))
                    k.out = "ora_systimestamp()";
                else if ((k.lower == "dbms_rowid" || k.lower == "dbms_utility" ||
                          k.lower == "dbms_lob") &&
                         sym(i + 1, ".") && i + 2 < size() && t_[i + 2].kind == Tok::Word &&
                         (!afterDot || (i >= 2 && at(i - 2, "sys")))) {
                    // package functions are registered as package__function
                    if (afterDot)
                        t_[i - 2].dropped = t_[i - 1].dropped = true;
                    k.out = k.lower + "__" + t_[i + 2].lower + (sym(i + 3, "(") ? "" : "()");
                    t_[i + 1].dropped = t_[i + 2].dropped = true;
                } else if ((k.lower == "rollup" || k.lower == "cube") && sym(i + 1, "(") && i > 0 &&
                           (at(i - 1, "by") || sym(i - 1, ",")))
                    notEmulated("GROUP BY " + upperAscii(k.lower));
                else if (k.lower == "keep" && sym(i + 1, "(") && at(i + 2, "dense_rank"))
                    notEmulated("KEEP (DENSE_RANK FIRST|LAST ...)");
                else if (k.lower == "grouping" && at(i + 1, "sets"))
                    notEmulated("GROUPING SETS");
                else if (k.lower == "grouping" && sym(i + 1, "("))
                    oraFail(30481, "GROUPING function only supported with GROUP BY CUBE or ROLLUP");

                else if (k.lower == "user" && !afterDot && !sym(i + 1, "."))
                    k.out = "ora_user()";
                else if (k.lower == "uid" && !afterDot && !sym(i + 1, "."))
                    k.out = "ora_uid()";
                else if (k.lower == "minus")
                    k.out = "except";
                // Oracle has no LIMIT clause: the word names a column (dba_profiles.limit).
                else if (k.lower == "limit")
                    k.out = "\"limit\"";
                else if (k.lower.find_first_of("$#") != std::string::npos)
                    k.out = sqliteName(k.lower);
                if (sym(i + 1, "(") && !afterDot) {
                    if (const FunctionArity* f = oracleFunction(k.lower)) {
                        const auto n = static_cast<int>(argumentCount(i + 1));
                        if (n < f->minArgs || (f->maxArgs >= 0 && n > f->maxArgs))
                            oraFail(909, "invalid number of arguments");
                    }
                }
            } else if (k.kind == Tok::Symbol) {
                if (k.text == "!=" || k.text == "^=")
                    k.out = "<>";
                else if (k.text == "%" || k.text == ":=" || k.text == "=>" || k.text == ".." ||
                         k.text == "**" || k.text == "@" || k.text == ";")
                    oraFail(911, "invalid character");
            } else if (k.kind == Tok::Bind) {
                k.out = k.lower;
                ctx_.addBind(k.lower.substr(1));
            }
        }
    }

    // The index of the "end" that closes the case at i.
    std::size_t caseEnd(std::size_t i) const {
        int depth = 0;
        for (std::size_t k = i; k < size(); k = skip(k)) {
            if (at(k, "case"))
                ++depth;
            else if (at(k, "end") && --depth == 0)
                return k;
        }
        oraFail(905, "missing keyword");
    }

    // "/ P" -> "/ ora_divisor(P)" for the right operand P: an optional sign and one primary.
    void wrapDivisors() {
        for (std::size_t i = 0; i < size(); ++i) {
            if (!sym(i, "/"))
                continue;
            const std::size_t s = i + 1;
            std::size_t j = s;
            while (sym(j, "+") || sym(j, "-"))
                ++j;
            if (j >= size())
                oraFail(936, "missing expression");
            const Token& p = t_[j];
            std::size_t e = 0;
            if (sym(j, "(")) {
                e = skip(j);
            } else if (p.kind == Tok::Number || p.kind == Tok::String || p.kind == Tok::Bind ||
                       p.kind == Tok::Param) {
                e = j + 1;
            } else if (at(j, "case")) {
                e = caseEnd(j) + 1;
            } else if (isName(p) || kOperandWords.count(p.lower) > 0) {
                e = j + 1;
                while (sym(e, ".") && e + 1 < size() &&
                       (t_[e + 1].kind == Tok::Word || t_[e + 1].kind == Tok::Quoted))
                    e += 2;
                if (sym(e, "("))
                    e = skip(e);
                // an analytic call's window belongs to the divisor
                if (at(e, "over") && sym(e + 1, "("))
                    e = skip(e + 1);
            } else {
                oraFail(936, "missing expression");
            }
            t_[s].prefix = "ora_divisor(" + t_[s].prefix;
            t_[e - 1].suffix += ")";
        }
    }

    // listagg(x[, sep]) within group (order by k1 [asc|desc] [nulls first|last], ...) becomes
    // ora_listagg(x, sep, 'ad...', k1, ...), an aggregate that sorts its values itself.
    void listaggCalls() {
        for (std::size_t i = 0; i + 1 < size(); ++i) {
            if (!at(i, "listagg") || !sym(i + 1, "(") || (i > 0 && sym(i - 1, ".")))
                continue;
            const std::size_t p = i + 1;
            const auto q = static_cast<std::size_t>(match_[p]);
            const std::size_t n = argumentCount(p);
            if (n < 1 || n > 2)
                oraFail(909, "invalid number of arguments");
            if (at(p + 1, "distinct") || at(p + 1, "all") || (n == 2 && at(q - 1, "overflow")))
                oraFail(3001, "unimplemented feature: listagg with distinct or overflow is not "
                              "emulated by the sandbox");
            if (!at(q + 1, "within") || !at(q + 2, "group") || !sym(q + 3, "(") ||
                !at(q + 4, "order") || !at(q + 5, "by"))
                oraFail(2000, "missing WITHIN keyword");
            const std::size_t r = q + 3;
            const auto rc = static_cast<std::size_t>(match_[r]);
            if (at(rc + 1, "over"))
                oraFail(3001, "unimplemented feature: listagg as an analytic function is not "
                              "emulated by the sandbox");
            std::string dirs;
            std::size_t k = q + 6;
            while (k < rc) {
                const std::size_t start = k;
                while (k < rc && !sym(k, ","))
                    k = skip(k);
                std::size_t end = k; // drop the trailing asc/desc/nulls first|last words
                char dir = 'a';
                while (end > start + 1) {
                    if (at(end - 1, "asc") || at(end - 1, "desc")) {
                        dir = at(end - 1, "desc") ? 'd' : 'a';
                        t_[--end].dropped = true;
                    } else if (end > start + 2 && at(end - 2, "nulls") &&
                               (at(end - 1, "first") || at(end - 1, "last"))) {
                        t_[end - 1].dropped = true;
                        t_[end - 2].dropped = true;
                        end -= 2;
                    } else {
                        break;
                    }
                }
                dirs += dir;
                if (k < rc)
                    ++k;
            }
            t_[i].out = "ora_listagg";
            t_[q - 1].suffix += std::string(n == 1 ? ", NULL" : "") + ", '" + dirs + "',";
            for (std::size_t m = q; m <= q + 5; ++m)
                t_[m].dropped = true;
            i = rc;
        }
    }

    // cast(x as date|timestamp) keeps the date text (SQLite would make a number of it);
    // extract(unit from x) is ora_extract('unit', x).
    void castAndExtract() {
        for (std::size_t i = 0; i + 1 < size(); ++i) {
            if (!sym(i + 1, "(") || (i > 0 && sym(i - 1, ".")))
                continue;
            const auto q = static_cast<std::size_t>(match_[i + 1]);
            if (at(i, "cast")) {
                std::size_t as = i + 2;
                while (as < q && !at(as, "as"))
                    as = skip(as);
                if (as + 1 < q && (at(as + 1, "date") || at(as + 1, "timestamp"))) {
                    t_[i].out = "ora_cast_date";
                    for (std::size_t d = as; d < q; ++d)
                        t_[d].dropped = true;
                }
            } else if (at(i, "extract") && t_[i + 2].kind == Tok::Word && at(i + 3, "from")) {
                t_[i].out = "ora_extract";
                t_[i + 2].out = "'" + upperAscii(t_[i + 2].lower) + "'";
                t_[i + 3].out = ",";
            }
        }
    }

    // rawtohex(x) and to_char(x[, f]) give VARCHAR2 values, and compare as a VARCHAR2 column
    // does: cast(... as text) gives the call SQLite's text affinity. A comparison with a text
    // column can then search the catalog's indexes on these calls (v$sqltext by the texts of
    // its address and hash value, which the SQL collectors join on): where a comparison takes
    // a text column's affinity, SQLite searches an index on an expression only when the
    // expression has text affinity too.
    void textCalls() {
        for (std::size_t i = 0; i + 1 < size(); ++i) {
            if (!(at(i, "rawtohex") || at(i, "to_char")) || !sym(i + 1, "(") ||
                (i > 0 && sym(i - 1, ".")))
                continue;
            t_[i].prefix = "cast(" + t_[i].prefix;
            t_[static_cast<std::size_t>(match_[i + 1])].suffix += " as text)";
        }
    }

    // INTERVAL 'n' DAY|HOUR|MINUTE|SECOND is n in days, which DATE arithmetic adds.
    void intervalLiterals() {
        for (std::size_t i = 0; i + 2 < size(); ++i) {
            if (!at(i, "interval") || t_[i + 1].kind != Tok::String || (i > 0 && sym(i - 1, ".")))
                continue;
            const std::string unit = t_[i + 2].kind == Tok::Word ? t_[i + 2].lower : "";
            static const std::map<std::string, std::string, std::less<>> perDay = {
                {"day", "1"}, {"hour", "24"}, {"minute", "1440"}, {"second", "86400"}};
            const auto it = perDay.find(unit);
            if (it == perDay.end() || at(i + 3, "to") || sym(i + 3, "("))
                notEmulated("this INTERVAL literal (INTERVAL 'n' DAY, HOUR, MINUTE or SECOND is)");
            const std::string n = stringValue(t_[i + 1]);
            if (n.empty() || n.find_first_not_of("0123456789.+-") != std::string::npos)
                oraFail(1867, "the interval is invalid");
            t_[i].out = "(" + n + " / " + it->second + ".0)";
            t_[i + 1].dropped = true;
            t_[i + 2].dropped = true;
        }
    }

    // ratio_to_report(x) over (w) is x / sum(x) over (w); NULL where the sum is 0.
    void ratioToReport() {
        for (std::size_t i = 0; i + 1 < size(); ++i) {
            if (!at(i, "ratio_to_report") || !sym(i + 1, "(") || (i > 0 && sym(i - 1, ".")))
                continue;
            const auto q = static_cast<std::size_t>(match_[i + 1]);
            if (argumentCount(i + 1) != 1)
                oraFail(909, "invalid number of arguments");
            if (!at(q + 1, "over") || !sym(q + 2, "("))
                oraFail(30484, "missing OVER (window) clause for this function");
            const auto w = static_cast<std::size_t>(match_[q + 2]);
            t_[i].out = "(" + render(t_, i + 1, q + 1) + " * 1.0 / nullif(sum";
            t_[w].suffix += ", 0))";
        }
    }

    // One select of the statement: where its clauses start and end (indexes into t_).
    struct Block {
        std::size_t select = 0;
        std::size_t from = 0;    // the "from" keyword
        std::size_t fromEnd = 0; // after the last table reference
        std::size_t where = 0;   // the "where" keyword; 0 when there is none
        std::size_t whereEnd = 0;
        std::size_t end = 0;   // after the block's last token
        bool compound = false; // followed by union, minus, intersect or except
        std::vector<std::pair<std::size_t, std::size_t>> conjuncts; // of the where clause
        bool whereHasOr = false;
    };

    bool atClause(std::size_t k) const {
        static const std::set<std::string, std::less<>> clauses = {
            "group", "order",     "having", "connect", "start", "union",
            "minus", "intersect", "except", "for",     "model", "fetch"};
        return k >= size() || sym(k, ")") ||
               (t_[k].kind == Tok::Word && clauses.count(t_[k].lower));
    }

    Block blockAt(std::size_t select) const {
        Block b;
        b.select = select;
        std::size_t k = select + 1;
        while (k < size() && !at(k, "from") && !sym(k, ")"))
            k = skip(k);
        b.from = k;
        k = k + 1;
        while (!atClause(k) && !at(k, "where"))
            k = skip(k);
        b.fromEnd = k;
        if (at(k, "where")) {
            b.where = k;
            std::size_t start = k + 1;
            bool between = false;
            for (k = k + 1; !atClause(k); k = skip(k)) {
                if (at(k, "between"))
                    between = true;
                else if (at(k, "or"))
                    b.whereHasOr = true;
                else if (at(k, "and") && between)
                    between = false;
                else if (at(k, "and")) {
                    b.conjuncts.emplace_back(start, k);
                    start = k + 1;
                }
            }
            b.conjuncts.emplace_back(start, k);
            b.whereEnd = k;
        }
        while (k < size() && !sym(k, ")") && !at(k, "union") && !at(k, "minus") &&
               !at(k, "intersect") && !at(k, "except"))
            k = skip(k);
        b.end = k;
        b.compound = k < size() && !sym(k, ")");
        return b;
    }

    // Replaces the where-clause conjunct [a, e) by a condition that always holds.
    void removeConjunct(std::size_t a, std::size_t e) {
        t_[a].out = "1 = 1";
        t_[a].prefix.clear();
        t_[a].suffix.clear();
        for (std::size_t k = a + 1; k < e; ++k)
            t_[k].dropped = true;
    }

    // The select-list item, group by and aggregate calls decide whether LIMIT can stand for a
    // ROWNUM filter: only where no rows are combined after it.
    bool combinesRows(const Block& b) const {
        static const std::set<std::string, std::less<>> aggregates = {
            "count", "sum", "avg", "min", "max", "listagg", "ora_listagg", "stddev", "variance"};
        if (at(b.select + 1, "distinct") || at(b.select + 1, "unique"))
            return true;
        for (std::size_t k = b.select + 1; k < b.from; ++k)
            if (t_[k].kind == Tok::Word && aggregates.count(t_[k].lower) && sym(k + 1, "(") &&
                !at(skip(k + 1), "over"))
                return true;
        for (std::size_t k = b.fromEnd; k < b.end; k = skip(k))
            if (at(k, "group") || at(k, "having"))
                return true;
        return false;
    }

    bool outerMark(std::size_t k) const {
        return sym(k, "(") && sym(k + 1, "+") && sym(k + 2, ")");
    }

    // Oracle's outer join operator: "a.x = b.y(+)" makes b the optional side of a join with a.
    // The comma-separated tables stay as they are, each optional table moves to the end as
    // "left join b on <its (+) conditions>", placed after the tables those conditions name.
    void outerJoins(const Block& b) {
        bool any = false;
        for (std::size_t k = b.where; k < b.whereEnd && b.where != 0; ++k)
            any = any || outerMark(k);
        if (!any)
            return;
        if (b.whereHasOr)
            oraFail(1719, "outer join operator (+) not allowed in operand of OR or IN");
        struct Item {
            std::size_t start;
            std::size_t end;
            std::string name;
        };
        std::vector<Item> items;
        std::size_t start = b.from + 1;
        for (std::size_t k = start;; k = skip(k)) {
            if (k >= b.fromEnd || sym(k, ",")) {
                Item item{start, k, {}};
                if (k > start && isName(t_[k - 1]))
                    item.name = nameOf(t_[k - 1]);
                items.push_back(item);
                if (k >= b.fromEnd)
                    break;
                start = k + 1;
            } else if (at(k, "join")) {
                oraFail(25156, "old style outer join (+) cannot be used with ANSI joins");
            }
        }
        auto itemOf = [&items](const std::string& name) -> long {
            for (std::size_t n = 0; n < items.size(); ++n)
                if (items[n].name == name)
                    return static_cast<long>(n);
            return -1;
        };
        struct Condition {
            std::size_t start;
            std::size_t end;
            long optional;
            std::set<long> others;
        };
        std::vector<Condition> conditions;
        for (const auto& [a, e] : b.conjuncts) {
            Condition c{a, e, -1, {}};
            bool marked = false, subquery = false;
            for (std::size_t k = a; k < e; ++k) {
                if (outerMark(k)) {
                    marked = true;
                    if (k < a + 3 || !sym(k - 2, ".") || !isName(t_[k - 3]))
                        oraFail(3001, "unimplemented feature: (+) on a column without its table "
                                      "name is not emulated by the sandbox");
                    const long item = itemOf(nameOf(t_[k - 3]));
                    if (item < 0)
                        oraFail(904,
                                "\"" + upperAscii(nameOf(t_[k - 3])) + "\": invalid identifier");
                    if (c.optional >= 0 && c.optional != item)
                        oraFail(1468, "a predicate may reference only one outer-joined table");
                    c.optional = item;
                    k += 2;
                } else if (isName(t_[k]) && sym(k + 1, ".") && !sym(k - 1, ".")) {
                    if (const long item = itemOf(nameOf(t_[k])); item >= 0)
                        c.others.insert(item);
                } else if (at(k, "select")) {
                    subquery = true;
                }
            }
            if (!marked)
                continue; // a plain filter, subqueries and all
            if (subquery)
                oraFail(1799, "a column may not be outer-joined to a subquery");
            c.others.erase(c.optional);
            conditions.push_back(std::move(c));
        }
        // Tables that some condition joins to another are optional; (+) conditions that name no
        // other table filter them in the join, or are plain filters on a table that is not.
        std::set<long> optional;
        for (const auto& c : conditions)
            if (!c.others.empty())
                optional.insert(c.optional);
        std::set<long> placed;
        for (std::size_t n = 0; n < items.size(); ++n)
            if (!optional.count(static_cast<long>(n)))
                placed.insert(static_cast<long>(n));
        if (placed.empty())
            oraFail(1416, "two tables cannot be outer-joined to each other");
        for (auto& c : conditions)
            for (std::size_t k = c.start; k < c.end; ++k)
                if (outerMark(k))
                    t_[k].dropped = t_[k + 1].dropped = t_[k + 2].dropped = true;
        std::string joins;
        while (placed.size() < items.size()) {
            long next = -1;
            for (long o : optional) {
                if (placed.count(o))
                    continue;
                bool ready = true;
                for (const auto& c : conditions)
                    if (c.optional == o)
                        for (long other : c.others)
                            ready = ready && placed.count(other) > 0;
                if (ready) {
                    next = o;
                    break;
                }
            }
            if (next < 0)
                oraFail(1416, "two tables cannot be outer-joined to each other");
            const Item& item = items[static_cast<std::size_t>(next)];
            std::string on;
            for (const auto& c : conditions) {
                if (c.optional != next)
                    continue;
                on += (on.empty() ? "" : " AND ") + render(t_, c.start, c.end);
                removeConjunct(c.start, c.end);
            }
            joins += " LEFT JOIN " + render(t_, item.start, item.end) + " ON " + on;
            placed.insert(next);
        }
        // The optional tables leave the comma list; the joins follow its last table.
        std::size_t last = 0;
        bool first = true;
        for (std::size_t n = 0; n < items.size(); ++n) {
            const Item& item = items[n];
            if (item.end < b.fromEnd)
                t_[item.end].dropped = true; // commas are written again below
            if (optional.count(static_cast<long>(n))) {
                for (std::size_t k = item.start; k < item.end; ++k)
                    t_[k].dropped = true;
                continue;
            }
            if (!first)
                t_[item.start].prefix = ", " + t_[item.start].prefix;
            first = false;
            last = item.end - 1;
        }
        t_[last].after += joins;
    }

    // The last token of [from, to) that is still written.
    std::size_t lastKept(std::size_t from, std::size_t to) const {
        std::size_t last = to - 1;
        while (last > from && t_[last].dropped)
            --last;
        return last;
    }

    [[noreturn]] static void notEmulated(const std::string& what) {
        oraFail(3001, "unimplemented feature: " + what + " is not emulated by the sandbox");
    }

    // A hierarchical query on one table:
    //   select ... from T a [where W] start with S connect by [nocycle] C
    // walks the tree with a recursive common table expression of the rows' rowids, their level,
    // their path (which orders the rows depth first, as Oracle returns them) and the values that
    // "prior x" in C takes from the parent row:
    //   with recursive ora_hier(ora_rid, ora_level, ora_path, ora_p1...) as (
    //     select a.rowid, 1, <path>, x... from T a where S
    //     union all
    //     select a.rowid, ora_h.ora_level + 1, ora_h.ora_path || ... , x...
    //       from ora_hier ora_h join T a on C' order by 3)
    //   select ... from ora_hier ora_h join T a on a.rowid = ora_h.ora_rid [where W]
    //   order by ora_h.ora_path
    // where C' has ora_h.ora_pN for "prior x" and the child's level for LEVEL. A row met again
    // on its own path raises ORA-01436, or ends that branch with NOCYCLE.
    void hierarchy(const Block& b) {
        std::size_t k = b.where ? b.whereEnd : b.fromEnd;
        std::size_t startAt = 0, startEnd = 0, connectAt = 0, connectEnd = 0;
        bool nocycle = false;
        while (at(k, "start") || at(k, "connect")) {
            const bool isStart = at(k, "start");
            if (!at(k + 1, isStart ? "with" : "by"))
                oraFail(905, "missing keyword");
            std::size_t e = k + 2;
            if (!isStart && at(e, "nocycle")) {
                nocycle = true;
                ++e;
            }
            const std::size_t from = e;
            while (e < size() && !sym(e, ")") && !at(e, "start") && !at(e, "connect") &&
                   !at(e, "group") && !at(e, "order") && !at(e, "having") && !at(e, "union") &&
                   !at(e, "minus") && !at(e, "intersect") && !at(e, "except"))
                e = skip(e);
            if (e == from)
                oraFail(936, "missing expression");
            (isStart ? startAt : connectAt) = k;
            (isStart ? startEnd : connectEnd) = e;
            k = e;
        }
        bool hierarchical = connectAt != 0;
        for (std::size_t m = b.select; m < b.end && !hierarchical; ++m)
            hierarchical = (at(m, "level") || at(m, "prior")) && fresh(m);
        if (!hierarchical)
            return;
        if (connectAt == 0)
            oraFail(1788, "CONNECT BY clause required in this query block");
        for (std::size_t m = b.select; m < b.end; ++m) {
            static const std::set<std::string, std::less<>> unsupported = {"connect_by_iscycle"};
            if (!fresh(m))
                continue; // rewritten with an inner query block
            if (t_[m].kind == Tok::Word && unsupported.count(t_[m].lower))
                notEmulated(upperAscii(t_[m].lower));
            if (at(m, "prior") && (m < connectAt || m >= connectEnd))
                notEmulated("PRIOR outside CONNECT BY");
        }
        // one table reference: name [alias], or a parenthesised query with an alias
        const std::size_t itemStart = b.from + 1;
        std::size_t itemEnd = b.fromEnd;
        for (std::size_t m = itemStart; m < itemEnd; m = skip(m))
            if (sym(m, ",") || at(m, "join"))
                notEmulated("a hierarchical query over a join");
        if (sym(itemStart, "("))
            notEmulated("a hierarchical query over a subquery");
        const bool afterWith = at(0, "with") && !insideParens(b.select);
        if (afterWith && !sym(b.select - 1, ")"))
            oraFail(928, "missing SELECT keyword");
        const Token& last = t_[itemEnd - 1];
        const std::string alias =
            last.out.empty() ? (last.kind == Tok::Quoted ? last.text : last.lower) : last.out;
        // A table's rows are told apart by their rowid; a common table expression's by their
        // number in a scan of it.
        // ORDER SIBLINGS BY k: the rows are numbered in the order of k, and that number orders
        // the children of each row in the path.
        std::string siblings;
        for (std::size_t m = k; m < b.end; m = skip(m)) {
            if (at(m, "order") && at(m + 1, "siblings") && at(m + 2, "by")) {
                siblings = render(t_, m + 3, b.end);
                for (std::size_t d = m; d < b.end; ++d)
                    t_[d].dropped = true;
                break;
            }
        }
        const bool overCte = cteNames_.count(nameOf(t_[itemStart])) > 0;
        const bool numbered = overCte || !siblings.empty();
        const std::string item =
            numbered ? "(SELECT row_number() over (" +
                           (siblings.empty() ? std::string() : "ORDER BY " + siblings) +
                           ") AS ora_rowid, * FROM " + render(t_, itemStart, itemEnd) + ") " + alias
                     : render(t_, itemStart, itemEnd);
        const std::string rowid = alias + (numbered ? ".ora_rowid" : ".rowid");
        for (std::size_t m = b.select + 1; m < b.from; ++m) {
            const bool star = sym(m, "*") && (sym(m - 1, ",") || m == b.select + 1) &&
                              (sym(m + 1, ",") || m + 1 == b.from);
            if (star && numbered)
                notEmulated("SELECT * in a hierarchical query over a WITH query or with ORDER "
                            "SIBLINGS BY");
            if (star)
                t_[m].out = alias + ".*";
        }

        // the connect condition, with the parent's values and the child's level
        std::vector<std::string> priors;
        for (std::size_t m = connectAt + 2 + (nocycle ? 1 : 0); m < connectEnd; ++m) {
            if (at(m, "prior")) {
                const std::size_t e = primaryEnd(m + 1, false);
                if (e == 0 || e > connectEnd)
                    oraFail(936, "missing expression");
                priors.push_back(operandText(m + 1, e));
                t_[m].out = "ora_h.ora_p" + std::to_string(priors.size());
                collapse(m, e);
                m = e - 1;
            } else if (at(m, "level")) {
                t_[m].out = "(ora_h.ora_level + 1)";
            }
        }
        const std::string condition = render(t_, connectAt + 2 + (nocycle ? 1 : 0), connectEnd);
        // CONNECT_BY_ISLEAF: 1 where no row joins the row as its child.
        for (std::size_t m = b.select + 1; m < b.end; ++m)
            if (at(m, "connect_by_isleaf") && fresh(m) && (m < connectAt || m >= connectEnd))
                t_[m].out = "(CASE WHEN EXISTS (SELECT 1 FROM " + item + " WHERE " + condition +
                            ") THEN 0 ELSE 1 END)";
        std::string start = "1 = 1";
        if (startAt != 0) {
            for (std::size_t m = startAt + 2; m < startEnd; ++m)
                if (at(m, "level"))
                    t_[m].out = "1";
            start = render(t_, startAt + 2, startEnd);
        }
        std::string columns = "ora_rid, ora_level, ora_path";
        std::string values;
        for (std::size_t n = 0; n < priors.size(); ++n) {
            columns += ", ora_p" + std::to_string(n + 1);
            values += ", " + priors[n];
        }
        // sys_connect_by_path(x, sep) and connect_by_root x: columns that the walk builds.
        std::string anchorValues = values;
        std::string stepValues = values;
        int built = 0;
        for (std::size_t m = b.select + 1; m < b.end; ++m) {
            if (!fresh(m) || (m >= connectAt && m < connectEnd) ||
                (startAt != 0 && m >= startAt && m < startEnd))
                continue;
            const std::string column = "ora_c" + std::to_string(++built);
            if (at(m, "sys_connect_by_path") && sym(m + 1, "(")) {
                const auto q = static_cast<std::size_t>(match_[m + 1]);
                std::size_t comma = m + 2;
                while (comma < q && !sym(comma, ","))
                    comma = skip(comma);
                if (comma >= q || argumentCount(m + 1) != 2)
                    oraFail(909, "invalid number of arguments");
                const std::string piece = "coalesce(" + render(t_, comma + 1, q) +
                                          ", '') || coalesce(" + render(t_, m + 2, comma) + ", '')";
                anchorValues += ", " + piece;
                stepValues += ", ora_h." + column + " || " + piece;
                t_[m].out = "ora_h." + column;
                collapse(m, q + 1);
                m = q;
            } else if (at(m, "connect_by_root")) {
                const std::size_t e = primaryEnd(m + 1, false);
                if (e == 0)
                    oraFail(936, "missing expression");
                anchorValues += ", " + operandText(m + 1, e);
                stepValues += ", ora_h." + column;
                t_[m].out = "ora_h." + column;
                collapse(m, e);
                m = e - 1;
            } else {
                --built;
                continue;
            }
            columns += ", " + column;
        }
        const std::string key = "printf('%012d', " + rowid + ")";
        std::string check;
        if (!priors.empty())
            check = " AND ora_connect_by_check(ora_h.ora_path, " + key + ", " +
                    (nocycle ? "1" : "0") + ")";
        const std::string cte = "ora_hier(" + columns + ") AS (SELECT " + rowid + ", 1, " + key +
                                anchorValues + " FROM " + item + " WHERE " + start +
                                " UNION ALL SELECT " + rowid +
                                ", ora_h.ora_level + 1, ora_h.ora_path || '/' || " + key +
                                stepValues + " FROM ora_hier ora_h JOIN " + item + " ON (" +
                                condition + ")" + check + " ORDER BY 3) ";
        if (afterWith) { // the statement's own WITH list takes the walk as its last member
            t_[0].out = "WITH RECURSIVE";
            t_[b.select - 1].after += ", " + cte;
        } else {
            t_[b.select].prefix = "WITH RECURSIVE " + cte + t_[b.select].prefix;
        }
        for (std::size_t m = itemStart; m < itemEnd; ++m)
            t_[m].dropped = true;
        t_[b.from].after += " ora_hier ora_h JOIN " + item + " ON " + rowid + " = ora_h.ora_rid";
        for (std::size_t m = connectAt; m < connectEnd; ++m)
            t_[m].dropped = true;
        for (std::size_t m = startAt; startAt != 0 && m < startEnd; ++m)
            t_[m].dropped = true;
        bool ordered = false;
        for (std::size_t m = b.select + 1; m < b.end; m = skip(m)) {
            if (at(m, "level") && !t_[m].dropped && t_[m].out.empty())
                t_[m].out = "ora_h.ora_level";
            ordered = ordered || (at(m, "order") && at(m + 1, "by"));
        }
        for (std::size_t m = b.select + 1; m < b.end; ++m)
            if (at(m, "level") && !t_[m].dropped && t_[m].out.empty())
                t_[m].out = "ora_h.ora_level";
        if (!ordered)
            t_[lastKept(b.select, b.end)].after += " ORDER BY ora_h.ora_path";
    }

    // The text of the operand [a, e) of PRIOR or CONNECT_BY_ROOT without the closing text of the
    // expressions around it, which rewrites put on its last token.
    std::string operandText(std::size_t a, std::size_t e) {
        Token& last = t_[e - 1];
        const std::string suffix = std::exchange(last.suffix, {});
        const std::string after = std::exchange(last.after, {});
        std::string text = render(t_, a, e);
        last.suffix = suffix;
        last.after = after;
        return text;
    }

    // Token m stands for [m, e): the others are dropped, the closing text that rewrites put on
    // them moves to m.
    void collapse(std::size_t m, std::size_t e) {
        for (std::size_t d = m + 1; d < e; ++d) {
            if (!t_[d].dropped)
                t_[m].suffix += t_[d].suffix + t_[d].after;
            t_[d].dropped = true;
        }
    }

    // A token that no inner query block has rewritten.
    bool fresh(std::size_t k) const { return !t_[k].dropped && t_[k].out.empty(); }

    bool insideParens(std::size_t k) const {
        int depth = 0;
        for (std::size_t m = 0; m < k; ++m)
            depth += sym(m, "(") ? 1 : (sym(m, ")") ? -1 : 0);
        return depth > 0;
    }

    // ROWNUM: in a select list it numbers the rows as the where clause passes them
    // (row_number() over ()); "rownum <= n", "rownum < n" and "rownum = 1" conjuncts of a where
    // clause become a LIMIT. Other uses are refused.
    void rownumFilters(const Block& b) {
        std::string limit;
        for (const auto& [a, e] : b.conjuncts) {
            bool mentions = false;
            for (std::size_t k = a; k < e; ++k)
                mentions = mentions || at(k, "rownum");
            if (!mentions)
                continue;
            const bool plain = e == a + 3 && at(a, "rownum") &&
                               (t_[a + 2].kind == Tok::Number || t_[a + 2].kind == Tok::Bind);
            const std::string op = e == a + 3 ? t_[a + 1].text : std::string();
            if (!plain || b.whereHasOr || (op != "<=" && op != "<" && op != "="))
                oraFail(3001, "unimplemented feature: this use of ROWNUM is not emulated by the "
                              "sandbox (rownum <= n, rownum < n and rownum = 1 are)");
            const Token& n = t_[a + 2];
            std::string count = n.kind == Tok::Bind ? n.lower : n.text;
            if (op == "<")
                count = "(" + count + ") - 1";
            else if (op == "=") {
                if (n.kind != Tok::Number || n.text != "1")
                    oraFail(3001, "unimplemented feature: rownum = n other than 1 is not "
                                  "emulated by the sandbox");
            }
            // rownum <= 2.5 passes two rows, rownum < 1 none
            const std::string bound = op == "=" ? "1" : "max(cast(" + count + " as integer), 0)";
            limit = limit.empty() ? bound : "min(" + limit + ", " + bound + ")";
            removeConjunct(a, e);
        }
        if (limit.empty())
            return;
        if (!b.compound && !combinesRows(b)) {
            t_[lastKept(b.select, b.end)].after += " LIMIT " + limit;
            return;
        }
        // Rows are grouped or combined after ROWNUM counts them: the table's rows that pass the
        // where clause are limited in a subquery that takes the table's place.
        std::size_t itemEnd = b.fromEnd;
        bool single = t_[b.from].after.empty() && !sym(b.from + 1, "(");
        for (std::size_t m = b.from + 1; m < itemEnd; m = skip(m))
            single = single && !sym(m, ",") && !at(m, "join");
        if (!single)
            oraFail(3001, "unimplemented feature: ROWNUM with GROUP BY, aggregates or set "
                          "operators over more than one table is not emulated by the sandbox");
        const Token& last = t_[itemEnd - 1];
        const std::string alias =
            last.out.empty() ? (last.kind == Tok::Quoted ? last.text : last.lower) : last.out;
        const std::string item = render(t_, b.from + 1, itemEnd);
        const std::string where = render(t_, b.where + 1, b.whereEnd);
        for (std::size_t m = b.from + 1; m < b.whereEnd; ++m)
            t_[m].dropped = true;
        t_[b.from].after +=
            " (SELECT * FROM " + item + " WHERE " + where + " LIMIT " + limit + ") " + alias;
    }

    // Oracle sorts NULL as the largest value: last in ascending order, first in descending, in
    // ORDER BY clauses and windows alike; SQLite takes it for the smallest. Each sort key without
    // NULLS FIRST or LAST gets Oracle's.
    void nullsOrder() {
        for (std::size_t i = 0; i + 1 < size(); ++i) {
            if (!at(i, "order") || !at(i + 1, "by") || !fresh(i))
                continue;
            std::size_t k = i + 2, start = k;
            auto endItem = [&](std::size_t e) {
                if (e <= start)
                    return;
                std::size_t last = lastKept(start, e);
                if (t_[last].dropped || (last >= start + 1 && at(last - 1, "nulls")))
                    return;
                const bool desc = at(last, "desc");
                t_[last].after += desc ? " NULLS FIRST" : " NULLS LAST";
            };
            while (
                k < size() && !sym(k, ")") && !sym(k, ";") &&
                !(t_[k].kind == Tok::Word &&
                  (t_[k].lower == "fetch" || t_[k].lower == "offset" || t_[k].lower == "for" ||
                   t_[k].lower == "union" || t_[k].lower == "minus" || t_[k].lower == "intersect" ||
                   t_[k].lower == "except" || t_[k].lower == "rows" || t_[k].lower == "range"))) {
                if (sym(k, ",")) {
                    endItem(k);
                    start = k + 1;
                }
                k = skip(k);
            }
            endItem(k);
            i = k - 1;
        }
    }

    // The row limiting clause, "[offset n row[s]] [fetch first|next [n] row[s] only]", as LIMIT
    // and OFFSET; PERCENT and WITH TIES are refused.
    void rowLimits() {
        auto count = [&](std::size_t k) {
            const Token& n = t_[k];
            return "max(cast(" + (n.kind == Tok::Bind ? n.lower : n.text) + " as integer), 0)";
        };
        auto isCount = [&](std::size_t k) {
            return k < size() && (t_[k].kind == Tok::Number || t_[k].kind == Tok::Bind);
        };
        for (std::size_t k = 0; k < size(); ++k) {
            if (!fresh(k))
                continue;
            std::string offset;
            std::size_t start = k, m = k;
            if (at(k, "offset") && isCount(k + 1) && (at(k + 2, "row") || at(k + 2, "rows"))) {
                offset = count(k + 1);
                m = k + 3;
            }
            std::string limit = "-1";
            if (at(m, "fetch") && (at(m + 1, "first") || at(m + 1, "next"))) {
                std::size_t r = m + 2;
                limit = "1";
                if (isCount(r))
                    limit = count(r++);
                if (at(r, "percent"))
                    oraFail(3001, "unimplemented feature: FETCH ... PERCENT is not emulated by the "
                                  "sandbox");
                if (!at(r, "row") && !at(r, "rows"))
                    continue;
                if (at(r + 1, "with") && at(r + 2, "ties"))
                    oraFail(3001, "unimplemented feature: FETCH ... WITH TIES is not emulated by "
                                  "the sandbox");
                if (!at(r + 1, "only"))
                    continue;
                m = r + 2;
            } else if (offset.empty()) {
                continue;
            }
            t_[start].out = "LIMIT " + limit + (offset.empty() ? "" : " OFFSET " + offset);
            collapse(start, m);
            k = m - 1;
        }
    }

    void queryBlocks() {
        std::vector<std::size_t> selects;
        for (std::size_t i = 0; i < size(); ++i)
            if (at(i, "select"))
                selects.push_back(i);
        // Inner blocks first: an outer block may carry their text along.
        for (auto it = selects.rbegin(); it != selects.rend(); ++it) {
            const Block b = blockAt(*it);
            if (b.from >= size())
                continue;
            outerJoins(b);
            hierarchy(b);
            rownumFilters(b);
            for (std::size_t k = b.select + 1; k < b.from; ++k)
                if (at(k, "rownum") && !sym(k - 1, ".") && t_[k].out.empty() && !t_[k].dropped)
                    t_[k].out = "row_number() over ()";
        }
        for (std::size_t k = 0; k < size(); ++k)
            if (at(k, "rownum") && !t_[k].dropped && t_[k].out.empty() && !sym(k - 1, "."))
                oraFail(3001, "unimplemented feature: this use of ROWNUM is not emulated by the "
                              "sandbox (rownum <= n, rownum < n and rownum = 1 are)");
    }

    // The end of the primary expression starting at j (after optional signs when `signs`): a
    // parenthesised group, a literal, a bind, a case expression, or a name path with an optional
    // call and its "over (...)" or "within group (...)". 0 when there is none at j.
    std::size_t primaryEnd(std::size_t j, bool signs) const {
        if (signs)
            while (sym(j, "+") || sym(j, "-"))
                ++j;
        if (at(j, "prior") || at(j, "connect_by_root"))
            ++j; // hierarchical operators bind like a sign
        if (j >= size())
            return 0;
        const Token& p = t_[j];
        if (sym(j, "("))
            return skip(j);
        if (p.kind == Tok::Number || p.kind == Tok::String || p.kind == Tok::Bind ||
            p.kind == Tok::Param)
            return j + 1;
        if (at(j, "case")) {
            for (std::size_t k = j, depth = 0; k < size(); k = skip(k)) {
                if (at(k, "case"))
                    ++depth;
                else if (at(k, "end") && --depth == 0)
                    return k + 1;
            }
            return 0;
        }
        if (!isName(p) && !(p.kind == Tok::Word && kOperandWords.count(p.lower) > 0))
            return 0;
        std::size_t e = j + 1;
        while (sym(e, ".") && e + 1 < size() &&
               (t_[e + 1].kind == Tok::Word || t_[e + 1].kind == Tok::Quoted))
            e += 2;
        if (sym(e, "(")) {
            e = skip(e);
            if (at(e, "within") && at(e + 1, "group") && sym(e + 2, "("))
                e = skip(e + 2);
            if (at(e, "over") && sym(e + 1, "("))
                e = skip(e + 1);
        }
        return e;
    }

    // The start of the primary expression that ends just before e; npos when there is none.
    std::size_t primaryStart(std::size_t e) const {
        constexpr std::size_t none = std::string_view::npos;
        if (e == 0)
            return none;
        std::size_t k = e - 1;
        const Token& p = t_[k];
        if (sym(k, ")")) {
            k = static_cast<std::size_t>(match_[k]);
            if (k >= 2 && at(k - 1, "over") && sym(k - 2, ")"))
                k = static_cast<std::size_t>(match_[k - 2]);
            if (k >= 3 && at(k - 1, "group") && at(k - 2, "within") && sym(k - 3, ")"))
                k = static_cast<std::size_t>(match_[k - 3]);
            if (k == 0 || !isName(t_[k - 1]))
                return k;
            --k;
        } else if (p.kind == Tok::Number || p.kind == Tok::String || p.kind == Tok::Bind ||
                   p.kind == Tok::Param) {
            return k;
        } else if (at(k, "end")) {
            int depth = 0;
            for (std::size_t m = k + 1; m-- > 0;) {
                if (sym(m, ")")) {
                    m = static_cast<std::size_t>(match_[m]);
                } else if (at(m, "end")) {
                    ++depth;
                } else if (at(m, "case") && --depth == 0) {
                    return m;
                }
            }
            return none;
        } else if (!isName(p) && !(p.kind == Tok::Word && kOperandWords.count(p.lower) > 0)) {
            return none;
        }
        while (k >= 2 && sym(k - 1, ".") && isName(t_[k - 2]))
            k -= 2;
        if (k >= 1 && (at(k - 1, "prior") || at(k - 1, "connect_by_root")))
            --k;
        return k;
    }

    // Oracle takes NULL for an empty text in ||: 'x' || null is 'x', and only when every operand
    // is NULL is the result. A chain a || b || c becomes
    // nullif(coalesce(a, '') || coalesce(b, '') || coalesce(c, ''), '').
    void concatenations() {
        std::vector<std::vector<std::pair<std::size_t, std::size_t>>> chains;
        for (std::size_t i = 0; i < size(); ++i) {
            if (!sym(i, "||"))
                continue;
            const std::size_t ls = primaryStart(i);
            const std::size_t re = primaryEnd(i + 1, true);
            if (ls == std::string_view::npos || re == 0)
                continue;
            if (!chains.empty() && chains.back().back() == std::make_pair(ls, i)) {
                chains.back().emplace_back(i + 1, re);
            } else {
                chains.push_back({{ls, i}, {i + 1, re}});
            }
        }
        for (const auto& chain : chains) {
            for (std::size_t n = 0; n < chain.size(); ++n) {
                const auto [a, b] = chain[n];
                t_[a].prefix = (n == 0 ? "nullif(coalesce(" : "coalesce(") + t_[a].prefix;
                t_[b - 1].suffix += n + 1 == chain.size() ? ", ''), '')" : ", '')";
            }
        }
    }

    // One term of a sum: signed primaries joined by * and /. 0 when there is none at j.
    std::size_t termEnd(std::size_t j) const {
        std::size_t e = primaryEnd(j, true);
        while (e != 0 && (sym(e, "*") || sym(e, "/")))
            e = primaryEnd(e + 1, true);
        return e;
    }

    // Oracle's DATE arithmetic: date + n and date - n move by n days, date - date is the days
    // between. The sandbox's dates are texts, so a sum whose terms may be dates is computed by
    // ora_add / ora_sub, which fall back to plain arithmetic for numbers:
    // a - b + c becomes ora_add(ora_sub(a, b), c).
    void dateArithmetic() {
        for (std::size_t i = 0; i < size(); ++i) {
            if (i > 0 && (endsOperand(t_[i - 1]) || sym(i - 1, "*") || sym(i - 1, "/") ||
                          sym(i - 1, "+") || sym(i - 1, "-") || sym(i - 1, "||") ||
                          sym(i - 1, ".") || at(i - 1, "prior") || at(i - 1, "connect_by_root")))
                continue;
            std::vector<std::pair<std::size_t, std::size_t>> terms;
            std::size_t e = termEnd(i);
            if (e == 0 || !(sym(e, "+") || sym(e, "-")))
                continue;
            terms.emplace_back(i, e);
            bool mayBeDate = false;
            while (e != 0 && (sym(e, "+") || sym(e, "-"))) {
                const std::size_t next = termEnd(e + 1);
                if (next == 0) {
                    e = 0;
                    break;
                }
                terms.emplace_back(e + 1, next);
                e = next;
            }
            if (e == 0 || sym(e, "||"))
                continue;
            for (const auto& [a, b] : terms)
                mayBeDate = mayBeDate || (primaryEnd(a, false) == b && t_[a].kind != Tok::Number &&
                                          t_[a].kind != Tok::Bind && t_[a].kind != Tok::Param);
            if (!mayBeDate)
                continue;
            std::string opens;
            for (std::size_t n = 1; n < terms.size(); ++n) {
                const std::size_t op = terms[n].first - 1;
                opens = (sym(op, "+") ? "ora_add(" : "ora_sub(") + opens;
                t_[op].out = ",";
                t_[terms[n].second - 1].suffix += ")";
            }
            t_[i].prefix = opens + t_[i].prefix;
        }
    }

    Tokens& t_;
    SqlContext& ctx_;
    std::vector<long> match_;
    std::set<std::string> cteNames_;
    bool firstListDone_ = false;
};

} // namespace

bool isReserved(const Token& t) {
    return t.kind == Tok::Word && kReserved.count(t.lower) > 0;
}

std::string nameOf(const Token& t) {
    if (t.kind == Tok::Quoted)
        return lowerAscii(std::string_view(t.text).substr(1, t.text.size() - 2));
    return t.lower;
}

void SqlContext::addTable(const std::string& name) {
    if (std::find(tables.begin(), tables.end(), name) == tables.end())
        tables.push_back(name);
}

void SqlContext::addBind(const std::string& name) {
    if (std::find(bindNames.begin(), bindNames.end(), name) == bindNames.end())
        bindNames.push_back(name);
}

namespace {

// DATE 'YYYY-MM-DD' literals as the to_date calls they equal; PIVOT, UNPIVOT and TABLE() refused
// before their parentheses confuse the query's clauses.
void dateLiterals(Tokens& tokens) {
    for (std::size_t i = 0; i + 1 < tokens.size(); ++i) {
        if ((isWord(tokens[i], "pivot") || isWord(tokens[i], "unpivot")) && i > 0 &&
            isSymbol(tokens[i - 1], ")") && isSymbol(tokens[i + 1], "("))
            oraFail(3001, "unimplemented feature: " + upperAscii(tokens[i].lower) +
                              " is not emulated by the sandbox");
        if (isWord(tokens[i], "table") && isSymbol(tokens[i + 1], "(") && i > 0 &&
            (isWord(tokens[i - 1], "from") || isSymbol(tokens[i - 1], ",") ||
             isWord(tokens[i - 1], "join")))
            oraFail(3001, "unimplemented feature: TABLE() of a collection (such as "
                          "DBMS_XPLAN.DISPLAY_CURSOR) is not emulated by the sandbox");
        if (!isWord(tokens[i], "date") || tokens[i + 1].kind != Tok::String ||
            (i > 0 && isSymbol(tokens[i - 1], ".")))
            continue;
        Token call = tokens[i];
        call.text = call.lower = "to_date";
        auto symbol = [&](const char* text) {
            Token t = tokens[i + 1];
            t.kind = Tok::Symbol;
            t.text = t.lower = text;
            t.spaceBefore = false;
            return t;
        };
        Token format = tokens[i + 1];
        format.text = "'YYYY-MM-DD'";
        format.lower = "'yyyy-mm-dd'";
        format.spaceBefore = true;
        tokens[i] = call;
        tokens[i + 1].spaceBefore = false;
        tokens.insert(tokens.begin() + static_cast<long>(i) + 2,
                      {symbol(","), format, symbol(")")});
        tokens.insert(tokens.begin() + static_cast<long>(i) + 1, symbol("("));
        i += 5;
    }
}

using Range = std::pair<std::size_t, std::size_t>;

// The comma-separated items of [a, e) at the outermost depth.
std::vector<Range> listItems(const Tokens& t, std::size_t a, std::size_t e) {
    std::vector<Range> items;
    int depth = 0;
    std::size_t from = a;
    for (std::size_t k = a; k < e; ++k) {
        depth += isSymbol(t[k], "(") ? 1 : isSymbol(t[k], ")") ? -1 : 0;
        if (depth == 0 && isSymbol(t[k], ",")) {
            items.emplace_back(from, k);
            from = k + 1;
        }
    }
    if (from < e)
        items.emplace_back(from, e);
    return items;
}

bool sameTokens(const Tokens& t, std::size_t a, const Range& r) {
    if (a + (r.second - r.first) > t.size())
        return false;
    for (std::size_t k = 0; k < r.second - r.first; ++k)
        if (t[a + k].kind != t[r.first + k].kind || t[a + k].lower != t[r.first + k].lower ||
            (t[a + k].kind != Tok::Word && t[a + k].text != t[r.first + k].text))
            return false;
    return true;
}

// GROUP BY [columns,] ROLLUP(r1, ..., rn) as the UNION ALL of the groupings by r1..rn, r1..rn-1,
// ..., none: in each, the rolled-up expressions of the select list and the having clause are
// NULL and GROUPING(x) is 1 for them, 0 for the others. The detail rows come first, then each
// level of subtotals, then the grand total; an ORDER BY applies to them all.
void rollups(Tokens& t) {
    for (std::size_t i = 2; i + 1 < t.size(); ++i) {
        if (!isWord(t[i], "rollup") || !isSymbol(t[i + 1], "("))
            continue;
        const std::vector<long> match = matchParens(t);
        std::vector<int> depth(t.size() + 1, 0);
        for (std::size_t k = 0; k < t.size(); ++k)
            depth[k + 1] = depth[k] + (isSymbol(t[k], "(") ? 1 : isSymbol(t[k], ")") ? -1 : 0);
        auto at = [&](std::size_t k, std::string_view w) {
            return k < t.size() && depth[k] == depth[i] && isWord(t[k], w);
        };
        std::size_t group = i;
        while (group > 0 && !(at(group - 1, "group") && at(group, "by")))
            --group;
        if (group == 0)
            continue; // not in a GROUP BY: a name
        --group;
        std::size_t select = group, from = group;
        while (select > 0 && !at(select, "select"))
            --select;
        while (from > select && !at(from, "from"))
            --from;
        std::size_t end = static_cast<std::size_t>(match[i + 1]) + 1;
        while (end < t.size() && depth[end] >= depth[i] &&
               !(depth[end] == depth[i] && isSymbol(t[end], ")")))
            ++end;
        std::size_t groupEnd = group + 2, having = end, order = end;
        while (groupEnd < end && !at(groupEnd, "having") && !at(groupEnd, "order"))
            ++groupEnd;
        for (std::size_t k = groupEnd; k < end; ++k) {
            if (at(k, "having") && having == end)
                having = k;
            if (at(k, "order"))
                order = k;
            if (at(k, "union") || at(k, "minus") || at(k, "intersect") || at(k, "except") ||
                at(k, "fetch") || at(k, "offset"))
                oraFail(3001, "unimplemented feature: ROLLUP in a compound or limited query is "
                              "not emulated by the sandbox");
        }
        if (!at(select, "select") || from <= select)
            continue;
        std::vector<Range> fixed;
        for (const Range& item : listItems(t, group + 2, groupEnd))
            if (item.first != i)
                fixed.push_back(item);
        const std::vector<Range> rolled =
            listItems(t, i + 2, static_cast<std::size_t>(match[i + 1]));
        for (const Range& item : fixed)
            if (isWord(t[item.first], "rollup") || isWord(t[item.first], "cube") ||
                isWord(t[item.first], "grouping"))
                oraFail(3001, "unimplemented feature: GROUP BY with more than one ROLLUP, CUBE "
                              "or GROUPING SETS is not emulated by the sandbox");

        auto word = [&](const std::string& text, Tok kind = Tok::Word) {
            Token w = t[i];
            w.kind = kind;
            w.text = w.lower = text;
            w.spaceBefore = true;
            w.out.clear();
            return w;
        };
        // [a, e) with rolled-up expressions beyond the first `kept` as NULL and GROUPING calls
        // as their flags.
        auto copy = [&](std::size_t a, std::size_t e, std::size_t kept, Tokens& out) {
            for (std::size_t k = a; k < e; ++k) {
                if (isWord(t[k], "grouping") && k + 1 < e && isSymbol(t[k + 1], "(")) {
                    const auto close = static_cast<std::size_t>(match[k + 1]);
                    std::string flag;
                    for (std::size_t r = 0; r < rolled.size(); ++r)
                        if (rolled[r].second - rolled[r].first == close - k - 2 &&
                            sameTokens(t, k + 2, rolled[r]))
                            flag = r < kept ? "0" : "1";
                    for (const Range& f : fixed)
                        if (f.second - f.first == close - k - 2 && sameTokens(t, k + 2, f))
                            flag = "0";
                    if (flag.empty())
                        oraFail(30481, "GROUPING function only supported with GROUP BY CUBE "
                                       "or ROLLUP");
                    out.push_back(word(flag, Tok::Number));
                    out.back().spaceBefore = t[k].spaceBefore;
                    k = close;
                    continue;
                }
                bool replaced = false;
                const bool qualified = k > a && isSymbol(t[k - 1], ".");
                for (std::size_t r = kept; r < rolled.size() && !replaced && !qualified; ++r) {
                    const std::size_t n = rolled[r].second - rolled[r].first;
                    if (k + n > e || !sameTokens(t, k, rolled[r]) ||
                        (k + n < e && (isSymbol(t[k + n], ".") || isSymbol(t[k + n], "("))))
                        continue;
                    out.push_back(word("null"));
                    out.back().spaceBefore = t[k].spaceBefore;
                    k += n - 1;
                    replaced = true;
                }
                if (!replaced)
                    out.push_back(t[k]);
                if (k == a)
                    out.back().spaceBefore = true;
            }
        };
        Tokens out(t.begin(), t.begin() + static_cast<long>(select));
        for (std::size_t kept = rolled.size() + 1; kept-- > 0;) {
            copy(select, from, kept, out);
            out.insert(out.end(), t.begin() + static_cast<long>(from),
                       t.begin() + static_cast<long>(group)); // rows are filtered before
            std::vector<Range> by = fixed;
            by.insert(by.end(), rolled.begin(), rolled.begin() + static_cast<long>(kept));
            if (!by.empty()) {
                out.push_back(word("group"));
                out.push_back(word("by"));
                for (std::size_t b = 0; b < by.size(); ++b) {
                    if (b > 0)
                        out.push_back(word(",", Tok::Symbol));
                    const std::size_t first = out.size();
                    out.insert(out.end(), t.begin() + static_cast<long>(by[b].first),
                               t.begin() + static_cast<long>(by[b].second));
                    out[first].spaceBefore = true;
                }
            }
            copy(having, order, kept, out);
            if (kept > 0) {
                out.push_back(word("union"));
                out.push_back(word("all"));
            }
        }
        out.insert(out.end(), t.begin() + static_cast<long>(order), t.end());
        const std::size_t resume = out.size() - (t.size() - end);
        t = std::move(out);
        i = resume;
    }
}

} // namespace

std::string translateQuery(Tokens tokens, SqlContext& context) {
    if (tokens.empty())
        oraFail(900, "invalid SQL statement");
    dateLiterals(tokens);
    rollups(tokens);
    if (!context.recordName.empty())
        replaceRecordFields(tokens, context);
    checkOperands(tokens);
    Rewriter(tokens, context).run();
    return render(tokens);
}

} // namespace oradb::sandbox::dialect
