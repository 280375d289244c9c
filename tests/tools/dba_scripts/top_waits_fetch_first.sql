select event, total_waits, time_waited, average_wait
from v$system_event
where wait_class <> 'Idle'
order by time_waited desc
fetch first 10 rows only;
