// The "Session SQL" view: the worker TSqlThread, which reads the open cursors of the selected
// session (v$open_cursor with their texts from v$sqltext) and then its current statement, and the
// observer TSessSqlObserver, which renders them into the cursor list cursorList and the statement
// box statementText, switches the box to a chosen cursor and saves selected cursors to a file.
// The thread's constructor, the observer and RegisterSqlView run on the user-interface thread.
#pragma once

#include "detail/DetailThread.h"
#include "detail/SqlHighlight.h"
#include "monitor/Monitor.h"
#include "monitor/SessionListModel.h"

#include <memory>
#include <string>
#include <vector>

namespace oradb {
class TOraQuery;
}

namespace detail {

// The open-cursor query of a session and the query of its current statement.
std::string BuildCursorsSql(const std::string& sid);
std::string BuildCurrentSql(const std::string& sid, const std::string& serial);

// The class name a failure is logged with: "EOraError" for database errors, else "Exception".
std::string FailureClassName(const std::exception& e);

class TSqlThread final : public TDetailThread {
public:
    // Takes the selected session's sid and serial number and puts the cursors query into the
    // monitor's SQL query.
    explicit TSqlThread(monitor::TPvConnection& monitor);
    ~TSqlThread() override;

    const std::string& Sid() const { return sid_; }

protected:
    void Execute() override;

private:
    // The record of the session this fetch is for (it may have left the list meanwhile).
    monitor::TRSession* target();
    void cursorsStage();
    void currentStage();

    std::string sid_;
    std::string currentSql_;
};

class TSessSqlObserver final : public monitor::IPvObserver {
public:
    TSessSqlObserver(monitor::TPvConnection& monitor, monitor::TSessionListModel& cursorList,
                     TSqlTextModel& statementText);

    void Update(monitor::TPvConnection& monitor, int code) override;

    // The page's shown switch: passes the value on to the monitor's show-SQL flag.
    void SetActive(bool active);
    // Active while the monitor's show-SQL flag is set (the page-change logic may set it directly).
    bool Active() const { return monitor_.ViewShown(monitor::wkSql); }

    // Shows the full text of the cursor at `index` of cursorList in the statement box.
    void SwitchStatement(int index);
    // Writes the header of the selected session and the texts of the cursors at the given rows
    // of cursorList (in list order) to `fileName`. False when the file cannot be created or
    // written; `why` then receives the cause (the system's error text).
    bool SaveStatements(const std::string& fileName, const std::vector<int>& selectedRows,
                        std::string* why = nullptr);

    // When a row of cursorList was last selected (set by the page).
    monitor::TDateTime SelectTime = 0;

    // Registers TSqlThread as the monitor's SQL worker.
    static void RegisterThread(monitor::TPvConnection& monitor);

private:
    bool selected() const;
    void showLoading();
    void showAbort();
    void renderCursors();
    void renderCurrent();

    monitor::TPvConnection& monitor_;
    monitor::TSessionListModel& cursorList_;
    TSqlTextModel& statementText_;
    bool active_ = false;
};

} // namespace detail
