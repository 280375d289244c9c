// Session statistics: TStatisticsThread fetches every statistic of the selected session from
// v$sesstat, named through v$statname, largest value first; TSessStatisticsObserver renders the
// ones whose class passes the selected statistic class, so that a class change re-renders from
// the record without a query. The thread runs its query on a worker; everything else runs on
// the user-interface thread.
#pragma once

#include "detail/DetailListModel.h"
#include "detail/DetailThread.h"
#include "monitor/Monitor.h"

namespace oradb {
class TOraQuery;
}

namespace detail {

class TStatisticsThread final : public TDetailThread {
public:
    TStatisticsThread(monitor::TPvConnection& monitor, oradb::TOraQuery& query);
    ~TStatisticsThread() override;

protected:
    void Execute() override;

private:
    void StoreRows();
};

// The statistics SQL for a sid (it begins with a blank).
std::string StatisticsSqlText(const std::string& sid);

void RegisterStatisticsThread(monitor::TPvConnection& monitor);

// Whether a statistic of class text `classText` is listed while class value `selected` is
// chosen: always for 0, for the same number, and for a sum of distinct class bits up to 255
// that holds the selected bit.
bool StatisticClassPasses(const std::string& classText, int selected);

// The class code of a class name of the selector, or 0 when the name is not a class.
int StatisticClassCode(const std::string& name);

class TSessStatisticsObserver final : public monitor::IPvObserver {
public:
    TSessStatisticsObserver(monitor::TPvConnection& monitor, TDetailListModel& list);
    void Update(monitor::TPvConnection& monitor, int code) override;
    void SetActive(bool active);
    bool Active() const { return active_; }
    static std::vector<TDetailListModel::Column> ListColumns();

private:
    void Render();
    monitor::TPvConnection& monitor_;
    TDetailListModel& list_;
    bool active_ = false;
};

} // namespace detail
