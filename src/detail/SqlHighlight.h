// The SQL layout of the "Session SQL" page: the tokenizer, the keyword marker with its table of
// 114 phrases, and TSqlTextModel, the widget-free content of the statement box (runs of text in
// the window-text colour or in keyword blue) that a rich-text view shows. Any thread may call
// the free functions; TSqlTextModel belongs to the user-interface thread.
#pragma once

#include <QObject>
#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace detail {

// One entry of the token list: the token's text as stored, and whether it is (part of) a keyword.
// Entry() gives the textual form token "=" flag.
struct TSqlToken {
    std::string text;
    bool keyword = false;
    std::string Entry() const { return text + (keyword ? "=1" : "=0"); }
    bool operator==(const TSqlToken&) const = default;
};

// The keyword phrases, lower case, in the order they are tried (the order decides which wins).
extern const std::array<std::string_view, 114> kSqlKeywordPhrases;

// Splits a statement at blanks; carriage returns and line feeds are dropped without ending the
// token, so the words on both sides of a bare line break join into one token.
std::vector<std::string> TokenizeSql(std::string_view text);

// Marks the tokens that form keyword phrases (one, two or three tokens, letter case ignored).
std::vector<TSqlToken> MarkKeywords(const std::vector<std::string>& tokens);

// TokenizeSql then MarkKeywords.
std::vector<TSqlToken> TokenizeAndMark(std::string_view text);

// The content of the SQL page's statement box: an ordered list of runs, each in the window-text
// colour or in keyword blue (RGB 0, 0, 255). Line breaks are written as "\r\n" inside the runs.
class TSqlTextModel final : public QObject {
    Q_OBJECT
public:
    struct Run {
        std::string text;
        bool keyword = false;
        bool operator==(const Run&) const = default;
    };

    explicit TSqlTextModel(QObject* parent = nullptr) : QObject(parent) {}

    const std::vector<Run>& Runs() const { return runs_; }
    // All runs' texts joined.
    std::string PlainText() const;

    void Clear();
    // Appends text in the window-text colour.
    void AddText(const std::string& text);
    // Appends the tokens as the statement box writes them: a keyword "where", "from", "order",
    // "group" or "having" after a line break; keywords in blue; every token followed by a blank.
    void WriteTokens(const std::vector<TSqlToken>& tokens);

Q_SIGNALS:
    // The whole content was replaced or extended; views show Runs() again.
    void changed();

private:
    void append(const std::string& text, bool keyword);
    std::vector<Run> runs_;
};

} // namespace detail
