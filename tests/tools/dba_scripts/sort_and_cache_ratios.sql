SELECT a.name,
       a.value
FROM   v$sysstat a
WHERE  a.name IN ('sorts (memory)', 'sorts (disk)');
SELECT 'Dictionary Cache Hit Ratio' "Ratio", ROUND((1 - (SUM(getmisses)/SUM(gets))) * 100, 2) "Percentage" FROM v$rowcache;
SELECT Sum(a.pins) "Executions", Sum(a.reloads) "Reloads", (Sum(a.reloads)/Sum(a.pins))*100 "Reload %" FROM v$librarycache a;
SELECT ROUND(SUM(CASE WHEN name = 'physical reads' THEN value END) / NULLIF(SUM(CASE WHEN name IN ('db block gets','consistent gets') THEN value END),0) * 100, 2) miss_pct FROM v$sysstat;
