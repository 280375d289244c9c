SELECT l.sid, l.type, DECODE(l.lmode, 0, 'None', 1, 'Null', 2, 'Row-S', 3, 'Row-X', 4, 'Share', 5, 'S/Row-X', 6, 'Exclusive') lmode,
DECODE(l.request, 0, 'None', 1, 'Null', 2, 'Row-S', 3, 'Row-X', 4, 'Share', 5, 'S/Row-X', 6, 'Exclusive') request,
l.id1, l.id2, l.ctime, l.block, o.object_name
FROM v$lock l LEFT OUTER JOIN dba_objects o ON l.id1 = o.object_id AND l.type = 'TM'
WHERE l.type IN ('TM','TX') ORDER BY l.sid;
SELECT * FROM dba_blockers;
SELECT holding_session, waiting_session FROM dba_waiters;
