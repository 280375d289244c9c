// The sandbox catalog: the program's queries run on it, the seeded instance is consistent, and
// the simulator is deterministic and leaves real connections alone.
#include "sandbox/Catalog.h"

#include "sandbox/CatalogSupport.h"

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <functional>
#include <gtest/gtest.h>
#include <iostream>
#include <sqlite3.h>
#include <string>
#include <vector>

namespace {

using Rows = std::vector<std::vector<std::string>>;

std::string g_currentUser = "SYSTEM";

void oraUser(sqlite3_context* context, int, sqlite3_value**) {
    sqlite3_result_text(context, g_currentUser.c_str(), -1, SQLITE_TRANSIENT);
}

// sys_context('USERENV', ...) of the session that asks: the first session, logged on as the
// current user.
void sysContext(sqlite3_context* context, int, sqlite3_value** args) {
    const auto* raw = sqlite3_value_text(args[1]);
    const std::string name = raw ? reinterpret_cast<const char*>(raw) : "";
    if (name == "SID")
        sqlite3_result_text(context, "1", -1, SQLITE_STATIC);
    else
        sqlite3_result_text(context, g_currentUser.c_str(), -1, SQLITE_TRANSIENT);
}

class Db {
public:
    Db() {
        EXPECT_EQ(sqlite3_open(":memory:", &db_), SQLITE_OK);
        sqlite3_create_function(db_, "ora_user", 0, SQLITE_UTF8, nullptr, oraUser, nullptr,
                                nullptr);
        sqlite3_create_function(db_, "sys_context", 2, SQLITE_UTF8, nullptr, sysContext, nullptr,
                                nullptr);
        oradb::sandbox::createCatalog(db_);
    }
    ~Db() { sqlite3_close(db_); }
    Db(const Db&) = delete;
    Db& operator=(const Db&) = delete;
    sqlite3* get() const { return db_; }

    void seed(int sessions, std::uint64_t seed = 20261208) {
        oradb::sandbox::SeedOptions options;
        options.sessions = sessions;
        options.seed = seed;
        oradb::sandbox::detail::seedCatalogAt(db_, options, "2024-03-05 14:30:00");
    }

    Rows rows(const std::string& sql) const {
        sqlite3_stmt* stmt = nullptr;
        if (sqlite3_prepare_v2(db_, sql.c_str(), -1, &stmt, nullptr) != SQLITE_OK) {
            ADD_FAILURE() << sqlite3_errmsg(db_) << " in " << sql;
            return {};
        }
        Rows result;
        while (sqlite3_step(stmt) == SQLITE_ROW) {
            std::vector<std::string> row;
            for (int i = 0; i < sqlite3_column_count(stmt); ++i) {
                const auto* text = sqlite3_column_text(stmt, i);
                row.emplace_back(text ? reinterpret_cast<const char*>(text) : "");
            }
            result.push_back(std::move(row));
        }
        sqlite3_finalize(stmt);
        return result;
    }

    std::int64_t number(const std::string& sql) const {
        const Rows r = rows(sql);
        return r.empty() || r[0].empty() || r[0][0].empty() ? 0 : std::stoll(r[0][0]);
    }

    double real(const std::string& sql) const {
        const Rows r = rows(sql);
        return r.empty() || r[0].empty() || r[0][0].empty() ? 0 : std::stod(r[0][0]);
    }

    std::string text(const std::string& sql) const {
        const Rows r = rows(sql);
        return r.empty() || r[0].empty() ? std::string() : r[0][0];
    }

    void exec(const std::string& sql) const {
        char* error = nullptr;
        if (sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, &error) != SQLITE_OK) {
            ADD_FAILURE() << (error ? error : "") << " in " << sql;
            sqlite3_free(error);
        }
    }

    // Every row of every table, in a fixed order: two databases with the same content give the
    // same text.
    std::string content() const {
        std::string all;
        for (const auto& table :
             rows("select name from sqlite_master where type = 'table' order by name")) {
            const std::string quoted = "\"" + table[0] + "\"";
            const Rows columns = rows("select count(*) from pragma_table_info('" + table[0] + "')");
            std::string order;
            for (std::int64_t i = 1; i <= std::stoll(columns[0][0]); ++i)
                order += (i > 1 ? "," : "") + std::to_string(i);
            for (const auto& row : rows("select * from " + quoted + " order by " + order)) {
                all += table[0];
                for (const auto& field : row)
                    all += "|" + field;
                all += "\n";
            }
        }
        return all;
    }

private:
    sqlite3* db_ = nullptr;
};

// The session list query of the monitor, ordered by one statistic.
std::string sessionListSql(std::int64_t statistic) {
    return "select s.Sid,s.\"Serial#\",s.Username,s.Status,s.Server,s.Machine,s.process,"
           "s.OsUser,s.program,s.Logon_time,s.SchemaName,s.Client_Info,s.Module,s.Action,"
           "s.audsid,s.command,s.sql_address,s.sql_hash_value,s.lockwait,s.type,"
           "s.\"row_wait_obj#\",st.value from \"v$session\" s,\"v$sesstat\" st where "
           "s.sid=st.sid and st.\"statistic#\"=" +
           std::to_string(statistic) + " and  1=1 and type <>'BACKGROUND' order by st.value desc";
}

std::string locksSql(const std::string& sid) {
    std::string modes;
    for (const char* column : {"lmode", "request"}) {
        modes += std::string(",case l.") + column +
                 " when 0 then 'none' when 1 then 'NULL' when 2 then 'Row-S(SS)' when 3 then "
                 "'Row-X(SX)' when 4 then 'Share(S)' when 5 then 'S/Row-X(SSX)' when 6 then "
                 "'Exclusive(X)' else l." +
                 column + " end " + column;
    }
    return "select l.addr addr,l.kaddr kaddr,l.sid,l.type,l.id1,l.id2" + modes +
           ", l.ctime,l.block,s.username from \"v$lock\" l,\"v$session\" s where l.sid=s.sid and "
           "(s.sid=" +
           sid + " or l.request!=0 or l.block=1)";
}

class SeededCatalog : public ::testing::Test {
protected:
    void SetUp() override {
        g_currentUser = "SYSTEM";
        db.seed(40);
    }
    Db db;
};

TEST_F(SeededCatalog, LoginChecksAndCachesReadRolesStatisticsAndActions) {
    const std::string roles = "select * from session_roles where role='SELECT_CATALOG_ROLE'";
    EXPECT_EQ(db.rows(roles).size(), 1u);
    g_currentUser = "DBSNMP";
    EXPECT_EQ(db.rows(roles).size(), 1u);
    g_currentUser = "SCOTT";
    EXPECT_EQ(db.rows(roles).size(), 0u);
    EXPECT_EQ(db.rows("select * from session_roles").size(), 2u);

    const Rows stats =
        db.rows("select \"statistic#\",name,class from \"v$statname\" order by class");
    EXPECT_GE(stats.size(), 200u);
    EXPECT_EQ(db.text("select class from \"v$statname\" where name='session logical reads'"), "1");
    for (const char* name : {"db block gets", "consistent gets", "physical reads"})
        EXPECT_EQ(
            db.text(std::string("select class from \"v$statname\" where name='") + name + "'"),
            "8");
    for (const char* cls : {"1", "2", "4", "8", "16", "32", "40", "64", "72", "128"})
        EXPECT_GT(db.number(std::string("select count(*) from \"v$statname\" where class=") + cls),
                  0)
            << cls;
    EXPECT_EQ(db.number("select count(distinct \"statistic#\") from \"v$statname\""),
              static_cast<std::int64_t>(stats.size()));

    EXPECT_GE(db.rows("select action,name from audit_actions").size(), 100u);
    EXPECT_EQ(db.text("select name from audit_actions where action=47"), "PL/SQL EXECUTE");
    EXPECT_EQ(db.text("select name from audit_actions where action=3"), "SELECT");
    EXPECT_EQ(db.text("select name from audit_actions where action=0"), "UNKNOWN");
}

TEST_F(SeededCatalog, SessionListAndDetailQueriesReturnEverySession) {
    const std::int64_t reads =
        db.number("select \"statistic#\" from \"v$statname\" where name='session logical reads'");
    const Rows list = db.rows(sessionListSql(reads));
    EXPECT_EQ(static_cast<std::int64_t>(list.size()),
              db.number("select count(*) from \"v$session\" where type='USER'"));
    for (std::size_t i = 1; i < list.size(); ++i)
        EXPECT_GE(std::stoll(list[i - 1][21]), std::stoll(list[i][21]));

    const std::string sid = list.front()[0];
    const Rows details = db.rows("select * from \"v$session\" where sid=" + sid);
    ASSERT_EQ(details.size(), 1u);
    EXPECT_GE(details[0].size(), 45u);
    EXPECT_EQ(details[0][0].size(), 16u); // saddr as 8 bytes of hexadecimal text

    const Rows stats = db.rows(
        " select st.sid,st.value,sn.name,sn.class,sn.\"statistic#\" statistic from \"v$sesstat\" "
        "st,\"v$statname\" sn where sn.\"statistic#\"=st.\"statistic#\" and st.sid=" +
        sid + " order by value desc");
    EXPECT_EQ(static_cast<std::int64_t>(stats.size()),
              db.number("select count(*) from \"v$statname\""));

    const Rows events = db.rows("select Sid,Event,Total_Waits,Total_Timeouts,Time_Waited,"
                                "Average_Wait,Max_Wait from \"v$session_event\" where sid=" +
                                sid + " order by time_waited desc,event");
    EXPECT_GE(events.size(), 2u);
    const Rows wait = db.rows("select * from \"v$session_wait\" where sid=" + sid);
    ASSERT_EQ(wait.size(), 1u);
    EXPECT_EQ(wait[0].size(), 22u); // 19c: with the wait class and times
}

TEST_F(SeededCatalog, WaitsAreIdleOrOnBlocksOfExtents) {
    for (const auto& row :
         db.rows("select w.p1, w.p2 from \"v$session_wait\" w, \"v$session\" s "
                 "where s.sid = w.sid and w.event = 'SQL*Net message from client'")) {
        EXPECT_EQ(row[0], "1413697536");
        EXPECT_EQ(row[1], "1");
    }
    // Sessions at tick 0 and after a few ticks in I/O waits name a block inside an extent.
    std::int64_t seen = 0;
    for (std::uint64_t tick = 1; tick <= 8; ++tick) {
        const std::string inExtent =
            "select count(*) from \"v$session_wait\" w where w.event in ('db file sequential "
            "read','db file scattered read') and ";
        const std::int64_t io = db.number(inExtent + "1=1");
        seen += io;
        EXPECT_EQ(db.number(inExtent + "exists (select 1 from dba_extents e, dba_data_files f "
                                       "where e.file_id=f.file_id and e.file_id=w.p1 and "
                                       "e.block_id <= w.p2 and e.block_id+e.blocks>w.p2+w.p3-1)"),
                  io);
        oradb::sandbox::simulateTick(db.get(), 20261208, tick);
    }
    EXPECT_GT(seen, 0);
}

TEST_F(SeededCatalog, StatementPiecesJoinBackThroughTheHash) {
    const Rows statements = db.rows("select address, hash_value, sql_text from \"v$sqlarea\"");
    ASSERT_GE(statements.size(), 30u);
    EXPECT_GE(db.number("select count(*) from \"v$sqlarea\" where hash_value > 2147483647"), 3);
    EXPECT_GE(db.number("select count(*) from (select address from \"v$sqltext\" group by address "
                        "having count(*) between 2 and 4)"),
              3);
    for (const auto& s : statements) {
        const Rows pieces = db.rows("select piece, sql_text, hash_value from \"v$sqltext\" "
                                    "where address='" +
                                    s[0] + "' order by piece");
        std::string joined;
        for (std::size_t i = 0; i < pieces.size(); ++i) {
            EXPECT_EQ(pieces[i][0], std::to_string(i));
            EXPECT_LE(pieces[i][1].size(), 64u);
            joined += pieces[i][1];
            EXPECT_EQ(pieces[i][2], s[1]);
        }
        EXPECT_EQ(joined, s[2]);
    }

    // The capture log query's join, with the capture table standing in as open cursors.
    const Rows log = db.rows(
        "select st.piece, sa.sorts, sa.parse_calls, sa.loads, sa.executions, sa.rows_processed, "
        "sa.first_load_time from \"v$open_cursor\" tot, \"v$sqltext\" st, \"v$sqlarea\" sa where "
        "cast(st.hash_value as text)=cast(tot.hash_value as text) and st.address=tot.address and "
        "st.address=sa.address and sa.hash_value=st.hash_value+case when st.hash_value<0 then "
        "4294967296 else 0 end order by tot.sid,tot.address,tot.hash_value,st.piece");
    EXPECT_EQ(static_cast<std::int64_t>(log.size()),
              db.number("select count(*) from \"v$open_cursor\" oc, \"v$sqltext\" st where "
                        "st.address=oc.address and st.hash_value=oc.hash_value"));
    ASSERT_FALSE(log.empty());
    EXPECT_EQ(log[0][6].size(), 19u); // YYYY-MM-DD/HH24:MI:SS
    EXPECT_EQ(log[0][6][10], '/');
}

TEST_F(SeededCatalog, SessionSqlQueriesFindCursorsAndTheCurrentStatement) {
    const Rows withCursor = db.rows(
        "select s.sid, s.\"serial#\" from \"v$session\" s where s.sql_hash_value <> 0 and exists "
        "(select 1 from \"v$open_cursor\" oc where oc.saddr = s.saddr) order by s.sid");
    ASSERT_FALSE(withCursor.empty());
    const std::string sid = withCursor[0][0];
    const Rows cursors = db.rows(
        " select oc.sid,st.hash_value,st.sql_text from \"v$sqltext\" st,\"v$open_cursor\" oc,"
        "\"v$session\" s where s.sid=" +
        sid +
        " and oc.saddr=s.saddr and st.address=oc.address "
        "and st.hash_value=oc.hash_value order by st.address,st.hash_value,st.piece");
    EXPECT_FALSE(cursors.empty());
    const Rows current =
        db.rows("select st.sql_text from \"v$sqltext\" st,\"v$session\" sn where "
                "st.address=sn.sql_address and st.hash_value=sn.sql_hash_value and sn.sid=" +
                sid + " and sn.\"serial#\"=" + withCursor[0][1] + " order by st.piece");
    EXPECT_FALSE(current.empty());
    EXPECT_EQ(db.number("select count(*) from \"v$open_cursor\" where length(sql_text) > 60"), 0);
    EXPECT_EQ(db.number("select count(*) from \"v$open_cursor\" oc where not exists (select 1 "
                        "from \"v$session\" s where s.saddr = oc.saddr and s.sid = oc.sid)"),
              0);
}

TEST_F(SeededCatalog, BlockingChainWaitsOnATable) {
    const Rows blockers = db.rows("select sid, id1, id2, lmode from \"v$lock\" where block=1 "
                                  "and type='TX'");
    ASSERT_EQ(blockers.size(), 1u);
    EXPECT_EQ(blockers[0][3], "6");
    const Rows waiters = db.rows("select l.sid, l.kaddr, s.lockwait, s.\"row_wait_obj#\" from "
                                 "\"v$lock\" l, \"v$session\" s where s.sid=l.sid and "
                                 "l.request=6 and l.id1=" +
                                 blockers[0][1] + " and l.id2=" + blockers[0][2]);
    ASSERT_EQ(waiters.size(), 2u);
    for (const auto& w : waiters) {
        EXPECT_EQ(w[1], w[2]);
        const Rows object = db.rows("select owner,object_name from dba_objects where "
                                    "object_type='TABLE' and object_id=" +
                                    w[3]);
        EXPECT_EQ(object.size(), 1u);
        const Rows wait = db.rows("select event, p2, p3 from \"v$session_wait\" where sid=" + w[0]);
        ASSERT_EQ(wait.size(), 1u);
        EXPECT_EQ(wait[0][0], "enq: TX - row lock contention");
        EXPECT_EQ(wait[0][1], blockers[0][1]);
        EXPECT_EQ(wait[0][2], blockers[0][2]);
    }
    const Rows locks = db.rows(locksSql(waiters[0][0]));
    EXPECT_GE(locks.size(), 3u);
    bool blocker = false;
    for (const auto& row : locks)
        blocker = blocker || (row[6] == "Exclusive(X)" && row[9] == "1");
    EXPECT_TRUE(blocker);
    EXPECT_GT(db.number("select count(*) from \"v$lock\" where block=0 and lmode>0 and type in "
                        "('TM','TX','MR','RT')"),
              0);
}

TEST_F(SeededCatalog, DatabasePagesAndProbeQueriesHaveRows) {
    EXPECT_EQ(db.text("select banner from \"v$version\""),
              "Oracle Database 19c Enterprise Edition Release 19.0.0.0.0 - Production");
    EXPECT_EQ(db.rows("select * from \"v$database\"").size(), 1u);
    EXPECT_EQ(db.rows("select * from \"v$instance\"").size(), 1u);
    EXPECT_EQ(db.rows("select name,value from \"v$SGA\"").size(), 4u);
    EXPECT_EQ(db.rows("select * from \"v$license\"").size(), 1u);
    EXPECT_GE(db.rows("select * from \"v$nls_parameters\"").size(), 15u);
    EXPECT_GE(db.rows("select * from \"v$system_parameter\" order by name").size(), 200u);
    const Rows events = db.rows(
        "select event,total_waits,total_timeouts,time_waited/100.0 time_waited,average_wait/100.0 "
        "average_wait from \"v$system_event\" order by time_waited desc");
    EXPECT_GE(events.size(), 30u);
    for (const char* combination :
         {"'TRUE','DEFERRED'", "'TRUE','IMMEDIATE'", "'FALSE','FALSE'", "'TRUE','FALSE'",
          "'FALSE','IMMEDIATE'", "'FALSE','DEFERRED'"}) {
        EXPECT_GE(db.number(std::string("select count(*) from \"v$system_parameter\" where "
                                        "(isses_modifiable,issys_modifiable)=(") +
                            combination + ")"),
                  2)
            << combination;
    }
    EXPECT_EQ(db.text("select type||isses_modifiable||issys_modifiable from \"v$system_parameter\" "
                      "where name='timed_statistics'"),
              "1TRUEIMMEDIATE");

    const double libcache = std::stod(
        db.text("select (sum(pins-reloads))*1.0/sum(pins) libcache,datetime('now') probetime from "
                "\"v$librarycache\""));
    EXPECT_GT(libcache, 0.9);
    EXPECT_LE(libcache, 1.0);
    const double rowcache = std::stod(
        db.text("select (sum(gets-getmisses))*1.0/sum(gets) rowcache from \"v$rowcache\""));
    EXPECT_GT(rowcache, 0.5);
    const Rows buffer = db.rows("select name,value from \"v$sysstat\" where name in('db block "
                                "gets','consistent gets','physical reads') order by name");
    ASSERT_EQ(buffer.size(), 3u);
    const double hit =
        1.0 - std::stod(buffer[2][1]) / (std::stod(buffer[0][1]) + std::stod(buffer[1][1]));
    EXPECT_GT(hit, 0.8);
    EXPECT_LT(hit, 1.0);
    EXPECT_GT(db.number("select sum(bytes) bytes from \"v$sgastat\" where name='free memory'"), 0);

    EXPECT_EQ(db.rows("select tablespace_name from dba_tablespaces").size(), 6u);
    const Rows users =
        db.rows("select username,datetime('now') servernow from dba_users order by username");
    for (const char* user : {"DBSNMP", "OUTLN", "SCOTT", "SYS", "SYSTEM"}) {
        bool found = false;
        for (const auto& row : users)
            found = found || row[0] == user;
        EXPECT_TRUE(found) << user;
    }
    EXPECT_EQ(db.number("select count(*) from sbx_accounts"), 4);
}

TEST_F(SeededCatalog, ExtentsLieInsideTheirDataFilesWithoutOverlap) {
    EXPECT_EQ(db.number("select count(*) from dba_extents e left join dba_data_files f on "
                        "f.file_id=e.file_id and f.tablespace_name=e.tablespace_name where "
                        "f.file_id is null or e.block_id+e.blocks>f.blocks"),
              0);
    EXPECT_EQ(db.number("select count(*) from dba_extents a, dba_extents b where a.rowid<b.rowid "
                        "and a.file_id=b.file_id and a.block_id<b.block_id+b.blocks and "
                        "b.block_id<a.block_id+a.blocks"),
              0);
    const Rows extent = db.rows("select file_id, block_id, blocks, owner, segment_name from "
                                "dba_extents where segment_type='TABLE' and owner='APPUSER' "
                                "order by file_id, block_id limit 1");
    ASSERT_EQ(extent.size(), 1u);
    const std::int64_t inside = std::stoll(extent[0][1]) + std::stoll(extent[0][2]) - 1;
    const Rows found = db.rows(
        "select e.file_id,e.block_id,e.owner,e.segment_name,e.segment_type,e.tablespace_name "
        "from dba_extents e,dba_data_files f where e.file_id=f.file_id and e.file_id=" +
        extent[0][0] + " and e.block_id <= " + std::to_string(inside) +
        " and e.block_id+e.blocks>" + std::to_string(inside));
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0][3], extent[0][4]);
    EXPECT_EQ(db.number("select count(*) from dba_objects where object_type='CLUSTER'"), 4);
}

TEST_F(SeededCatalog, CaptureQueriesSeeUserSessionsAndTheirCursors) {
    const Rows sessions = db.rows("select sid,saddr saddr,username,osuser,machine,terminal,program,"
                                  "module,action,client_info from \"v$session\" where type "
                                  "<>'BACKGROUND' order by sid");
    EXPECT_EQ(sessions.size(), 29u);
    const Rows captured = db.rows(
        "select s.osuser osuser,s.machine machine,s.terminal terminal, s.program program,s.module "
        "module,s.action action, s.client_info client_info, oc.saddr saddr, s.sid sid "
        ",s.username username , oc.address address, cast(oc.hash_value as text) hash_value "
        "from \"v$session\" s,\"v$open_cursor\" oc  where s.saddr=oc.saddr  and ( "
        "(s.username='APPUSER') )");
    EXPECT_FALSE(captured.empty());
}

oradb::sandbox::NewSession quenbySession(const char* user) {
    return {user, "jdoe", "CORP\\PC7", "PC7", "quenby", "quenby", "4242"};
}

// Rows of the session-level tables that name no listed session.
std::int64_t orphanRows(const Db& db) {
    std::int64_t orphans = 0;
    for (const char* table :
         {"v$sesstat", "v$session_event", "v$session_wait", "v$open_cursor", "v$lock"}) {
        orphans += db.number(std::string("select count(*) from \"") + table +
                             "\" t where not exists (select 1 from \"v$session\" s where "
                             "s.sid = t.sid)");
    }
    return orphans;
}

TEST_F(SeededCatalog, TicksChangeTheInstanceAndKeepItsSize) {
    const std::string reads = "select value from \"v$sysstat\" where name='session logical reads'";
    const std::int64_t readsBefore = db.number(reads);
    const std::string waits = "select group_concat(sid||':'||\"seq#\"||event, ',') from "
                              "(select * from \"v$session_wait\" order by sid)";
    const std::string waitsBefore = db.text(waits);
    const std::string chainHolders = "select count(*) from \"v$lock\" where block=1";
    for (std::uint64_t tick = 1; tick <= 30; ++tick) {
        oradb::sandbox::simulateTick(db.get(), 20261208, tick);
        if (tick == 10) {
            EXPECT_EQ(db.number(chainHolders), 0);
        }
        if (tick == 20) {
            EXPECT_EQ(db.number(chainHolders), 1);
            EXPECT_EQ(db.number("select count(*) from \"v$session\" where lockwait is not null"),
                      2);
        }
        ASSERT_EQ(db.number("select count(*) from \"v$session\""), 40) << tick;
    }
    EXPECT_EQ(db.text("select value from sbx_meta where key='tick'"), "30");
    EXPECT_EQ(db.text("select value from sbx_meta where key='clock'"), "2024-03-05 14:31:30");
    EXPECT_GT(db.number(reads), readsBefore);
    EXPECT_NE(db.text(waits), waitsBefore);
    EXPECT_EQ(db.number("select count(*) from \"v$sesstat\""),
              40 * db.number("select count(*) from \"v$statname\""));
    EXPECT_EQ(db.number("select count(*) from \"v$session_wait\""), 40);
    EXPECT_EQ(orphanRows(db), 0);
    EXPECT_GT(
        db.number("select count(*) from \"v$session\" where logon_time > '2024-03-05 14:30:00'"),
        0);
    EXPECT_EQ(db.number("select count(*) from (select sid from \"v$session\" group by sid having "
                        "count(*) > 1)"),
              0);
}

// The 19c session columns that other views also show, compared with those views: the
// current wait of v$session_wait, the statement of v$sqlarea, the blocker of v$lock.
void expectSessionColumnsAgree(const Db& db, const std::string& when) {
    EXPECT_EQ(db.number("select count(*) from \"v$session\" s join \"v$session_wait\" w on "
                        "w.sid=s.sid where s.event is not w.event or s.state is not w.state or "
                        "s.seconds_in_wait is not w.seconds_in_wait or s.\"seq#\" is not "
                        "w.\"seq#\" or s.p1 is not w.p1 or s.p2 is not w.p2 or s.p3 is not w.p3 or "
                        "s.wait_class is not w.wait_class or s.wait_time_micro is not "
                        "w.wait_time_micro or s.time_since_last_wait_micro is not "
                        "w.time_since_last_wait_micro"),
              0)
        << when;
    EXPECT_EQ(db.number("select count(*) from \"v$session\" s left join \"v$event_name\" e on "
                        "e.name=s.event where e.wait_class is null or s.wait_class is not "
                        "e.wait_class or s.\"event#\" is not e.\"event#\""),
              0)
        << when;
    EXPECT_EQ(db.number("select count(*) from \"v$session\" s where s.sql_hash_value<>0 and "
                        "s.sql_id is not (select sql_id from \"v$sqlarea\" a where "
                        "a.address=s.sql_address and a.hash_value=s.sql_hash_value)"),
              0)
        << when;
    EXPECT_EQ(db.number("select count(*) from \"v$session\" s where s.prev_hash_value<>0 and "
                        "s.prev_sql_id is not (select sql_id from \"v$sqlarea\" a where "
                        "a.address=s.prev_sql_addr)"),
              0)
        << when;
    // Blocked exactly when requesting a lock that another session holds, by that session.
    const Rows waiters =
        db.rows("select w.sid, h.sid from \"v$lock\" w join \"v$lock\" h on h.type=w.type and "
                "h.id1=w.id1 and h.id2=w.id2 and h.lmode>0 and h.sid<>w.sid where w.request>0 "
                "order by w.sid");
    const Rows blocked = db.rows("select sid, blocking_session from \"v$session\" where "
                                 "blocking_session is not null order by sid");
    EXPECT_EQ(blocked, waiters) << when;
    EXPECT_EQ(db.number("select count(*) from \"v$session\" where (blocking_session is null) <> "
                        "(blocking_session_status <> 'VALID') or (final_blocking_session is "
                        "null) <> (blocking_session is null)"),
              0)
        << when;
    for (const char* view : {"v$session_event", "v$system_event"}) {
        EXPECT_EQ(db.number(std::string("select count(*) from \"") + view +
                            "\" x left join \"v$event_name\" n on n.name=x.event where "
                            "n.wait_class is null or x.wait_class is not n.wait_class or "
                            "x.\"wait_class#\" is not n.\"wait_class#\" or x.event_id is not "
                            "n.event_id"),
                  0)
            << when << " " << view;
    }
    EXPECT_EQ(db.number("select sum(total_waits) from \"v$system_wait_class\""),
              db.number("select sum(total_waits) from \"v$system_event\""))
        << when;
    EXPECT_EQ(db.number("select sum(time_waited) from \"v$session_wait_class\""),
              db.number("select sum(time_waited) from \"v$session_event\""))
        << when;
    EXPECT_EQ(db.number("select count(*) from \"v$temp_space_header\" h join dba_temp_files f "
                        "on f.file_id=h.file_id where h.bytes_used + h.bytes_free <> f.bytes or "
                        "h.blocks_used <> (select coalesce(sum(blocks), 0) from "
                        "\"v$tempseg_usage\")"),
              0)
        << when;
    EXPECT_EQ(db.number("select count(*) from \"v$temp_extent_pool\" p join "
                        "\"v$temp_space_header\" h on h.file_id = p.file_id where "
                        "p.bytes_used <> h.bytes_used or p.bytes_cached < p.bytes_used"),
              0)
        << when;
    for (const char* view : {"v$sqltext", "v$open_cursor"}) {
        EXPECT_EQ(db.number(std::string("select count(*) from \"") + view +
                            "\" x where x.sql_id is not (select sql_id from \"v$sqlarea\" a "
                            "where a.address=x.address and a.hash_value=x.hash_value)"),
                  0)
            << when << " " << view;
    }
    EXPECT_EQ(db.number("select count(*) from \"v$session\" s, sbx_meta m where m.key='clock' "
                        "and (s.sql_exec_start > m.value or (s.sql_exec_start is null) <> "
                        "(s.sql_exec_id is null) or (s.sql_exec_start is not null and "
                        "s.status<>'ACTIVE'))"),
              0)
        << when;
    for (const char* column : {"sql_hash_value", "prev_hash_value"}) {
        EXPECT_EQ(db.number(std::string("select count(*) from \"v$session\" where ") + column +
                            " not between 0 and 4294967295"),
                  0)
            << when;
    }
    for (const char* view : {"v$sqlarea", "v$sqltext", "v$open_cursor"}) {
        EXPECT_EQ(db.number(std::string("select count(*) from \"") + view +
                            "\" where hash_value not between 0 and 4294967295"),
                  0)
            << when;
    }
}

TEST_F(SeededCatalog, ReportsItselfAsOracle19c) {
    EXPECT_EQ(db.text("select version||' '||version_full from \"v$instance\""),
              "19.0.0.0.0 19.3.0.0.0");
    EXPECT_EQ(db.text("select banner_full from \"v$version\""),
              "Oracle Database 19c Enterprise Edition Release 19.0.0.0.0 - Production\n"
              "Version 19.3.0.0.0");
    EXPECT_EQ(db.number("select count(*) from product_component_version where version_full="
                        "'19.3.0.0.0'"),
              4);
    EXPECT_EQ(db.text("select cdb||' '||platform_name from \"v$database\""), "NO Linux x86 64-bit");
}

TEST_F(SeededCatalog, SessionColumnsOf19cAgreeWithWaitsStatementsAndLocks) {
    EXPECT_GT(db.number("select count(*) from \"v$session\" where sql_hash_value>2147483647"), 0);
    for (const auto& row : db.rows("select sql_id from \"v$sqlarea\"")) {
        ASSERT_EQ(row[0].size(), 13u);
        EXPECT_EQ(row[0].find_first_not_of("0123456789abcdfghjkmnpqrstuvwxyz"), std::string::npos)
            << row[0];
    }
    EXPECT_EQ(db.number("select count(distinct sql_id) from \"v$sqlarea\""),
              db.number("select count(*) from \"v$sqlarea\""));
    EXPECT_EQ(db.number("select count(*) from \"v$session\" where blocking_session is not null"),
              2);
    EXPECT_EQ(
        db.number("select count(*) from \"v$session\" s where s.blocking_session is not null "
                  "and (s.event<>'enq: TX - row lock contention' or s.wait_class<>'Application' or "
                  "s.final_blocking_session<>s.blocking_session)"),
        0);
    // A call in progress started last_call_et seconds ago.
    EXPECT_GT(db.number("select count(*) from \"v$session\" where sql_exec_start is not null"), 0);
    EXPECT_EQ(db.number("select count(*) from \"v$session\" s, sbx_meta m where m.key='clock' "
                        "and s.status='ACTIVE' and s.type='USER' and s.sql_id is not null and "
                        "s.sql_exec_start is not datetime(m.value, '-' || s.last_call_et || "
                        "' seconds')"),
              0);
    EXPECT_EQ(db.text("select distinct service_name from \"v$session\" where type='BACKGROUND'"),
              "SYS$BACKGROUND");
    expectSessionColumnsAgree(db, "seeded");
    for (std::uint64_t tick = 1; tick <= 25; ++tick) {
        oradb::sandbox::simulateTick(db.get(), 20261208, tick);
        expectSessionColumnsAgree(db, "tick " + std::to_string(tick));
    }
    // A session that goes takes its blocking with it.
    const std::string holder =
        db.text("select blocking_session from \"v$session\" where blocking_session is not null");
    ASSERT_FALSE(holder.empty());
    oradb::sandbox::removeSession(db.get(), std::stoll(holder));
    EXPECT_EQ(db.number("select count(*) from \"v$session\" where blocking_session=" + holder), 0);
    expectSessionColumnsAgree(db, "after the holder went");
}

// The column names of a table or view, lower case, in order.
std::vector<std::string> columnsOf(const Db& db, const std::string& name) {
    std::vector<std::string> columns;
    for (const auto& row : db.rows("select name from pragma_table_xinfo('" + name + "')"))
        columns.push_back(row[0]);
    return columns;
}

using ViewColumns = std::vector<std::pair<std::string, std::vector<std::string>>>;

// Each view has at least these columns (by name, in any order) and, unless `empty` says it may
// have none, rows.
void expectColumnsAndRows(const Db& db, const ViewColumns& views,
                          const std::function<bool(const std::string&)>& empty = {}) {
    for (const auto& [view, expected] : views) {
        const std::vector<std::string> columns = columnsOf(db, view);
        for (const std::string& column : expected) {
            EXPECT_NE(std::find(columns.begin(), columns.end(), column), columns.end())
                << view << "." << column;
        }
        EXPECT_EQ(db.rows("select * from \"" + view + "\"").empty(), empty && empty(view)) << view;
    }
}

TEST_F(SeededCatalog, ViewsAnswerWithOraclesColumns) {
    const ViewColumns views{
        {"v$process",
         {"addr", "pid", "spid", "pname", "username", "program", "tracefile", "background",
          "pga_used_mem", "pga_alloc_mem", "pga_max_mem"}},
        {"v$parameter",
         {"num", "name", "type", "value", "display_value", "isdefault", "isses_modifiable",
          "issys_modifiable", "ismodified", "description"}},
        {"v$system_parameter",
         {"num", "name", "type", "value", "display_value", "default_value", "isdefault",
          "isses_modifiable", "issys_modifiable", "ispdb_modifiable", "isinstance_modifiable",
          "ismodified", "isadjusted", "isdeprecated", "isbasic", "description", "update_comment",
          "hash", "con_id"}},
        {"v$sql",
         {"sql_text",
          "sql_fulltext",
          "sql_id",
          "executions",
          "buffer_gets",
          "disk_reads",
          "direct_reads",
          "hash_value",
          "plan_hash_value",
          "child_number",
          "child_address",
          "parsing_schema_name",
          "cpu_time",
          "elapsed_time",
          "last_active_time",
          "sql_profile",
          "sql_plan_baseline",
          "exact_matching_signature",
          "force_matching_signature",
          "physical_read_bytes",
          "object_status",
          "is_reoptimizable",
          "avoided_executions"}},
        {"v$system_event",
         {"event", "total_waits", "total_timeouts", "time_waited", "average_wait",
          "time_waited_micro", "total_waits_fg", "total_timeouts_fg", "time_waited_fg",
          "average_wait_fg", "time_waited_micro_fg", "event_id", "wait_class_id", "wait_class#",
          "wait_class", "con_id"}},
        {"v$transaction",
         {"addr", "xidusn", "xidslot", "xidsqn", "status", "start_time", "ses_addr", "used_ublk",
          "used_urec", "start_date", "xid"}},
        {"v$locked_object",
         {"xidusn", "xidslot", "xidsqn", "object_id", "session_id", "oracle_username",
          "os_user_name", "process", "locked_mode"}},
        {"dba_locks",
         {"session_id", "lock_type", "mode_held", "mode_requested", "lock_id1", "lock_id2",
          "last_convert", "blocking_others"}},
        {"dba_waiters",
         {"waiting_session", "holding_session", "lock_type", "mode_held", "mode_requested",
          "lock_id1", "lock_id2"}},
        {"v$session_longops",
         {"sid", "serial#", "opname", "target", "sofar", "totalwork", "units", "start_time",
          "time_remaining", "elapsed_seconds", "message", "sql_id"}},
        {"v$sess_io",
         {"sid", "block_gets", "consistent_gets", "physical_reads", "block_changes",
          "consistent_changes"}},
        {"v$bgprocess", {"paddr", "pserial#", "name", "description", "error"}},
        {"v$waitstat", {"class", "count", "time"}},
        {"v$latch",
         {"addr", "latch#", "level#", "name", "gets", "misses", "sleeps", "immediate_gets",
          "immediate_misses", "spin_gets", "wait_time"}},
        {"v$pgastat", {"name", "value", "unit"}},
        {"v$sga_dynamic_components",
         {"component", "current_size", "min_size", "max_size", "user_specified_size",
          "granule_size"}},
        {"v$resource_limit",
         {"resource_name", "current_utilization", "max_utilization", "initial_allocation",
          "limit_value"}},
        {"v$rollname", {"usn", "name"}},
        {"v$rollstat",
         {"usn", "extents", "rssize", "writes", "xacts", "gets", "waits", "hwmsize", "shrinks",
          "wraps", "extends", "status"}},
        {"dba_rollback_segs",
         {"segment_name", "owner", "tablespace_name", "segment_id", "file_id", "block_id",
          "status"}},
        {"v$datafile",
         {"file#", "creation_change#", "ts#", "rfile#", "status", "enabled", "checkpoint_change#",
          "bytes", "blocks", "block_size", "name"}},
        {"v$tempfile", {"file#", "ts#", "status", "bytes", "blocks", "block_size", "name"}},
        {"v$filestat",
         {"file#", "phyrds", "phywrts", "phyblkrd", "phyblkwrt", "readtim", "writetim", "avgiotim",
          "maxiortm", "maxiowtm"}},
        {"dba_data_files",
         {"file_name", "file_id", "tablespace_name", "bytes", "blocks", "status", "autoextensible",
          "maxbytes", "user_bytes"}},
        {"dba_free_space",
         {"tablespace_name", "file_id", "block_id", "bytes", "blocks", "relative_fno"}},
        {"dba_segments",
         {"owner", "segment_name", "partition_name", "segment_type", "tablespace_name",
          "header_file", "header_block", "bytes", "blocks", "extents"}},
        {"dba_tables",
         {"owner", "table_name", "tablespace_name", "status", "num_rows", "blocks", "avg_row_len",
          "last_analyzed", "partitioned", "temporary"}},
        {"dba_temp_files",
         {"file_name", "file_id", "tablespace_name", "bytes", "blocks", "status", "autoextensible",
          "maxbytes"}},
        {"dba_tablespaces",
         {"tablespace_name", "block_size", "status", "contents", "extent_management",
          "segment_space_management", "bigfile"}},
        {"v$sort_usage",
         {"username", "user", "session_addr", "session_num", "sql_id", "tablespace", "segtype",
          "extents", "blocks"}},
        {"v$tempseg_usage", {"username", "session_addr", "tablespace", "blocks"}},
        {"obj$", {"obj#", "dataobj#", "owner#", "name", "type#", "ctime", "mtime", "status"}},
        {"user$", {"user#", "name", "type#", "password", "datats#", "tempts#", "ctime", "astatus"}},
        {"nls_session_parameters", {"parameter", "value"}},
        {"nls_instance_parameters", {"parameter", "value"}},
        {"nls_database_parameters", {"parameter", "value"}},
        {"v$event_name",
         {"event#", "event_id", "name", "parameter1", "wait_class_id", "wait_class#",
          "wait_class"}},
        {"v$session",
         {"sql_id", "prev_sql_id", "sql_child_number", "event", "wait_class", "state",
          "wait_time_micro", "seconds_in_wait", "blocking_session", "blocking_session_status",
          "final_blocking_session", "service_name", "module", "action", "client_identifier",
          "client_info", "con_id"}},
    };
    expectColumnsAndRows(db, views);
    // the archived logs are in the destination that v$archive_dest names, which fills the
    // recovery area as v$recovery_area_usage says
    EXPECT_EQ(db.number("select count(*) from \"v$archived_log\" l join \"v$archive_dest\" d "
                        "on d.dest_id = l.dest_id where l.name not like d.destination || '/%'"),
              0);
    EXPECT_EQ(db.number("select count(*) from \"v$archive_dest\""), 31);
    EXPECT_EQ(db.number("select number_of_files from \"v$recovery_area_usage\" "
                        "where file_type = 'ARCHIVED LOG'"),
              db.number("select number_of_files from \"v$recovery_file_dest\""));
    EXPECT_EQ(db.number("select count(*) from \"v$asm_diskgroup\""), 0);
    // foreground waits: all of a session's event, none of a background process's
    EXPECT_EQ(db.number("select count(*) from \"v$system_event\" where total_waits_fg not in "
                        "(0, total_waits) or time_waited_fg > time_waited"),
              0);
    EXPECT_EQ(db.number("select total_waits_fg from \"v$system_event\" "
                        "where event = 'log file parallel write'"),
              0);
    EXPECT_GT(db.number("select total_waits_fg from \"v$system_event\" "
                        "where event = 'db file sequential read'"),
              0);
    EXPECT_EQ(db.text("select group_concat(username) from (select username from dba_users "
                      "where oracle_maintained='Y' order by username)"),
              "DBSNMP,OUTLN,SYS,SYSTEM,WMSYS");
    EXPECT_EQ(db.number("select count(*) from dba_objects o join dba_users u on "
                        "u.username=o.owner where o.oracle_maintained<>u.oracle_maintained"),
              0);
    EXPECT_EQ(db.text("select group_concat(username) from (select username from dba_users "
                      "where oracle_maintained='Y' order by username)"),
              "DBSNMP,OUTLN,SYS,SYSTEM,WMSYS");
    EXPECT_EQ(db.number("select count(*) from dba_objects o join dba_users u on "
                        "u.username=o.owner where o.oracle_maintained<>u.oracle_maintained"),
              0);
    EXPECT_EQ(db.text("select value from nls_database_parameters where "
                      "parameter='NLS_RDBMS_VERSION'"),
              "19.0.0.0.0");
    EXPECT_EQ(db.number("select count(*) from \"v$parameter\""),
              db.number("select count(*) from \"v$system_parameter\""));
    EXPECT_EQ(db.number("select count(*) from \"v$sql\" group by sql_id having count(*) > 2"), 0);
    EXPECT_EQ(db.number("select count(distinct sql_id) from \"v$sql\""),
              db.number("select count(*) from \"v$sqlarea\""));
}

TEST_F(SeededCatalog, PlansSegmentStatisticsAndLibraryCacheAgreeWithTheirSources) {
    const ViewColumns views{
        {"v$sql_plan",
         {"address",
          "hash_value",
          "sql_id",
          "plan_hash_value",
          "full_plan_hash_value",
          "child_address",
          "child_number",
          "timestamp",
          "operation",
          "options",
          "object_node",
          "object#",
          "object_owner",
          "object_name",
          "object_alias",
          "object_type",
          "optimizer",
          "id",
          "parent_id",
          "depth",
          "position",
          "search_columns",
          "cost",
          "cardinality",
          "bytes",
          "cpu_cost",
          "io_cost",
          "temp_space",
          "access_predicates",
          "filter_predicates",
          "projection",
          "time",
          "qblock_name",
          "con_id"}},
        {"v$sql_plan_statistics_all",
         {"sql_id",
          "plan_hash_value",
          "child_number",
          "id",
          "operation",
          "options",
          "object_name",
          "cost",
          "cardinality",
          "executions",
          "last_starts",
          "starts",
          "last_output_rows",
          "output_rows",
          "last_cr_buffer_gets",
          "cr_buffer_gets",
          "last_cu_buffer_gets",
          "cu_buffer_gets",
          "last_disk_reads",
          "disk_reads",
          "last_elapsed_time",
          "elapsed_time",
          "policy",
          "last_memory_used",
          "last_execution",
          "active_time",
          "con_id"}},
        {"v$sql_plan_statistics",
         {"sql_id", "plan_hash_value", "child_number", "operation_id", "executions", "starts",
          "output_rows", "cr_buffer_gets", "disk_reads", "elapsed_time"}},
        {"v$segment_statistics",
         {"owner", "object_name", "subobject_name", "tablespace_name", "ts#", "obj#", "dataobj#",
          "object_type", "statistic_name", "statistic#", "value", "con_id"}},
        {"v$segstat", {"ts#", "obj#", "dataobj#", "statistic_name", "statistic#", "value"}},
        {"v$segstat_name", {"statistic#", "name", "sampled"}},
        {"v$db_object_cache",
         {"owner",
          "name",
          "db_link",
          "namespace",
          "type",
          "sharable_mem",
          "loads",
          "executions",
          "locks",
          "pins",
          "kept",
          "child_latch",
          "invalidations",
          "hash_value",
          "lock_mode",
          "pin_mode",
          "status",
          "timestamp",
          "previous_timestamp",
          "locked_total",
          "pinned_total",
          "property",
          "full_hash_value",
          "con_id"}},
        {"v$access", {"sid", "owner", "object", "type", "con_id"}},
        {"dba_ddl_locks", {"session_id", "owner", "name", "type", "mode_held", "mode_requested"}},
        {"dba_dml_locks",
         {"session_id", "owner", "name", "mode_held", "mode_requested", "last_convert",
          "blocking_others"}},
        {"v$lock_type",
         {"type", "name", "id1_tag", "id2_tag", "is_user", "is_recycle", "description"}},
        {"v$enqueue_stat",
         {"inst_id", "eq_type", "total_req#", "total_wait#", "succ_req#", "failed_req#",
          "cum_wait_time"}},
        {"v$enqueue_statistics",
         {"eq_name", "eq_type", "req_reason", "total_req#", "total_wait#", "succ_req#",
          "failed_req#", "cum_wait_time", "req_description", "event#"}},
    };
    expectColumnsAndRows(db, views);

    // Every child cursor with a plan has one, with the cursor's plan hash and address, a
    // statement line 0 and every other line under an earlier one, one level deeper.
    EXPECT_EQ(db.rows("select distinct sql_id, child_number, plan_hash_value, address, "
                      "child_address from \"v$sql_plan\" order by 1, 2"),
              db.rows("select sql_id, child_number, plan_hash_value, address, child_address "
                      "from \"v$sql\" where plan_hash_value > 0 and command_type in "
                      "(2, 3, 6, 7) order by 1, 2"));
    EXPECT_EQ(db.number("select count(*) from \"v$sql_plan\" where id=0 and (parent_id is not "
                        "null or depth<>0 or operation not like '% STATEMENT')"),
              0);
    EXPECT_EQ(db.number("select count(*) from \"v$sql_plan\" p where p.id>0 and not exists "
                        "(select 1 from \"v$sql_plan\" q where q.sql_id=p.sql_id and "
                        "q.child_number=p.child_number and q.id=p.parent_id and "
                        "q.depth=p.depth-1)"),
              0);
    EXPECT_EQ(db.number("select count(*) from \"v$sql_plan\" p join dba_objects o on "
                        "o.object_id=p.\"object#\" where o.owner<>p.object_owner or "
                        "o.object_name<>p.object_name"),
              0);
    EXPECT_EQ(db.text("select p.operation||' '||p.options||' '||p.object_name from \"v$sql_plan\" "
                      "p join \"v$sql\" s on s.sql_id=p.sql_id and s.child_number=p.child_number "
                      "where s.sql_text like 'SELECT CUSTOMER_ID, NAME, CITY%' and "
                      "s.child_number=0 and p.id=2"),
              "INDEX UNIQUE SCAN CUSTOMERS_PK");
    EXPECT_GT(db.number("select count(*) from \"v$sql_plan\" where operation='TABLE ACCESS' "
                        "and options='FULL'"),
              0);

    // Row source statistics: a line for every plan line; the statement's line counts its
    // cursor's work, and no line counts more than the line above it.
    EXPECT_EQ(db.number("select count(*) from \"v$sql_plan_statistics_all\""),
              db.number("select count(*) from \"v$sql_plan\""));
    EXPECT_EQ(db.number("select count(*) from \"v$sql_plan_statistics_all\" p join \"v$sql\" q "
                        "on q.sql_id=p.sql_id and q.child_number=p.child_number where p.id=0 and "
                        "(p.cr_buffer_gets<>q.buffer_gets or p.executions<>q.executions or "
                        "p.elapsed_time<>q.elapsed_time)"),
              0);
    EXPECT_EQ(db.number("select count(*) from \"v$sql_plan_statistics_all\" c join "
                        "\"v$sql_plan_statistics_all\" p on p.sql_id=c.sql_id and "
                        "p.child_number=c.child_number and p.id=c.parent_id where "
                        "c.cr_buffer_gets>p.cr_buffer_gets or c.elapsed_time>p.elapsed_time"),
              0);
    EXPECT_EQ(db.rows("select sql_id, child_number, operation_id, starts from "
                      "\"v$sql_plan_statistics\" order by 1, 2, 3"),
              db.rows("select sql_id, child_number, id, starts from "
                      "\"v$sql_plan_statistics_all\" order by 1, 2, 3"));

    // Segment statistics: one row per statistic of every object's segment, the space
    // allocated being the segment's bytes.
    EXPECT_EQ(db.number("select count(*) from \"v$segment_statistics\""),
              db.number("select count(*) from \"v$segstat_name\"") *
                  db.number("select count(*) from dba_segments g join dba_objects o on "
                            "o.owner=g.owner and o.object_name=g.segment_name and "
                            "o.object_type=g.segment_type"));
    EXPECT_EQ(db.number("select count(*) from \"v$segment_statistics\" s join dba_segments g on "
                        "g.owner=s.owner and g.segment_name=s.object_name and "
                        "g.segment_type=s.object_type where s.statistic_name='space allocated' "
                        "and s.value<>g.bytes"),
              0);
    EXPECT_EQ(db.number("select count(*) from \"v$segment_statistics\" where statistic_name="
                        "'row lock waits' and value < (select count(*) from \"v$session\" s "
                        "where s.\"row_wait_obj#\"=\"obj#\" and s.event='enq: TX - row lock "
                        "contention')"),
              0);
    EXPECT_EQ(db.number("select count(*) from (select \"ts#\", \"obj#\", statistic_name, value "
                        "from \"v$segstat\" except select \"ts#\", \"obj#\", statistic_name, "
                        "value from \"v$segment_statistics\")"),
              0);
    EXPECT_GT(db.number("select count(*) from \"v$segment_statistics\" where owner='APPUSER' "
                        "and statistic_name='logical reads' and value>0"),
              0);

    // The library cache holds every cursor of the shared SQL area.
    EXPECT_EQ(db.number("select count(*) from \"v$db_object_cache\" where namespace='SQL AREA'"),
              db.number("select count(*) from \"v$sqlarea\""));
    EXPECT_EQ(db.number("select count(*) from \"v$db_object_cache\" c join \"v$sqlarea\" a on "
                        "a.address=c.addr where c.hash_value<>a.hash_value"),
              0);
}

TEST_F(SeededCatalog, DmlAndDdlLocksAndEnqueuesAgreeWithTheLocks) {
    db.seed(400);
    for (std::uint64_t tick = 1; tick <= 14; ++tick) {
        oradb::sandbox::simulateTick(db.get(), 20261208, tick);
        if (tick % 7 != 0)
            continue;
        const std::string when = "tick " + std::to_string(tick);
        // The DML locks held are the locked objects, by session and object.
        EXPECT_EQ(db.rows("select d.session_id, o.object_id from dba_dml_locks d join "
                          "dba_objects o on o.owner=d.owner and o.object_name=d.name and "
                          "o.object_type='TABLE' where d.mode_held<>'None' order by 1, 2"),
                  db.rows("select session_id, object_id from \"v$locked_object\" order by 1, 2"))
            << when;
        EXPECT_EQ(db.number("select count(*) from dba_dml_locks"),
                  db.number("select count(*) from \"v$lock\" where type='TM'"))
            << when;
        // A session accesses the tables it holds a DML lock on, with a dictionary lock on each.
        EXPECT_EQ(db.number("select count(*) from dba_dml_locks d where d.mode_held<>'None' and "
                            "not exists (select 1 from \"v$access\" a where a.sid=d.session_id "
                            "and a.owner=d.owner and a.object=d.name)"),
                  0)
            << when;
        EXPECT_EQ(db.number("select count(*) from dba_ddl_locks"),
                  db.number("select count(*) from \"v$access\""))
            << when;
        // The objects accessed are objects of the dictionary.
        EXPECT_EQ(db.number("select count(*) from \"v$access\" a where not exists (select 1 "
                            "from dba_objects o where o.owner=a.owner and o.object_name="
                            "a.object)"),
                  0)
            << when;
        // Every lock type held has its name and its enqueue figures.
        EXPECT_EQ(db.number("select count(distinct l.type) from \"v$lock\" l where not exists "
                            "(select 1 from \"v$lock_type\" t where t.type=l.type)"),
                  0)
            << when;
        EXPECT_EQ(db.number("select count(*) from \"v$enqueue_stat\" where \"succ_req#\" + "
                            "\"failed_req#\" <> \"total_req#\" or \"total_wait#\" > "
                            "\"total_req#\""),
                  0)
            << when;
        EXPECT_EQ(db.number("select \"total_wait#\" from \"v$enqueue_stat\" where eq_type='TX'"),
                  db.number("select sum(total_waits) from \"v$system_event\" where event like "
                            "'enq: TX%'"))
            << when;
    }
    EXPECT_GT(db.number("select count(*) from dba_dml_locks"), 0);
    EXPECT_GT(db.number("select count(*) from \"v$access\""), 0);
}

TEST_F(SeededCatalog, ConnectionsServicesAndInstanceViewsAgreeWithTheInstance) {
    const ViewColumns views{
        {"v$session_connect_info",
         {"sid", "serial#", "authentication_type", "osuser", "network_service_banner",
          "client_charset", "client_connection", "client_oci_library", "client_version",
          "client_driver", "client_lobattr", "client_regid", "con_id"}},
        {"v$services",
         {"service_id", "name", "name_hash", "network_name", "creation_date", "creation_date_hash",
          "goal", "dtp", "aq_ha_notification", "clb_goal", "commit_outcome", "global", "pdb",
          "con_id"}},
        {"v$active_services",
         {"service_id", "name", "name_hash", "network_name", "creation_date", "goal", "blocked",
          "con_name", "con_id"}},
        {"v$latchname", {"latch#", "name", "display_name", "hash", "type", "con_id"}},
        {"v$sql_workarea_active",
         {"sql_hash_value", "sql_id",        "sql_exec_start", "sql_exec_id",   "workarea_address",
          "operation_type", "operation_id",  "policy",         "sid",           "qcinst_id",
          "qcsid",          "active_time",   "work_area_size", "expected_size", "actual_mem_used",
          "max_mem_used",   "number_passes", "tempseg_size",   "tablespace",    "segrfno#",
          "segblk#",        "con_id"}},
        {"v$timer", {"hsecs", "con_id"}},
        {"v$option", {"parameter", "value", "con_id"}},
        {"v$spparameter",
         {"family", "sid", "name", "type", "value", "display_value", "isspecified", "ordinal",
          "update_comment", "con_id"}},
        {"v$diag_info", {"inst_id", "name", "value", "con_id"}},
        {"v$recovery_file_dest",
         {"name", "space_limit", "space_used", "space_reclaimable", "number_of_files", "con_id"}},
        {"v$containers",
         {"con_id", "dbid", "con_uid", "guid", "name", "open_mode", "restricted", "open_time",
          "create_scn", "total_size", "block_size", "recovery_status"}},
        {"v$pdbs",
         {"con_id", "dbid", "con_uid", "guid", "name", "open_mode", "restricted", "open_time",
          "create_scn", "total_size", "block_size", "recovery_status"}},
    };
    // A database that is no container database has no pluggable databases.
    expectColumnsAndRows(db, views, [](const std::string& view) { return view == "v$pdbs"; });

    // Every session has its connection rows: the network's banners for a client's session.
    EXPECT_EQ(db.number("select count(*) from \"v$session\" s where not exists (select 1 from "
                        "\"v$session_connect_info\" c where c.sid=s.sid and "
                        "c.\"serial#\"=s.\"serial#\")"),
              0);
    EXPECT_EQ(db.number("select count(*) from \"v$session_connect_info\" c join \"v$session\" "
                        "s on s.sid=c.sid where (s.type='BACKGROUND') <> "
                        "(c.network_service_banner is null)"),
              0);
    // The sessions' services are services of the instance, all of them active.
    EXPECT_EQ(db.number("select count(*) from \"v$session\" s where not exists (select 1 from "
                        "\"v$active_services\" a where a.name=s.service_name)"),
              0);
    EXPECT_EQ(db.rows("select name from \"v$services\" order by 1"),
              db.rows("select name from \"v$active_services\" order by 1"));
    EXPECT_EQ(db.rows("select \"latch#\", name from \"v$latchname\" order by 1"),
              db.rows("select \"latch#\", name from \"v$latch\" order by 1"));
    // Work areas that spilled to disk are the sort segments of their sessions.
    EXPECT_EQ(db.number("select count(*) from \"v$sql_workarea_active\" w join \"v$session\" s "
                        "on s.sid=w.sid where w.sql_id is not s.sql_id or w.actual_mem_used > "
                        "w.work_area_size"),
              0);
    EXPECT_EQ(db.number("select coalesce(sum(tempseg_size), 0) from \"v$sql_workarea_active\""),
              db.number("select coalesce(sum(u.blocks), 0) * 8192 from \"v$tempseg_usage\" u "
                        "join \"v$session\" s on s.saddr=u.session_addr join "
                        "\"v$sql_workarea_active\" w on w.sid=s.sid"));
    EXPECT_GT(db.number("select count(*) from \"v$sql_workarea_active\""), 0);
    // The server parameter file sets what the instance's parameters set.
    EXPECT_EQ(db.number("select count(*) from \"v$spparameter\" p join \"v$system_parameter\" s "
                        "on s.name=p.name where (p.isspecified='TRUE') <> (s.isdefault='FALSE') "
                        "or (p.isspecified='TRUE' and p.value is not s.value)"),
              0);
    EXPECT_EQ(db.text("select value from \"v$diag_info\" where name='Default Trace File'"),
              db.text("select p.tracefile from \"v$process\" p join \"v$session\" s on "
                      "s.paddr=p.addr where s.sid=1"));
    EXPECT_EQ(db.text("select value from \"v$diag_info\" where name='ADR Base'"),
              db.text("select value from \"v$system_parameter\" where name='diagnostic_dest'"));
    EXPECT_EQ(db.number("select count(*) from \"v$recovery_file_dest\" where space_used > "
                        "space_limit or space_reclaimable > space_used or number_of_files > "
                        "(select count(*) from \"v$archived_log\")"),
              0);
    EXPECT_EQ(db.text("select con_id||' '||name from \"v$containers\""),
              "0 " + db.text("select name from \"v$database\""));
    EXPECT_EQ(db.number("select count(*) from \"v$timer\" where hsecs between 0 and "
                        "4294967295"),
              1);
}

TEST_F(SeededCatalog, DictionaryOfColumnsPrivilegesAndJobsAgreesWithTheObjects) {
    const ViewColumns views{
        {"dba_tab_columns",
         {"owner", "table_name", "column_name", "data_type", "data_length", "data_precision",
          "data_scale", "nullable", "column_id", "num_distinct", "density", "num_nulls",
          "last_analyzed", "avg_col_len", "char_length", "histogram"}},
        {"dba_ind_columns",
         {"index_owner", "index_name", "table_owner", "table_name", "column_name",
          "column_position", "column_length", "char_length", "descend"}},
        {"dba_views",
         {"owner", "view_name", "text_length", "text", "text_vc", "read_only", "bequeath"}},
        {"dba_roles",
         {"role", "role_id", "password_required", "authentication_type", "common",
          "oracle_maintained"}},
        {"dba_role_privs",
         {"grantee", "granted_role", "admin_option", "delegate_option", "default_role", "common"}},
        {"dba_sys_privs", {"grantee", "privilege", "admin_option", "common", "inherited"}},
        {"dba_profiles", {"profile", "resource_name", "resource_type", "limit", "common"}},
        {"dba_registry",
         {"comp_id", "comp_name", "version", "version_full", "status", "modified", "namespace",
          "control", "schema", "procedure", "startup", "parent_id", "other_schemas"}},
        {"dba_jobs",
         {"job", "log_user", "priv_user", "schema_user", "last_date", "last_sec", "this_date",
          "next_date", "next_sec", "total_time", "broken", "interval", "failures", "what",
          "nls_env", "instance"}},
        {"dba_scheduler_jobs",
         {"owner", "job_name", "job_type", "job_action", "schedule_type", "start_date",
          "repeat_interval", "job_class", "enabled", "state", "run_count", "failure_count",
          "last_start_date", "last_run_duration", "next_run_date", "comments"}},
        {"user_tables", {"table_name", "tablespace_name", "num_rows", "blocks", "last_analyzed"}},
        {"all_tables", {"owner", "table_name", "tablespace_name", "num_rows"}},
        {"user_segments", {"segment_name", "segment_type", "tablespace_name", "bytes", "blocks"}},
        {"user_objects", {"object_name", "object_id", "object_type", "created", "status"}},
        {"all_objects", {"owner", "object_name", "object_id", "object_type", "status"}},
        {"user_tab_columns", {"table_name", "column_name", "data_type", "column_id"}},
        {"user_indexes", {"index_name", "table_owner", "table_name", "uniqueness"}},
        {"user_ind_columns", {"index_name", "table_name", "column_name", "column_position"}},
        {"user_role_privs", {"username", "granted_role", "admin_option", "default_role"}},
        {"user_sys_privs", {"username", "privilege", "admin_option"}},
        {"all_users", {"username", "user_id", "created", "oracle_maintained"}},
    };
    g_currentUser = "SCOTT";
    expectColumnsAndRows(db, views);
    // The user_ forms lack the owner; they show the current schema's rows.
    const std::vector<std::string> userTables = columnsOf(db, "user_tables");
    EXPECT_EQ(std::count(userTables.begin(), userTables.end(), "owner"), 0);
    EXPECT_EQ(userTables.size() + 1, columnsOf(db, "dba_tables").size());
    EXPECT_EQ(db.rows("select table_name, num_rows from user_tables order by 1"),
              db.rows("select table_name, num_rows from dba_tables where owner='SCOTT' order "
                      "by 1"));
    EXPECT_EQ(db.number("select count(*) from all_objects"),
              db.number("select count(*) from dba_objects"));
    EXPECT_EQ(db.rows("select granted_role from user_role_privs order by 1"),
              db.rows("select role from session_roles order by 1"));

    // Every application table has its columns, numbered from one without gaps, and every
    // index's columns are columns of its table.
    EXPECT_EQ(db.number("select count(*) from dba_tables t where t.owner in ('APPUSER', 'HR', "
                        "'SCOTT') and not exists (select 1 from dba_tab_columns c where "
                        "c.owner=t.owner and c.table_name=t.table_name)"),
              0);
    EXPECT_EQ(db.number("select count(*) from (select owner, table_name from dba_tab_columns "
                        "group by owner, table_name having max(column_id)<>count(*) or "
                        "min(column_id)<>1)"),
              0);
    EXPECT_EQ(db.number("select count(*) from dba_ind_columns i where not exists (select 1 "
                        "from dba_tab_columns c where c.owner=i.table_owner and "
                        "c.table_name=i.table_name and c.column_name=i.column_name)"),
              0);
    EXPECT_EQ(db.number("select count(*) from dba_indexes x where x.table_name is null or not "
                        "exists (select 1 from dba_ind_columns i where i.index_owner=x.owner and "
                        "i.index_name=x.index_name and i.table_name=x.table_name)"),
              db.number("select count(*) from dba_indexes where owner in ('SYS', 'SYSTEM', "
                        "'OUTLN')"));
    EXPECT_EQ(db.number("select count(*) from dba_views"),
              db.number("select count(*) from dba_objects where object_type='VIEW'"));
    EXPECT_EQ(db.number("select count(*) from dba_views where text_length<>length(text)"), 0);

    // Grants name users and roles that exist; every user's profile has its limits.
    EXPECT_EQ(db.number("select count(*) from dba_role_privs p where not exists (select 1 from "
                        "dba_roles r where r.role=p.granted_role)"),
              0);
    EXPECT_EQ(db.number("select count(*) from dba_sys_privs p where p.grantee not in (select "
                        "role from dba_roles) and p.grantee not in (select username from "
                        "dba_users)"),
              0);
    EXPECT_EQ(db.number("select count(*) from dba_users u where (select count(*) from "
                        "dba_profiles p where p.profile=u.profile)<>17"),
              0);
    EXPECT_EQ(db.text("select status from dba_registry where comp_id='CATALOG'"), "VALID");
    // Jobs ran before the instance's clock and run next after it, unless broken or disabled.
    const std::string clock = db.text("select value from sbx_meta where key='clock'");
    EXPECT_EQ(db.number("select count(*) from dba_jobs where last_date>'" + clock +
                        "' or (broken='N' and next_date<='" + clock + "')"),
              0);
    EXPECT_EQ(db.number("select count(*) from dba_scheduler_jobs where last_start_date>'" + clock +
                        "' or (enabled='TRUE' and next_run_date<='" + clock + "')"),
              0);
    EXPECT_EQ(db.number("select count(*) from dba_jobs j where not exists (select 1 from "
                        "dba_users u where u.username=j.log_user)"),
              0);
}

TEST_F(SeededCatalog, ProcessesTransactionsAndLocksAgreeWithSessions) {
    db.seed(400);
    for (std::uint64_t tick = 0; tick <= 21; tick += 7) {
        if (tick > 0) {
            for (std::uint64_t t = tick - 6; t <= tick; ++t)
                oradb::sandbox::simulateTick(db.get(), 20261208, t);
        }
        const std::string when = "tick " + std::to_string(tick);
        EXPECT_EQ(db.number("select count(*) from \"v$session\" s where not exists (select 1 "
                            "from \"v$process\" p where p.addr=s.paddr)"),
                  0)
            << when;
        EXPECT_EQ(db.number("select count(*) from \"v$process\""),
                  db.number("select count(*) from \"v$session\"") + 1)
            << when;
        EXPECT_EQ(db.number("select count(distinct addr) from \"v$process\""),
                  db.number("select count(*) from \"v$process\""))
            << when;
        EXPECT_EQ(db.number("select count(*) from \"v$process\" p join \"v$session\" s on "
                            "s.paddr=p.addr where (s.type='BACKGROUND') <> (p.pname is not "
                            "null) or p.pga_used_mem > p.pga_alloc_mem"),
                  0)
            << when;
        // Every session with a transaction has its v$transaction row, and the other way.
        EXPECT_EQ(db.rows("select taddr from \"v$session\" where taddr is not null order by 1"),
                  db.rows("select addr from \"v$transaction\" order by 1"))
            << when;
        EXPECT_EQ(db.number("select count(*) from \"v$transaction\" t join \"v$session\" s on "
                            "s.saddr=t.ses_addr where s.taddr is not t.addr"),
                  0)
            << when;
        EXPECT_EQ(db.number("select count(*) from \"v$locked_object\""),
                  db.number("select count(*) from \"v$lock\" where type='TM' and lmode>0"))
            << when;
        EXPECT_EQ(db.number("select sum(xacts) from \"v$rollstat\""),
                  db.number("select count(*) from \"v$transaction\""))
            << when;
        // Blocking as v$lock, dba_waiters and v$session tell it.
        const Rows fromLocks =
            db.rows("select w.sid, h.sid from \"v$lock\" w join \"v$lock\" h on h.type=w.type and "
                    "h.id1=w.id1 and h.id2=w.id2 and h.lmode>0 and h.sid<>w.sid where w.request>0 "
                    "order by 1, 2");
        EXPECT_EQ(db.rows("select waiting_session, holding_session from dba_waiters order by "
                          "1, 2"),
                  fromLocks)
            << when;
        EXPECT_EQ(db.rows("select sid, blocking_session from \"v$session\" where "
                          "blocking_session is not null order by 1, 2"),
                  fromLocks)
            << when;
        EXPECT_EQ(db.rows("select distinct holding_session from dba_blockers order by 1"),
                  db.rows("select distinct session_id from dba_locks where blocking_others="
                          "'Blocking' order by 1"))
            << when;
        EXPECT_EQ(db.number("select count(*) from dba_locks"),
                  db.number("select count(*) from \"v$lock\""))
            << when;
        EXPECT_EQ(db.number("select count(*) from \"v$sess_io\" i join \"v$sesstat\" st on "
                            "st.sid=i.sid join \"v$statname\" n on n.\"statistic#\"="
                            "st.\"statistic#\" and n.name='consistent gets' where "
                            "st.value<>i.consistent_gets"),
                  0)
            << when;
        EXPECT_EQ(db.number("select count(*) from \"v$sess_io\""),
                  db.number("select count(*) from \"v$session\""))
            << when;
    }
    EXPECT_GT(db.number("select count(*) from \"v$transaction\""), 0);
    // start_time is the text of start_date as MM/DD/YY HH24:MI:SS
    for (const auto& t : db.rows("select start_time, start_date from \"v$transaction\"")) {
        ASSERT_EQ(t[0].size(), 17u) << t[0];
        EXPECT_EQ(t[0].substr(0, 6) + t[0].substr(6, 2),
                  t[1].substr(5, 2) + "/" + t[1].substr(8, 2) + "/" + t[1].substr(2, 2));
        EXPECT_EQ(t[0].substr(9), t[1].substr(11, 8));
    }
    EXPECT_GT(db.number("select count(*) from dba_waiters"), 0);
}

TEST_F(SeededCatalog, SpaceAddsUpPerTablespaceAndFile) {
    // Free and used space make up the user bytes of every tablespace's data files.
    const Rows tablespaces = db.rows(
        "select t.tablespace_name, (select sum(user_bytes) from dba_data_files f where "
        "f.tablespace_name=t.tablespace_name), coalesce((select sum(bytes) from dba_free_space "
        "f where f.tablespace_name=t.tablespace_name), 0), coalesce((select sum(bytes) from "
        "dba_segments g where g.tablespace_name=t.tablespace_name), 0) from dba_tablespaces t "
        "where t.contents<>'TEMPORARY'");
    ASSERT_EQ(tablespaces.size(), 5u);
    for (const auto& t : tablespaces) {
        EXPECT_EQ(std::stoll(t[2]) + std::stoll(t[3]), std::stoll(t[1])) << t[0];
        EXPECT_GT(std::stoll(t[2]), 0) << t[0];
    }
    EXPECT_GT(db.number("select sum(bytes) from dba_segments where tablespace_name='SYSTEM'"), 0);
    // Free chunks lie after the last extent of their file, inside the file.
    EXPECT_EQ(db.number("select count(*) from dba_free_space s join dba_data_files f on "
                        "f.file_id=s.file_id where s.block_id + s.blocks > f.blocks + 1 or "
                        "exists (select 1 from dba_extents e where e.file_id=s.file_id and "
                        "e.block_id + e.blocks > s.block_id)"),
              0);
    EXPECT_EQ(db.number("select sum(blocks) from dba_segments"),
              db.number("select sum(blocks) from dba_extents"));
    EXPECT_EQ(db.number("select count(*) from \"v$datafile\""),
              db.number("select count(*) from dba_data_files"));
    EXPECT_EQ(db.number("select count(*) from \"v$datafile\" d join dba_data_files f on "
                        "f.file_id=d.\"file#\" where d.bytes<>f.bytes or d.name<>f.file_name"),
              0);
    EXPECT_EQ(db.rows("select \"file#\" from \"v$filestat\" order by 1"),
              db.rows("select \"file#\" from \"v$datafile\" order by 1"));
    EXPECT_EQ(db.text("select name from \"v$tempfile\""), "/u02/oradata/PROD/temp01.dbf");
    EXPECT_EQ(db.rows("select name from \"v$rollname\" order by usn").size(), 11u);
    EXPECT_EQ(db.number("select count(*) from \"v$sga_dynamic_components\" where current_size % "
                        "granule_size <> 0"),
              0);
    EXPECT_GE(db.number("select current_size from \"v$sga_dynamic_components\" where "
                        "component='shared pool'"),
              db.number("select sum(bytes) from \"v$sgastat\" where pool='shared pool'"));
    EXPECT_EQ(db.number("select sum(count) from \"v$waitstat\""),
              db.number("select total_waits from \"v$system_event\" where "
                        "event='buffer busy waits'"));
    EXPECT_EQ(db.number("select value from \"v$pgastat\" where name='process count'"),
              db.number("select count(*) from \"v$process\""));
}

TEST_F(SeededCatalog, MetricsHistogramsAndIoByFileAgreeWithTheStatistics) {
    // metrics: the ratios and counts of the instance now, an hour of minutes behind them
    EXPECT_NEAR(db.real("select value from \"v$sysmetric\" where group_id = 2 and "
                        "metric_name = 'Buffer Cache Hit Ratio'"),
                100.0 * (1 - db.real("select value from \"v$sysstat\" where name = "
                                     "'physical reads'") /
                                 db.real("select value from \"v$sysstat\" where name = "
                                         "'session logical reads'")),
                1e-6);
    // the background processes have written since startup, as the sessions have changed blocks
    // and committed
    EXPECT_GT(db.real("select value from \"v$sysmetric\" where group_id = 2 and "
                      "metric_name = 'Physical Writes Per Sec'"),
              0);
    EXPECT_EQ(db.number("select value from \"v$sysstat\" where name = 'redo writes'"),
              db.number("select sum(value) from \"v$sysstat\" where name in ('user commits', "
                        "'user rollbacks')"));
    EXPECT_GT(db.number("select sum(phywrts) from \"v$filestat\""), 0);
    EXPECT_EQ(db.number("select value from \"v$sysmetric\" where group_id = 2 and "
                        "metric_name = 'Session Count'"),
              db.number("select count(*) from \"v$session\""));
    EXPECT_EQ(db.number("select count(*) from \"v$sysmetric\" where metric_unit like '\\%%' "
                        "escape '\\' and (value < 0 or value > 100)"),
              0);
    EXPECT_EQ(db.number("select count(*) from \"v$sysmetric\" m left join \"v$metricname\" n "
                        "on n.group_id = m.group_id and n.metric_id = m.metric_id "
                        "where n.metric_name is not m.metric_name"),
              0);
    EXPECT_EQ(db.number("select count(distinct begin_time) from \"v$sysmetric_history\" "
                        "where group_id = 2"),
              60);
    EXPECT_EQ(db.number("select count(*) from \"v$sysmetric_summary\" where num_interval <> 60 "
                        "or minval > average + 1e-9 or average > maxval + 1e-9"),
              0);
    // histograms: nearly all of each event's waits, in buckets of powers of two
    EXPECT_EQ(db.number("select count(*) from (select h.event, sum(h.wait_count) n, "
                        "s.total_waits t from \"v$event_histogram\" h join \"v$system_event\" s "
                        "on s.event = h.event group by h.event) where n > t or n < t * 0.9 - 1"),
              0);
    EXPECT_GT(db.number("select count(*) from \"v$event_histogram\""), 0);
    EXPECT_EQ(db.number("select count(*) from \"v$session_wait_history\" w where not exists "
                        "(select 1 from \"v$session_event\" e where e.sid = w.sid and "
                        "e.event = w.event)"),
              0);
    EXPECT_EQ(db.number("select max(n) from (select count(*) n from "
                        "\"v$session_wait_history\" group by sid)"),
              10);
    // I/O by file and by function, the buffer pool and the PGA by category
    EXPECT_EQ(db.number("select sum(small_read_reqs) from \"v$iostat_file\" "
                        "where filetype_name = 'Data File'"),
              db.number("select sum(singleblkrds) from \"v$filestat\""));
    EXPECT_EQ(db.number("select small_read_reqs from \"v$iostat_function\" "
                        "where function_name = 'Buffer Cache Reads'"),
              db.number("select sum(phyrds) from \"v$filestat\""));
    EXPECT_EQ(db.number("select consistent_gets from \"v$buffer_pool_statistics\""),
              db.number("select value from \"v$sysstat\" where name = 'consistent gets'"));
    EXPECT_EQ(db.number("select current_size * 1048576 from \"v$buffer_pool\""),
              db.number("select value from \"v$sga\" where name = 'Database Buffers'"));
    EXPECT_EQ(db.number("select count(*) from (select m.pid, sum(m.allocated) a, "
                        "p.pga_alloc_mem t from \"v$process_memory\" m join \"v$process\" p "
                        "on p.pid = m.pid group by m.pid) where a > t"),
              0);
    EXPECT_EQ(db.number("select count(*) from \"v$memory_dynamic_components\" "
                        "where component in ('PGA Target', 'SGA Target')"),
              2);
    EXPECT_EQ(db.number("select count(*) from \"v$sga_resize_ops\""), 0);
}

TEST_F(SeededCatalog, RedoUndoTimeModelAndAdvisoriesAgreeWithTheInstance) {
    for (const char* view : {"v$log", "v$logfile", "v$log_history", "v$archived_log",
                             "v$controlfile", "v$undostat", "dba_undo_extents", "v$sys_time_model",
                             "v$sess_time_model", "v$osstat", "v$pga_target_advice",
                             "v$db_cache_advice", "v$shared_pool_advice", "v$sga_target_advice"})
        EXPECT_GE(db.rows(std::string("select * from \"") + view + "\"").size(), 2u) << view;
    // Redo: one current log, whose sequence follows the history's last.
    EXPECT_EQ(db.number("select count(*) from \"v$log\" where status='CURRENT'"), 1);
    EXPECT_EQ(db.number("select \"sequence#\" from \"v$log\" where status='CURRENT'"),
              db.number("select max(\"sequence#\") + 1 from \"v$log_history\""));
    EXPECT_EQ(db.number("select count(*) from \"v$archived_log\" h where h.next_time <> (select "
                        "first_time from \"v$log_history\" n where n.\"sequence#\"="
                        "h.\"sequence#\"+1)"),
              0);
    EXPECT_EQ(db.number("select count(*) from \"v$log\" l where l.members <> (select count(*) "
                        "from \"v$logfile\" f where f.\"group#\"=l.\"group#\")"),
              0);
    EXPECT_EQ(db.number("select count(*) from \"v$archived_log\" where first_time >= next_time"),
              0);
    // Undo: the intervals follow each other up to now; the last one sees today's
    // transactions; the undo extents are those of the undo segments.
    EXPECT_EQ(db.text("select max(end_time) from \"v$undostat\""),
              db.text("select value from sbx_meta where key='clock'"));
    EXPECT_EQ(db.number("select count(*) from \"v$undostat\" u where u.end_time < (select "
                        "max(end_time) from \"v$undostat\") and not exists (select 1 from "
                        "\"v$undostat\" n where n.begin_time=u.end_time)"),
              0);
    EXPECT_EQ(db.number("select maxconcurrency from \"v$undostat\" where end_time=(select "
                        "max(end_time) from \"v$undostat\")"),
              db.number("select count(*) from \"v$transaction\""));
    EXPECT_EQ(db.number("select sum(bytes) from dba_undo_extents"),
              db.number("select sum(bytes) from dba_segments where segment_type='TYPE2 UNDO'"));
    // Time model: DB CPU is the sessions' CPU statistic, DB time adds the non-idle waits.
    const std::int64_t cpu = db.number("select value from \"v$sysstat\" where name='CPU used by "
                                       "this session'");
    EXPECT_EQ(db.number("select value from \"v$sys_time_model\" where stat_name='DB CPU'"),
              cpu * 10000);
    EXPECT_GT(db.number("select value from \"v$sys_time_model\" where stat_name='DB time'"),
              cpu * 10000);
    EXPECT_EQ(db.number("select count(*) from \"v$sess_time_model\" where stat_name='DB CPU'"),
              db.number("select count(*) from \"v$session\""));
    EXPECT_EQ(db.number("select value from \"v$osstat\" where stat_name='NUM_CPUS'"),
              db.number("select value from \"v$system_parameter\" where name='cpu_count'"));
    // Advisories: the estimate for the current size is the size in use.
    EXPECT_EQ(db.number("select pga_target_for_estimate from \"v$pga_target_advice\" where "
                        "pga_target_factor=1"),
              db.number("select value from \"v$system_parameter\" where "
                        "name='pga_aggregate_target'"));
    EXPECT_EQ(db.number("select size_for_estimate from \"v$db_cache_advice\" where "
                        "size_factor=1"),
              db.number("select value / 1048576 from \"v$sga\" where name='Database Buffers'"));
    EXPECT_EQ(db.number("select estd_physical_reads from \"v$db_cache_advice\" where "
                        "size_factor=1"),
              db.number("select value from \"v$sysstat\" where name='physical reads'"));
    EXPECT_EQ(db.number("select count(*) from \"v$db_cache_advice\" a join \"v$db_cache_advice\" "
                        "b on b.size_factor > a.size_factor where b.estd_physical_reads > "
                        "a.estd_physical_reads"),
              0);
}

TEST_F(SeededCatalog, GlobalViewsAndSysNamesShowTheSameRows) {
    const Rows views = db.rows("select name from sqlite_master where type in ('table', 'view') "
                               "and name like 'v$%' order by name");
    ASSERT_GE(views.size(), 45u);
    for (const auto& view : views) {
        const std::string rest = view[0].substr(2);
        const std::vector<std::string> columns = columnsOf(db, view[0]);
        std::vector<std::string> global = columnsOf(db, "gv$" + rest);
        ASSERT_FALSE(global.empty()) << view[0];
        EXPECT_EQ(global.front(), "inst_id") << view[0];
        // A view with an inst_id of its own (v$enqueue_stat) is its global view's column list.
        if (columns.empty() || columns.front() != "inst_id")
            global.erase(global.begin());
        EXPECT_EQ(global, columns) << view[0];
        EXPECT_EQ(columnsOf(db, "v_$" + rest), columns) << view[0];
        if (view[0] == "v$session" || view[0] == "v$sesstat" || view[0] == "v$sess_io" ||
            view[0] == "v$process")
            continue; // the large ones: counted below
        const std::string list = "\"" + view[0] + "\"";
        EXPECT_EQ(db.number("select count(*) from (select * from " + list +
                            " except select * "
                            "from \"v_$" +
                            rest + "\")"),
                  0)
            << view[0];
        EXPECT_EQ(db.number("select count(*) from \"gv$" + rest + "\" where inst_id<>1"), 0);
        EXPECT_EQ(db.number("select count(*) from \"gv_$" + rest + "\""),
                  db.number("select count(*) from " + list))
            << view[0];
    }
    EXPECT_EQ(db.number("select count(*) from \"gv$session\""),
              db.number("select count(*) from \"v$session\""));
    EXPECT_EQ(db.text("select table_owner||'.'||table_name from dba_synonyms where "
                      "owner='PUBLIC' and synonym_name='V$SESSION'"),
              "SYS.V_$SESSION");
    EXPECT_EQ(db.text("select table_name from dba_synonyms where synonym_name='GV$LOCK'"),
              "GV_$LOCK");
    EXPECT_TRUE(oradb::sandbox::isCatalogObject("sys.obj$"));
    EXPECT_TRUE(oradb::sandbox::isCatalogObject("gv_$session"));
    EXPECT_FALSE(oradb::sandbox::isCatalogObject("nls_session_parameters"));
}

TEST_F(SeededCatalog, ActiveSessionHistorySamplesEverySecondForAnHour) {
    const std::string ash = "\"v$active_session_history\"";
    auto expectLatestSampleAgrees = [&](const std::string& when) {
        const std::string latest =
            "(select * from " + ash + " where sample_id=(select max(sample_id) from " + ash + "))";
        EXPECT_EQ(db.number("select count(*) from " + latest),
                  std::min<std::int64_t>(
                      64, db.number("select count(*) from \"v$session\" where status='ACTIVE' "
                                    "and (state<>'WAITING' or wait_class<>'Idle')")))
            << when;
        EXPECT_EQ(db.number("select count(*) from " + latest +
                            " h join \"v$session\" s on s.sid=h.session_id where s.status<>"
                            "'ACTIVE' or h.\"session_serial#\"<>s.\"serial#\" or h.sql_id is "
                            "not s.sql_id or h.blocking_session is not s.blocking_session or "
                            "(h.session_state='WAITING') <> (s.state='WAITING') or "
                            "(h.session_state='WAITING' and (h.event is not s.event or "
                            "h.wait_class is not s.wait_class or s.wait_class='Idle'))"),
                  0)
            << when;
        EXPECT_EQ(db.text("select max(sample_time) from " + ash),
                  db.text("select value from sbx_meta where key='clock'"))
            << when;
        // One sample a second, none missing, at most 64 sessions each.
        EXPECT_EQ(db.number("select max(sample_id)-min(sample_id)+1-count(distinct sample_id) "
                            "from " +
                            ash),
                  0)
            << when;
        EXPECT_LE(
            db.number("select max(n) from (select count(*) n from " + ash + " group by sample_id)"),
            64)
            << when;
    };
    EXPECT_EQ(db.number("select count(distinct sample_id) from " + ash), 3);
    expectLatestSampleAgrees("seeded");
    for (std::uint64_t tick = 1; tick <= 24; ++tick)
        oradb::sandbox::simulateTick(db.get(), 20261208, tick);
    EXPECT_EQ(db.number("select count(distinct sample_id) from " + ash), 75);
    EXPECT_GT(db.number("select count(*) from " + ash + " where session_state='ON CPU'"), 0);
    EXPECT_GT(db.number("select count(*) from " + ash + " where blocking_session is not null"), 0);
    expectLatestSampleAgrees("after 24 ticks");
    // The repository's snapshots follow each other hourly from startup up to now.
    EXPECT_EQ(db.number("select count(*) from dba_hist_snapshot s where s.snap_id > 1001 and "
                        "not exists (select 1 from dba_hist_snapshot p where p.snap_id="
                        "s.snap_id-1 and p.end_interval_time=s.begin_interval_time)"),
              0);
    EXPECT_EQ(db.text("select min(begin_interval_time) from dba_hist_snapshot"),
              db.text("select startup_time from \"v$instance\""));
    EXPECT_LE(db.text("select max(end_interval_time) from dba_hist_snapshot"),
              db.text("select value from sbx_meta where key='clock'"));
    EXPECT_GE(db.number("select count(*) from dba_hist_snapshot"), 70);
    // Two hours later only the last hour's samples are kept.
    db.exec("update sbx_meta set value=datetime(value, '+2 hours') where key='clock'");
    oradb::sandbox::simulateTick(db.get(), 20261208, 25);
    EXPECT_EQ(db.number("select count(distinct sample_id) from " + ash), 3);
    EXPECT_GE(db.text("select min(sample_time) from " + ash),
              db.text("select datetime(value, '-3600 seconds') from sbx_meta where key='clock'"));
    expectLatestSampleAgrees("two hours later");
}

TEST(SandboxCatalog, SessionListOuterJoinLooksEachProcessUpByAddress) {
    Db db;
    db.seed(200);
    // The shape of the session list statement with its SPID column: every session, its
    // statistic and, by an outer join, its process.
    std::vector<std::string> plan;
    for (const auto& row :
         db.rows("explain query plan select s.sid, p.spid, st.value from \"v$session\" s "
                 "join \"v$sesstat\" st on s.sid=st.sid left join \"v$process\" p on "
                 "s.paddr=p.addr where st.\"statistic#\"=12 and s.status<>'KILLED' order by "
                 "st.value desc"))
        plan.push_back(row.back());
    std::string text;
    for (const auto& step : plan)
        text += step + "\n";
    EXPECT_NE(text.find("SEARCH p USING INDEX sbx_process_addr (addr=?)"), std::string::npos)
        << text;
    EXPECT_EQ(text.find("MATERIALIZE"), std::string::npos) << text;
    EXPECT_EQ(text.find("SCAN p"), std::string::npos) << text;
}

TEST(SandboxCatalog, ProcessesFollowSessionsLoggingOnChangingAndLoggingOff) {
    Db db;
    db.seed(30);
    const std::int64_t before = db.number("select count(*) from \"v$process\"");
    EXPECT_EQ(db.rows("select pid, spid, sosid, program, execution_type from \"v$process\" "
                      "where program='PSEUDO'"),
              (Rows{{"1", "", "1", "PSEUDO", "NONE"}}));
    db.exec("insert into \"v$session\" (saddr, sid, \"serial#\", paddr, status, type, process, "
            "program) values ('00000000AA000000', 900, 5, '00000000BB000000', 'INACTIVE', "
            "'USER', '4242', 'sqlplus@client (TNS V1-V3)')");
    EXPECT_EQ(db.number("select count(*) from \"v$process\""), before + 1);
    // A dedicated server's OS process number comes from the session's SID and serial#.
    const std::string spid = std::to_string(3000 + (900 * 7919 + 5 * 31) % 60000);
    EXPECT_EQ(db.rows("select pid, spid, program, tracefile, background from \"v$process\" "
                      "where addr='00000000BB000000'"),
              (Rows{{"901", spid, "oracle@dbprod01",
                     "/u01/app/oracle/diag/rdbms/prod/PROD/trace/PROD_ora_" + spid + ".trc", ""}}));
    db.exec("update \"v$session\" set \"serial#\"=6 where sid=900");
    EXPECT_EQ(db.text("select spid from \"v$process\" where addr='00000000BB000000'"),
              std::to_string(3000 + (900 * 7919 + 6 * 31) % 60000));
    // A killed session keeps its process until it is gone.
    db.exec("update \"v$session\" set status='KILLED', server='PSEUDO' where sid=900");
    EXPECT_EQ(db.number("select count(*) from \"v$process\" where addr='00000000BB000000'"), 1);
    db.exec("delete from \"v$session\" where sid=900");
    EXPECT_EQ(db.number("select count(*) from \"v$process\" where addr='00000000BB000000'"), 0);
    EXPECT_EQ(db.number("select count(*) from \"v$process\""), before);
}

TEST(SandboxCatalog, AnEarlierCatalogIsUpgradedKeepingSynonymsAndUserTables) {
    Db db;
    db.seed(60, 7);
    EXPECT_TRUE(oradb::sandbox::catalogIsCurrent(db.get()));
    // What an earlier program left: its own catalog version, a narrower v$session_wait, no
    // v$process; and what the user made.
    db.exec("update sbx_meta set value='9i' where key='catalog'");
    db.exec("drop view \"gv_$process\"; drop view \"gv$process\"; drop view \"v_$process\"; "
            "drop view \"v$process\"");
    db.exec("drop table \"v$session_wait\"; create table \"v$session_wait\" (sid NUMBER, "
            "event VARCHAR2(64))");
    db.exec("create table orders_copy (id NUMBER); insert into orders_copy values (42)");
    db.exec("insert into sbx_synonyms values ('emp', 'scott_emp')");
    ASSERT_FALSE(oradb::sandbox::catalogIsCurrent(db.get()));

    oradb::sandbox::upgradeCatalog(db.get());
    EXPECT_TRUE(oradb::sandbox::catalogIsCurrent(db.get()));
    EXPECT_EQ(columnsOf(db, "v$session_wait").size(), 22u);
    EXPECT_EQ(db.number("select count(*) from \"v$process\""), 61);
    EXPECT_EQ(db.number("select count(*) from \"v$session\""), 60);
    EXPECT_EQ(db.text("select value from sbx_meta where key='seed'"), "7");
    EXPECT_EQ(db.number("select id from orders_copy"), 42);
    EXPECT_EQ(db.text("select target from sbx_synonyms where name='emp'"), "scott_emp");
    EXPECT_EQ(db.number("select count(*) from sqlite_master where name like 'sbx_kept_%'"), 0);
    expectSessionColumnsAgree(db, "upgraded");
}

TEST(SandboxSimulator, OutcomeDependsOnlyOnSeedTickAndContent) {
    Db a, b, c, d;
    a.seed(60, 7);
    b.seed(60, 7);
    c.seed(60, 8);
    d.seed(60, 7);
    EXPECT_EQ(a.content(), b.content());
    EXPECT_NE(a.content(), c.content());
    const std::string seeded = a.content();
    for (std::uint64_t tick = 1; tick <= 25; ++tick) {
        oradb::sandbox::simulateTick(a.get(), 7, tick);
        oradb::sandbox::simulateTick(b.get(), 7, tick);
        oradb::sandbox::simulateTick(d.get(), 8, tick);
    }
    EXPECT_EQ(a.content(), b.content());
    EXPECT_NE(a.content(), seeded);
    EXPECT_NE(a.content(), d.content());
}

TEST_F(SeededCatalog, ConnectionSessionsAreAddedAndRemoved) {
    const std::int64_t freeSid = db.number(
        "select min(sid)+1 from \"v$session\" s where not exists (select 1 from \"v$session\" t "
        "where t.sid=s.sid+1)");
    const oradb::sandbox::SessionId first =
        oradb::sandbox::addConnectionSession(db.get(), quenbySession("SYSTEM"));
    EXPECT_EQ(first.sid, freeSid);
    const std::string sid = std::to_string(first.sid);
    const Rows row = db.rows("select username, status, type, program, osuser, \"serial#\", saddr "
                             "from \"v$session\" where sid=" +
                             sid);
    ASSERT_EQ(row.size(), 1u);
    EXPECT_EQ(row[0][0], "SYSTEM");
    EXPECT_EQ(row[0][1], "INACTIVE");
    EXPECT_EQ(row[0][2], "USER");
    EXPECT_EQ(row[0][3], "quenby");
    EXPECT_EQ(row[0][5], std::to_string(first.serial));
    EXPECT_EQ(row[0][6].size(), 16u);
    EXPECT_EQ(db.number("select count(*) from \"v$sesstat\" where sid=" + sid),
              db.number("select count(*) from \"v$statname\""));
    EXPECT_EQ(db.text("select event from \"v$session_wait\" where sid=" + sid),
              "SQL*Net message from client");
    EXPECT_EQ(db.text("select pid from sbx_connections where sid=" + sid), "4242");

    const oradb::sandbox::SessionId second =
        oradb::sandbox::addConnectionSession(db.get(), quenbySession("SCOTT"));
    EXPECT_NE(second.sid, first.sid);
    EXPECT_NE(second.serial, first.serial);

    oradb::sandbox::removeSession(db.get(), first.sid);
    EXPECT_EQ(db.number("select count(*) from \"v$session\" where sid=" + sid), 0);
    EXPECT_EQ(db.number("select count(*) from sbx_connections where sid=" + sid), 0);
    EXPECT_EQ(orphanRows(db), 0);

    const oradb::sandbox::SessionId third =
        oradb::sandbox::addConnectionSession(db.get(), quenbySession("SYS"));
    EXPECT_EQ(third.sid, first.sid);
    EXPECT_NE(third.serial, first.serial);
}

TEST_F(SeededCatalog, TicksLeaveConnectionSessionsAlone) {
    const oradb::sandbox::SessionId id =
        oradb::sandbox::addConnectionSession(db.get(), quenbySession("SYSTEM"));
    const std::string sid = std::to_string(id.sid);
    const std::string session = "select * from \"v$session\" where sid=" + sid;
    const std::string wait = "select * from \"v$session_wait\" where sid=" + sid;
    const std::string work = "select sum(value) from \"v$sesstat\" where sid=" + sid;
    const Rows sessionBefore = db.rows(session);
    const Rows waitBefore = db.rows(wait);
    const std::int64_t workBefore = db.number(work);
    for (std::uint64_t tick = 1; tick <= 40; ++tick)
        oradb::sandbox::simulateTick(db.get(), 20261208, tick);
    EXPECT_EQ(db.rows(session), sessionBefore);
    EXPECT_EQ(db.rows(wait), waitBefore);
    EXPECT_EQ(db.number("select count(*) from \"v$lock\" where sid=" + sid), 0);
    EXPECT_GT(db.number(work), workBefore);
}

TEST_F(SeededCatalog, KilledSessionsGoAfterAFewTicks) {
    const std::string victim =
        db.text("select sid from \"v$session\" s where type='USER' and not exists (select 1 from "
                "\"v$lock\" l where l.sid=s.sid) order by sid limit 1");
    const std::string holder = db.text("select sid from \"v$lock\" where block=1");
    const oradb::sandbox::SessionId own =
        oradb::sandbox::addConnectionSession(db.get(), quenbySession("SYSTEM"));
    db.exec("update \"v$session\" set status='KILLED' where sid in (" + victim + "," + holder +
            "," + std::to_string(own.sid) + ")");
    const Rows victims = db.rows("select sid, \"serial#\" from \"v$session\" where sid in (" +
                                 victim + "," + holder + ")");
    ASSERT_EQ(victims.size(), 2u);
    const std::string killed = "select count(*) from \"v$session\" where status='KILLED'";
    for (std::uint64_t tick = 1; tick <= 3; ++tick) {
        oradb::sandbox::simulateTick(db.get(), 20261208, tick);
        EXPECT_EQ(db.number(killed), 3) << tick;
    }
    oradb::sandbox::simulateTick(db.get(), 20261208, 4);
    EXPECT_EQ(db.number(killed), 1);
    for (const auto& v : victims) {
        EXPECT_EQ(db.number("select count(*) from \"v$session\" where sid=" + v[0] +
                            " and \"serial#\"=" + v[1]),
                  0);
        EXPECT_EQ(db.number("select count(*) from \"v$lock\" l, \"v$session\" s where "
                            "l.sid=s.sid and s.sid=" +
                            v[0] + " and l.block=1"),
                  0);
    }
    EXPECT_EQ(db.number("select count(*) from \"v$session\" where sid=" + std::to_string(own.sid)),
              1);
    EXPECT_EQ(orphanRows(db), 0);
    // One of the blocked sessions got the lock, the other waits for it.
    EXPECT_EQ(db.number("select count(*) from \"v$lock\" where block=1"), 1);
    EXPECT_EQ(db.number("select count(*) from \"v$lock\" w where w.request>0 and not exists "
                        "(select 1 from \"v$lock\" h where h.lmode>0 and h.id1=w.id1 and "
                        "h.id2=w.id2)"),
              0);
    EXPECT_EQ(db.number("select count(*) from \"v$session\" where lockwait is not null"), 1);
}

TEST(SandboxScale, TenThousandSessionsSeedAndTickQuickly) {
    using Clock = std::chrono::steady_clock;
    auto ms = [](Clock::time_point since) {
        return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - since).count();
    };
    Db db;
    Clock::time_point start = Clock::now();
    db.seed(10000);
    std::cout << "seeding 10000 sessions: " << ms(start) << " ms\n";
    EXPECT_EQ(db.number("select count(*) from \"v$session\""), 10000);
    const std::int64_t stats = db.number("select count(*) from \"v$statname\"");
    EXPECT_EQ(db.number("select count(*) from \"v$sesstat\""), 10000 * stats);
    const std::int64_t reads =
        db.number("select \"statistic#\" from \"v$statname\" where name='session logical reads'");
    EXPECT_EQ(db.number("select count(*) from \"v$sesstat\" where \"statistic#\"=" +
                        std::to_string(reads)),
              10000);

    start = Clock::now();
    const Rows list = db.rows(sessionListSql(reads));
    std::cout << "session list at 10000 sessions: " << ms(start) << " ms\n";
    EXPECT_EQ(static_cast<std::int64_t>(list.size()),
              db.number("select count(*) from \"v$session\" where type='USER'"));

    // The first rows of the views that join the sessions or the statements' plans.
    for (const char* view : {"v$sql_plan", "v$sql_plan_statistics_all", "v$access", "dba_ddl_locks",
                             "dba_dml_locks", "v$segment_statistics", "v$db_object_cache",
                             "v$enqueue_stat", "v$session_connect_info", "v$sql_workarea_active"}) {
        start = Clock::now();
        const Rows first = db.rows(std::string("select * from \"") + view + "\" limit 20");
        std::cout << view << " at 10000 sessions: " << ms(start) << " ms\n";
        EXPECT_EQ(first.size(), 20u) << view;
    }

    for (std::uint64_t tick = 1; tick <= 5; ++tick) {
        start = Clock::now();
        oradb::sandbox::simulateTick(db.get(), 20261208, tick);
        std::cout << "tick " << tick << " at 10000 sessions: " << ms(start) << " ms\n";
    }
    EXPECT_EQ(db.number("select count(*) from \"v$session\""), 10000);
    EXPECT_EQ(orphanRows(db), 0);
    EXPECT_EQ(db.number("select count(*) from \"v$active_session_history\" where sample_id="
                        "(select max(sample_id) from \"v$active_session_history\")"),
              64);
}

TEST(SandboxCatalog, KnowsWhichObjectsNeedTheCatalogRole) {
    EXPECT_TRUE(oradb::sandbox::isCatalogObject("v$session"));
    EXPECT_TRUE(oradb::sandbox::isCatalogObject("dba_extents"));
    EXPECT_TRUE(oradb::sandbox::isCatalogObject("sys.v$license"));
    EXPECT_FALSE(oradb::sandbox::isCatalogObject("v$nls_parameters"));
    EXPECT_FALSE(oradb::sandbox::isCatalogObject("dual"));
    EXPECT_FALSE(oradb::sandbox::isCatalogObject("session_roles"));
    EXPECT_FALSE(oradb::sandbox::isCatalogObject("audit_actions"));
    EXPECT_FALSE(oradb::sandbox::isCatalogObject("qby_capturesql"));
}

TEST(SandboxCatalog, ParsesQuotedCsvFields) {
    const auto rows = oradb::sandbox::detail::parseCsv("a,\"b, \"\"c\"\"\",\r\n\nx,,\"\"\n");
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0], (std::vector<std::string>{"a", "b, \"c\"", ""}));
    EXPECT_EQ(rows[1], (std::vector<std::string>{"x", "", ""}));
}

} // namespace
