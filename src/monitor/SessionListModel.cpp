#include "monitor/SessionListModel.h"

#include "util/DateTimeText.h"

#include <cmath>
#include <limits>

namespace monitor {

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
    if (role == ImageIndexRole && index.column() == 0)
        return row.image;
    if (role == ChangedRole)
        return row.changed;
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
