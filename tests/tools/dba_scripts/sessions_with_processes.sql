set lines 200 pages 1000
col username for a15
col machine for a25
select s.sid, s.serial#, s.username, s.status, s.machine, s.program, p.spid,
       to_char(s.logon_time,'DD-MON-YY HH24:MI') logon
  from v$session s, v$process p
 where s.paddr = p.addr
   and s.username is not null
 order by s.logon_time;
