SELECT ROUND((1 - (phy.value - lob.value - dir.value) / ses.value) * 100, 2) "Buffer Cache Hit Ratio"
FROM v$sysstat ses, v$sysstat lob, v$sysstat dir, v$sysstat phy
WHERE ses.name = 'session logical reads'
AND dir.name = 'physical reads direct'
AND lob.name = 'physical reads direct (lob)'
AND phy.name = 'physical reads';
