#include "monitor/SessionRates.h"

#include <cmath>
#include <limits>
#include <string>
#include <unordered_map>

namespace monitor {

namespace {

double valueOf(const std::string& text) {
    try {
        std::size_t used = 0;
        const double value = std::stod(text, &used);
        return used == text.size() ? value : std::numeric_limits<double>::quiet_NaN();
    } catch (...) {
        return std::numeric_limits<double>::quiet_NaN();
    }
}

} // namespace

void ComputeSortRates(const std::vector<TRSession>& previous, TDateTime previousTime,
                      std::vector<TRSession>& current, TDateTime now) {
    std::unordered_map<std::string, double> before;
    before.reserve(previous.size());
    for (const TRSession& s : previous)
        before[s.basic.fields[bfSid] + "," + s.basic.fields[bfSerial]] =
            valueOf(s.basic.fields[bfSortField]);
    const double seconds = (now - previousTime) * 86400.0;
    for (TRSession& s : current) {
        s.sortRate = std::numeric_limits<double>::quiet_NaN();
        s.changed = false;
        const auto it = before.find(s.basic.fields[bfSid] + "," + s.basic.fields[bfSerial]);
        if (it == before.end() || previousTime <= 0)
            continue;
        const double value = valueOf(s.basic.fields[bfSortField]);
        if (std::isnan(value) || std::isnan(it->second))
            continue;
        s.changed = value != it->second;
        if (seconds > 0)
            s.sortRate = (value - it->second) / seconds;
    }
}

} // namespace monitor
