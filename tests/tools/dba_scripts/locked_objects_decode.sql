select o.owner, o.object_name, o.object_type, l.session_id, l.oracle_username, l.locked_mode,
decode(l.locked_mode, 0,'None',1,'Null',2,'Row-S (SS)',3,'Row-X (SX)',4,'Share',5,'S/Row-X (SSX)',6,'Exclusive') lock_mode
from v$locked_object l, dba_objects o where l.object_id = o.object_id;
