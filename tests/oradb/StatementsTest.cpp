// Every SQL text the program runs, with sample values, on the sandbox instance: each must run and
// return the columns its reader asks for, with plausible rows.
#include "oradb/OraError.h"
#include "support/SandboxFixture.h"
#include "util/DateTimeText.h"

#include <algorithm>

namespace {

using testing_support::rowsOf;
using testing_support::SandboxTest;

// The session-list select: the 23 field-table names prefixed with "s.", the sort value.
std::string sessionListSql(const std::string& statistic, bool showBackground, bool showKilled) {
    static const char* names[] = {
        "Sid",      "Serial#", "Username",      "Status",     "Server",          "Machine",
        "process",  "OsUser",  "program",       "Logon_time", "SchemaName",      "Client_Info",
        "Module",   "Action",  "audsid",        "command",    "sql_address",     "sql_hash_value",
        "lockwait", "type",    "row_wait_obj#", "sql_id",     "blocking_session"};
    std::string sql = "select ";
    for (std::size_t i = 0; i < std::size(names); ++i)
        sql += std::string(i ? "," : "") + "s." + names[i];
    sql += ",st.value from v$session s,v$sesstat st where s.sid=st.sid and st.statistic#=" +
           statistic + " and  1=1";
    if (!showBackground)
        sql += " and type <>'BACKGROUND'";
    if (!showKilled)
        sql += " and status <>'KILLED'";
    return sql + " order by st.value desc";
}

class Statements : public SandboxTest {
protected:
    std::string logicalReads() {
        return value("select statistic# from v$statname where name='session logical reads'");
    }
    // A user session with at least one open cursor.
    std::string sessionWithCursors() {
        return value("select min(s.sid) from v$session s,v$open_cursor oc where oc.saddr=s.saddr");
    }
};

TEST_F(Statements, SessionListInAllFourFilterCombinations) {
    const std::string stat = logicalReads();
    ASSERT_FALSE(stat.empty());
    for (const bool background : {false, true}) {
        for (const bool killed : {false, true}) {
            oradb::TOraQuery q(&session);
            q.SQL.Add(sessionListSql(stat, background, killed));
            q.Open();
            ASSERT_GT(q.RecordCount(), 3);
            for (const char* f : {"Sid", "Serial#", "Username", "Logon_time", "row_wait_obj#",
                                  "lockwait", "command", "value"})
                EXPECT_NE(q.FindField(f), nullptr) << f;
            EXPECT_EQ(q.FieldNames().front(), "SID");
            double previous = 1e300;
            bool sawBackground = false;
            for (; !q.Eof(); q.Next()) {
                const double v = q.FieldByName("value").AsFloat();
                EXPECT_LE(v, previous);
                previous = v;
                sawBackground |= q.FieldByName("type").AsString() == "BACKGROUND";
                if (!killed) {
                    EXPECT_NE(q.FieldByName("Status").AsString(), "KILLED");
                }
                EXPECT_TRUE(util::parseDateTime(q.FieldByName("Logon_time").AsString()));
            }
            EXPECT_EQ(sawBackground, background);
        }
    }
}

TEST_F(Statements, LoginChecksAndCaches) {
    EXPECT_EQ(
        rowsOf(session, "select * from session_roles where role='SELECT_CATALOG_ROLE'").size(), 1u);
    const auto names =
        rowsOf(session, "select statistic#,name,class from v$statname order by class");
    ASSERT_GT(names.size(), 150u);
    EXPECT_TRUE(std::any_of(names.begin(), names.end(),
                            [](const auto& r) { return r[1] == "session logical reads"; }));
    const auto actions = rowsOf(session, "select action,name from sys.audit_actions");
    EXPECT_TRUE(std::any_of(actions.begin(), actions.end(),
                            [](const auto& r) { return r[0] == "3" && r[1] == "SELECT"; }));
}

TEST_F(Statements, DetailQueriesOfOneSession) {
    const std::string sid = sessionWithCursors();
    ASSERT_FALSE(sid.empty());
    const std::string serial = value("select serial# from v$session where sid=" + sid);

    oradb::TOraQuery details(&session);
    details.SQL.Add("select * from v$session where sid=" + sid);
    details.Open();
    ASSERT_EQ(details.RecordCount(), 1);
    EXPECT_EQ(details.FieldByName("saddr").DataType(), oradb::TFieldType::ftVarBytes);
    EXPECT_EQ(details.FieldByName("saddr").AsBytes().size(), 8u);
    EXPECT_EQ(details.FieldByName("SID").AsString(), sid);

    const auto stats =
        rowsOf(session, " select st.sid,st.value,sn.name,sn.class,sn.statistic# statistic "
                        "from v$sesstat st,v$statname sn where sn.statistic#=st.statistic# "
                        "and st.sid=" +
                            sid + " order by value desc");
    ASSERT_GT(stats.size(), 150u);
    oradb::TOraQuery statq(&session);
    statq.SQL.Add(" select st.sid,st.value,sn.name,sn.class,sn.statistic# statistic from "
                  "v$sesstat st,v$statname sn where sn.statistic#=st.statistic# and st.sid=" +
                  sid + " order by value desc");
    statq.Open();
    for (const char* f : {"name", "value", "class", "statistic"})
        EXPECT_NE(statq.FindField(f), nullptr) << f;

    oradb::TOraQuery events(&session);
    events.SQL.Add("select Sid,Event,Total_Waits,Total_Timeouts,Time_Waited,Average_Wait,Max_Wait "
                   "from v$session_event where sid=" +
                   sid + " order by time_waited desc,event");
    events.Open();
    EXPECT_GT(events.RecordCount(), 0);
    EXPECT_EQ(events.FieldNames(),
              (std::vector<std::string>{"SID", "EVENT", "TOTAL_WAITS", "TOTAL_TIMEOUTS",
                                        "TIME_WAITED", "AVERAGE_WAIT", "MAX_WAIT"}));

    oradb::TOraQuery wait(&session);
    wait.SQL.Add("select * from v$session_wait where sid=" + sid);
    wait.Open();
    ASSERT_EQ(wait.RecordCount(), 1);
    for (const char* f :
         {"sid", "seq#", "event", "p1", "p2", "p3", "wait_time", "seconds_in_wait", "state"})
        EXPECT_NE(wait.FindField(f), nullptr) << f;

    const auto cursors = rowsOf(
        session, " select oc.sid,st.hash_value,st.sql_text from v$sqltext st,v$open_cursor oc,"
                 "v$session s where s.sid=" +
                     sid +
                     " and oc.saddr=s.saddr and st.address=oc.address and "
                     "st.hash_value=oc.hash_value order by st.address,st.hash_value,st.piece");
    ASSERT_FALSE(cursors.empty());
    EXPECT_EQ(cursors[0][0], sid);

    const auto current = rowsOf(
        session, "select st.sql_text from v$sqltext st,v$session sn where "
                 "st.address=sn.sql_address and st.hash_value=sn.sql_hash_value and sn.sid=" +
                     sid + " and sn.serial#=" + serial + " order by st.piece");
    for (const auto& piece : current)
        EXPECT_LE(piece[0].size(), 64u);

    const auto locks = rowsOf(
        session,
        "select rawtohex(l.addr) addr,rawtohex(l.kaddr) kaddr,l.sid,l.type,l.id1,l.id2,"
        "decode(l.lmode,0,'none',1,'NULL',2,'Row-S(SS)',3,'Row-X(SX)',4,'Share(S)',5,"
        "'S/Row-X(SSX)',6,'Exclusive(X)',l.lmode) lmode,decode(l.request,0,'none',1,'NULL',2,"
        "'Row-S(SS)',3,'Row-X(SX)',4,'Share(S)',5,'S/Row-X(SSX)',6,'Exclusive(X)',l.request) "
        "request, l.ctime,l.block,s.username from v$lock l,v$session s where l.sid=s.sid and "
        "(s.sid=" +
            sid + " or l.request!=0 or l.block=1)");
    // The blocking chain of the seed: one blocker holding Exclusive(X), waiters requesting it.
    EXPECT_TRUE(std::any_of(locks.begin(), locks.end(),
                            [](const auto& r) { return r[9] == "1" && r[6] == "Exclusive(X)"; }));
    EXPECT_TRUE(std::any_of(locks.begin(), locks.end(),
                            [](const auto& r) { return r[7] == "Exclusive(X)"; }));
}

TEST_F(Statements, WaitingObjectAndBlockLookups) {
    const std::string obj =
        value("select max(row_wait_obj#) from v$session where lockwait is not null");
    ASSERT_FALSE(obj.empty());
    const auto owner = rowsOf(session, "select owner,object_name from dba_objects where "
                                       "object_type='TABLE' and object_id=" +
                                           obj);
    ASSERT_EQ(owner.size(), 1u);

    const auto io = rowsOf(session, "select p1,p2 from v$session_wait where event='db file "
                                    "sequential read'");
    ASSERT_FALSE(io.empty());
    const auto extent = rowsOf(
        session, "select e.file_id,e.block_id,e.owner,e.segment_name,e.segment_type,"
                 "e.tablespace_name from dba_extents e,dba_data_files f where e.file_id=f.file_id "
                 "and e.file_id=" +
                     io[0][0] + " and e.block_id <= " + io[0][1] + " and e.block_id+e.blocks>" +
                     io[0][1]);
    EXPECT_EQ(extent.size(), 1u);
}

TEST_F(Statements, MemoryProbe) {
    oradb::TOraQuery q(&session);
    q.SQL.Add(
        "select (sum(pins-reloads))/sum(pins) libcache,sysdate probetime from v$librarycache");
    q.Open();
    ASSERT_EQ(q.RecordCount(), 1);
    EXPECT_GT(q.FieldByName("libcache").AsFloat(), 0.5);
    EXPECT_LE(q.FieldByName("libcache").AsFloat(), 1.0);
    EXPECT_EQ(q.FieldByName("probetime").DataType(), oradb::TFieldType::ftDateTime);
    EXPECT_NEAR(q.FieldByName("probetime").AsDateTime(), util::now(), 1.0 / 24);

    const double rowcache =
        std::stod(value("select (sum(gets-getmisses))/sum(gets) rowcache from v$rowcache"));
    EXPECT_GT(rowcache, 0.5);
    EXPECT_EQ(rowsOf(session, "select name,value from v$sysstat where name in('db block "
                              "gets','consistent gets','physical reads')")
                  .size(),
              3u);
    EXPECT_GT(std::stoll(value("select sum(bytes) bytes from v$sgastat where name='free memory'")),
              0);
}

TEST_F(Statements, DatabasePages) {
    EXPECT_FALSE(rowsOf(session, "select banner from v$version").empty());
    EXPECT_EQ(rowsOf(session, "select * from v$database").size(), 1u);
    EXPECT_EQ(rowsOf(session, "select * from v$instance").size(), 1u);
    EXPECT_EQ(rowsOf(session, "select name,value from v$SGA").size(), 4u);
    EXPECT_FALSE(rowsOf(session, "select * from v$license").empty());
    oradb::TOraQuery nls(&session);
    nls.SQL.Add("select * from v$nls_parameters");
    nls.Open();
    EXPECT_NE(nls.FindField("parameter"), nullptr);
    EXPECT_NE(nls.FindField("value"), nullptr);
    oradb::TOraQuery params(&session);
    params.SQL.Add("select * from v$system_parameter order by name");
    params.Open();
    EXPECT_GT(params.RecordCount(), 100);
    for (const char* f : {"num", "name", "type", "value", "isdefault", "isses_modifiable",
                          "issys_modifiable", "ismodified", "isadjusted", "description"})
        EXPECT_NE(params.FindField(f), nullptr) << f;
    const auto events = rowsOf(session, "select event,total_waits,total_timeouts,time_waited/100 "
                                        "time_waited,average_wait/100 average_wait from "
                                        "v$system_event order by time_waited desc");
    ASSERT_GT(events.size(), 10u);
}

TEST_F(Statements, SessionControlAndParameters) {
    const auto victim = rowsOf(session, "select sid,serial# from v$session where type='USER' and "
                                        "status<>'KILLED' and username='SCOTT'");
    ASSERT_FALSE(victim.empty());
    oradb::TOraQuery q(&session);
    q.SQL.Add("alter system kill session '" + victim[0][0] + "," + victim[0][1] + "'");
    q.ExecSQL();
    EXPECT_EQ(value("select status from v$session where sid=" + victim[0][0]), "KILLED");

    q.SQL.Clear();
    q.SQL.Add("alter session set optimizer_mode=FIRST_ROWS");
    q.ExecSQL();
    q.SQL.Clear();
    q.SQL.Add("alter system set timed_statistics=false");
    q.ExecSQL();
    EXPECT_EQ(value("select value from v$system_parameter where name='timed_statistics'"), "FALSE");
}

TEST_F(Statements, SqlCaptureEndToEnd) {
    oradb::TOraSQL sql(&session);
    auto run = [&](const std::string& text) {
        sql.SQL.Clear();
        sql.SQL.Add(text);
        sql.Execute();
    };
    const auto tablespaces = rowsOf(session, "select tablespace_name from dba_tablespaces");
    ASSERT_FALSE(tablespaces.empty());
    const std::string storage = tablespaces[0][0] + " NOLOGGING storage (pctincrease 0)";
    run("create table system.qby_capturesql(saddr varchar2(30),sid number,user_name varchar2(20),"
        "address varchar2(30),osuser varchar2(30),machine varchar2(64),terminal varchar2(30),"
        "program varchar2(48),module varchar2(48),action varchar2(32),client_info varchar2(64),"
        "hash_value varchar2(30),fetchtime date,constraint op_uniq123 unique "
        "(sid,saddr,address,hash_value)) tablespace " +
        storage);
    run("create public synonym public_qby_capturesql for system.qby_capturesql");
    run("create table system.qby_sqlcollector(colid  number,colname varchar2(20),coldesc  "
        "varchar2(50),colsaddr  varchar2(30),colsid  number,colusername  varchar2(64),isschedule  "
        "number,scheduledate  number,schedulehour  number,scheduleminute  number,rtp  "
        "number,monitors  number,collogfilename  varchar2(30),collogfiledir  varchar2(100)) "
        "tablespace " +
        storage);
    run("create public synonym public_qby_sqlcollector for system.qby_sqlcollector");
    EXPECT_TRUE(rowsOf(session, "select * from public_qby_capturesql").empty());

    run("insert into public_qby_sqlcollector(colid,colname,collogfiledir,collogfilename,colsaddr,"
        "colsid,colusername,isschedule,scheduledate,schedulehour,scheduleminute,rtp,monitors) "
        "values(36000000,'scott','/tmp','scott.sql','0',1,'scott',1,739593,10,0,1800,5)");
    run("update public_qby_sqlcollector set colname='scott2',collogfiledir='/tmp',"
        "collogfilename='scott.sql',colsaddr='0',colsid=1,colusername='scott',isschedule=1,"
        "scheduledate=739593,schedulehour=10,scheduleminute=0,rtp=1800,monitors=5 where colid= "
        "36000000");
    const auto collectors =
        rowsOf(session, "select colid,colname,coldesc,colsaddr,colsid,colusername,isschedule,"
                        "scheduledate,schedulehour,scheduleminute,rtp,monitors,collogfilename,"
                        "collogfiledir from public_qby_sqlcollector order by colid ");
    ASSERT_EQ(collectors.size(), 1u);
    EXPECT_EQ(collectors[0][1], "scott2");

    EXPECT_FALSE(rowsOf(session, "select username,sysdate servernow from dba_users order by "
                                 "username")
                     .empty());
    const auto sessions = rowsOf(session, "select sid,rawtohex(saddr) saddr,username,osuser,"
                                          "machine,terminal,program,module,action,client_info "
                                          "from v$session where type <>'BACKGROUND' order by sid");
    ASSERT_FALSE(sessions.empty());
    EXPECT_EQ(sessions[0][1].size(), 16u);

    run("lock table public_qby_capturesql in exclusive mode nowait");
    run("delete from public_qby_capturesql");
    const std::string block =
        "  declare  cursor c1 is select s.osuser osuser,s.machine machine,s.terminal terminal, "
        "s.program program,s.module module,s.action action, s.client_info client_info, "
        "rawtohex(oc.saddr) saddr, s.sid sid ,s.username username , rawtohex(oc.address) address, "
        "to_char(oc.hash_value) hash_value, sysdate fetchtime  from v$session s,v$open_cursor oc  "
        "where s.saddr=oc.saddr  and (  ( oc.user_name='SCOTT') ) and not exists ( "
        " select sid from public_qby_capturesql tot where   tot.sid=s.sid and tot.saddr=oc.saddr "
        "and tot.address=oc.address and tot.hash_value=oc.hash_value); c1_rec  c1%ROWTYPE; begin "
        " open c1;  loop    fetch c1 into c1_rec;    exit when c1%notfound;    begin    insert /*+ "
        "append */ into public_qby_capturesql values( c1_rec.saddr,c1_rec.sid, "
        "c1_rec.username,c1_rec.address, c1_rec.osuser,c1_rec.machine,c1_rec.terminal,"
        "c1_rec.program, c1_rec.module,c1_rec.action,c1_rec.client_info, "
        "c1_rec.hash_value,c1_rec.fetchtime);  exception  when others then null;  end;  end loop; "
        " exception  when others then null;  close c1;end;";
    run(block);
    const std::string captured = value("select count(*) from public_qby_capturesql");
    EXPECT_GT(std::stoi(captured), 0);
    run(block); // every cursor is captured once
    EXPECT_EQ(value("select count(*) from public_qby_capturesql"), captured);

    oradb::TOraQuery fetch(&session);
    fetch.SQL.Add(
        "select tot.sid sid,tot.address address,tot.hash_value hash_value,st.piece "
        "piece,tot.user_name user_name,tot.osuser osuser,tot.program program,tot.machine "
        "machine,st.sql_text sql_text, sa.sorts sorts ,sa.parse_calls parse_calls,sa.loads "
        "loads,sa.executions executions,sa.rows_processed rows_processed,sa.first_load_time "
        "first_load_time,sysdate fetchtime from public_qby_capturesql tot,v$sqltext "
        "st,v$sqlarea sa where   fetchtime>:fetchtime  and tot.user_name='SCOTT' and "
        "to_char(st.hash_value)=tot.hash_value and rawtohex(st.address)=tot.address  and "
        "st.address= sa.address  and "
        "sa.hash_value=st.hash_value+decode(sign(st.hash_value),-1,power(2,32),0) order by "
        "tot.sid,tot.address,tot.hash_value,st.piece");
    fetch.ParamByName("fetchtime").SetAsDateTime(util::now() - 1);
    fetch.Open();
    EXPECT_GE(fetch.RecordCount(), std::stoi(captured));
    EXPECT_EQ(fetch.FieldByName("piece").AsString(), "0");
    run("commit");

    for (const char* drop :
         {"drop public synonym public_qby_capturesql",
          "drop public synonym public_qby_sqlcollector",
          "alter table system.qby_capturesql drop constraint op_uniq123",
          "drop table system.qby_capturesql", "drop table system.qby_sqlcollector"})
        run(drop);
    try {
        run("drop public synonym public_qby_capturesql");
        FAIL() << "dropping a missing synonym succeeded";
    } catch (const oradb::EOraError& e) {
        EXPECT_EQ(e.ErrorCode(), 1432);
    }
}

} // namespace
