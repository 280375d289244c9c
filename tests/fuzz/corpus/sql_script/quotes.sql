select 'a;b' x, "c;d" /* ; */ from dual;
exec dbms_lock.sleep(1)
set pagesize -
 100
