// TCaptureSql: the SQL capture of the main window without its widgets — the collector list and
// the presence flag, loading at login, add/modify/delete of collectors, the capture toggle, the
// capture timer's tick with the due test and the capture block, the log fetches, the completion
// message 1035 and the close guard. User-interface thread only; its threads hand back through
// posted calls.
#pragma once

#include "capture/SqlCollector.h"
#include "capture/SqlCollectorListModel.h"

#include <QObject>
#include <QTimer>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace monitor {
class TPvConnection;
}

namespace capture {

class TOpencursorThread;
class TFetchSqltextThread;

class TCaptureSql final : public QObject {
    Q_OBJECT
public:
    static constexpr int kCaptureThreadEnded = 1035;
    static constexpr const char* kEnableCaption = "&Enable Capture SQL";
    static constexpr const char* kDisableCaption = "&Disable Capture SQL";

    explicit TCaptureSql(monitor::TPvConnection& monitor, QObject* parent = nullptr);
    ~TCaptureSql() override;

    // The workstation clock (tests inject one).
    std::function<TDateTime()> Now;
    // Message boxes: a warning with OK, and a plain message box.
    std::function<void(const std::string&)> ShowWarning;
    std::function<void(const std::string&)> ShowMessage;
    // A question with yes and no (no the default); true for yes.
    std::function<bool(const std::string&)> Confirm;

    // ---- collectors ----
    // Before a login: a fresh, empty list.
    void NewList();
    // After a successful login: probes the capture table (the presence flag) and loads the
    // collectors in identifier order.
    void LoadCollectors();
    // "&Capture Sql": one row per collector, in list order.
    void RebuildRows();
    // The names of the collectors but the one in the row (-1: all).
    std::vector<std::string> OtherNames(int row = -1) const;
    // The three commands; false when the statement failed or, for add and modify, the name is
    // another collector's (the message has been shown).
    bool AddCollector(const TCollectorDefinition& def);
    bool ModifyCollector(int row, const TCollectorDefinition& def);
    bool DeleteCollector(int row);
    // The identifier for a collector created now: milliseconds since midnight, stepped to the
    // next value no collector of the list or the table has.
    std::int32_t NewIdentifier();
    const TSqlCollectorList& Collectors() const { return collectors_; }
    TSqlCollectorListModel& Rows() { return rows_; }
    bool Present = false;

    // ---- capture ----
    QTimer& Timer() { return timer_captureopencursor; }
    bool CaptureEnabled() const { return timer_captureopencursor.isActive(); }
    const char* EnableCaption() const {
        return CaptureEnabled() ? kDisableCaption : kEnableCaption;
    }
    // Enable or disable; false when enabling was refused (the warning has been shown).
    bool ToggleCapture();
    void Tick();
    bool DueTest(TSqlCollector& collector);
    void StartFetch(const TSqlCollectorPtr& collector);
    int DueCount() const { return dueCount_; }
    // The text of the last block started (empty when none).
    const std::string& LastBlock() const { return lastBlock_; }
    bool OpencursorRunning() const { return opencursor_ != nullptr; }
    int FetchesRunning() const { return static_cast<int>(fetches_.size()); }
    // True when every capture thread has ended (its completion message may still be queued).
    bool ThreadsFinished() const;
    // Message 1035: (0, 1) the capture block ended; (identifier, 2 or 3) a fetch ended.
    void CaptureThreadEnded(int param1, int param2, std::uint64_t serial);

    // The close guard: false (after the warning) while a collector's fetch runs; while capture
    // is enabled or the automatic memory probe runs, the answer to ExitQuestion (through Confirm).
    bool CanClose();
    // What closing the program would end, as a question: the SQL capture and the automatic memory
    // probe when they run; empty when neither runs.
    std::string ExitQuestion() const;
    // Before logging off: capture off, the running threads stopped and awaited.
    void Stop();

    static std::string CaptureBlock(const std::string& combinedCondition);

Q_SIGNALS:
    // Capture was switched on or off.
    void captureToggled(bool enabled);

private:
    void execute(const std::string& text);
    bool identifierTaken(std::int32_t id);
    // Shows why the name may not be stored; true when it is another collector's.
    bool RefuseTakenName(const TCollectorDefinition& def, int row);
    // Shows the failure of a capture thread as a worker failure, once: the capture goes on
    // failing tick after tick while the cause lasts (a lost connection), so later failures go
    // to the application log only, until capture is enabled again or the user logs in again.
    void reportFailure(const std::string& text);

    monitor::TPvConnection& monitor_;
    TSqlCollectorList collectors_;
    TSqlCollectorListModel rows_;
    QTimer timer_captureopencursor;
    int dueCount_ = 0;
    std::uint64_t serial_ = 0;
    std::string lastBlock_;
    bool failureShown_ = false;
    std::unique_ptr<TOpencursorThread> opencursor_;
    std::vector<std::unique_ptr<TFetchSqltextThread>> fetches_;
    std::shared_ptr<int> alive_ = std::make_shared<int>(0); // posted calls check it
};

} // namespace capture
