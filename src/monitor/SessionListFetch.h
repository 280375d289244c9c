// The session list: the list worker TBasicThread, which fetches the sessions of the instance
// ordered by the sort statistic and hands them to the monitor as a new session array, and the
// observer TPvSesslistObserver, which renders that array into the session list model.
#pragma once

#include "monitor/Monitor.h"
#include "monitor/SessionListModel.h"

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

protected:
    void Execute() override;
    void CancelRunningCall() override;

private:
    TPvConnection& monitor_;
    oradb::TOraQuery& query_;
};

class TPvSesslistObserver final : public IPvObserver {
public:
    TPvSesslistObserver(TPvConnection& monitor, TSessionListModel& list)
        : monitor_(monitor), list_(list) {}
    void Update(TPvConnection& monitor, int code) override;

private:
    void RebuildColumns();
    void RenderRows();
    TPvConnection& monitor_;
    TSessionListModel& list_;
};

} // namespace monitor
