
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
