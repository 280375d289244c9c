// The list control of the detail pages: a tree view over a detail list model, with the column
// widths the model gives. User-interface thread only.
#pragma once

#include "detail/DetailListModel.h"

#include <QTreeView>

namespace gui {

class TListHeaderKeeper;

class TDetailListView final : public QTreeView {
    Q_OBJECT
public:
    TDetailListView(detail::TDetailListModel& model, const char* name, QWidget* parent = nullptr);
    detail::TDetailListModel& Model() const { return model_; }
    // The selected row, or -1.
    int SelectedRow() const;

private:
    void ApplyColumnWidths();
    detail::TDetailListModel& model_;
    TListHeaderKeeper* keeper_ = nullptr;
    int appliedColumns_ = -1;
};

} // namespace gui
