select s.username, s.sid, s.serial#, t.used_ublk * (select value from v$parameter where name = 'db_block_size') / 1024 undo_kb, r.segment_name
from v$session s, v$transaction t, dba_rollback_segs r where s.taddr = t.addr and t.xidusn = r.segment_id;
select tablespace_name, status, sum(bytes)/1048576 mb from dba_undo_extents group by tablespace_name, status;
