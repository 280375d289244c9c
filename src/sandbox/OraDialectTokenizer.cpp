// Splitting Oracle SQL into tokens, and joining rewritten tokens back into SQLite text.
#include "oradb/OraError.h"
#include "sandbox/OraTokenizer.h"
#include "util/TextHelpers.h"

#include <cctype>

namespace oradb::sandbox::dialect {

namespace {

bool isIdentStart(unsigned char c) {
    return std::isalpha(c) || c >= 0x80;
}
bool isIdentChar(unsigned char c) {
    return std::isalnum(c) || c == '_' || c == '$' || c == '#' || c >= 0x80;
}

// Oracle's alternative quoting q'[...]': the closing delimiter for an opening one.
char closingDelimiter(char open) {
    switch (open) {
    case '[':
        return ']';
    case '{':
        return '}';
    case '<':
        return '>';
    case '(':
        return ')';
    default:
        return open;
    }
}

std::string sqliteLiteral(std::string_view content) {
    std::string out = "'";
    for (char c : content) {
        out += c;
        if (c == '\'')
            out += '\'';
    }
    return out + "'";
}

class Lexer {
public:
    explicit Lexer(std::string_view sql) : s_(sql) {}

    Tokens run() {
        bool space = false;
        while (i_ < s_.size()) {
            const unsigned char c = static_cast<unsigned char>(s_[i_]);
            if (std::isspace(c)) {
                ++i_;
                space = true;
            } else if (c == '-' && peek(1) == '-') {
                while (i_ < s_.size() && s_[i_] != '\n')
                    ++i_;
                space = true;
            } else if (c == '/' && peek(1) == '*') {
                const auto close = s_.find("*/", i_ + 2);
                if (close == std::string_view::npos)
                    oraFail(1742, "comment not properly terminated");
                i_ = close + 2;
                space = true;
            } else {
                lexToken(space);
                space = false;
            }
        }
        return std::move(tokens_);
    }

private:
    char peek(std::size_t ahead) const { return i_ + ahead < s_.size() ? s_[i_ + ahead] : '\0'; }

    void push(Tok kind, std::size_t start, std::string text, bool space) {
        Token t;
        t.kind = kind;
        t.text = std::move(text);
        if (kind == Tok::Word || kind == Tok::Symbol || kind == Tok::Bind)
            t.lower = lowerAscii(t.text);
        t.pos = start;
        t.end = i_;
        t.spaceBefore = space;
        tokens_.push_back(std::move(t));
    }

    void lexToken(bool space) {
        const std::size_t start = i_;
        const unsigned char c = static_cast<unsigned char>(s_[i_]);
        const char lc = static_cast<char>(std::tolower(c));
        if (c == '\'') {
            lexString(start, space);
        } else if ((lc == 'n' && peek(1) == '\'')) {
            ++i_;
            lexString(start, space);
        } else if ((lc == 'q' && peek(1) == '\'') ||
                   (lc == 'n' && std::tolower(peek(1)) == 'q' && peek(2) == '\'')) {
            i_ += lc == 'n' ? 2 : 1;
            lexAlternativeQuote(start, space);
        } else if (isIdentStart(c)) {
            while (i_ < s_.size() && isIdentChar(static_cast<unsigned char>(s_[i_])))
                ++i_;
            push(Tok::Word, start, std::string(s_.substr(start, i_ - start)), space);
        } else if (c == '"') {
            const auto close = s_.find('"', i_ + 1);
            if (close == std::string_view::npos || close == i_ + 1)
                oraFail(1740, "missing double quote in identifier");
            i_ = close + 1;
            push(Tok::Quoted, start, std::string(s_.substr(start, i_ - start)), space);
        } else if (std::isdigit(c) ||
                   (c == '.' && std::isdigit(static_cast<unsigned char>(peek(1))))) {
            lexNumber(start, space);
        } else if (c == ':' && (isIdentChar(static_cast<unsigned char>(peek(1))))) {
            ++i_;
            while (i_ < s_.size() && isIdentChar(static_cast<unsigned char>(s_[i_])))
                ++i_;
            push(Tok::Bind, start, std::string(s_.substr(start, i_ - start)), space);
        } else {
            lexSymbol(start, space);
        }
    }

    void lexString(std::size_t start, bool space) {
        ++i_; // opening quote
        while (true) {
            if (i_ >= s_.size())
                oraFail(1756, "quoted string not properly terminated");
            if (s_[i_] == '\'') {
                if (peek(1) == '\'') {
                    i_ += 2;
                    continue;
                }
                ++i_;
                break;
            }
            ++i_;
        }
        // An N'...' literal is the same text for SQLite.
        std::string text(s_.substr(start, i_ - start));
        if (text[0] != '\'')
            text.erase(0, 1);
        push(Tok::String, start, std::move(text), space);
    }

    void lexAlternativeQuote(std::size_t start, bool space) {
        ++i_; // the quote after q
        if (i_ >= s_.size())
            oraFail(1756, "quoted string not properly terminated");
        const char close = closingDelimiter(s_[i_]);
        const std::size_t contentStart = i_ + 1;
        std::size_t j = contentStart;
        while (j + 1 < s_.size() && !(s_[j] == close && s_[j + 1] == '\''))
            ++j;
        if (j + 1 >= s_.size())
            oraFail(1756, "quoted string not properly terminated");
        i_ = j + 2;
        push(Tok::String, start, sqliteLiteral(s_.substr(contentStart, j - contentStart)), space);
    }

    void lexNumber(std::size_t start, bool space) {
        auto digits = [this] {
            while (i_ < s_.size() && std::isdigit(static_cast<unsigned char>(s_[i_])))
                ++i_;
        };
        digits();
        if (i_ < s_.size() && s_[i_] == '.' && peek(1) != '.') {
            ++i_;
            digits();
        }
        if (i_ < s_.size() && (s_[i_] == 'e' || s_[i_] == 'E')) {
            std::size_t j = i_ + 1;
            if (j < s_.size() && (s_[j] == '+' || s_[j] == '-'))
                ++j;
            if (j < s_.size() && std::isdigit(static_cast<unsigned char>(s_[j]))) {
                i_ = j;
                digits();
            }
        }
        push(Tok::Number, start, std::string(s_.substr(start, i_ - start)), space);
    }

    void lexSymbol(std::size_t start, bool space) {
        static constexpr std::string_view twoChar[] = {
            "<>", "!=", "^=", "~=", "<=", ">=", "||", ":=", "=>", "..", "**"};
        const std::string_view rest = s_.substr(i_);
        for (std::string_view op : twoChar) {
            if (rest.substr(0, 2) == op) {
                i_ += 2;
                push(Tok::Symbol, start, op == "~=" ? std::string("!=") : std::string(op), space);
                return;
            }
        }
        static constexpr std::string_view oneChar = "(),.;%=<>*/+-@";
        if (oneChar.find(s_[i_]) == std::string_view::npos)
            oraFail(911, "invalid character");
        ++i_;
        push(Tok::Symbol, start, std::string(1, s_[start]), space);
    }

    std::string_view s_;
    std::size_t i_ = 0;
    Tokens tokens_;
};

} // namespace

Tokens tokenize(std::string_view sql) {
    return Lexer(sql).run();
}

std::string render(const Tokens& tokens, std::size_t begin, std::size_t end) {
    std::string out;
    bool first = true;
    for (std::size_t i = begin; i < end && i < tokens.size(); ++i) {
        const Token& t = tokens[i];
        if (t.dropped)
            continue;
        if (t.spaceBefore && !first)
            out += ' ';
        first = false;
        out += t.prefix;
        out += t.out.empty() ? t.text : t.out;
        out += t.suffix;
        out += t.after;
    }
    return out;
}

void compact(Tokens& tokens) {
    Tokens kept;
    kept.reserve(tokens.size());
    bool pendingSpace = false;
    for (Token& t : tokens) {
        if (t.dropped) {
            pendingSpace = pendingSpace || t.spaceBefore;
            continue;
        }
        t.spaceBefore = t.spaceBefore || pendingSpace;
        pendingSpace = false;
        kept.push_back(std::move(t));
    }
    tokens = std::move(kept);
}

std::vector<long> matchParens(const Tokens& tokens) {
    std::vector<long> match(tokens.size(), -1);
    std::vector<std::size_t> open;
    for (std::size_t i = 0; i < tokens.size(); ++i) {
        if (isSymbol(tokens[i], "(")) {
            open.push_back(i);
        } else if (isSymbol(tokens[i], ")")) {
            if (open.empty())
                oraFail(933, "SQL command not properly ended");
            match[i] = static_cast<long>(open.back());
            match[open.back()] = static_cast<long>(i);
            open.pop_back();
        }
    }
    if (!open.empty())
        oraFail(907, "missing right parenthesis");
    return match;
}

std::string sqliteName(const std::string& lowerName) {
    if (lowerName.find_first_of("$#") == std::string::npos)
        return lowerName;
    return '"' + lowerName + '"';
}

std::string stringValue(const Token& t) {
    std::string out;
    const std::string& s = t.text;
    for (std::size_t i = 1; i + 1 < s.size(); ++i) {
        out += s[i];
        if (s[i] == '\'')
            ++i; // '' stands for one quote
    }
    return out;
}

void oraFail(int code, const std::string& text) {
    throw oradb::EOraError(code, text);
}

} // namespace oradb::sandbox::dialect
