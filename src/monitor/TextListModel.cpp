#include "monitor/TextListModel.h"

namespace monitor {

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

bool TTextListModel::RightAligned(int column) const {
    for (int c : rightAligned_)
        if (c == column)
            return true;
    return false;
}

QVariant TTextListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role == Qt::TextAlignmentRole && orientation == Qt::Horizontal && RightAligned(section))
        return QVariant::fromValue(Qt::Alignment(Qt::AlignRight | Qt::AlignVCenter));
    return TListRowsModel::headerData(section, orientation, role);
}

QVariant TTextListModel::data(const QModelIndex& index, int role) const {
    if (role == Qt::TextAlignmentRole && index.isValid() && RightAligned(index.column()))
        return QVariant::fromValue(Qt::Alignment(Qt::AlignRight | Qt::AlignVCenter));
    if (role != Qt::DisplayRole || !index.isValid() || !HasCell(index.row(), index.column()))
        return {};
    return QString::fromStdString(Cell(index.row(), index.column()));
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

} // namespace monitor
