select sample_time, session_id, sql_id, event, session_state from v$active_session_history where sample_time > sysdate - 5/1440 and rownum <= 10;
select nvl(event,'ON CPU') event, count(*) from v$active_session_history where sample_time > systimestamp - interval '10' minute group by nvl(event,'ON CPU') order by 2 desc;
