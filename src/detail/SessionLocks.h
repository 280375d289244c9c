// The "Session Locks" view: the worker TLocksThread, which reads the selected session's locks
// together with every requested and every blocking lock of the instance (v$lock) and groups
// blockers with their waiters, and the observer TSessLocksObserver, which renders the session's
// own locks and the blocking chains it takes part in into lockList. The thread's constructor, the
// grouping and the observer run on the user-interface thread.
#pragma once

#include "detail/DetailThread.h"
#include "monitor/Monitor.h"
#include "monitor/SessionListModel.h"

#include <functional>
#include <string>
#include <vector>

namespace oradb {
class TOraQuery;
}

namespace detail {

// The locks query of a session.
std::string BuildLocksSql(const std::string& sid);

// The result fields read into a lock row, in the order of TLocksFieldType.
extern const std::array<const char*, monitor::lfCount> kLockFieldNames;

// Groups the blockers of `rows` with the rows that request the mode the blocker holds on the same
// id1 and id2. Rows taken into a group get the sid "0"; a group not concerning `selectedSid` gets
// the sid "0" in its first row. Returns false (groups incomplete) when `terminated` turned true.
bool GroupLocks(std::vector<monitor::TLocksFieldType>& rows,
                std::vector<monitor::TLocksArrayType>& groups, const std::string& selectedSid,
                const std::function<bool()>& terminated = {});

class TLocksThread final : public TDetailThread {
public:
    // Takes the selected session's sid and puts the locks query into the monitor's locks query.
    explicit TLocksThread(monitor::TPvConnection& monitor);
    ~TLocksThread() override;

protected:
    void Execute() override;

private:
    monitor::TRSession* target();

    std::string sid_;
};

class TSessLocksObserver final : public monitor::IPvObserver {
public:
    TSessLocksObserver(monitor::TPvConnection& monitor, monitor::TSessionListModel& lockList);

    void Update(monitor::TPvConnection& monitor, int code) override;
    // The page's shown switch: passes the value on to the monitor's show-locks flag.
    void SetActive(bool active);
    // Active while the monitor's show-locks flag is set (the page-change logic may set it
    // directly).
    bool Active() const { return monitor_.ViewShown(monitor::wkLocks); }

    // Registers TLocksThread as the monitor's locks worker.
    static void RegisterThread(monitor::TPvConnection& monitor);

    // The caption of a waiter's row: four blanks before the user name.
    static constexpr const char* kIndent = "    ";

private:
    void render();

    monitor::TPvConnection& monitor_;
    monitor::TSessionListModel& lockList_;
    bool active_ = false;
};

} // namespace detail
