set pagesize 50 linesize 150
column sid_serial format a12
SELECT s.sid || ',' || s.serial# sid_serial, s.username, s.osuser, p.spid os_pid,
       s.program, s.module, s.action, s.client_info, s.client_identifier,
       s.sql_exec_start, round(s.wait_time_micro/1e6, 1) wait_s
  FROM v$session s, v$process p
 WHERE s.paddr = p.addr(+) AND s.type = 'USER'
 ORDER BY s.sql_exec_start NULLS LAST;
