// What is busy now: the sort statistic as a change per second between two refreshes of the
// session list, and which sessions' figures changed. A session is the same one when its SID and
// serial# are; a new session (or a reused SID) has no rate yet. Plain values; user-interface
// thread.
#pragma once

#include "monitor/SessionRecords.h"

#include <string>
#include <vector>

namespace monitor {

// A statistic's figure as the instance gives it (digits, a point, maybe a sign and an exponent);
// NaN for anything else, an empty text among them.
double StatisticValue(const std::string& text);

// Gives each of `current` (read at `now`) its rate and changed flag against `previous` (read at
// `previousTime`; an empty list or a time of 0 means there was no previous refresh).
void ComputeSortRates(const std::vector<TRSession>& previous, TDateTime previousTime,
                      std::vector<TRSession>& current, TDateTime now);

} // namespace monitor
