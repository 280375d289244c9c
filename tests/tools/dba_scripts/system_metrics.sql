set lines 200
col metric_name format a40
select metric_name, round(value, 2) value, metric_unit
  from v$sysmetric
 where group_id = 2
   and metric_name in ('Buffer Cache Hit Ratio', 'Host CPU Utilization (%)',
                       'Average Active Sessions', 'Executions Per Sec', 'Physical Reads Per Sec')
 order by metric_name;
select metric_name, round(minval, 2) min_v, round(average, 2) avg_v, round(maxval, 2) max_v
  from v$sysmetric_summary
 where metric_name like '%Per Sec'
 order by metric_name;
select to_char(begin_time, 'HH24:MI') minute, round(value, 1) aas
  from v$sysmetric_history
 where metric_name = 'Average Active Sessions'
 order by begin_time desc
 fetch first 10 rows only;
