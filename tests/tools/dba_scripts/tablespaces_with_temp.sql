SELECT a.tablespace_name,
       ROUND(a.bytes / 1024 / 1024, 2) total_mb,
       ROUND((a.bytes - NVL(b.bytes, 0)) / 1024 / 1024, 2) used_mb,
       ROUND(NVL(b.bytes, 0) / 1024 / 1024, 2) free_mb,
       ROUND(((a.bytes - NVL(b.bytes, 0)) / a.bytes) * 100, 2) pct_used
  FROM (SELECT tablespace_name, SUM(bytes) bytes FROM dba_data_files GROUP BY tablespace_name) a
  LEFT OUTER JOIN (SELECT tablespace_name, SUM(bytes) bytes FROM dba_free_space GROUP BY tablespace_name) b
    ON a.tablespace_name = b.tablespace_name
UNION ALL
SELECT h.tablespace_name, ROUND(SUM(h.bytes_free + h.bytes_used) / 1048576, 2),
       ROUND(SUM(NVL(p.bytes_used, 0)) / 1048576, 2),
       ROUND((SUM(h.bytes_free + h.bytes_used) - SUM(NVL(p.bytes_used, 0))) / 1048576, 2),
       ROUND(SUM(NVL(p.bytes_used, 0)) / SUM(h.bytes_used + h.bytes_free) * 100, 2)
  FROM sys.v_$temp_space_header h, sys.v_$temp_extent_pool p
 WHERE p.file_id(+) = h.file_id AND p.tablespace_name(+) = h.tablespace_name
 GROUP BY h.tablespace_name
 ORDER BY 1;
