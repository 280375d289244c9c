// What the report-style list views share: no tree decoration, whole rows selected, read-only
// cells, alternating row colours, the full width used. User-interface thread.
#pragma once

#include <QTreeView>

namespace gui {

// Sets `view` up as a read-only list whose rows are selected whole, in selection `mode`.
void SetUpListView(QTreeView& view, QAbstractItemView::SelectionMode mode);

} // namespace gui
