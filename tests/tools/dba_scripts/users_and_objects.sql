select username, account_status, default_tablespace, temporary_tablespace, created, profile, lock_date, expiry_date from dba_users order by username;
select owner, object_type, count(*) from dba_objects where status = 'INVALID' group by owner, object_type;
select owner, count(*) from dba_objects group by owner having count(*) > 2 order by 2 desc;
