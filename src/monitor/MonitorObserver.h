// The observer side of the monitor: the notification codes, the observer interface and the host
// interface through which the monitor reaches the main window (status bar, close button, probe
// history, the worker-error message). User-interface thread only.
#pragma once

#include <string>

namespace monitor {

class TPvConnection;

// Notification codes the monitor sends to its observers.
enum TNotifyCode : int {
    ncListFetched = 2,
    ncRebuildListColumns = 4,
    ncDetailsStored = 5,
    ncCurrentWaitLoading = 15,
    ncEventsLoading = 16,
    ncCurrentWaitStored = 17,
    ncEventsStored = 18,
    ncCurrentSqlLoading = 19,
    ncCursorsLoading = 20,
    ncCurrentSqlStored = 21,
    ncCursorsStored = 22,
    ncLocksLoading = 23,
    ncLocksStored = 24,
    ncStatisticsLoading = 25,
    ncStatisticsStored = 26,
    ncCurrentSqlFailed = 27,
    ncCursorsFailed = 28,
    // The session records are about to be replaced by a new read of the list, and have been:
    // what reads them (the session list) lets go of them, then takes the new ones.
    ncSessionsReplacing = 29,
    ncSessionsReplaced = 30,
};

class IPvObserver {
public:
    virtual ~IPvObserver() = default;
    virtual void Update(TPvConnection& monitor, int code) = 0;
};

// What the monitor needs of the window that shows it.
class TMonitorHost {
public:
    virtual ~TMonitorHost() = default;
    // Status bar panel 0, 1 or 2.
    virtual void SetStatusPanel(int panel, const std::string& text) = 0;
    // Message 1034 has arrived: a worker failed; its text is the monitor's LastError().
    virtual void WorkerFailed() = 0;
    // The "&Close" button of the detail pages.
    virtual void SetCloseButtonVisible(bool visible) = 0;
    // Empties the memory probe history list.
    virtual void ClearProbeHistory() = 0;
};

} // namespace monitor
