// TListRowsModel: what the report-style list models share: captions and initial widths per
// column, rows of a caption and its sub-items, the header data a view reads and the reordering
// of the rows by a sort. User-interface thread only.
#pragma once

#include <QAbstractTableModel>
#include <string>
#include <vector>

namespace monitor {

// How a column's cells compare when the list is sorted by it.
enum class TColumnOrder { Text, Integer, DateTime, Statistic };

struct TListColumn {
    QString caption;
    int width = -1; // initial display width in pixels (given under Qt::UserRole); -1: the default
    TColumnOrder order = TColumnOrder::Text;
};

struct TListRow {
    std::string caption;
    std::vector<std::string> subItems;
};

template <class TRow>
class TListRowsModel : public QAbstractTableModel {
public:
    using Column = TListColumn;
    using Row = TRow;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override {
        return parent.isValid() ? 0 : static_cast<int>(rows_.size());
    }
    int columnCount(const QModelIndex& parent = QModelIndex()) const override {
        return parent.isValid() ? 0 : static_cast<int>(columns_.size());
    }
    // The caption under Qt::DisplayRole, the initial width under Qt::UserRole.
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override {
        if (orientation != Qt::Horizontal || section < 0 ||
            section >= static_cast<int>(columns_.size()))
            return {};
        if (role == Qt::DisplayRole)
            return columns_[static_cast<std::size_t>(section)].caption;
        if (role == Qt::UserRole)
            return columns_[static_cast<std::size_t>(section)].width;
        return {};
    }

    const std::vector<Column>& Columns() const { return columns_; }
    const std::vector<Row>& Rows() const { return rows_; }

    // Puts the rows in this order (order[i] = the old position of the new row i); selections and
    // other persistent indexes follow their rows. An order of another length is ignored.
    void Reorder(const std::vector<int>& order) {
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
            after << this->index(newPosition[static_cast<std::size_t>(index.row())],
                                 index.column());
        changePersistentIndexList(before, after);
        Q_EMIT layoutChanged();
    }

protected:
    explicit TListRowsModel(QObject* parent = nullptr, std::vector<Column> columns = {})
        : QAbstractTableModel(parent), columns_(std::move(columns)) {}

    std::vector<Column> columns_;
    std::vector<Row> rows_;
};

} // namespace monitor
