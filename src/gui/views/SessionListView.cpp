#include "gui/views/SessionListView.h"

#include "gui/Icons.h"
#include "gui/views/ListViewSetup.h"

#include <QApplication>
#include <QBrush>
#include <QHeaderView>
#include <QIcon>
#include <QStyle>
#include <algorithm>

namespace ui {

QVariant TSessionListDecorator::data(const QModelIndex& index, int role) const {
    if (role == Qt::DecorationRole && index.column() == 0) {
        const int image =
            QIdentityProxyModel::data(index, monitor::TSessionListModel::ImageIndexRole).toInt();
        // 9: the session has been killed; 14: it waits for a lock.
        if (image == 9) {
            static const QIcon killed = ThemedIcon("process-stop", QStyle::SP_DialogCancelButton);
            return killed;
        }
        if (image == 14) {
            static const QIcon waiting =
                ThemedIcon("system-lock-screen", QStyle::SP_MessageBoxWarning);
            return waiting;
        }
        return {};
    }
    if (role == Qt::ForegroundRole)
        return QBrush(QColor(0, 0, 255));
    return QIdentityProxyModel::data(index, role);
}

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

} // namespace ui
