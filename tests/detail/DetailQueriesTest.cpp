// What the sandbox gives the detail pages to show, as the simulator moves on: block waits on
// blocks of known segments, statistics of every class, memory figures that change.
#include "DetailSupport.h"

namespace {

class SandboxForDetails : public ::testing::Test {
protected:
    std::shared_ptr<oradb::sandbox::Instance> instance = testing_support::openInstance(
        ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::string One(const std::string& sql) { return instance->sqliteRows(sql).at(0).at(0); }
};

TEST_F(SandboxForDetails, BlockWaitsReadBlocksThatBelongToExtents) {
    int seen = 0;
    for (int tick = 0; tick < 6; ++tick) {
        const auto waits = instance->sqliteRows(
            "select sid, p1, p2 from \"v$session_wait\" where event in ('db file sequential "
            "read', 'db file scattered read')");
        for (const auto& w : waits) {
            ++seen;
            EXPECT_EQ(One("select count(*) from dba_extents e join dba_data_files f using "
                          "(file_id) where file_id = " +
                          w[1] + " and e.block_id <= " + w[2] + " and e.block_id + e.blocks > " +
                          w[2]),
                      "1")
                << "sid " << w[0] << " file " << w[1] << " block " << w[2];
        }
        instance->step(5);
    }
    EXPECT_GT(seen, 6);
}

TEST_F(SandboxForDetails, UserSessionsHaveStatisticsOfEveryClassThatGrow) {
    for (const auto& c : monitor::kStatisticClasses) {
        const std::string bit = std::to_string(c.code);
        EXPECT_NE(One("select count(*) from \"v$statname\" where (class & " + bit + ") = " + bit),
                  "0")
            << c.name;
    }
    // The counts of the sessions still logged on (same sid and serial#) grow, and some do.
    const std::string sums =
        "select s.sid || ':' || s.\"serial#\", sum(st.value) from \"v$session\" s join "
        "\"v$sesstat\" st on st.sid = s.sid where s.type = 'USER' group by s.sid, s.\"serial#\"";
    std::map<std::string, long long> before;
    for (const auto& r : instance->sqliteRows(sums))
        before[r[0]] = std::stoll(r[1]);
    instance->step(5);
    int grew = 0, kept = 0;
    for (const auto& r : instance->sqliteRows(sums)) {
        const auto it = before.find(r[0]);
        if (it == before.end())
            continue;
        ++kept;
        EXPECT_GE(std::stoll(r[1]), it->second) << r[0];
        grew += std::stoll(r[1]) > it->second;
    }
    EXPECT_GT(kept, 10);
    EXPECT_GT(grew, 0);
}

TEST_F(SandboxForDetails, MemoryFiguresMoveBetweenProbes) {
    const std::string probe = "select (select sum(pins) from \"v$librarycache\") || ',' || "
                              "(select sum(gets) from \"v$rowcache\") || ',' || (select value "
                              "from \"v$sysstat\" where name = 'consistent gets') || ',' || "
                              "(select sum(bytes) from \"v$sgastat\" where name = 'free memory')";
    const std::string first = One(probe);
    instance->step(3);
    EXPECT_NE(One(probe), first);
}

} // namespace
