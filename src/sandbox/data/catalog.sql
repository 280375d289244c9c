-- The sandbox instance's dictionary and dynamic performance views, as tables named like
-- Oracle's objects, with Oracle's column names, order and types (Oracle Database 19c).
-- NUMBER columns hold SQLite integers (or reals), VARCHAR2 columns text, DATE columns text
-- 'YYYY-MM-DD HH:MM:SS' (local time), RAW_TEXT(n) columns upper-case hexadecimal text that the
-- driver delivers as n bytes.

create table dual (dummy VARCHAR2(1));

create table "v$session" (
    saddr RAW_TEXT(8),
    sid NUMBER,
    "serial#" NUMBER,
    audsid NUMBER,
    paddr RAW_TEXT(8),
    "user#" NUMBER,
    username VARCHAR2(128),
    command NUMBER,
    ownerid NUMBER,
    taddr VARCHAR2(16),
    lockwait VARCHAR2(16),
    status VARCHAR2(8),
    server VARCHAR2(9),
    "schema#" NUMBER,
    schemaname VARCHAR2(128),
    osuser VARCHAR2(128),
    process VARCHAR2(24),
    machine VARCHAR2(64),
    port NUMBER default 0,
    terminal VARCHAR2(30),
    program VARCHAR2(48),
    type VARCHAR2(10),
    sql_address RAW_TEXT(8),
    sql_hash_value NUMBER,
    sql_id VARCHAR2(13),
    sql_child_number NUMBER,
    sql_exec_start DATE,
    sql_exec_id NUMBER,
    prev_sql_addr RAW_TEXT(8),
    prev_hash_value NUMBER,
    prev_sql_id VARCHAR2(13),
    prev_child_number NUMBER,
    prev_exec_start DATE,
    prev_exec_id NUMBER,
    plsql_entry_object_id NUMBER,
    plsql_entry_subprogram_id NUMBER,
    plsql_object_id NUMBER,
    plsql_subprogram_id NUMBER,
    module VARCHAR2(64),
    module_hash NUMBER,
    action VARCHAR2(64),
    action_hash NUMBER,
    client_info VARCHAR2(64),
    fixed_table_sequence NUMBER,
    "row_wait_obj#" NUMBER,
    "row_wait_file#" NUMBER,
    "row_wait_block#" NUMBER,
    "row_wait_row#" NUMBER,
    "top_level_call#" NUMBER default 0,
    logon_time DATE,
    last_call_et NUMBER,
    pdml_enabled VARCHAR2(3),
    failover_type VARCHAR2(13),
    failover_method VARCHAR2(10),
    failed_over VARCHAR2(3),
    resource_consumer_group VARCHAR2(32),
    pdml_status VARCHAR2(8),
    pddl_status VARCHAR2(8),
    pq_status VARCHAR2(8),
    current_queue_duration NUMBER,
    client_identifier VARCHAR2(64),
    blocking_session_status VARCHAR2(11) default 'NO HOLDER',
    blocking_instance NUMBER,
    blocking_session NUMBER,
    final_blocking_session_status VARCHAR2(11) default 'NO HOLDER',
    final_blocking_instance NUMBER,
    final_blocking_session NUMBER,
    "seq#" NUMBER,
    "event#" NUMBER,
    event VARCHAR2(64),
    p1text VARCHAR2(64),
    p1 NUMBER,
    p1raw RAW_TEXT(8),
    p2text VARCHAR2(64),
    p2 NUMBER,
    p2raw RAW_TEXT(8),
    p3text VARCHAR2(64),
    p3 NUMBER,
    p3raw RAW_TEXT(8),
    wait_class_id NUMBER,
    "wait_class#" NUMBER,
    wait_class VARCHAR2(64),
    wait_time NUMBER,
    seconds_in_wait NUMBER,
    state VARCHAR2(19),
    wait_time_micro NUMBER,
    time_remaining_micro NUMBER,
    time_since_last_wait_micro NUMBER,
    service_name VARCHAR2(64),
    sql_trace VARCHAR2(8) default 'DISABLED',
    sql_trace_waits VARCHAR2(5) default 'FALSE',
    sql_trace_binds VARCHAR2(5) default 'FALSE',
    sql_trace_plan_stats VARCHAR2(10) default 'FIRST EXEC',
    session_edition_id NUMBER default 134,
    creator_addr RAW_TEXT(8),
    "creator_serial#" NUMBER,
    ecid VARCHAR2(64),
    sql_translation_profile_id NUMBER,
    pga_tunable_mem NUMBER default 0,
    shard_ddl_status VARCHAR2(8),
    con_id NUMBER default 0,
    external_name VARCHAR2(1024),
    plsql_debugger_connected VARCHAR2(5) default 'FALSE'
);
create unique index "v$session_sid" on "v$session" (sid);
create index "v$session_saddr" on "v$session" (saddr);
create index "v$session_status" on "v$session" (status);
create index "v$session_type" on "v$session" (type);
-- The long operations are the sessions in multi-block reads: found by their wait event.
create index "v$session_wait_event" on "v$session" (event);

-- The processes behind v$process, kept by the triggers below: one per session (dedicated
-- servers and background processes) and the PSEUDO process of slot 1. A table of its own, so
-- that v$process is one plain select that SQLite flattens into an outer join and looks up by
-- address, where a union with the PSEUDO row would be scanned once per session.
create table sbx_process (
    addr TEXT,
    sid INTEGER,
    spid TEXT,
    pname TEXT,
    program TEXT,
    tracefile TEXT,
    background TEXT
);
create index sbx_process_addr on sbx_process (addr);
insert into sbx_process values ('000000038D0C02F8', null, null, null, 'PSEUDO', null, null);

create trigger "v$session_process_logon" after insert on "v$session" begin
    insert into sbx_process
    select new.paddr, new.sid, x.spid,
           case when new.type = 'BACKGROUND'
                then substr(new.program, instr(new.program, '(') + 1, 4) end,
           case when new.type = 'BACKGROUND' then new.program else 'oracle@dbprod01' end,
           '/u01/app/oracle/diag/rdbms/prod/PROD/trace/PROD_' ||
           case when new.type = 'BACKGROUND'
                then lower(substr(new.program, instr(new.program, '(') + 1, 4)) || '_' ||
                     new.process
                else 'ora_' || x.spid end || '.trc',
           case when new.type = 'BACKGROUND' then '1' end
    from (select cast(case when new.type = 'BACKGROUND' then new.process
                           else 3000 + (new.sid * 7919 + new."serial#" * 31) % 60000 end
                      as text) spid) x;
end;

create trigger "v$session_process_logoff" after delete on "v$session" begin
    delete from sbx_process where addr = old.paddr and sid = old.sid;
end;

create trigger "v$session_process_change"
after update of sid, "serial#", paddr, type, process, program on "v$session" begin
    update sbx_process set
        addr = new.paddr, sid = new.sid,
        spid = cast(case when new.type = 'BACKGROUND' then new.process
                         else 3000 + (new.sid * 7919 + new."serial#" * 31) % 60000 end as text),
        pname = case when new.type = 'BACKGROUND'
                     then substr(new.program, instr(new.program, '(') + 1, 4) end,
        program = case when new.type = 'BACKGROUND' then new.program else 'oracle@dbprod01' end,
        tracefile = '/u01/app/oracle/diag/rdbms/prod/PROD/trace/PROD_' ||
            case when new.type = 'BACKGROUND'
                 then lower(substr(new.program, instr(new.program, '(') + 1, 4)) || '_' ||
                      new.process
                 else 'ora_' || (3000 + (new.sid * 7919 + new."serial#" * 31) % 60000) end ||
            '.trc',
        background = case when new.type = 'BACKGROUND' then '1' end
    where addr = old.paddr and sid = old.sid;
end;

create table "v$statname" (
    "statistic#" NUMBER,
    name VARCHAR2(64),
    class NUMBER
);
create unique index "v$statname_statistic#" on "v$statname" ("statistic#");

create table "v$sesstat" (
    sid NUMBER,
    "statistic#" NUMBER,
    value NUMBER,
    primary key (sid, "statistic#")
) without rowid;

create table audit_actions (
    action NUMBER,
    name VARCHAR2(27)
);

create table "v$session_event" (
    sid NUMBER,
    event VARCHAR2(64),
    total_waits NUMBER,
    total_timeouts NUMBER,
    time_waited NUMBER,
    average_wait NUMBER,
    max_wait NUMBER,
    time_waited_micro NUMBER,
    event_id NUMBER,
    wait_class_id NUMBER,
    "wait_class#" NUMBER,
    wait_class VARCHAR2(64),
    con_id NUMBER default 0
);
create unique index "v$session_event_sid" on "v$session_event" (sid, event);

create table "v$session_wait" (
    sid NUMBER,
    "seq#" NUMBER,
    event VARCHAR2(64),
    p1text VARCHAR2(64),
    p1 NUMBER,
    p1raw RAW_TEXT(8),
    p2text VARCHAR2(64),
    p2 NUMBER,
    p2raw RAW_TEXT(8),
    p3text VARCHAR2(64),
    p3 NUMBER,
    p3raw RAW_TEXT(8),
    wait_class_id NUMBER,
    "wait_class#" NUMBER,
    wait_class VARCHAR2(64),
    wait_time NUMBER,
    seconds_in_wait NUMBER,
    state VARCHAR2(19),
    wait_time_micro NUMBER,
    time_remaining_micro NUMBER,
    time_since_last_wait_micro NUMBER,
    con_id NUMBER default 0
);
create unique index "v$session_wait_sid" on "v$session_wait" (sid);

create table "v$sqltext" (
    address RAW_TEXT(8),
    hash_value NUMBER,
    sql_id VARCHAR2(13),
    command_type NUMBER,
    piece NUMBER,
    sql_text VARCHAR2(64),
    con_id NUMBER default 0
);
create index "v$sqltext_address" on "v$sqltext" (address, hash_value, piece);

create table "v$sqlarea" (
    sql_text VARCHAR2(1000),
    sql_fulltext CLOB,
    sql_id VARCHAR2(13),
    sharable_mem NUMBER,
    persistent_mem NUMBER,
    runtime_mem NUMBER,
    sorts NUMBER,
    version_count NUMBER,
    loaded_versions NUMBER,
    open_versions NUMBER,
    users_opening NUMBER,
    fetches NUMBER,
    executions NUMBER,
    users_executing NUMBER,
    loads NUMBER,
    first_load_time VARCHAR2(19),
    invalidations NUMBER,
    parse_calls NUMBER,
    disk_reads NUMBER,
    buffer_gets NUMBER,
    rows_processed NUMBER,
    command_type NUMBER,
    optimizer_mode VARCHAR2(25),
    parsing_user_id NUMBER,
    parsing_schema_id NUMBER,
    kept_versions NUMBER,
    address RAW_TEXT(8),
    hash_value NUMBER,
    module VARCHAR2(64),
    module_hash NUMBER,
    action VARCHAR2(64),
    action_hash NUMBER,
    serializable_aborts NUMBER,
    cpu_time NUMBER,
    elapsed_time NUMBER,
    is_obsolete VARCHAR2(1),
    child_latch NUMBER,
    plan_hash_value NUMBER,
    parsing_schema_name VARCHAR2(128),
    optimizer_cost NUMBER,
    end_of_fetch_count NUMBER,
    direct_writes NUMBER default 0,
    application_wait_time NUMBER default 0,
    concurrency_wait_time NUMBER default 0,
    cluster_wait_time NUMBER default 0,
    user_io_wait_time NUMBER default 0,
    plsql_exec_time NUMBER default 0,
    java_exec_time NUMBER default 0,
    px_servers_executions NUMBER default 0,
    last_load_time DATE,
    last_active_time DATE,
    con_id NUMBER default 0
);
create index "v$sqlarea_sql_id" on "v$sqlarea" (sql_id);
create index "v$sqlarea_address" on "v$sqlarea" (address, hash_value);

create table "v$open_cursor" (
    saddr RAW_TEXT(8),
    sid NUMBER,
    user_name VARCHAR2(128),
    address RAW_TEXT(8),
    hash_value NUMBER,
    sql_id VARCHAR2(13),
    sql_text VARCHAR2(60),
    last_sql_active_time DATE,
    sql_exec_id NUMBER,
    cursor_type VARCHAR2(64) default 'OPEN',
    child_address RAW_TEXT(8),
    con_id NUMBER default 0
);
-- By session address, and covering what the capture's join of the sessions to their cursors
-- reads, so that the join does not visit the table for each cursor.
create index "v$open_cursor_saddr" on "v$open_cursor" (saddr, address, hash_value, user_name);
create index "v$open_cursor_sid" on "v$open_cursor" (sid);

create table "v$lock" (
    addr RAW_TEXT(8),
    kaddr RAW_TEXT(8),
    sid NUMBER,
    type VARCHAR2(2),
    id1 NUMBER,
    id2 NUMBER,
    lmode NUMBER,
    request NUMBER,
    ctime NUMBER,
    block NUMBER,
    con_id NUMBER default 0
);
create index "v$lock_sid" on "v$lock" (sid);
create index "v$lock_id" on "v$lock" (id1, id2);

create table "v$version" (
    banner VARCHAR2(80),
    banner_full VARCHAR2(160),
    banner_legacy VARCHAR2(80),
    con_id NUMBER
);

create view product_component_version as
    select 'Oracle Database 19c Enterprise Edition' product, '19.0.0.0.0' version,
           '19.3.0.0.0' version_full, 'Production' status
    union all select 'PL/SQL', '19.0.0.0.0', '19.3.0.0.0', 'Production'
    union all select 'TNS for Linux:', '19.0.0.0.0', '19.3.0.0.0', 'Production'
    union all select 'NLSRTL', '19.0.0.0.0', '19.3.0.0.0', 'Production';

create table "v$event_name" (
    "event#" NUMBER,
    event_id NUMBER,
    name VARCHAR2(64),
    parameter1 VARCHAR2(64),
    parameter2 VARCHAR2(64),
    parameter3 VARCHAR2(64),
    wait_class_id NUMBER,
    "wait_class#" NUMBER,
    wait_class VARCHAR2(64),
    con_id NUMBER
);
create unique index "v$event_name_name" on "v$event_name" (name);

create table "v$database" (
    dbid NUMBER,
    name VARCHAR2(9),
    created DATE,
    "resetlogs_change#" NUMBER,
    resetlogs_time DATE,
    "prior_resetlogs_change#" NUMBER,
    prior_resetlogs_time DATE,
    log_mode VARCHAR2(12),
    "checkpoint_change#" NUMBER,
    "archive_change#" NUMBER,
    controlfile_type VARCHAR2(7),
    controlfile_created DATE,
    "controlfile_sequence#" NUMBER,
    "controlfile_change#" NUMBER,
    controlfile_time DATE,
    open_resetlogs VARCHAR2(11),
    version_time DATE,
    open_mode VARCHAR2(10),
    protection_mode VARCHAR2(20),
    protection_level VARCHAR2(20),
    remote_archive VARCHAR2(8),
    "activation#" NUMBER,
    database_role VARCHAR2(16),
    "archivelog_change#" NUMBER,
    switchover_status VARCHAR2(18),
    dataguard_broker VARCHAR2(8),
    guard_status VARCHAR2(7),
    supplemental_log_data_min VARCHAR2(3),
    supplemental_log_data_pk VARCHAR2(3),
    supplemental_log_data_ui VARCHAR2(3),
    force_logging VARCHAR2(3),
    platform_id NUMBER,
    platform_name VARCHAR2(101),
    db_unique_name VARCHAR2(30),
    flashback_on VARCHAR2(18),
    cdb VARCHAR2(3),
    con_id NUMBER
);

create table "v$instance" (
    instance_number NUMBER,
    instance_name VARCHAR2(16),
    host_name VARCHAR2(64),
    version VARCHAR2(17),
    version_legacy VARCHAR2(17),
    version_full VARCHAR2(17),
    startup_time DATE,
    status VARCHAR2(12),
    parallel VARCHAR2(3),
    "thread#" NUMBER,
    archiver VARCHAR2(7),
    log_switch_wait VARCHAR2(11),
    logins VARCHAR2(10),
    shutdown_pending VARCHAR2(3),
    database_status VARCHAR2(17),
    instance_role VARCHAR2(18),
    active_state VARCHAR2(9),
    blocked VARCHAR2(3),
    con_id NUMBER,
    instance_mode VARCHAR2(11),
    edition VARCHAR2(7),
    family VARCHAR2(80),
    database_type VARCHAR2(15)
);

create table "v$sga" (
    name VARCHAR2(20),
    value NUMBER
);

create table "v$sgastat" (
    pool VARCHAR2(11),
    name VARCHAR2(26),
    bytes NUMBER
);

create table "v$license" (
    sessions_max NUMBER,
    sessions_warning NUMBER,
    sessions_current NUMBER,
    sessions_highwater NUMBER,
    users_max NUMBER
);

create table "v$nls_parameters" (
    parameter VARCHAR2(64),
    value VARCHAR2(64)
);

-- The columns that follow from the others are generated, so that setting a value keeps them.
create table "v$system_parameter" (
    num NUMBER,
    name VARCHAR2(64),
    type NUMBER,
    value VARCHAR2(512),
    display_value VARCHAR2(512) generated always as (value) virtual,
    default_value VARCHAR2(255) generated always as
        (case when isdefault = 'TRUE' then value end) virtual,
    isdefault VARCHAR2(9),
    isses_modifiable VARCHAR2(5),
    issys_modifiable VARCHAR2(9),
    ispdb_modifiable VARCHAR2(5) generated always as
        (case when issys_modifiable = 'FALSE' then 'FALSE' else 'TRUE' end) virtual,
    isinstance_modifiable VARCHAR2(5) generated always as
        (case when issys_modifiable = 'FALSE' then 'FALSE' else 'TRUE' end) virtual,
    ismodified VARCHAR2(10),
    isadjusted VARCHAR2(5),
    isdeprecated VARCHAR2(5) generated always as ('FALSE') virtual,
    isbasic VARCHAR2(5) generated always as ('FALSE') virtual,
    description VARCHAR2(255),
    update_comment VARCHAR2(255),
    hash NUMBER generated always as (num * 2654435761 % 4294967296) virtual,
    con_id NUMBER generated always as (0) virtual
);
create unique index "v$system_parameter_name" on "v$system_parameter" (name);

-- The foreground sessions' share (the _fg columns): none of the background processes' own
-- waits, all of the others.
create table "v$system_event" (
    event VARCHAR2(64),
    total_waits NUMBER,
    total_timeouts NUMBER,
    time_waited NUMBER,
    average_wait NUMBER,
    time_waited_micro NUMBER,
    total_waits_fg NUMBER generated always as
        (case when wait_class = 'System I/O' or event in ('rdbms ipc message', 'pmon timer',
              'smon timer') then 0 else total_waits end) virtual,
    total_timeouts_fg NUMBER generated always as
        (case when total_waits_fg = 0 then 0 else total_timeouts end) virtual,
    time_waited_fg NUMBER generated always as
        (case when total_waits_fg = 0 then 0 else time_waited end) virtual,
    average_wait_fg NUMBER generated always as
        (case when total_waits_fg = 0 then 0 else average_wait end) virtual,
    time_waited_micro_fg NUMBER generated always as
        (case when total_waits_fg = 0 then 0 else time_waited_micro end) virtual,
    event_id NUMBER,
    wait_class_id NUMBER,
    "wait_class#" NUMBER,
    wait_class VARCHAR2(64),
    con_id NUMBER default 0
);
create unique index "v$system_event_event" on "v$system_event" (event);

create table "v$librarycache" (
    namespace VARCHAR2(15),
    gets NUMBER,
    gethits NUMBER,
    gethitratio NUMBER,
    pins NUMBER,
    pinhits NUMBER,
    pinhitratio NUMBER,
    reloads NUMBER,
    invalidations NUMBER,
    dlm_lock_requests NUMBER,
    dlm_pin_requests NUMBER,
    dlm_pin_releases NUMBER,
    dlm_invalidation_requests NUMBER,
    dlm_invalidations NUMBER
);

create table "v$rowcache" (
    "cache#" NUMBER,
    type VARCHAR2(11),
    "subordinate#" NUMBER,
    parameter VARCHAR2(32),
    count NUMBER,
    usage NUMBER,
    fixed NUMBER,
    gets NUMBER,
    getmisses NUMBER,
    scans NUMBER,
    scanmisses NUMBER,
    scancompletes NUMBER,
    modifications NUMBER,
    flushes NUMBER,
    dlm_requests NUMBER,
    dlm_conflicts NUMBER,
    dlm_releases NUMBER
);

create table "v$sysstat" (
    "statistic#" NUMBER,
    name VARCHAR2(64),
    class NUMBER,
    value NUMBER
);
create unique index "v$sysstat_statistic#" on "v$sysstat" ("statistic#");
create index "v$sysstat_name" on "v$sysstat" (name);

create table dba_objects (
    owner VARCHAR2(30),
    object_name VARCHAR2(128),
    subobject_name VARCHAR2(30),
    object_id NUMBER,
    data_object_id NUMBER,
    object_type VARCHAR2(18),
    created DATE,
    last_ddl_time DATE,
    timestamp VARCHAR2(19),
    status VARCHAR2(7),
    temporary VARCHAR2(1),
    generated VARCHAR2(1),
    secondary VARCHAR2(1),
    namespace NUMBER,
    edition_name VARCHAR2(128),
    sharing VARCHAR2(18) default 'NONE',
    editionable VARCHAR2(1),
    oracle_maintained VARCHAR2(1) default 'N',
    application VARCHAR2(1) default 'N',
    default_collation VARCHAR2(100),
    duplicated VARCHAR2(1) default 'N',
    sharded VARCHAR2(1) default 'N',
    created_appid NUMBER,
    created_vsnid NUMBER,
    modified_appid NUMBER,
    modified_vsnid NUMBER
);
create unique index dba_objects_object_id on dba_objects (object_id);

create table dba_extents (
    owner VARCHAR2(30),
    segment_name VARCHAR2(81),
    partition_name VARCHAR2(30),
    segment_type VARCHAR2(18),
    tablespace_name VARCHAR2(30),
    extent_id NUMBER,
    file_id NUMBER,
    block_id NUMBER,
    bytes NUMBER,
    blocks NUMBER,
    relative_fno NUMBER
);
create index dba_extents_file_block on dba_extents (file_id, block_id);

create table dba_data_files (
    file_name VARCHAR2(513),
    file_id NUMBER,
    tablespace_name VARCHAR2(30),
    bytes NUMBER,
    blocks NUMBER,
    status VARCHAR2(9),
    relative_fno NUMBER,
    autoextensible VARCHAR2(3),
    maxbytes NUMBER,
    maxblocks NUMBER,
    increment_by NUMBER,
    user_bytes NUMBER,
    user_blocks NUMBER,
    online_status VARCHAR2(7) default 'ONLINE',
    lost_write_protect VARCHAR2(7) default 'OFF'
);

create table dba_temp_files (
    file_name VARCHAR2(513),
    file_id NUMBER,
    tablespace_name VARCHAR2(30),
    bytes NUMBER,
    blocks NUMBER,
    status CHAR(9),
    relative_fno NUMBER,
    autoextensible VARCHAR2(3),
    maxbytes NUMBER,
    maxblocks NUMBER,
    increment_by NUMBER,
    user_bytes NUMBER,
    user_blocks NUMBER,
    shared VARCHAR2(13),
    inst_id NUMBER
);

create table "v$latch" (
    addr RAW_TEXT(8),
    "latch#" NUMBER,
    "level#" NUMBER,
    name VARCHAR2(64),
    hash NUMBER,
    gets NUMBER,
    misses NUMBER,
    sleeps NUMBER,
    immediate_gets NUMBER,
    immediate_misses NUMBER,
    waiters_woken NUMBER,
    waits_holding_latch NUMBER,
    spin_gets NUMBER,
    wait_time NUMBER,
    con_id NUMBER
);

create table dba_tablespaces (
    tablespace_name VARCHAR2(30),
    block_size NUMBER,
    initial_extent NUMBER,
    next_extent NUMBER,
    min_extents NUMBER,
    max_extents NUMBER,
    pct_increase NUMBER,
    min_extlen NUMBER,
    status VARCHAR2(9),
    contents VARCHAR2(9),
    logging VARCHAR2(9),
    force_logging VARCHAR2(3),
    extent_management VARCHAR2(10),
    allocation_type VARCHAR2(9),
    plugged_in VARCHAR2(3),
    segment_space_management VARCHAR2(6),
    def_tab_compression VARCHAR2(8) default 'DISABLED',
    retention VARCHAR2(11) default 'NOT APPLY',
    bigfile VARCHAR2(3) default 'NO',
    predicate_evaluation VARCHAR2(7) default 'HOST',
    encrypted VARCHAR2(3) default 'NO',
    compress_for VARCHAR2(30),
    def_inmemory VARCHAR2(8) default 'DISABLED',
    shared VARCHAR2(13) default 'SHARED',
    lost_write_protect VARCHAR2(7) default 'OFF',
    chunk_tablespace VARCHAR2(1) default 'N'
);

create table dba_users (
    username VARCHAR2(30),
    user_id NUMBER,
    password VARCHAR2(30),
    account_status VARCHAR2(32),
    lock_date DATE,
    expiry_date DATE,
    default_tablespace VARCHAR2(30),
    temporary_tablespace VARCHAR2(30),
    created DATE,
    profile VARCHAR2(30),
    initial_rsrc_consumer_group VARCHAR2(30),
    external_name VARCHAR2(4000),
    password_versions VARCHAR2(17) default '11G 12C ',
    editions_enabled VARCHAR2(1) default 'N',
    authentication_type VARCHAR2(8) default 'PASSWORD',
    proxy_only_connect VARCHAR2(1) default 'N',
    common VARCHAR2(3) default 'NO',
    last_login DATE,
    oracle_maintained VARCHAR2(1) default 'N',
    inherited VARCHAR2(3) default 'NO',
    default_collation VARCHAR2(100) default 'USING_NLS_COMP',
    implicit VARCHAR2(3) default 'NO',
    all_shard VARCHAR2(3) default 'NO',
    password_change_date DATE
);
create unique index dba_users_username on dba_users (username);

-- Samples of the active sessions, one a second, kept for an hour (the simulator writes them).
create table "v$active_session_history" (
    sample_id NUMBER,
    sample_time TIMESTAMP,
    sample_time_utc TIMESTAMP,
    usecs_per_row NUMBER,
    is_awr_sample VARCHAR2(1),
    session_id NUMBER,
    "session_serial#" NUMBER,
    session_type VARCHAR2(10),
    flags NUMBER,
    user_id NUMBER,
    sql_id VARCHAR2(13),
    is_sqlid_current VARCHAR2(1),
    sql_child_number NUMBER,
    sql_opcode NUMBER,
    sql_opname VARCHAR2(64),
    force_matching_signature NUMBER,
    top_level_sql_id VARCHAR2(13),
    top_level_sql_opcode NUMBER,
    sql_plan_hash_value NUMBER,
    sql_full_plan_hash_value NUMBER,
    sql_plan_line_id NUMBER,
    sql_plan_operation VARCHAR2(64),
    sql_plan_options VARCHAR2(64),
    sql_exec_id NUMBER,
    sql_exec_start DATE,
    plsql_entry_object_id NUMBER,
    plsql_entry_subprogram_id NUMBER,
    plsql_object_id NUMBER,
    plsql_subprogram_id NUMBER,
    qc_instance_id NUMBER,
    qc_session_id NUMBER,
    "qc_session_serial#" NUMBER,
    px_flags NUMBER,
    event VARCHAR2(64),
    event_id NUMBER,
    "event#" NUMBER,
    "seq#" NUMBER,
    p1text VARCHAR2(64),
    p1 NUMBER,
    p2text VARCHAR2(64),
    p2 NUMBER,
    p3text VARCHAR2(64),
    p3 NUMBER,
    wait_class VARCHAR2(64),
    wait_class_id NUMBER,
    wait_time NUMBER,
    session_state VARCHAR2(7),
    time_waited NUMBER,
    blocking_session_status VARCHAR2(11),
    blocking_session NUMBER,
    "blocking_session_serial#" NUMBER,
    blocking_inst_id NUMBER,
    "current_obj#" NUMBER,
    "current_file#" NUMBER,
    "current_block#" NUMBER,
    "current_row#" NUMBER,
    "top_level_call#" NUMBER,
    top_level_call_name VARCHAR2(64),
    consumer_group_id NUMBER,
    xid RAW_TEXT(8),
    "remote_instance#" NUMBER,
    time_model NUMBER,
    in_connection_mgmt VARCHAR2(1),
    in_parse VARCHAR2(1),
    in_hard_parse VARCHAR2(1),
    in_sql_execution VARCHAR2(1),
    in_plsql_execution VARCHAR2(1),
    in_plsql_rpc VARCHAR2(1),
    in_plsql_compilation VARCHAR2(1),
    in_java_execution VARCHAR2(1),
    in_bind VARCHAR2(1),
    in_cursor_close VARCHAR2(1),
    in_sequence_load VARCHAR2(1),
    service_hash NUMBER,
    program VARCHAR2(64),
    module VARCHAR2(64),
    action VARCHAR2(64),
    client_id VARCHAR2(64),
    machine VARCHAR2(64),
    port NUMBER,
    ecid VARCHAR2(64),
    tm_delta_time NUMBER,
    tm_delta_cpu_time NUMBER,
    tm_delta_db_time NUMBER,
    delta_time NUMBER,
    delta_read_io_requests NUMBER,
    delta_write_io_requests NUMBER,
    delta_read_io_bytes NUMBER,
    delta_write_io_bytes NUMBER,
    pga_allocated NUMBER,
    temp_space_allocated NUMBER,
    con_dbid NUMBER,
    con_id NUMBER
);
create index "v$active_session_history_sample" on "v$active_session_history" (sample_id);

-- v$session carries the current wait of v$session_wait (as in Oracle 10g and later): a logon
-- writes both, and every later change of a wait row sets its wait class and times and writes
-- the session's wait columns too (the trigger does not fire again for its own update).
create trigger "v$session_wait_update" after update on "v$session_wait" begin
    update "v$session_wait" set
        (wait_class_id, "wait_class#", wait_class) =
            (select wait_class_id, "wait_class#", wait_class from "v$event_name"
             where name = new.event),
        wait_time_micro = new.seconds_in_wait * 1000000 + (new."seq#" * 7919) % 1000000,
        time_remaining_micro = case when new.state = 'WAITING' then -1 end,
        time_since_last_wait_micro = case when new.state = 'WAITING' then 0
                                          else (new."seq#" * 104729) % 2000000 end
    where sid = new.sid;
    update "v$session" set "seq#" = new."seq#", event = new.event, p1text = new.p1text,
        p1 = new.p1, p1raw = new.p1raw, p2text = new.p2text, p2 = new.p2, p2raw = new.p2raw,
        p3text = new.p3text, p3 = new.p3, p3raw = new.p3raw, wait_time = new.wait_time,
        seconds_in_wait = new.seconds_in_wait, state = new.state,
        wait_time_micro = new.seconds_in_wait * 1000000 + (new."seq#" * 7919) % 1000000,
        time_remaining_micro = case when new.state = 'WAITING' then -1 end,
        time_since_last_wait_micro = case when new.state = 'WAITING' then 0
                                          else (new."seq#" * 104729) % 2000000 end,
        ("event#", wait_class_id, "wait_class#", wait_class) =
            (select "event#", wait_class_id, "wait_class#", wait_class from "v$event_name"
             where name = new.event),
        blocking_session_status = case when blocking_session is not null then 'VALID'
                                       when new.state = 'WAITING' then 'NO HOLDER'
                                       else 'NOT IN WAIT' end,
        final_blocking_session_status = case when final_blocking_session is not null
                                             then 'VALID' when new.state = 'WAITING'
                                             then 'NO HOLDER' else 'NOT IN WAIT' end
    where sid = new.sid;
end;

-- The sandbox's own bookkeeping; never listed as Oracle objects.
create table sbx_meta (key TEXT PRIMARY KEY, value TEXT);
create table sbx_accounts (username TEXT PRIMARY KEY, password TEXT);
create table sbx_user_roles (username TEXT, role TEXT);
create index sbx_user_roles_username on sbx_user_roles (username);
-- Sessions of real connections (Quenby processes); the simulator leaves them alone.
create table sbx_connections (sid INTEGER PRIMARY KEY, pid INTEGER);
create table sbx_synonyms (name TEXT PRIMARY KEY, target TEXT);
create table sbx_constraints (constraint_name TEXT PRIMARY KEY, table_name TEXT, columns TEXT);
create table sbx_table_locks (object TEXT, sid INTEGER, mode TEXT, pid INTEGER);
-- Sessions the simulator found KILLED, with the tick it found them at.
create table sbx_killed (sid INTEGER PRIMARY KEY, "serial#" INTEGER, tick INTEGER);

create view session_roles as
    select role from sbx_user_roles where username = ora_user();

-- Planner statistics of a large instance (10,000 sessions), so that SQLite joins the session
-- tables the way the monitor's queries need at any size: v$session first, then the other
-- session-level tables by sid (the session list reads one v$sesstat row per session).
analyze sbx_meta;
delete from sqlite_stat1;
insert into sqlite_stat1 (tbl, idx, stat) values
    ('v$session', 'v$session_sid', '10000 1'),
    ('v$session', 'v$session_saddr', '10000 1'),
    ('v$session', 'v$session_status', '10000 3000'),
    ('v$session', 'v$session_type', '10000 5000'),
    ('v$sesstat', 'v$sesstat', '2730000 273 1'),
    ('v$session_event', 'v$session_event_sid', '70000 7 1'),
    ('v$session_wait', 'v$session_wait_sid', '10000 1'),
    ('v$open_cursor', 'v$open_cursor_saddr', '40000 4 1 1 1'),
    ('v$open_cursor', 'v$open_cursor_sid', '40000 4'),
    ('v$lock', 'v$lock_sid', '2500 2'),
    ('v$lock', 'v$lock_id', '2500 2 2'),
    ('v$sqltext', 'v$sqltext_address', '100 3 3 1'),
    ('v$sqlarea', 'v$sqlarea_address', '40 1 1'),
    ('v$active_session_history', 'v$active_session_history_sample', '200000 60'),
    ('v$statname', 'v$statname_statistic#', '273 1'),
    ('v$sysstat', 'v$sysstat_statistic#', '273 1'),
    ('v$sysstat', 'v$sysstat_name', '273 1'),
    ('dba_extents', 'dba_extents_file_block', '550 90 1'),
    ('dba_objects', 'dba_objects_object_id', '120 1');
analyze sqlite_master;
