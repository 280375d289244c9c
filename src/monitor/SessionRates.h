// What is busy now: the sort statistic as a change per second between two refreshes of the
// session list, and which sessions' figures changed. A session is the same one when its SID and
// serial# are; a new session (or a reused SID) has no rate yet. Plain values, computed on the
// list worker so that taking a large list costs the window nothing more.
#pragma once

#include "monitor/SessionRecords.h"

#include <cstdint>
#include <string>
#include <vector>

namespace monitor {

// A statistic's figure as the instance gives it (digits, a point, maybe a sign and an exponent);
// NaN for anything else, an empty text among them.
double StatisticValue(std::string_view text);

// The sort statistic's figures of one read of the list, by SID and serial# (RateKey).
// Sorted by key.
using TRateFigures = std::vector<std::pair<std::uint64_t, double>>;
// A session's SID and serial# as one number: the SID in the upper half, the serial# in the
// lower. Were either not a whole number, a hash of both texts with the top bit set.
std::uint64_t SessionKey(std::string_view sid, std::string_view serial);
inline std::uint64_t RateKey(const TRSession& s) {
    return SessionKey(s.basic.fields[bfSid], s.basic.fields[bfSerial]);
}
TRateFigures RateFigures(const std::vector<TRSession>& sessions);

// Gives each of `current` (read at `now`) its rate and changed flag against the figures `before`
// (read at `previousTime`; no figures or a time of 0 mean there was no previous refresh).
void ComputeSortRates(const TRateFigures& before, TDateTime previousTime,
                      std::vector<TRSession>& current, TDateTime now);
void ComputeSortRates(const std::vector<TRSession>& previous, TDateTime previousTime,
                      std::vector<TRSession>& current, TDateTime now);

// Puts the sessions in the order of the statistic column, highest first: by their rates or by
// their totals, a session without a figure last, sessions of equal figures in their order. It
// is the order the session list shows until the user sorts by another column.
void OrderByStatistic(std::vector<TRSession>& sessions, bool byRate);

// What the next read of the list computes its rates against: the figures of the last read, of
// which statistic, and when. Kept by the monitor for its list workers, which run one after the
// other (each starts after the previous one ended), so that it needs no lock.
struct TRateBaseline {
    TRateFigures figures;
    std::string statistic; // the sort statistic's number
    TDateTime time = 0;    // 0: no read yet
    // Gives `current` (read at `now`, sorted by `statistic`) its rates, then keeps its figures.
    void Advance(std::vector<TRSession>& current, const std::string& statistic, TDateTime now);
};

} // namespace monitor
