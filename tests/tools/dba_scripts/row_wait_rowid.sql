select do.object_name, row_wait_obj#, do.data_object_id, row_wait_file#, row_wait_block#, row_wait_row#,
dbms_rowid.rowid_create(1, do.data_object_id, row_wait_file#, row_wait_block#, row_wait_row#) rid
from v$session s, dba_objects do where sid = (select max(sid) from v$session where blocking_session is not null) and s.row_wait_obj# = do.object_id;
