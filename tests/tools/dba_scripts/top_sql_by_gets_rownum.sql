select * from (
  select sql_id, executions, buffer_gets, disk_reads, round(elapsed_time/1000000,2) elapsed_s,
         substr(sql_text,1,60) sql_text
  from v$sqlarea
  order by buffer_gets desc
) where rownum <= 10;
