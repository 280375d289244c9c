select to_char(begin_time,'DD-MON-YYYY HH24:MI:SS') begin_time, to_char(end_time,'HH24:MI:SS') end_time, undoblks, txncount, maxquerylen, ssolderrcnt, nospaceerrcnt from v$undostat where rownum <= 5;
select segment_name, tablespace_name, status from dba_rollback_segs;
select usn, extents, rssize, xacts, gets, waits, wraps, shrinks from v$rollstat;
