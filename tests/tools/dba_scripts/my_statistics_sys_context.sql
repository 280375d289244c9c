select n.name, s.value from v$statname n, v$mystat s where n.statistic# = s.statistic# and s.value > 0 and rownum <= 10;
select sys_context('USERENV','SID') sid, sys_context('USERENV','SESSION_USER') usr, sys_context('userenv','instance_name') inst from dual;
