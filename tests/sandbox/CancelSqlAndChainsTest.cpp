// ALTER SYSTEM CANCEL SQL on the sandbox instance (a simulated session's call ends and the
// session stays; a running call of a real connection ends with ORA-01013; Oracle's errors for a
// bad session id) and the blocking chains the simulator forms and clears.
#include "oradb/OraError.h"
#include "support/CallGate.h"
#include "support/SandboxFixture.h"

#include <algorithm>
#include <chrono>
#include <future>
#include <gtest/gtest.h>
#include <map>
#include <string>
#include <thread>
#include <vector>

namespace {

using testing_support::rowsOf;

class CancelSql : public testing_support::SandboxTest {
protected:
    int errorOf(const std::string& sql) {
        try {
            oradb::TOraQuery q(&session);
            q.SQL.Add(sql);
            q.ExecSQL();
        } catch (const oradb::EOraError& e) {
            return e.ErrorCode();
        }
        return 0;
    }
    std::string count(const std::string& where) {
        return value("select count(*) from v$session where " + where);
    }
};

TEST_F(CancelSql, AWaitingSessionsCallEndsAndTheSessionStays) {
    const auto waiters = rowsOf(session, "select sid, serial#, blocking_session from v$session "
                                         "where blocking_session is not null and status='ACTIVE' "
                                         "order by sid");
    ASSERT_FALSE(waiters.empty());
    const std::string sid = waiters[0][0], serial = waiters[0][1];
    const std::string before = count("1=1");
    EXPECT_EQ(errorOf("alter system cancel sql '" + sid + "," + serial + "'"), 0);

    const auto after = rowsOf(session, "select status, serial#, event, blocking_session, lockwait "
                                       "from v$session where sid=" +
                                           sid);
    ASSERT_EQ(after.size(), 1u);
    EXPECT_EQ(after[0][0], "INACTIVE");
    EXPECT_EQ(after[0][1], serial);
    EXPECT_EQ(after[0][2], "SQL*Net message from client");
    EXPECT_EQ(after[0][3], "");
    EXPECT_EQ(after[0][4], "");
    EXPECT_EQ(value("select count(*) from v$lock where request>0 and sid=" + sid), "0");
    EXPECT_EQ(value("select event from v$session_wait where sid=" + sid),
              "SQL*Net message from client");
    EXPECT_EQ(count("1=1"), before);
    // The other waiter of the same holder still waits.
    EXPECT_EQ(count("blocking_session=" + waiters[0][2]), std::to_string(waiters.size() - 1));
}

TEST_F(CancelSql, AnActiveSessionOnCpuGoesIdleAndAnIdleOneStaysAsItIs) {
    const auto active = rowsOf(session, "select sid, serial# from v$session where type='USER' and "
                                        "status='ACTIVE' and blocking_session is null and sid<>"
                                        "sys_context('USERENV','SID') order by sid");
    ASSERT_FALSE(active.empty());
    EXPECT_EQ(errorOf("alter system cancel sql '" + active[0][0] + ", " + active[0][1] + "'"), 0);
    EXPECT_EQ(value("select status from v$session where sid=" + active[0][0]), "INACTIVE");
    EXPECT_EQ(value("select last_call_et from v$session where sid=" + active[0][0]), "0");

    const auto idle = rowsOf(session, "select sid, serial#, last_call_et from v$session where "
                                      "type='USER' and status='INACTIVE' order by sid");
    ASSERT_FALSE(idle.empty());
    EXPECT_EQ(errorOf("alter system cancel sql '" + idle[0][0] + "," + idle[0][1] + "'"), 0);
    EXPECT_EQ(value("select last_call_et from v$session where sid=" + idle[0][0]), idle[0][2]);
}

TEST_F(CancelSql, ASqlIdThatTheSessionDoesNotRunCancelsNothing) {
    const auto waiter = rowsOf(session, "select sid, serial#, sql_id from v$session where "
                                        "blocking_session is not null order by sid");
    ASSERT_FALSE(waiter.empty());
    const std::string sid = waiter[0][0], serial = waiter[0][1];
    EXPECT_EQ(errorOf("alter system cancel sql '" + sid + "," + serial + ",@1,0000000000000'"), 0);
    EXPECT_EQ(value("select status from v$session where sid=" + sid), "ACTIVE");
    EXPECT_EQ(
        errorOf("alter system cancel sql '" + sid + "," + serial + ",@1," + waiter[0][2] + "'"), 0);
    EXPECT_EQ(value("select status from v$session where sid=" + sid), "INACTIVE");
}

TEST_F(CancelSql, BadSessionIdsAndBadSyntaxGetOraclesErrors) {
    const auto s = rowsOf(session, "select sid, serial# from v$session where type='USER' order "
                                   "by sid");
    ASSERT_FALSE(s.empty());
    EXPECT_EQ(errorOf("alter system cancel sql '" + s[0][0] + "," + s[0][1] + "1'"), 30);
    EXPECT_EQ(errorOf("alter system cancel sql '99999,1'"), 30);
    EXPECT_EQ(errorOf("alter system cancel sql 'abc'"), 26);
    EXPECT_EQ(errorOf("alter system cancel sql '12'"), 26);
    EXPECT_EQ(errorOf("alter system cancel sql 12,1"), 26);
    EXPECT_EQ(errorOf("alter system cancel '12,1'"), 905);
    EXPECT_EQ(errorOf("alter system cancel sql '" + s[0][0] + "," + s[0][1] + "' immediate"), 933);
    // Killing keeps its own form.
    EXPECT_EQ(errorOf("alter system kill session '99999,1'"), 30);
}

TEST_F(CancelSql, NeedsTheAlterSystemPrivilege) {
    oradb::TOraSession scott;
    scott.Username = "scott";
    scott.Password = "tiger";
    scott.Server = session.Server;
    scott.ConnectDirect();
    const std::string sid = value("select min(sid) from v$session where type='USER'");
    const std::string serial = value("select serial# from v$session where sid=" + sid);
    try {
        oradb::TOraQuery q(&scott);
        q.SQL.Add("alter system cancel sql '" + sid + "," + serial + "'");
        q.ExecSQL();
        ADD_FAILURE() << "no error";
    } catch (const oradb::EOraError& e) {
        EXPECT_EQ(e.ErrorCode(), 1031);
    }
}

TEST_F(CancelSql, ARunningCallOfAnotherConnectionEndsWithOra01013AndItStaysConnected) {
    oradb::TOraSession other;
    other.Username = "system";
    other.Password = "lantern";
    other.Server = session.Server;
    other.ConnectDirect();
    oradb::TOraQuery own(&other);
    own.SQL.Add("select sid, serial# from v$session where sid=sys_context('USERENV','SID')");
    own.Open();
    const std::string sid = own.Fields(0).AsString(), serial = own.Fields(1).AsString();
    own.Close();

    oradb::sandbox::Fault slow;
    slow.fragment = "long_running_report";
    slow.delayMs = 120000;
    instance->addFault(slow);
    testing_support::CallGate gate("long_running_report", false);
    instance->setCallHook(gate.hook);
    auto call = std::async(std::launch::async, [&other]() -> int {
        try {
            oradb::TOraQuery q(&other);
            q.SQL.Add("select 1 long_running_report from dual");
            q.Open();
        } catch (const oradb::EOraError& e) {
            return e.ErrorCode();
        }
        return 0;
    });
    ASSERT_TRUE(gate.WaitArrived());
    EXPECT_EQ(errorOf("alter system cancel sql '" + sid + "," + serial + "'"), 0);
    ASSERT_EQ(call.wait_for(std::chrono::seconds(60)), std::future_status::ready);
    EXPECT_EQ(call.get(), 1013);
    instance->setCallHook({});
    instance->clearFaults();
    // The connection goes on working.
    oradb::TOraQuery next(&other);
    next.SQL.Add("select count(*) from dual");
    next.Open();
    EXPECT_EQ(next.Fields(0).AsString(), "1");
    EXPECT_EQ(count("sid=" + sid + " and serial#=" + serial), "1");
}

// The simulator's chains: the seeded chain (a holder and two waiters) clears at tick 10, forms
// again at 20 and clears at 30; at tick 40 a tree forms (a holder with three waiters, one of
// them blocking a session that blocks another) and clears at 50.
class SimulatedChains : public testing_support::SandboxTest {
protected:
    std::string blocked() {
        return value("select count(*) from v$session where blocking_session is not null");
    }
    // The longest path of blocking_session links, counted in sessions (at most 64 hops).
    int depth() {
        const auto rows = rowsOf(session, "select sid, blocking_session from v$session where "
                                          "blocking_session is not null");
        std::map<std::string, std::string> up;
        for (const auto& r : rows)
            up[r[0]] = r[1];
        int deepest = 0;
        for (const auto& r : rows) {
            int levels = 1;
            for (std::string at = r[0]; up.count(at) && levels < 64; at = up[at])
                ++levels;
            deepest = std::max(deepest, levels);
        }
        return deepest;
    }
    int mostWaiters() {
        return std::stoi(value("select nvl(max(n),0) from (select blocking_session, count(*) n "
                               "from v$session where blocking_session is not null group by "
                               "blocking_session)"));
    }
};

TEST_F(SimulatedChains, FormAndClearAtKnownTicksWithATreeAtTickForty) {
    EXPECT_EQ(blocked(), "2");
    EXPECT_EQ(depth(), 2);
    instance->step(10);
    EXPECT_EQ(blocked(), "0");
    instance->step(10);
    EXPECT_GE(std::stoi(blocked()), 2);
    instance->step(10);
    EXPECT_EQ(blocked(), "0");
    instance->step(10);
    EXPECT_EQ(blocked(), "5");
    EXPECT_EQ(depth(), 4);
    EXPECT_EQ(mostWaiters(), 3);
    // The middle sessions wait and hold: each holds a TX lock that somebody waits for.
    EXPECT_EQ(value("select count(*) from v$lock h where h.type='TX' and h.block=1 and exists "
                    "(select 1 from v$lock w where w.sid=h.sid and w.request>0)"),
              "2");
    EXPECT_EQ(value("select count(*) from v$session where blocking_session is not null and "
                    "event<>'enq: TX - row lock contention'"),
              "0");
    // Ticks in between leave the tree as it is, but for the pile-up five ticks after it formed:
    // eight more sessions wait for the root holder.
    instance->step(4);
    EXPECT_EQ(blocked(), "5");
    instance->step(1);
    EXPECT_EQ(blocked(), "13");
    EXPECT_EQ(depth(), 4);
    EXPECT_EQ(mostWaiters(), 11);
    instance->step(4);
    EXPECT_EQ(blocked(), "13");
    instance->step(1);
    EXPECT_EQ(blocked(), "0");
    EXPECT_EQ(value("select count(*) from v$session where lockwait is not null"), "0");
    EXPECT_EQ(value("select count(*) from v$lock where block=1 or request>0"), "0");
}

TEST_F(SimulatedChains, CancellingTheMiddleOfTheTreeLeavesItsOwnBranch) {
    instance->step(40);
    ASSERT_EQ(depth(), 4);
    // The waiter of the root that blocks others.
    const auto middle = rowsOf(session, "select s.sid, s.serial#, s.blocking_session from "
                                        "v$session s where s.blocking_session is not null and "
                                        "exists (select 1 from v$session w where "
                                        "w.blocking_session=s.sid) and exists (select 1 from "
                                        "v$session r where r.sid=s.blocking_session and "
                                        "r.blocking_session is null)");
    ASSERT_EQ(middle.size(), 1u);
    oradb::TOraQuery q(&session);
    q.SQL.Add("alter system cancel sql '" + middle[0][0] + "," + middle[0][1] + "'");
    q.ExecSQL();
    EXPECT_EQ(blocked(), "4");
    EXPECT_EQ(depth(), 3); // the middle session is a root now, with two levels below it
    EXPECT_EQ(value("select count(*) from v$session where blocking_session=" + middle[0][2]), "2");
    EXPECT_EQ(value("select status from v$session where sid=" + middle[0][0]), "INACTIVE");
}

} // namespace
