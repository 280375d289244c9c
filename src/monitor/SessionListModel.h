// The session list model: one row per session as the session list shows it, filled by the
// session list observer on the UI thread. Qt Core only; the images and colours are added by the
// view's proxy.
#pragma once

#include "monitor/ListRowsModel.h"

#include <string>
#include <vector>

namespace monitor {

// A row of a session list: the caption, the sub-items and an image index (-1: none).
struct TSessionListRow {
    std::string caption;
    std::vector<std::string> subItems;
    int image = -1;
};

// The rows of the session list: a caption (the SID), the sub-items and an image per row.
class TSessionListModel final : public TListRowsModel<TSessionListRow> {
    Q_OBJECT
public:
    // The role under which a row's image index is given (-1: none; 9 killed, 14 lock wait).
    static constexpr int ImageIndexRole = Qt::UserRole + 1;

    explicit TSessionListModel(QObject* parent = nullptr) : TListRowsModel(parent) {}

    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

    void SetColumns(std::vector<Column> columns);
    void SetRows(std::vector<Row> rows);
    // The row selected by the last rendering (the selected session's), or -1.
    int SelectedRow() const { return selectedRow_; }
    void SetSelectedRow(int row);

Q_SIGNALS:
    // The view selects this row and scrolls it into view.
    void selectionRequested(int row);

private:
    int selectedRow_ = -1;
};

} // namespace monitor
