// The session list control of the main window's first page: a tree view over the session list
// model, with the row images, blue text and the column widths the model gives.
// User-interface thread only.
#pragma once

#include "gui/models/SessionListDecorator.h"
#include "monitor/SessionListModel.h"

#include <QTreeView>

namespace gui {

class TSessionListView final : public QTreeView {
    Q_OBJECT
public:
    TSessionListView(monitor::TSessionListModel& model, QWidget* parent = nullptr);
    monitor::TSessionListModel& Model() const { return model_; }
    // Rows of the model that are selected, in list order.
    std::vector<int> SelectedRows() const;
    // Selects one row (only it) and scrolls it into view.
    void SelectRow(int row);

private:
    void ApplyColumnWidths();
    monitor::TSessionListModel& model_;
    TSessionListDecorator decorator_;
};

} // namespace gui
