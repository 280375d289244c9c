// Session control: collecting the sessions chosen in the session list, killing them, and naming
// the table a session waits for; and the compare rules of the sortable lists. User-interface
// thread only.
#pragma once

#include "monitor/Monitor.h"
#include "monitor/SessionListModel.h"

#include <functional>
#include <string>
#include <vector>

namespace monitor {

// Rebuilds the monitor's selected sessions from the given rows of the list (in list order): the
// whole record of each session the last fetch brought (found by SID and serial number), else the
// SID, serial number and machine the row shows.
void CollectSelectedSessions(TPvConnection& monitor, const TSessionListModel& list,
                             const std::vector<int>& selectedRows);

// How a session is ended: kill session (the session ends when it next calls), kill session ...
// immediate (at once, without waiting for its call), disconnect session ... immediate (its
// server process ends at once).
enum class TKillKind { Kill, KillImmediate, DisconnectImmediate };

// The statement that kills one session; raises std::invalid_argument when the SID or the serial
// number is not a whole number, so that nothing else can reach the statement.
std::string KillStatement(const std::string& sid, const std::string& serial,
                          TKillKind kind = TKillKind::Kill);

// The question asked before a kill: one line per session with its SID, serial number, user,
// machine and program, so that the user sees which sessions end.
std::string KillConfirmationText(const std::vector<TBasicFieldArray>& sessions,
                                 TKillKind kind = TKillKind::Kill);

// Kills the collected sessions after `confirm` said yes, in order, on the general query. Returns
// false when not confirmed; the first failing statement raises and stops the loop.
bool KillSelectedSessions(TPvConnection& monitor, const std::function<bool()>& confirm,
                          TKillKind kind = TKillKind::Kill);

// Takes the collected sessions already marked KILLED (which no kill statement ends any more) out
// of the monitor's selected sessions and returns them.
std::vector<TBasicFieldArray> TakeKilledSessions(TPvConnection& monitor);

// The operating-system process id (v$process.spid) of a session's server process, read on the
// general query; empty when there is none. A killed session keeps its creator's process
// (creator_addr, Oracle 11g and later) when its paddr points elsewhere.
std::string ServerProcessId(TPvConnection& monitor, const std::string& sid,
                            const std::string& serial);

// The command that ends server processes on the database server: "kill -9 <spid> ...";
// empty when no process id is given.
std::string OsKillCommand(const std::vector<std::string>& spids);

// The statement that cancels the current call of one session without ending the session
// (Oracle 18c and later); raises std::invalid_argument like KillStatement.
std::string CancelSqlStatement(const std::string& sid, const std::string& serial);

// The major release of an instance's version text ("19.0.0.0.0": 19); 0 when unknown.
int MajorVersion(const std::string& version);
// Whether the instance of that version (v$instance.version) can cancel a call: 18c and later.
bool CanCancelSql(const std::string& version);
// Why the cancel command is off for an instance of that version; empty when it is not.
std::string CancelSqlUnavailableReason(const std::string& version);

// The question asked before a cancel: one line per session as for a kill.
std::string CancelSqlConfirmationText(const std::vector<TBasicFieldArray>& sessions);

// Cancels the current call of each collected session after `confirm` said yes, in order, on the
// general query. Returns false when not confirmed; the first failing statement raises.
bool CancelSqlOfSelectedSessions(TPvConnection& monitor, const std::function<bool()>& confirm);

// "Owner: ..." and "Object_name: ..." of the table the selected session waits for, joined by
// CR LF; "not found" for both when it is not exactly one table.
std::string WaitingObjectText(TPvConnection& monitor);

// ---- compare rules (negative: a before b in ascending order) ----

// Case-insensitive for ASCII letters; other characters by code; a prefix first.
int TextCompare(const std::string& a, const std::string& b);
// Both texts as 32-bit integers: the difference; 0 when either is not such an integer.
int IntegerTextCompare(const std::string& a, const std::string& b);
// Both texts as date-times in the program's date-time format: days, then milliseconds of the
// day; 0 when either does not convert.
long long DateTimeTextCompare(const std::string& a, const std::string& b);

enum class TCompareRule { Text, IntegerText, DateTimeText, Numeric };

// The order of rows sorted by one column: a stable sort in which texts that do not convert keep
// their relative order after the ones that do (ascending) or before them (descending), so that
// the comparison is a strict weak ordering whatever the texts.
std::vector<int> SortedOrder(const std::vector<std::string>& texts, TCompareRule rule,
                             bool ascending);

} // namespace monitor
