select sid, serial#, opname, target, sofar, totalwork, round(sofar/totalwork*100,2) pct_done,
time_remaining, elapsed_seconds from v$session_longops where totalwork > 0 and sofar <> totalwork;
