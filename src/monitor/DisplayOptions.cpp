#include "monitor/DisplayOptions.h"

#include "oradb/OraNumber.h"

#include <stdexcept>

namespace monitor {

bool StatisticBelongsToClass(const std::string& classText, int code) {
    if (classText == std::to_string(code))
        return true;
    const auto value = oradb::parseInteger(classText);
    return value && *value > 0 && *value <= 255 && (*value & code) != 0;
}

TClassStatistics StatisticsOfClass(const TPvConnection& monitor, const std::string& className) {
    TClassStatistics result;
    const auto code = oradb::parseInteger(monitor.StatisticClassList.Value(className));
    if (!code)
        return result;
    for (const TStatisticsType& s : monitor.StatisticNames) {
        if (!StatisticBelongsToClass(s[2], static_cast<int>(*code)))
            continue;
        if (s[0] == monitor.SortStatisticNumber && result.selected < 0)
            result.selected = static_cast<int>(result.names.size());
        result.names.push_back(s[1]);
    }
    if (result.selected < 0 && !result.names.empty())
        result.selected = 0;
    return result;
}

void ApplyOptions(TPvConnection& monitor, const TOptionsValues& values) {
    bool changed = false;
    if (values.showBackground != monitor.ShowBackgroundSessions) {
        monitor.ShowBackgroundSessions = values.showBackground;
        changed = true;
    }
    if (values.showKilled != monitor.ShowKilledSessions) {
        monitor.ShowKilledSessions = values.showKilled;
        changed = true;
    }
    monitor.SetAutoRefresh(values.autoRefresh);
    const auto seconds = oradb::parseInteger(values.intervalText);
    if (!seconds || *seconds > 2147483 || *seconds < -2147483)
        throw std::invalid_argument("'" + values.intervalText + "' is not a valid integer value");
    monitor.SetRefreshInterval(static_cast<int>(*seconds));
    bool recaption = false;
    if (!values.statisticName.empty() && values.statisticName != monitor.SortStatisticName) {
        monitor.SortStatisticClass = monitor.StatisticClassList.Value(values.className);
        monitor.SortStatisticName = values.statisticName;
        monitor.SortStatisticNumber = monitor.StatisticNumberList.Value(values.statisticName);
        recaption = true;
    }
    if (values.sortRate != monitor.ShowSortRate) {
        monitor.ShowSortRate = values.sortRate;
        recaption = true;
    }
    if (values.columns != monitor.ListColumns) {
        monitor.ListColumns = values.columns;
        recaption = true;
    }
    if (recaption) {
        monitor.Notify(ncRebuildListColumns);
        changed = true;
    }
    if (changed)
        monitor.Refresh();
}

} // namespace monitor
