// One active session as one activity sample saw it, and the wait classes that the history
// charts and sums up. Plain data: any thread.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace history {

struct TActivitySample {
    std::int64_t sid = 0;
    std::int64_t serial = 0;
    std::string user, program, machine;
    std::string sqlId;     // v$session.sql_id, or the hash value before 10g; empty when none
    std::string event;     // the wait event; empty while on CPU
    std::string waitClass; // "CPU" while on CPU
    bool onCpu = false;
    std::int64_t blocker = 0; // SID of the blocking session; 0 when none
};

// One sampling instant (seconds since the epoch) and the active sessions it saw.
struct TActivityBatch {
    std::int64_t time = 0;
    std::vector<TActivitySample> samples;
};

// The wait classes in chart order; a class outside the list counts as "Other".
inline const std::vector<std::string>& ChartWaitClasses() {
    static const std::vector<std::string> classes{"CPU",           "User I/O",    "System I/O",
                                                  "Concurrency",   "Application", "Commit",
                                                  "Configuration", "Network",     "Other"};
    return classes;
}

} // namespace history
