select lpad(' ', (level-1)*2, ' ') || nvl(s.username, '(oracle)') as username,
       s.osuser, s.sid, s.serial#, s.module, s.machine, s.program,
       to_char(s.logon_time,'DD-MON-YYYY HH24:MI:SS') as logon_time
from   v$session s
where  level > 1
or     exists (select 1 from v$session where blocking_session = s.sid)
connect by prior s.sid = s.blocking_session
start with s.blocking_session is null;
