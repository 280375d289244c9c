select sql_id, child_number, executions, parse_calls, loads, invalidations, sharable_mem from v$sql where rownum < 5;
select sql_id, version_count, sharable_mem from v$sqlarea where version_count > 1 order by version_count desc;
select hash_value, address, sql_text from v$sqltext_with_newlines where piece = 0 and rownum < 3;
