// The sandbox's Oracle dialect: statements are translated and, where they carry SQL, run on an
// in-memory SQLite database laid out like the sandbox catalog.
#include "DialectFixture.h"
#include "oradb/OraError.h"

#include <algorithm>
#include <gtest/gtest.h>

namespace {

using dialect_test::Result;
using dialect_test::SqliteDb;
using oradb::sandbox::StmtKind;
using oradb::sandbox::translate;

const oradb::sandbox::SynonymMap kSynonyms = {{"public_qby_capturesql", "qby_capturesql"},
                                              {"public_qby_sqlcollector", "qby_sqlcollector"}};

// The Oracle error code a statement's translation fails with; 0 when it translates.
int errorCode(const std::string& sql) {
    try {
        translate(sql, kSynonyms);
    } catch (const oradb::EOraError& e) {
        return e.ErrorCode();
    }
    return 0;
}

std::string errorText(const std::string& sql) {
    try {
        translate(sql, kSynonyms);
    } catch (const oradb::EOraError& e) {
        return e.Message();
    }
    return {};
}

const char* const kCatalog = R"(
create table dual (dummy VARCHAR2(1));
insert into dual values ('X');
create table "v$session" (saddr RAW_TEXT(8), sid INTEGER, "serial#" INTEGER, audsid INTEGER,
  username VARCHAR2(30), command INTEGER, lockwait VARCHAR2(8), status VARCHAR2(8),
  server VARCHAR2(9), schemaname VARCHAR2(30), osuser VARCHAR2(30), process VARCHAR2(12),
  machine VARCHAR2(64), terminal VARCHAR2(30), program VARCHAR2(48), type VARCHAR2(10),
  sql_address RAW_TEXT(8), sql_hash_value NUMBER, module VARCHAR2(48), action VARCHAR2(32),
  client_info VARCHAR2(64), logon_time DATE, "row_wait_obj#" NUMBER);
insert into "v$session" (saddr, sid, "serial#", username, status, machine, osuser, program,
  type, terminal, sql_address, sql_hash_value) values
  ('0000000A', 1, 1, null, 'ACTIVE', 'db1', 'oracle', 'oracle (PMON)', 'BACKGROUND', 'UNKNOWN',
   '00', 0),
  ('0000001F', 7, 31, 'SCOTT', 'INACTIVE', 'PC1', 'scott', 'sqlplus.exe', 'USER', 'T1',
   'ABCD0001', -5),
  ('0000002E', 9, 12, 'SYSTEM', 'ACTIVE', 'PC2', 'admin', 'quenby', 'USER', 'T2', '00', 0);
create table "v$sesstat" (sid INTEGER, "statistic#" INTEGER, value NUMBER);
insert into "v$sesstat" values (1, 9, 500), (7, 9, 100), (9, 9, 300), (7, 12, 8);
create table "v$statname" ("statistic#" INTEGER, name VARCHAR2(64), class INTEGER);
insert into "v$statname" values (9, 'session logical reads', 8), (12, 'CPU used', 1);
create table audit_actions (action INTEGER, name VARCHAR2(27));
insert into audit_actions values (3, 'SELECT');
create table "v$lock" (addr RAW_TEXT(8), kaddr RAW_TEXT(8), sid INTEGER, type VARCHAR2(2),
  id1 NUMBER, id2 NUMBER, lmode NUMBER, request NUMBER, ctime NUMBER, block NUMBER);
insert into "v$lock" values ('A1', 'B1', 7, 'TM', 51, 0, 3, 0, 10, 0),
  ('A2', 'B2', 7, 'TX', 65, 7, 6, 0, 10, 1), ('A3', 'B3', 9, 'TX', 65, 7, 0, 6, 4, 0),
  ('A4', 'B4', 1, 'XR', 4, 0, 7, 0, 99, 0);
create table "v$open_cursor" (saddr RAW_TEXT(8), sid INTEGER, user_name VARCHAR2(30),
  address RAW_TEXT(8), hash_value NUMBER, sql_text VARCHAR2(60));
insert into "v$open_cursor" values ('0000001F', 7, 'SCOTT', 'ABCD0001', -5, 'select * from emp'),
  ('0000001F', 7, 'SCOTT', 'ABCD0002', 77, 'select 1 from dual'),
  ('0000002E', 9, 'SYSTEM', 'ABCD0003', 88, 'select 2 from dual');
create table "v$sqltext" (address RAW_TEXT(8), hash_value NUMBER, piece NUMBER,
  sql_text VARCHAR2(64));
insert into "v$sqltext" values ('ABCD0001', -5, 0, 'select * '), ('ABCD0001', -5, 1, 'from emp');
create table "v$sqlarea" (address RAW_TEXT(8), hash_value NUMBER, sorts NUMBER,
  parse_calls NUMBER, loads NUMBER, executions NUMBER, rows_processed NUMBER,
  first_load_time VARCHAR2(19));
insert into "v$sqlarea" values ('ABCD0001', 4294967291, 0, 2, 1, 3, 14, '2004-06-15/10:00:00');
create table "v$system_event" (event VARCHAR2(64), total_waits NUMBER, total_timeouts NUMBER,
  time_waited NUMBER, average_wait NUMBER);
insert into "v$system_event" values ('db file sequential read', 10, 0, 12345, 50);
create table "v$librarycache" (namespace VARCHAR2(15), pins NUMBER, reloads NUMBER);
insert into "v$librarycache" values ('SQL AREA', 300, 30), ('TABLE/PROCEDURE', 100, 10);
create table "v$rowcache" (parameter VARCHAR2(32), gets NUMBER, getmisses NUMBER);
insert into "v$rowcache" values ('dc_users', 0, 0);
create table "v$sysstat" (name VARCHAR2(64), value NUMBER);
create table "v$sgastat" (pool VARCHAR2(12), name VARCHAR2(26), bytes NUMBER);
create table "v$version" (banner VARCHAR2(64));
create table "v$database" (dbid NUMBER, name VARCHAR2(9));
create table "v$instance" (instance_name VARCHAR2(16));
create table "v$sga" (name VARCHAR2(20), value NUMBER);
create table "v$license" (sessions_max NUMBER);
create table "v$nls_parameters" (parameter VARCHAR2(64), value VARCHAR2(64));
create table "v$system_parameter" (name VARCHAR2(64), value VARCHAR2(512));
create table "v$session_event" (sid NUMBER, event VARCHAR2(64), total_waits NUMBER,
  total_timeouts NUMBER, time_waited NUMBER, average_wait NUMBER, max_wait NUMBER);
create table "v$session_wait" (sid NUMBER, event VARCHAR2(64));
create table session_roles (role VARCHAR2(30));
create table dba_objects (owner VARCHAR2(30), object_name VARCHAR2(128),
  object_type VARCHAR2(18), object_id NUMBER);
create table dba_extents (owner VARCHAR2(30), segment_name VARCHAR2(81),
  segment_type VARCHAR2(17), tablespace_name VARCHAR2(30), file_id NUMBER, block_id NUMBER,
  blocks NUMBER);
create table dba_data_files (file_name VARCHAR2(513), file_id NUMBER,
  tablespace_name VARCHAR2(30));
create table dba_tablespaces (tablespace_name VARCHAR2(30));
create table dba_users (username VARCHAR2(30));
)";

const char* const kCreateCapture =
    "create table system.qby_capturesql(saddr varchar2(30),sid number,user_name varchar2(20),"
    "address varchar2(30),osuser varchar2(30),machine varchar2(64),terminal varchar2(30),"
    "program varchar2(48),module varchar2(48),action varchar2(32),client_info varchar2(64),"
    "hash_value varchar2(30),fetchtime date,constraint op_uniq123 unique "
    "(sid,saddr,address,hash_value)) tablespace USERS NOLOGGING storage (pctincrease 0)";

const char* const kCreateCollector =
    "create table system.qby_sqlcollector(colid  number,colname varchar2(20),coldesc  "
    "varchar2(50),colsaddr  varchar2(30),colsid  number,colusername  varchar2(64),isschedule  "
    "number,scheduledate  number,schedulehour  number,scheduleminute  number,rtp  "
    "number,monitors  number,collogfilename  varchar2(30),collogfiledir  varchar2(100)) "
    "tablespace system NOLOGGING storage (pctincrease 0)";

std::string captureBlock(const std::string& condition) {
    return "  declare  cursor c1 is select s.osuser osuser,s.machine machine,s.terminal "
           "terminal, s.program program,s.module module,s.action action, s.client_info "
           "client_info, rawtohex(oc.saddr) saddr, s.sid sid ,s.username username , "
           "rawtohex(oc.address) address, to_char(oc.hash_value) hash_value, sysdate fetchtime "
           " from v$session s,v$open_cursor oc  where s.saddr=oc.saddr  and ( " +
           condition +
           " ) and not exists (   select sid from public_qby_capturesql tot where   "
           "tot.sid=s.sid and tot.saddr=oc.saddr and tot.address=oc.address and "
           "tot.hash_value=oc.hash_value); c1_rec  c1%ROWTYPE; begin  open c1;  loop    fetch "
           "c1 into c1_rec;    exit when c1%notfound;    begin    insert /*+ append */ into "
           "public_qby_capturesql values( c1_rec.saddr,c1_rec.sid, "
           "c1_rec.username,c1_rec.address, "
           "c1_rec.osuser,c1_rec.machine,c1_rec.terminal,c1_rec.program, "
           "c1_rec.module,c1_rec.action,c1_rec.client_info, c1_rec.hash_value,c1_rec.fetchtime);"
           "  exception  when others then null;  end;  end loop;  exception  when others then "
           "null;  close c1;end;";
}

class SandboxDialect : public ::testing::Test {
protected:
    SandboxDialect() {
        db.exec(kCatalog);
        db.exec(translate(kCreateCapture, kSynonyms).sql);
        db.exec(translate(kCreateCollector, kSynonyms).sql);
        db.exec("create unique index op_uniq123 on qby_capturesql (sid,saddr,address,hash_value)");
    }

    // Runs a translated cursor loop the way the driver does: the cursor once, the body per row.
    void runBlock(const oradb::sandbox::Translation& t) {
        const Result cursor = db.query(t.block.cursorSql);
        for (const auto& row : cursor.rows) {
            for (const auto& statement : t.block.body) {
                std::vector<std::string> values;
                for (const auto& field : statement.recordFields) {
                    const auto col =
                        std::find(cursor.columns.begin(), cursor.columns.end(), upper(field));
                    values.push_back(row[static_cast<std::size_t>(col - cursor.columns.begin())]);
                }
                try {
                    db.query(statement.sql, {}, values);
                } catch (const std::exception&) {
                    if (!t.block.bodyIgnoresErrors)
                        throw;
                }
            }
        }
    }

    static std::string upper(std::string s) {
        for (char& c : s)
            c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        return s;
    }

    SqliteDb db;
};

// ---- queries ----------------------------------------------------------------------------------

TEST_F(SandboxDialect, NamesWithDollarOrHashAreQuotedAndKeepOracleHeadings) {
    const auto t = translate("select sid,serial#,username from v$session where 1=0", {});
    EXPECT_NE(t.sql.find("\"serial#\""), std::string::npos);
    EXPECT_NE(t.sql.find("\"v$session\""), std::string::npos);
    EXPECT_EQ(db.query(t.sql).columns, (std::vector<std::string>{"SID", "SERIAL#", "USERNAME"}));
    EXPECT_EQ(db.run("select name,value from v$SGA").columns,
              (std::vector<std::string>{"NAME", "VALUE"}));
    EXPECT_EQ(t.tables, std::vector<std::string>{"v$session"});
}

TEST_F(SandboxDialect, ExpressionsGetOracleHeadingsAndAliasesStay) {
    const Result r = db.run("select count(*), sum( sid ) total, max(sid) as m, "
                            "nvl(username,'-') from v$session");
    EXPECT_EQ(r.columns, (std::vector<std::string>{"COUNT(*)", "TOTAL", "M", "NVL(USERNAME,'-')"}));
    EXPECT_EQ(r.rows[0][0], "3");
    const Result memory = db.run(
        "select (sum(pins-reloads))/sum(pins) libcache,sysdate probetime from v$librarycache");
    EXPECT_EQ(memory.columns, (std::vector<std::string>{"LIBCACHE", "PROBETIME"}));
    EXPECT_EQ(memory.rows[0], (std::vector<std::string>{"0.9", "2004-06-15 13:45:30"}));
    EXPECT_EQ(db.run("select s.*, 1 from v$session s where sid=7").columns.back(), "1");
}

TEST_F(SandboxDialect, DivisionIsNumericAndZeroIsOraclesError) {
    EXPECT_EQ(db.value("select 7/2 from dual"), "3.5");
    EXPECT_EQ(db.value("select -7/-(1+1) from dual"), "3.5");
    EXPECT_EQ(db.value("select time_waited/100 time_waited from v$system_event"), "123.45");
    EXPECT_EQ(db.value("select 1/null from dual"), "(null)");
    EXPECT_EQ(db.error("select 1/(sid-sid) from v$session"), "ORA-01476: divisor is equal to zero");
    EXPECT_EQ(db.error("select (sum(gets-getmisses))/sum(gets) rowcache from v$rowcache"),
              "ORA-01476: divisor is equal to zero");
    // Not inside strings, comments or hints.
    const auto t = translate("select /*+ a/b */ '1/0' x from dual -- 2/0", {});
    EXPECT_EQ(t.sql.find("ora_divisor"), std::string::npos);
    EXPECT_EQ(db.value("select /*+ a/b */ '1/0' x from dual -- 2/0"), "1/0");
}

TEST_F(SandboxDialect, SessionListQueryFiltersBackgroundAndSortsByStatistic) {
    std::string sql = "select ";
    const char* const names[] = {
        "Sid",      "Serial#", "Username",     "Status",     "Server",      "Machine",
        "process",  "OsUser",  "program",      "Logon_time", "SchemaName",  "Client_Info",
        "Module",   "Action",  "audsid",       "command",    "sql_address", "sql_hash_value",
        "lockwait", "type",    "row_wait_obj#"};
    for (const char* n : names)
        sql += std::string("s.") + n + ",";
    sql += "st.value from v$session s,v$sesstat st where s.sid=st.sid and st.statistic#=9";
    const Result r = db.run(sql + " and  1=1 and type <>'BACKGROUND' order by st.value desc");
    ASSERT_EQ(r.rows.size(), 2u);
    EXPECT_EQ(r.rows[0][0], "9");
    EXPECT_EQ(r.rows[1][0], "7");
    EXPECT_EQ(r.columns[1], "SERIAL#");
    EXPECT_EQ(r.columns[20], "ROW_WAIT_OBJ#");
    EXPECT_EQ(r.columns[21], "VALUE");
    EXPECT_EQ(db.run(sql + " and  1=1 order by st.value desc").rows.size(), 3u);
}

TEST_F(SandboxDialect, LockQueryDecodesModes) {
    const std::string sql =
        "select rawtohex(l.addr) addr,rawtohex(l.kaddr) kaddr,l.sid,l.type,l.id1,l.id2,"
        "decode(l.lmode,0,'none',1,'NULL',2,'Row-S(SS)',3,'Row-X(SX)',4,'Share(S)',"
        "5,'S/Row-X(SSX)',6,'Exclusive(X)',l.lmode) lmode,decode(l.request,0,'none',1,'NULL',"
        "2,'Row-S(SS)',3,'Row-X(SX)',4,'Share(S)',5,'S/Row-X(SSX)',6,'Exclusive(X)',l.request) "
        "request, l.ctime,l.block,s.username from v$lock l,v$session s where l.sid=s.sid and "
        "(s.sid=";
    const Result r = db.run(sql + "1 or l.request!=0 or l.block=1)");
    ASSERT_EQ(r.rows.size(), 3u);
    std::map<std::string, std::pair<std::string, std::string>> modes; // addr -> lmode, request
    for (const auto& row : r.rows)
        modes[row[0]] = {row[6], row[7]};
    EXPECT_EQ(modes["A2"], std::make_pair(std::string("Exclusive(X)"), std::string("none")));
    EXPECT_EQ(modes["A3"], std::make_pair(std::string("none"), std::string("Exclusive(X)")));
    EXPECT_EQ(modes["A4"].first, "7");
    EXPECT_EQ(r.columns[2], "SID");
}

TEST_F(SandboxDialect, CaptureFetchQueryMatchesANegativeHashToItsUnsignedValue) {
    db.exec("insert into qby_capturesql values ('0000001F', 7, 'SCOTT', 'ABCD0001', 'scott', "
            "'PC1', 'T1', 'sqlplus.exe', null, null, null, '-5', '2004-06-15 13:00:00')");
    const std::string sql =
        "select tot.sid sid,tot.address address,tot.hash_value hash_value,st.piece piece,"
        "tot.user_name user_name,tot.osuser osuser,tot.program program,tot.machine machine,"
        "st.sql_text sql_text, sa.sorts sorts ,sa.parse_calls parse_calls,sa.loads loads,"
        "sa.executions executions,sa.rows_processed rows_processed,sa.first_load_time "
        "first_load_time,sysdate fetchtime from public_qby_capturesql tot,v$sqltext st,"
        "v$sqlarea sa where   fetchtime>:fetchtime  and tot.user_name='SCOTT' and "
        "to_char(st.hash_value)=tot.hash_value and rawtohex(st.address)=tot.address  and "
        "st.address= sa.address  and "
        "sa.hash_value=st.hash_value+decode(sign(st.hash_value),-1,power(2,32),0) order by "
        "tot.sid,tot.address,tot.hash_value,st.piece";
    const auto t = translate(sql, kSynonyms);
    EXPECT_EQ(t.bindNames, std::vector<std::string>{"fetchtime"});
    EXPECT_EQ(t.tables, (std::vector<std::string>{"qby_capturesql", "v$sqltext", "v$sqlarea"}));
    const Result r = db.query(t.sql, {{"fetchtime", "2004-06-15 12:00:00"}});
    ASSERT_EQ(r.rows.size(), 2u);
    EXPECT_EQ(r.rows[0][8] + r.rows[1][8], "select * from emp");
    EXPECT_EQ(r.rows[0][12], "3");
    EXPECT_TRUE(db.query(t.sql, {{"fetchtime", "2004-06-15 13:00:00"}}).rows.empty());
}

TEST_F(SandboxDialect, SynonymsResolveInEveryTablePosition) {
    auto tablesOf = [](const std::string& sql) { return translate(sql, kSynonyms).tables; };
    EXPECT_EQ(tablesOf("select * from v$session s where exists (select 1 from "
                       "public_qby_capturesql c where c.sid = s.sid)"),
              (std::vector<std::string>{"v$session", "qby_capturesql"}));
    EXPECT_EQ(tablesOf("select * from dual d join public_qby_sqlcollector c on 1=1 "
                       "left outer join v$lock l on l.sid = c.colsid"),
              (std::vector<std::string>{"dual", "qby_sqlcollector", "v$lock"}));
    EXPECT_EQ(tablesOf("select x.n from (select count(*) n from public_qby_sqlcollector) x"),
              std::vector<std::string>{"qby_sqlcollector"});

    db.run("insert into public_qby_sqlcollector(colid,colname) values(1,'first')", kSynonyms);
    db.run("insert into public_qby_sqlcollector c (colid,colname) values(2,'second')", kSynonyms);
    db.run("update public_qby_sqlcollector c set colname='changed' where c.colid= 1", kSynonyms);
    db.run("delete public_qby_sqlcollector c where c.colid=2", kSynonyms);
    EXPECT_EQ(db.query("select colid, colname from qby_sqlcollector").rows,
              (std::vector<std::vector<std::string>>{{"1", "changed"}}));
    const auto del = translate("delete from public_qby_capturesql", kSynonyms);
    EXPECT_EQ(del.kind, StmtKind::Delete);
    EXPECT_EQ(del.sql, "delete from qby_capturesql");
}

TEST_F(SandboxDialect, SchemasSysAndSystemAreDropped) {
    EXPECT_EQ(db.run("select action,name from sys.audit_actions").rows[0][1], "SELECT");
    const auto t = translate("select count(*) from system.qby_capturesql", kSynonyms);
    EXPECT_EQ(t.tables, std::vector<std::string>{"qby_capturesql"});
    EXPECT_EQ(translate("select * from scott.emp", {}).tables,
              std::vector<std::string>{"scott.emp"});
}

TEST_F(SandboxDialect, OracleOperatorsAndKeywordsAreRewritten) {
    const std::string sql = "select sid from v$session where sid != 1 minus select /*+ full */ "
                            "unique sid from v$session where sid ^= 9 or sid = :SID";
    const auto t = translate(sql, {});
    EXPECT_EQ(t.bindNames, std::vector<std::string>{"sid"});
    EXPECT_EQ(t.sql.find("!="), std::string::npos);
    EXPECT_EQ(db.query(t.sql, {{"sid", "9"}}).rows, (std::vector<std::vector<std::string>>{}));
    EXPECT_EQ(db.query(t.sql, {{"sid", "1"}}).rows, (std::vector<std::vector<std::string>>{{"9"}}));
    EXPECT_EQ(db.value("select 'it''s' || q'[a'b]' from dual"), "it'sa'b");
    EXPECT_EQ(db.value("select user from dual;"), "SYSTEM");
    // LIMIT is no Oracle word: it names a column (dba_profiles.limit).
    const std::string limit =
        translate("select p.limit from dba_profiles p where limit <> 'UNLIMITED'", {}).sql;
    EXPECT_NE(limit.find("p.\"limit\""), std::string::npos) << limit;
    EXPECT_NE(limit.find("where \"limit\""), std::string::npos) << limit;
}

TEST_F(SandboxDialect, EveryProgramQueryTranslatesAndRuns) {
    const char* const queries[] = {
        "select * from session_roles where role='SELECT_CATALOG_ROLE'",
        "select statistic#,name,class from v$statname order by class",
        "select banner from v$version",
        "select * from v$database",
        "select * from v$instance",
        "select * from v$license",
        "select * from v$nls_parameters",
        "select * from v$system_parameter order by name",
        "select event,total_waits,total_timeouts,time_waited/100 time_waited,average_wait/100 "
        "average_wait from v$system_event order by time_waited desc",
        "select owner,object_name from dba_objects where object_type='TABLE' and object_id=17",
        "select * from v$session where sid=7",
        " select st.sid,st.value,sn.name,sn.class,sn.statistic# statistic from v$sesstat "
        "st,v$statname sn where sn.statistic#=st.statistic# and st.sid=7 order by value desc",
        "select Sid,Event,Total_Waits,Total_Timeouts,Time_Waited,Average_Wait,Max_Wait from "
        "v$session_event where sid=7 order by time_waited desc,event",
        "select * from v$session_wait where sid=7",
        "select e.file_id,e.block_id,e.owner,e.segment_name,e.segment_type,e.tablespace_name "
        "from dba_extents e,dba_data_files f where e.file_id=f.file_id and e.file_id=4 and "
        "e.block_id <= 100 and e.block_id+e.blocks>100",
        " select oc.sid,st.hash_value,st.sql_text from v$sqltext st,v$open_cursor oc,v$session "
        "s where s.sid=7 and oc.saddr=s.saddr and st.address=oc.address and "
        "st.hash_value=oc.hash_value order by st.address,st.hash_value,st.piece",
        "select st.sql_text from v$sqltext st,v$session sn where st.address=sn.sql_address and "
        "st.hash_value=sn.sql_hash_value and sn.sid=7 and sn.serial#=31 order by st.piece",
        "select name,value from v$sysstat where name in('db block gets','consistent "
        "gets','physical reads')",
        "select sum(bytes) bytes from v$sgastat where name='free memory'",
        "select tablespace_name from dba_tablespaces",
        "select * from public_qby_capturesql",
        "select colid,colname,coldesc,colsaddr,colsid,colusername,isschedule,scheduledate,"
        "schedulehour,scheduleminute,rtp,monitors,collogfilename,collogfiledir from "
        "public_qby_sqlcollector order by colid ",
        "select username,sysdate servernow from dba_users order by username",
        "select sid,rawtohex(saddr) saddr,username,osuser,machine,terminal,program,module,"
        "action,client_info from v$session where type <>'BACKGROUND' order by sid",
    };
    for (const char* q : queries)
        EXPECT_NO_THROW(db.run(q, kSynonyms)) << q;
    EXPECT_EQ(db.run(queries[16], kSynonyms).rows.size(), 2u);
    EXPECT_EQ(db.run(queries[std::size(queries) - 1], kSynonyms).rows[0][1], "0000001F");
}

// ---- DDL and other statements -----------------------------------------------------------------

TEST_F(SandboxDialect, CreateTableMapsTypesAndReturnsUniqueConstraints) {
    const auto t = translate(kCreateCapture, kSynonyms);
    EXPECT_EQ(t.kind, StmtKind::CreateTable);
    EXPECT_EQ(t.object, "qby_capturesql");
    EXPECT_EQ(t.schema, "system");
    EXPECT_EQ(t.tablespace, "users");
    ASSERT_EQ(t.uniqueConstraints.size(), 1u);
    EXPECT_EQ(t.uniqueConstraints[0].name, "op_uniq123");
    EXPECT_EQ(t.uniqueConstraints[0].columns,
              (std::vector<std::string>{"sid", "saddr", "address", "hash_value"}));
    EXPECT_EQ(t.sql.find("unique"), std::string::npos);
    EXPECT_EQ(t.sql.find("tablespace"), std::string::npos);

    const auto other = translate("create table t$x (id number(10) primary key, a raw(8) not "
                                 "null, b char, c integer default -1 unique, d clob, e number(5,2),"
                                 " unique (a, b)) pctfree 10 initrans 2 logging",
                                 {});
    db.exec(other.sql);
    const Result info = db.query("select name, type, \"notnull\" from pragma_table_info('t$x')");
    EXPECT_EQ(info.rows, (std::vector<std::vector<std::string>>{{"id", "NUMBER", "1"},
                                                                {"a", "RAW_TEXT(8)", "1"},
                                                                {"b", "CHAR(1)", "0"},
                                                                {"c", "INTEGER", "0"},
                                                                {"d", "CLOB", "0"},
                                                                {"e", "NUMBER", "0"}}));
    ASSERT_EQ(other.uniqueConstraints.size(), 3u);
    EXPECT_EQ(other.uniqueConstraints[0].name.rfind("sys_c", 0), 0u);
    EXPECT_EQ(other.uniqueConstraints[2].columns, (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(other.tablespace, "");
}

TEST_F(SandboxDialect, CreateTableRefusesWhatItCannotMap) {
    EXPECT_EQ(errorCode("create table t (a foo)"), 902);
    EXPECT_EQ(errorCode("create table t (a varchar2)"), 906);
    EXPECT_EQ(errorCode("create table t (a number, a date)"), 957);
    EXPECT_EQ(errorCode("create table t (a number) tablespace users bogus"), 922);
    EXPECT_EQ(errorCode("create index i on t (a)"), 3001);
    EXPECT_EQ(errorCode("create bogus t"), 901);
}

TEST_F(SandboxDialect, DropSynonymAndConstraintStatements) {
    auto t = translate("drop table system.qby_capturesql", kSynonyms);
    EXPECT_EQ(t.kind, StmtKind::DropTable);
    EXPECT_EQ(t.object + "/" + t.schema, "qby_capturesql/system");

    t = translate("drop public synonym public_qby_capturesql", kSynonyms);
    EXPECT_EQ(t.kind, StmtKind::DropSynonym);
    EXPECT_TRUE(t.publicSynonym);
    EXPECT_EQ(t.object, "public_qby_capturesql");

    t = translate("create public synonym public_qby_capturesql for system.qby_capturesql", {});
    EXPECT_EQ(t.kind, StmtKind::CreateSynonym);
    EXPECT_TRUE(t.publicSynonym);
    EXPECT_EQ(t.object + "->" + t.synonymTarget, "public_qby_capturesql->qby_capturesql");
    EXPECT_FALSE(translate("create synonym s for t", {}).publicSynonym);

    t = translate("alter table system.qby_capturesql drop constraint op_uniq123", kSynonyms);
    EXPECT_EQ(t.kind, StmtKind::DropConstraint);
    EXPECT_EQ(t.object + "." + t.constraint, "qby_capturesql.op_uniq123");

    EXPECT_EQ(errorCode("drop table t x"), 933);
    EXPECT_EQ(errorCode("drop bogus t"), 950);
    EXPECT_EQ(errorCode("alter table t add (x number)"), 3001);
}

TEST_F(SandboxDialect, KillSessionAndParameterChanges) {
    auto t = translate("alter system kill session '12, 345' immediate", {});
    EXPECT_EQ(t.kind, StmtKind::KillSession);
    EXPECT_EQ(t.killSid + "," + t.killSerial, "12,345");
    EXPECT_EQ(errorCode("alter system kill session '12'"), 26);
    EXPECT_EQ(errorCode("alter system kill session 'a,b'"), 26);

    t = translate("alter session set nls_date_format='YYYY-MM-DD'", {});
    EXPECT_EQ(t.kind, StmtKind::AlterSessionSet);
    EXPECT_EQ(t.parameter + "=" + t.value, "nls_date_format=YYYY-MM-DD");
    EXPECT_TRUE(t.valueQuoted);

    t = translate("alter system set sort_area_size=65536 deferred", {});
    EXPECT_EQ(t.kind, StmtKind::AlterSystemSet);
    EXPECT_EQ(t.value, "65536");
    EXPECT_TRUE(t.deferred);
    EXPECT_FALSE(t.valueQuoted);

    t = translate("ALTER SYSTEM SET db_cache_size = 10M scope=both", {});
    EXPECT_EQ(t.parameter + "=" + t.value, "db_cache_size=10M");
    EXPECT_FALSE(t.deferred);
    EXPECT_EQ(errorCode("alter system set x=1 scope=nowhere"), 922);
    EXPECT_EQ(errorCode("alter system bogus"), 2065);
}

TEST_F(SandboxDialect, CancelSqlTakesTheSessionAndOptionallyInstanceAndSqlId) {
    auto t = translate("ALTER SYSTEM CANCEL SQL ' 12 , 345 '", {});
    EXPECT_EQ(t.kind, StmtKind::CancelSql);
    EXPECT_EQ(t.killSid + "," + t.killSerial, "12,345");
    EXPECT_EQ(t.cancelSqlId, "");
    t = translate("alter system cancel sql '12,345,@1'", {});
    EXPECT_EQ(t.cancelSqlId, "") << "the instance is no statement";
    t = translate("alter system cancel sql '12,345,@1,5t2ns4xh3z0xn'", {});
    EXPECT_EQ(t.cancelSqlId, "5t2ns4xh3z0xn");
    t = translate("alter system cancel sql '12,345,5t2ns4xh3z0xn'", {});
    EXPECT_EQ(t.killSid + "," + t.killSerial + "," + t.cancelSqlId, "12,345,5t2ns4xh3z0xn");
    EXPECT_EQ(errorCode("alter system cancel sql '12'"), 26);
    EXPECT_EQ(errorCode("alter system cancel sql 'x,1'"), 26);
    EXPECT_EQ(errorCode("alter system cancel sql"), 26);
    EXPECT_EQ(errorCode("alter system cancel session '1,2'"), 905);
    // A kill takes no statement.
    EXPECT_EQ(translate("alter system kill session '12,345,@1'", {}).cancelSqlId, "");
}

TEST_F(SandboxDialect, AlterUserLocksUnlocksAndExpires) {
    auto t = translate("alter user Scott account lock", {});
    EXPECT_EQ(t.kind, StmtKind::AlterUser);
    EXPECT_EQ(t.object + " " + t.accountChange, "scott lock");
    EXPECT_EQ(translate("ALTER USER scott ACCOUNT UNLOCK", {}).accountChange, "unlock");
    EXPECT_EQ(translate("alter user scott password expire", {}).accountChange, "expire");
    EXPECT_EQ(errorCode("alter user scott account"), 922);
    EXPECT_EQ(errorCode("alter user scott password"), 922);
    EXPECT_EQ(errorCode("alter user scott account lock now"), 933);
}

TEST_F(SandboxDialect, LockCommitAndRollback) {
    auto t = translate("lock table public_qby_capturesql in exclusive mode nowait", kSynonyms);
    EXPECT_EQ(t.kind, StmtKind::LockTable);
    EXPECT_EQ(t.object, "qby_capturesql");
    EXPECT_EQ(t.lockMode, "exclusive");
    EXPECT_TRUE(t.nowait);
    t = translate("LOCK TABLE sys.audit_actions IN ROW EXCLUSIVE MODE", {});
    EXPECT_EQ(t.object + "/" + t.lockMode, "audit_actions/row exclusive");
    EXPECT_FALSE(t.nowait);
    EXPECT_EQ(errorCode("lock table t in private mode"), 1737);

    EXPECT_EQ(translate("commit", {}).kind, StmtKind::Commit);
    EXPECT_EQ(translate("COMMIT WORK;", {}).kind, StmtKind::Commit);
    EXPECT_EQ(translate("rollback work", {}).kind, StmtKind::Rollback);
    EXPECT_EQ(errorCode("commit now"), 933);
    EXPECT_EQ(errorCode("rollback to savepoint a"), 3001);
}

// ---- PL/SQL ------------------------------------------------------------------------------------

TEST_F(SandboxDialect, CaptureBlockIsReadIntoItsParts) {
    const auto t =
        translate(captureBlock("  (s.machine='PC1') or ( oc.user_name='SCOTT') "), kSynonyms);
    EXPECT_EQ(t.kind, StmtKind::PlsqlBlock);
    EXPECT_TRUE(t.block.bodyIgnoresErrors);
    EXPECT_TRUE(t.block.blockIgnoresErrors);
    EXPECT_EQ(t.block.cursorTables,
              (std::vector<std::string>{"v$session", "v$open_cursor", "qby_capturesql"}));
    ASSERT_EQ(t.block.body.size(), 1u);
    const auto& insert = t.block.body[0];
    EXPECT_EQ(insert.recordFields,
              (std::vector<std::string>{"saddr", "sid", "username", "address", "osuser", "machine",
                                        "terminal", "program", "module", "action", "client_info",
                                        "hash_value", "fetchtime"}));
    EXPECT_NE(insert.sql.find("?13"), std::string::npos);
    EXPECT_EQ(insert.sql.find("c1_rec"), std::string::npos);
    EXPECT_EQ(insert.tables, std::vector<std::string>{"qby_capturesql"});
}

TEST_F(SandboxDialect, CaptureBlockRunsOnceForEachNewCursor) {
    const auto t = translate(captureBlock(" s.machine='PC1'"), kSynonyms);
    runBlock(t);
    const Result r = db.query("select sid, saddr, address, hash_value, fetchtime from "
                              "qby_capturesql order by address");
    EXPECT_EQ(r.rows, (std::vector<std::vector<std::string>>{
                          {"7", "0000001F", "ABCD0001", "-5", "2004-06-15 13:45:30"},
                          {"7", "0000001F", "ABCD0002", "77", "2004-06-15 13:45:30"}}));
    // The second run finds every cursor captured already.
    EXPECT_TRUE(db.query(t.block.cursorSql).rows.empty());
    const auto byUser = translate(captureBlock(" oc.user_name='SYSTEM'"), kSynonyms);
    runBlock(byUser);
    EXPECT_EQ(db.query("select count(*) from qby_capturesql").rows[0][0], "3");
}

TEST_F(SandboxDialect, ALoopOfOneGuardedInsertAlsoReadsAsOneInsertSelect) {
    const auto t = translate(captureBlock(" s.machine='PC1' or oc.user_name='SYSTEM'"), kSynonyms);
    ASSERT_EQ(t.block.setSql.rfind("insert or ignore into qby_capturesql select ", 0), 0u)
        << t.block.setSql;
    EXPECT_NE(t.block.setSql.find(" from (select "), std::string::npos);
    // The one statement inserts what the loop inserts, the cursor's rows seen as of its start.
    runBlock(t);
    const std::string all = "select sid, saddr, user_name, address, osuser, machine, terminal, "
                            "program, module, action, client_info, hash_value, fetchtime from "
                            "qby_capturesql order by sid, saddr, address, hash_value";
    const Result looped = db.query(all);
    ASSERT_FALSE(looped.rows.empty());
    db.exec("delete from qby_capturesql");
    db.exec(t.block.setSql);
    EXPECT_EQ(db.query(all).rows, looped.rows);
    db.exec(t.block.setSql);
    EXPECT_EQ(db.query(all).rows, looped.rows);

    // The cursor FOR loop over a named cursor and an insert with a column list.
    auto other = translate(
        "declare cursor c is select sid, username from v$session; begin for r in c loop begin "
        "insert into public_qby_sqlcollector (colid, colname) values (r.sid + 1, "
        "lower(r.username)); exception when others then null; end; end loop; end;",
        kSynonyms);
    EXPECT_NE(other.block.setSql.find("insert or ignore into qby_sqlcollector "), std::string::npos)
        << other.block.setSql;
    // Other shapes run row by row only: no handler around the insert, an update, two
    // statements, an insert ... select.
    for (const char* text :
         {"declare cursor c is select sid from v$session; begin for r in c loop insert into "
          "public_qby_sqlcollector (colid) values (r.sid); end loop; end;",
          "begin for r in (select sid, username u from v$session) loop begin update "
          "public_qby_sqlcollector set colusername = r.u where colsid = r.sid; exception when "
          "others then null; end; end loop; end;",
          "begin for r in (select sid from v$session) loop begin insert into "
          "public_qby_sqlcollector (colid) values (r.sid); delete from public_qby_sqlcollector "
          "where colid = r.sid; exception when others then null; end; end loop; end;",
          "begin for r in (select sid from v$session) loop begin insert into "
          "public_qby_sqlcollector (colid) select r.sid from dual; exception when others then "
          "null; end; end loop; end;"}) {
        other = translate(text, kSynonyms);
        EXPECT_EQ(other.kind, StmtKind::PlsqlBlock) << text;
        EXPECT_TRUE(other.block.setSql.empty()) << text << "\n" << other.block.setSql;
    }
}

TEST_F(SandboxDialect, PlainBlocksAndCursorForLoops) {
    auto t = translate("BEGIN delete from public_qby_sqlcollector; insert into "
                       "public_qby_sqlcollector (colid) values (1); END;",
                       kSynonyms);
    EXPECT_EQ(t.kind, StmtKind::PlsqlBlock);
    EXPECT_TRUE(t.block.cursorSql.empty());
    ASSERT_EQ(t.block.body.size(), 2u);
    EXPECT_FALSE(t.block.blockIgnoresErrors);

    t = translate("begin for r in (select sid, username u from v$session) loop update "
                  "public_qby_sqlcollector set colusername = r.u where colsid = r.sid; end loop; "
                  "exception when others then null; end;",
                  kSynonyms);
    EXPECT_NE(t.block.cursorSql.find("\"v$session\""), std::string::npos);
    ASSERT_EQ(t.block.body.size(), 1u);
    EXPECT_EQ(t.block.body[0].recordFields, (std::vector<std::string>{"u", "sid"}));
    EXPECT_TRUE(t.block.blockIgnoresErrors);
    EXPECT_FALSE(t.block.bodyIgnoresErrors);
}

TEST_F(SandboxDialect, OtherPlsqlIsRefusedWithOra06550) {
    EXPECT_EQ(errorCode("begin while true loop null; end loop; end;"), 6550);
    EXPECT_EQ(errorCode("declare n number; begin null; end;"), 6550);
    EXPECT_EQ(errorCode("begin delete from t; exception when no_data_found then null; end;"), 6550);
    EXPECT_EQ(errorCode("begin delete from t; end"), 6550);
    EXPECT_EQ(errorCode("declare cursor c is select a from t; r c%rowtype; begin open c; loop "
                        "fetch c into r; exit when c%notfound; insert into u values (r.b); "
                        "end loop; end;"),
              6550);
    const std::string text = errorText("begin\n  delete from t;\n  commit;\nend;");
    EXPECT_EQ(text.rfind("ORA-06550: line 3, column 3:\nPLS-", 0), 0u) << text;
    EXPECT_NE(errorText("begin delete from t where; end;").find("PL/SQL: ORA-00936"),
              std::string::npos);
}

TEST_F(SandboxDialect, BlocksNestUpTo255LevelsAndDeeperNestingIsRefused) {
    auto nested = [](int levels) {
        std::string sql;
        for (int i = 0; i < levels; ++i)
            sql += "begin ";
        sql += "delete from t;";
        for (int i = 0; i < levels; ++i)
            sql += " end;";
        return sql;
    };
    EXPECT_EQ(errorCode(nested(255)), 0);
    const std::string text = errorText(nested(256));
    EXPECT_EQ(
        text.rfind("ORA-06550: line 1, column 1531:\nPLS-00999: implementation restriction", 0), 0u)
        << text;
    // Far deeper nesting is refused the same way instead of exhausting the stack.
    EXPECT_EQ(errorCode(nested(100000)), 6550);
}

// ---- errors -------------------------------------------------------------------------------------

TEST_F(SandboxDialect, WhatIsNotUnderstoodFailsWithOraclesErrors) {
    EXPECT_EQ(errorText("frobnicate the database"), "ORA-00900: invalid SQL statement");
    EXPECT_EQ(errorCode(""), 900);
    EXPECT_EQ(errorText("select 'abc from dual"),
              "ORA-01756: quoted string not properly terminated");
    EXPECT_EQ(errorText("select from dual"), "ORA-00936: missing expression");
    EXPECT_EQ(errorCode("select a, from dual"), 936);
    EXPECT_EQ(errorCode("select * from dual where dummy ="), 936);
    EXPECT_EQ(errorText("select * from dual x y"), "ORA-00933: SQL command not properly ended");
    EXPECT_EQ(errorCode("select (1 from dual"), 907);
    EXPECT_EQ(errorCode("select 1"), 923);
    EXPECT_EQ(errorCode("select decode(1, 2) from dual"), 909);
    EXPECT_EQ(errorCode("select * from a, b where a.x = b.x(+) or a.y = 1"), 1719);
    EXPECT_EQ(errorCode("select 1 from dual; select 2 from dual"), 911);
    EXPECT_EQ(errorCode("select * from t@remote"), 2019);
    EXPECT_EQ(errorCode("insert t values (1)"), 925);
    EXPECT_EQ(errorCode("update t x = 1"), 971);
    EXPECT_EQ(errorCode("truncate table t"), 3001);
    EXPECT_EQ(errorText("truncate table t"),
              "ORA-03001: unimplemented feature: TRUNCATE TABLE is not emulated by the sandbox");
    EXPECT_EQ(errorText("create index i on t (a)"),
              "ORA-03001: unimplemented feature: CREATE INDEX is not emulated by the sandbox");
    EXPECT_EQ(errorText("select ename from emp where rownum > 3"),
              "ORA-03001: unimplemented feature: this use of ROWNUM is not emulated by the "
              "sandbox (rownum <= n, rownum < n and rownum = 1 are)");
}

} // namespace
