// Oracle SQL run on a whole sandbox instance through the driver: headings, the session's own
// context and DATE arithmetic on the catalog's dates.
#include "oradb/OraError.h"
#include "support/SandboxFixture.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

using testing_support::rowsOf;

class SandboxSql : public testing_support::SandboxTest {
protected:
    std::vector<std::string> headings(const std::string& sql) {
        oradb::TOraQuery q(&session);
        q.SQL.Add(sql);
        q.Open();
        std::vector<std::string> names;
        for (int i = 0; i < q.FieldCount(); ++i)
            names.push_back(q.Fields(i).FieldName());
        return names;
    }
};

std::string lowerOf(std::string s) {
    for (char& c : s)
        c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    return s;
}

// Seconds since the epoch of a 'YYYY-MM-DD at HH:MM:SS' text, computed here independently.
long long secondsOf(const std::string& t) {
    int y = std::stoi(t.substr(0, 4));
    const int m = std::stoi(t.substr(5, 2));
    const int d = std::stoi(t.substr(8, 2));
    y -= m <= 2;
    const long long era = y / 400;
    const long long yoe = y - era * 400;
    const long long doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const long long days = era * 146097 + yoe * 365 + yoe / 4 - yoe / 100 + doy - 719468;
    return days * 86400 + std::stoi(t.substr(14, 2)) * 3600 + std::stoi(t.substr(17, 2)) * 60 +
           std::stoi(t.substr(20, 2));
}

TEST_F(SandboxSql, QuotedAliasesKeepTheirCaseAndTheOthersAreUpperCase) {
    EXPECT_EQ(headings("select sid \"Sid No\", username who, 1+1, lower(username) \"lower\", "
                       "status as \"Hit Ratio %\" from v$session"),
              (std::vector<std::string>{"Sid No", "WHO", "1+1", "lower", "Hit Ratio %"}));
    EXPECT_EQ(headings("select x \"Outer\" from (select sid x from v$session) "
                       "order by \"Outer\""),
              std::vector<std::string>{"Outer"});
    EXPECT_EQ(headings("select * from (select sid \"Sid No\", username from v$session)"),
              (std::vector<std::string>{"Sid No", "USERNAME"}));
    EXPECT_EQ(headings("select \"SID\", Status from v$session"),
              (std::vector<std::string>{"SID", "STATUS"}));
    EXPECT_EQ(
        headings("select sysdate, systimestamp, localtimestamp, user, uid from dual"),
        (std::vector<std::string>{"SYSDATE", "SYSTIMESTAMP", "LOCALTIMESTAMP", "USER", "UID"}));
}

TEST_F(SandboxSql, RowidsAndTheirPartsThroughDbmsRowid) {
    EXPECT_EQ(headings("select rowid, dummy from dual"),
              (std::vector<std::string>{"ROWID", "DUMMY"}));
    const std::string rowid = value("select rowid from dual");
    ASSERT_EQ(rowid.size(), 18u);
    const std::string parts = "dbms_rowid.rowid_object(r) || ',' || "
                              "dbms_rowid.rowid_relative_fno(r) || ',' || "
                              "sys.dbms_rowid.rowid_block_number(r) || ',' || "
                              "dbms_rowid.rowid_row_number(r)";
    const std::string split = value("select " + parts + " from (select rowid r from dual)");
    EXPECT_EQ(value("select " + parts + " from (select '" + rowid + "' r from dual)"), split);
    // rowid_create puts the parts back together
    EXPECT_EQ(value("select dbms_rowid.rowid_create(1, " + split.substr(0, split.find(',')) + ", " +
                    split.substr(split.find(',') + 1) + ") from dual")
                  .size(),
              18u);
    EXPECT_EQ(value("select dbms_rowid.rowid_create(1, 73580, 4, 130, 5) from dual"),
              "AAAR9sAAEAAAACCAAF");
    EXPECT_EQ(value("select dbms_rowid.rowid_block_number('AAAR9sAAEAAAACCAAF') from dual"), "130");
    EXPECT_THROW(value("select dbms_rowid.rowid_object('nonsense') from dual"), oradb::EOraError);
    const long long t1 = std::stoll(value("select dbms_utility.get_time from dual"));
    const long long t2 = std::stoll(value("select dbms_utility.get_time() from dual"));
    EXPECT_GE(t2 - t1, 0);
}

TEST_F(SandboxSql, DateArithmeticOnCatalogDates) {
    const auto rows = rowsOf(session, "select to_char(sysdate, 'YYYY-MM-DD \"at\" HH24:MI:SS'), "
                                      "to_char(startup_time, 'YYYY-MM-DD \"at\" HH24:MI:SS'), "
                                      "to_char(sysdate - startup_time), "
                                      "to_char(startup_time + 1, 'YYYY-MM-DD \"at\" HH24:MI:SS') "
                                      "from v$instance");
    ASSERT_EQ(rows.size(), 1u);
    const long long seconds = secondsOf(rows[0][0]) - secondsOf(rows[0][1]);
    ASSERT_GT(seconds, 0);
    EXPECT_NEAR(std::stod(rows[0][2]), seconds / 86400.0, 1e-9);
    EXPECT_NE(rows[0][2].find('.'), std::string::npos) << "fractional days: " << rows[0][2];
    EXPECT_EQ(secondsOf(rows[0][3]) - secondsOf(rows[0][1]), 86400);
    EXPECT_EQ(value("select count(*) from v$session where logon_time > sysdate - 100000"),
              value("select count(*) from v$session where logon_time is not null"));
}

TEST_F(SandboxSql, SysContextAnswersFromTheSessionAndTheInstance) {
    const std::string sid = value("select sys_context('USERENV', 'SID') from dual");
    ASSERT_FALSE(sid.empty());
    EXPECT_EQ(value("select username from v$session where sid = " + sid), "SYSTEM");
    EXPECT_EQ(value("select sys_context('userenv', 'session_user') from dual"), "SYSTEM");
    EXPECT_EQ(value("select sys_context('USERENV', 'CURRENT_SCHEMA') from dual"), "SYSTEM");
    EXPECT_EQ(value("select sys_context('USERENV', 'DB_NAME') from dual"),
              value("select name from v$database"));
    EXPECT_EQ(value("select sys_context('USERENV', 'INSTANCE_NAME') from dual"),
              value("select instance_name from v$instance"));
    EXPECT_EQ(value("select sys_context('USERENV', 'SERVER_HOST') from dual"),
              value("select host_name from v$instance"));
    for (const char* p : {"HOST", "OS_USER", "TERMINAL", "MODULE"}) {
        const char* column = std::string(p) == "HOST"      ? "machine"
                             : std::string(p) == "OS_USER" ? "osuser"
                                                           : nullptr;
        const std::string col = column ? column : lowerOf(p);
        EXPECT_EQ(value(std::string("select sys_context('USERENV', '") + p + "') from dual"),
                  value("select " + col + " from v$session where sid = " + sid))
            << p;
    }
    EXPECT_EQ(value("select sid from v$session where audsid = userenv('SESSIONID')"), sid);
    EXPECT_EQ(value("select sys_context('USERENV', 'SESSIONID') from dual"),
              value("select audsid from v$session where sid = " + sid));
    EXPECT_EQ(value("select sys_context('USERENV', 'CON_NAME') from dual"),
              value("select name from v$database"));
    EXPECT_EQ(value("select sys_context('USERENV', 'CON_ID') from dual"), "0");
    // v$mystat is the asking session's own rows of v$sesstat, as the classic scripts join it
    EXPECT_EQ(value("select count(distinct sid) from v$mystat"), "1");
    EXPECT_EQ(value("select count(*) from gv$mystat where inst_id = 1"),
              value("select count(*) from sys.v_$mystat"));
    EXPECT_EQ(value("select max(sid) from v$mystat"), sid);
    EXPECT_EQ(value("select count(*) from v$mystat"),
              value("select count(*) from v$sesstat where sid = " + sid));
    EXPECT_NE(value("select count(*) from v$mystat m, v$statname n where "
                    "m.statistic# = n.statistic# and n.name = 'session logical reads'"),
              "0");
    EXPECT_NE(value("select uid from dual"), "");
    EXPECT_EQ(value("select uid from dual"),
              value("select user_id from dba_users where username = 'SYSTEM'"));
    EXPECT_EQ(value("select length(sys_guid()) from dual"), "32");
    EXPECT_NE(value("select sys_guid() from dual"), value("select sys_guid() from dual"));
    EXPECT_THROW(value("select sys_context('USERENV', 'NO_SUCH_THING') from dual"),
                 oradb::EOraError);
}

} // namespace
