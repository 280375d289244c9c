#include "monitor/ListCopy.h"

#include <algorithm>

namespace monitor {

namespace {

QString cell(QString text) {
    for (QChar& c : text)
        if (c == QLatin1Char('\t') || c == QLatin1Char('\n') || c == QLatin1Char('\r'))
            c = QLatin1Char(' ');
    return text;
}

} // namespace

QString RowsAsTabText(const QAbstractItemModel& model, const std::vector<int>& rows,
                      const std::vector<int>& columns) {
    std::vector<QModelIndex> indexes;
    for (int r : rows)
        indexes.push_back(model.index(r, 0));
    return IndexRowsAsTabText(model, indexes, columns);
}

QString IndexRowsAsTabText(const QAbstractItemModel& model, const std::vector<QModelIndex>& rows,
                           const std::vector<int>& columns) {
    QStringList lines;
    QStringList heading;
    for (int c : columns)
        heading << cell(model.headerData(c, Qt::Horizontal, Qt::DisplayRole).toString());
    lines << heading.join(QLatin1Char('\t'));
    for (const QModelIndex& row : rows) {
        QStringList cells;
        for (int c : columns)
            cells << cell(row.siblingAtColumn(c).data(Qt::DisplayRole).toString());
        lines << cells.join(QLatin1Char('\t'));
    }
    return lines.join(QLatin1Char('\n')) + QLatin1Char('\n');
}

void SortInTreeOrder(std::vector<QModelIndex>& rows) {
    // Each index's path of rows from the top.
    std::vector<std::pair<std::vector<int>, QModelIndex>> paths;
    for (const QModelIndex& index : rows) {
        std::vector<int> path;
        for (QModelIndex i = index; i.isValid(); i = i.parent())
            path.insert(path.begin(), i.row());
        paths.emplace_back(std::move(path), index);
    }
    std::sort(paths.begin(), paths.end(),
              [](const auto& a, const auto& b) { return a.first < b.first; });
    rows.clear();
    for (auto& p : paths)
        rows.push_back(p.second);
}

} // namespace monitor
