// TTextListModel: the rows of a report-style list (a caption and its sub-items per row, texts
// only) with its column captions and initial widths. A row may hold fewer cells than the list has
// columns (an error row); its missing cells have no data, which the export tells apart from an
// empty cell. User-interface thread only.
#pragma once

#include <QAbstractTableModel>
#include <string>
#include <vector>

namespace monitor {

class TTextListModel final : public QAbstractTableModel {
    Q_OBJECT
public:
    struct Column {
        QString caption;
        int width; // initial display width in pixels (given under Qt::UserRole)
    };
    struct Row {
        std::string caption;
        std::vector<std::string> subItems;
    };

    explicit TTextListModel(std::vector<Column> columns, QObject* parent = nullptr)
        : QAbstractTableModel(parent), columns_(std::move(columns)) {}

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

    const std::vector<Column>& Columns() const { return columns_; }
    const std::vector<Row>& Rows() const { return rows_; }
    // The cell text of a row; empty for a missing cell.
    std::string Cell(int row, int column) const;
    bool HasCell(int row, int column) const;

    void Clear();
    void AddRow(Row row);
    // Replaces one cell of a row that has it.
    void SetCell(int row, int column, const std::string& text);
    // Puts the rows in this order (order[i] = the old position of the new row i); persistent
    // indexes (the selection) follow their rows.
    void Reorder(const std::vector<int>& order);

private:
    std::vector<Column> columns_;
    std::vector<Row> rows_;
};

} // namespace monitor
