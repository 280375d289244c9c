select tablespace_name, file_name, bytes/1024/1024 mb, autoextensible, maxbytes/1024/1024 max_mb from dba_temp_files;
select * from gv$session where rownum < 3;
select count(*) from sys.v_$session;
select u.name, o.name, o.type# from sys.obj$ o, sys.user$ u where o.owner# = u.user# and rownum <= 5;
