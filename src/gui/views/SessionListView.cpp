#include "gui/views/SessionListView.h"

#include "gui/Icons.h"
#include "gui/views/ListViewSetup.h"

#include <QApplication>
#include <QBrush>
#include <QHeaderView>
#include <QIcon>
#include <QStyle>
#include <algorithm>

namespace gui {

TSessionListView::TSessionListView(monitor::TSessionListModel& model, QWidget* parent)
    : QTreeView(parent), model_(model), decorator_(this) {
    setObjectName(QStringLiteral("lvsessionlist"));
    decorator_.setSourceModel(&model);
    setModel(&decorator_);
    SetUpListView(*this, QAbstractItemView::ExtendedSelection);
    setContextMenuPolicy(Qt::CustomContextMenu);
    header()->setSectionsClickable(true);
    header()->setSortIndicatorShown(false);
    header()->setStretchLastSection(true);
    connect(&model, &QAbstractItemModel::modelReset, this, [this] { ApplyColumnWidths(); });
    connect(&model, &monitor::TSessionListModel::selectionRequested, this,
            [this](int row) { SelectRow(row); });
}

void TSessionListView::ApplyColumnWidths() {
    for (int c = 0; c < model_.columnCount(); ++c) {
        const int width = model_.headerData(c, Qt::Horizontal, Qt::UserRole).toInt();
        // "Serial#" has width 0: present in every row, not visible.
        setColumnHidden(c, width == 0);
        if (width > 0)
            setColumnWidth(c, width);
    }
}

std::vector<int> TSessionListView::SelectedRows() const {
    std::vector<int> rows;
    if (!selectionModel())
        return rows;
    for (const QModelIndex& index : selectionModel()->selectedRows())
        rows.push_back(index.row());
    std::sort(rows.begin(), rows.end());
    return rows;
}

void TSessionListView::SelectRow(int row) {
    const QModelIndex index = decorator_.index(row, 0);
    if (!index.isValid())
        return;
    selectionModel()->select(index,
                             QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    selectionModel()->setCurrentIndex(index, QItemSelectionModel::NoUpdate);
    scrollTo(index);
}

} // namespace gui
