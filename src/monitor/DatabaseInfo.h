// Database-wide information: the report of version, database, instance, SGA and licence, the NLS
// parameters, the system parameters with their records, the system events; and the logic of the
// parameter editor and of the system events sorting. Each load runs synchronously on a query of
// its own on the monitor's session and fully replaces the previous content; errors become fixed
// texts in the target. User-interface thread only.
#pragma once

#include "monitor/Monitor.h"
#include "monitor/TextListModel.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace oradb {
class TOraQuery;
}

namespace monitor {

// Opens `sql` on a query of its own, so that a load never shares the general query with a worker
// that may be fetching on it; the user-interface thread waits with the window still usable.
std::unique_ptr<oradb::TOraQuery> OpenLoadQuery(TPvConnection& monitor, const std::string& sql);

// ---- the database information report ----

// One piece of the report: its text ("\r\n" breaks lines) and whether it is a section heading
// (shown in blue) or normal text (the window-text colour).
struct TReportPiece {
    std::string text;
    bool heading = false;
};
using TReport = std::vector<TReportPiece>;

TReport DatabaseInfoReport(TPvConnection& monitor);
// The report's plain text, pieces joined.
std::string ReportText(const TReport& report);

// ---- the lists ----

// The columns of the three lists, with their captions and initial widths.
std::vector<TTextListModel::Column> NlsParameterColumns();
std::vector<TTextListModel::Column> SystemParameterColumns();
std::vector<TTextListModel::Column> SystemEventColumns();

void LoadNlsParameters(TPvConnection& monitor, TTextListModel& list);
// Also rebuilds the monitor's SystemParameters, one record per parameter row.
void LoadSystemParameters(TPvConnection& monitor, TTextListModel& list);
void LoadSystemEvents(TPvConnection& monitor, TTextListModel& list);

// ---- number texts in the user's regional separators ----

// Fixed decimals, no thousands separators ("%.3f").
std::string FormatFixed(double value, int decimals);
// Thousands separators, no decimals ("%n" with 0 decimals).
std::string FormatThousands(double value);
// Reads what FormatFixed writes (also plain "123.4"); nothing when the text is no number.
std::optional<double> ParseLocaleNumber(const std::string& text);

// ---- the system events sorting ----

// The order of systemEventList's rows sorted by `column` with the shared direction flag: the
// number columns (1 to 4) ascend with the flag on, the EVENT column descends with it on. Raises
// std::runtime_error naming the cell when a number cell does not convert.
std::vector<int> SystemEventOrder(const TTextListModel& list, int column, bool flag);

// ---- the parameter editor ----

// Positions in TSystemParameterArray.
enum TSystemParameterField : int {
    spNum,
    spName,
    spType,
    spValue,
    spIsDefault,
    spIsSesModifiable,
    spIsSysModifiable,
    spIsModified,
    spIsAdjusted,
    spDescription,
};

// The record of a row of systemParameterList, or nullptr: the error row of a failed load has none.
const TSystemParameterArray* ParameterRecordOf(const TPvConnection& monitor,
                                               const TTextListModel& list, int row);

struct TParameterEditorState {
    bool modifyEnabled = false;
    bool checkBoxVisible = false;
    bool valueVisible = false; // the "New Value" label and the edit
};
TParameterEditorState ParameterEditorState(const TSystemParameterArray* record);

// Blanks and control characters removed from both ends.
std::string TrimControl(const std::string& text);

struct TParameterChange {
    bool sessionScope = false;
    // A change of the instance to the value it has (the one the list shows): nothing is to run,
    // `message` says so. A session's own value may differ from the instance's, so a change for
    // the session alone is never taken as unchanged.
    bool unchanged = false;
    std::string statement;
    std::string question;  // asked before the statement runs: the statement and its scope
    std::string listValue; // the new text of the row's "Value" column
    std::string message;   // the information box shown after the change (or instead of it)
};
// What Modify does with the typed value; nothing when the trimmed value is empty. String values
// are quoted with embedded single quotes doubled. Boolean values compare without case when
// deciding whether the value is unchanged.
std::optional<TParameterChange> PlanParameterChange(const TSystemParameterArray& record,
                                                    const std::string& typed, bool checkBoxVisible,
                                                    bool checked);
// After a change of the instance ran: the row's record holds the new value, so that typing it
// again counts as unchanged. A change for the session alone leaves the record as it is.
void StoreParameterValue(TPvConnection& monitor, int row, const TParameterChange& change);
// Runs the statement on a query of its own on the monitor's session; raises the instance's error.
void ExecuteParameterChange(TPvConnection& monitor, const std::string& statement);

} // namespace monitor
