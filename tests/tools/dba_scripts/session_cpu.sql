select a.sid, a.username, b.name, c.value
from v$session a, v$statname b, v$sesstat c
where a.sid = c.sid and b.statistic# = c.statistic#
and b.name = 'CPU used by this session'
and a.username is not null
order by c.value desc;
