// TTextListModel: the rows of a report-style list (a caption and its sub-items per row, texts
// only) with its column captions and initial widths. A row may hold fewer cells than the list has
// columns (an error row); its missing cells have no data, which the export tells apart from an
// empty cell. User-interface thread only.
#pragma once

#include "monitor/ListRowsModel.h"

#include <QAbstractTableModel>
#include <string>
#include <vector>

namespace monitor {

class TTextListModel final : public TListRowsModel<TListRow> {
    Q_OBJECT
public:
    explicit TTextListModel(std::vector<Column> columns, QObject* parent = nullptr)
        : TListRowsModel(parent, std::move(columns)) {}

    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    // The cell text of a row; empty for a missing cell.
    std::string Cell(int row, int column) const;
    bool HasCell(int row, int column) const;

    void Clear();
    void AddRow(Row row);
    // Replaces one cell of a row that has it.
    void SetCell(int row, int column, const std::string& text);
    // The columns whose cells (and captions) are right-aligned, as numbers are.
    void SetRightAligned(std::vector<int> columns) { rightAligned_ = std::move(columns); }
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

private:
    bool RightAligned(int column) const;
    std::vector<int> rightAligned_;
};

} // namespace monitor
