select name, value from v$parameter where name in ('sga_target','pga_aggregate_target','processes','sessions','db_block_size') order by name;
select * from nls_database_parameters where parameter like 'NLS_%CHARACTERSET';
select parameter, value from nls_session_parameters;
