select s.sid, s.username, s.sql_id, q.sql_text from v$session s, v$sql q
where s.sql_id = q.sql_id and s.sql_child_number = q.child_number and s.status = 'ACTIVE' and s.type = 'USER';
select sid, event, wait_class, state, seconds_in_wait, p1, p2, p3 from v$session_wait where wait_class != 'Idle';
