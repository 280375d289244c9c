// Splitting of SQL*Plus-style scripts into what quenby-sql runs: SQL statements ended by ';' or
// by '/' on a line of its own, PL/SQL blocks ended by '/', and the SQL*Plus commands that DBAs'
// scripts carry around their queries (formatting, PROMPT, REM, EXIT).
#pragma once

#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace quenby_sql {

struct ScriptItem {
    enum class Kind {
        Statement,   // SQL or a PL/SQL block, without its terminator
        Prompt,      // PROMPT text: printed as it stands
        Exit,        // EXIT or QUIT: nothing after it runs
        Unsupported, // a SQL*Plus command that quenby-sql cannot carry out (text: the command)
        Error,       // the script cannot go on (text: why)
    };
    Kind kind = Kind::Statement;
    std::string text;

    bool operator==(const ScriptItem&) const = default;
};

// Where SQL text stands: inside quotes, a quoted name or a comment, or in plain SQL.
struct SqlLexState {
    bool quote = false;   // inside '...' (a doubled quote leaves and enters again)
    bool ident = false;   // inside "..."
    bool comment = false; // inside /* ... */

    // Moves over text[i] (and over the second character of a two-character mark) and says
    // whether it is plain SQL. A "--" comment runs to the end of the line: `i` is left on its
    // last character.
    bool plain(std::string_view text, std::size_t& i);
};

// True when the text ends some statement with ';' at the end of a line or with a line holding
// only '/': a script, as opposed to one statement per line.
bool usesTerminators(std::string_view text);

// Reads a script line by line. In line mode every line that is not blank is one statement (the
// form quenby-sql has always read); otherwise statements run to their terminator, SQL*Plus
// commands take one line (a trailing '-' continues them), a blank line ends the statement being
// entered, which then runs, and substitution variables set with DEFINE are replaced in statements
// and prompts (&name, &&name, with an optional '.' ending the name) unless SET DEFINE OFF.
class ScriptReader {
public:
    explicit ScriptReader(bool lineMode) : lineMode_(lineMode) {}

    // One line without its line break; returns the items that it completes.
    std::vector<ScriptItem> addLine(std::string_view line);
    // End of input: the statement still being entered runs.
    std::vector<ScriptItem> finish();

private:
    std::vector<ScriptItem> readLine(std::string_view line);
    void substitute(std::vector<ScriptItem>& items) const;
    void scanSql(std::string_view line, std::vector<ScriptItem>& out);
    void endStatement(std::vector<ScriptItem>& out);
    bool command(std::string_view line, std::vector<ScriptItem>& out);

    bool lineMode_;
    std::string buffer_;       // the statement being entered
    std::string last_;         // the statement run last ('/' on its own runs it again)
    bool plsql_ = false;       // the buffer is a PL/SQL block: only '/' ends it
    SqlLexState lex_;          // where the statement being entered stands
    bool lastByBlank_ = false; // the last statement ran at a blank line: a following '/' is its end
    bool blankLinesEnd_ = true;                  // SET SQLBLANKLINES OFF, as SQL*Plus starts
    std::string continued_;                      // a SQL*Plus command continued with '-'
    bool substituting_ = true;                   // SET DEFINE ON
    std::map<std::string, std::string> defines_; // DEFINE name = value, by lower-case name
};

// The whole text as items (used for statements given as arguments).
std::vector<ScriptItem> splitScript(std::string_view text);

} // namespace quenby_sql
