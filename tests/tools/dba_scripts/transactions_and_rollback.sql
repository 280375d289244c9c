select s.sid, s.username, t.used_ublk, t.used_urec, r.name rbs, t.start_time
from v$transaction t, v$session s, v$rollname r
where t.ses_addr = s.saddr and t.xidusn = r.usn;
