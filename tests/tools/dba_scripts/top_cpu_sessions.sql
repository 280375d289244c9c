select * from (
select s.sid, s.username, s.sql_id, round(st.value/100) cpu_secs
from v$session s, v$sesstat st, v$statname sn
where s.sid = st.sid and st.statistic# = sn.statistic# and sn.name = 'CPU used by this session'
and s.status = 'ACTIVE' order by st.value desc) where rownum <= 5;
