#include "monitor/SessionRates.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <string>

namespace monitor {

double StatisticValue(const std::string& text) {
    double value = 0;
    const char* end = text.data() + text.size();
    const auto parsed = std::from_chars(text.data(), end, value);
    return !text.empty() && parsed.ec == std::errc() && parsed.ptr == end
               ? value
               : std::numeric_limits<double>::quiet_NaN();
}

namespace {

std::string rateKey(const TRSession& s) {
    std::string key;
    key.reserve(s.basic.fields[bfSid].size() + s.basic.fields[bfSerial].size() + 1);
    key += s.basic.fields[bfSid];
    key += ',';
    key += s.basic.fields[bfSerial];
    return key;
}

} // namespace

TRateFigures RateFigures(const std::vector<TRSession>& sessions) {
    TRateFigures figures;
    figures.reserve(sessions.size());
    for (const TRSession& s : sessions)
        figures[rateKey(s)] = StatisticValue(s.basic.fields[bfSortField]);
    return figures;
}

void ComputeSortRates(const TRateFigures& before, TDateTime previousTime,
                      std::vector<TRSession>& current, TDateTime now) {
    const double seconds = (now - previousTime) * 86400.0;
    for (TRSession& s : current) {
        s.sortRate = std::numeric_limits<double>::quiet_NaN();
        s.changed = false;
        if (previousTime <= 0)
            continue;
        const auto it = before.find(rateKey(s));
        if (it == before.end())
            continue;
        const double value = StatisticValue(s.basic.fields[bfSortField]);
        if (std::isnan(value) || std::isnan(it->second))
            continue;
        s.changed = value != it->second;
        if (seconds > 0)
            s.sortRate = (value - it->second) / seconds;
    }
}

void ComputeSortRates(const std::vector<TRSession>& previous, TDateTime previousTime,
                      std::vector<TRSession>& current, TDateTime now) {
    ComputeSortRates(RateFigures(previous), previousTime, current, now);
}

void TRateBaseline::Advance(std::vector<TRSession>& current, const std::string& sortStatistic,
                            TDateTime now) {
    // Rates compare figures of one statistic only.
    ComputeSortRates(figures, sortStatistic == statistic ? time : 0, current, now);
    figures = RateFigures(current);
    statistic = sortStatistic;
    time = now;
}

} // namespace monitor
