// The session list: the list worker TBasicThread, which fetches the sessions of the instance
// ordered by the sort statistic and hands them to the monitor as a new session array, and the
// observer TPvSesslistObserver, which renders that array into the session list model.
#pragma once

#include "monitor/Monitor.h"
#include "monitor/SessionFilterModel.h"
#include "monitor/SessionListModel.h"
#include "monitor/SessionRates.h"
#include "oradb/OraQuery.h"

#include <memory>
#include <string>

namespace oradb {
class TOraQuery;
}

namespace monitor {

class TBasicThread final : public TWorkerThread {
public:
    TBasicThread(TPvConnection& monitor, oradb::TOraQuery& query);
    ~TBasicThread() override;
    // The text of the last failure (empty after a success or a silent abandon).
    std::string ErrorText;
    // The optional columns the statement reads; set before the start.
    TColumnSet Columns = DefaultColumns();
    // The sort statistic's number the statement reads, and the figures of the last read that
    // the rates are computed against; set before the start.
    std::string Statistic;
    std::shared_ptr<TRateBaseline> Baseline;
    // The records are put in the order of the rates (else of the totals); set before the start.
    bool ByRate = false;

protected:
    void Execute() override;
    void CancelRunningCall() override;

private:
    // Fills the Progress of the sessions in a long operation, by one statement after the list.
    void ReadLongOperations(std::vector<TRSession>& sessions);

    TPvConnection& monitor_;
    oradb::TOraQuery& query_;
    oradb::TOraQuery longOperations_;
};

// The heading of the statistic column: the sort statistic's name, with "/s" when the list shows
// its change per second.
QString StatisticCaption(const TPvConnection& monitor);

class TPvSesslistObserver final : public IPvObserver {
public:
    TPvSesslistObserver(TPvConnection& monitor, TSessionListModel& list,
                        const TSessionFilterModel* filter = nullptr)
        : monitor_(monitor), list_(list), filter_(filter) {
        list_.SetStatisticOrdered(true);
    }
    void Update(TPvConnection& monitor, int code) override;
    // The list as shown, whose count the status bar gives ("3 of 12 sessions").
    void SetFilter(const TSessionFilterModel* filter) { filter_ = filter; }

private:
    void RebuildColumns();
    // Gives the list the records to show, and how.
    void ShowSessions();
    // After a refresh: the status bar and the selected session's row.
    void ShowRefresh();
    TPvConnection& monitor_;
    TSessionListModel& list_;
    const TSessionFilterModel* filter_; // the list as shown, for the count; may be null
};

} // namespace monitor
