// The rows of collectorList: six texts per row ("Collection name", "By what", "Value",
// "Schedule", "Samples", "Sqls"), each row referring to its collector. User-interface thread only.
#pragma once

#include "capture/SqlCollector.h"

#include <QAbstractTableModel>
#include <array>
#include <vector>

namespace capture {

class TSqlCollectorListModel final : public QAbstractTableModel {
    Q_OBJECT
public:
    enum TColumn : int { colName, colByWhat, colValue, colSchedule, colSamples, colSqls, colCount };
    // The "Schedule" text of an unscheduled collector.
    static constexpr const char* kNeverSamples = "N (never samples)";
    // The column widths of the list (-1: the view's default).
    static int ColumnWidth(int column);

    explicit TSqlCollectorListModel(QObject* parent = nullptr) : QAbstractTableModel(parent) {}

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

    void Clear();
    // Appends a row for the collector with the given "Samples" and "Sqls" texts.
    void AddRow(const TSqlCollectorPtr& collector, const std::string& samples,
                const std::string& sqls);
    // Rewrites "Collection name", "By what", "Value" and "Schedule" from the collector.
    void SetDefinitionTexts(int row);
    void RemoveRow(int row);
    const std::string& Text(int row, int column) const;
    void SetText(int row, int column, const std::string& text);
    const TSqlCollectorPtr& Collector(int row) const;
    int RowOf(const TSqlCollector* collector) const;

private:
    struct Row {
        TSqlCollectorPtr collector;
        std::array<std::string, colCount> texts;
    };
    std::vector<Row> rows_;
};

} // namespace capture
