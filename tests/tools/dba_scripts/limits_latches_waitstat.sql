select resource_name, current_utilization, max_utilization, initial_allocation, limit_value from v$resource_limit where resource_name in ('processes','sessions','transactions');
select name, gets, misses, sleeps, round(misses/decode(gets,0,1,gets)*100,3) miss_pct from v$latch where misses > 0 order by sleeps desc fetch first 5 rows only;
select class, count, time from v$waitstat where count > 0;
select name, description from v$bgprocess where paddr <> '00';
