with sess as (select username, count(*) cnt, sum(decode(status,'ACTIVE',1,0)) active from v$session where username is not null group by username)
select username, cnt, active, round(ratio_to_report(cnt) over () * 100, 1) pct,
       rank() over (order by cnt desc) rnk from sess order by cnt desc;
select username, listagg(sid, ',') within group (order by sid) sids from v$session where username is not null group by username;
