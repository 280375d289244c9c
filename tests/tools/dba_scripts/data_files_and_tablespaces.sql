select file_name, tablespace_name, bytes/1024/1024 mb, maxbytes/1024/1024 maxmb, autoextensible, status from dba_data_files order by tablespace_name;
select tablespace_name, status, contents, extent_management, segment_space_management, block_size from dba_tablespaces;
select tablespace_name, used_percent from dba_tablespace_usage_metrics order by used_percent desc;
select tablespace_name, round(sum(bytes)/1048576) free_mb, max(bytes)/1048576 largest_mb, count(*) pieces from dba_free_space group by tablespace_name;
