#include "monitor/SessionListModel.h"

#include "util/DateTimeText.h"

#include <cmath>
#include <limits>

namespace monitor {

namespace {

// The SID stays left-aligned next to its image; other numbers line up on the right.
bool rightAligned(const std::vector<TListColumn>& columns, int column) {
    if (column <= 0 || column >= static_cast<int>(columns.size()))
        return false;
    const TColumnOrder order = columns[static_cast<std::size_t>(column)].order;
    return order == TColumnOrder::Integer || order == TColumnOrder::Statistic;
}

} // namespace

QVariant TSessionListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role == Qt::TextAlignmentRole && orientation == Qt::Horizontal &&
        rightAligned(columns_, section))
        return QVariant::fromValue(Qt::Alignment(Qt::AlignRight | Qt::AlignVCenter));
    return TListRowsModel::headerData(section, orientation, role);
}

QVariant TSessionListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= static_cast<int>(rows_.size()))
        return {};
    const Row& row = rows_[static_cast<std::size_t>(index.row())];
    if (role == Qt::DisplayRole) {
        if (index.column() == 0)
            return QString::fromStdString(row.caption);
        const auto sub = static_cast<std::size_t>(index.column() - 1);
        return sub < row.subItems.size() ? QString::fromStdString(row.subItems[sub]) : QString();
    }
    if (role == Qt::TextAlignmentRole && rightAligned(columns_, index.column()))
        return QVariant::fromValue(Qt::Alignment(Qt::AlignRight | Qt::AlignVCenter));
    if (role == ImageIndexRole && index.column() == 0)
        return row.image;
    if (role == ChangedRole)
        return row.changed;
    if (role == OwnRole)
        return row.own;
    if (role == SerialRole)
        return QString::fromStdString(row.serial);
    if (role == SortKeyRole) {
        const QString text = data(index, Qt::DisplayRole).toString();
        const auto column = static_cast<std::size_t>(index.column());
        switch (column < columns_.size() ? columns_[column].order : TColumnOrder::Text) {
        case TColumnOrder::Integer: {
            bool ok = false;
            const double value = text.toDouble(&ok);
            return ok ? value : -std::numeric_limits<double>::infinity();
        }
        case TColumnOrder::DateTime: {
            const auto value = util::parseDateTime(text.toStdString());
            return value ? *value : -std::numeric_limits<double>::infinity();
        }
        case TColumnOrder::Statistic:
            return std::isnan(row.statistic) ? -std::numeric_limits<double>::infinity()
                                             : row.statistic;
        case TColumnOrder::Text:
            break;
        }
        return text;
    }
    return {};
}

void TSessionListModel::SetColumns(std::vector<Column> columns) {
    beginResetModel();
    columns_ = std::move(columns);
    rows_.clear();
    selectedRow_ = -1;
    ++generation_;
    endResetModel();
}

void TSessionListModel::SetRows(std::vector<Row> rows) {
    beginResetModel();
    rows_ = std::move(rows);
    selectedRow_ = -1;
    ++generation_;
    endResetModel();
}

void TSessionListModel::SetSelectedRow(int row) {
    selectedRow_ = row;
    if (row >= 0)
        Q_EMIT selectionRequested(row);
}

} // namespace monitor
