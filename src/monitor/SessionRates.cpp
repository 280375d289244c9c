#include "monitor/SessionRates.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>
#include <string>

namespace monitor {

double StatisticValue(std::string_view text) {
    double value = 0;
    const char* end = text.data() + text.size();
    const auto parsed = std::from_chars(text.data(), end, value);
    return !text.empty() && parsed.ec == std::errc() && parsed.ptr == end
               ? value
               : std::numeric_limits<double>::quiet_NaN();
}

void OrderByStatistic(std::vector<TRSession>& sessions, bool byRate) {
    std::vector<std::pair<double, std::uint32_t>> keys;
    keys.reserve(sessions.size());
    for (std::size_t i = 0; i < sessions.size(); ++i) {
        const double value =
            byRate ? sessions[i].sortRate : StatisticValue(sessions[i].basic.fields[bfSortField]);
        keys.emplace_back(std::isnan(value) ? -std::numeric_limits<double>::infinity() : value,
                          static_cast<std::uint32_t>(i));
    }
    std::stable_sort(keys.begin(), keys.end(),
                     [](const auto& a, const auto& b) { return a.first > b.first; });
    bool ordered = true;
    for (std::size_t i = 0; i < keys.size() && ordered; ++i)
        ordered = keys[i].second == i;
    if (ordered)
        return;
    std::vector<TRSession> sorted;
    sorted.reserve(sessions.size());
    for (const auto& key : keys)
        sorted.push_back(std::move(sessions[key.second]));
    sessions = std::move(sorted);
}

std::uint64_t SessionKey(std::string_view sid, std::string_view serial) {
    std::uint32_t sidNumber = 0, serialNumber = 0;
    const auto a = std::from_chars(sid.data(), sid.data() + sid.size(), sidNumber);
    const auto b = std::from_chars(serial.data(), serial.data() + serial.size(), serialNumber);
    if (!sid.empty() && !serial.empty() && a.ec == std::errc() && b.ec == std::errc() &&
        a.ptr == sid.data() + sid.size() && b.ptr == serial.data() + serial.size() &&
        sidNumber < 0x80000000u)
        return (std::uint64_t{sidNumber} << 32) | serialNumber;
    std::string text(sid);
    text += ',';
    text += serial;
    return std::hash<std::string>{}(text) | (std::uint64_t{1} << 63);
}

namespace {

// Keeps one figure per key (the first; a session is not read twice), sorted by key.
void sortFigures(TRateFigures& figures) {
    std::stable_sort(figures.begin(), figures.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    figures.erase(std::unique(figures.begin(), figures.end(),
                              [](const auto& a, const auto& b) { return a.first == b.first; }),
                  figures.end());
}

// Gives `current` its rates against `before` and returns its own figures, each session's key
// and figure read once.
TRateFigures rateAgainst(const TRateFigures& before, TDateTime previousTime,
                         std::vector<TRSession>& current, TDateTime now) {
    const double seconds = (now - previousTime) * 86400.0;
    TRateFigures figures;
    figures.reserve(current.size());
    for (TRSession& s : current) {
        const std::uint64_t key = RateKey(s);
        const double value = StatisticValue(s.basic.fields[bfSortField]);
        figures.emplace_back(key, value);
        s.sortRate = std::numeric_limits<double>::quiet_NaN();
        s.changed = false;
        if (previousTime <= 0)
            continue;
        const auto it =
            std::lower_bound(before.begin(), before.end(), key,
                             [](const auto& figure, std::uint64_t k) { return figure.first < k; });
        if (it == before.end() || it->first != key || std::isnan(value) || std::isnan(it->second))
            continue;
        s.changed = value != it->second;
        if (seconds > 0)
            s.sortRate = (value - it->second) / seconds;
    }
    sortFigures(figures);
    return figures;
}

} // namespace

TRateFigures RateFigures(const std::vector<TRSession>& sessions) {
    TRateFigures figures;
    figures.reserve(sessions.size());
    for (const TRSession& s : sessions)
        figures.emplace_back(RateKey(s), StatisticValue(s.basic.fields[bfSortField]));
    sortFigures(figures);
    return figures;
}

void ComputeSortRates(const TRateFigures& before, TDateTime previousTime,
                      std::vector<TRSession>& current, TDateTime now) {
    rateAgainst(before, previousTime, current, now);
}

void ComputeSortRates(const std::vector<TRSession>& previous, TDateTime previousTime,
                      std::vector<TRSession>& current, TDateTime now) {
    ComputeSortRates(RateFigures(previous), previousTime, current, now);
}

void TRateBaseline::Advance(std::vector<TRSession>& current, const std::string& sortStatistic,
                            TDateTime now) {
    // Rates compare figures of one statistic only.
    figures = rateAgainst(figures, sortStatistic == statistic ? time : 0, current, now);
    statistic = sortStatistic;
    time = now;
}

} // namespace monitor
