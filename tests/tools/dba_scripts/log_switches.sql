SELECT TO_CHAR(first_time,'YYYY-MM-DD') day, TO_CHAR(first_time,'HH24') hour, COUNT(*) switches
FROM v$log_history WHERE first_time > SYSDATE - 7
GROUP BY TO_CHAR(first_time,'YYYY-MM-DD'), TO_CHAR(first_time,'HH24') ORDER BY 1,2;
select group#, thread#, sequence#, bytes/1024/1024 mb, members, archived, status from v$log;
select member from v$logfile;
