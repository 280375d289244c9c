select s.sid, s.username, s.status, t.sql_text from v$session s, v$sqltext t where s.sql_address = t.address and s.sql_hash_value = t.hash_value and s.username is not null order by s.sid, t.piece;
select c.sid, c.user_name, c.sql_id, c.sql_text from v$open_cursor c where c.user_name = 'APPUSER' and rownum <= 5;
select sid, count(*) from v$open_cursor group by sid order by 2 desc fetch first 3 rows only;
