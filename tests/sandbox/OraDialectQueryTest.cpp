// Oracle query forms that the sandbox translates: ROWNUM, (+) outer joins, listagg and the
// analytic functions, run on a small in-memory database.
#include "DialectFixture.h"
#include "oradb/OraError.h"

#include <gtest/gtest.h>

namespace {

using dialect_test::Result;
using dialect_test::SqliteDb;

using Rows = std::vector<std::vector<std::string>>;

class SandboxQueries : public ::testing::Test {
protected:
    SandboxQueries() {
        db.exec(R"(
create table dual (dummy VARCHAR2(1));
insert into dual values ('X');
create table emp (empno INTEGER, ename VARCHAR2(10), mgr INTEGER, deptno INTEGER, sal NUMBER);
insert into emp values (7839, 'KING', null, 10, 5000), (7566, 'JONES', 7839, 20, 2975),
  (7698, 'BLAKE', 7839, 30, 2850), (7782, 'CLARK', 7839, 10, 2450),
  (7788, 'SCOTT', 7566, 20, 3000), (7902, 'FORD', 7566, 20, 3000),
  (7369, 'SMITH', 7902, 20, 800), (7499, 'ALLEN', 7698, 30, 1600);
create table dept (deptno INTEGER, dname VARCHAR2(14));
insert into dept values (10, 'ACCOUNTING'), (20, 'RESEARCH'), (30, 'SALES'), (40, 'OPERATIONS');
create table bonus (empno INTEGER, amount NUMBER, kind VARCHAR2(5));
insert into bonus values (7788, 100, 'CASH'), (7369, 50, 'STOCK');
)");
    }

    Rows rows(const std::string& sql) { return db.run(sql).rows; }

    // The Oracle error code a statement fails with; 0 when it runs.
    int code(const std::string& sql) {
        try {
            db.run(sql);
        } catch (const oradb::EOraError& e) {
            return e.ErrorCode();
        }
        return 0;
    }

    SqliteDb db;
};

TEST_F(SandboxQueries, ListaggOrdersWithinTheGroup) {
    EXPECT_EQ(
        rows("select deptno, listagg(ename, ',') within group (order by ename) names "
             "from emp group by deptno order by deptno"),
        (Rows{{"10", "CLARK,KING"}, {"20", "FORD,JONES,SCOTT,SMITH"}, {"30", "ALLEN,BLAKE"}}));
    EXPECT_EQ(db.value("select listagg(ename, '; ') within group (order by sal desc, ename) "
                       "from emp where deptno = 20"),
              "FORD; SCOTT; JONES; SMITH");
    EXPECT_EQ(db.value("select listagg(ename) within group (order by empno) from emp "
                       "where deptno = 30"),
              "ALLENBLAKE");
    EXPECT_EQ(db.value("select listagg(ename, ',') within group (order by 1) from emp "
                       "where deptno = 99"),
              "(null)");
    EXPECT_EQ(code("select listagg(ename, ',') from emp"), 2000);
}

TEST_F(SandboxQueries, NullsSortAsTheLargestValue) {
    EXPECT_EQ(rows("select ename from emp order by mgr, ename").back(),
              std::vector<std::string>{"KING"});
    EXPECT_EQ(rows("select ename from emp order by mgr desc, ename").front(),
              std::vector<std::string>{"KING"});
    EXPECT_EQ(rows("select ename from emp order by mgr nulls first, ename").front(),
              std::vector<std::string>{"KING"});
    EXPECT_EQ(rows("select ename from emp order by mgr desc nulls last, ename").back(),
              std::vector<std::string>{"KING"});
    EXPECT_EQ(rows("select ename, row_number() over (order by mgr, ename) rn from emp "
                   "where deptno = 10 order by 2"),
              (Rows{{"CLARK", "1"}, {"KING", "2"}}));
}

TEST_F(SandboxQueries, RollupAddsSubtotalsAndAGrandTotal) {
    EXPECT_EQ(rows("select deptno, sum(sal) total from emp group by rollup(deptno) "
                   "order by deptno"),
              (Rows{{"10", "7450"}, {"20", "9775"}, {"30", "4450"}, {"(null)", "21675"}}));
    // without ORDER BY: the details, then the total
    EXPECT_EQ(rows("select nvl(d.dname, 'TOTAL') dept, count(*) n from emp e, dept d "
                   "where e.deptno = d.deptno and e.sal > 1000 group by rollup(d.dname)")
                  .back(),
              (std::vector<std::string>{"TOTAL", "7"}));
    // two levels, GROUPING flags, a kept column and HAVING
    EXPECT_EQ(rows("select deptno, mgr, sum(sal) s, grouping(mgr) g from emp where deptno = 20 "
                   "group by deptno, rollup(mgr) having sum(sal) > 3000 "
                   "order by deptno, g, mgr"),
              (Rows{{"20", "7566", "6000", "0"}, {"20", "(null)", "9775", "1"}}));
    EXPECT_EQ(rows("select decode(grouping(deptno), 1, 'ALL', deptno) d, "
                   "decode(grouping(ename), 1, 'sub', ename) e, sum(sal) s from emp "
                   "where deptno = 10 group by rollup(deptno, ename) order by 1, 2"),
              (Rows{{"10", "CLARK", "2450"},
                    {"10", "KING", "5000"},
                    {"10", "sub", "7450"},
                    {"ALL", "sub", "7450"}}));
    // in a subquery
    EXPECT_EQ(db.value("select count(*) from (select deptno, sum(sal) from emp "
                       "group by rollup(deptno))"),
              "4");
    EXPECT_EQ(code("select grouping(deptno) from emp group by deptno"), 30481);
}

TEST_F(SandboxQueries, WhatIsNotEmulatedSaysSo) {
    for (const char* sql :
         {"select deptno, sum(sal) from emp group by ename, cube(deptno)",
          "select deptno, sum(sal) from emp group by rollup(deptno), rollup(ename)",
          "select deptno, sum(sal) from emp group by grouping sets ((deptno), ())",
          "select * from (select deptno, sal from emp) pivot (sum(sal) for deptno in (10, 20))",
          "select max(ename) keep (dense_rank last order by sal) from emp",
          "select * from table(dbms_xplan.display_cursor('abc', 0))"})
        EXPECT_EQ(code(sql), 3001) << sql;
    // words that are only keywords in those places stay names
    EXPECT_EQ(rows("select e.ename rollup from emp e where e.empno = 7839"), (Rows{{"KING"}}));
}

TEST_F(SandboxQueries, AnalyticFunctionsAndRatioToReport) {
    // an analytic sum over the grouped sums as a divisor
    EXPECT_EQ(rows("select deptno, round(100 * sum(sal) / sum(sum(sal)) over (), 1) pct "
                   "from emp group by deptno order by deptno"),
              (Rows{{"10", "34.4"}, {"20", "45.1"}, {"30", "20.5"}}));
    EXPECT_EQ(rows("select ename, ratio_to_report(sal) over (partition by deptno) r from emp "
                   "where deptno = 10 order by ename"),
              (Rows{{"CLARK", "0.328859060402685"}, {"KING", "0.671140939597315"}}));
    EXPECT_EQ(rows("select ename, rank() over (order by sal desc) rk, "
                   "dense_rank() over (order by sal desc) drk, "
                   "lag(ename) over (order by sal desc, ename) prev, "
                   "sum(sal) over (partition by deptno) total "
                   "from emp where deptno = 20 order by sal desc, ename"),
              (Rows{{"FORD", "1", "1", "(null)", "9775"},
                    {"SCOTT", "1", "1", "FORD", "9775"},
                    {"JONES", "3", "2", "SCOTT", "9775"},
                    {"SMITH", "4", "3", "JONES", "9775"}}));
    EXPECT_EQ(rows("with d as (select deptno, count(*) n from emp group by deptno) "
                   "select dname, n from dept, d where dept.deptno = d.deptno and n > 2"),
              (Rows{{"RESEARCH", "4"}}));
}

TEST_F(SandboxQueries, RownumLimitsAndNumbersRows) {
    EXPECT_EQ(rows("select ename from (select ename from emp order by sal desc, ename) "
                   "where rownum <= 3"),
              (Rows{{"KING"}, {"FORD"}, {"SCOTT"}}));
    EXPECT_EQ(rows("select * from (select ename from emp order by sal) where rownum < 3"),
              (Rows{{"SMITH"}, {"ALLEN"}}));
    EXPECT_EQ(rows("select ename from emp where deptno = 10 and rownum = 1 order by ename").size(),
              1u);
    EXPECT_EQ(rows("select ename from emp where rownum <= 0").size(), 0u);
    EXPECT_EQ(rows("select rownum, ename from (select ename from emp order by ename) "
                   "where rownum <= 2"),
              (Rows{{"1", "ALLEN"}, {"2", "BLAKE"}}));
    EXPECT_EQ(db.run("select rownum from dual").columns, std::vector<std::string>{"ROWNUM"});
    EXPECT_EQ(rows("select r, ename from (select rownum r, ename from "
                   "(select ename from emp order by ename)) where r between 3 and 4"),
              (Rows{{"3", "CLARK"}, {"4", "FORD"}}));
    // rows are counted before they are grouped
    EXPECT_EQ(db.value("select count(*) from emp where rownum <= 3"), "3");
    EXPECT_EQ(db.value("select count(*) from emp e where e.deptno = 20 and rownum < 3"), "2");
    EXPECT_EQ(db.value("select count(distinct deptno) from emp where rownum <= 1"), "1");
    EXPECT_EQ(rows("select ename from emp where rownum = 1 union select 'X' from dual "
                   "order by 1"),
              (Rows{{"KING"}, {"X"}}));
    EXPECT_EQ(code("select count(*) from emp e, dept d where rownum <= 3"), 3001);
    EXPECT_EQ(code("select ename from emp where rownum > 3"), 3001);
    EXPECT_EQ(code("select ename from emp where sal > 1 or rownum < 3"), 3001);
}

TEST_F(SandboxQueries, RowLimitingClauseTakesFirstRowsAfterAnOffset) {
    EXPECT_EQ(rows("select ename from emp order by sal desc, ename fetch first 3 rows only"),
              (Rows{{"KING"}, {"FORD"}, {"SCOTT"}}));
    EXPECT_EQ(rows("select ename from emp order by sal desc, ename offset 1 row "
                   "fetch next 2 rows only"),
              (Rows{{"FORD"}, {"SCOTT"}}));
    EXPECT_EQ(rows("select ename from emp order by sal, ename offset 6 rows"),
              (Rows{{"SCOTT"}, {"KING"}}));
    EXPECT_EQ(rows("select ename from emp order by ename fetch first row only"), (Rows{{"ALLEN"}}));
    EXPECT_EQ(rows("select ename from emp order by ename fetch first 0 rows only").size(), 0u);
    // inside a subquery, and after a compound query
    EXPECT_EQ(rows("select d.dname, (select e.ename from emp e where e.deptno = d.deptno "
                   "order by e.sal desc, e.ename fetch first 1 row only) top from dept d "
                   "where d.deptno <= 20 order by d.deptno"),
              (Rows{{"ACCOUNTING", "KING"}, {"RESEARCH", "FORD"}}));
    EXPECT_EQ(rows("select dname from dept union all select ename from emp order by 1 "
                   "fetch first 2 rows only"),
              (Rows{{"ACCOUNTING"}, {"ALLEN"}}));
    EXPECT_EQ(code("select ename from emp order by sal fetch first 10 percent rows only"), 3001);
    EXPECT_EQ(code("select ename from emp order by sal fetch first 2 rows with ties"), 3001);
}

TEST_F(SandboxQueries, OuterJoinOperatorBecomesLeftJoin) {
    EXPECT_EQ(rows("select d.dname, e.ename from dept d, emp e where d.deptno = e.deptno(+) "
                   "and d.deptno in (30, 40) order by d.dname, e.ename"),
              (Rows{{"OPERATIONS", "(null)"}, {"SALES", "ALLEN"}, {"SALES", "BLAKE"}}));
    // the optional table first, its filter with (+) inside the join
    EXPECT_EQ(
        rows("select e.ename, b.amount from bonus b, emp e where b.empno(+) = e.empno "
             "and b.kind(+) = 'CASH' and e.deptno = 20 order by e.ename"),
        (Rows{{"FORD", "(null)"}, {"JONES", "(null)"}, {"SCOTT", "100"}, {"SMITH", "(null)"}}));
    // a chain: emp -> dept optional -> bonus optional through emp
    EXPECT_EQ(rows("select e.ename, d.dname, b.amount from emp e, dept d, bonus b "
                   "where e.deptno = d.deptno(+) and e.empno = b.empno(+) and e.sal < 1000"),
              (Rows{{"SMITH", "RESEARCH", "50"}}));
    EXPECT_EQ(rows("select m.ename, w.ename from emp m, emp w where m.empno = w.mgr(+) "
                   "and m.deptno = 30 order by 1, 2"),
              (Rows{{"ALLEN", "(null)"}, {"BLAKE", "ALLEN"}}));
    // a plain filter with a subquery beside the outer join
    EXPECT_EQ(rows("select d.dname, e.ename from dept d, emp e where d.deptno = e.deptno (+) "
                   "and d.deptno not in (select deptno from emp where sal < 2000) "
                   "order by 1, 2"),
              (Rows{{"ACCOUNTING", "CLARK"}, {"ACCOUNTING", "KING"}, {"OPERATIONS", "(null)"}}));
    EXPECT_EQ(code("select * from dept d, emp e where d.deptno = e.deptno(+) "
                   "and e.sal(+) > (select avg(sal) from emp)"),
              1799);
    EXPECT_EQ(code("select * from emp e, dept d where e.deptno = d.deptno(+) or e.sal > 1"), 1719);
    EXPECT_EQ(code("select * from emp e, dept d where e.deptno(+) = d.deptno(+)"), 1468);
    EXPECT_EQ(code("select * from emp e, dept d where e.deptno = d.deptno(+) "
                   "and d.deptno = e.deptno(+)"),
              1416);
}

TEST_F(SandboxQueries, ConnectByWalksTheTreeDepthFirst) {
    EXPECT_EQ(rows("select level, lpad(' ', 2 * (level - 1)) || ename tree from emp "
                   "start with mgr is null connect by prior empno = mgr"),
              (Rows{{"1", "KING"},
                    {"2", "  JONES"},
                    {"3", "    SCOTT"},
                    {"3", "    FORD"},
                    {"4", "      SMITH"},
                    {"2", "  BLAKE"},
                    {"3", "    ALLEN"},
                    {"2", "  CLARK"}}));
    // the where clause filters the walked rows; an alias qualifies the columns
    EXPECT_EQ(rows("select e.ename, level from emp e where level > 2 and e.deptno = 20 "
                   "start with e.ename = 'JONES' connect by e.mgr = prior e.empno "
                   "order by e.ename"),
              (Rows{{"SMITH", "3"}}));
    EXPECT_EQ(
        rows("select ename from emp e start with e.mgr is null "
             "connect by prior e.empno = e.mgr order siblings by e.sal, e.ename desc"),
        (Rows{
            {"KING"}, {"CLARK"}, {"BLAKE"}, {"ALLEN"}, {"JONES"}, {"SCOTT"}, {"FORD"}, {"SMITH"}}));
    EXPECT_EQ(rows("select level from dual connect by level <= 4"),
              (Rows{{"1"}, {"2"}, {"3"}, {"4"}}));
    EXPECT_EQ(db.run("select level from dual connect by level <= 1").columns,
              std::vector<std::string>{"LEVEL"});
    EXPECT_EQ(rows("with staff as (select empno, mgr, ename from emp where deptno = 20) "
                   "select level, ename from staff start with mgr = 7839 "
                   "connect by prior empno = mgr"),
              (Rows{{"1", "JONES"}, {"2", "SCOTT"}, {"2", "FORD"}, {"3", "SMITH"}}));
    EXPECT_EQ(
        rows("select * from dept start with deptno = 20 connect by prior deptno + 10 = deptno"),
        (Rows{{"20", "RESEARCH"}, {"30", "SALES"}, {"40", "OPERATIONS"}}));
    EXPECT_EQ(db.value("select count(*) from (select ename from emp start with ename = 'KING' "
                       "connect by prior empno = mgr and level <= 2)"),
              "4");
}

TEST_F(SandboxQueries, ConnectByPathsAndRoots) {
    EXPECT_EQ(rows("select sys_connect_by_path(ename, '/') || '!' path, connect_by_root ename "
                   "top from emp where ename in ('SMITH', 'ALLEN') start with mgr is null "
                   "connect by prior empno = mgr order by 1"),
              (Rows{{"/KING/BLAKE/ALLEN!", "KING"}, {"/KING/JONES/FORD/SMITH!", "KING"}}));
    EXPECT_EQ(db.value("select connect_by_root ename || '>' || ename from emp "
                       "where ename = 'SMITH' start with ename = 'JONES' "
                       "connect by prior empno = mgr"),
              "JONES>SMITH");
    EXPECT_EQ(rows("select ename, connect_by_isleaf from emp where deptno = 20 "
                   "start with mgr is null connect by prior empno = mgr"),
              (Rows{{"JONES", "0"}, {"SCOTT", "1"}, {"FORD", "0"}, {"SMITH", "1"}}));
    EXPECT_EQ(rows("select connect_by_root e.ename, sys_connect_by_path(e.empno, ' > ') from emp e "
                   "where level = 2 start with e.ename in ('JONES', 'BLAKE') "
                   "connect by prior e.empno = e.mgr order by 2"),
              (Rows{{"JONES", " > 7566 > 7788"},
                    {"JONES", " > 7566 > 7902"},
                    {"BLAKE", " > 7698 > 7499"}}));
}

TEST_F(SandboxQueries, ConnectByLoopsAndWhatIsNotEmulated) {
    db.exec("update emp set mgr = 7369 where ename = 'KING'"); // KING now reports to SMITH
    EXPECT_EQ(code("select ename from emp start with ename = 'ALLEN' "
                   "connect by prior empno = mgr"),
              0);
    EXPECT_NE(db.error("select ename from emp start with ename = 'KING' "
                       "connect by prior empno = mgr")
                  .find("ORA-01436: CONNECT BY loop in user data"),
              std::string::npos);
    EXPECT_EQ(rows("select ename from emp start with ename = 'SMITH' "
                   "connect by nocycle prior empno = mgr and level <= 3"),
              (Rows{{"SMITH"}, {"KING"}, {"JONES"}, {"BLAKE"}, {"CLARK"}}));
    EXPECT_EQ(code("select connect_by_iscycle from emp connect by nocycle prior empno = mgr"),
              3001);
    EXPECT_EQ(code("select ename from emp e, dept d connect by prior empno = mgr"), 3001);
    EXPECT_EQ(code("select * from emp start with mgr is null "
                   "connect by prior empno = mgr order siblings by ename"),
              3001);
    EXPECT_EQ(code("select level from dual"), 1788);
}

TEST_F(SandboxQueries, RawtohexAndToCharCompareAsTextAndSearchAnIndexOnThem) {
    // Their VARCHAR2 results compare with a number as Oracle compares them, converted.
    EXPECT_EQ(db.value("select count(*) from emp where to_char(deptno) = 10"), "2");
    EXPECT_EQ(db.value("select count(*) from dual where rawtohex('10') = 10"), "1");
    // A join of a text column with the calls searches an index on the same calls, as the SQL
    // collectors' fetch searches v$sqltext, rather than scanning the table for every row.
    db.exec("create table pieces (address VARCHAR2(16), hash_value NUMBER, piece NUMBER, "
            "sql_text VARCHAR2(64));"
            "insert into pieces values ('0a0b', 7, 0, 'select '), ('0a0b', 7, 1, '1 from dual'),"
            " ('0c0d', -5, 0, 'commit');"
            "create table captured (address VARCHAR2(30), hash_value VARCHAR2(30));"
            "insert into captured values ('0A0B', '7'), ('0C0D', '-5'), ('0E0F', '9');");
    db.exec("create index pieces_texts on pieces (cast(rawtohex(address) as text), "
            "cast(to_char(hash_value) as text), piece)");
    const std::string join = "select c.address, p.piece, p.sql_text from captured c, pieces p "
                             "where rawtohex(p.address) = c.address and to_char(p.hash_value) "
                             "= c.hash_value order by c.address, p.piece";
    EXPECT_EQ(
        rows(join),
        (Rows{{"0A0B", "0", "select "}, {"0A0B", "1", "1 from dual"}, {"0C0D", "0", "commit"}}));
    std::string plan;
    for (const auto& row :
         db.query("explain query plan " + oradb::sandbox::translate(join, {}).sql).rows)
        plan += row.back() + "\n";
    EXPECT_NE(plan.find("SEARCH p USING INDEX pieces_texts (<expr>=? AND <expr>=?)"),
              std::string::npos)
        << plan;
    EXPECT_EQ(plan.find("SCAN p"), std::string::npos) << plan;
    EXPECT_EQ(plan.find("AUTOMATIC"), std::string::npos) << plan;
}

} // namespace
