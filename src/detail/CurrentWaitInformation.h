// The waiting-block lookup: TCurrentWaitInformationThread finds the segment that owns a data
// block (file id, block id) in dba_extents and lists it on the "Object" page. Each lookup has a
// query of its own, so that it never shares one with the user-interface thread or with another
// lookup. Made and started on the user-interface thread (TPvConnection::StartLookup); its query
// runs on the worker, the page is filled on the user-interface thread.
#pragma once

#include "detail/DetailListModel.h"
#include "monitor/Monitor.h"

#include <array>
#include <functional>
#include <memory>
#include <string_view>

namespace oradb {
class TOraQuery;
}

namespace detail {

// The wait events whose P1 and P2 are a file id and a block id, in this order.
inline constexpr std::array<std::string_view, 15> kBlockWaitEvents = {
    "control file sequential read",
    "db file scattered read",
    "db file sequential read",
    "control file single write",
    "db file single write",
    "free buffer waits",
    "write complete waits",
    "buffer busy waits",
    "buffer busy due to global cache",
    "buffer read retry",
    "conversion file read",
    "global cache lock busy",
    "global cache lock cleanup",
    "global cache lock null to s",
    "global cache lock null to x"};

bool IsBlockWaitEvent(std::string_view event);

// The lookup SQL for a file id and a block id.
std::string WaitInformationSqlText(std::int32_t fileId, std::int32_t blockId);

// The widgets of the "Object" page that a lookup fills.
struct TWaitInformationTarget {
    TDetailListModel* information = nullptr;    // waitObjectList
    TDetailListModel* currentWaits = nullptr;   // currentWaitsList
    std::function<void(bool)> setSearchEnabled; // searchButton
};

class TCurrentWaitInformationThread final : public monitor::TWorkerThread {
public:
    // Takes the monitor's waiting block (file id, block id) as it is now; the query is made on
    // the monitor's session.
    TCurrentWaitInformationThread(monitor::TPvConnection& monitor, TWaitInformationTarget target);
    ~TCurrentWaitInformationThread() override;
    // The result: file id -1 when nothing was found.
    const monitor::TRObjFB& Result() const { return result_; }

protected:
    void Execute() override;
    void CancelRunningCall() override;

private:
    void ShowResult();
    monitor::TPvConnection& monitor_;
    TWaitInformationTarget target_;
    std::unique_ptr<oradb::TOraQuery> query_;
    std::int32_t fileId_, blockId_;
    monitor::TRObjFB result_;
};

// Starts a lookup of the monitor's waiting block on the monitor (it does nothing while the
// waiting-block state is not 0).
void StartWaitInformationLookup(monitor::TPvConnection& monitor,
                                const TWaitInformationTarget& target);

// The columns of waitObjectList.
std::vector<TDetailListModel::Column> WaitInformationColumns();

} // namespace detail
