select name, value, isdefault, ismodified, description from v$parameter where isdefault = 'FALSE' order by name;
select name, display_value from v$system_parameter where name like '%pool%';
select * from v$nls_parameters;
select * from nls_instance_parameters;
