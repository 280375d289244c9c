select s.sid, s.username, u.tablespace, u.segtype, u.blocks*8192/1024/1024 mb
from v$sort_usage u, v$session s where u.session_addr = s.saddr order by mb desc;
select tablespace_name, sum(bytes_used)/1024/1024 used_mb, sum(bytes_free)/1024/1024 free_mb from v$temp_space_header group by tablespace_name;
