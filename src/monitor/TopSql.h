// Top SQL: the heaviest statements of the shared pool (v$sqlarea) by a chosen figure, with their
// figures per execution; the full text of one statement and the sessions running it now. Each
// load runs on a query of its own while the window stays usable (TPvConnection::
// OpenWhileResponsive) and replaces the previous content; a failure becomes one text row.
// User-interface thread only, except the statement texts.
#pragma once

#include "monitor/Monitor.h"
#include "monitor/TextListModel.h"

#include <string>
#include <vector>

namespace monitor {

enum class TTopSqlOrder { ElapsedTime, CpuTime, BufferGets, DiskReads, Executions };
constexpr int kTopSqlOrderCount = 5;
constexpr int kTopSqlDefaultLimit = 50;

// "Elapsed time", "CPU time", "Buffer gets", "Disk reads", "Executions".
const char* TopSqlOrderName(TTopSqlOrder order);

// The statement of the list: the `limit` statements with the most of `order`, most first.
std::string TopSqlStatement(TTopSqlOrder order, int limit);

// The list's columns: SQL Id, Executions, Elapsed (s), Elapsed/Exec (ms), CPU (s),
// CPU/Exec (ms), Buffer Gets, Gets/Exec, Disk Reads, Reads/Exec, Rows, Rows/Exec, Schema,
// SQL Text; and which of them are numbers (right-aligned).
std::vector<TTextListModel::Column> TopSqlColumns();
std::vector<int> TopSqlNumberColumns();
constexpr int kTopSqlTextColumn = 13;

// One row of the list from the figures of v$sqlarea (times in microseconds): totals and the
// figures per execution (blank for a statement not executed yet).
TTextListModel::Row TopSqlRow(const std::string& sqlId, double executions, double elapsedMicro,
                              double cpuMicro, double bufferGets, double diskReads,
                              double rowsProcessed, const std::string& schema,
                              const std::string& text);

void LoadTopSql(TPvConnection& monitor, TTextListModel& list, TTopSqlOrder order,
                int limit = kTopSqlDefaultLimit);

// Whether the text is a sql_id (13 characters of Oracle's alphabet), so that it can go into a
// statement as a literal.
bool IsSqlId(const std::string& text);

// The whole text of the statement, from its pieces in v$sqltext; empty when it has left the
// shared pool. Raises what the query raises, std::invalid_argument for no sql_id.
std::string LoadSqlFullText(TPvConnection& monitor, const std::string& sqlId);

// The sessions whose current statement it is: SID, Serial#, User, Machine, Program, Status.
std::vector<TTextListModel::Column> SqlSessionColumns();
std::string SqlSessionsStatement(const std::string& sqlId);
void LoadSqlSessions(TPvConnection& monitor, TTextListModel& list, const std::string& sqlId);

} // namespace monitor
