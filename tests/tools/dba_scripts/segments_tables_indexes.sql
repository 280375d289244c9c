select owner, segment_name, segment_type, extents, max_extents from dba_segments where extents > 5 order by extents desc;
select owner, table_name, tablespace_name, logging, degree from dba_tables where owner not in ('SYS','SYSTEM') order by owner, table_name;
select owner, index_name, table_name, uniqueness, status from dba_indexes where owner = 'APPUSER';
