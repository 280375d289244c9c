// The session list control of the main window's first page: a tree view over the session list
// model as the filter narrows and sorts it, with the row images, blue text and marked changes of
// the decorator. User-interface thread only.
#pragma once

#include "gui/models/SessionListDecorator.h"
#include "monitor/SessionFilterModel.h"
#include "monitor/SessionListModel.h"

#include <QTreeView>

namespace gui {

class TListHeaderKeeper;

class TSessionListView final : public QTreeView {
    Q_OBJECT
public:
    TSessionListView(monitor::TSessionListModel& model, QWidget* parent = nullptr);
    monitor::TSessionListModel& Model() const { return model_; }
    // The list as shown: filtered and sorted.
    monitor::TSessionFilterModel& Filter() { return filter_; }
    const monitor::TSessionFilterModel& Filter() const { return filter_; }
    TListHeaderKeeper& HeaderKeeper() const { return *keeper_; }
    // Rows of the model that are selected, in list order.
    std::vector<int> SelectedRows() const;
    // Selects one row of the model (only it) and scrolls it into view; nothing when the filter
    // hides the row.
    void SelectRow(int row);
    // Sorts by `column` in `order` and shows the arrow there (-1: the order of the fetch).
    void SortBy(int column, Qt::SortOrder order);
    // The width that shows the longest SID of the list with its image.
    int SidColumnWidth() const;

private:
    void ColumnsChanged();
    void KeepSelectedInView();
    monitor::TSessionListModel& model_;
    monitor::TSessionFilterModel filter_;
    TSessionListDecorator decorator_;
    TListHeaderKeeper* keeper_ = nullptr;
    int columns_ = 0;
};

} // namespace gui
