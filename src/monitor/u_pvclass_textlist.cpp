#include "u_pvclass_textlist.h"

namespace monitor {

int TTextListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int TTextListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(columns_.size());
}

bool TTextListModel::HasCell(int row, int column) const {
    if (row < 0 || row >= static_cast<int>(rows_.size()) || column < 0)
        return false;
    return column == 0 || static_cast<std::size_t>(column - 1) <
                              rows_[static_cast<std::size_t>(row)].subItems.size();
}

std::string TTextListModel::Cell(int row, int column) const {
    if (!HasCell(row, column))
        return {};
    const Row& r = rows_[static_cast<std::size_t>(row)];
    return column == 0 ? r.caption : r.subItems[static_cast<std::size_t>(column - 1)];
}

QVariant TTextListModel::data(const QModelIndex& index, int role) const {
    if (role != Qt::DisplayRole || !index.isValid() || !HasCell(index.row(), index.column()))
        return {};
    return QString::fromStdString(Cell(index.row(), index.column()));
}

QVariant TTextListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 ||
        section >= static_cast<int>(columns_.size()))
        return {};
    if (role == Qt::DisplayRole)
        return columns_[static_cast<std::size_t>(section)].caption;
    if (role == Qt::UserRole)
        return columns_[static_cast<std::size_t>(section)].width;
    return {};
}

void TTextListModel::Clear() {
    beginResetModel();
    rows_.clear();
    endResetModel();
}

void TTextListModel::AddRow(Row row) {
    const int at = static_cast<int>(rows_.size());
    beginInsertRows(QModelIndex(), at, at);
    rows_.push_back(std::move(row));
    endInsertRows();
}

void TTextListModel::SetCell(int row, int column, const std::string& text) {
    if (!HasCell(row, column))
        return;
    Row& r = rows_[static_cast<std::size_t>(row)];
    (column == 0 ? r.caption : r.subItems[static_cast<std::size_t>(column - 1)]) = text;
    const QModelIndex at = index(row, column);
    Q_EMIT dataChanged(at, at, {Qt::DisplayRole});
}

void TTextListModel::Reorder(const std::vector<int>& order) {
    if (order.size() != rows_.size())
        return;
    Q_EMIT layoutAboutToBeChanged();
    std::vector<Row> sorted;
    sorted.reserve(rows_.size());
    std::vector<int> newPosition(rows_.size());
    for (std::size_t i = 0; i < order.size(); ++i) {
        sorted.push_back(std::move(rows_[static_cast<std::size_t>(order[i])]));
        newPosition[static_cast<std::size_t>(order[i])] = static_cast<int>(i);
    }
    rows_ = std::move(sorted);
    const QModelIndexList before = persistentIndexList();
    QModelIndexList after;
    for (const QModelIndex& index : before)
        after << this->index(newPosition[static_cast<std::size_t>(index.row())], index.column());
    changePersistentIndexList(before, after);
    Q_EMIT layoutChanged();
}

} // namespace monitor
