// The display options as the options dialog reads and applies them: which statistics belong to a
// statistic class, and applying the dialog's values to the monitor. User-interface thread only.
#pragma once

#include "monitor/Monitor.h"

#include <string>
#include <vector>

namespace monitor {

// A statistic belongs to a class when its class text is the class code, or when its class value
// is a sum of class bits that includes the code (values above 255 belong to no class).
bool StatisticBelongsToClass(const std::string& classText, int code);

// The names of the class's statistics in the monitor's v$statname order, and the position of the
// one to select: the sort statistic's, else the first (-1 when the list is empty).
struct TClassStatistics {
    std::vector<std::string> names;
    int selected = -1;
};
TClassStatistics StatisticsOfClass(const TPvConnection& monitor, const std::string& className);

// What the options dialog holds when it closes with OK.
struct TOptionsValues {
    bool autoRefresh = false;
    std::string intervalText; // seconds, as typed
    bool showBackground = false;
    bool showKilled = true;
    std::string className;                 // the chosen statistic class
    std::string statisticName;             // the chosen sort statistic ("" when the list is empty)
    bool sortRate = false;                 // the statistic shown as its change per second
    TColumnSet columns = DefaultColumns(); // the optional columns of the session list
};

// Applies the values: the display flags, auto refresh, the interval (raises
// std::invalid_argument for a text that is not an integer, after the first two took effect),
// the sort statistic and whether it shows as a rate (re-captions the sort column), the optional
// columns (rebuilds the list's columns); refreshes the
// list when the flags or the sort statistic changed.
void ApplyOptions(TPvConnection& monitor, const TOptionsValues& values);

} // namespace monitor
