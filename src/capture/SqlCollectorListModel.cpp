#include "capture/SqlCollectorListModel.h"

namespace capture {

int TSqlCollectorListModel::ColumnWidth(int column) {
    static const int widths[colCount] = {100, 100, 250, 80, 70, -1};
    return column >= 0 && column < colCount ? widths[column] : -1;
}

int TSqlCollectorListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int TSqlCollectorListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : colCount;
}

QVariant TSqlCollectorListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || role != Qt::DisplayRole || index.row() >= rowCount())
        return {};
    return QString::fromStdString(rows_[static_cast<std::size_t>(index.row())]
                                      .texts[static_cast<std::size_t>(index.column())]);
}

QVariant TSqlCollectorListModel::headerData(int section, Qt::Orientation orientation,
                                            int role) const {
    static const char* captions[colCount] = {"Collection name", "By what", "Value",
                                             "Schedule",        "Samples", "Sqls"};
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 ||
        section >= colCount)
        return {};
    return QString::fromLatin1(captions[section]);
}

void TSqlCollectorListModel::Clear() {
    beginResetModel();
    rows_.clear();
    endResetModel();
}

void TSqlCollectorListModel::AddRow(const TSqlCollectorPtr& collector, const std::string& samples,
                                    const std::string& sqls) {
    const int row = rowCount();
    beginInsertRows(QModelIndex(), row, row);
    Row r;
    r.collector = collector;
    r.texts[colSamples] = samples;
    r.texts[colSqls] = sqls;
    rows_.push_back(std::move(r));
    endInsertRows();
    SetDefinitionTexts(row);
}

void TSqlCollectorListModel::SetDefinitionTexts(int row) {
    Row& r = rows_.at(static_cast<std::size_t>(row));
    const TCollectorDefinition& def = r.collector->def;
    r.texts[colName] = def.name;
    r.texts[colByWhat] = KindCaption(def.kind);
    r.texts[colValue] = def.value;
    // Only a scheduled collector is ever due: say so rather than a bare "N".
    r.texts[colSchedule] = def.scheduled == 1 ? "Y" : kNeverSamples;
    Q_EMIT dataChanged(index(row, colName), index(row, colSchedule));
}

void TSqlCollectorListModel::RemoveRow(int row) {
    if (row < 0 || row >= rowCount())
        return;
    beginRemoveRows(QModelIndex(), row, row);
    rows_.erase(rows_.begin() + row);
    endRemoveRows();
}

const std::string& TSqlCollectorListModel::Text(int row, int column) const {
    return rows_.at(static_cast<std::size_t>(row)).texts.at(static_cast<std::size_t>(column));
}

void TSqlCollectorListModel::SetText(int row, int column, const std::string& text) {
    rows_.at(static_cast<std::size_t>(row)).texts.at(static_cast<std::size_t>(column)) = text;
    Q_EMIT dataChanged(index(row, column), index(row, column));
}

const TSqlCollectorPtr& TSqlCollectorListModel::Collector(int row) const {
    return rows_.at(static_cast<std::size_t>(row)).collector;
}

int TSqlCollectorListModel::RowOf(const TSqlCollector* collector) const {
    for (std::size_t i = 0; i < rows_.size(); ++i)
        if (rows_[i].collector.get() == collector)
            return static_cast<int>(i);
    return -1;
}

} // namespace capture
