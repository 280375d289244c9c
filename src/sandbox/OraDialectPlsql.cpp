// Reading the anonymous PL/SQL blocks the sandbox runs: a cursor loop (explicit open/fetch/exit
// or a cursor FOR loop) whose body is DML, or a plain begin ... end; of DML statements, with
// "exception when others then null" handlers. Anything else is ORA-06550.
#include "oradb/OraError.h"
#include "sandbox/OraDialectInternal.h"

#include <algorithm>

namespace oradb::sandbox::dialect {

namespace {

class PlsqlReader {
public:
    PlsqlReader(std::string_view source, Tokens tokens, const SynonymMap& synonyms)
        : src_(source), t_(std::move(tokens)), synonyms_(synonyms) {}

    Translation run() {
        if (accept("declare")) {
            while (!at("begin"))
                declaration();
        }
        expect("begin");
        const std::size_t bodyStart = i_;
        topLevel();
        if (accept("exception")) {
            handler();
            tr_.block.blockIgnoresErrors = true;
            while (!at("end"))
                trailingStatement();
        }
        expect("end");
        if (!done() && t_[i_].kind == Tok::Word && !isSymbol(t_[i_], ";"))
            ++i_; // the block's label
        expectSymbol(";");
        if (!done())
            fail("end-of-file");
        if (!cursorName_.empty() && !looped_)
            restriction(bodyStart, "a declared cursor must be opened and fetched in a loop");
        tr_.block.setSql = setBasedInsert();

        tr_.kind = StmtKind::PlsqlBlock;
        tr_.tables = tr_.block.cursorTables;
        for (const auto& s : tr_.block.body)
            for (const auto& name : s.tables)
                if (std::find(tr_.tables.begin(), tr_.tables.end(), name) == tr_.tables.end())
                    tr_.tables.push_back(name);
        return tr_;
    }

private:
    bool done() const { return i_ >= t_.size(); }
    bool at(std::string_view word, std::size_t ahead = 0) const {
        return i_ + ahead < t_.size() && isWord(t_[i_ + ahead], word);
    }
    bool accept(std::string_view word) {
        if (!at(word))
            return false;
        ++i_;
        return true;
    }
    void expect(std::string_view word) {
        if (!accept(word))
            fail(upperAscii(word));
    }
    void expectSymbol(std::string_view s) {
        if (done() || !isSymbol(t_[i_], s))
            fail(std::string(s));
        ++i_;
    }
    // The name at the reader, which must be `expected` when that is given.
    std::string name(const std::string& expected = {}) {
        if (done() || !(t_[i_].kind == Tok::Word || t_[i_].kind == Tok::Quoted))
            fail("an identifier");
        const std::size_t at = i_;
        std::string n = nameOf(t_[i_++]);
        if (!expected.empty() && n != expected)
            failWith(at, "PLS-00201: identifier '" + upperAscii(n) + "' must be declared");
        return n;
    }

    // ORA-06550 at token `at`, with Oracle's line and column.
    [[noreturn]] void failWith(std::size_t at, const std::string& explanation) const {
        const std::size_t pos = at < t_.size() ? t_[at].pos : src_.size();
        int line = 1;
        std::size_t lineStart = 0;
        for (std::size_t k = 0; k < pos && k < src_.size(); ++k) {
            if (src_[k] == '\n') {
                ++line;
                lineStart = k + 1;
            }
        }
        throw oradb::EOraError(6550, "line " + std::to_string(line) + ", column " +
                                         std::to_string(pos - lineStart + 1) + ":\n" + explanation);
    }
    [[noreturn]] void fail(const std::string& expected) const {
        const std::string found = done() ? "end-of-file" : t_[i_].text;
        failWith(i_, "PLS-00103: Encountered the symbol \"" + upperAscii(found) +
                         "\" when expecting " + expected);
    }
    [[noreturn]] void restriction(std::size_t at, const std::string& what) const {
        failWith(at, "PLS-00999: implementation restriction (may be temporary) " + what);
    }

    // The tokens up to the next ";" (which is consumed).
    Tokens untilSemicolon() {
        const std::size_t start = i_;
        while (!done() && !isSymbol(t_[i_], ";"))
            ++i_;
        if (done())
            fail(";");
        Tokens piece(t_.begin() + static_cast<long>(start), t_.begin() + static_cast<long>(i_));
        ++i_;
        return piece;
    }

    std::string translateSql(std::size_t at, Tokens tokens, SqlContext& ctx) const {
        try {
            return translateQuery(std::move(tokens), ctx);
        } catch (const oradb::EOraError& e) {
            failWith(at, "PL/SQL: " + e.Message());
        }
    }

    void setCursor(std::size_t at, Tokens select) {
        if (select.empty() || !(isWord(select[0], "select") || isWord(select[0], "with")))
            restriction(at, "a cursor must be a select statement");
        SqlContext ctx(synonyms_);
        cursorText_ = sourceOf(select);
        tr_.block.cursorSql = translateSql(at, std::move(select), ctx);
        tr_.block.cursorTables = std::move(ctx.tables);
        tr_.bindNames = std::move(ctx.bindNames);
        cursorColumns_ = std::move(ctx.selectColumns);
    }

    // cursor c is select ...;  or  rec c%rowtype;
    void declaration() {
        const std::size_t start = i_;
        if (accept("cursor")) {
            if (!cursorName_.empty())
                restriction(start, "only one cursor may be declared");
            cursorName_ = name();
            if (!done() && isSymbol(t_[i_], "("))
                restriction(i_, "cursor parameters are not supported");
            expect("is");
            const std::size_t at = i_;
            setCursor(at, untilSemicolon());
            return;
        }
        if (done())
            fail("BEGIN");
        const std::string record = name();
        if (!cursorName_.empty() && at(cursorName_) && i_ + 2 < t_.size() &&
            isSymbol(t_[i_ + 1], "%") && isWord(t_[i_ + 2], "rowtype")) {
            i_ += 3;
            expectSymbol(";");
            if (!recordName_.empty())
                restriction(start, "only one record may be declared");
            recordName_ = record;
            return;
        }
        restriction(start, "only a cursor and a record of its %ROWTYPE may be declared");
    }

    // exception when others then null;
    void handler() {
        const std::size_t start = i_;
        expect("when");
        if (!accept("others"))
            restriction(start, "only WHEN OTHERS THEN NULL handlers are supported");
        expect("then");
        if (!accept("null"))
            restriction(start, "only WHEN OTHERS THEN NULL handlers are supported");
        expectSymbol(";");
        if (at("when"))
            restriction(i_, "only WHEN OTHERS THEN NULL handlers are supported");
    }

    // Statements allowed after the block's handler: null; and closing the cursor.
    void trailingStatement() {
        if (accept("null")) {
            expectSymbol(";");
        } else if (accept("close")) {
            name(cursorName_.empty() ? std::string(" ") : cursorName_);
            expectSymbol(";");
        } else {
            restriction(i_, "the handler may only close the cursor");
        }
    }

    bool atDml() const { return at("insert") || at("update") || at("delete"); }

    void dmlStatement(const std::string& record) {
        const std::size_t start = i_;
        SqlContext ctx(synonyms_);
        ctx.recordName = record;
        PlsqlLoopStatement s;
        Tokens statement = untilSemicolon();
        dmlTokens_ = statement;
        s.sql = translateSql(start, std::move(statement), ctx);
        for (const auto& field : ctx.recordFields) {
            const bool known = std::find(cursorColumns_.begin(), cursorColumns_.end(), field) !=
                                   cursorColumns_.end() ||
                               std::find(cursorColumns_.begin(), cursorColumns_.end(), "*") !=
                                   cursorColumns_.end();
            if (!known)
                failWith(start,
                         "PLS-00302: component '" + upperAscii(field) + "' must be declared");
        }
        s.recordFields = std::move(ctx.recordFields);
        s.tables = std::move(ctx.tables);
        for (auto& b : ctx.bindNames)
            if (std::find(tr_.bindNames.begin(), tr_.bindNames.end(), b) == tr_.bindNames.end())
                tr_.bindNames.push_back(b);
        tr_.block.body.push_back(std::move(s));
    }

    // Oracle nests blocks at most 255 levels deep. The limit also bounds the reader's recursion,
    // which a statement of thousands of nested blocks would otherwise run off the stack.
    static constexpr int kMaxBlockDepth = 255;

    // DML statements and null;, or one nested begin ... [exception ...] end; holding them.
    // Stops at "end" or "exception". `depth` is the nesting level of the block being read.
    void body(const std::string& record, int depth = 1) {
        bool plain = false;
        bool nested = false;
        while (!at("end") && !at("exception")) {
            if (done())
                fail("END");
            if (accept("null")) {
                expectSymbol(";");
            } else if (atDml()) {
                if (nested)
                    restriction(i_, "the statements must all sit in one block");
                plain = true;
                dmlStatement(record);
            } else if (at("begin")) {
                if (plain || nested)
                    restriction(i_, "the statements must all sit in one block");
                if (depth >= kMaxBlockDepth)
                    restriction(i_, "blocks may be nested at most 255 levels deep");
                nested = true;
                ++i_;
                body(record, depth + 1);
                if (accept("exception")) {
                    handler();
                    tr_.block.bodyIgnoresErrors = true;
                }
                expect("end");
                expectSymbol(";");
            } else {
                restriction(i_, "only insert, update and delete statements are supported");
            }
        }
    }

    // open c; loop fetch c into r; exit when c%notfound; ... end loop; [close c;]
    // for r in c loop ... end loop;  /  for r in (select ...) loop ... end loop;
    // or, without a cursor, the statements of a plain block.
    void topLevel() {
        bool opened = false;
        while (!at("exception") && !at("end")) {
            if (done())
                fail("END");
            const std::size_t start = i_;
            if (accept("null")) {
                expectSymbol(";");
            } else if (accept("open")) {
                name(cursorName_.empty() ? std::string(" ") : cursorName_);
                expectSymbol(";");
                if (opened || looped_)
                    restriction(start, "the cursor is opened once");
                opened = true;
            } else if (accept("close")) {
                name(cursorName_.empty() ? std::string(" ") : cursorName_);
                expectSymbol(";");
            } else if (at("loop")) {
                if (!opened || looped_)
                    restriction(start, "a loop must fetch from the opened cursor");
                fetchLoop();
            } else if (at("for")) {
                if (looped_ || opened)
                    restriction(start, "only one loop is supported");
                forLoop();
            } else if ((atDml() || at("begin")) && cursorName_.empty() && !looped_) {
                body(std::string());
                return;
            } else {
                restriction(start, "only a cursor loop over insert, update and delete statements "
                                   "is supported");
            }
        }
    }

    void fetchLoop() {
        expect("loop");
        expect("fetch");
        name(cursorName_);
        expect("into");
        if (recordName_.empty())
            restriction(i_, "the cursor must be fetched into a record of its %ROWTYPE");
        name(recordName_);
        expectSymbol(";");
        expect("exit");
        expect("when");
        name(cursorName_);
        expectSymbol("%");
        expect("notfound");
        expectSymbol(";");
        body(recordName_);
        expect("end");
        expect("loop");
        expectSymbol(";");
        looped_ = true;
        loopRecord_ = recordName_;
    }

    void forLoop() {
        expect("for");
        const std::string record = name();
        expect("in");
        if (!done() && isSymbol(t_[i_], "(")) {
            const std::size_t open = i_;
            int depth = 0;
            std::size_t k = i_;
            for (; k < t_.size(); ++k) {
                if (isSymbol(t_[k], "("))
                    ++depth;
                else if (isSymbol(t_[k], ")") && --depth == 0)
                    break;
            }
            if (k >= t_.size())
                fail(")");
            setCursor(open + 1, Tokens(t_.begin() + static_cast<long>(open) + 1,
                                       t_.begin() + static_cast<long>(k)));
            i_ = k + 1;
        } else {
            if (cursorName_.empty())
                restriction(i_, "the loop must name the declared cursor");
            name(cursorName_);
        }
        expect("loop");
        body(record);
        expect("end");
        expect("loop");
        expectSymbol(";");
        looped_ = true;
        loopRecord_ = record;
    }

    // The source text of the tokens [begin, end) of `tokens`, as written.
    std::string sourceOf(const Tokens& tokens, std::size_t begin = 0,
                         std::size_t end = std::string::npos) const {
        end = std::min(end, tokens.size());
        if (begin >= end)
            return {};
        return std::string(src_.substr(tokens[begin].pos, tokens[end - 1].end - tokens[begin].pos));
    }

    // The loop as one insert ... select, when it is a cursor loop whose body is a single
    // insert ... values(...) whose errors the body's handler swallows: the values become the
    // select list over the cursor, named after the loop's record so that its fields read as
    // columns, and "or ignore" skips the rows a constraint refuses, as the handler did. Empty
    // when the loop has another shape or the rewritten statement does not translate.
    std::string setBasedInsert() const {
        const PlsqlCursorLoop& b = tr_.block;
        if (b.cursorSql.empty() || b.body.size() != 1 || !b.bodyIgnoresErrors ||
            loopRecord_.empty() || dmlTokens_.empty() || !isWord(dmlTokens_[0], "insert"))
            return {};
        const Tokens& t = dmlTokens_;
        std::size_t values = 0;
        int depth = 0;
        for (std::size_t k = 0; k < t.size(); ++k) {
            if (isSymbol(t[k], "("))
                ++depth;
            else if (isSymbol(t[k], ")"))
                --depth;
            else if (depth == 0 && isWord(t[k], "values")) {
                values = k;
                break;
            }
        }
        // insert into T [(columns)] values ( expressions ) and nothing after.
        if (values == 0 || values + 2 >= t.size() || !isSymbol(t[values + 1], "(") ||
            !isSymbol(t.back(), ")"))
            return {};
        depth = 0;
        for (std::size_t k = values + 1; k < t.size(); ++k) {
            if (isSymbol(t[k], "("))
                ++depth;
            else if (isSymbol(t[k], ")") && --depth == 0 && k + 1 != t.size())
                return {};
        }
        const std::string text = sourceOf(t, 0, values) + " select " +
                                 sourceOf(t, values + 2, t.size() - 1) + " from (" + cursorText_ +
                                 ") " + loopRecord_;
        try {
            SqlContext ctx(synonyms_);
            std::string sql = translateQuery(tokenize(text), ctx);
            if (sql.size() < 7 || lowerAscii(sql.substr(0, 7)) != "insert ")
                return {};
            return "insert or ignore " + sql.substr(7);
        } catch (const oradb::EOraError&) {
            return {};
        }
    }

    std::string_view src_;
    Tokens t_;
    const SynonymMap& synonyms_;
    std::size_t i_ = 0;
    std::string cursorName_;
    std::string recordName_;
    std::vector<std::string> cursorColumns_;
    bool looped_ = false;
    std::string loopRecord_; // the record the loop fetches into, lower case
    std::string cursorText_; // the cursor's select as written
    Tokens dmlTokens_;       // the last DML statement of the body, as written
    Translation tr_;
};

} // namespace

Translation translatePlsql(std::string_view source, Tokens tokens, const SynonymMap& synonyms) {
    return PlsqlReader(source, std::move(tokens), synonyms).run();
}

} // namespace oradb::sandbox::dialect
