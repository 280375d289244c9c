set lines 200
col username format a20
prompt Sessions
select sid, username
  from v$session -- users
 where type = 'USER';
/
begin
  null;
end;
/
exit
