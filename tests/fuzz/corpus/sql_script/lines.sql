select 1 from dual
select 2 from dual
