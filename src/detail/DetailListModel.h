// The rows of a detail list (session details, statistics, events, current wait, object, probe
// history): a caption and sub-items per row, captions and widths per column, as the detail
// observers render them; and the compare rules by which the sortable detail lists are sorted.
// User-interface thread only.
#pragma once

#include "monitor/ListRowsModel.h"

#include <QAbstractTableModel>
#include <string>
#include <vector>

namespace detail {

class TDetailListModel final : public monitor::TListRowsModel<monitor::TListRow> {
    Q_OBJECT
public:
    explicit TDetailListModel(QObject* parent = nullptr) : TListRowsModel(parent) {}

    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    // The text of a cell: column 0 is the caption, column c the sub-item c - 1 (empty if none).
    std::string Text(int row, int column) const;

    // Replaces the columns (the rows stay).
    void SetColumns(std::vector<Column> columns);
    void SetColumnCaption(int column, const QString& caption);
    void SetRows(std::vector<Row> rows);
    void AddRow(Row row);
    void InsertRow(int position, Row row);
    void Clear();
};

// How a column of a detail list compares two rows, in the direction the shared sort flag gives.
enum class TDetailCompare {
    Equal,       // rows compare equal: the order stays
    Text,        // text compare, ascending while the flag is on
    TextReverse, // text compare of the second row with the first: descending while the flag is on
    Numeric,     // numbers in the user's decimal format, ascending while the flag is on
    DateTime,    // date-times in the program's format, ascending while the flag is on
    WaitTime,    // wait times with their unit ("120 ms", "3.250 s"), ascending while the flag is on
};

// The order of the rows sorted by `column` under `rule`; `flag` off reverses the rule. Rows that
// compare equal keep their order. A cell that does not convert for a numeric or date-time rule
// raises std::invalid_argument ("'Loading...' is not a valid floating point value"); numbers are
// compared exactly up to 64-bit integers.
std::vector<int> DetailSortOrder(const TDetailListModel& list, int column, TDetailCompare rule,
                                 bool flag);

// A number text in the user's decimal format, exact for 64-bit integers; nothing when the text
// is not a number.
bool ParseDetailNumber(const std::string& text, long double& value);

} // namespace detail
