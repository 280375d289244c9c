// quenby-sql's script reader: statements of SQL*Plus scripts as SQL*Plus ends them, the SQL*Plus
// commands around them, and the one-statement-per-line form.
#include "tools/SqlScript.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

using quenby_sql::ScriptItem;
using quenby_sql::splitScript;
using Kind = ScriptItem::Kind;

ScriptItem sql(const std::string& text) {
    return {Kind::Statement, text};
}

TEST(SqlScript, StatementsEndAtSemicolonsAndSlashesOutsideQuotesAndComments) {
    EXPECT_EQ(splitScript("select sid,\n       username\n  from v$session\n where type = 'USER';\n"
                          "select 1 from dual;\n"),
              (std::vector<ScriptItem>{
                  sql("select sid,\n       username\n  from v$session\n where type = 'USER'"),
                  sql("select 1 from dual")}));
    // ';' inside quotes, quoted names and comments does not end a statement.
    EXPECT_EQ(
        splitScript("select 'a;b' \"c;d\" -- e;f\n  /* g;\n h; */ from dual;"),
        (std::vector<ScriptItem>{sql("select 'a;b' \"c;d\" -- e;f\n  /* g;\n h; */ from dual")}));
    EXPECT_EQ(splitScript("select 'it''s;' x from dual\n/\n"),
              (std::vector<ScriptItem>{sql("select 'it''s;' x from dual")}));
    // Two on one line; a comment after the terminator is not a statement.
    EXPECT_EQ(splitScript("select 1 from dual; select 2 from dual; -- done\n"),
              (std::vector<ScriptItem>{sql("select 1 from dual"), sql("select 2 from dual")}));
    // '/' alone runs the statement run last again; after one that a blank line ended, it is that
    // statement's end and runs nothing more.
    EXPECT_EQ(splitScript("select 1 from dual;\n/\n"),
              (std::vector<ScriptItem>{sql("select 1 from dual"), sql("select 1 from dual")}));
    EXPECT_EQ(splitScript("select 1\nfrom dual\n\n/\nselect 2 from dual;"),
              (std::vector<ScriptItem>{sql("select 1\nfrom dual"), sql("select 2 from dual")}));
    // The statement still open at the end of the input runs.
    EXPECT_EQ(splitScript("select 1 from dual;\nselect 2\n  from dual"),
              (std::vector<ScriptItem>{sql("select 1 from dual"), sql("select 2\n  from dual")}));
}

TEST(SqlScript, PlsqlBlocksEndOnlyAtASlash) {
    EXPECT_EQ(splitScript("begin\n  for r in (select 1 from dual) loop\n    null;\n  end loop;\n"
                          "end;\n/\nselect 1 from dual;\n"),
              (std::vector<ScriptItem>{
                  sql("begin\n  for r in (select 1 from dual) loop\n    null;\n  end loop;\nend;"),
                  sql("select 1 from dual")}));
    EXPECT_EQ(splitScript("DECLARE n number;\nBEGIN\n\n  n := 1;\nEND;\n/"),
              (std::vector<ScriptItem>{sql("DECLARE n number;\nBEGIN\n\n  n := 1;\nEND;")}));
    EXPECT_EQ(splitScript("create or replace procedure p as\nbegin null; end;\n/\n"),
              (std::vector<ScriptItem>{sql("create or replace procedure p as\nbegin null; end;")}));
    EXPECT_EQ(
        splitScript("create table t (a number);\nexec dbms_stats.gather_table_stats(user, "
                    "'T');\n"),
        (std::vector<ScriptItem>{sql("create table t (a number)"),
                                 sql("begin dbms_stats.gather_table_stats(user, 'T'); end;")}));
}

TEST(SqlScript, SqlPlusCommandsAroundTheQueries) {
    const std::vector<ScriptItem> items = splitScript("REM Sessions waiting on a lock\n"
                                                      "set lines 200 pages 100\n"
                                                      "set feedback off -\n"
                                                      "    verify off\n"
                                                      "col username format a20 heading 'User'\n"
                                                      "column event for a40\n"
                                                      "break on username skip 1\n"
                                                      "ttitle left 'Waiters'\n"
                                                      "prompt Waiters and their blockers:\n"
                                                      "PRO\n"
                                                      "-- the query\n"
                                                      "select sid from v$session\n"
                                                      " where blocking_session is not null\n"
                                                      "/\n"
                                                      "set transaction read only;\n"
                                                      "spool off\n"
                                                      "@other.sql\n"
                                                      "exit\n"
                                                      "select 'never' from dual;\n");
    EXPECT_EQ(items, (std::vector<ScriptItem>{
                         {Kind::Prompt, "Waiters and their blockers:"},
                         {Kind::Prompt, ""},
                         sql("select sid from v$session\n where blocking_session is not null"),
                         sql("set transaction read only"),
                         {Kind::Unsupported, "@other.sql"},
                         {Kind::Exit, ""},
                         sql("select 'never' from dual")}));
    // With SQLBLANKLINES on, a blank line stays inside the statement.
    EXPECT_EQ(splitScript("set sqlblanklines on\nselect 1\n\nfrom dual;\n"),
              (std::vector<ScriptItem>{sql("select 1\n\nfrom dual")}));
    EXPECT_EQ(splitScript("select 1\n\nfrom dual;\n"),
              (std::vector<ScriptItem>{sql("select 1"), sql("from dual")}));
}

TEST(SqlScript, SubstitutionVariablesTakeTheirDefinedValues) {
    EXPECT_EQ(splitScript("define top = 5\nDEFINE owner = 'APP USER'\n"
                          "prompt Top &top of &&owner.:\n"
                          "select * from t where o = '&owner' and rownum <= &top.0 -- &nothing\n"
                          "/\n"),
              (std::vector<ScriptItem>{
                  {Kind::Prompt, "Top 5 of APP USER:"},
                  sql("select * from t where o = 'APP USER' and rownum <= 50 -- &nothing")}));
    // an undefined variable stops the script; SET DEFINE OFF takes '&' as it stands
    EXPECT_EQ(splitScript("select * from t where rownum <= &&1;\n"),
              (std::vector<ScriptItem>{
                  {Kind::Error, "substitution variable &1 has no value: DEFINE it before it is "
                                "used"}}));
    EXPECT_EQ(splitScript("set define off\nselect 'R&D' from dual;\n"),
              (std::vector<ScriptItem>{sql("select 'R&D' from dual")}));
    EXPECT_EQ(splitScript("define x = 1\nundefine x\nselect & x, &x from dual;\n").back().kind,
              Kind::Error);
    // one statement per line is read as it always was
    EXPECT_EQ(splitScript("select 'R&D' from dual"),
              (std::vector<ScriptItem>{sql("select 'R&D' from dual")}));
}

TEST(SqlScript, WithoutTerminatorsEveryLineIsAStatement) {
    EXPECT_FALSE(quenby_sql::usesTerminators("select 'a;' from dual\nselect 2 from dual -- x;\n"));
    EXPECT_TRUE(quenby_sql::usesTerminators("select 1 from dual\n/\n"));
    EXPECT_EQ(
        splitScript("select dummy from dual\n\n  select 1 n from dual  \nset lines 80\n"),
        (std::vector<ScriptItem>{sql("select dummy from dual"), sql("select 1 n from dual")}));
    // A statement given alone keeps its text, with a trailing ';' or not.
    EXPECT_EQ(splitScript("select 1 from dual;"),
              (std::vector<ScriptItem>{sql("select 1 from dual")}));
    EXPECT_EQ(splitScript("select 1 from dual"),
              (std::vector<ScriptItem>{sql("select 1 from dual")}));
    // a script written on Windows: byte order mark and CR LF line ends
    EXPECT_EQ(
        splitScript("\xEF\xBB\xBFset lines 200\r\nselect 1\r\n  from dual;\r\n/\r\n"),
        (std::vector<ScriptItem>{sql("select 1\r\n  from dual"), sql("select 1\r\n  from dual")}));
    EXPECT_TRUE(splitScript("").empty());
    EXPECT_TRUE(splitScript("-- nothing\n/* at all */\n").empty());
}

} // namespace
