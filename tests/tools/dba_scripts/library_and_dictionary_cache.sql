select sum(pins) "Executions", sum(reloads) "Cache Misses", round(sum(reloads)/sum(pins)*100,4) "Reload %" from v$librarycache;
select round(sum(gets-getmisses)*100/sum(gets),2) "Dictionary Hit Ratio" from v$rowcache;
