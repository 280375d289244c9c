// Private to the sandbox dialect: the pieces that the statement classifier, the query rewriter
// and the PL/SQL reader share. Pure functions: any thread.
#pragma once

#include "sandbox/OraDialect.h"
#include "sandbox/OraTokenizer.h"

#include <string>
#include <vector>

namespace oradb::sandbox::dialect {

// What a query or DML statement refers to, gathered while it is rewritten.
struct SqlContext {
    explicit SqlContext(const SynonymMap& map) : synonyms(map) {}

    const SynonymMap& synonyms;
    std::vector<std::string> tables;    // in order of appearance, no duplicates
    std::vector<std::string> bindNames; // likewise

    // Inside a PL/SQL loop: references "record.field" become ?1, ?2, ... in recordFields' order.
    std::string recordName; // lower case; empty outside a loop
    std::vector<std::string> recordFields;

    // The result column names of the statement's first select list, lower case ("*" for a star).
    std::vector<std::string> selectColumns;
    // Their Oracle types where an expression gives one that the values do not show ("CLOB",
    // "ROWID", "TIMESTAMP WITH TIME ZONE"), else empty; one per item of that list.
    std::vector<std::string> selectTypes;
    // The headings of quoted aliases as written, else empty; one per item of that list.
    std::vector<std::string> selectHeadings;

    void addTable(const std::string& name);
    void addBind(const std::string& name);
};

// Rewrites a select, insert, update or delete (without a trailing ';') into SQLite text.
// The first token decides which of the four it is.
std::string translateQuery(Tokens tokens, SqlContext& context);

// Reads an anonymous PL/SQL block (declare/begin ... end;) of the forms the sandbox runs.
Translation translatePlsql(std::string_view source, Tokens tokens, const SynonymMap& synonyms);

// Oracle's reserved words and the clause keywords that can never be a name or an alias.
bool isReserved(const Token& t);

// A name usable for an object, column or alias: an unreserved word or a quoted identifier.
inline bool isName(const Token& t) {
    return (t.kind == Tok::Word && !isReserved(t)) || t.kind == Tok::Quoted;
}

// Oracle functions that the sandbox registers, with the number of arguments Oracle allows;
// nullptr for other names.
struct FunctionArity {
    std::string_view name;
    int minArgs;
    int maxArgs; // -1: no upper limit
};
const FunctionArity* oracleFunction(std::string_view lowerName);

// The name of a Word or Quoted token in lower case, without quotes.
std::string nameOf(const Token& t);

} // namespace oradb::sandbox::dialect
