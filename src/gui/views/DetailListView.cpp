#include "gui/views/DetailListView.h"

#include "gui/views/ListHeaderKeeper.h"
#include "gui/views/ListViewSetup.h"

#include <QHeaderView>

namespace gui {

TDetailListView::TDetailListView(detail::TDetailListModel& model, const char* name, QWidget* parent)
    : QTreeView(parent), model_(model) {
    setObjectName(QString::fromLatin1(name));
    setModel(&model);
    SetUpListView(*this, QAbstractItemView::SingleSelection);
    header()->setStretchLastSection(true);
    header()->setSectionsClickable(true);
    header()->setSortIndicatorShown(false);
    // Widths are set when the columns change, not at every new set of rows, so that a width the
    // user dragged stays.
    connect(&model, &QAbstractItemModel::modelReset, this, [this] {
        if (model_.columnCount() != appliedColumns_)
            ApplyColumnWidths();
    });
    ApplyColumnWidths();
    keeper_ = new TListHeaderKeeper(*this, objectName());
}

void TDetailListView::ApplyColumnWidths() {
    appliedColumns_ = model_.columnCount();
    for (int c = 0; c < model_.columnCount(); ++c) {
        const int width = model_.headerData(c, Qt::Horizontal, Qt::UserRole).toInt();
        setColumnWidth(c, width > 0 ? width : header()->defaultSectionSize());
    }
}

int TDetailListView::SelectedRow() const {
    if (!selectionModel())
        return -1;
    const QModelIndexList rows = selectionModel()->selectedRows();
    return rows.isEmpty() ? -1 : rows.first().row();
}

} // namespace gui
