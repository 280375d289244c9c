#include "gui/views/ListViewSetup.h"

#include <QHeaderView>

namespace gui {

void SetUpListView(QTreeView& view, QAbstractItemView::SelectionMode mode) {
    view.setRootIsDecorated(false);
    view.setUniformRowHeights(true);
    view.setAllColumnsShowFocus(true);
    view.setSelectionMode(mode);
    view.setSelectionBehavior(QAbstractItemView::SelectRows);
    view.setEditTriggers(QAbstractItemView::NoEditTriggers);
    // Alternate rows shaded by the palette; the last column takes the width left over.
    view.setAlternatingRowColors(true);
    view.header()->setStretchLastSection(true);
}

} // namespace gui
