#include "monitor/SessionRates.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <string>
#include <unordered_map>

namespace monitor {

double StatisticValue(const std::string& text) {
    double value = 0;
    const char* end = text.data() + text.size();
    const auto parsed = std::from_chars(text.data(), end, value);
    return !text.empty() && parsed.ec == std::errc() && parsed.ptr == end
               ? value
               : std::numeric_limits<double>::quiet_NaN();
}

void ComputeSortRates(const std::vector<TRSession>& previous, TDateTime previousTime,
                      std::vector<TRSession>& current, TDateTime now) {
    std::unordered_map<std::string, double> before;
    before.reserve(previous.size());
    for (const TRSession& s : previous)
        before[s.basic.fields[bfSid] + "," + s.basic.fields[bfSerial]] =
            StatisticValue(s.basic.fields[bfSortField]);
    const double seconds = (now - previousTime) * 86400.0;
    for (TRSession& s : current) {
        s.sortRate = std::numeric_limits<double>::quiet_NaN();
        s.changed = false;
        const auto it = before.find(s.basic.fields[bfSid] + "," + s.basic.fields[bfSerial]);
        if (it == before.end() || previousTime <= 0)
            continue;
        const double value = StatisticValue(s.basic.fields[bfSortField]);
        if (std::isnan(value) || std::isnan(it->second))
            continue;
        s.changed = value != it->second;
        if (seconds > 0)
            s.sortRate = (value - it->second) / seconds;
    }
}

} // namespace monitor
