select name, bytes/1024/1024 mb, resizeable from v$sgainfo order by bytes desc;
select round(sum(value)/1024/1024, 2) "PGA MB" from v$sesstat s, v$statname n where s.statistic# = n.statistic# and n.name = 'session pga memory';
select 'Shared pool free %: ' || round(100 * (select bytes from v$sgastat where name = 'free memory' and pool = 'shared pool') / (select sum(bytes) from v$sgastat where pool = 'shared pool'), 2) txt from dual;
