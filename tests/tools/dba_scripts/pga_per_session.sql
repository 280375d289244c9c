select s.sid, s.serial#, s.username, round(p.pga_used_mem/1024/1024,2) pga_used_mb, round(p.pga_alloc_mem/1024/1024,2) pga_alloc_mb, round(p.pga_max_mem/1024/1024,2) pga_max_mb
from v$session s, v$process p where s.paddr = p.addr order by p.pga_alloc_mem desc fetch first 5 rows only;
select name, round(value/1024/1024) mb from v$sga;
select * from v$sgainfo;
