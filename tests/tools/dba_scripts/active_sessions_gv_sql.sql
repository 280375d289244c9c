SELECT s.inst_id, s.sid, s.serial#, s.username, s.osuser, s.machine, s.module, s.event,
       s.last_call_et, s.blocking_session, q.sql_text
FROM gv$session s LEFT JOIN gv$sql q ON s.sql_id = q.sql_id AND s.inst_id = q.inst_id AND s.sql_child_number = q.child_number
WHERE s.type <> 'BACKGROUND' AND s.status = 'ACTIVE'
ORDER BY s.last_call_et DESC;
