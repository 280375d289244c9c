#include "tools/SqlScript.h"

#include <algorithm>
#include <array>
#include <cctype>

namespace quenby_sql {

namespace {

bool isSpace(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f';
}

std::string_view trimmed(std::string_view s) {
    while (!s.empty() && isSpace(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && isSpace(s.back()))
        s.remove_suffix(1);
    return s;
}

std::string lower(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

// The words of a line, lower case (enough of them to recognise a command or a PL/SQL unit).
std::vector<std::string> leadingWords(std::string_view line, std::size_t count) {
    std::vector<std::string> words;
    std::size_t i = 0;
    while (words.size() < count && i < line.size()) {
        while (i < line.size() && isSpace(line[i]))
            ++i;
        std::size_t j = i;
        while (j < line.size() && !isSpace(line[j]) && line[j] != '(' && line[j] != ';')
            ++j;
        if (j == i)
            break;
        words.push_back(lower(line.substr(i, j - i)));
        i = j;
    }
    return words;
}

// What is left of SQL text once comments and white space are taken away is empty.
bool blankSql(std::string_view s) {
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (isSpace(s[i]))
            continue;
        if (s.substr(i, 2) == "--") {
            const std::size_t end = s.find('\n', i);
            if (end == std::string_view::npos)
                return true;
            i = end;
            continue;
        }
        if (s.substr(i, 2) == "/*") {
            const std::size_t end = s.find("*/", i + 2);
            if (end == std::string_view::npos)
                return true;
            i = end + 1;
            continue;
        }
        return false;
    }
    return true;
}

// SQL*Plus commands that only shape the output or the terminal: nothing for quenby-sql to do.
constexpr std::array kIgnored{
    "set",   "col",    "colu",      "column",  "tti",       "ttitle", "bti",       "btitle",
    "bre",   "break",  "comp",      "compute", "cl",        "clear",  "spo",       "spool",
    "timi",  "timing", "whenever",  "def",     "define",    "undef",  "undefine",  "sho",
    "show",  "pau",    "pause",     "acc",     "accept",    "var",    "variable",  "pri",
    "print", "repf",   "repfooter", "reph",    "repheader", "store",  "attribute", "ho",
    "host",  "!",      "$",         "passw",   "password",  "timing", "title",     "btit"};
// SQL*Plus commands that would need files, other connections or an editor.
constexpr std::array kUnsupported{
    "@",        "@@",  "sta",   "start", "conn",   "connect", "disc",   "disconnect", "desc",
    "describe", "get", "ed",    "edit",  "save",   "sav",     "run",    "r",          "l",
    "list",     "i",   "input", "a",     "append", "c",       "change", "del"};

// SQL*Plus commands that quenby-sql carries out itself.
constexpr std::array kOwnCommands{"rem",  "remark", "pro",  "prom",   "prompt",
                                  "exit", "quit",   "exec", "execute"};

bool oneOf(const std::string& word, const auto& list) {
    return std::find(list.begin(), list.end(), word) != list.end();
}

// SET TRANSACTION, SET ROLE and SET CONSTRAINT(S) are SQL, not SQL*Plus settings.
bool sqlSet(const std::vector<std::string>& words) {
    return words.size() > 1 && words[0] == "set" &&
           (words[1] == "transaction" || words[1] == "role" || words[1] == "constraint" ||
            words[1] == "constraints");
}

// The statement that begins with these words is PL/SQL: it ends only at '/'.
bool plsqlStart(const std::vector<std::string>& words) {
    if (words.empty())
        return false;
    if (words[0] == "begin" || words[0] == "declare")
        return true;
    if (words[0] != "create")
        return false;
    std::size_t i = 1;
    if (i + 1 < words.size() && words[i] == "or" && words[i + 1] == "replace")
        i += 2;
    if (i < words.size() && (words[i] == "editionable" || words[i] == "noneditionable"))
        ++i;
    if (i >= words.size())
        return false;
    const std::string& unit = words[i];
    return unit == "procedure" || unit == "function" || unit == "package" || unit == "trigger" ||
           unit == "type" || unit == "library";
}

// The word that a SQL*Plus command begins with: '@file' is the command '@'.
std::string commandWord(std::string_view line) {
    line = trimmed(line);
    if (line.substr(0, 2) == "@@")
        return "@@";
    if (!line.empty() && (line[0] == '@' || line[0] == '!' || line[0] == '$'))
        return std::string(1, line[0]);
    const std::vector<std::string> words = leadingWords(line, 1);
    return words.empty() ? std::string() : words[0];
}

// The line is a SQL*Plus command (which takes the whole line) rather than the start of SQL.
bool isCommand(std::string_view line) {
    const std::string word = commandWord(line);
    const std::vector<std::string> words = leadingWords(line, 2);
    return (oneOf(word, kIgnored) && !sqlSet(words)) || oneOf(word, kUnsupported) ||
           oneOf(word, kOwnCommands);
}

} // namespace

bool SqlLexState::plain(std::string_view text, std::size_t& i) {
    const char c = text[i];
    if (comment) {
        if (text.substr(i, 2) == "*/")
            comment = false, ++i;
        return false;
    }
    if (quote || ident) {
        quote = quote && c != '\'';
        ident = ident && c != '"';
        return false;
    }
    if (c == '\'' || c == '"') {
        (c == '\'' ? quote : ident) = true;
        return false;
    }
    if (text.substr(i, 2) == "--") {
        const std::size_t end = text.find('\n', i);
        i = (end == std::string_view::npos ? text.size() : end) - 1;
        return false;
    }
    if (text.substr(i, 2) == "/*") {
        comment = true, ++i;
        return false;
    }
    return true;
}

bool usesTerminators(std::string_view text) {
    SqlLexState lex;
    std::size_t lineStart = 0;
    for (std::size_t i = 0; i <= text.size(); ++i) {
        if (i == text.size() || text[i] == '\n') {
            if (!lex.quote && !lex.comment && trimmed(text.substr(lineStart, i - lineStart)) == "/")
                return true;
            lineStart = i + 1;
            continue;
        }
        if (lex.plain(text, i) && text[i] == ';')
            return true;
    }
    return false;
}

bool ScriptReader::command(std::string_view line, std::vector<ScriptItem>& out) {
    const std::string word = commandWord(line);
    if (word.empty() || !isCommand(line))
        return false;
    const std::vector<std::string> words = leadingWords(line, 3);
    if (word == "rem" || word == "remark")
        return true;
    if (word == "prompt" || word == "pro" || word == "prom") {
        std::string_view rest = trimmed(line).substr(word.size());
        if (!rest.empty() && isSpace(rest.front()))
            rest.remove_prefix(1);
        out.push_back({ScriptItem::Kind::Prompt, std::string(rest)});
        return true;
    }
    if (word == "exit" || word == "quit") {
        out.push_back({ScriptItem::Kind::Exit, {}});
        return true;
    }
    if (word == "exec" || word == "execute") {
        std::string call(trimmed(trimmed(line).substr(word.size())));
        while (!call.empty() && (call.back() == ';' || isSpace(call.back())))
            call.pop_back();
        out.push_back({ScriptItem::Kind::Statement, "begin " + call + "; end;"});
        return true;
    }
    if (words.size() > 2 && words[0] == "set" && words[1] == "sqlblanklines") {
        blankLinesEnd_ = words[2] != "on";
        return true;
    }
    if (words.size() > 2 && words[0] == "set" && words[1] == "define") {
        substituting_ = words[2] != "off";
        return true;
    }
    if (word == "def" || word == "define") {
        // DEFINE name = text, the text quoted or not; DEFINE alone or with a name only lists
        std::string_view rest = trimmed(trimmed(line).substr(word.size()));
        const std::size_t eq = rest.find('=');
        if (eq == std::string_view::npos)
            return true;
        const std::string name = lower(trimmed(rest.substr(0, eq)));
        std::string_view value = trimmed(rest.substr(eq + 1));
        if (value.size() >= 2 && (value.front() == '\'' || value.front() == '"') &&
            value.back() == value.front())
            value = value.substr(1, value.size() - 2);
        defines_[name] = std::string(value);
        return true;
    }
    if (word == "undef" || word == "undefine") {
        for (const std::string& name : leadingWords(line, 64))
            defines_.erase(name);
        return true;
    }
    if (oneOf(word, kUnsupported))
        out.push_back({ScriptItem::Kind::Unsupported, std::string(trimmed(line))});
    return true;
}

void ScriptReader::endStatement(std::vector<ScriptItem>& out) {
    std::string text(trimmed(buffer_));
    buffer_.clear();
    plsql_ = false;
    lex_ = {};
    if (blankSql(text))
        return;
    last_ = text;
    lastByBlank_ = false;
    out.push_back({ScriptItem::Kind::Statement, std::move(text)});
}

// Adds one line of SQL to the statement being entered; a ';' outside quotes and comments ends
// the statement, and what follows it on the line begins the next one.
void ScriptReader::scanSql(std::string_view line, std::vector<ScriptItem>& out) {
    std::size_t from = 0;
    for (std::size_t i = 0; i < line.size(); ++i) {
        if (lex_.plain(line, i) && line[i] == ';') {
            buffer_.append(line.substr(from, i - from));
            endStatement(out);
            from = i + 1;
        }
    }
    buffer_.append(line.substr(from));
    buffer_ += '\n';
    if (blankSql(buffer_) && !lex_.comment)
        buffer_.clear();
}

// Replaces the substitution variables of statements and prompts by their DEFINEd values; an
// undefined one stops the script, since quenby-sql does not ask for values as SQL*Plus would.
void ScriptReader::substitute(std::vector<ScriptItem>& items) const {
    if (lineMode_ || !substituting_)
        return;
    auto nameChar = [](char c) {
        return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '$' || c == '#';
    };
    for (ScriptItem& item : items) {
        if ((item.kind != ScriptItem::Kind::Statement && item.kind != ScriptItem::Kind::Prompt) ||
            item.text.find('&') == std::string::npos)
            continue;
        const std::string& text = item.text;
        std::string out;
        bool quote = false, comment = false, lineComment = false;
        for (std::size_t i = 0; i < text.size(); ++i) {
            const char c = text[i];
            const bool sql = item.kind == ScriptItem::Kind::Statement;
            if (sql && lineComment) {
                lineComment = c != '\n';
            } else if (sql && comment) {
                comment = !(c == '*' && i + 1 < text.size() && text[i + 1] == '/');
            } else if (sql && c == '\'') {
                quote = !quote;
            } else if (sql && !quote && text.compare(i, 2, "--") == 0) {
                lineComment = true;
            } else if (sql && !quote && text.compare(i, 2, "/*") == 0) {
                comment = true;
            } else if (c == '&') {
                std::size_t start = i + 1;
                if (start < text.size() && text[start] == '&')
                    ++start;
                std::size_t end = start;
                while (end < text.size() && nameChar(text[end]))
                    ++end;
                if (end > start) {
                    const std::string name =
                        lower(std::string_view(text).substr(start, end - start));
                    const auto it = defines_.find(name);
                    if (it == defines_.end()) {
                        item = {ScriptItem::Kind::Error,
                                "substitution variable &" + name +
                                    " has no value: DEFINE it before it is used"};
                        break;
                    }
                    out += it->second;
                    i = end < text.size() && text[end] == '.' ? end : end - 1;
                    continue;
                }
            }
            out += c;
        }
        if (item.kind != ScriptItem::Kind::Error)
            item.text = std::move(out);
    }
}

std::vector<ScriptItem> ScriptReader::addLine(std::string_view line) {
    std::vector<ScriptItem> out = readLine(line);
    substitute(out);
    return out;
}

std::vector<ScriptItem> ScriptReader::readLine(std::string_view line) {
    std::vector<ScriptItem> out;
    std::string joined;
    if (!continued_.empty()) {
        joined = continued_ + std::string(line);
        continued_.clear();
        line = joined;
    }
    const std::string_view text = trimmed(line);

    if (lineMode_) {
        if (text.empty() || command(text, out))
            return out;
        std::string statement(text);
        while (!statement.empty() && (statement.back() == ';' || isSpace(statement.back())))
            statement.pop_back();
        if (!blankSql(statement))
            out.push_back({ScriptItem::Kind::Statement, std::move(statement)});
        return out;
    }

    if (plsql_) {
        if (text == "/")
            endStatement(out);
        else if (text == ".")
            last_ = std::string(trimmed(buffer_)), buffer_.clear(), plsql_ = false;
        else
            buffer_.append(line).append("\n");
        return out;
    }
    const bool entering = !buffer_.empty() || lex_.comment;
    if (text == "/") {
        if (entering)
            endStatement(out);
        else if (lastByBlank_)
            lastByBlank_ = false;
        else if (!last_.empty())
            out.push_back({ScriptItem::Kind::Statement, last_});
        return out;
    }
    if (text.empty() || text == ".") {
        if (entering && !lex_.quote && !lex_.comment && (blankLinesEnd_ || text == ".")) {
            endStatement(out);
            lastByBlank_ = !out.empty();
        } else if (entering) {
            buffer_.append(line).append("\n");
        }
        return out;
    }
    if (!entering) {
        // A SQL*Plus command is one line; a '-' at its end continues it on the next.
        if (isCommand(text)) {
            if (text.size() > 1 && text.back() == '-' && isSpace(text[text.size() - 2])) {
                continued_ = std::string(text.substr(0, text.size() - 1));
                return out;
            }
            command(text, out);
            return out;
        }
        if (text.substr(0, 2) == "--")
            return out;
        if (plsqlStart(leadingWords(text, 5))) {
            plsql_ = true;
            buffer_.append(line).append("\n");
            return out;
        }
    }
    scanSql(line, out);
    return out;
}

std::vector<ScriptItem> ScriptReader::finish() {
    std::vector<ScriptItem> out;
    if (!continued_.empty()) {
        const std::string command = continued_;
        continued_.clear();
        out = readLine(command);
    }
    if (!lineMode_)
        endStatement(out);
    substitute(out);
    return out;
}

std::vector<ScriptItem> splitScript(std::string_view text) {
    if (text.substr(0, 3) == "\xEF\xBB\xBF")
        text.remove_prefix(3); // the byte order mark that Windows editors write
    ScriptReader reader(!usesTerminators(text));
    std::vector<ScriptItem> items;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos)
            end = text.size();
        for (ScriptItem& item : reader.addLine(text.substr(start, end - start)))
            items.push_back(std::move(item));
        start = end + 1;
    }
    for (ScriptItem& item : reader.finish())
        items.push_back(std::move(item));
    return items;
}

} // namespace quenby_sql
