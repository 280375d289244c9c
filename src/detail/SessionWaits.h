// Session events and current wait: TWaitsThread fetches the selected session's accumulated wait
// events (v$session_event) and its current wait (v$session_wait) into its record;
// TSessWaitsObserver renders them into the "Session Event" lists. The thread runs its queries
// on a worker; everything else runs on the user-interface thread.
#pragma once

#include "detail/DetailListModel.h"
#include "detail/DetailThread.h"
#include "monitor/Monitor.h"

#include <array>
#include <string_view>

namespace oradb {
class TOraQuery;
}

namespace detail {

// Select list, result field names and captions of the events list, with the column widths.
inline constexpr std::array<std::string_view, 7> kEventColumns = {
    "Sid", "Event", "Total_Waits", "Total_Timeouts", "Time_Waited", "Average_Wait", "Max_Wait"};
inline constexpr std::array<int, 7> kEventColumnWidths = {50, 200, 80, 80, 80, 80, 50};

// The events whose P1 is a driver id and P2 a byte count.
inline constexpr std::array<std::string_view, 8> kSqlNetEvents = {
    "SQL*Net message from client",   "SQL*Net message from dblink", "SQL*Net more data from client",
    "SQL*Net more data from dblink", "SQL*Net message to client",   "SQL*Net message to dblink",
    "SQL*Net more data to client",   "SQL*Net more data to dblink"};

std::string EventsSqlText(const std::string& sid);
std::string CurrentWaitSqlText(const std::string& sid);

class TWaitsThread final : public TDetailThread {
public:
    TWaitsThread(monitor::TPvConnection& monitor, oradb::TOraQuery& query);
    ~TWaitsThread() override;

protected:
    void Execute() override;

private:
    void StoreEvents();
    void StoreCurrentWait();
};

void RegisterWaitsThread(monitor::TPvConnection& monitor);

class TSessWaitsObserver final : public monitor::IPvObserver {
public:
    // Replaces the columns of the events list by the seven event columns.
    TSessWaitsObserver(monitor::TPvConnection& monitor, TDetailListModel& events,
                       TDetailListModel& currentWaits);
    void Update(monitor::TPvConnection& monitor, int code) override;
    void SetActive(bool active);
    bool Active() const { return active_; }
    // The columns of currentWaitsList.
    static std::vector<TDetailListModel::Column> CurrentWaitColumns();

private:
    void RenderEvents();
    void RenderCurrentWait();
    monitor::TPvConnection& monitor_;
    TDetailListModel& events_;
    TDetailListModel& currentWaits_;
    bool active_ = false;
};

} // namespace detail
