select pool, name, round(bytes/1024/1024,2) mb from v$sgastat where pool = 'shared pool' and name = 'free memory';
select component, current_size/1024/1024 mb, min_size/1024/1024 min_mb from v$sga_dynamic_components where current_size > 0;
select name, value from v$pgastat where name in ('aggregate PGA target parameter','total PGA allocated','total PGA inuse');
