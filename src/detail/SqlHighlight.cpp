#include "detail/SqlHighlight.h"

#include "util/TextHelpers.h"

#include <cctype>

namespace detail {

// "for update" stands twice; the second entry can never win but keeps the table as it is known.
const std::array<std::string_view, 114> kSqlKeywordPhrases = {
    "alter rollback segment",
    "alter snapshot log",
    "create snapshot log",
    "create rollback segment",
    "drop snapshot log",
    "create database link",
    "create type body",
    "drop database link",
    "alter resource cost",
    "drop rollback segment",
    "create package body",
    "drop type body",
    "order by",
    "group by",
    "for update",
    "set role",
    "set transaction",
    "create user",
    "create view",
    "create cluster",
    "create controlfile",
    "create database",
    "create table",
    "create tablespace",
    "create trigger",
    "create type",
    "drop cluster",
    "create directory",
    "create function",
    "create index",
    "create library",
    "create package",
    "create procedure",
    "create profile",
    "create role",
    "alter cluster",
    "alter database",
    "create schema",
    "create sequence",
    "create snapshot",
    "create synonym",
    "drop index",
    "drop directory",
    "drop function",
    "drop library",
    "drop package",
    "set constraint",
    "drop profile",
    "drop role",
    "drop sequence",
    "drop snapshot",
    "alter user",
    "drop synonym",
    "drop table",
    "drop tablespace",
    "drop trigger",
    "drop type",
    "drop user",
    "drop view",
    "explan plan",
    "alter view",
    "archive log",
    "alter function",
    "alter index",
    "alter package",
    "alter procedure",
    "deallocated unused",
    "alter profile",
    "alter role",
    "alter sequence",
    "alter session",
    "alter snapshot",
    "alter system",
    "alter table",
    "alter tablespace",
    "alter trigger",
    "alter type",
    "union all",
    "lock table",
    "for update",
    "commit work",
    "select",
    "from",
    "where",
    "insert",
    "into",
    "drop",
    "truncate",
    "update",
    "delete",
    "disable",
    "analyze",
    "audit",
    "comment",
    "distinct",
    "in",
    "between",
    "like",
    "having",
    "commit",
    "rollback",
    "grant",
    "noaudit",
    "parallel",
    "recover",
    "rename",
    "revoke",
    "savepoint",
    "union",
    "minus",
    "storage",
    "constraint",
    "enable",
    "and",
};

namespace {

bool startsLine(const std::string& lowerToken) {
    return lowerToken == "where" || lowerToken == "from" || lowerToken == "order" ||
           lowerToken == "group" || lowerToken == "having";
}

} // namespace

std::vector<std::string> TokenizeSql(std::string_view text) {
    std::vector<std::string> tokens;
    std::string token;
    for (const char c : text) {
        if (c == ' ') {
            if (!token.empty())
                tokens.push_back(std::move(token));
            token.clear();
        } else if (c != '\r' && c != '\n') {
            token += c;
        }
    }
    if (!token.empty())
        tokens.push_back(std::move(token));
    return tokens;
}

std::vector<TSqlToken> MarkKeywords(const std::vector<std::string>& tokens) {
    std::vector<TSqlToken> marked;
    marked.reserve(tokens.size());
    std::vector<std::string> lowered;
    lowered.reserve(tokens.size());
    for (const std::string& t : tokens)
        lowered.push_back(util::lowerAscii(t));
    const std::size_t n = tokens.size();
    std::size_t i = 0;
    while (i < n) {
        std::size_t used = 0;
        const std::string one = lowered[i];
        const std::string two = i + 1 < n ? one + " " + lowered[i + 1] : std::string();
        const std::string three = i + 2 < n ? two + " " + lowered[i + 2] : std::string();
        for (const std::string_view phrase : kSqlKeywordPhrases) {
            if (one == phrase)
                used = 1;
            else if (i + 1 < n && two == phrase)
                used = 2;
            else if (i + 2 < n && three == phrase)
                used = 3;
            if (used)
                break;
        }
        if (!used) {
            marked.push_back({tokens[i], false});
            ++i;
            continue;
        }
        for (std::size_t k = 0; k < used; ++k)
            marked.push_back({tokens[i + k], true});
        i += used;
    }
    return marked;
}

std::vector<TSqlToken> TokenizeAndMark(std::string_view text) {
    return MarkKeywords(TokenizeSql(text));
}

// ---- TSqlTextModel ----

std::string TSqlTextModel::PlainText() const {
    std::string text;
    for (const Run& r : runs_)
        text += r.text;
    return text;
}

void TSqlTextModel::Clear() {
    runs_.clear();
    Q_EMIT changed();
}

void TSqlTextModel::AddText(const std::string& text) {
    append(text, false);
    Q_EMIT changed();
}

void TSqlTextModel::WriteTokens(const std::vector<TSqlToken>& tokens) {
    for (const TSqlToken& t : tokens) {
        if (t.keyword && startsLine(util::lowerAscii(t.text)))
            append("\r\n", false);
        append(t.text, t.keyword);
        append(" ", false);
    }
    Q_EMIT changed();
}

void TSqlTextModel::append(const std::string& text, bool keyword) {
    if (!runs_.empty() && runs_.back().keyword == keyword)
        runs_.back().text += text;
    else
        runs_.push_back({text, keyword});
}

} // namespace detail
