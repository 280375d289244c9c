select sql_id, plan_hash_value, executions, round(elapsed_time/decode(executions,0,1,executions)/1000) avg_ms,
round(buffer_gets/decode(executions,0,1,executions)) gets_per_exec, rows_processed, sql_text
from v$sql where executions > 0 order by elapsed_time desc fetch first 10 rows only;
