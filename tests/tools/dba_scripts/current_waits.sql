SELECT NVL(s.username,'(oracle)') AS username,
       s.sid,
       s.serial#,
       sw.event,
       sw.wait_time,
       sw.seconds_in_wait,
       sw.state
FROM   v$session_wait sw,
       v$session s
WHERE  s.sid = sw.sid
AND    s.wait_class <> 'Idle'
ORDER BY sw.seconds_in_wait DESC;
SELECT event, total_waits, total_timeouts, time_waited, average_wait, time_waited_micro FROM v$session_event WHERE sid = 1 ORDER BY time_waited DESC;
