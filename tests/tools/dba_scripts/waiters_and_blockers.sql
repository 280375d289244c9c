select w.sid waiter, w.event, w.seconds_in_wait, b.sid blocker, b.username blocker_user, b.status
from v$session w join v$session b on w.blocking_session = b.sid
where w.blocking_session is not null;
select waiting_session, holding_session, lock_type, mode_held, mode_requested from dba_waiters;
