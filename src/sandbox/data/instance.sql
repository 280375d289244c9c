-- The fixed facts of the sandbox instance "PROD" on host dbprod01 (Oracle Database 19c Enterprise Edition, 19.3).
-- Times relative to the instance clock read sbx_meta 'clock', which the seeding sets first.

insert into dual values ('X');

insert into "v$version" values
    ('Oracle Database 19c Enterprise Edition Release 19.0.0.0.0 - Production',
     'Oracle Database 19c Enterprise Edition Release 19.0.0.0.0 - Production' || char(10) ||
     'Version 19.3.0.0.0',
     'Oracle Database 19c Enterprise Edition Release 19.0.0.0.0 - Production', 0);

insert into "v$database" values (
    2718403765, 'PROD', '2003-05-14 10:22:41', 1, '2003-05-14 10:22:38', 0, null,
    'ARCHIVELOG', 88392017, 88213405, 'CURRENT', '2003-05-14 10:22:43', 214557, 88393770,
    (select value from sbx_meta where key = 'clock'), 'NOT ALLOWED', '2003-05-14 10:22:41',
    'READ WRITE', 'MAXIMUM PERFORMANCE', 'MAXIMUM PERFORMANCE', 'ENABLED', 2718384565,
    'PRIMARY', 88213405, 'SESSIONS ACTIVE', 'DISABLED', 'NONE', 'NO', 'NO', 'NO', 'NO', 13,
    'Linux x86 64-bit', 'PROD', 'NO', 'NO', 0);

insert into "v$instance" values (
    1, 'PROD', 'dbprod01', '19.0.0.0.0', '19.0.0.0.0', '19.3.0.0.0',
    (select datetime(value, '-3 days', '-4 hours', '-17 minutes', '-32 seconds')
       from sbx_meta where key = 'clock'),
    'OPEN', 'NO', 1, 'STARTED', null, 'ALLOWED', 'NO', 'ACTIVE', 'PRIMARY_INSTANCE', 'NORMAL',
    'NO', 0, 'REGULAR', 'EE', null, 'SINGLE');

insert into "v$sga" values
    ('Fixed Size', 731168),
    ('Variable Size', 285212672),
    ('Database Buffers', 536870912),
    ('Redo Buffers', 811008);

insert into "v$sgastat" values
    (null, 'fixed_sga', 731168),
    (null, 'buffer_cache', 536870912),
    (null, 'log_buffer', 787456),
    ('shared pool', 'errors', 12896),
    ('shared pool', 'enqueue', 1717184),
    ('shared pool', 'KGK heap', 7000),
    ('shared pool', 'KQR L PO', 1209392),
    ('shared pool', 'KQR M PO', 822344),
    ('shared pool', 'KQR S SO', 8456),
    ('shared pool', 'KGLS heap', 2864312),
    ('shared pool', 'sessions', 755040),
    ('shared pool', 'sql area', 39844648),
    ('shared pool', 'processes', 345600),
    ('shared pool', 'PL/SQL DIANA', 1502328),
    ('shared pool', 'PL/SQL MPCODE', 3276560),
    ('shared pool', 'free memory', 61407168),
    ('shared pool', 'transaction', 1193536),
    ('shared pool', 'table definiti', 17696),
    ('shared pool', 'trigger defini', 7688),
    ('shared pool', 'library cache', 30198224),
    ('shared pool', 'miscellaneous', 10811136),
    ('shared pool', 'parameters', 45336),
    ('shared pool', 'dictionary cache', 3221024),
    ('shared pool', 'FileOpenBlock', 1346136),
    ('shared pool', 'message pool freequeue', 834752),
    ('large pool', 'free memory', 15939584),
    ('large pool', 'PX msg pool', 838656),
    ('java pool', 'free memory', 31207424),
    ('java pool', 'memory in use', 2347008);

insert into "v$license" values (0, 0, 0, 0, 0);

insert into "v$nls_parameters" values
    ('NLS_LANGUAGE', 'AMERICAN'),
    ('NLS_TERRITORY', 'AMERICA'),
    ('NLS_CURRENCY', '$'),
    ('NLS_ISO_CURRENCY', 'AMERICA'),
    ('NLS_NUMERIC_CHARACTERS', '.,'),
    ('NLS_CALENDAR', 'GREGORIAN'),
    ('NLS_DATE_FORMAT', 'DD-MON-RR'),
    ('NLS_DATE_LANGUAGE', 'AMERICAN'),
    ('NLS_CHARACTERSET', 'WE8ISO8859P1'),
    ('NLS_SORT', 'BINARY'),
    ('NLS_TIME_FORMAT', 'HH.MI.SSXFF AM'),
    ('NLS_TIMESTAMP_FORMAT', 'DD-MON-RR HH.MI.SSXFF AM'),
    ('NLS_TIME_TZ_FORMAT', 'HH.MI.SSXFF AM TZR'),
    ('NLS_TIMESTAMP_TZ_FORMAT', 'DD-MON-RR HH.MI.SSXFF AM TZR'),
    ('NLS_DUAL_CURRENCY', '$'),
    ('NLS_NCHAR_CHARACTERSET', 'AL16UTF16'),
    ('NLS_COMP', 'BINARY'),
    ('NLS_LENGTH_SEMANTICS', 'BYTE'),
    ('NLS_NCHAR_CONV_EXCP', 'FALSE');

insert into "v$librarycache" values
    ('SQL AREA', 1846211, 1788932, 0.969, 6630419, 6521840, 0.984, 2471, 1187, 0, 0, 0, 0, 0),
    ('TABLE/PROCEDURE', 918344, 902217, 0.982, 2702218, 2688310, 0.995, 611, 0, 0, 0, 0, 0, 0),
    ('BODY', 210877, 210502, 0.998, 210911, 210390, 0.998, 41, 0, 0, 0, 0, 0, 0),
    ('TRIGGER', 48210, 48102, 0.998, 48214, 48097, 0.998, 7, 0, 0, 0, 0, 0, 0),
    ('INDEX', 3321, 2904, 0.874, 3321, 2861, 0.861, 0, 0, 0, 0, 0, 0, 0),
    ('CLUSTER', 8872, 8859, 0.999, 10412, 10398, 0.999, 0, 0, 0, 0, 0, 0, 0),
    ('OBJECT', 0, 0, 1, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0),
    ('PIPE', 0, 0, 1, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0),
    ('JAVA SOURCE', 0, 0, 1, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0),
    ('JAVA RESOURCE', 4, 2, 0.5, 4, 2, 0.5, 0, 0, 0, 0, 0, 0, 0),
    ('JAVA DATA', 112, 109, 0.973, 310, 306, 0.987, 0, 0, 0, 0, 0, 0, 0);

insert into "v$rowcache" values
    (1, 'PARENT', null, 'dc_free_extents', 61, 12, 0, 8123, 2201, 0, 0, 0, 1893, 1893, 0, 0, 0),
    (4, 'PARENT', null, 'dc_used_extents', 23, 4, 0, 1911, 1003, 0, 0, 0, 1911, 1911, 0, 0, 0),
    (2, 'PARENT', null, 'dc_segments', 1102, 1087, 0, 412055, 3310, 0, 0, 0, 2214, 2214, 0, 0, 0),
    (0, 'PARENT', null, 'dc_tablespaces', 14, 7, 0, 522190, 12, 0, 0, 0, 0, 0, 0, 0, 0),
    (5, 'PARENT', null, 'dc_tablespace_quotas', 9, 3, 0, 2210, 6, 0, 0, 0, 1002, 1002, 0, 0, 0),
    (6, 'PARENT', null, 'dc_files', 12, 6, 0, 1831, 6, 0, 0, 0, 0, 0, 0, 0, 0),
    (10, 'PARENT', null, 'dc_users', 77, 68, 0, 1830222, 210, 0, 0, 0, 0, 0, 0, 0, 0),
    (8, 'PARENT', null, 'dc_objects', 3011, 2998, 0, 992710, 8213, 0, 0, 0, 381, 381, 0, 0, 0),
    (17, 'PARENT', null, 'dc_global_oids', 66, 51, 0, 41210, 103, 0, 0, 0, 0, 0, 0, 0, 0),
    (12, 'PARENT', null, 'dc_constraints', 31, 2, 0, 402, 201, 0, 0, 0, 402, 402, 0, 0, 0),
    (13, 'PARENT', null, 'dc_sequences', 41, 22, 0, 66120, 188, 0, 0, 0, 66110, 66110, 0, 0, 0),
    (16, 'PARENT', null, 'dc_histogram_defs', 4410, 4397, 0, 318822, 9921, 0, 0, 0, 0, 0, 0, 0, 0),
    (16, 'SUBORDINATE', 0, 'dc_histogram_data', 1122, 1104, 0, 88213, 1410, 0, 0, 0, 0, 0, 0, 0, 0),
    (7, 'PARENT', null, 'dc_object_ids', 2088, 2071, 0, 1288910, 4120, 0, 0, 0, 122, 122, 0, 0, 0),
    (15, 'PARENT', null, 'dc_database_links', 3, 1, 0, 1210, 4, 0, 0, 0, 0, 0, 0, 0, 0),
    (11, 'PARENT', null, 'dc_usernames', 25, 18, 0, 330218, 31, 0, 0, 0, 0, 0, 0, 0, 0),
    (3, 'PARENT', null, 'dc_rollback_segments', 22, 21, 0, 498212, 21, 0, 0, 0, 228, 228, 0, 0, 0),
    (14, 'PARENT', null, 'dc_profiles', 2, 1, 0, 10231, 2, 0, 0, 0, 0, 0, 0, 0, 0),
    (18, 'PARENT', null, 'dc_outlines', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0),
    (19, 'PARENT', null, 'dc_table_scns', 8, 2, 0, 22, 8, 0, 0, 0, 0, 0, 0, 0, 0),
    (22, 'SUBORDINATE', 2, 'dc_user_grants', 61, 49, 0, 401233, 52, 0, 0, 0, 0, 0, 0, 0, 0),
    (23, 'SUBORDINATE', 3, 'dc_partition_scns', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0);

insert into dba_tablespaces (tablespace_name, block_size, initial_extent, next_extent,
    min_extents, max_extents, pct_increase, min_extlen, status, contents, logging, force_logging,
    extent_management, allocation_type, plugged_in, segment_space_management) values
    ('SYSTEM', 8192, 65536, 65536, 1, 2147483645, 50, 0, 'ONLINE', 'PERMANENT', 'LOGGING',
     'NO', 'DICTIONARY', 'USER', 'NO', 'MANUAL'),
    ('UNDOTBS1', 8192, 65536, null, 1, 2147483645, null, 65536, 'ONLINE', 'UNDO', 'LOGGING',
     'NO', 'LOCAL', 'SYSTEM', 'NO', 'MANUAL'),
    ('TEMP', 8192, 1048576, 1048576, 1, null, 0, 1048576, 'ONLINE', 'TEMPORARY', 'NOLOGGING',
     'NO', 'LOCAL', 'UNIFORM', 'NO', 'MANUAL'),
    ('INDX', 8192, 65536, null, 1, 2147483645, null, 65536, 'ONLINE', 'PERMANENT', 'LOGGING',
     'NO', 'LOCAL', 'SYSTEM', 'NO', 'AUTO'),
    ('TOOLS', 8192, 65536, null, 1, 2147483645, null, 65536, 'ONLINE', 'PERMANENT', 'LOGGING',
     'NO', 'LOCAL', 'SYSTEM', 'NO', 'AUTO'),
    ('USERS', 8192, 65536, null, 1, 2147483645, null, 65536, 'ONLINE', 'PERMANENT', 'LOGGING',
     'NO', 'LOCAL', 'SYSTEM', 'NO', 'AUTO');

update dba_tablespaces set retention = 'NOGUARANTEE' where contents = 'UNDO';

-- The temporary tablespace has temp files, not data files.
insert into dba_temp_files values
    ('/u02/oradata/PROD/temp01.dbf', 1, 'TEMP', 4294967296, 524288, 'ONLINE', 1, 'YES',
     34359721984, 4194302, 1280, 4293918720, 524160, 'SHARED', 1);

-- The busiest latches, with their figures since startup.
insert into "v$latch" values
    ('0000000060010C98', 228, 1, 'cache buffers chains', 3563305585, 912843310, 184022, 2210,
     8120344, 1907, 0, 1490, 181817, 1822310, 0),
    ('0000000060011A40', 230, 2, 'cache buffers lru chain', 3559635355, 8203128, 4121, 301,
     20314221, 2210, 0, 220, 3824, 210932, 0),
    ('00000000600124D8', 153, 5, 'shared pool', 2276811941, 21044210, 3018, 612, 0, 0, 0, 401,
     2411, 511208, 0),
    ('0000000060012C10', 162, 4, 'row cache objects', 1117386924, 40122881, 1720, 95, 1220, 0,
     0, 60, 1631, 40128, 0),
    ('0000000060013300', 246, 5, 'redo allocation', 1975671813, 6302110, 2210, 40, 12044380,
     31, 0, 19, 2170, 8120, 0),
    ('0000000060013A28', 247, 5, 'redo copy', 1508950822, 4411, 120, 0, 6210332, 2011, 0, 0,
     120, 0, 0),
    ('0000000060014118', 37, 5, 'session allocation', 3425859563, 9021145, 421, 22, 120331,
     4, 0, 10, 399, 3120, 0),
    ('0000000060014880', 29, 6, 'enqueues', 3524441221, 12302229, 210, 8, 0, 0, 0, 2, 202,
     611, 0),
    ('0000000060014F98', 30, 7, 'enqueue hash chains', 2520201018, 12440881, 330, 12, 21, 0, 0,
     4, 318, 1240, 0),
    ('0000000060015710', 215, 2, 'checkpoint queue latch', 3946340236, 4411210, 44, 1, 2210331,
     12, 0, 0, 43, 90, 0),
    ('0000000060015E40', 18, 8, 'messages', 3076713566, 2210443, 102, 3, 0, 0, 0, 0, 99, 330,
     0),
    ('0000000060016570', 40, 0, 'undo global data', 1711961210, 3302213, 88, 2, 0, 0, 0, 1, 86,
     240, 0),
    ('0000000060016CA0', 212, 0, 'In memory undo latch', 1789498920, 1120332, 210, 4, 430221,
     8, 0, 2, 206, 520, 0),
    ('00000000600173D0', 301, 5, 'library cache load lock', 2952162927, 32041, 2, 0, 0, 0, 0,
     0, 2, 0, 0),
    ('0000000060017B00', 80, 0, 'active service list', 2091287624, 1203311, 12, 1, 88044, 0, 0,
     0, 11, 44, 0);
insert into dba_data_files (file_name, file_id, tablespace_name, bytes, blocks, status,
    relative_fno, autoextensible, maxbytes, maxblocks, increment_by, user_bytes, user_blocks)
    values
    ('/u02/oradata/PROD/system01.dbf', 1, 'SYSTEM', 524288000, 64000, 'AVAILABLE', 1, 'YES',
     34359721984, 4194302, 1280, 524279808, 63999),
    ('/u02/oradata/PROD/undotbs01.dbf', 2, 'UNDOTBS1', 209715200, 25600, 'AVAILABLE', 2, 'YES',
     34359721984, 4194302, 640, 209649664, 25592),
    ('/u03/oradata/PROD/indx01.dbf', 3, 'INDX', 104857600, 12800, 'AVAILABLE', 3, 'YES',
     34359721984, 4194302, 1280, 104792064, 12792),
    ('/u02/oradata/PROD/tools01.dbf', 4, 'TOOLS', 10485760, 1280, 'AVAILABLE', 4, 'YES',
     34359721984, 4194302, 320, 10420224, 1272),
    ('/u02/oradata/PROD/users01.dbf', 5, 'USERS', 262144000, 32000, 'AVAILABLE', 5, 'YES',
     34359721984, 4194302, 1280, 262078464, 31992),
    ('/u04/oradata/PROD/users02.dbf', 6, 'USERS', 262144000, 32000, 'AVAILABLE', 6, 'NO', 0, 0,
     0, 262078464, 31992);

insert into dba_users (username, user_id, password, account_status, lock_date, expiry_date,
    default_tablespace, temporary_tablespace, created, profile, initial_rsrc_consumer_group,
    external_name) values
    ('SYS', 0, '5638228DAF52805F', 'OPEN', null, null, 'SYSTEM', 'TEMP', '2003-05-14 10:22:47',
     'DEFAULT', 'SYS_GROUP', null),
    ('SYSTEM', 5, 'D4DF7931AB130E37', 'OPEN', null, null, 'TOOLS', 'TEMP', '2003-05-14 10:22:47',
     'DEFAULT', 'SYS_GROUP', null),
    ('OUTLN', 11, '4A3BA55E08595C81', 'OPEN', null, null, 'SYSTEM', 'TEMP', '2003-05-14 10:22:52',
     'DEFAULT', 'DEFAULT_CONSUMER_GROUP', null),
    ('DBSNMP', 19, 'E066D214D5421CCC', 'OPEN', null, null, 'SYSTEM', 'TEMP',
     '2003-05-14 10:31:09', 'DEFAULT', 'DEFAULT_CONSUMER_GROUP', null),
    ('WMSYS', 21, '7C9BA362F8314299', 'EXPIRED & LOCKED', '2003-05-14 10:55:20',
     '2003-05-14 10:55:20', 'SYSTEM', 'TEMP', '2003-05-14 10:33:15', 'DEFAULT',
     'DEFAULT_CONSUMER_GROUP', null),
    ('HR', 46, '4C6D73C3E8B0F0DA', 'OPEN', null, null, 'USERS', 'TEMP', '2003-05-14 10:58:02',
     'DEFAULT', 'DEFAULT_CONSUMER_GROUP', null),
    ('OE', 47, '9C30855E7E0CB02D', 'OPEN', null, null, 'USERS', 'TEMP', '2003-05-14 10:58:44',
     'DEFAULT', 'DEFAULT_CONSUMER_GROUP', null),
    ('SCOTT', 59, 'F894844C34402B67', 'OPEN', null, null, 'USERS', 'TEMP', '2003-05-14 11:02:13',
     'DEFAULT', 'DEFAULT_CONSUMER_GROUP', null),
    ('APPUSER', 61, '1B5F3F2A9E4C7D10', 'OPEN', null, null, 'USERS', 'TEMP',
     '2003-06-02 09:14:55', 'DEFAULT', 'DEFAULT_CONSUMER_GROUP', null),
    ('BATCH', 62, '62A1D07F4B39E8C5', 'OPEN', null, null, 'USERS', 'TEMP', '2003-06-02 09:16:21',
     'DEFAULT', 'DEFAULT_CONSUMER_GROUP', null),
    ('REPORTER', 63, 'A83C9E0B2F716D44', 'OPEN', null, null, 'TOOLS', 'TEMP',
     '2003-07-21 15:40:03', 'DEFAULT', 'DEFAULT_CONSUMER_GROUP', null);

-- The accounts Oracle's scripts create; the others are the site's.
update dba_users set oracle_maintained = 'Y'
    where username in ('SYS', 'SYSTEM', 'OUTLN', 'DBSNMP', 'WMSYS');
update dba_users set last_login = (select datetime(value, '-2 hours') from sbx_meta
    where key = 'clock') where account_status = 'OPEN';
update dba_users set password_change_date = created;

insert into sbx_accounts values
    ('SYSTEM', 'lantern'),
    ('SYS', 'lantern'),
    ('SCOTT', 'tiger'),
    ('DBSNMP', 'dbsnmp');

insert into sbx_user_roles values
    ('SYS', 'DBA'),
    ('SYS', 'SELECT_CATALOG_ROLE'),
    ('SYS', 'EXECUTE_CATALOG_ROLE'),
    ('SYS', 'DELETE_CATALOG_ROLE'),
    ('SYS', 'EXP_FULL_DATABASE'),
    ('SYS', 'IMP_FULL_DATABASE'),
    ('SYS', 'CONNECT'),
    ('SYS', 'RESOURCE'),
    ('SYSTEM', 'DBA'),
    ('SYSTEM', 'SELECT_CATALOG_ROLE'),
    ('SYSTEM', 'EXECUTE_CATALOG_ROLE'),
    ('SYSTEM', 'DELETE_CATALOG_ROLE'),
    ('SYSTEM', 'EXP_FULL_DATABASE'),
    ('SYSTEM', 'IMP_FULL_DATABASE'),
    ('SYSTEM', 'AQ_ADMINISTRATOR_ROLE'),
    ('DBSNMP', 'CONNECT'),
    ('DBSNMP', 'SELECT_CATALOG_ROLE'),
    ('SCOTT', 'CONNECT'),
    ('SCOTT', 'RESOURCE');
