SELECT s.sid, s.serial#, s.username, s.program, i.block_changes
FROM   v$session s, v$sess_io i
WHERE  s.sid = i.sid
ORDER BY 5 DESC, 1, 2, 3, 4;
SELECT a.inst_id, a.sid, a.serial#, a.username, b.value/100 cpu_s FROM gv$session a, gv$sesstat b, gv$statname c WHERE a.inst_id = b.inst_id AND b.inst_id = c.inst_id AND a.sid = b.sid AND b.statistic# = c.statistic# AND c.name = 'CPU used by this session' AND a.username IS NOT NULL ORDER BY 5 DESC;
