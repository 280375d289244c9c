#include "gui/views/ListViewSetup.h"

namespace gui {

void SetUpListView(QTreeView& view, QAbstractItemView::SelectionMode mode) {
    view.setRootIsDecorated(false);
    view.setUniformRowHeights(true);
    view.setAllColumnsShowFocus(true);
    view.setSelectionMode(mode);
    view.setSelectionBehavior(QAbstractItemView::SelectRows);
    view.setEditTriggers(QAbstractItemView::NoEditTriggers);
}

} // namespace gui
