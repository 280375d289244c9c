select wait_class, sum(total_waits) waits, sum(time_waited) time from v$system_event where wait_class <> 'Idle' group by wait_class order by 3 desc;
select sid, event, total_waits, time_waited, max_wait from v$session_event where sid = (select max(sid) from v$session where username='APPUSER') order by time_waited desc;
select stat_name, round(value/1000000) seconds from v$sys_time_model where stat_name in ('DB time','DB CPU','sql execute elapsed time');
