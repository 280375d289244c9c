// The simulator's episodes at known ticks: a CPU burst, an I/O storm of single-block reads and
// a lock pile-up behind the tree chain's holder that clears with the chain.
#include "support/SandboxFixture.h"

#include <gtest/gtest.h>
#include <string>

namespace {

class ActivityEpisodes : public testing_support::SandboxTest {
protected:
    void stepTo(std::uint64_t tick) {
        ASSERT_LE(instance->tickCount(), tick);
        instance->step(static_cast<int>(tick - instance->tickCount()));
        ASSERT_EQ(instance->tickCount(), tick);
    }
    int count(const std::string& where) {
        return std::stoi(value("select count(*) from v$session where type='USER' and " + where));
    }
    int onCpu() { return count("status='ACTIVE' and state<>'WAITING'"); }
    int userIo() { return count("status='ACTIVE' and state='WAITING' and wait_class='User I/O'"); }
    int blocked() { return count("blocking_session is not null"); }
};

TEST_F(ActivityEpisodes, ACpuBurstThenAnIoStormInEveryPeriod) {
    for (const std::uint64_t period : {0, 60}) {
        stepTo(period + 15);
        const int cpuBefore = onCpu();
        const int ioBefore = userIo();
        stepTo(period + 22);
        const int cpuInBurst = onCpu();
        EXPECT_GE(cpuInBurst, 14) << period;
        EXPECT_GE(cpuInBurst, cpuBefore + 8) << period;
        stepTo(period + 33);
        const int ioInStorm = userIo();
        EXPECT_GE(ioInStorm, 14) << period;
        EXPECT_GE(ioInStorm, ioBefore + 8) << period;
        EXPECT_GT(count("status='ACTIVE' and event='db file sequential read'"), 0);
    }
}

TEST_F(ActivityEpisodes, ALockPileUpGrowsBehindTheTreeAndClears) {
    stepTo(44);
    const int tree = blocked();
    EXPECT_EQ(tree, 5); // the tree chain of tick 40: six sessions, five of them waiting
    stepTo(45);
    const int pile = blocked();
    EXPECT_EQ(pile, tree + 8);
    // Every newcomer waits for the root holder, in a row-lock wait of class Application.
    EXPECT_EQ(count("blocking_session is not null and event='enq: TX - row lock contention' and "
                    "wait_class='Application'"),
              pile);
    stepTo(50);
    EXPECT_EQ(blocked(), 0);
    stepTo(85);
    EXPECT_EQ(blocked(), 13);
}

} // namespace
