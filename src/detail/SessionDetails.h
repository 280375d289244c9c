// Session details: TDetailsThread fetches the selected session's row of v$session into its
// record (every column as a name/value pair, raw columns as upper-case hexadecimal), and
// TSessDetailsObserver renders the record into the "Session Details" list. The thread runs its
// query on a worker; everything else runs on the user-interface thread.
#pragma once

#include "detail/DetailListModel.h"
#include "detail/DetailThread.h"
#include "monitor/Monitor.h"

namespace oradb {
class TOraQuery;
}

namespace detail {

class TDetailsThread final : public TDetailThread {
public:
    TDetailsThread(monitor::TPvConnection& monitor, oradb::TOraQuery& query);
    ~TDetailsThread() override;

protected:
    void Execute() override;

private:
    void StoreRow();
};

// "select * from v$session where sid=" and the sid, unquoted.
std::string DetailsSqlText(const std::string& sid);

// Registers how the monitor makes a details thread: the SQL for the selected session is put
// into the details query and the thread holds that query.
void RegisterDetailsThread(monitor::TPvConnection& monitor);

class TSessDetailsObserver final : public monitor::IPvObserver {
public:
    TSessDetailsObserver(monitor::TPvConnection& monitor, TDetailListModel& list);
    void Update(monitor::TPvConnection& monitor, int code) override;
    // The shown switch: stores the flag and sets the monitor's show-details flag to match.
    void SetActive(bool active);
    bool Active() const { return active_; }
    // The columns of sessionDetailsList.
    static std::vector<TDetailListModel::Column> ListColumns();

private:
    void Render();
    monitor::TPvConnection& monitor_;
    TDetailListModel& list_;
    bool active_ = false;
};

} // namespace detail
