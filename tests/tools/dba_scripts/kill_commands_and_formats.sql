select 'alter system kill session ''' || sid || ',' || serial# || ''' immediate;' cmd from v$session where username = 'SCOTT';
select to_char(sysdate, 'Day, DD Month YYYY HH:MI:SS AM') now, to_char(1234567.891, '9,999,999.99') n, to_char(0.5, '0.00') h, to_char(42, 'FM00009') p from dual;
select months_between(date '2024-03-31', date '2024-02-29') mb, last_day(date '2024-02-10') ld, next_day(date '2024-03-05', 'MONDAY') nd from dual;
select extract(year from sysdate) y, round(sysdate - trunc(sysdate), 3) frac, initcap('hello world') ic, chr(65)||chr(66) ab, bitand(6,3) b, nvl2(null,1,2) n2, greatest(1,5,3) g from dual;
