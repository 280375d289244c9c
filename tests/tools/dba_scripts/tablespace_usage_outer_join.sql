select df.tablespace_name "Tablespace",
       round(df.bytes/1024/1024) "Size MB",
       round((df.bytes - nvl(fs.bytes,0))/1024/1024) "Used MB",
       round(nvl(fs.bytes,0)/1024/1024) "Free MB",
       round(100 * (df.bytes - nvl(fs.bytes,0)) / df.bytes, 1) "% Used"
from (select tablespace_name, sum(bytes) bytes from dba_data_files group by tablespace_name) df,
     (select tablespace_name, sum(bytes) bytes from dba_free_space group by tablespace_name) fs
where df.tablespace_name = fs.tablespace_name(+)
order by 5 desc;
