select owner, object_name, object_type, created, last_ddl_time, status from dba_objects where last_ddl_time > sysdate - 30 and owner not in ('SYS','SYSTEM') order by last_ddl_time desc;
select sid, serial#, username, to_char(logon_time, 'MM/DD HH24:MI') logon, round((sysdate - logon_time) * 24, 1) hours from v$session where username is not null order by logon_time;
