// The rows of a list as the clipboard takes them: tab-separated text with a line of headings,
// the columns in the order shown. Qt Core; user-interface thread.
#pragma once

#include <QAbstractItemModel>
#include <QString>
#include <vector>

namespace monitor {

// The headings of `columns`, then the display texts of `rows` in those columns, one line each,
// cells separated by tabs; tabs and line breaks inside a cell become blanks.
QString RowsAsTabText(const QAbstractItemModel& model, const std::vector<int>& rows,
                      const std::vector<int>& columns);
// The same of rows given by their indexes, at any depth of a tree model.
QString IndexRowsAsTabText(const QAbstractItemModel& model, const std::vector<QModelIndex>& rows,
                           const std::vector<int>& columns);
// Orders indexes as a tree view shows its rows expanded: a parent before its children, siblings
// by row.
void SortInTreeOrder(std::vector<QModelIndex>& rows);

} // namespace monitor
