// The SQL tokenizer, the keyword marker and the statement box content.
#include "detail/SqlHighlight.h"

#include <QSignalSpy>
#include <gtest/gtest.h>
#include <set>

namespace {

using detail::MarkKeywords;
using detail::TokenizeAndMark;
using detail::TokenizeSql;
using detail::TSqlTextModel;
using detail::TSqlToken;
using Tokens = std::vector<std::string>;

std::vector<bool> flags(const std::vector<TSqlToken>& tokens) {
    std::vector<bool> out;
    for (const auto& t : tokens)
        out.push_back(t.keyword);
    return out;
}

TEST(SqlTokenizer, BlanksSeparateTokensAndRunsOfBlanksStoreNothing) {
    EXPECT_EQ(TokenizeSql("  select   a,b  from t "), (Tokens{"select", "a,b", "from", "t"}));
    EXPECT_TRUE(TokenizeSql("").empty());
    EXPECT_TRUE(TokenizeSql("     ").empty());
}

TEST(SqlTokenizer, BareLineBreaksJoinTheWordsOnBothSides) {
    EXPECT_EQ(TokenizeSql("select a\nfrom t"), (Tokens{"select", "afrom", "t"}));
    EXPECT_EQ(TokenizeSql("select a\r\nfrom t"), (Tokens{"select", "afrom", "t"}));
    EXPECT_EQ(TokenizeSql("x \r\n y"), (Tokens{"x", "y"}));
}

TEST(SqlTokenizer, TabsBelongToTheToken) {
    EXPECT_EQ(TokenizeSql("a\tb c"), (Tokens{"a\tb", "c"}));
}

TEST(SqlKeywordTable, HoldsTheLowerCasePhrasesInTheirOrder) {
    const auto& table = detail::kSqlKeywordPhrases;
    EXPECT_EQ(table.size(), 114u);
    EXPECT_EQ(table.front(), "alter rollback segment");
    EXPECT_EQ(table.back(), "and");
    int forUpdate = 0;
    for (const auto phrase : table) {
        EXPECT_FALSE(phrase.empty());
        for (const char c : phrase)
            EXPECT_FALSE(std::isupper(static_cast<unsigned char>(c))) << phrase;
        EXPECT_LE(std::count(phrase.begin(), phrase.end(), ' '), 2) << phrase;
        forUpdate += phrase == "for update";
    }
    EXPECT_EQ(forUpdate, 2);
    // Two-word phrases stand before their first word alone, so that they win.
    const auto pos = [&](std::string_view p) {
        return std::find(table.begin(), table.end(), p) - table.begin();
    };
    EXPECT_LT(pos("drop table"), pos("drop"));
    EXPECT_LT(pos("union all"), pos("union"));
    EXPECT_LT(pos("commit work"), pos("commit"));
}

TEST(SqlKeywordMarker, MarksSingleWordKeywordsIgnoringCaseAndKeepsTheText) {
    const auto marked = TokenizeAndMark("SELECT Name FROM emp Where id in (1)");
    ASSERT_EQ(marked.size(), 8u);
    EXPECT_EQ(flags(marked),
              (std::vector<bool>{true, false, true, false, true, false, true, false}));
    EXPECT_EQ(marked[0].text, "SELECT");
    EXPECT_EQ(marked[4].text, "Where");
}

TEST(SqlKeywordMarker, GroupByInUpperCaseIsOnePhrase) {
    const auto marked = TokenizeAndMark("select d, count(*) from emp GROUP BY d");
    ASSERT_EQ(marked.size(), 8u);
    EXPECT_TRUE(marked[5].keyword);
    EXPECT_TRUE(marked[6].keyword);
    EXPECT_EQ(marked[5].text, "GROUP");
    EXPECT_EQ(marked[6].text, "BY");
}

TEST(SqlKeywordMarker, OrderWithoutByIsNoKeyword) {
    EXPECT_EQ(flags(TokenizeAndMark("select order from t")),
              (std::vector<bool>{true, false, true, false}));
    EXPECT_EQ(flags(TokenizeAndMark("order x by")), (std::vector<bool>{false, false, false}));
    EXPECT_EQ(flags(TokenizeAndMark("x order by y")),
              (std::vector<bool>{false, true, true, false}));
    // "by" alone is no keyword either.
    EXPECT_EQ(flags(TokenizeAndMark("by")), (std::vector<bool>{false}));
}

TEST(SqlKeywordMarker, LongestListedPhraseWinsAndTheWalkMovesPastIt) {
    EXPECT_EQ(flags(TokenizeAndMark("drop table t")), (std::vector<bool>{true, true, false}));
    EXPECT_EQ(flags(TokenizeAndMark("create package body p")),
              (std::vector<bool>{true, true, true, false}));
    EXPECT_EQ(flags(TokenizeAndMark("alter rollback segment rbs1")),
              (std::vector<bool>{true, true, true, false}));
    // "alter" and "create" are keywords only in their phrases.
    EXPECT_EQ(flags(TokenizeAndMark("alter x")), (std::vector<bool>{false, false}));
    EXPECT_EQ(flags(TokenizeAndMark("create")), (std::vector<bool>{false}));
    // A phrase needs its words as separate tokens: "inner" is not "in".
    EXPECT_EQ(flags(TokenizeAndMark("inner in")), (std::vector<bool>{false, true}));
}

TEST(SqlKeywordMarker, JoinedWordsAndTokensWithEqualsStayUnchanged) {
    const auto joined = TokenizeAndMark("select a\nfrom t where x=1");
    ASSERT_EQ(joined.size(), 5u);
    EXPECT_EQ(joined[1].text, "afrom");
    EXPECT_FALSE(joined[1].keyword);
    EXPECT_EQ(joined[4].text, "x=1");
    EXPECT_FALSE(joined[4].keyword);
    EXPECT_EQ(joined[4].Entry(), "x=1=0");
    EXPECT_EQ(joined[3].Entry(), "where=1");
}

TEST(SqlKeywordMarker, WorksOnTokenListsDirectly) {
    EXPECT_TRUE(MarkKeywords({}).empty());
    EXPECT_EQ(flags(MarkKeywords({"UNION", "ALL", "select"})),
              (std::vector<bool>{true, true, true}));
}

TEST(SqlTextModel, WritesKeywordsBlueWithLineBreaksBeforeTheClauseWords) {
    TSqlTextModel model;
    QSignalSpy changed(&model, &TSqlTextModel::changed);
    model.WriteTokens(TokenizeAndMark("SELECT a FROM t WHERE x=1 GROUP BY a HAVING c ORDER BY a"));
    EXPECT_GE(changed.count(), 1);
    EXPECT_EQ(model.PlainText(), "SELECT a \r\nFROM t \r\nWHERE x=1 \r\nGROUP BY a \r\nHAVING c "
                                 "\r\nORDER BY a ");
    // Each keyword's text is a blue run; the blanks after it and the other tokens are not.
    std::set<std::string> blue;
    for (const auto& run : model.Runs()) {
        if (run.keyword)
            blue.insert(run.text);
    }
    EXPECT_EQ(blue,
              (std::set<std::string>{"SELECT", "FROM", "WHERE", "GROUP", "BY", "HAVING", "ORDER"}));
    for (const auto& run : model.Runs()) {
        if (run.keyword) {
            EXPECT_EQ(run.text.find(' '), std::string::npos);
        }
    }
}

TEST(SqlTextModel, NoLineBreakBeforeAJoinedOrUnmarkedClauseWord) {
    TSqlTextModel model;
    model.WriteTokens(TokenizeAndMark("select a\nfrom t order x"));
    EXPECT_EQ(model.PlainText(), "select afrom t order x ");
}

TEST(SqlTextModel, ClearAndPlainTextLines) {
    TSqlTextModel model;
    model.AddText("Loading...");
    EXPECT_EQ(model.PlainText(), "Loading...");
    ASSERT_EQ(model.Runs().size(), 1u);
    EXPECT_FALSE(model.Runs()[0].keyword);
    model.Clear();
    EXPECT_TRUE(model.Runs().empty());
    EXPECT_EQ(model.PlainText(), "");
}

} // namespace
