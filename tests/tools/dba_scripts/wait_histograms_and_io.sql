select event, wait_time_milli, wait_count
  from v$event_histogram
 where event in ('db file sequential read', 'log file sync')
 order by event, wait_time_milli;
select sid, seq#, event, wait_time_micro from v$session_wait_history where sid = (select min(sid) from v$session where type = 'USER') order by seq#;
select filetype_name, sum(small_read_reqs + large_read_reqs) reads,
       sum(small_write_reqs + large_write_reqs) writes,
       round(sum(small_read_megabytes + large_read_megabytes)) read_mb
  from v$iostat_file
 group by filetype_name
 order by 2 desc;
select function_name, small_read_megabytes + large_read_megabytes read_mb,
       small_write_megabytes + large_write_megabytes write_mb, number_of_waits
  from v$iostat_function order by function_id;
select name, block_size, current_size, buffers from v$buffer_pool;
select name, physical_reads, physical_writes, consistent_gets, db_block_gets,
       round(100 * (1 - physical_reads / (consistent_gets + db_block_gets)), 2) hit_ratio
  from v$buffer_pool_statistics;
select component, current_size / 1048576 mb from v$memory_dynamic_components where current_size > 0;
select p.spid, pm.category, pm.allocated, pm.used from v$process p, v$process_memory pm where p.pid = pm.pid and rownum <= 8;
