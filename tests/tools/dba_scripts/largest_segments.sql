select owner, segment_name, segment_type, tablespace_name, round(bytes/1024/1024,2) mb
from dba_segments where owner not in ('SYS','SYSTEM') order by bytes desc fetch first 10 rows only;
select owner, table_name, num_rows, blocks, last_analyzed from dba_tables where owner = 'SCOTT';
