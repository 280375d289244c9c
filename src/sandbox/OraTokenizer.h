// Private to the sandbox dialect: Oracle SQL split into tokens, and the rewriting marks that the
// translator puts on them before it renders SQLite text. Pure functions: any thread.
#pragma once

#include "util/TextHelpers.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace oradb::sandbox::dialect {

enum class Tok {
    Word,   // identifier or keyword, as written (may contain $ and #)
    Quoted, // "quoted identifier", quotes included
    String, // string literal in SQLite form ('...' with '' escapes)
    Number, // numeric literal
    Bind,   // :name or :1
    Param,  // ?N, produced by the translator for PL/SQL record fields
    Symbol, // operators and punctuation: ( ) , . ; % = <> != ^= <= >= || := => * / + - < > @
};

struct Token {
    Tok kind = Tok::Word;
    std::string text;  // source text (String: SQLite literal text)
    std::string lower; // text in lower case (Word, Symbol, Bind)
    std::size_t pos = 0;
    std::size_t end = 0;      // offset just past the token in the source
    bool spaceBefore = false; // white space or a comment preceded it in the source

    // Rewriting marks, applied by render(): prefix + (out or text) + suffix + after.
    std::string out;
    std::string prefix;
    std::string suffix;
    std::string after;
    bool dropped = false;
};

using Tokens = std::vector<Token>;

// Splits Oracle SQL or PL/SQL into tokens. Comments and optimizer hints are dropped (they count as
// white space). Raises ORA-01756 for an unterminated string, ORA-01740 for an unterminated quoted
// identifier, ORA-01742 for an unterminated comment and ORA-00911 for a character Oracle rejects.
Tokens tokenize(std::string_view sql);

// Joins the tokens [begin, end) into SQLite text, honouring the rewriting marks. A single blank
// stands wherever the source had white space.
std::string render(const Tokens& tokens, std::size_t begin, std::size_t end);
inline std::string render(const Tokens& tokens) {
    return render(tokens, 0, tokens.size());
}

// Removes the tokens marked dropped; the token after a dropped one inherits its leading blank.
void compact(Tokens& tokens);

// For every "(" the index of its ")" and vice versa; -1 elsewhere. Raises ORA-00907 for a
// missing right parenthesis and ORA-00933 for a surplus one.
std::vector<long> matchParens(const Tokens& tokens);

inline bool isWord(const Token& t, std::string_view lowerWord) {
    return t.kind == Tok::Word && t.lower == lowerWord;
}
inline bool isSymbol(const Token& t, std::string_view symbol) {
    return t.kind == Tok::Symbol && t.text == symbol;
}

using util::lowerAscii;
using util::upperAscii;

// The name of an object or column as SQLite knows it: names with $ or # are double-quoted.
std::string sqliteName(const std::string& lowerName);

// The content of an Oracle string literal token ('it''s' -> it's).
std::string stringValue(const Token& t);

// Raises oradb::EOraError with Oracle's code and text.
[[noreturn]] void oraFail(int code, const std::string& text);

} // namespace oradb::sandbox::dialect
