select sysdate - startup_time "Days Up", to_char(startup_time, 'DD-MON-YYYY HH24:MI') started, instance_name, host_name, version, status from v$instance;
select banner from v$version;
select name, log_mode, open_mode, database_role from v$database;
select trunc(sysdate) - 1 yesterday, add_months(trunc(sysdate,'MM'),1) next_month from dual;
