-- top sessions by I/O
SELECT s.sid, s.username, i.block_gets, i.consistent_gets, i.physical_reads, i.block_changes,
       ROUND(100 * (i.consistent_gets + i.block_gets - i.physical_reads) /
             NULLIF(i.consistent_gets + i.block_gets, 0), 2) AS hit_pct
  FROM v$sess_io i
  JOIN v$session s ON s.sid = i.sid
 WHERE s.username IS NOT NULL
 ORDER BY i.physical_reads DESC
 FETCH FIRST 10 ROWS ONLY;
