// The optional columns of the session list: which the user may choose in the options, which the
// connected instance has (by its version), and the session-list statement that reads the fixed
// columns and only the chosen optional ones. Plain functions; any thread.
#pragma once

#include "monitor/SessionRecords.h"

#include <QString>
#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace monitor {

enum TOptionalColumnId : int {
    ocSerial,
    ocSpid,
    ocLastCallEt,
    ocEvent,
    ocSecondsInWait,
    ocBlockingSession,
    ocSqlId,
    ocModule,
    ocAction,
    ocClientInfo,
    ocServiceName,
    ocWaitClass,
    ocBlockGets,
    ocConsistentGets,
    ocPhysicalReads,
    ocBlockChanges,
    ocProgress,
    ocCount
};

struct TOptionalColumn {
    std::string_view caption; // the heading, and the name remembered in the settings
    TBasicField field;        // where the record keeps its value
    bool byDefault;           // shown until the user chooses otherwise
    bool number;              // right-aligned and sorted as a number
    int sinceVersion;         // the first Oracle major version whose v$session has it (0: all)
};

inline constexpr std::array<TOptionalColumn, ocCount> kOptionalColumns = {{
    {"SERIAL#", bfSerial, true, true, 0},
    {"SPID", bfSpid, true, true, 0},
    {"LAST_CALL_ET", bfLastCallEt, false, true, 0},
    {"EVENT", bfEvent, true, false, 0},
    {"SECONDS_IN_WAIT", bfSecondsInWait, true, true, 0},
    {"BLOCKING_SESSION", bfBlockingSession, false, true, 10},
    {"SQL_ID", bfSqlId, false, false, 10},
    {"MODULE", bfModule, false, false, 0},
    {"ACTION", bfAction, false, false, 0},
    {"CLIENT_INFO", bfClientInfo, false, false, 0},
    {"SERVICE_NAME", bfServiceName, false, false, 10},
    {"WAIT_CLASS", bfWaitClass, false, false, 10},
    {"BLOCK_GETS", bfBlockGets, false, true, 0},
    {"CONSISTENT_GETS", bfConsistentGets, false, true, 0},
    {"PHYSICAL_READS", bfPhysicalReads, false, true, 0},
    {"BLOCK_CHANGES", bfBlockChanges, false, true, 0},
    {"Progress", bfProgress, true, false, 0},
}};

// A set of optional columns: bit `1 << id` per chosen column.
using TColumnSet = std::uint32_t;

inline constexpr TColumnSet ColumnBit(int id) {
    return TColumnSet{1} << id;
}

// SERIAL#, SPID, EVENT, SECONDS_IN_WAIT and Progress.
TColumnSet DefaultColumns();

// True when an instance of this major version (0: not known, taken as a current one) has the
// column.
bool ColumnAvailable(int id, int majorVersion);

// The chosen columns that the instance has.
TColumnSet AvailableColumns(TColumnSet chosen, int majorVersion);

// The settings text of a set: the captions, comma-separated; and back (unknown names ignored).
QString ColumnSetText(TColumnSet set);
TColumnSet ColumnSetFromText(const QString& text);

// The unfinished long operations of the instance, oldest first (the last of a session is its
// latest), read after the list while the Progress column is shown: one small statement, where a
// subquery per session would scan v$session_longops once for every session.
inline constexpr std::string_view kLongOperationsSql =
    "select sid,serial#,sofar,totalwork,time_remaining,opname,target from v$session_longops "
    "where sofar<totalwork order by start_time";

// The session-list statement: the fixed columns, the shown optional columns (outer joins to
// v$process, v$sess_io and, before 10g, v$session_wait, so that no session is lost; Progress is
// read by kLongOperationsSql), the value of statistic `statisticNumber`. Before
// 10g, sql_id and blocking_session are read as NULL. `select` receives the statement up to its
// where clause's statistic condition.
std::string SessionListSql(const std::string& statisticNumber, TColumnSet shown, int majorVersion,
                           bool showBackground, bool showKilled, std::string* select = nullptr);

// True for a field that the statement of this set reads (the fixed ones always).
bool FieldRead(int field, TColumnSet shown);

// A long operation's progress as the list shows it: "42% (1:05 left)"; "42%" when the time
// remaining is not known; empty when the figures are not numbers or the work is nil.
std::string ProgressText(const std::string& sofar, const std::string& totalwork,
                         const std::string& secondsRemaining);
// The percentage done ("42%") and the time remaining ("1:05", "2:03:07"; empty when not known).
std::string PercentDone(const std::string& sofar, const std::string& totalwork);
std::string RemainingText(const std::string& secondsRemaining);

// Fills the long-operation fields of a record from the text the statement reads for it
// ("sofar/totalwork/time_remaining/opname/target"; empty: none).
void SetLongOperation(TBasicFieldArray& fields);

} // namespace monitor
