#include "monitor/WaitFigures.h"

#include "monitor/DatabaseInfo.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace monitor {

namespace {

// Oracle's idle events, as its "Idle" wait class lists them (and as releases without wait
// classes treat them).
constexpr std::array<std::string_view, 27> kIdleEvents = {
    "SQL*Net message from client",
    "SQL*Net message from dblink",
    "rdbms ipc message",
    "pmon timer",
    "smon timer",
    "wakeup time manager",
    "jobq slave wait",
    "queue messages",
    "virtual circuit status",
    "dispatcher timer",
    "Queue Monitor Wait",
    "Queue Monitor Slave Wait",
    "Queue Monitor Shutdown Wait",
    "pipe get",
    "PL/SQL lock timer",
    "PX Idle Wait",
    "PX Deq: Execution Msg",
    "PX Deq: Table Q Normal",
    "PX Deque wait",
    "PX Deq Credit: send blkd",
    "lock manager wait for remote message",
    "ges remote message",
    "gcs remote message",
    "i/o slave wait",
    "single-task message",
    "client message",
    "Null event",
};

} // namespace

std::string FormatWaitTime(double seconds) {
    if (std::fabs(seconds) < 1.0)
        return FormatFixed(seconds * 1000.0, 0) + " ms";
    return FormatFixed(seconds, 3) + " s";
}

std::optional<double> ParseWaitTime(const std::string& text) {
    if (text.ends_with(" ms")) {
        const auto value = ParseLocaleNumber(text.substr(0, text.size() - 3));
        return value ? std::optional<double>(*value / 1000.0) : std::nullopt;
    }
    if (text.ends_with(" s"))
        return ParseLocaleNumber(text.substr(0, text.size() - 2));
    return ParseLocaleNumber(text);
}

bool IsIdleEvent(std::string_view event) {
    return std::ranges::find(kIdleEvents, event) != kIdleEvents.end();
}

} // namespace monitor
