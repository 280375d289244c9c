col "Session" format a20
select '"' || s.username || '"' "Session", decode(l.type,'TM','DML','TX','Trans','UL','User',l.type) "Lock Type",
decode(l.lmode,0,'None',1,'Null',2,'Row Share',3,'Row Excl.',4,'Share',5,'S/Row Excl.',6,'Exclusive',to_char(l.lmode)) "Held",
decode(l.request,0,'None',1,'Null',2,'Row Share',3,'Row Excl.',4,'Share',5,'S/Row Excl.',6,'Exclusive',to_char(l.request)) "Requested",
l.ctime "Secs", decode(l.block, 0, 'No', 'Yes') "Blocking"
from v$lock l, v$session s where l.sid = s.sid and l.type in ('TM','TX') order by l.ctime desc;
