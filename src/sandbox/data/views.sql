-- The dictionary and dynamic performance views that the sandbox derives from its tables
-- (catalog.sql), so that they always agree with them: Oracle Database 19c's names and columns.
-- The gv$ views, the sys.v_$ names and the public synonyms of the v$ views are made for every
-- v$ object after this file has run.

-- One process per session (dedicated servers and background processes), and the PSEUDO
-- process of slot 1 (sbx_process, kept from v$session by triggers). One plain select, so that an
-- outer join from v$session looks each process up by its address.
create view "v$process" as
    select p.addr, coalesce(p.sid + 1, 1) pid, coalesce(p.spid, '1') sosid, p.spid, p.spid stid,
           case when p.sid is null then 'NONE' else 'PROCESS' end execution_type, p.pname,
           case when p.sid is not null then 'oracle' end username,
           case when p.sid is null then 0 else 1 end "serial#",
           case when p.sid is not null then 'UNKNOWN' end terminal, p.program, null traceid,
           p.tracefile, p.background, '00' latchwait,
           '00' latchspin,
           coalesce((select value from "v$sesstat" where sid = p.sid and "statistic#" =
                         (select "statistic#" from "v$statname"
                          where name = 'session pga memory')), 0) * 7 / 10 pga_used_mem,
           coalesce((select value from "v$sesstat" where sid = p.sid and "statistic#" =
                         (select "statistic#" from "v$statname"
                          where name = 'session pga memory')), 0) pga_alloc_mem,
           coalesce((select value from "v$sesstat" where sid = p.sid and "statistic#" =
                         (select "statistic#" from "v$statname"
                          where name = 'session pga memory')), 0) / 10 pga_freeable_mem,
           coalesce((select value from "v$sesstat" where sid = p.sid and "statistic#" =
                         (select "statistic#" from "v$statname"
                          where name = 'session pga memory max')),
                    (select value from "v$sesstat" where sid = p.sid and "statistic#" =
                         (select "statistic#" from "v$statname"
                          where name = 'session pga memory')), 0) pga_max_mem,
           0 numa_default, 0 numa_curr,
           coalesce((select value from "v$sesstat" where sid = p.sid and "statistic#" =
                         (select "statistic#" from "v$statname"
                          where name = 'CPU used by this session')), 0) * 10 cpu_used,
           0 con_id
    from sbx_process p;

-- The instance's parameters as the session sees them: the same rows as v$system_parameter.
create view "v$parameter" as
    select num, name, type, value, value display_value,
           case when isdefault = 'TRUE' then value end default_value, isdefault,
           isses_modifiable, issys_modifiable,
           case when issys_modifiable = 'FALSE' then 'FALSE' else 'TRUE' end ispdb_modifiable,
           case when issys_modifiable = 'FALSE' then 'FALSE' else 'TRUE' end
               isinstance_modifiable,
           ismodified, isadjusted, 'FALSE' isdeprecated, 'FALSE' isbasic, description,
           update_comment, num * 2654435761 % 4294967296 hash, 0 con_id
    from "v$system_parameter";

create view "v$parameter2" as
    select num, name, type, value, value display_value, isdefault, isses_modifiable,
           issys_modifiable, ismodified, isadjusted, 'FALSE' isdeprecated, 'FALSE' isbasic,
           description, 1 ordinal, update_comment, 0 con_id
    from "v$system_parameter";

-- The child cursors: one per statement of v$sqlarea, and an idle second child where the
-- statement has two versions.
create view "v$sql" as
    select c.sql_text, c.sql_fulltext, c.sql_id, c.sharable_mem, c.persistent_mem,
           c.runtime_mem, c.sorts, c.loaded_versions, c.open_versions, c.users_opening,
           c.fetches, c.executions, c.px_servers_executions, c.end_of_fetch_count,
           c.users_executing, c.loads, c.first_load_time, c.invalidations, c.parse_calls,
           c.disk_reads, c.direct_writes, 0 direct_reads, c.buffer_gets,
           c.application_wait_time, c.concurrency_wait_time, c.cluster_wait_time,
           c.user_io_wait_time, c.plsql_exec_time, c.java_exec_time, c.rows_processed,
           c.command_type, c.optimizer_mode, c.optimizer_cost, null optimizer_env,
           c.optimizer_env_hash_value, c.parsing_user_id, c.parsing_schema_id,
           c.parsing_schema_name, c.kept_versions, c.address, c.type_chk_heap, c.hash_value,
           c.old_hash_value, c.plan_hash_value, c.full_plan_hash_value, c.child_number,
           c.service, case c.service when 'PROD' then 1811722261 else 3427055676 end
               service_hash,
           c.module, c.module_hash, c.action, c.action_hash, c.serializable_aborts,
           null outline_category, c.cpu_time, c.elapsed_time, null outline_sid,
           c.child_address, 6 sqltype, 'N' remote, 'VALID' object_status,
           0 literal_hash_value, c.last_load_time, c.is_obsolete, c.is_bind_sensitive,
           c.is_bind_aware, c.is_shareable, c.child_latch, null sql_profile, null sql_patch,
           null sql_plan_baseline, 0 program_id, 0 "program_line#",
           c.hash_value * 1000003 exact_matching_signature,
           c.hash_value * 999983 force_matching_signature,
           c.last_active_time, null bind_data, 0 typecheck_mem,
           0 io_cell_offload_eligible_bytes, (c.disk_reads + c.direct_writes) * 8192
               io_interconnect_bytes,
           c.disk_reads physical_read_requests, c.disk_reads * 8192 physical_read_bytes,
           c.direct_writes physical_write_requests, c.direct_writes * 8192 physical_write_bytes,
           0 optimized_phy_read_requests, c.executions locked_total, c.executions pinned_total,
           0 io_cell_uncompressed_bytes, 0 io_cell_offload_returned_bytes, c.con_id,
           'N' is_reoptimizable, null is_resolved_adaptive_plan, 0 im_scans,
           0 im_scan_bytes_uncompressed, 0 im_scan_bytes_inmemory, 'N' ddl_no_invalidate,
           'N' is_rolling_invalid, 'N' is_rolling_refresh_invalid, null result_cache,
           null sql_quarantine, 0 avoided_executions
    from (
    select sql_text, sql_fulltext, sql_id, sharable_mem, persistent_mem, runtime_mem, sorts,
           loaded_versions, open_versions, users_opening, fetches, executions,
           px_servers_executions, end_of_fetch_count, users_executing, loads, first_load_time,
           invalidations, parse_calls, disk_reads, direct_writes, buffer_gets,
           application_wait_time, concurrency_wait_time, cluster_wait_time, user_io_wait_time,
           plsql_exec_time, java_exec_time, rows_processed, command_type, optimizer_mode,
           optimizer_cost, 3017022045 optimizer_env_hash_value, parsing_user_id,
           parsing_schema_id, parsing_schema_name, kept_versions, address, '00' type_chk_heap,
           hash_value, hash_value old_hash_value, plan_hash_value,
           plan_hash_value full_plan_hash_value, 0 child_number,
           case when parsing_schema_name = 'SYS' then 'SYS$USERS' else 'PROD' end service,
           module, module_hash, action, action_hash, serializable_aborts, cpu_time,
           elapsed_time, address child_address, 'N' is_obsolete, 'N' is_bind_sensitive,
           'N' is_bind_aware, 'Y' is_shareable, last_load_time, last_active_time,
           child_latch, con_id
    from "v$sqlarea"
    union all
    select sql_text, sql_fulltext, sql_id, sharable_mem / 2, persistent_mem, runtime_mem, 0, 1,
           0, 0, 0, 0, 0, 0, 0, 1, first_load_time, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
           command_type, optimizer_mode, optimizer_cost, 3017022045, parsing_user_id,
           parsing_schema_id, parsing_schema_name, 0, address, '00', hash_value, hash_value,
           plan_hash_value, plan_hash_value, 1,
           case when parsing_schema_name = 'SYS' then 'SYS$USERS' else 'PROD' end, module,
           module_hash, action, action_hash, 0, 0, 0,
           substr(address, 1, 12) || 'FF80', 'N', 'N', 'N', 'Y', last_load_time, first_load_time,
           child_latch, con_id
    from "v$sqlarea" where version_count > 1) c;

create view "v$sqltext_with_newlines" as select * from "v$sqltext";

-- A transaction for every exclusive TX lock: its undo segment, slot and sequence are the
-- lock's id1 (segment * 65536 + slot) and id2.
create view "v$transaction" as
    select s.taddr addr, l.id1 / 65536 xidusn, l.id1 % 65536 xidslot, l.id2 xidsqn,
           (select min(file_id) from dba_extents where segment_name =
               '_SYSSMU' || (l.id1 / 65536) || '$') ubafil,
           (select min(block_id) from dba_extents where segment_name =
               '_SYSSMU' || (l.id1 / 65536) || '$') + l.id2 % 100 ubablk,
           l.id2 % 5000 ubasqn, l.id2 % 60 + 1 ubarec, 'ACTIVE' status,
           -- MM/DD/YY HH24:MI:SS (SQLite's strftime has no two-digit year)
           strftime('%m/%d/', m.value, '-' || l.ctime || ' seconds') ||
               substr(strftime('%Y', m.value, '-' || l.ctime || ' seconds'), 3) ||
               strftime(' %H:%M:%S', m.value, '-' || l.ctime || ' seconds') start_time,
           88392017 - l.ctime * 40 start_scnb, 0 start_scnw, 0 start_uext, 0 start_ubafil,
           0 start_ubablk, 0 start_ubasqn, 0 start_ubarec, s.saddr ses_addr, 3587 flag,
           'NO' space, 'NO' recursive, 'NO' noundo, 'NO' ptx, null name, 0 prv_xidusn,
           0 prv_xidslt, 0 prv_xidsqn, 0 ptx_xidusn, 0 ptx_xidslt, 0 ptx_xidsqn,
           0 "dscn-b", 0 "dscn-w", l.id2 % 7 + 1 used_ublk, l.id2 % 60 + 1 used_urec,
           l.id2 % 90 + 4 log_io, l.id2 % 3 phy_io, l.id2 % 11 cr_get, 0 cr_change,
           datetime(m.value, '-' || l.ctime || ' seconds') start_date, 0 dscn_base,
           0 dscn_wrap, 88392017 - l.ctime * 40 start_scn, 0 dependent_scn,
           printf('%04X%04X%08X', l.id1 / 65536, l.id1 % 65536, l.id2) xid,
           '0000000000000000' prv_xid, '0000000000000000' ptx_xid, 0 con_id
    from "v$lock" l join "v$session" s on s.sid = l.sid
    join sbx_meta m on m.key = 'clock'
    where l.type = 'TX' and l.lmode = 6;

-- The objects with a DML lock (TM held), with the transaction of their session.
create view "v$locked_object" as
    select coalesce(t.id1 / 65536, 0) xidusn, coalesce(t.id1 % 65536, 0) xidslot,
           coalesce(t.id2, 0) xidsqn, l.id1 object_id, l.sid session_id,
           s.username oracle_username, s.osuser os_user_name, s.process process,
           l.lmode locked_mode, 0 con_id
    from "v$lock" l join "v$session" s on s.sid = l.sid
    left join "v$lock" t on t.sid = l.sid and t.type = 'TX' and t.lmode = 6
    where l.type = 'TM' and l.lmode > 0;

create view dba_lock as
    select l.sid session_id,
           case l.type when 'TX' then 'Transaction' when 'TM' then 'DML'
                       when 'MR' then 'Media Recovery' when 'RT' then 'Redo Thread'
                       when 'UL' then 'PL/SQL User Lock' when 'TS' then 'Temp Segment'
                       else l.type end lock_type,
           case l.lmode when 0 then 'None' when 1 then 'Null' when 2 then 'Row-S (SS)'
                        when 3 then 'Row-X (SX)' when 4 then 'Share'
                        when 5 then 'S/Row-X (SSX)' when 6 then 'Exclusive'
                        else cast(l.lmode as text) end mode_held,
           case l.request when 0 then 'None' when 1 then 'Null' when 2 then 'Row-S (SS)'
                          when 3 then 'Row-X (SX)' when 4 then 'Share'
                          when 5 then 'S/Row-X (SSX)' when 6 then 'Exclusive'
                          else cast(l.request as text) end mode_requested,
           cast(l.id1 as text) lock_id1, cast(l.id2 as text) lock_id2, l.ctime last_convert,
           case when l.block = 1 then 'Blocking' when l.block = 2 then 'Global'
                else 'Not Blocking' end blocking_others
    from "v$lock" l;

create view dba_locks as select * from dba_lock;

-- Sessions that wait for a lock another session holds, with that session.
create view dba_waiters as
    select w.session_id waiting_session, 0 waiting_con_id, h.session_id holding_session,
           0 holding_con_id, w.lock_type, h.mode_held, w.mode_requested, w.lock_id1,
           w.lock_id2
    from dba_lock w join dba_lock h on h.lock_type = w.lock_type and h.lock_id1 = w.lock_id1
        and h.lock_id2 = w.lock_id2 and h.mode_held <> 'None' and h.session_id <> w.session_id
    where w.mode_requested <> 'None';

create view dba_blockers as
    select distinct holding_session, 0 con_id from dba_waiters;

-- Full scans in progress: the sessions in multi-block reads of a segment.
create view "v$session_longops" as
    select s.sid, s."serial#", 'Table Scan' opname, o.owner || '.' || o.object_name target,
           null target_desc,
           g.blocks * ((s.sid * 37 + s."serial#") % 90 + 5) / 100 sofar, g.blocks totalwork,
           'Blocks' units, datetime(m.value, '-' || (s.last_call_et + 2) || ' seconds')
               start_time,
           m.value last_update_time, null timestamp,
           (s.last_call_et + 2) * (100 - ((s.sid * 37 + s."serial#") % 90 + 5))
               / ((s.sid * 37 + s."serial#") % 90 + 5) time_remaining,
           s.last_call_et + 2 elapsed_seconds, 0 context,
           'Table Scan:  ' || o.owner || '.' || o.object_name || ': ' ||
           (g.blocks * ((s.sid * 37 + s."serial#") % 90 + 5) / 100) || ' out of ' || g.blocks ||
           ' Blocks done' message,
           s.username, s.sql_address, s.sql_hash_value, s.sql_id,
           (select plan_hash_value from "v$sqlarea" a where a.address = s.sql_address)
               sql_plan_hash_value,
           s.sql_exec_start, s.sql_exec_id, 2 sql_plan_line_id,
           'TABLE ACCESS' sql_plan_operation, 'FULL' sql_plan_options, null qcsid, 0 con_id
    from "v$session" s
    join dba_objects o on o.object_id = s."row_wait_obj#"
    join (select owner, segment_name, segment_type, sum(blocks) blocks from dba_extents
          group by owner, segment_name, segment_type) g
        on g.owner = o.owner and g.segment_name = o.object_name
        and g.segment_type = o.object_type
    join sbx_meta m on m.key = 'clock'
    where s.event = 'db file scattered read';

-- A session's I/O, from its statistics.
create view "v$sess_io" as
    select s.sid,
           (select value from "v$sesstat" v where v.sid = s.sid and v."statistic#" =
               (select "statistic#" from "v$statname" where name = 'db block gets'))
               block_gets,
           (select value from "v$sesstat" v where v.sid = s.sid and v."statistic#" =
               (select "statistic#" from "v$statname" where name = 'consistent gets'))
               consistent_gets,
           (select value from "v$sesstat" v where v.sid = s.sid and v."statistic#" =
               (select "statistic#" from "v$statname" where name = 'physical reads'))
               physical_reads,
           coalesce((select value from "v$sesstat" v where v.sid = s.sid and v."statistic#" =
               (select "statistic#" from "v$statname" where name = 'db block changes')), 0)
               block_changes,
           coalesce((select value from "v$sesstat" v where v.sid = s.sid and v."statistic#" =
               (select "statistic#" from "v$statname" where name = 'consistent changes')), 0)
               consistent_changes,
           0 optimized_physical_reads, 0 con_id
    from "v$session" s;

-- The background processes the instance knows, with the address of those running.
create view "v$bgprocess" as
    with known (name, description) as (values
        ('PMON', 'process cleanup'), ('CLMN', 'process cleanup'),
        ('PSP0', 'process spawner 0'), ('VKTM', 'Virtual Keeper of TiMe process'),
        ('GEN0', 'generic0'), ('MMAN', 'Memory Manager'), ('DBW0', 'db writer process 0'),
        ('DBW1', 'db writer process 1'), ('LGWR', 'Redo etc.'), ('CKPT', 'checkpoint'),
        ('SMON', 'System Monitor Process'), ('RECO', 'distributed recovery'),
        ('SNP0', 'Job Queue Process 0'), ('CJQ0', 'Job Queue Coordinator'),
        ('QMN0', 'AQ Coordinator'), ('MMON', 'Manageability Monitor Process'),
        ('MMNL', 'Manageability Monitor Process 2'), ('ARC0', 'Archival Process 0'),
        ('ARC1', 'Archival Process 1'), ('ARC2', 'Archival Process 2'),
        ('DBRM', 'DataBase Resource Manager'), ('DIA0', 'diagnosibility process 0'))
    select coalesce((select s.paddr from "v$session" s where s.type = 'BACKGROUND'
                     and s.program like '%(' || k.name || ')'), '00') paddr,
           case when exists (select 1 from "v$session" s where s.type = 'BACKGROUND'
                             and s.program like '%(' || k.name || ')') then 1 else 0 end
               "pserial#",
           k.name, k.description, 0 error, 0 con_id
    from known k;

-- Buffer busy waits by class of block; they add up to the event's figures.
create view "v$waitstat" as
    with share (class, part, n) as (values
        ('data block', 62, 1), ('sort block', 0, 2), ('save undo block', 0, 3),
        ('segment header', 9, 4), ('save undo header', 0, 5), ('free list', 0, 6),
        ('extent map', 0, 7), ('1st level bmb', 4, 8), ('2nd level bmb', 1, 9),
        ('3rd level bmb', 0, 10), ('bitmap block', 0, 11), ('bitmap index block', 0, 12),
        ('file header block', 2, 13), ('unused', 0, 14), ('system undo header', 1, 15),
        ('system undo block', 0, 16), ('undo header', 14, 17), ('undo block', 7, 18))
    select class,
           case when n = 1 then e.total_waits - (select sum(e.total_waits * o.part / 100)
                                                  from share o where o.n <> 1)
                else e.total_waits * part / 100 end count,
           case when n = 1 then e.time_waited - (select sum(e.time_waited * o.part / 100)
                                                  from share o where o.n <> 1)
                else e.time_waited * part / 100 end time,
           0 con_id
    from share join "v$system_event" e on e.event = 'buffer busy waits'
    order by n;

-- PGA figures of the instance, from the sessions' statistics and parameters.
create view "v$pgastat" as
    with pga (used, allocated, maxalloc) as (
        select coalesce(sum(value), 0) * 7 / 10, coalesce(sum(value), 0),
               coalesce(sum(value), 0) * 13 / 10
        from "v$sesstat" where "statistic#" =
            (select "statistic#" from "v$statname" where name = 'session pga memory')),
    target (bytes) as (
        select coalesce((select cast(value as integer) from "v$system_parameter"
                         where name = 'pga_aggregate_target'), 0))
    select 'aggregate PGA target parameter' name, target.bytes value, 'bytes' unit, 0 con_id
        from target
    union all select 'aggregate PGA auto target', max(target.bytes - pga.used, target.bytes / 10),
        'bytes', 0 from target, pga
    union all select 'global memory bound', 104857600, 'bytes', 0
    union all select 'total PGA inuse', used, 'bytes', 0 from pga
    union all select 'total PGA allocated', allocated, 'bytes', 0 from pga
    union all select 'maximum PGA allocated', maxalloc, 'bytes', 0 from pga
    union all select 'total freeable PGA memory', allocated / 10, 'bytes', 0 from pga
    union all select 'process count', (select count(*) from "v$process"), null, 0
    union all select 'max processes count', (select count(*) + 12 from "v$process"), null, 0
    union all select 'PGA memory freed back to OS', allocated * 40, 'bytes', 0 from pga
    union all select 'total PGA used for auto workareas', used / 20, 'bytes', 0 from pga
    union all select 'maximum PGA used for auto workareas', used / 8, 'bytes', 0 from pga
    union all select 'total PGA used for manual workareas', 0, 'bytes', 0
    union all select 'over allocation count', 0, null, 0
    union all select 'bytes processed', allocated * 220, 'bytes', 0 from pga
    union all select 'extra bytes read/written', allocated * 3, 'bytes', 0 from pga
    union all select 'cache hit percentage', 98.62, 'percent', 0
    union all select 'recompute count (total)', 41873, null, 0;

-- The SGA's components in granules of 16 MiB, from v$sgastat and v$sga.
create view "v$sga_dynamic_components" as
    with part (component, bytes, n) as (
        select 'shared pool', (select sum(bytes) from "v$sgastat" where pool = 'shared pool'), 1
        union all select 'large pool',
            (select sum(bytes) from "v$sgastat" where pool = 'large pool'), 2
        union all select 'java pool',
            (select sum(bytes) from "v$sgastat" where pool = 'java pool'), 3
        union all select 'streams pool', 0, 4
        union all select 'DEFAULT buffer cache',
            (select value from "v$sga" where name = 'Database Buffers'), 5
        union all select 'KEEP buffer cache', 0, 6
        union all select 'RECYCLE buffer cache', 0, 7
        union all select 'DEFAULT 2K buffer cache', 0, 8
        union all select 'DEFAULT 4K buffer cache', 0, 9
        union all select 'DEFAULT 8K buffer cache', 0, 10
        union all select 'DEFAULT 16K buffer cache', 0, 11
        union all select 'DEFAULT 32K buffer cache', 0, 12
        union all select 'Shared IO Pool', 0, 13
        union all select 'Data Transfer Cache', 0, 14
        union all select 'In-Memory Area', 0, 15
        union all select 'In Memory RO Extension Area', 0, 16
        union all select 'In Memory RW Extension Area', 0, 17
        union all select 'ASM Buffer Cache', 0, 18)
    select component, (coalesce(bytes, 0) + 16777215) / 16777216 * 16777216 current_size,
           (coalesce(bytes, 0) + 16777215) / 16777216 * 16777216 min_size,
           (coalesce(bytes, 0) + 16777215) / 16777216 * 16777216 max_size,
           0 user_specified_size, 0 oper_count, 'STATIC' last_oper_type, null last_oper_mode,
           null last_oper_time, 16777216 granule_size, 0 con_id
    from part order by n;

create view "v$sgainfo" as
    select name, value bytes, 'No' resizeable, 0 con_id from "v$sga"
    union all select 'Granule Size', 16777216, 'No', 0
    union all select 'Maximum SGA Size', sum(value), 'No', 0 from "v$sga"
    union all select 'Free SGA Memory Available', 0, null, 0;

-- Resources against their limits: what is in use now, the most used since startup, the
-- parameter's value.
create view "v$resource_limit" as
    with p (name, value) as (select name, value from "v$system_parameter")
    select 'processes' resource_name, (select count(*) from "v$process") current_utilization,
           (select count(*) + 9 from "v$process") max_utilization,
           printf('%10s', max(cast((select value from p where name = 'processes') as integer),
                              (select count(*) + 9 from "v$process"))) initial_allocation,
           printf('%10s', max(cast((select value from p where name = 'processes') as integer),
                              (select count(*) + 9 from "v$process"))) limit_value, 0 con_id
    union all
    select 'sessions', (select count(*) from "v$session"),
           (select count(*) + 9 from "v$session"),
           printf('%10s', max(cast((select value from p where name = 'sessions') as integer),
                              (select count(*) + 9 from "v$session"))),
           printf('%10s', max(cast((select value from p where name = 'sessions') as integer),
                              (select count(*) + 9 from "v$session"))), 0
    union all
    select 'enqueue_locks', (select count(*) from "v$lock"), (select count(*) + 40 from "v$lock"),
           printf('%10s', (select count(*) * 4 + 2000 from "v$session")),
           printf('%10s', (select count(*) * 4 + 2000 from "v$session")), 0
    union all
    select 'dml_locks', (select count(*) from "v$lock" where type = 'TM'),
           (select count(*) + 8 from "v$lock" where type = 'TM'),
           printf('%10s', (select count(*) * 4 + 748 from "v$session")),
           printf('%10s', '  UNLIMITED'), 0
    union all
    select 'transactions', (select count(*) from "v$transaction"),
           (select count(*) + 6 from "v$transaction"),
           printf('%10s', (select count(*) * 11 / 10 + 187 from "v$session")),
           printf('%10s', '  UNLIMITED'), 0
    union all
    select 'max_rollback_segments', (select count(*) from dba_rollback_segs where status =
           'ONLINE'), (select count(*) from dba_rollback_segs), printf('%10s', 187),
           printf('%10s', 65535), 0
    union all
    select 'parallel_max_servers', 0, 4, printf('%10s', 40), printf('%10s', 32767), 0;

-- Rollback (undo) segments: the SYSTEM segment and the automatic undo segments of dba_extents.
create view dba_rollback_segs as
    select g.segment_name,
           case when g.segment_type = 'ROLLBACK' then 'SYS' else 'PUBLIC' end owner,
           g.tablespace_name,
           case when g.segment_name = 'SYSTEM' then 0
                else cast(substr(g.segment_name, 8, length(g.segment_name) - 8) as integer)
           end segment_id,
           g.header_file file_id, g.header_block block_id, 65536 initial_extent,
           65536 next_extent, 2 min_extents, 32765 max_extents, null pct_increase,
           'ONLINE' status, null instance_num, g.header_file relative_fno
    from dba_segments g where g.segment_type in ('ROLLBACK', 'TYPE2 UNDO');

create view "v$rollname" as
    select segment_id usn, segment_name name, 0 con_id from dba_rollback_segs
    where status = 'ONLINE';

create view "v$rollstat" as
    select r.segment_id usn, r.segment_id % 11 latch, g.extents, g.bytes rssize,
           g.bytes * 37 + r.segment_id * 8192 writes,
           (select count(*) from "v$lock" l where l.type = 'TX' and l.lmode = 6 and
               l.id1 / 65536 = r.segment_id) xacts,
           g.blocks * 410 + r.segment_id gets, r.segment_id % 3 waits, null optsize,
           g.bytes hwmsize, 0 shrinks, g.extents * 7 + r.segment_id wraps, g.extents - 1 extends,
           0 aveshrink, g.bytes / 4 aveactive, 'ONLINE' status, r.segment_id % g.extents curext,
           r.segment_id * 3 % 8 curblk, 0 con_id
    from dba_rollback_segs r
    join dba_segments g on g.segment_name = r.segment_name and g.owner = 'SYS';

-- Segments: the extents of dba_extents by segment.
create view dba_segments as
    select e.owner, e.segment_name, e.partition_name, e.segment_type,
           case when t.extent_management = 'LOCAL' and t.segment_space_management = 'AUTO'
                     and e.segment_type in ('TABLE', 'INDEX') then 'ASSM'
                else 'MSSM' end segment_subtype,
           e.tablespace_name,
           (select x.file_id from dba_extents x where x.owner = e.owner
               and x.segment_name = e.segment_name and x.segment_type = e.segment_type
               and x.extent_id = 0) header_file,
           (select x.block_id from dba_extents x where x.owner = e.owner
               and x.segment_name = e.segment_name and x.segment_type = e.segment_type
               and x.extent_id = 0) header_block,
           sum(e.bytes) bytes, sum(e.blocks) blocks, count(*) extents,
           min(e.bytes) initial_extent, t.next_extent next_extent, 1 min_extents,
           2147483645 max_extents, 2147483645 max_size, null retention, null minretention,
           t.pct_increase pct_increase, 1 freelists, 1 freelist_groups,
           (select x.relative_fno from dba_extents x where x.owner = e.owner
               and x.segment_name = e.segment_name and x.segment_type = e.segment_type
               and x.extent_id = 0) relative_fno,
           'DEFAULT' buffer_pool, 'DEFAULT' flash_cache, 'DEFAULT' cell_flash_cache,
           'DISABLED' inmemory, null inmemory_priority, null inmemory_distribute,
           null inmemory_duplicate, null inmemory_compression, null cellmemory
    from dba_extents e join dba_tablespaces t on t.tablespace_name = e.tablespace_name
    group by e.owner, e.segment_name, e.partition_name, e.segment_type, e.tablespace_name;

-- Free space: every data file's blocks after its last extent, in one chunk per file. With the
-- extents of dba_extents it makes up the file's user blocks.
create view dba_free_space as
    select f.tablespace_name, f.file_id,
           coalesce((select max(block_id + blocks) from dba_extents x where x.file_id =
                         f.file_id),
                    f.blocks - f.user_blocks + 1) block_id,
           (f.user_blocks - coalesce((select sum(blocks) from dba_extents x where x.file_id =
                                          f.file_id), 0)) * t.block_size bytes,
           f.user_blocks - coalesce((select sum(blocks) from dba_extents x where x.file_id =
                                         f.file_id), 0) blocks,
           f.relative_fno
    from dba_data_files f join dba_tablespaces t on t.tablespace_name = f.tablespace_name
    where f.user_blocks > coalesce((select sum(blocks) from dba_extents x where x.file_id =
                                        f.file_id), 0);

create view dba_tablespace_usage_metrics as
    select t.tablespace_name,
           case when t.contents = 'TEMPORARY'
                then coalesce((select sum(blocks) from "v$tempseg_usage"), 0)
                else coalesce((select sum(blocks) from dba_extents e where e.tablespace_name =
                                   t.tablespace_name), 0) end used_space,
           case when t.contents = 'TEMPORARY'
                then (select sum(case when autoextensible = 'YES' then maxblocks else blocks end)
                      from dba_temp_files f where f.tablespace_name = t.tablespace_name)
                else (select sum(case when autoextensible = 'YES' then maxblocks else blocks end)
                      from dba_data_files f where f.tablespace_name = t.tablespace_name)
           end tablespace_size,
           round(100.0 * case when t.contents = 'TEMPORARY'
                then coalesce((select sum(blocks) from "v$tempseg_usage"), 0)
                else coalesce((select sum(blocks) from dba_extents e where e.tablespace_name =
                                   t.tablespace_name), 0) end /
           case when t.contents = 'TEMPORARY'
                then (select sum(case when autoextensible = 'YES' then maxblocks else blocks end)
                      from dba_temp_files f where f.tablespace_name = t.tablespace_name)
                else (select sum(case when autoextensible = 'YES' then maxblocks else blocks end)
                      from dba_data_files f where f.tablespace_name = t.tablespace_name)
           end, 10) used_percent
    from dba_tablespaces t;

create view "v$tablespace" as
    select t.rowid - 1 "ts#", t.tablespace_name name, 'YES' included_in_database_backup,
           'NO' bigfile, 'YES' flashback_on, null encrypt_in_backup, 0 con_id
    from dba_tablespaces t;

create view "v$datafile" as
    select f.file_id "file#", 4 + f.file_id * 1031 "creation_change#",
           d.created creation_time, ts."ts#", f.relative_fno "rfile#",
           case when f.tablespace_name = 'SYSTEM' then 'SYSTEM' else 'ONLINE' end status,
           'READ WRITE' enabled, d."checkpoint_change#", d.controlfile_time checkpoint_time,
           0 "unrecoverable_change#", null unrecoverable_time, null "last_change#",
           null last_time, 0 "offline_change#", 0 "online_change#", null online_time,
           f.bytes, f.blocks, 0 create_bytes, t.block_size, f.file_name name, 0 plugged_in,
           t.block_size block1_offset, 'NONE' aux_name, 0 first_nonlogged_scn,
           null first_nonlogged_time, 0 foreign_dbid, 0 "foreign_creation_change#",
           null foreign_creation_time, 'NO' plugged_readonly, 0 "plugin_change#",
           0 "plugin_resetlogs_change#", null plugin_resetlogs_time, 0 con_id
    from dba_data_files f join dba_tablespaces t on t.tablespace_name = f.tablespace_name
    join "v$tablespace" ts on ts.name = f.tablespace_name
    join "v$database" d;

create view "v$tempfile" as
    select f.file_id "file#", 4 + f.file_id * 1019 "creation_change#",
           d.created creation_time, ts."ts#", f.relative_fno "rfile#", 'ONLINE' status,
           'READ WRITE' enabled, f.bytes, f.blocks, f.bytes create_bytes, t.block_size,
           f.file_name name, 0 con_id
    from dba_temp_files f join dba_tablespaces t on t.tablespace_name = f.tablespace_name
    join "v$tablespace" ts on ts.name = f.tablespace_name
    join "v$database" d;

-- Reads and writes by data file: the instance's physical I/O shared by the files' sizes.
create view "v$filestat" as
    with io (reads, writes, total) as (
        select (select value from "v$sysstat" where name = 'physical reads'),
               (select value from "v$sysstat" where name = 'physical writes'),
               (select sum(blocks) from dba_data_files))
    select f.file_id "file#", io.reads * f.blocks / io.total * 8 / 10 phyrds,
           io.writes * f.blocks / io.total * 9 / 10 phywrts,
           io.reads * f.blocks / io.total phyblkrd, 0 optimized_phyblkrd,
           io.writes * f.blocks / io.total phyblkwrt,
           io.reads * f.blocks / io.total * 7 / 10 singleblkrds,
           io.reads * f.blocks / io.total / 25 readtim,
           io.writes * f.blocks / io.total / 40 writetim,
           io.reads * f.blocks / io.total / 30 singleblkrdtim,
           f.file_id % 3 avgiotim, 0 lstiotim, 0 miniotim, 40 + f.file_id maxiortm,
           60 + f.file_id maxiowtm, 0 con_id
    from dba_data_files f, io;

create view "v$tempstat" as
    select f.file_id "file#", 120 + f.file_id phyrds, 340 + f.file_id phywrts,
           1900 phyblkrd, 5400 phyblkwrt, 60 singleblkrds, 3 readtim, 9 writetim,
           1 singleblkrdtim, 0 avgiotim, 0 lstiotim, 0 miniotim, 12 maxiortm, 21 maxiowtm,
           0 con_id
    from dba_temp_files f;

-- Sort segments in the temporary tablespace: the active sessions of every other slot that run
-- a statement that sorts.
create view "v$tempseg_usage" as
    select s.username, s.username "user", s.saddr session_addr, s."serial#" session_num,
           s.sql_address sqladdr, s.sql_hash_value sqlhash, s.sql_id,
           'TEMP' tablespace, 'TEMPORARY' contents, 'SORT' segtype,
           (select min(file_id) from dba_temp_files) + 200 "segfile#",
           128 + (s.sid % 4000) * 512 "segblk#", 1 + s.sid % 4 extents,
           (1 + s.sid % 4) * 128 blocks,
           (select min(relative_fno) from dba_temp_files) "segrfno#",
           (select "ts#" from "v$tablespace" where name = 'TEMP') "ts#", 0 con_id,
           s.sql_id sql_id_tempseg
    from "v$session" s join "v$sqlarea" a on a.address = s.sql_address
    where s.status = 'ACTIVE' and s.type = 'USER' and s.sid % 2 = 0
        and (a.sql_text like '%ORDER BY%' or a.sql_text like '%GROUP BY%');

create view "v$sort_usage" as select * from "v$tempseg_usage";

create view dba_tables as
    select o.owner, o.object_name table_name, g.tablespace_name, null cluster_name,
           null iot_name, 'VALID' status, 10 pct_free, null pct_used, 1 ini_trans,
           255 max_trans, g.initial_extent, g.next_extent, 1 min_extents,
           2147483645 max_extents, null pct_increase, null freelists, null freelist_groups,
           'YES' logging, 'N' backed_up, coalesce(g.blocks, 0) * 61 num_rows,
           coalesce(g.blocks, 0) blocks, 0 empty_blocks, 0 avg_space, 0 chain_cnt,
           90 + o.object_id % 60 avg_row_len, 0 avg_space_freelist_blocks,
           0 num_freelist_blocks, '         1' degree, '         1' instances,
           '    N' cache, 'ENABLED' table_lock, coalesce(g.blocks, 0) * 61 sample_size,
           o.last_ddl_time last_analyzed, 'NO' partitioned, null iot_type, o.temporary,
           o.secondary, 'NO' nested, 'DEFAULT' buffer_pool, 'DEFAULT' flash_cache,
           'DEFAULT' cell_flash_cache, 'DISABLED' row_movement, 'YES' global_stats,
           'NO' user_stats, null duration, 'DISABLED' skip_corrupt, 'YES' monitoring,
           null cluster_owner, 'DISABLED' dependencies, 'DISABLED' compression,
           null compress_for, 'NO' dropped, 'NO' read_only,
           case when g.segment_name is null then 'NO' else 'YES' end segment_created,
           'DEFAULT' result_cache, 'NO' clustering, null activity_tracking,
           null dml_timestamp, 'NO' has_identity, 'NO' container_data,
           'DISABLED' inmemory, 'NO' default_collation_unused, 'USING_NLS_COMP'
           default_collation, 'NO' duplicated, 'NO' sharded, 'NO' external,
           'NO' hybrid, 'NO' cellmemory, 'NO' containers_default, 'NO' container_map,
           'NO' extended_data_link, 'NO' extended_data_link_map, 'DISABLED' inmemory_service,
           null inmemory_service_name, 'NO' container_map_object, 'DISABLED' memoptimize_read,
           'DISABLED' memoptimize_write, 'NO' has_sensitive_column, 'NO' admit_null,
           'NO' data_link_dml_enabled, 'DISABLED' logical_replication
    from dba_objects o
    left join dba_segments g on g.owner = o.owner and g.segment_name = o.object_name
        and g.segment_type = 'TABLE'
    where o.object_type = 'TABLE';

create view dba_indexes as
    select o.owner, o.object_name index_name, 'NORMAL' index_type,
           case when c.table_name is not null then o.owner end table_owner,
           c.table_name, 'TABLE' table_type,
           case when o.object_name like '%\_PK' escape '\' or o.object_name like 'PK\_%' escape '\'
                     or o.object_name like '%\_UK' escape '\' then 'UNIQUE'
                else 'NONUNIQUE' end uniqueness, 'DISABLED' compression,
           g.tablespace_name, coalesce(g.blocks, 0) leaf_blocks, 'VALID' status,
           o.last_ddl_time last_analyzed, 'NO' partitioned
    from dba_objects o
    left join dba_segments g on g.owner = o.owner and g.segment_name = o.object_name
        and g.segment_type = 'INDEX'
    left join (select distinct index_owner, index_name, table_name from sbx_index_columns) c
        on c.index_owner = o.owner and c.index_name = o.object_name
    where o.object_type = 'INDEX';

-- Oracle's own dictionary tables under the views, as far as monitoring scripts read them.
create view "obj$" as
    select o.object_id "obj#", o.data_object_id "dataobj#", u.user_id "owner#",
           o.object_name name, case when o.object_type in ('INDEX', 'TRIGGER') then 4 else 1
           end namespace, o.subobject_name subname,
           case o.object_type when 'INDEX' then 1 when 'TABLE' then 2 when 'CLUSTER' then 3
                when 'VIEW' then 4 when 'SYNONYM' then 5 when 'SEQUENCE' then 6
                when 'PROCEDURE' then 7 when 'FUNCTION' then 8 when 'PACKAGE' then 9
                when 'PACKAGE BODY' then 11 when 'TRIGGER' then 12 when 'TYPE' then 13
                else 0 end "type#",
           o.created ctime, o.last_ddl_time mtime, o.last_ddl_time stime,
           case when o.status = 'VALID' then 1 else 5 end status, null remoteowner,
           null linkname, 0 flags, null oid$, 0 spare1, 6 spare2, 0 spare3
    from dba_objects o left join dba_users u on u.username = o.owner;

create view "user$" as
    select u.user_id "user#", u.username name, 1 "type#", u.password,
           (select "ts#" from "v$tablespace" where name = u.default_tablespace) "datats#",
           (select "ts#" from "v$tablespace" where name = u.temporary_tablespace) "tempts#",
           u.created ctime, u.created ptime, u.expiry_date exptime, u.lock_date ltime,
           0 "resource$", null "audit$", 1 defrole, null "defgrp#", null "defgrp_seq#",
           case u.account_status when 'OPEN' then 0 when 'EXPIRED' then 1
                when 'EXPIRED(GRACE)' then 2 when 'LOCKED(TIMED)' then 4 when 'LOCKED' then 8
                when 'EXPIRED & LOCKED' then 9 else 0 end astatus,
           0 lcount, null defschclass, u.external_name ext_username, 0 spare1
    from dba_users u;

create view "ts$" as
    select "ts#", name, 0 "owner#", 1 online$, 0 contents$ from "v$tablespace";

-- NLS: the session's settings, the instance's parameters and the database's.
create view nls_session_parameters as
    select parameter, value from "v$nls_parameters"
    where parameter not in ('NLS_CHARACTERSET', 'NLS_NCHAR_CHARACTERSET');

create view nls_instance_parameters as
    select upper(p.name) parameter, p.value value from "v$system_parameter" p
    where p.name like 'nls\_%' escape '\'
    union all
    select n.parameter, case when n.parameter in ('NLS_LANGUAGE', 'NLS_TERRITORY')
                             then n.value end
    from "v$nls_parameters" n
    where n.parameter not in ('NLS_CHARACTERSET', 'NLS_NCHAR_CHARACTERSET')
        and not exists (select 1 from "v$system_parameter" p where upper(p.name) = n.parameter);

create view nls_database_parameters as
    select parameter, value from "v$nls_parameters"
    union all select 'NLS_RDBMS_VERSION', '19.0.0.0.0';

-- The public synonyms of the dynamic performance views (v$x for sys.v_$x), and the synonyms
-- created in the sandbox.
create view dba_synonyms as
    select 'PUBLIC' owner, upper(name) synonym_name, 'SYS' table_owner,
           upper(substr(name, 1, instr(name, '$') - 1) || '_' || substr(name, instr(name, '$')))
               table_name, null db_link, 1 origin_con_id
    from sqlite_master
    where type in ('table', 'view') and (name like 'v$%' or name like 'gv$%')
    union all
    select 'PUBLIC', upper(name), 'SYS', upper(target), null, 0 from sbx_synonyms;

-- The redo log switches since a little before startup: one every twenty minutes or so, the
-- last one starting the current log. The sandbox's own helper, not an Oracle view.
create view sbx_log_switches as
    with recursive n(i) as (select 1 union all select i + 1 from n where i < 217),
    clock(value) as (select value from sbx_meta where key = 'clock')
    select i, 4800 + i "sequence#",
           datetime(clock.value, '-' || ((217 - i) * 1200 + i * 7919 % 600) || ' seconds')
               first_time,
           case when i < 217 then datetime(clock.value, '-' || ((216 - i) * 1200 +
                (i + 1) * 7919 % 600) || ' seconds') end next_time,
           88392017 - (217 - i) * 40213 - i * 7 "first_change#",
           case when i < 217 then 88392017 - (216 - i) * 40213 - (i + 1) * 7 end
               "next_change#"
    from n, clock;

create view "v$log" as
    select (s.i - 1) % 3 + 1 "group#", 1 "thread#", s."sequence#", 209715200 bytes,
           512 blocksize, 2 members, case when s.i = 217 then 'NO' else 'YES' end archived,
           case when s.i = 217 then 'CURRENT' when s.i = 216 then 'ACTIVE' else 'INACTIVE' end
               status,
           s."first_change#", s.first_time,
           coalesce(s."next_change#", 18446744073709551615) "next_change#", s.next_time,
           0 con_id
    from sbx_log_switches s where s.i > 214;

create view "v$logfile" as
    select g."group#", null status, 'ONLINE' type,
           '/u0' || (m.k + 1) || '/oradata/PROD/redo0' || g."group#" || char(97 + m.k) || '.log'
               member, 'NO' is_recovery_dest_file, 0 con_id
    from "v$log" g, (select 0 k union all select 1) m;

create view "v$log_history" as
    select i recid, 1100000000 + i * 1200 stamp, 1 "thread#", "sequence#", "first_change#",
           first_time, "next_change#", 1 "resetlogs_change#", '2003-05-14 10:22:38'
           resetlogs_time, 0 con_id
    from sbx_log_switches where i < 217;

create view "v$archived_log" as
    select i recid, 1100000000 + i * 1200 + 7 stamp,
           '/u05/fast_recovery_area/PROD/archivelog/1_' || "sequence#" || '_1052136158.dbf'
               name, 1 "dest_id", 1 "thread#", "sequence#", 1 "resetlogs_change#",
           '2003-05-14 10:22:38' resetlogs_time, "first_change#", first_time, "next_change#",
           next_time, 409600 - i * 37 % 2000 blocks, 512 block_size, 'ARCH' creator,
           'ARCH' registrar, 'NO' standby_dest, 'YES' archived, 'NO' applied, 'NO' deleted,
           'A' status, next_time completion_time, 'NO' dictionary_begin,
           'NO' dictionary_end, 'NO' end_of_redo, 0 con_id
    from sbx_log_switches where i < 217;

create view "v$controlfile" as
    select null status, '/u02/oradata/PROD/control01.ctl' name, 'NO' is_recovery_dest_file,
           16384 block_size, 1158 file_size_blks, 0 con_id
    union all
    select null, '/u03/oradata/PROD/control02.ctl', 'NO', 16384, 1158, 0;

-- Undo statistics in ten-minute intervals since startup, the current interval last; its
-- concurrency is the transactions open now.
create view "v$undostat" as
    with recursive clock(now, startup) as (
        select (select value from sbx_meta where key = 'clock'),
               (select startup_time from "v$instance")),
    n(i) as (select 0 union all select i + 1 from n, clock
             where i < 575 and datetime(now, '-' || ((i + 1) * 600) || ' seconds') > startup)
    select datetime(now, '-' || (i * 600 + cast(strftime('%s', now) as integer) % 600) ||
                    ' seconds') begin_time,
           case when i = 0 then now
                else datetime(now, '-' || ((i - 1) * 600 +
                              cast(strftime('%s', now) as integer) % 600) || ' seconds') end
               end_time,
           1 undotsn, 120 + (i * 7919) % 900 undoblks, 300 + (i * 104729) % 2400 txncount,
           30 + (i * 31) % 1200 maxquerylen, null maxqueryid,
           case when i = 0 then (select count(*) from "v$transaction")
                else 2 + i % 9 end maxconcurrency,
           0 unxpstealcnt, 0 unxpblkrelcnt, 0 unxpblkreucnt, 0 expstealcnt, 0 expblkrelcnt,
           0 expblkreucnt, 0 ssolderrcnt, 0 nospaceerrcnt, 160 + i % 40 activeblks,
           2400 + (i * 13) % 800 unexpiredblks, 9000 + (i * 17) % 3000 expiredblks,
           10800 + (i * 7) % 1200 tuned_undoretention, 0 con_id
    from n, clock;

create view dba_undo_extents as
    select e.owner, e.segment_name, e.tablespace_name, e.extent_id, e.file_id, e.block_id,
           e.bytes, e.blocks, e.relative_fno, null commit_jtime, null commit_wtime,
           case when e.extent_id = 0 and exists (select 1 from "v$transaction" t where
                    '_SYSSMU' || t.xidusn || '$' = e.segment_name) then 'ACTIVE'
                when e.extent_id % 3 = 1 then 'EXPIRED' else 'UNEXPIRED' end status
    from dba_extents e where e.segment_type = 'TYPE2 UNDO';

-- The time model: CPU from the statistics, DB time adding the non-idle waits of the events.
create view "v$sys_time_model" as
    with cpu(us) as (select coalesce((select value from "v$sysstat" where name =
                                          'CPU used by this session'), 0) * 10000),
    waits(us) as (select coalesce(sum(e.time_waited_micro), 0) from "v$system_event" e
                  join "v$event_name" n on n.name = e.event where n.wait_class <> 'Idle')
    select 3649082374 stat_id, 'DB time' stat_name, cpu.us + waits.us value, 0 con_id
        from cpu, waits
    union all select 2748282437, 'DB CPU', cpu.us, 0 from cpu
    union all select 4157170894, 'background elapsed time', waits.us / 9, 0 from waits
    union all select 2451517896, 'background cpu time', cpu.us / 20, 0 from cpu
    union all select 2821698184, 'sql execute elapsed time', (cpu.us + waits.us) * 88 / 100, 0
        from cpu, waits
    union all select 1431595225, 'parse time elapsed', (cpu.us + waits.us) * 4 / 100, 0
        from cpu, waits
    union all select 372226525, 'hard parse elapsed time', (cpu.us + waits.us) * 2 / 100, 0
        from cpu, waits
    union all select 2643905994, 'PL/SQL execution elapsed time',
        (cpu.us + waits.us) * 6 / 100, 0 from cpu, waits
    union all select 1990024365, 'connection management call elapsed time',
        (cpu.us + waits.us) / 100, 0 from cpu, waits
    union all select 4127043053, 'sequence load elapsed time', (cpu.us + waits.us) / 1000, 0
        from cpu, waits;

create view "v$sess_time_model" as
    with names(stat_id, stat_name, part) as (values
        (3649082374, 'DB time', 100), (2748282437, 'DB CPU', 60),
        (2821698184, 'sql execute elapsed time', 88), (1431595225, 'parse time elapsed', 4),
        (372226525, 'hard parse elapsed time', 2),
        (2643905994, 'PL/SQL execution elapsed time', 6),
        (1990024365, 'connection management call elapsed time', 1))
    select s.sid, n.stat_id, n.stat_name, st.value * 10000 * n.part / 60 value, 0 con_id
    from "v$sesstat" st join "v$session" s on s.sid = st.sid, names n
    where st."statistic#" =
        (select "statistic#" from "v$statname" where name = 'CPU used by this session');

create view "v$osstat" as
    with up(cs, cpus) as (
        select (cast(strftime('%s', (select value from sbx_meta where key = 'clock')) as
                     integer) - cast(strftime('%s', (select startup_time from "v$instance"))
                                     as integer)) * 100,
               coalesce((select cast(value as integer) from "v$system_parameter" where name =
                             'cpu_count'), 2))
    select 'NUM_CPUS' stat_name, cpus value, 0 osstat_id, 'Number of active CPUs' comments,
           'NO' cumulative, 0 con_id from up
    union all select 'IDLE_TIME', cs * cpus * 65 / 100, 1,
        'Time (centi-secs) that CPUs have been in the idle state', 'YES', 0 from up
    union all select 'BUSY_TIME', cs * cpus * 35 / 100, 2,
        'Time (centi-secs) that CPUs have been in the busy state', 'YES', 0 from up
    union all select 'USER_TIME', cs * cpus * 28 / 100, 3,
        'Time (centi-secs) spent in user code', 'YES', 0 from up
    union all select 'SYS_TIME', cs * cpus * 7 / 100, 4,
        'Time (centi-secs) spent in the kernel', 'YES', 0 from up
    union all select 'IOWAIT_TIME', cs * cpus * 4 / 100, 5,
        'Time (centi-secs) spent waiting for IO', 'YES', 0 from up
    union all select 'NICE_TIME', 0, 6, 'Time (centi-secs) spend in low-priority user code',
        'YES', 0
    union all select 'RSRC_MGR_CPU_WAIT_TIME', 0, 14,
        'Time (centi-secs) processes spent in the runnable state waiting', 'YES', 0
    union all select 'LOAD', 0.7, 15, 'Number of processes running or waiting on the run queue',
        'NO', 0
    union all select 'NUM_CPU_CORES', cpus, 16, 'Number of CPU cores', 'NO', 0 from up
    union all select 'NUM_CPU_SOCKETS', 1, 17, 'Number of physical CPU sockets', 'NO', 0
    union all select 'PHYSICAL_MEMORY_BYTES', 8589934592, 1008,
        'Physical memory size in bytes', 'NO', 0
    union all select 'TCP_RECEIVE_SIZE_MAX', 4194304, 2000,
        'Maximum size (bytes) of TCP receive buffer', 'NO', 0;

-- Advisories: the estimates for sizes around the current ones.
create view "v$pga_target_advice" as
    with f(factor) as (values (0.125), (0.25), (0.5), (0.75), (1.0), (1.2), (1.4), (1.6),
                              (1.8), (2.0), (3.0), (4.0), (6.0), (8.0)),
    p(target, processed) as (
        select (select value from "v$pgastat" where name = 'aggregate PGA target parameter'),
               (select value from "v$pgastat" where name = 'bytes processed'))
    select cast(p.target * f.factor as integer) pga_target_for_estimate,
           f.factor pga_target_factor, 'ON' advice_status, p.processed bytes_processed,
           cast(p.processed / 1000 * (1 + 0.3 / f.factor) as integer) estd_time,
           cast(p.processed * 0.2 / (f.factor * f.factor) as integer) estd_extra_bytes_rw,
           round(100.0 / (1 + 0.2 / (f.factor * f.factor))) estd_pga_cache_hit_percentage,
           case when f.factor < 0.5 then 12 else 0 end estd_overalloc_count, 0 con_id
    from f, p;

create view "v$db_cache_advice" as
    with recursive f(i) as (select 1 union all select i + 1 from f where i < 20),
    c(bytes, reads) as (
        select (select value from "v$sga" where name = 'Database Buffers'),
               (select value from "v$sysstat" where name = 'physical reads'))
    select 3 id, 'DEFAULT' name, 8192 block_size, 'ON' advice_status,
           c.bytes * f.i / 10 / 1048576 size_for_estimate, round(f.i / 10.0, 4) size_factor,
           c.bytes * f.i / 10 / 8192 buffers_for_estimate,
           round(1 + 0.9 * (10 - f.i) / (f.i + 2.0) * (f.i < 10), 4)
               estd_physical_read_factor,
           cast(c.reads * (1 + 0.9 * (10 - f.i) / (f.i + 2.0) * (f.i < 10)) as integer)
               estd_physical_reads,
           cast(c.reads * (1 + 0.9 * (10 - f.i) / (f.i + 2.0) * (f.i < 10)) / 1000 as integer)
               estd_physical_read_time,
           round(20 * (1 + 0.9 * (10 - f.i) / (f.i + 2.0) * (f.i < 10)), 1)
               estd_pct_of_db_time_for_reads,
           0 estd_cluster_reads, 0 estd_cluster_read_time, 0 con_id
    from f, c;

create view "v$shared_pool_advice" as
    with f(factor) as (values (0.5), (0.6), (0.7), (0.8), (0.9), (1.0), (1.1), (1.2), (1.3),
                              (1.4), (1.6), (1.8), (2.0)),
    p(bytes) as (select current_size from "v$sga_dynamic_components" where component =
                     'shared pool')
    select cast(p.bytes * f.factor / 1048576 as integer) shared_pool_size_for_estimate,
           f.factor shared_pool_size_factor,
           cast(p.bytes * f.factor / 1048576 * 0.4 as integer) estd_lc_size,
           cast(4000 * f.factor as integer) estd_lc_memory_objects,
           cast(150000 * (1 - 0.25 / (f.factor * 4)) as integer) estd_lc_time_saved,
           round((1 - 0.25 / (f.factor * 4)) / 0.9375, 4) estd_lc_time_saved_factor,
           cast(900 * (0.25 / (f.factor * 4)) * 16 as integer) estd_lc_load_time,
           round(1 / f.factor, 4) estd_lc_load_time_factor,
           cast(2500000 * (1 - 0.05 / f.factor) as integer) estd_lc_memory_object_hits,
           0 con_id
    from f, p;

create view "v$sga_target_advice" as
    with f(factor) as (values (0.5), (0.75), (1.0), (1.25), (1.5), (1.75), (2.0)),
    s(bytes, dbtime, reads) as (
        select (select sum(value) from "v$sga"),
               (select value from "v$sys_time_model" where stat_name = 'DB time') / 1000000,
               (select value from "v$sysstat" where name = 'physical reads'))
    select cast(s.bytes * f.factor / 1048576 as integer) sga_size, f.factor sga_size_factor,
           cast(s.dbtime * (1 + 0.3 * (1 - f.factor) * (f.factor < 1)) as integer)
               estd_db_time,
           round(1 + 0.3 * (1 - f.factor) * (f.factor < 1), 4) estd_db_time_factor,
           cast(s.reads * (1 + 0.8 * (1 - f.factor) * (f.factor < 1)) as integer)
               estd_physical_reads,
           cast(s.bytes * f.factor * 0.6 / 1048576 as integer) estd_buffer_cache_size,
           cast(s.bytes * f.factor * 0.3 / 1048576 as integer) estd_shared_pool_size, 0 con_id
    from f, s;

-- Waits by class, from the events.
create view "v$system_wait_class" as
    select wait_class_id, "wait_class#", wait_class, sum(total_waits) total_waits,
           sum(time_waited) time_waited, sum(total_waits) total_waits_fg,
           sum(time_waited) time_waited_fg, 0 con_id
    from "v$system_event" group by wait_class_id, "wait_class#", wait_class;

create view "v$session_wait_class" as
    select e.sid, s."serial#", e.wait_class_id, e."wait_class#", e.wait_class,
           sum(e.total_waits) total_waits, sum(e.time_waited) time_waited, 0 con_id
    from "v$session_event" e join "v$session" s on s.sid = e.sid
    group by e.sid, s."serial#", e.wait_class_id, e."wait_class#", e.wait_class;

-- Statistics of the statements, as v$sqlarea counts them.
create view "v$sqlstats" as
    select sql_text, sql_fulltext, sql_id, last_active_time, 0 last_active_child_address,
           plan_hash_value, parse_calls, disk_reads, direct_writes, 0 direct_reads,
           buffer_gets, rows_processed, serializable_aborts, fetches, executions,
           end_of_fetch_count, loads, version_count, invalidations, px_servers_executions,
           cpu_time, elapsed_time, 0 avg_hard_parse_time, application_wait_time,
           concurrency_wait_time, cluster_wait_time, user_io_wait_time, plsql_exec_time,
           java_exec_time, sorts, sharable_mem, sharable_mem total_sharable_mem, 0 con_id
    from "v$sqlarea";

-- The temporary tablespace's space: what the sort segments of v$tempseg_usage use, the
-- rest of its files free.
create view "v$temp_space_header" as
    select f.tablespace_name, f.file_id,
           coalesce((select sum(blocks) from "v$tempseg_usage"), 0) * 8192 bytes_used,
           coalesce((select sum(blocks) from "v$tempseg_usage"), 0) blocks_used,
           f.bytes - coalesce((select sum(blocks) from "v$tempseg_usage"), 0) * 8192 bytes_free,
           f.blocks - coalesce((select sum(blocks) from "v$tempseg_usage"), 0) blocks_free,
           f.relative_fno, 0 con_id
    from dba_temp_files f;

-- The temporary extents each temp file has cached: those in use are the sort segments' extents,
-- the cache the 40 extents of v$sort_segment beyond them.
create view "v$temp_extent_pool" as
    select f.tablespace_name, f.file_id,
           coalesce((select sum(extents) from "v$tempseg_usage"), 0) + 40 extents_cached,
           coalesce((select sum(extents) from "v$tempseg_usage"), 0) extents_used,
           (coalesce((select sum(extents) from "v$tempseg_usage"), 0) + 40) * 128 blocks_cached,
           coalesce((select sum(blocks) from "v$tempseg_usage"), 0) blocks_used,
           (coalesce((select sum(extents) from "v$tempseg_usage"), 0) + 40) * 128 * 8192
               bytes_cached,
           coalesce((select sum(blocks) from "v$tempseg_usage"), 0) * 8192 bytes_used,
           f.relative_fno, 0 con_id
    from dba_temp_files f;

create view "v$sort_segment" as
    select t.tablespace_name, 0 segment_file, 0 segment_block, 128 extent_size,
           (select count(*) from "v$tempseg_usage") current_users,
           (select sum(extents) from "v$tempseg_usage") + 40 total_extents,
           ((select sum(extents) from "v$tempseg_usage") + 40) * 128 total_blocks,
           (select sum(extents) from "v$tempseg_usage") used_extents,
           (select sum(blocks) from "v$tempseg_usage") used_blocks, 40 free_extents,
           40 * 128 free_blocks, 0 added_extents, 1204 extent_hits, 0 freed_extents,
           0 free_requests, 2048 max_size, 2048 * 128 max_blocks, 1210 max_used_size,
           1210 * 128 max_used_blocks, 600 max_sort_size, 600 * 128 max_sort_blocks,
           0 relative_fno, 0 con_id
    from dba_tablespaces t where t.contents = 'TEMPORARY';

create view dba_temp_free_space as
    select f.tablespace_name, sum(f.bytes) tablespace_size,
           ((select coalesce(sum(extents), 0) from "v$tempseg_usage") + 40) * 1048576
               allocated_space,
           sum(f.bytes) - coalesce((select sum(blocks) from "v$tempseg_usage"), 0) * 8192
               free_space,
           'SHARED' shared, null inst_id
    from dba_temp_files f group by f.tablespace_name;

-- The workload repository's snapshots: one every hour since startup.
create view dba_hist_snapshot as
    with recursive clock(now, startup) as (
        select (select value from sbx_meta where key = 'clock'),
               (select startup_time from "v$instance")),
    n(i) as (select 1 union all select i + 1 from n, clock
             where datetime(startup, '+' || ((i + 1) * 3600) || ' seconds') <= now)
    select 1000 + i snap_id, 2718403765 dbid, 1 instance_number, startup startup_time,
           datetime(startup, '+' || ((i - 1) * 3600) || ' seconds') begin_interval_time,
           datetime(startup, '+' || (i * 3600) || ' seconds') end_interval_time,
           '+00000 00:00:01.2' flush_elapsed, 1 snap_level, 0 error_count, 0 snap_flag,
           '+00 00:00:00.000000' snap_timezone, null begin_interval_time_tz,
           null end_interval_time_tz, 0 con_id
    from n, clock where datetime(startup, '+' || (i * 3600) || ' seconds') <= now;

-- The statistics of the session that asks.
create view "v$mystat" as
    select sid, "statistic#", value, 0 con_id from "v$sesstat"
    where sid = cast(sys_context('USERENV', 'SID') as integer);

-- Execution plans of the child cursors of v$sql: the statement, the sort, aggregation or DML
-- step its text asks for, the access to the table its text names (by an index of the table
-- when the statement filters on a bind variable and the table has one) and that index.
create view "v$sql_plan" as
    with c as (
        select q.*, upper(q.sql_text) u,
               case q.command_type when 3 then 'SEL$1' when 2 then 'INS$1' when 6 then 'UPD$1'
                                   else 'DEL$1' end qb
        from "v$sql" q
        where q.plan_hash_value > 0 and q.command_type in (2, 3, 6, 7)),
    n as (
        select c.*,
               case when c.command_type = 6
                    then substr(c.u, instr(c.u, 'UPDATE ') + 7)
                    else substr(c.u, instr(c.u, ' FROM ') + 6) end rest,
               case when c.command_type = 2
                    then substr(c.u, instr(c.u, 'INTO ') + 5) end target_rest,
               case when instr(c.u, ' WHERE ') > 0
                    then substr(c.u, instr(c.u, ' WHERE ') + 7) end cond
        from c where c.command_type = 6 or instr(c.u, ' FROM ') > 0
            or c.command_type = 2),
    t as (
        select n.*,
               rtrim(substr(n.rest, 1, instr(n.rest || ' ', ' ') - 1), ',') full_name,
               rtrim(substr(n.target_rest, 1, instr(n.target_rest || ' ', ' ') - 1), ',(')
                   target_full,
               case when n.cond is not null
                    then substr(n.cond, 1, instr(n.cond || ' ', ' ') - 1) end cond_column
        from n),
    o as (
        select t.*,
               case when instr(t.full_name, '.') > 0
                    then substr(t.full_name, 1, instr(t.full_name, '.') - 1)
                    when t.full_name like 'V$%' then 'SYS'
                    else t.parsing_schema_name end tab_owner,
               case when instr(t.full_name, '.') > 0
                    then substr(t.full_name, instr(t.full_name, '.') + 1)
                    else t.full_name end tab_name,
               case when instr(t.target_full, '.') > 0
                    then substr(t.target_full, instr(t.target_full, '.') + 1)
                    else t.target_full end target_name,
               case when instr(t.cond_column, '.') > 0
                    then substr(t.cond_column, instr(t.cond_column, '.') + 1)
                    else t.cond_column end cond_name
        from t),
    s as (
        select o.*,
               (select x.object_id from dba_objects x where x.owner = o.tab_owner
                   and x.object_name = o.tab_name and x.object_type = 'TABLE') tab_id,
               (select min(x.object_id) from dba_objects x where x.owner = o.tab_owner
                   and x.object_type = 'INDEX' and (x.object_name like o.tab_name || '\_%'
                   escape '\' or x.object_name = 'PK_' || o.tab_name)
                   and o.cond like '%= :%' and o.tab_name <> '') ix_id,
               case when o.command_type = 3 and o.u like '% FOR UPDATE%' then 'FOR UPDATE'
                    when o.command_type = 3 and o.u like '%GROUP BY%'
                         and o.u like '%ORDER BY%' then 'SORT'
                    when o.command_type = 3 and o.u like '%GROUP BY%' then 'HASH'
                    when o.command_type = 3 and o.u like '%ORDER BY%' then 'SORT'
                    when o.command_type = 3 and o.u like '%COUNT(%' then 'SORT'
                    when o.command_type = 2 and o.u like '%APPEND%' then 'LOAD AS SELECT'
                    when o.command_type = 2 then 'LOAD TABLE CONVENTIONAL'
                    when o.command_type = 6 then 'UPDATE'
                    when o.command_type = 7 then 'DELETE' end top_operation,
               case when o.command_type = 3 and o.u like '% FOR UPDATE%' then null
                    when o.command_type = 3 and o.u like '%GROUP BY%' then 'GROUP BY'
                    when o.command_type = 3 and o.u like '%ORDER BY%' then 'ORDER BY'
                    when o.command_type = 3 and o.u like '%COUNT(%' then 'AGGREGATE'
                    when o.command_type = 2 and o.u like '%APPEND%' then null end top_options,
               max(1, o.rows_processed / max(o.executions, 1)) card
        from o),
    p as (
        select s.*, case when s.top_operation is null then 0 else 1 end top,
               (select x.object_name from dba_objects x where x.object_id = s.ix_id) ix_name,
               case when s.command_type = 2 then
                   (select x.object_id from dba_objects x where x.owner = s.parsing_schema_name
                       and x.object_name = s.target_name and x.object_type = 'TABLE')
                    else s.tab_id end top_id,
               case when s.command_type = 2 then s.target_name else s.tab_name end top_name
        from s),
    line as (
        select p.*, 0 id, null parent_id, 0 depth, p.optimizer_cost position,
               case p.command_type when 3 then 'SELECT STATEMENT'
                    when 2 then 'INSERT STATEMENT' when 6 then 'UPDATE STATEMENT'
                    else 'DELETE STATEMENT' end operation,
               null options, null "object#", null object_owner, null object_name,
               null object_alias, null object_type, p.optimizer_mode optimizer,
               p.optimizer_cost cost, null cardinality, null bytes, null access_predicates,
               null filter_predicates, null qblock_name
        from p
        union all
        select p.*, 1, 0, 1, 1, p.top_operation, p.top_options,
               case when p.top_operation in ('UPDATE', 'DELETE', 'LOAD AS SELECT',
                                             'LOAD TABLE CONVENTIONAL') then p.top_id end,
               case when p.top_operation in ('UPDATE', 'DELETE', 'LOAD AS SELECT',
                                             'LOAD TABLE CONVENTIONAL') then
                   case when p.command_type = 2 then p.parsing_schema_name
                        else p.tab_owner end end,
               case when p.top_operation in ('UPDATE', 'DELETE', 'LOAD AS SELECT',
                                             'LOAD TABLE CONVENTIONAL') then p.top_name end,
               null, null, null, p.optimizer_cost, p.card, p.card * 48, null, null, p.qb
        from p where p.top = 1
        union all
        select p.*, p.top + 1, p.top, p.top + 1, 1,
               case when p.tab_name like 'V$%' then 'FIXED TABLE' else 'TABLE ACCESS' end,
               case when p.ix_id is not null then 'BY INDEX ROWID BATCHED' else 'FULL' end,
               p.tab_id, p.tab_owner, p.tab_name, p.tab_name || '@' || p.qb,
               case when p.tab_name like 'V$%' then 'VIEW' else 'TABLE' end, 'ANALYZED',
               max(1, p.optimizer_cost - case when p.top = 1 then 1 else 0 end),
               p.card,
               p.card * (90 + coalesce(p.tab_id, 0) % 60), null,
               case when p.ix_id is null and (p.cond like '%= :%' or p.cond like '%= ''%'
                                              or substr(p.cond, instr(p.cond, '= ') + 2, 1)
                                                 between '0' and '9')
                    then '"' || p.cond_name || '"=' ||
                         substr(p.cond, instr(p.cond, '= ') + 2,
                                instr(substr(p.cond, instr(p.cond, '= ') + 2) || ' ', ' ') - 1)
               end, p.qb
        from p where p.tab_name <> '' and (p.command_type <> 2 or p.u like '%SELECT%')
        union all
        select p.*, p.top + 2, p.top + 1, p.top + 2, 1, 'INDEX',
               case when p.ix_name like '%\_PK' escape '\' or p.ix_name like 'PK\_%' escape '\'
                    then 'UNIQUE SCAN' else 'RANGE SCAN' end,
               p.ix_id, p.tab_owner, p.ix_name, p.tab_name || '@' || p.qb, 'INDEX', 'ANALYZED',
               max(1, p.optimizer_cost / 3), p.card, null,
               '"' || p.cond_name || '"=' ||
               substr(p.cond, instr(p.cond, '= :') + 2,
                      instr(substr(p.cond, instr(p.cond, '= :') + 2) || ' ', ' ') - 1),
               null, p.qb
        from p where p.ix_id is not null)
    select address, hash_value, sql_id, plan_hash_value, plan_hash_value full_plan_hash_value,
           child_address, child_number, last_load_time timestamp, operation, options,
           null object_node, "object#", object_owner, object_name, object_alias, object_type,
           optimizer, id, parent_id, depth, position,
           case when options in ('UNIQUE SCAN', 'RANGE SCAN') then 1 else 0 end search_columns,
           cost, cardinality, bytes, null other_tag, null partition_start,
           null partition_stop, null partition_id, null other, null distribution,
           cost * 7219 + id * 113 cpu_cost, cost io_cost, null temp_space, access_predicates,
           filter_predicates, null projection, case when cost is null then null else 1 end time,
           qblock_name, null remarks, null other_xml, con_id
    from line order by sql_id, child_number, id;

-- Statistics by segment: the segments of the objects in dba_extents, their figures grown from
-- their size; row lock waits count the sessions waiting on a row of the object now.
create view "v$segstat_name" as
    with n("statistic#", name, sampled) as (values
        (0, 'logical reads', 'YES'), (1, 'buffer busy waits', 'NO'),
        (2, 'gc buffer busy', 'NO'), (3, 'db block changes', 'YES'),
        (4, 'physical reads', 'NO'), (5, 'physical writes', 'NO'),
        (6, 'physical read requests', 'NO'), (7, 'physical write requests', 'NO'),
        (8, 'physical reads direct', 'NO'), (9, 'physical writes direct', 'NO'),
        (11, 'optimized physical reads', 'NO'), (13, 'gc cr blocks received', 'NO'),
        (14, 'gc current blocks received', 'NO'), (15, 'ITL waits', 'NO'),
        (16, 'row lock waits', 'NO'), (17, 'space used', 'NO'),
        (18, 'space allocated', 'NO'), (20, 'segment scans', 'NO'))
    select "statistic#", name, sampled, 0 con_id from n;

create view "v$segment_statistics" as
    with g as (
        select e.owner, e.segment_name, e.segment_type, e.tablespace_name,
               sum(e.blocks) blocks, sum(e.bytes) bytes
        from dba_extents e group by e.owner, e.segment_name, e.segment_type,
            e.tablespace_name),
    o as (
        select x.owner, x.object_name, x.subobject_name, g.tablespace_name,
               (select "ts#" from "v$tablespace" where name = g.tablespace_name) "ts#",
               x.object_id "obj#", x.data_object_id "dataobj#", x.object_type, g.blocks,
               g.bytes, g.blocks * (1 + x.object_id * 2654435761 % 97) heat
        from g join dba_objects x on x.owner = g.owner and x.object_name = g.segment_name
            and x.object_type = g.segment_type)
    select o.owner, o.object_name, o.subobject_name, o.tablespace_name, o."ts#", o."obj#",
           o."dataobj#", o.object_type, n.name statistic_name, n."statistic#",
           case n.name
               when 'logical reads' then o.heat * 1613
               when 'buffer busy waits' then o.heat / 40
               when 'db block changes' then o.heat * 37
               when 'physical reads' then o.heat * 23
               when 'physical writes' then o.heat * 5
               when 'physical read requests' then o.heat * 19
               when 'physical write requests' then o.heat * 4
               when 'physical reads direct' then
                   case when o.object_type = 'TABLE' then o.heat * 2 else 0 end
               when 'physical writes direct' then 0
               when 'ITL waits' then o.heat / 400
               when 'row lock waits' then
                   (select count(*) from "v$session" s where s."row_wait_obj#" = o."obj#"
                        and s.event = 'enq: TX - row lock contention') + o.heat / 200
               when 'space used' then o.bytes * 7 / 10
               when 'space allocated' then o.bytes
               when 'segment scans' then
                   case when o.object_type = 'TABLE' then o.heat / 8 else o.heat / 30 end
               else 0 end value,
           0 con_id
    from o, "v$segstat_name" n;

create view "v$segstat" as
    select "ts#", "obj#", "dataobj#", statistic_name, "statistic#", value, con_id
    from "v$segment_statistics";

-- The objects in the library cache: the cursors of v$sqlarea and the tables, views and
-- PL/SQL units of the applications' schemas and the dictionary's most used.
create view "v$db_object_cache" as
    select a.parsing_schema_name owner, a.sql_text name, null db_link, 'SQL AREA' namespace,
           'CURSOR' type, a.sharable_mem, a.loads, a.executions, a.users_opening locks,
           a.users_executing pins, 'NO' kept, a.child_latch, a.invalidations, a.hash_value,
           case when a.users_opening > 0 then 'NULL' else 'NONE' end lock_mode,
           case when a.users_executing > 0 then 'SHARED' else 'NONE' end pin_mode,
           'VALID' status, null timestamp, null previous_timestamp,
           a.parse_calls + a.users_opening locked_total, a.executions pinned_total,
           null property, lower(printf('%08x%08x%08x%08x', a.hash_value % 4096,
                                       a.hash_value / 3, a.hash_value * 7 % 4294967296,
                                       a.hash_value)) full_hash_value,
           0 con_id, 'PROD' con_name, a.address addr, null edition
    from "v$sqlarea" a
    union all
    select o.owner, o.object_name, null,
           case o.object_type when 'PACKAGE BODY' then 'BODY' when 'TRIGGER' then 'TRIGGER'
                              when 'INDEX' then 'INDEX' else 'TABLE/PROCEDURE' end,
           o.object_type, 2000 + o.object_id * 37 % 30000, 1 + o.object_id % 3, 0,
           (select count(*) from "v$lock" l where l.type = 'TM' and l.id1 = o.object_id),
           0, case when o.owner = 'SYS' and o.object_type like 'PACKAGE%' then 'YES' else 'NO'
           end, o.object_id % 1024, 0, o.object_id * 2654435761 % 4294967296, 'NONE', 'NONE',
           'VALID', o.timestamp, o.timestamp,
           (select count(*) from "v$lock" l where l.type = 'TM' and l.id1 = o.object_id)
               + o.object_id % 500,
           o.object_id % 800, null,
           lower(printf('%032x', o.object_id * 2654435761 % 4294967296)), 0, 'PROD',
           printf('%016X', 60000000000 + o.object_id * 4096), null
    from dba_objects o
    where o.object_type in ('TABLE', 'VIEW', 'SYNONYM', 'SEQUENCE', 'PACKAGE',
                            'PACKAGE BODY', 'PROCEDURE', 'FUNCTION', 'TRIGGER', 'INDEX');

-- The objects the sessions use now: the tables and indexes in the plan of their current
-- statement, and the tables they hold a DML lock on.
create view "v$access" as
    select distinct s.sid, p.object_owner owner, p.object_name object,
           case when p.object_type = 'INDEX' then 'INDEX' else 'TABLE' end type, 0 con_id
    from "v$session" s join "v$sql_plan" p on p.address = s.sql_address
        and p.child_number = coalesce(s.sql_child_number, 0)
    where p."object#" is not null
    union
    select l.session_id, o.owner, o.object_name, 'TABLE', 0
    from "v$locked_object" l join dba_objects o on o.object_id = l.object_id;

-- Dictionary locks: a null lock on every object a session uses.
create view dba_ddl_locks as
    select a.sid session_id, a.owner, a.object name,
           case when a.type = 'INDEX' then 'Index' else 'Table/Procedure/Type' end type,
           'Null' mode_held, 'None' mode_requested
    from "v$access" a;

-- DML locks: the TM locks of v$lock with their tables.
create view dba_dml_locks as
    select l.sid session_id, o.owner, o.object_name name,
           case l.lmode when 0 then 'None' when 1 then 'Null' when 2 then 'Row-S (SS)'
                        when 3 then 'Row-X (SX)' when 4 then 'Share'
                        when 5 then 'S/Row-X (SSX)' when 6 then 'Exclusive'
                        else cast(l.lmode as text) end mode_held,
           case l.request when 0 then 'None' when 1 then 'Null' when 2 then 'Row-S (SS)'
                          when 3 then 'Row-X (SX)' when 4 then 'Share'
                          when 5 then 'S/Row-X (SSX)' when 6 then 'Exclusive'
                          else cast(l.request as text) end mode_requested,
           l.ctime last_convert,
           case when l.block = 1 then 'Blocking' else 'Not Blocking' end blocking_others
    from "v$lock" l join dba_objects o on o.object_id = l.id1
    where l.type = 'TM';

-- The types of enqueue locks, with Oracle's names and the meaning of their ids.
create view "v$lock_type" as
    with t(type, name, id1_tag, id2_tag, is_user, description) as (values
        ('AE', 'Edition Lock', 'edition obj#', '0', 'NO', 'Prevent Dropping an edition in use'),
        ('BL', 'Buffer Cache Management', 'pdb id', 'block class', 'NO',
         'Synchronizes buffer cache management'),
        ('CF', 'Controlfile Transaction', '0', 'operation', 'NO',
         'Synchronizes accesses to the controlfile'),
        ('CI', 'Cross-Instance Call Invocation', 'opcode', 'type', 'NO',
         'Coordinates cross-instance function invocations'),
        ('CU', 'Cursor', 'handle', 'handle', 'NO', 'Recovers cursors in case of death while compiling'),
        ('DL', 'Direct Loader Index Creation', 'object #', '0', 'NO',
         'Lock to prevent index DDL during direct load'),
        ('DX', 'Distributed Transaction', 'transaction entry #', '0', 'NO',
         'Serializes tightly coupled distributed transaction branches'),
        ('HW', 'Segment High Water Mark', 'table space #', 'block', 'NO',
         'Lock used to broker the high water mark during parallel inserts'),
        ('JQ', 'Job Queue', '0', 'job #', 'NO', 'Lock to prevent multiple instances from running a single job'),
        ('KO', 'Multiple Object Checkpoint', '2', '0', 'NO',
         'Coordinates checkpointing of multiple objects'),
        ('MR', 'Media Recovery', 'file #', 'type', 'NO',
         'Lock used to coordinate media recovery with other uses of datafiles'),
        ('PS', 'PX Process Reservation', 'instance', 'server #', 'NO',
         'Parallel Execution Server Process reservation and synchronization'),
        ('RO', 'Multiple Object Reuse', '2', '0', 'NO',
         'Coordinates flushing of multiple objects'),
        ('RT', 'Redo Thread', 'thread id', '0', 'NO',
         'Thread locks held by LGWR, DBW0, and RVWR to indicate mounted or open status'),
        ('SQ', 'Sequence Cache', 'object #', '0', 'NO', 'Lock to ensure that only one process can replenish the sequence cache'),
        ('ST', 'Space Transaction', '0', '0', 'NO',
         'Synchronizes space management activities in dictionary-managed tablespaces'),
        ('TM', 'DML', 'object #', 'table/partition', 'YES',
         'Synchronizes accesses to an object'),
        ('TO', 'Temp Object', 'object #', '1', 'NO',
         'Synchronizes DDL and DML operations on a temp object'),
        ('TS', 'Temporary Segment', 'segment file #', 'segment block #', 'NO',
         'Serializes accesses to temp segments'),
        ('TT', 'Tablespace', 'tablespace ID', 'operation', 'NO',
         'Serializes DDL operations on tablespaces'),
        ('TX', 'Transaction', 'usn<<16 | slot', 'sequence', 'YES',
         'Lock held by a transaction to allow other transactions to wait for it'),
        ('UL', 'User-defined', 'id', '0', 'YES',
         'Lock used by user applications'),
        ('US', 'Undo Segment', 'segment #', '0', 'NO', 'Lock held to perform DDL on the undo segment'),
        ('XR', 'Quiesce / Force Logging', 'operation', '0', 'NO',
         'Lock held during database quiesce'))
    select type, name, id1_tag, id2_tag, is_user, 'NO' is_recycle, description, 0 con_id
    from t;

-- Enqueue requests and waits by type since startup: the types held now, TX waits as the
-- row lock contention event counts them.
create view "v$enqueue_stat" as
    with held(type, n) as (select type, count(*) from "v$lock" group by type),
    tx(waits, cs) as (
        select coalesce(sum(total_waits), 0), coalesce(sum(time_waited), 0)
        from "v$system_event" where event like 'enq: TX%')
    select 1 inst_id, t.type eq_type,
           coalesce(h.n, 0) * 1000 + 40 * (unicode(t.type) - 60)
               + case when t.type = 'TX' then tx.waits else 0 end "total_req#",
           case when t.type = 'TX' then tx.waits else (unicode(t.type) % 7) end "total_wait#",
           coalesce(h.n, 0) * 1000 + 40 * (unicode(t.type) - 60)
               + case when t.type = 'TX' then tx.waits else 0 end "succ_req#",
           0 "failed_req#",
           case when t.type = 'TX' then tx.cs * 10 else (unicode(t.type) % 7) * 3 end
               cum_wait_time,
           0 con_id
    from "v$lock_type" t left join held h on h.type = t.type, tx;

create view "v$enqueue_statistics" as
    select t.name eq_name, e.eq_type, t.description req_reason, e."total_req#",
           e."total_wait#", e."succ_req#", e."failed_req#", e.cum_wait_time,
           t.description req_description, 0 "event#", 0 con_id
    from "v$enqueue_stat" e join "v$lock_type" t on t.type = e.eq_type;

-- How every session connected: the network services of a session that came over the network,
-- one row for a session of the instance itself.
create view "v$session_connect_info" as
    with banner(n, text) as (values
        (1, 'TCP/IP NT Protocol Adapter for Linux: Version 19.0.0.0.0 - Production'),
        (2, 'Encryption service for Linux: Version 19.0.0.0.0 - Production'),
        (3, 'Crypto-checksumming service for Linux: Version 19.0.0.0.0 - Production'))
    select s.sid, s."serial#",
           case when s.type = 'BACKGROUND' then 'OS' else 'DATABASE' end authentication_type,
           s.osuser, case when s.type <> 'BACKGROUND' then b.text end network_service_banner,
           case when s.type = 'BACKGROUND' then null else 'AL32UTF8' end client_charset,
           case when s.type = 'BACKGROUND' then null else 'Homogeneous' end client_connection,
           case when s.type = 'BACKGROUND' then null
                when s.program like 'JDBC%' then null else 'Full Instant Client' end
               client_oci_library,
           case when s.type = 'BACKGROUND' then null else '19.0.0.0.0' end client_version,
           case when s.type = 'BACKGROUND' then null
                when s.program like 'sqlplus%' then 'SQL*PLUS'
                when s.program like 'JDBC%' then 'jdbcthin : 19.3.0.0.0'
                else null end client_driver,
           case when s.type = 'BACKGROUND' then null else 'Unknown' end client_lobattr,
           0 client_regid, 0 con_id
    from "v$session" s join banner b on s.type <> 'BACKGROUND' or b.n = 1;

-- The services of the instance: the database's own, its XML DB service and the internal two.
create view "v$services" as
    with svc(service_id, name, network_name, goal, n) as (values
        (1, 'SYS$BACKGROUND', null, 'NONE', 1), (2, 'SYS$USERS', null, 'NONE', 2),
        (5, 'PRODXDB', 'PRODXDB', 'NONE', 3), (6, 'PROD', 'PROD', 'NONE', 4))
    select v.service_id, v.name, v.name_hash, v.network_name, d.created creation_date,
           v.name_hash % 2147483647 creation_date_hash, v.goal, 'N' dtp, 'NO' aq_ha_notification,
           'LONG' clb_goal, 'NO' commit_outcome, 86400 retention_timeout,
           300 replay_initiation_timeout, null session_state_consistency, 'NO' global,
           'PROD' pdb, null sql_translation_profile, null max_lag_time, 'NONE' stop_option,
           'NONE' failover_restore, 0 drain_timeout, 0 con_id
    from (select svc.*, case name when 'SYS$BACKGROUND' then 165959219
                                  when 'SYS$USERS' then 3427055676
                                  when 'PRODXDB' then 2983012488 else 1852446163 end name_hash
          from svc) v, "v$database" d
    order by v.n;

create view "v$active_services" as
    select service_id, name, name_hash, network_name, creation_date, creation_date_hash, goal,
           dtp, 'NO' blocked, aq_ha_notification, clb_goal, commit_outcome, drain_timeout,
           retention_timeout, replay_initiation_timeout, session_state_consistency, global,
           pdb, sql_translation_profile, max_lag_time, stop_option, failover_restore,
           0 table_family_id, 1 con_id_, 'PROD' con_name, con_id
    from "v$services";

create view "v$latchname" as
    select "latch#", name, name display_name, hash, 'LATCH' type, 0 con_id from "v$latch";

-- The work areas of the statements running now that sort or group, as their plan's line 1
-- does it; the ones that spilled are the sort segments of v$tempseg_usage.
create view "v$sql_workarea_active" as
    select s.sql_hash_value, s.sql_id, s.sql_exec_start, s.sql_exec_id,
           printf('%016X', 70000000000 + s.sid * 65536) workarea_address,
           case when a.sql_text like '%GROUP BY%' and a.sql_text not like '%ORDER BY%'
                then 'GROUP BY (HASH)'
                when a.sql_text like '%GROUP BY%' then 'GROUP BY (SORT)'
                else 'SORT (v2)' end operation_type,
           1 operation_id, 'AUTO' policy, s.sid, null qcinst_id, null qcsid,
           (s.last_call_et + 1) * 1000000 active_time,
           1048576 + (s.sid % 16) * 65536 work_area_size,
           1048576 + (s.sid % 16) * 65536 expected_size,
           524288 + (s.sid % 16) * 32768 actual_mem_used,
           786432 + (s.sid % 16) * 49152 max_mem_used,
           case when t.blocks is null then 0 else 1 end number_passes,
           t.blocks * 8192 tempseg_size, t.tablespace, t."segrfno#", t."segblk#", 0 con_id
    from "v$session" s join "v$sqlarea" a on a.address = s.sql_address
    left join "v$tempseg_usage" t on t.session_addr = s.saddr
    where s.status = 'ACTIVE' and s.type = 'USER'
        and (a.sql_text like '%ORDER BY%' or a.sql_text like '%GROUP BY%');

-- Hundredths of a second since the epoch, wrapped at 2^32 as the counter does.
create view "v$timer" as
    select cast(strftime('%s', value) as integer) * 100 % 4294967296 hsecs, 0 con_id
    from sbx_meta where key = 'clock';

create view "v$option" as
    with o(parameter, value) as (values
        ('Partitioning', 'TRUE'), ('Objects', 'TRUE'), ('Real Application Clusters', 'FALSE'),
        ('Advanced replication', 'TRUE'), ('Bit-mapped indexes', 'TRUE'),
        ('Connection multiplexing', 'TRUE'), ('Connection pooling', 'TRUE'),
        ('Database queuing', 'TRUE'), ('Incremental backup and recovery', 'TRUE'),
        ('Instead-of triggers', 'TRUE'), ('Parallel backup and recovery', 'TRUE'),
        ('Parallel execution', 'TRUE'), ('Parallel load', 'TRUE'),
        ('Point-in-time tablespace recovery', 'TRUE'), ('Fine-grained access control', 'TRUE'),
        ('Proxy authentication/authorization', 'TRUE'), ('Change Data Capture', 'TRUE'),
        ('Plan Stability', 'TRUE'), ('Online Index Build', 'TRUE'),
        ('Coalesce Index', 'TRUE'), ('Managed Standby', 'TRUE'),
        ('Materialized view rewrite', 'TRUE'), ('Database resource manager', 'TRUE'),
        ('Spatial', 'TRUE'), ('Automatic Storage Management', 'FALSE'),
        ('Export transportable tablespaces', 'TRUE'), ('Transparent Application Failover', 'TRUE'),
        ('Fast-Start Fault Recovery', 'TRUE'), ('Sample Scan', 'TRUE'),
        ('Duplexed backups', 'TRUE'), ('Java', 'TRUE'), ('OLAP Window Functions', 'TRUE'),
        ('Block Media Recovery', 'TRUE'), ('Fine-grained Auditing', 'TRUE'),
        ('Application Role', 'TRUE'), ('Enterprise User Security', 'TRUE'),
        ('Oracle Data Guard', 'TRUE'), ('Oracle Label Security', 'FALSE'), ('OLAP', 'FALSE'),
        ('Basic Compression', 'TRUE'), ('Join index', 'TRUE'),
        ('Trial Recovery', 'TRUE'), ('Advanced Analytics', 'FALSE'),
        ('XStream', 'TRUE'), ('Flashback Table', 'TRUE'), ('Flashback Database', 'TRUE'),
        ('Transparent Data Encryption', 'TRUE'), ('Backup Encryption', 'TRUE'),
        ('Unused Block Compression', 'TRUE'), ('Oracle Database Vault', 'FALSE'),
        ('Result Cache', 'TRUE'), ('SQL Plan Management', 'TRUE'),
        ('SecureFiles Encryption', 'TRUE'), ('Real Application Testing', 'TRUE'),
        ('Flashback Data Archive', 'TRUE'), ('DICOM', 'TRUE'),
        ('Active Data Guard', 'TRUE'), ('Server Flash Cache', 'TRUE'),
        ('Advanced Compression', 'TRUE'), ('XMLIndex', 'TRUE'),
        ('Zone Maps', 'FALSE'), ('Management Database', 'FALSE'),
        ('I/O Server', 'FALSE'), ('ASM Proxy Instance', 'FALSE'),
        ('Exadata Discovery', 'FALSE'), ('Data Mining', 'FALSE'),
        ('Global Data Services', 'FALSE'), ('Adaptive Execution Plans', 'TRUE'),
        ('Table Clustering', 'TRUE'), ('In-Memory Column Store', 'TRUE'),
        ('Advanced Index Compression', 'TRUE'), ('In-Memory Aggregation', 'TRUE'))
    select parameter, value, 0 con_id from o;

-- The server parameter file: the parameters set in it for every instance ('*').
create view "v$spparameter" as
    select 'oracle' family, '*' sid, name,
           case type when 1 then 'boolean' when 2 then 'string' when 3 then 'integer'
                     when 4 then 'file' when 6 then 'big integer' else 'string' end type,
           case when isdefault = 'FALSE' then value end value,
           case when isdefault = 'FALSE' then value end display_value,
           case when isdefault = 'FALSE' then 'TRUE' else 'FALSE' end isspecified,
           case when isdefault = 'FALSE' then 1 else 0 end ordinal,
           update_comment, 0 con_id
    from "v$system_parameter" where name <> 'spfile';

-- The automatic diagnostic repository of the instance, with the asking session's trace file.
create view "v$diag_info" as
    with home(base, adr) as (
        select coalesce((select value from "v$system_parameter" where name = 'diagnostic_dest'),
                        '/u01/app/oracle'),
               coalesce((select value from "v$system_parameter" where name = 'diagnostic_dest'),
                        '/u01/app/oracle') || '/diag/rdbms/prod/PROD')
    select 1 inst_id, 'Diag Enabled' name, 'TRUE' value, 0 con_id
    union all select 1, 'ADR Base', base, 0 from home
    union all select 1, 'ADR Home', adr, 0 from home
    union all select 1, 'Diag Trace', adr || '/trace', 0 from home
    union all select 1, 'Diag Alert', adr || '/alert', 0 from home
    union all select 1, 'Diag Incident', adr || '/incident', 0 from home
    union all select 1, 'Diag Cdump', adr || '/cdump', 0 from home
    union all select 1, 'Health Monitor', adr || '/hm', 0 from home
    union all select 1, 'Default Trace File',
        coalesce((select p.tracefile from "v$process" p join "v$session" s on s.paddr = p.addr
                  where s.sid = cast(sys_context('USERENV', 'SID') as integer)),
                 adr || '/trace/PROD_ora_0.trc'), 0 from home
    union all select 1, 'Active Problem Count', '0', 0
    union all select 1, 'Active Incident Count', '0', 0
    union all select 1, 'ORACLE_HOME', '/u01/app/oracle/product/19.0.0/dbhome_1', 0;

-- The fast recovery area: the last eighty archived logs of v$archived_log are its files, the
-- older ones having made room for them; those backed up (all but the last two days') can go.
create view "v$recovery_file_dest" as
    with kept("sequence#", bytes) as (
        select "sequence#", blocks * block_size from "v$archived_log"
        where "sequence#" > (select max("sequence#") - 80 from "v$archived_log"))
    select (select value from "v$system_parameter" where name = 'db_recovery_file_dest') name,
           cast((select value from "v$system_parameter" where name =
                 'db_recovery_file_dest_size') as integer) space_limit,
           (select sum(bytes) from kept) space_used,
           (select coalesce(sum(bytes), 0) from kept where "sequence#" <=
                (select max("sequence#") - 48 from kept)) space_reclaimable,
           (select count(*) from kept) number_of_files, 0 con_id;

-- Containers: the database is not a container database, so it has no pluggable databases and
-- is its own container, number 0.
create view "v$containers" as
    select 0 con_id, d.dbid, d.dbid con_uid, '8F0C2A4B7D6E4F1AB2C3D4E5F6A7B8C9' guid,
           d.name, d.open_mode, 'NO' restricted, i.startup_time open_time, 1 create_scn,
           (select sum(bytes) from dba_data_files) total_size, 8192 block_size,
           'ENABLED' recovery_status, null snapshot_parent_con_id, 'NO' application_root,
           'NO' application_pdb, 'NO' application_seed, null application_root_con_id,
           'NO' application_root_clone, 'NO' proxy_pdb, 'NO' local_undo, 0 undo_scn,
           null undo_timestamp, d.created creation_time, 0 diagnostics_size, 0 pdb_count,
           0 audit_files_size, 0 max_size, 0 max_diagnostics_size, 0 max_audit_size,
           'NO' member_cdb, null tenant_id, 1 upgrade_level, null guid_base64
    from "v$database" d, "v$instance" i;

create view "v$pdbs" as
    select con_id, dbid, con_uid, guid, name, open_mode, restricted, open_time, create_scn,
           total_size, block_size, recovery_status, snapshot_parent_con_id, application_root,
           application_pdb, application_seed, application_root_con_id, application_root_clone,
           proxy_pdb, local_undo, undo_scn, undo_timestamp, creation_time, diagnostics_size,
           pdb_count, audit_files_size, max_size, max_diagnostics_size, max_audit_size,
           member_cdb, tenant_id, upgrade_level, guid_base64
    from "v$containers" where con_id > 2;

-- The columns of the applications' tables and of their indexes. The sandbox's own helpers,
-- not Oracle views.
create view sbx_columns as
    with c(owner, table_name, column_id, column_name, data_type, data_length, data_precision,
           data_scale, nullable) as (values
        ('SYSTEM', 'SQLPLUS_PRODUCT_PROFILE', 1, 'PRODUCT', 'VARCHAR2', 30, null, null, 'N'),
        ('SYSTEM', 'SQLPLUS_PRODUCT_PROFILE', 2, 'USERID', 'VARCHAR2', 128, null, null, 'Y'),
        ('SYSTEM', 'SQLPLUS_PRODUCT_PROFILE', 3, 'ATTRIBUTE', 'VARCHAR2', 240, null, null, 'Y'),
        ('SYSTEM', 'SQLPLUS_PRODUCT_PROFILE', 4, 'SCOPE', 'VARCHAR2', 240, null, null, 'Y'),
        ('SYSTEM', 'SQLPLUS_PRODUCT_PROFILE', 5, 'NUMERIC_VALUE', 'NUMBER', 22, 15, 2, 'Y'),
        ('SYSTEM', 'SQLPLUS_PRODUCT_PROFILE', 6, 'CHAR_VALUE', 'VARCHAR2', 240, null, null, 'Y'),
        ('SYSTEM', 'SQLPLUS_PRODUCT_PROFILE', 7, 'DATE_VALUE', 'DATE', 7, null, null, 'Y'),
        ('SYSTEM', 'SQLPLUS_PRODUCT_PROFILE', 8, 'LONG_VALUE', 'LONG', 0, null, null, 'Y'),
        ('SCOTT', 'DEPT', 1, 'DEPTNO', 'NUMBER', 22, 2, 0, 'N'),
        ('SCOTT', 'DEPT', 2, 'DNAME', 'VARCHAR2', 14, null, null, 'Y'),
        ('SCOTT', 'DEPT', 3, 'LOC', 'VARCHAR2', 13, null, null, 'Y'),
        ('SCOTT', 'EMP', 1, 'EMPNO', 'NUMBER', 22, 4, 0, 'N'),
        ('SCOTT', 'EMP', 2, 'ENAME', 'VARCHAR2', 10, null, null, 'Y'),
        ('SCOTT', 'EMP', 3, 'JOB', 'VARCHAR2', 9, null, null, 'Y'),
        ('SCOTT', 'EMP', 4, 'MGR', 'NUMBER', 22, 4, 0, 'Y'),
        ('SCOTT', 'EMP', 5, 'HIREDATE', 'DATE', 7, null, null, 'Y'),
        ('SCOTT', 'EMP', 6, 'SAL', 'NUMBER', 22, 7, 2, 'Y'),
        ('SCOTT', 'EMP', 7, 'COMM', 'NUMBER', 22, 7, 2, 'Y'),
        ('SCOTT', 'EMP', 8, 'DEPTNO', 'NUMBER', 22, 2, 0, 'Y'),
        ('SCOTT', 'BONUS', 1, 'ENAME', 'VARCHAR2', 10, null, null, 'Y'),
        ('SCOTT', 'BONUS', 2, 'JOB', 'VARCHAR2', 9, null, null, 'Y'),
        ('SCOTT', 'BONUS', 3, 'SAL', 'NUMBER', 22, null, null, 'Y'),
        ('SCOTT', 'BONUS', 4, 'COMM', 'NUMBER', 22, null, null, 'Y'),
        ('SCOTT', 'SALGRADE', 1, 'GRADE', 'NUMBER', 22, null, null, 'Y'),
        ('SCOTT', 'SALGRADE', 2, 'LOSAL', 'NUMBER', 22, null, null, 'Y'),
        ('SCOTT', 'SALGRADE', 3, 'HISAL', 'NUMBER', 22, null, null, 'Y'),
        ('HR', 'REGIONS', 1, 'REGION_ID', 'NUMBER', 22, null, null, 'N'),
        ('HR', 'REGIONS', 2, 'REGION_NAME', 'VARCHAR2', 25, null, null, 'Y'),
        ('HR', 'COUNTRIES', 1, 'COUNTRY_ID', 'CHAR', 2, null, null, 'N'),
        ('HR', 'COUNTRIES', 2, 'COUNTRY_NAME', 'VARCHAR2', 40, null, null, 'Y'),
        ('HR', 'COUNTRIES', 3, 'REGION_ID', 'NUMBER', 22, null, null, 'Y'),
        ('HR', 'LOCATIONS', 1, 'LOCATION_ID', 'NUMBER', 22, 4, 0, 'N'),
        ('HR', 'LOCATIONS', 2, 'STREET_ADDRESS', 'VARCHAR2', 40, null, null, 'Y'),
        ('HR', 'LOCATIONS', 3, 'POSTAL_CODE', 'VARCHAR2', 12, null, null, 'Y'),
        ('HR', 'LOCATIONS', 4, 'CITY', 'VARCHAR2', 30, null, null, 'N'),
        ('HR', 'LOCATIONS', 5, 'STATE_PROVINCE', 'VARCHAR2', 25, null, null, 'Y'),
        ('HR', 'LOCATIONS', 6, 'COUNTRY_ID', 'CHAR', 2, null, null, 'Y'),
        ('HR', 'DEPARTMENTS', 1, 'DEPARTMENT_ID', 'NUMBER', 22, 4, 0, 'N'),
        ('HR', 'DEPARTMENTS', 2, 'DEPARTMENT_NAME', 'VARCHAR2', 30, null, null, 'N'),
        ('HR', 'DEPARTMENTS', 3, 'MANAGER_ID', 'NUMBER', 22, 6, 0, 'Y'),
        ('HR', 'DEPARTMENTS', 4, 'LOCATION_ID', 'NUMBER', 22, 4, 0, 'Y'),
        ('HR', 'JOBS', 1, 'JOB_ID', 'VARCHAR2', 10, null, null, 'N'),
        ('HR', 'JOBS', 2, 'JOB_TITLE', 'VARCHAR2', 35, null, null, 'N'),
        ('HR', 'JOBS', 3, 'MIN_SALARY', 'NUMBER', 22, 6, 0, 'Y'),
        ('HR', 'JOBS', 4, 'MAX_SALARY', 'NUMBER', 22, 6, 0, 'Y'),
        ('HR', 'EMPLOYEES', 1, 'EMPLOYEE_ID', 'NUMBER', 22, 6, 0, 'N'),
        ('HR', 'EMPLOYEES', 2, 'FIRST_NAME', 'VARCHAR2', 20, null, null, 'Y'),
        ('HR', 'EMPLOYEES', 3, 'LAST_NAME', 'VARCHAR2', 25, null, null, 'N'),
        ('HR', 'EMPLOYEES', 4, 'EMAIL', 'VARCHAR2', 25, null, null, 'N'),
        ('HR', 'EMPLOYEES', 5, 'PHONE_NUMBER', 'VARCHAR2', 20, null, null, 'Y'),
        ('HR', 'EMPLOYEES', 6, 'HIRE_DATE', 'DATE', 7, null, null, 'N'),
        ('HR', 'EMPLOYEES', 7, 'JOB_ID', 'VARCHAR2', 10, null, null, 'N'),
        ('HR', 'EMPLOYEES', 8, 'SALARY', 'NUMBER', 22, 8, 2, 'Y'),
        ('HR', 'EMPLOYEES', 9, 'COMMISSION_PCT', 'NUMBER', 22, 2, 2, 'Y'),
        ('HR', 'EMPLOYEES', 10, 'MANAGER_ID', 'NUMBER', 22, 6, 0, 'Y'),
        ('HR', 'EMPLOYEES', 11, 'DEPARTMENT_ID', 'NUMBER', 22, 4, 0, 'Y'),
        ('HR', 'JOB_HISTORY', 1, 'EMPLOYEE_ID', 'NUMBER', 22, 6, 0, 'N'),
        ('HR', 'JOB_HISTORY', 2, 'START_DATE', 'DATE', 7, null, null, 'N'),
        ('HR', 'JOB_HISTORY', 3, 'END_DATE', 'DATE', 7, null, null, 'N'),
        ('HR', 'JOB_HISTORY', 4, 'JOB_ID', 'VARCHAR2', 10, null, null, 'N'),
        ('HR', 'JOB_HISTORY', 5, 'DEPARTMENT_ID', 'NUMBER', 22, 4, 0, 'Y'),
        ('OE', 'WAREHOUSES', 1, 'WAREHOUSE_ID', 'NUMBER', 22, 3, 0, 'N'),
        ('OE', 'WAREHOUSES', 2, 'WAREHOUSE_NAME', 'VARCHAR2', 35, null, null, 'Y'),
        ('OE', 'WAREHOUSES', 3, 'LOCATION_ID', 'NUMBER', 22, 4, 0, 'Y'),
        ('OE', 'INVENTORIES', 1, 'PRODUCT_ID', 'NUMBER', 22, 6, 0, 'N'),
        ('OE', 'INVENTORIES', 2, 'WAREHOUSE_ID', 'NUMBER', 22, 3, 0, 'N'),
        ('OE', 'INVENTORIES', 3, 'QUANTITY_ON_HAND', 'NUMBER', 22, 8, 0, 'N'),
        ('APPUSER', 'CUSTOMERS', 1, 'CUSTOMER_ID', 'NUMBER', 22, 10, 0, 'N'),
        ('APPUSER', 'CUSTOMERS', 2, 'NAME', 'VARCHAR2', 100, null, null, 'N'),
        ('APPUSER', 'CUSTOMERS', 3, 'CITY', 'VARCHAR2', 60, null, null, 'Y'),
        ('APPUSER', 'CUSTOMERS', 4, 'REGION', 'VARCHAR2', 30, null, null, 'Y'),
        ('APPUSER', 'CUSTOMERS', 5, 'CREDIT_LIMIT', 'NUMBER', 22, 12, 2, 'Y'),
        ('APPUSER', 'PRODUCTS', 1, 'PRODUCT_ID', 'NUMBER', 22, 10, 0, 'N'),
        ('APPUSER', 'PRODUCTS', 2, 'DESCRIPTION', 'VARCHAR2', 200, null, null, 'Y'),
        ('APPUSER', 'PRODUCTS', 3, 'LIST_PRICE', 'NUMBER', 22, 10, 2, 'Y'),
        ('APPUSER', 'ORDERS', 1, 'ORDER_ID', 'NUMBER', 22, 12, 0, 'N'),
        ('APPUSER', 'ORDERS', 2, 'CUSTOMER_ID', 'NUMBER', 22, 10, 0, 'N'),
        ('APPUSER', 'ORDERS', 3, 'ORDER_DATE', 'DATE', 7, null, null, 'N'),
        ('APPUSER', 'ORDERS', 4, 'STATUS', 'VARCHAR2', 10, null, null, 'N'),
        ('APPUSER', 'ORDERS', 5, 'TOTAL_AMOUNT', 'NUMBER', 22, 14, 2, 'Y'),
        ('APPUSER', 'ORDERS', 6, 'CREATED_BY', 'VARCHAR2', 30, null, null, 'Y'),
        ('APPUSER', 'ORDERS', 7, 'CHANGED_AT', 'DATE', 7, null, null, 'Y'),
        ('APPUSER', 'ORDER_LINES', 1, 'ORDER_ID', 'NUMBER', 22, 12, 0, 'N'),
        ('APPUSER', 'ORDER_LINES', 2, 'LINE_NO', 'NUMBER', 22, 4, 0, 'N'),
        ('APPUSER', 'ORDER_LINES', 3, 'PRODUCT_ID', 'NUMBER', 22, 10, 0, 'N'),
        ('APPUSER', 'ORDER_LINES', 4, 'QUANTITY', 'NUMBER', 22, 8, 0, 'Y'),
        ('APPUSER', 'ORDER_LINES', 5, 'UNIT_PRICE', 'NUMBER', 22, 10, 2, 'Y'),
        ('APPUSER', 'STOCK', 1, 'PRODUCT_ID', 'NUMBER', 22, 10, 0, 'N'),
        ('APPUSER', 'STOCK', 2, 'WAREHOUSE_ID', 'NUMBER', 22, 4, 0, 'N'),
        ('APPUSER', 'STOCK', 3, 'QUANTITY_ON_HAND', 'NUMBER', 22, 10, 0, 'Y'),
        ('APPUSER', 'INVOICES', 1, 'INVOICE_ID', 'NUMBER', 22, 12, 0, 'N'),
        ('APPUSER', 'INVOICES', 2, 'CUSTOMER_ID', 'NUMBER', 22, 10, 0, 'N'),
        ('APPUSER', 'INVOICES', 3, 'INVOICE_DATE', 'DATE', 7, null, null, 'N'),
        ('APPUSER', 'INVOICES', 4, 'AMOUNT', 'NUMBER', 22, 14, 2, 'Y'),
        ('APPUSER', 'PAYMENTS', 1, 'PAYMENT_ID', 'NUMBER', 22, 12, 0, 'N'),
        ('APPUSER', 'PAYMENTS', 2, 'INVOICE_ID', 'NUMBER', 22, 12, 0, 'N'),
        ('APPUSER', 'PAYMENTS', 3, 'AMOUNT', 'NUMBER', 22, 14, 2, 'Y'),
        ('APPUSER', 'PAYMENTS', 4, 'PAID_AT', 'DATE', 7, null, null, 'Y'),
        ('APPUSER', 'AUDIT_LOG', 1, 'LOG_TIME', 'DATE', 7, null, null, 'N'),
        ('APPUSER', 'AUDIT_LOG', 2, 'USERNAME', 'VARCHAR2', 30, null, null, 'Y'),
        ('APPUSER', 'AUDIT_LOG', 3, 'TABLE_NAME', 'VARCHAR2', 30, null, null, 'Y'),
        ('APPUSER', 'AUDIT_LOG', 4, 'ACTION', 'VARCHAR2', 10, null, null, 'Y'),
        ('APPUSER', 'AUDIT_LOG', 5, 'KEY_VALUE', 'VARCHAR2', 100, null, null, 'Y'),
        ('BATCH', 'LOAD_STAGING', 1, 'BATCH_ID', 'NUMBER', 22, null, null, 'N'),
        ('BATCH', 'LOAD_STAGING', 2, 'RECORD_NO', 'NUMBER', 22, null, null, 'N'),
        ('BATCH', 'LOAD_STAGING', 3, 'PAYLOAD', 'VARCHAR2', 4000, null, null, 'Y'),
        ('BATCH', 'LOAD_STAGING', 4, 'LOADED_AT', 'DATE', 7, null, null, 'Y'),
        ('BATCH', 'LOAD_ERRORS', 1, 'BATCH_ID', 'NUMBER', 22, null, null, 'N'),
        ('BATCH', 'LOAD_ERRORS', 2, 'RECORD_NO', 'NUMBER', 22, null, null, 'N'),
        ('BATCH', 'LOAD_ERRORS', 3, 'ERROR_TEXT', 'VARCHAR2', 4000, null, null, 'Y'),
        ('BATCH', 'LOAD_ERRORS', 4, 'LOGGED_AT', 'DATE', 7, null, null, 'Y'),
        ('REPORTER', 'REPORT_CACHE', 1, 'REPORT_ID', 'NUMBER', 22, null, null, 'N'),
        ('REPORTER', 'REPORT_CACHE', 2, 'REPORT_NAME', 'VARCHAR2', 100, null, null, 'N'),
        ('REPORTER', 'REPORT_CACHE', 3, 'PARAMETERS', 'VARCHAR2', 4000, null, null, 'Y'),
        ('REPORTER', 'REPORT_CACHE', 4, 'CREATED_AT', 'DATE', 7, null, null, 'Y'))
    select * from c;

create view sbx_index_columns as
    with c(index_owner, index_name, table_name, column_name, column_position) as (values
        ('SCOTT', 'PK_DEPT', 'DEPT', 'DEPTNO', 1), ('SCOTT', 'PK_EMP', 'EMP', 'EMPNO', 1),
        ('HR', 'REG_ID_PK', 'REGIONS', 'REGION_ID', 1),
        ('HR', 'COUNTRY_C_ID_PK', 'COUNTRIES', 'COUNTRY_ID', 1),
        ('HR', 'LOC_ID_PK', 'LOCATIONS', 'LOCATION_ID', 1),
        ('HR', 'DEPT_ID_PK', 'DEPARTMENTS', 'DEPARTMENT_ID', 1),
        ('HR', 'JOB_ID_PK', 'JOBS', 'JOB_ID', 1),
        ('HR', 'EMP_EMAIL_UK', 'EMPLOYEES', 'EMAIL', 1),
        ('HR', 'EMP_EMP_ID_PK', 'EMPLOYEES', 'EMPLOYEE_ID', 1),
        ('HR', 'EMP_DEPARTMENT_IX', 'EMPLOYEES', 'DEPARTMENT_ID', 1),
        ('HR', 'EMP_NAME_IX', 'EMPLOYEES', 'LAST_NAME', 1),
        ('HR', 'EMP_NAME_IX', 'EMPLOYEES', 'FIRST_NAME', 2),
        ('HR', 'JHIST_EMP_ID_ST_DATE_PK', 'JOB_HISTORY', 'EMPLOYEE_ID', 1),
        ('HR', 'JHIST_EMP_ID_ST_DATE_PK', 'JOB_HISTORY', 'START_DATE', 2),
        ('OE', 'WAREHOUSES_PK', 'WAREHOUSES', 'WAREHOUSE_ID', 1),
        ('OE', 'INVENTORY_PK', 'INVENTORIES', 'PRODUCT_ID', 1),
        ('OE', 'INVENTORY_PK', 'INVENTORIES', 'WAREHOUSE_ID', 2),
        ('APPUSER', 'CUSTOMERS_PK', 'CUSTOMERS', 'CUSTOMER_ID', 1),
        ('APPUSER', 'CUSTOMERS_NAME_IX', 'CUSTOMERS', 'NAME', 1),
        ('APPUSER', 'PRODUCTS_PK', 'PRODUCTS', 'PRODUCT_ID', 1),
        ('APPUSER', 'ORDERS_PK', 'ORDERS', 'ORDER_ID', 1),
        ('APPUSER', 'ORDERS_CUSTOMER_IX', 'ORDERS', 'CUSTOMER_ID', 1),
        ('APPUSER', 'ORDERS_STATUS_IX', 'ORDERS', 'STATUS', 1),
        ('APPUSER', 'ORDER_LINES_PK', 'ORDER_LINES', 'ORDER_ID', 1),
        ('APPUSER', 'ORDER_LINES_PK', 'ORDER_LINES', 'LINE_NO', 2),
        ('APPUSER', 'STOCK_PK', 'STOCK', 'PRODUCT_ID', 1),
        ('APPUSER', 'STOCK_PK', 'STOCK', 'WAREHOUSE_ID', 2),
        ('APPUSER', 'INVOICES_PK', 'INVOICES', 'INVOICE_ID', 1),
        ('APPUSER', 'PAYMENTS_PK', 'PAYMENTS', 'PAYMENT_ID', 1),
        ('APPUSER', 'AUDIT_LOG_TIME_IX', 'AUDIT_LOG', 'LOG_TIME', 1),
        ('REPORTER', 'REPORT_CACHE_PK', 'REPORT_CACHE', 'REPORT_ID', 1))
    select * from c;

create view dba_tab_columns as
    select c.owner, c.table_name, c.column_name, c.data_type, null data_type_mod,
           null data_type_owner, c.data_length, c.data_precision, c.data_scale, c.nullable,
           c.column_id, null default_length, null data_default,
           case when c.nullable = 'N' then t.num_rows else t.num_rows / (2 + c.column_id) end
               num_distinct,
           null low_value, null high_value,
           case when t.num_rows > 0 then 1.0 / t.num_rows end density,
           case when c.nullable = 'N' then 0 else t.num_rows / (5 + c.column_id) end num_nulls,
           1 num_buckets, t.last_analyzed, t.num_rows sample_size,
           case when c.data_type in ('VARCHAR2', 'CHAR') then 'CHAR_CS' end character_set_name,
           case when c.data_type in ('VARCHAR2', 'CHAR') then c.data_length end
               char_col_decl_length,
           'YES' global_stats, 'NO' user_stats,
           case c.data_type when 'DATE' then 8 when 'NUMBER' then 5
                            else min(c.data_length, 12 + c.column_id) end avg_col_len,
           case when c.data_type in ('VARCHAR2', 'CHAR') then c.data_length else 0 end
               char_length,
           case when c.data_type in ('VARCHAR2', 'CHAR') then 'B' end char_used,
           'NO' v80_fmt_image, 'NO' data_upgraded, 'NONE' histogram, 'NO' default_on_null,
           'NO' identity_column, null evaluation_edition, null unusable_before,
           null unusable_beginning,
           case when c.data_type in ('VARCHAR2', 'CHAR') then 'USING_NLS_COMP' end collation
    from sbx_columns c
    left join dba_tables t on t.owner = c.owner and t.table_name = c.table_name;

create view dba_tab_cols as
    select t.*, 'NO' hidden_column, 'NO' virtual_column, t.column_id segment_column_id,
           t.column_id internal_column_id, 'NO' user_generated, t.column_name qualified_col_name
    from dba_tab_columns t;

create view dba_ind_columns as
    select i.index_owner, i.index_name, i.index_owner table_owner, i.table_name, i.column_name,
           i.column_position, c.data_length column_length,
           case when c.data_type in ('VARCHAR2', 'CHAR') then c.data_length else 0 end
               char_length,
           'ASC' descend, null collated_column_id
    from sbx_index_columns i
    join sbx_columns c on c.owner = i.index_owner and c.table_name = i.table_name
        and c.column_name = i.column_name;

-- Views with their text: the applications' own, and the dictionary's as a query of its base
-- tables.
create view dba_views as
    with t(owner, view_name, text) as (values
        ('HR', 'EMP_DETAILS_VIEW',
         'SELECT e.employee_id, e.job_id, e.manager_id, e.department_id, d.location_id, ' ||
         'l.country_id, e.first_name, e.last_name, e.salary, e.commission_pct, ' ||
         'd.department_name, j.job_title, l.city, l.state_province, c.country_name, ' ||
         'r.region_name FROM employees e, departments d, jobs j, locations l, countries c, ' ||
         'regions r WHERE e.department_id = d.department_id AND d.location_id = l.location_id ' ||
         'AND l.country_id = c.country_id AND c.region_id = r.region_id AND j.job_id = e.job_id ' ||
         'WITH READ ONLY'),
        ('APPUSER', 'OPEN_ORDERS_V',
         'SELECT ORDER_ID, CUSTOMER_ID, ORDER_DATE, STATUS, TOTAL_AMOUNT FROM ORDERS WHERE ' ||
         'STATUS <> ''CLOSED'''),
        ('SYSTEM', 'PRODUCT_PRIVS',
         'SELECT PRODUCT, USERID, ATTRIBUTE, SCOPE, NUMERIC_VALUE, CHAR_VALUE, DATE_VALUE, ' ||
         'LONG_VALUE FROM SQLPLUS_PRODUCT_PROFILE WHERE USERID = ''PUBLIC'' OR USER LIKE USERID')),
    v(owner, view_name, text) as (
        select o.owner, o.object_name,
               coalesce(t.text, 'select * from ' ||
                        case when o.object_name like 'V\_$%' escape '\'
                             then 'v$' || lower(substr(o.object_name, 4))
                             else 'sys.' || lower(substr(o.object_name, 5)) || '$' end)
        from dba_objects o left join t on t.owner = o.owner and t.view_name = o.object_name
        where o.object_type = 'VIEW')
    select owner, view_name, length(text) text_length, text, text text_vc,
           null type_text_length, null type_text, null oid_text_length, null oid_text,
           null view_type_owner, null view_type, null superview_name, 'N' editioning_view,
           case when text like '%WITH READ ONLY' then 'Y' else 'N' end read_only,
           'N' container_data, 'DEFINER' bequeath, 0 origin_con_id,
           'USING_NLS_COMP' default_collation, 'NO' containers_default, 'NO' container_map,
           'NO' extended_data_link, 'NO' extended_data_link_map, 'NO' has_sensitive_column,
           'NO' admit_null, 'NO' pdb_local_only
    from v;

-- Roles, and the roles and system privileges granted to users and roles.
create view sbx_oracle_roles as
    with r(role, role_id) as (values
        ('CONNECT', 2), ('RESOURCE', 3), ('DBA', 4), ('SELECT_CATALOG_ROLE', 5),
        ('EXECUTE_CATALOG_ROLE', 6), ('DELETE_CATALOG_ROLE', 7), ('EXP_FULL_DATABASE', 8),
        ('IMP_FULL_DATABASE', 9), ('AQ_ADMINISTRATOR_ROLE', 10), ('AQ_USER_ROLE', 11),
        ('SCHEDULER_ADMIN', 12), ('RECOVERY_CATALOG_OWNER', 13), ('AUDIT_ADMIN', 14),
        ('AUDIT_VIEWER', 15), ('GATHER_SYSTEM_STATISTICS', 16))
    select role, role_id from r;

create view dba_roles as
    select role, role_id, 'NO' password_required, 'NONE' authentication_type, 'NO' common,
           'Y' oracle_maintained, 'NO' inherited, 'NO' implicit, null external_name
    from sbx_oracle_roles
    union all
    select distinct u.role, 100 + length(u.role), 'NO', 'NONE', 'NO', 'N', 'NO', 'NO', null
    from sbx_user_roles u where u.role not in (select role from sbx_oracle_roles)
        and u.role not in (select username from dba_users);

create view dba_role_privs as
    select u.username grantee, u.role granted_role,
           case when u.username in ('SYS', 'SYSTEM') then 'YES' else 'NO' end admin_option,
           'NO' delegate_option, 'YES' default_role, 'NO' common, 'NO' inherited
    from sbx_user_roles u
    union all
    select g.grantee, g.role, 'NO', 'NO', 'YES', 'NO', 'NO'
    from (select 'DBA' grantee, 'SELECT_CATALOG_ROLE' role
          union all select 'DBA', 'EXECUTE_CATALOG_ROLE'
          union all select 'DBA', 'DELETE_CATALOG_ROLE'
          union all select 'DBA', 'EXP_FULL_DATABASE'
          union all select 'DBA', 'IMP_FULL_DATABASE'
          union all select 'DBA', 'SCHEDULER_ADMIN'
          union all select 'EXP_FULL_DATABASE', 'EXECUTE_CATALOG_ROLE'
          union all select 'EXP_FULL_DATABASE', 'SELECT_CATALOG_ROLE'
          union all select 'IMP_FULL_DATABASE', 'EXECUTE_CATALOG_ROLE'
          union all select 'IMP_FULL_DATABASE', 'SELECT_CATALOG_ROLE') g;

create view dba_sys_privs as
    with p(grantee, privilege, admin_option) as (values
        ('CONNECT', 'CREATE SESSION', 'NO'), ('CONNECT', 'SET CONTAINER', 'NO'),
        ('RESOURCE', 'CREATE TABLE', 'NO'), ('RESOURCE', 'CREATE SEQUENCE', 'NO'),
        ('RESOURCE', 'CREATE PROCEDURE', 'NO'), ('RESOURCE', 'CREATE TRIGGER', 'NO'),
        ('RESOURCE', 'CREATE TYPE', 'NO'), ('RESOURCE', 'CREATE CLUSTER', 'NO'),
        ('RESOURCE', 'CREATE INDEXTYPE', 'NO'), ('RESOURCE', 'CREATE OPERATOR', 'NO'),
        ('DBA', 'ALTER SYSTEM', 'YES'), ('DBA', 'ALTER DATABASE', 'YES'),
        ('DBA', 'CREATE SESSION', 'YES'), ('DBA', 'ALTER SESSION', 'YES'),
        ('DBA', 'CREATE USER', 'YES'), ('DBA', 'ALTER USER', 'YES'), ('DBA', 'DROP USER', 'YES'),
        ('DBA', 'CREATE TABLESPACE', 'YES'), ('DBA', 'ALTER TABLESPACE', 'YES'),
        ('DBA', 'DROP TABLESPACE', 'YES'), ('DBA', 'SELECT ANY TABLE', 'YES'),
        ('DBA', 'SELECT ANY DICTIONARY', 'YES'), ('DBA', 'GRANT ANY PRIVILEGE', 'YES'),
        ('DBA', 'GRANT ANY ROLE', 'YES'), ('DBA', 'CREATE ANY TABLE', 'YES'),
        ('DBA', 'DROP ANY TABLE', 'YES'), ('DBA', 'ANALYZE ANY', 'YES'),
        ('DBA', 'ADMINISTER DATABASE TRIGGER', 'YES'), ('DBA', 'CREATE ANY JOB', 'YES'),
        ('SCHEDULER_ADMIN', 'CREATE JOB', 'YES'), ('SCHEDULER_ADMIN', 'CREATE ANY JOB', 'YES'),
        ('SCHEDULER_ADMIN', 'MANAGE SCHEDULER', 'YES'),
        ('SELECT_CATALOG_ROLE', 'SELECT ANY DICTIONARY', 'NO'),
        ('SYS', 'UNLIMITED TABLESPACE', 'YES'), ('SYSTEM', 'UNLIMITED TABLESPACE', 'YES'),
        ('DBSNMP', 'CREATE TABLE', 'NO'), ('DBSNMP', 'SELECT ANY DICTIONARY', 'NO'),
        ('OUTLN', 'UNLIMITED TABLESPACE', 'NO'), ('OUTLN', 'EXECUTE ANY PROCEDURE', 'NO'),
        ('HR', 'CREATE SESSION', 'NO'), ('HR', 'CREATE VIEW', 'NO'),
        ('HR', 'UNLIMITED TABLESPACE', 'NO'), ('OE', 'CREATE SESSION', 'NO'),
        ('OE', 'UNLIMITED TABLESPACE', 'NO'), ('SCOTT', 'UNLIMITED TABLESPACE', 'NO'),
        ('APPUSER', 'CREATE SESSION', 'NO'), ('APPUSER', 'CREATE TABLE', 'NO'),
        ('APPUSER', 'CREATE PROCEDURE', 'NO'), ('APPUSER', 'UNLIMITED TABLESPACE', 'NO'),
        ('BATCH', 'CREATE SESSION', 'NO'), ('BATCH', 'CREATE TABLE', 'NO'),
        ('BATCH', 'CREATE JOB', 'NO'), ('BATCH', 'UNLIMITED TABLESPACE', 'NO'),
        ('REPORTER', 'CREATE SESSION', 'NO'), ('REPORTER', 'SELECT ANY TABLE', 'NO'))
    select grantee, privilege, admin_option, 'NO' common, 'NO' inherited from p;

-- Resource and password limits of the profiles the users have.
create view dba_profiles as
    with l(resource_name, resource_type, value, n) as (values
        ('COMPOSITE_LIMIT', 'KERNEL', 'UNLIMITED', 1),
        ('SESSIONS_PER_USER', 'KERNEL', 'UNLIMITED', 2),
        ('CPU_PER_SESSION', 'KERNEL', 'UNLIMITED', 3),
        ('CPU_PER_CALL', 'KERNEL', 'UNLIMITED', 4),
        ('LOGICAL_READS_PER_SESSION', 'KERNEL', 'UNLIMITED', 5),
        ('LOGICAL_READS_PER_CALL', 'KERNEL', 'UNLIMITED', 6),
        ('IDLE_TIME', 'KERNEL', 'UNLIMITED', 7), ('CONNECT_TIME', 'KERNEL', 'UNLIMITED', 8),
        ('PRIVATE_SGA', 'KERNEL', 'UNLIMITED', 9),
        ('FAILED_LOGIN_ATTEMPTS', 'PASSWORD', '10', 10),
        ('PASSWORD_LIFE_TIME', 'PASSWORD', '180', 11),
        ('PASSWORD_REUSE_TIME', 'PASSWORD', 'UNLIMITED', 12),
        ('PASSWORD_REUSE_MAX', 'PASSWORD', 'UNLIMITED', 13),
        ('PASSWORD_VERIFY_FUNCTION', 'PASSWORD', 'NULL', 14),
        ('PASSWORD_LOCK_TIME', 'PASSWORD', '1', 15),
        ('PASSWORD_GRACE_TIME', 'PASSWORD', '7', 16),
        ('INACTIVE_ACCOUNT_TIME', 'PASSWORD', 'UNLIMITED', 17))
    select p.profile, l.resource_name, l.resource_type,
           case when p.profile = 'DEFAULT' then l.value else 'DEFAULT' end "limit", 'NO' common,
           'NO' inherited, 'NO' implicit
    from (select distinct profile from dba_users) p, l
    order by p.profile, l.n;

-- The components installed in the database.
create view dba_registry as
    with c(comp_id, comp_name, schema, procedure, other_schemas, n) as (values
        ('CATALOG', 'Oracle Database Catalog Views', 'SYS', 'DBMS_REGISTRY_SYS.VALIDATE_CATALOG',
         null, 1),
        ('CATPROC', 'Oracle Database Packages and Types', 'SYS',
         'DBMS_REGISTRY_SYS.VALIDATE_CATPROC', 'SYSTEM', 2),
        ('RAC', 'Oracle Real Application Clusters', 'SYS', 'DBMS_CLUSTDB.VALIDATE', null, 3),
        ('OWM', 'Oracle Workspace Manager', 'WMSYS', 'VALIDATE_OWM', null, 4),
        ('XDB', 'Oracle XML Database', 'XDB', 'DBMS_REGXDB.VALIDATEXDB', null, 5))
    select comp_id, comp_name, '19.0.0.0.0' version, '19.3.0.0.0' version_full,
           case when comp_id = 'RAC' then 'OPTION OFF' else 'VALID' end status,
           '17-APR-19 10:14:02' modified, 'SERVER' namespace, 'SYS' control, schema, procedure,
           'NORMAL' startup, null parent_id, other_schemas
    from c order by n;

-- Jobs of the job queue and of the scheduler; their last and next runs follow the clock.
create view dba_jobs as
    with j(job, owner, what, interval, minutes, failures, broken) as (values
        (21, 'BATCH', 'LOAD_PKG.PURGE_ERRORS(30);', 'TRUNC(SYSDATE) + 1 + 2/24', 1440, 0, 'N'),
        (22, 'APPUSER', 'ORDER_PKG.CLOSE_STALE_ORDERS;', 'SYSDATE + 1/24', 60, 0, 'N'),
        (23, 'REPORTER', 'DBMS_MVIEW.REFRESH(''SALES_SUMMARY_MV'');', 'SYSDATE + 15/1440', 15,
         3, 'N'),
        (24, 'SCOTT', 'BONUS_CALC;', 'ADD_MONTHS(TRUNC(SYSDATE, ''MM''), 1)', 43200, 16,
         'Y')),
    clock(now) as (select value from sbx_meta where key = 'clock')
    select j.job, j.owner log_user, j.owner priv_user, j.owner schema_user,
           datetime(now, '-' || (j.job * 7 % j.minutes + 1) || ' minutes') last_date,
           strftime('%H:%M:%S', datetime(now, '-' || (j.job * 7 % j.minutes + 1) || ' minutes'))
               last_sec,
           null this_date, null this_sec,
           case when j.broken = 'Y' then '4000-01-01 00:00:00'
                else datetime(now, '+' || (j.minutes - j.job * 7 % j.minutes - 1) || ' minutes')
           end next_date,
           case when j.broken = 'Y' then '00:00:00'
                else strftime('%H:%M:%S', datetime(now, '+' || (j.minutes - j.job * 7 %
                              j.minutes - 1) || ' minutes')) end next_sec,
           j.job * 37 total_time, j.broken, j.interval, j.failures, j.what,
           'NLS_LANGUAGE=''AMERICAN'' NLS_TERRITORY=''AMERICA'' NLS_CURRENCY=''$''' nls_env,
           '0102000200000000' misc_env, 0 instance
    from j, clock;

create view dba_scheduler_jobs as
    with j(owner, job_name, job_type, job_action, repeat_interval, minutes, job_class, state,
           comments, system) as (values
        ('SYS', 'PURGE_LOG', 'PLSQL_BLOCK', 'dbms_scheduler.auto_purge;',
         'FREQ=DAILY;BYHOUR=3;BYMINUTE=0;BYSECOND=0', 1440, 'DEFAULT_JOB_CLASS', 'SCHEDULED',
         'purge log job', 'TRUE'),
        ('SYS', 'FILE_SIZE_UPD', 'PLSQL_BLOCK', 'prvt_ilm.file_size_upd;',
         'FREQ=HOURLY;INTERVAL=1', 60, 'SCHED$_LOG_ON_ERRORS_CLASS', 'SCHEDULED',
         'File size update job', 'TRUE'),
        ('SYS', 'CLEANUP_ONLINE_IND_BUILD', 'PLSQL_BLOCK',
         'declare myinterval number; begin myinterval := dbms_pdb.cleanup_task(1); end;',
         'FREQ=HOURLY;INTERVAL=1', 60, 'SCHED$_LOG_ON_ERRORS_CLASS', 'SCHEDULED',
         'Cleanup Online Index Build', 'TRUE'),
        ('SYS', 'BSLN_MAINTAIN_STATS_JOB', 'PLSQL_BLOCK', 'dbsnmp.bsln_internal.maintain_statistics;',
         'FREQ=WEEKLY;BYDAY=SUN;BYHOUR=0;BYMINUTE=0', 10080, 'DEFAULT_JOB_CLASS', 'SCHEDULED',
         'Oracle defined automatic moving window baseline statistics computation job', 'TRUE'),
        ('BATCH', 'NIGHTLY_LOAD', 'STORED_PROCEDURE', 'LOAD_PKG.RUN_NIGHTLY',
         'FREQ=DAILY;BYHOUR=1;BYMINUTE=30', 1440, 'DEFAULT_JOB_CLASS', 'SCHEDULED',
         'Loads the day''s files into LOAD_STAGING', 'FALSE'),
        ('REPORTER', 'REFRESH_REPORT_CACHE', 'PLSQL_BLOCK', 'BEGIN REPORT_CACHE_REFRESH; END;',
         'FREQ=MINUTELY;INTERVAL=30', 30, 'DEFAULT_JOB_CLASS', 'DISABLED',
         'Refreshes REPORT_CACHE', 'FALSE')),
    clock(now) as (select value from sbx_meta where key = 'clock')
    select j.owner, j.job_name, null job_subname, 'REGULAR' job_style, j.owner job_creator,
           null client_id, null global_uid, null program_owner, null program_name, j.job_type,
           j.job_action, 0 number_of_arguments, null schedule_owner, null schedule_name,
           'CALENDAR' schedule_type, '2019-04-17 10:14:02' start_date, j.repeat_interval,
           null event_queue_owner, null event_queue_name, null event_queue_agent,
           null event_condition, null event_rule, null file_watcher_owner,
           null file_watcher_name, null end_date, j.job_class,
           case when j.state = 'DISABLED' then 'FALSE' else 'TRUE' end enabled,
           'FALSE' auto_drop, 'TRUE' restart_on_recovery, 'FALSE' restart_on_failure, j.state,
           3 job_priority, 2000 + length(j.job_name) * 37 run_count, 40 uptime_run_count,
           null max_runs, case when j.state = 'DISABLED' then 2 else 0 end failure_count,
           0 uptime_failure_count, null max_failures, 0 retry_count,
           datetime(now, '-' || (length(j.job_name) * 7 % j.minutes + 1) || ' minutes')
               last_start_date,
           '+000000000 00:00:0' || (length(j.job_name) % 9 + 1) || '.412000' last_run_duration,
           case when j.state = 'DISABLED' then null
                else datetime(now, '+' || (j.minutes - length(j.job_name) * 7 % j.minutes - 1) ||
                              ' minutes') end next_run_date,
           null schedule_limit, null max_run_duration, 'OFF' logging_level, 'TRUE' store_output,
           'FALSE' stop_on_window_close, 'TRUE' instance_stickiness, null raise_events,
           j.system, 1 job_weight,
           'NLS_LANGUAGE=''AMERICAN'' NLS_TERRITORY=''AMERICA''' nls_env, null source,
           1 number_of_destinations, null destination_owner, null destination,
           null credential_owner, null credential_name, null instance_id, 'FALSE' deferred_drop,
           'FALSE' allow_runs_in_restricted_mode, j.comments, 0 flags, 'FALSE' restartable,
           'FALSE' has_constraints, null connect_credential_owner, null connect_credential_name,
           'FALSE' fail_on_script_error
    from j, clock;

-- The current user's grants and the users everyone may see; the other user_ and all_ views are
-- made from their dba_ views after this file has run.
create view user_role_privs as
    select grantee username, granted_role, admin_option, delegate_option, default_role,
           'NO' os_granted, common, inherited
    from dba_role_privs where grantee = sys_context('USERENV', 'SESSION_USER');

create view user_sys_privs as
    select grantee username, privilege, admin_option, common, inherited
    from dba_sys_privs where grantee = sys_context('USERENV', 'SESSION_USER');

create view all_users as
    select username, user_id, created, 'NO' common, oracle_maintained, 'NO' inherited,
           'USING_NLS_COMP' default_collation, 'NO' implicit, 'NO' all_shard
    from dba_users;

-- Execution statistics of the plan lines: every line counts the work of the lines under it,
-- the statement's line all of its child cursor's.
create view "v$sql_plan_statistics_all" as
    select p.address, p.hash_value, p.sql_id, p.plan_hash_value, p.full_plan_hash_value,
           p.child_address, p.child_number, p.timestamp, p.operation, p.options, p.object_node,
           p."object#", p.object_owner, p.object_name, p.object_alias, p.object_type,
           p.optimizer, p.id, p.parent_id, p.depth, p.position, p.search_columns, p.cost,
           p.cardinality, p.bytes, p.other_tag, p.partition_start, p.partition_stop,
           p.partition_id, p.other, p.distribution, p.cpu_cost, p.io_cost, p.temp_space,
           p.access_predicates, p.filter_predicates, p.projection, p.time, p.qblock_name,
           p.remarks, p.other_xml, q.executions,
           case when q.executions > 0 then 1 else 0 end last_starts, q.executions starts,
           case when q.executions > 0 then q.rows_processed / q.executions else 0 end
               last_output_rows,
           q.rows_processed output_rows,
           case when q.executions > 0 then q.buffer_gets * (5 - p.depth) / 5 / q.executions
                else 0 end last_cr_buffer_gets,
           q.buffer_gets * (5 - p.depth) / 5 cr_buffer_gets,
           0 last_cu_buffer_gets,
           case when p.operation in ('UPDATE', 'DELETE', 'LOAD TABLE CONVENTIONAL')
                     or p.depth = 0 and q.command_type <> 3
                then q.executions * 2 else 0 end cu_buffer_gets,
           case when q.executions > 0 then q.disk_reads * (5 - p.depth) / 5 / q.executions
                else 0 end last_disk_reads,
           q.disk_reads * (5 - p.depth) / 5 disk_reads, 0 last_disk_writes, 0 disk_writes,
           case when q.executions > 0 then q.elapsed_time * (5 - p.depth) / 5 / q.executions
                else 0 end last_elapsed_time,
           q.elapsed_time * (5 - p.depth) / 5 elapsed_time,
           case when p.operation in ('SORT', 'HASH') then 'AUTO' end policy,
           case when p.operation in ('SORT', 'HASH') then 1048576 end estimated_optimal_size,
           case when p.operation in ('SORT', 'HASH') then 524288 end estimated_onepass_size,
           case when p.operation in ('SORT', 'HASH') then 786432 end last_memory_used,
           case when p.operation in ('SORT', 'HASH') then 'OPTIMAL' end last_execution,
           case when p.operation in ('SORT', 'HASH') then 1 end last_degree,
           case when p.operation in ('SORT', 'HASH') then q.executions end total_executions,
           case when p.operation in ('SORT', 'HASH') then q.executions end optimal_executions,
           case when p.operation in ('SORT', 'HASH') then 0 end onepass_executions,
           case when p.operation in ('SORT', 'HASH') then 0 end multipasses_executions,
           case when p.operation in ('SORT', 'HASH') then q.elapsed_time / 10000 end
               active_time,
           null max_tempseg_size, null last_tempseg_size, p.con_id
    from "v$sql_plan" p join "v$sql" q on q.sql_id = p.sql_id
        and q.child_number = p.child_number
    order by p.sql_id, p.child_number, p.id;

create view "v$sql_plan_statistics" as
    select address, hash_value, sql_id, plan_hash_value, child_address, child_number,
           id operation_id, executions, last_starts, starts, last_output_rows, output_rows,
           last_cr_buffer_gets, cr_buffer_gets, last_cu_buffer_gets, cu_buffer_gets,
           last_disk_reads, disk_reads, last_disk_writes, disk_writes, last_elapsed_time,
           elapsed_time, con_id
    from "v$sql_plan_statistics_all";

-- The 31 archive destinations of the log_archive_dest_n parameters: those set are VALID and
-- have archived the logs of v$archived_log (the first into the fast recovery area).
create view "v$archive_dest" as
    with recursive n(dest_id) as (select 1 union all select dest_id + 1 from n where dest_id < 31),
    d as (select n.dest_id, p.value setting,
                 case when p.value like 'LOCATION=%'
                      then substr(p.value, 10, case when instr(p.value, ' ') > 0
                                                    then instr(p.value, ' ') - 10
                                                    else length(p.value) end) end location
          from n left join "v$system_parameter" p on p.name = 'log_archive_dest_' || n.dest_id)
    select d.dest_id, 'LOG_ARCHIVE_DEST_' || d.dest_id dest_name,
           case when d.setting is null or d.setting = '' then 'INACTIVE' else 'VALID' end status,
           'OPTIONAL' binding, 'SYSTEM' name_space, 'PRIMARY' target, 'ARCH' archiver,
           case when d.setting is null or d.setting = '' then 'INACTIVE' else 'ACTIVE' end
               schedule,
           case when d.location = 'USE_DB_RECOVERY_FILE_DEST'
                then (select value from "v$system_parameter"
                      where name = 'db_recovery_file_dest') else d.location end destination,
           case when d.location is not null
                then (select max("sequence#") from "v$archived_log") else 0 end log_sequence,
           300 reopen_secs, 0 delay_mins, 1 max_connections, 0 net_timeout, 'ARCH' process,
           'YES' register, null fail_date, 0 fail_sequence, 0 fail_block, 0 failure_count,
           0 max_failure, null error, 'NONE' alternate, 'NONE' dependency, null remote_template,
           0 quota_size, 0 quota_used, 0 mountid, 'SYNCHRONOUS' transmit_mode, 0 async_blocks,
           'NO' affirm, 'PUBLIC' type, case when d.location is not null then 'YES'
                                             else 'UNKNOWN' end valid_now,
           'ALL_LOGFILES' valid_type, 'ALL_ROLES' valid_role, 'NONE' db_unique_name,
           'NO' verify, 'DISABLE' compression, 0 applied_scn, 0 con_id, 'DISABLE' encryption
    from d;

-- What fills the fast recovery area: the archived logs that v$recovery_file_dest counts.
create view "v$recovery_area_usage" as
    with dest as (select * from "v$recovery_file_dest"),
    kinds(file_type, ord) as (values ('CONTROL FILE', 1), ('REDO LOG', 2),
        ('ARCHIVED LOG', 3), ('BACKUP PIECE', 4), ('IMAGE COPY', 5), ('FLASHBACK LOG', 6),
        ('FOREIGN ARCHIVED LOG', 7), ('AUXILIARY DATAFILE COPY', 8))
    select k.file_type,
           case when k.file_type = 'ARCHIVED LOG'
                then round(100.0 * dest.space_used / dest.space_limit, 2) else 0 end
               percent_space_used,
           case when k.file_type = 'ARCHIVED LOG'
                then round(100.0 * dest.space_reclaimable / dest.space_limit, 2) else 0 end
               percent_space_reclaimable,
           case when k.file_type = 'ARCHIVED LOG' then dest.number_of_files else 0 end
               number_of_files,
           0 con_id
    from kinds k, dest order by k.ord;

create view "v$flash_recovery_area_usage" as select * from "v$recovery_area_usage";

-- A database on file systems has no ASM disk groups.
create view "v$asm_diskgroup" as
    select 0 "group_number", null name, 0 sector_size, 0 logical_sector_size, 0 block_size,
           0 allocation_unit_size, null state, null type, 0 total_mb, 0 free_mb, 0 hot_used_mb,
           0 cold_used_mb, 0 required_mirror_free_mb, 0 usable_file_mb, 0 offline_disks,
           null compatibility, null database_compatibility, null voting_files, 0 con_id
    where 0;

-- The system metrics of the last interval, 60 seconds long (group 2) and 15 seconds (group 3).
-- Ratios and counts are those of the instance now; rates are its totals over the time since
-- startup, as steady as the simulated workload is.
create view "v$metricname" as
    with m(group_id, metric_id, metric_name, metric_unit) as (values
        (2, 2000, 'Buffer Cache Hit Ratio', '% (LogRead - PhyRead)/LogRead'),
        (2, 2001, 'Memory Sorts Ratio', '% MemSort/(MemSort + DiskSort)'),
        (2, 2003, 'User Transaction Per Sec', 'Transactions Per Second'),
        (2, 2004, 'Physical Reads Per Sec', 'Reads Per Second'),
        (2, 2006, 'Physical Writes Per Sec', 'Writes Per Second'),
        (2, 2016, 'Redo Generated Per Sec', 'Bytes Per Second'),
        (2, 2018, 'Logons Per Sec', 'Logons Per Second'),
        (2, 2022, 'User Calls Per Sec', 'Calls Per Second'),
        (2, 2030, 'Logical Reads Per Sec', 'Reads Per Second'),
        (2, 2044, 'Total Parse Count Per Sec', 'Parses Per Second'),
        (2, 2046, 'Hard Parse Count Per Sec', 'Parses Per Second'),
        (2, 2054, 'Execute Without Parse Ratio', '% (ExecWOParse/TotalExec)'),
        (2, 2055, 'Soft Parse Ratio', '% SoftParses/TotalParses'),
        (2, 2057, 'Host CPU Utilization (%)', '% Busy/(Idle+Busy)'),
        (2, 2075, 'CPU Usage Per Sec', 'CentiSeconds Per Second'),
        (2, 2103, 'Current Logons Count', 'Logons'),
        (2, 2107, 'Database Wait Time Ratio', '% Wait/DB_Time'),
        (2, 2108, 'Database CPU Time Ratio', '% Cpu/DB_Time'),
        (2, 2110, 'Row Cache Hit Ratio', '% Hits/Gets'),
        (2, 2112, 'Library Cache Hit Ratio', '% Hits/Pins'),
        (2, 2114, 'Shared Pool Free %', '% Free/Total'),
        (2, 2119, 'Current Open Cursors Count', 'Cursors'),
        (2, 2121, 'Executions Per Sec', 'Executes Per Second'),
        (2, 2143, 'Session Count', 'Sessions'),
        (2, 2147, 'Average Active Sessions', 'Active Sessions'),
        (3, 2000, 'Buffer Cache Hit Ratio', '% (LogRead - PhyRead)/LogRead'),
        (3, 2057, 'Host CPU Utilization (%)', '% Busy/(Idle+Busy)'),
        (3, 2121, 'Executions Per Sec', 'Executes Per Second'),
        (3, 2143, 'Session Count', 'Sessions'))
    select group_id, case group_id when 2 then 'System Metrics Long Duration'
                                   else 'System Metrics Short Duration' end group_name,
           metric_id, metric_name, metric_unit, 0 con_id
    from m;

create view "v$sysmetric" as
    with t as (select m.value now_, i.startup_time,
                      max((julianday(m.value) - julianday(i.startup_time)) * 86400, 1) up
               from sbx_meta m, "v$instance" i where m.key = 'clock'),
    s(name, value) as (select name, value from "v$sysstat"),
    v(metric_id, value) as (
        select 2000, 100.0 * (1 - (select value from s where name = 'physical reads') * 1.0 /
                                  (select value from s where name = 'session logical reads'))
        union all select 2001, 100.0 * (select value from s where name = 'sorts (memory)') /
            ((select value from s where name = 'sorts (memory)') +
             (select value from s where name = 'sorts (disk)'))
        union all select 2003, ((select value from s where name = 'user commits') +
                                (select value from s where name = 'user rollbacks')) / t.up
            from t
        union all select 2004, (select value from s where name = 'physical reads') / t.up from t
        union all select 2006, (select sum(phywrts) from "v$filestat") / t.up from t
        union all select 2016, (select value from s where name = 'redo size') / t.up from t
        union all select 2018, (select value from s where name = 'logons cumulative') / t.up
            from t
        union all select 2022, (select value from s where name = 'user calls') / t.up from t
        union all select 2030, (select value from s where name = 'session logical reads') / t.up
            from t
        union all select 2044, (select value from s where name = 'parse count (total)') / t.up
            from t
        union all select 2046, (select value from s where name = 'parse count (hard)') / t.up
            from t
        union all select 2054, 100.0 * (1 - (select value from s where name =
                                                 'parse count (total)') * 1.0 /
                                            (select value from s where name = 'execute count'))
        union all select 2055, 100.0 * (1 - (select value from s where name =
                                                 'parse count (hard)') * 1.0 /
                                            (select value from s where name =
                                                 'parse count (total)'))
        union all select 2057, 100.0 * (select value from "v$osstat"
                                        where stat_name = 'BUSY_TIME') /
                               ((select value from "v$osstat" where stat_name = 'BUSY_TIME') +
                                (select value from "v$osstat" where stat_name = 'IDLE_TIME'))
        union all select 2075, (select value from s where name = 'CPU used by this session') /
                               t.up from t
        union all select 2103, (select count(*) from "v$session" where type = 'USER')
        union all select 2107, 100.0 - (select value from "v$sys_time_model"
                                        where stat_name = 'DB CPU') * 100.0 /
                                       (select value from "v$sys_time_model"
                                        where stat_name = 'DB time')
        union all select 2108, (select value from "v$sys_time_model" where stat_name = 'DB CPU') *
                               100.0 / (select value from "v$sys_time_model"
                                        where stat_name = 'DB time')
        union all select 2110, 100.0 * (select sum(gets - getmisses) from "v$rowcache") /
                               (select sum(gets) from "v$rowcache")
        union all select 2112, 100.0 * (select sum(pinhits) from "v$librarycache") /
                               (select sum(pins) from "v$librarycache")
        union all select 2114, 100.0 * (select bytes from "v$sgastat" where pool = 'shared pool'
                                        and name = 'free memory') /
                               (select sum(bytes) from "v$sgastat" where pool = 'shared pool')
        union all select 2119, (select count(*) from "v$open_cursor")
        union all select 2121, (select value from s where name = 'execute count') / t.up from t
        union all select 2143, (select count(*) from "v$session")
        union all select 2147, (select count(*) from "v$session"
                                where status = 'ACTIVE' and type = 'USER'))
    select datetime(t.now_, case n.group_id when 2 then '-60 seconds' else '-15 seconds' end)
               begin_time,
           t.now_ end_time, case n.group_id when 2 then 6000 else 1500 end intsize_csec,
           n.group_id, n.metric_id, n.metric_name, coalesce(v.value, 0) value, n.metric_unit,
           0 con_id
    from "v$metricname" n join v on v.metric_id = n.metric_id, t;

-- The long-duration metrics of the last hour, one a minute, spread by up to a tenth around the
-- current value (ratios stay at or below 100); the short ones of the last interval only.
create view "v$sysmetric_history" as
    with recursive k(i) as (select 0 union all select i + 1 from k where i < 59)
    select datetime(m.begin_time, '-' || (k.i * 60) || ' seconds') begin_time,
           datetime(m.end_time, '-' || (k.i * 60) || ' seconds') end_time, m.intsize_csec,
           m.group_id, m.metric_id, m.metric_name,
           case when k.i = 0 then m.value
                when m.metric_unit like '%\%%' escape '\'
                    then min(100.0, m.value * (1 + ((k.i * 7919 + m.metric_id) % 21 - 10) / 100.0))
                else m.value * (1 + ((k.i * 7919 + m.metric_id) % 21 - 10) / 100.0) end value,
           m.metric_unit, 0 con_id
    from "v$sysmetric" m, k where m.group_id = 2 or k.i = 0;

create view "v$sysmetric_summary" as
    select min(begin_time) begin_time, max(end_time) end_time, 360000 intsize_csec, group_id,
           metric_id, metric_name, count(*) num_interval, max(value) maxval, min(value) minval,
           avg(value) average,
           sqrt(max(avg(value * value) - avg(value) * avg(value), 0)) standard_deviation,
           count(*) * max(avg(value * value) - avg(value) * avg(value), 0) sum_squares,
           metric_unit, 0 con_id
    from "v$sysmetric_history" where group_id = 2
    group by group_id, metric_id, metric_name, metric_unit;

-- How long each event's waits took, in buckets of powers of two milliseconds: half of the waits
-- in the bucket of the event's average wait, a fifth in each neighbour, the rest a bucket
-- further out.
create view "v$event_histogram" as
    with recursive b(k, milli) as (select 0, 1 union all select k + 1, milli * 2 from b
                                   where k < 15),
    e as (select n."event#", s.event, s.total_waits,
                 -- the bucket of the average wait (average_wait is in centiseconds)
                 (select min(k) from b where b.milli >= s.average_wait * 10) centre
          from "v$system_event" s join "v$event_name" n on n.name = s.event
          where s.total_waits > 0),
    share(d, part) as (values (0, 50), (1, 20), (-1, 20), (2, 5), (-2, 5))
    select e."event#", e.event, b.milli wait_time_milli,
           sum(e.total_waits * share.part / 100) wait_count,
           null last_update_time, 0 con_id
    from e join share join b on b.k = max(0, min(15, e.centre + share.d))
    group by e."event#", e.event, b.milli
    having sum(e.total_waits * share.part / 100) > 0;

-- Each session's last ten waits: its events, the longest first.
create view "v$session_wait_history" as
    select w.sid, w.rn "seq#", n."event#", w.event, n.parameter1 p1text, 0 p1,
           n.parameter2 p2text, 0 p2, n.parameter3 p3text, 0 p3,
           cast(w.average_wait as integer) wait_time,
           cast(w.average_wait * 10000 as integer) wait_time_micro,
           w.rn * 1000 time_since_last_wait_micro, 0 con_id
    from (select e.*, row_number() over (partition by e.sid order by e.time_waited desc,
                                                                     e.event) rn
          from "v$session_event" e) w
    join "v$event_name" n on n.name = w.event
    where w.rn <= 10;

-- I/O by file: the data and temp files' reads and writes, single-block ones small, and the
-- control file's and the redo logs' own.
create view "v$iostat_file" as
    select f."file#" file_no, 2 filetype_id, 'Data File' filetype_name,
           f.singleblkrds * 8192 / 1048576 small_read_megabytes,
           f.phywrts * 8192 / 1048576 small_write_megabytes,
           (f.phyblkrd - f.singleblkrds) * 8192 / 1048576 large_read_megabytes,
           0 large_write_megabytes, f.singleblkrds small_read_reqs, f.phywrts small_write_reqs,
           f.singleblkrds small_sync_read_reqs, f.phyrds - f.singleblkrds large_read_reqs,
           0 large_write_reqs, f.singleblkrdtim * 10 small_read_servicetime,
           f.writetim * 10 small_write_servicetime,
           case when f.singleblkrds > 0 then f.singleblkrdtim * 10000 / f.singleblkrds
                else 0 end small_sync_read_latency,
           (f.readtim - f.singleblkrdtim) * 10 large_read_servicetime,
           0 large_write_servicetime, 'ASYNC_ON' asynch_io, 0 retries_on_error, 0 con_id
    from "v$filestat" f
    union all
    select t."file#", 6, 'Temp File', 0, 0, t.phyblkrd * 8192 / 1048576,
           t.phyblkwrt * 8192 / 1048576, 0, 0, 0, t.phyrds, t.phywrts, 0, 0, 0, t.readtim * 10,
           t.writetim * 10, 'ASYNC_ON', 0, 0
    from "v$tempstat" t
    union all
    select 0, 1, 'Control File', 180, 150, 0, 0, 11520, 9600, 11520, 0, 0, 1200, 2100, 104, 0,
           0, 'ASYNC_OFF', 0, 0
    union all
    select 0, 3, 'Log File', 0, (select value from "v$sysstat" where name = 'redo size')
               / 1048576, 0, 0, 0, (select value from "v$sysstat" where name = 'redo writes'),
           0, 0, 0, 0, (select value from "v$sysstat" where name = 'redo write time') * 10, 0, 0,
           0, 'ASYNC_ON', 0, 0;

-- I/O by the function that did it, from the same figures.
create view "v$iostat_function" as
    with f(function_id, function_name, rmb, wmb, rreq, wreq) as (values
        (0, 'RMAN', 0, 0, 0, 0),
        (1, 'DBWR', 0, (select sum(small_write_megabytes) from "v$iostat_file"
                        where filetype_name = 'Data File'),
            0, (select sum(small_write_reqs) from "v$iostat_file"
                where filetype_name = 'Data File')),
        (2, 'LGWR', 0, (select small_write_megabytes from "v$iostat_file"
                        where filetype_name = 'Log File'),
            0, (select small_write_reqs from "v$iostat_file" where filetype_name = 'Log File')),
        (3, 'ARCH', (select sum(blocks * block_size) / 1048576 from "v$archived_log"),
            (select sum(blocks * block_size) / 1048576 from "v$archived_log"),
            (select count(*) * 64 from "v$archived_log"),
            (select count(*) * 64 from "v$archived_log")),
        (4, 'XDB', 0, 0, 0, 0), (5, 'Streams AQ', 0, 0, 0, 0), (6, 'Data Pump', 0, 0, 0, 0),
        (7, 'Recovery', 0, 0, 0, 0),
        (8, 'Buffer Cache Reads', (select sum(small_read_megabytes + large_read_megabytes)
                                   from "v$iostat_file" where filetype_name = 'Data File'),
            0, (select sum(small_read_reqs + large_read_reqs) from "v$iostat_file"
                where filetype_name = 'Data File'), 0),
        (9, 'Direct Reads', (select sum(large_read_megabytes) from "v$iostat_file"
                             where filetype_name = 'Temp File'),
            0, (select sum(large_read_reqs) from "v$iostat_file"
                where filetype_name = 'Temp File'), 0),
        (10, 'Direct Writes', 0, (select sum(large_write_megabytes) from "v$iostat_file"
                                  where filetype_name = 'Temp File'),
            0, (select sum(large_write_reqs) from "v$iostat_file"
                where filetype_name = 'Temp File')),
        (11, 'Smart Scan', 0, 0, 0, 0), (12, 'Archive Manager', 0, 0, 0, 0),
        (13, 'Others', (select small_read_megabytes from "v$iostat_file"
                        where filetype_name = 'Control File'),
            (select small_write_megabytes from "v$iostat_file"
             where filetype_name = 'Control File'),
            (select small_read_reqs from "v$iostat_file" where filetype_name = 'Control File'),
            (select small_write_reqs from "v$iostat_file" where filetype_name = 'Control File')))
    select function_id, function_name, coalesce(rmb, 0) small_read_megabytes,
           coalesce(wmb, 0) small_write_megabytes, 0 large_read_megabytes,
           0 large_write_megabytes, coalesce(rreq, 0) small_read_reqs,
           coalesce(wreq, 0) small_write_reqs, 0 large_read_reqs, 0 large_write_reqs,
           coalesce(rreq, 0) + coalesce(wreq, 0) number_of_waits,
           (coalesce(rreq, 0) + coalesce(wreq, 0)) / 2 wait_time, 0 con_id
    from f;

-- The buffer cache: one DEFAULT pool of 8K blocks, with the instance's buffer figures.
create view "v$buffer_pool" as
    select 3 id, 'DEFAULT' name, 8192 block_size, 'STATIC' resize_state,
           (select value from "v$sga" where name = 'Database Buffers') / 1048576 current_size,
           (select value from "v$sga" where name = 'Database Buffers') / 8192 buffers,
           (select value from "v$sga" where name = 'Database Buffers') / 1048576 target_size,
           (select value from "v$sga" where name = 'Database Buffers') / 8192 target_buffers,
           0 prev_size, 0 prev_buffers, 0 lo_bnum, 0 hi_bnum, 3 lo_setid, 4 hi_setid,
           2 set_count, 0 con_id;

create view "v$buffer_pool_statistics" as
    with s(name, value) as (select name, value from "v$sysstat")
    select p.id, p.name, p.block_size, p.buffers set_msize, p.buffers / 4 cnum_repl,
           0 cnum_write, p.buffers cnum_set,
           (select value from s where name = 'physical reads') buf_got,
           (select coalesce(sum(phywrts), 0) from "v$filestat") sum_write, 0 sum_scan,
           (select coalesce(sum(total_waits), 0) from "v$system_event"
            where event = 'free buffer waits') free_buffer_wait,
           (select coalesce(sum(total_waits), 0) from "v$system_event"
            where event = 'write complete waits') write_complete_wait,
           (select coalesce(sum(total_waits), 0) from "v$system_event"
            where event = 'buffer busy waits') buffer_busy_wait,
           0 free_buffer_inspected, 0 dirty_buffers_inspected,
           (select value from s where name = 'db block changes') db_block_change,
           (select value from s where name = 'db block gets') db_block_gets,
           (select value from s where name = 'consistent gets') consistent_gets,
           (select value from s where name = 'physical reads') physical_reads,
           (select coalesce(sum(phywrts), 0) from "v$filestat") physical_writes, 0 con_id
    from "v$buffer_pool" p;

-- The SGA's components and the PGA target, as automatic memory management shows them.
create view "v$memory_dynamic_components" as
    select component, current_size, min_size, max_size, user_specified_size, oper_count,
           last_oper_type, last_oper_mode, last_oper_time, granule_size, con_id
    from "v$sga_dynamic_components"
    union all
    select 'PGA Target', p.bytes, p.bytes, p.bytes, p.bytes, 0, 'STATIC', null, null, 16777216,
           0
    from (select cast(value as integer) bytes from "v$system_parameter"
          where name = 'pga_aggregate_target') p
    union all
    select 'SGA Target', s.bytes, s.bytes, s.bytes, 0, 0, 'STATIC', null, null, 16777216, 0
    from (select sum(value) bytes from "v$sga") s;

-- No component has been resized since startup.
create view "v$sga_resize_ops" as
    select component, 'STATIC' oper_type, null oper_mode, null parameter,
           current_size initial_size, current_size target_size, current_size final_size,
           'COMPLETE' status, null start_time, null end_time, 0 con_id
    from "v$sga_dynamic_components" where 0;

create view "v$memory_resize_ops" as select * from "v$sga_resize_ops";

-- Each process's PGA by category: most of it SQL work areas, then PL/SQL, the rest other
-- memory, and the freeable part.
create view "v$process_memory" as
    select p.pid, p."serial#", c.category,
           case c.category when 'Freeable' then p.pga_freeable_mem
                else (p.pga_alloc_mem - p.pga_freeable_mem) * c.part / 100 end allocated,
           case c.category when 'Freeable' then 0
                else (p.pga_used_mem) * c.part / 100 end used,
           case c.category when 'Freeable' then p.pga_freeable_mem
                else (p.pga_max_mem - p.pga_freeable_mem) * c.part / 100 end max_allocated,
           0 con_id
    from "v$process" p,
         (select 'SQL' category, 60 part union all select 'PL/SQL', 15
          union all select 'Other', 25 union all select 'Freeable', 0) c
    where p.pga_alloc_mem > 0;
