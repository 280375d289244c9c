// TDbCallClock: how long the process has had at least one database call in progress. Every call
// of TOraQuery and TOraSQL to its driver counts, on whatever thread; calls that overlap count
// once. The time of a piece of work minus the growth of this clock meanwhile is the time the
// work spent in the program itself. Any thread.
#pragma once

#include <chrono>
#include <mutex>

namespace oradb {

class TDbCallClock {
public:
    using Clock = std::chrono::steady_clock;

    static TDbCallClock& instance();

    // A call to the driver begins or ends; every Enter is followed by one Leave.
    void Enter();
    void Leave();
    // The time so far with at least one call in progress, a call running now included.
    Clock::duration Busy();

private:
    std::mutex mutex_;
    int active_ = 0;
    Clock::time_point since_{};
    Clock::duration busy_{};
};

} // namespace oradb
