#include "gui/views/SessionListView.h"

#include "gui/views/ListHeaderKeeper.h"
#include "gui/views/ListViewSetup.h"

#include <QHeaderView>
#include <QStyle>
#include <algorithm>

namespace gui {

TSessionListView::TSessionListView(monitor::TSessionListModel& model, QWidget* parent)
    : QTreeView(parent), model_(model), filter_(model), decorator_(this) {
    setObjectName(QStringLiteral("lvsessionlist"));
    decorator_.setSourceModel(&filter_);
    setModel(&decorator_);
    SetUpListView(*this, QAbstractItemView::ExtendedSelection);
    setContextMenuPolicy(Qt::CustomContextMenu);
    header()->setSectionsClickable(true);
    header()->setSortIndicatorShown(true);
    header()->setStretchLastSection(true);
    header()->setSortIndicator(-1, Qt::DescendingOrder);
    // The arrow and the order go together: whatever sets the arrow (a click, the remembered
    // header) sorts the list, and the filter model keeps that order through refreshes.
    connect(header(), &QHeaderView::sortIndicatorChanged, this,
            [this](int column, Qt::SortOrder order) {
                filter_.sort(column, order);
                KeepSelectedInView();
            });
    connect(&model, &QAbstractItemModel::modelReset, this, [this] { ColumnsChanged(); });
    connect(&model, &monitor::TSessionListModel::selectionRequested, this,
            [this](int row) { SelectRow(row); });
    keeper_ = new TListHeaderKeeper(*this, QStringLiteral("SessionList"));
    keeper_->SetMinimumWidth([this](int column) { return column == 0 ? SidColumnWidth() : 0; });
}

void TSessionListView::ColumnsChanged() {
    const int count = model_.columnCount();
    for (int c = 0; c < count; ++c)
        // A column of width 0 is present in every row, not visible.
        setColumnHidden(c, model_.headerData(c, Qt::Horizontal, Qt::UserRole).toInt() == 0);
    if (count == columns_)
        return;
    columns_ = count;
    // Until the user sorts otherwise: by the statistic, highest first, as the fetch orders.
    const auto& columns = model_.Columns();
    for (int c = 0; c < count; ++c)
        if (columns[static_cast<std::size_t>(c)].order == monitor::TColumnOrder::Statistic)
            keeper_->SetDefaultSort(c, Qt::DescendingOrder);
    filter_.sort(header()->sortIndicatorSection(), header()->sortIndicatorOrder());
}

int TSessionListView::SidColumnWidth() const {
    // SIDs are numbers: the longest of them is the widest, whatever its digits, measured as a
    // row of zeros and as itself (a font may draw its digits in different widths).
    const std::string longest = model_.LongestCaption();
    int widest = fontMetrics().horizontalAdvance(QStringLiteral("SID"));
    if (!longest.empty()) {
        const QString text = QString::fromStdString(longest);
        widest =
            std::max({widest, fontMetrics().horizontalAdvance(text),
                      fontMetrics().horizontalAdvance(QString(text.size(), QLatin1Char('0')))});
    }
    const int icon = style()->pixelMetric(QStyle::PM_SmallIconSize, nullptr, this);
    const int margin = style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, this) + 1;
    // The image, the text and the cell's margins on both sides and between them.
    return widest + icon + 4 * margin + 8;
}

std::vector<int> TSessionListView::SelectedRows() const {
    std::vector<int> rows;
    if (!selectionModel())
        return rows;
    for (const QModelIndex& index : selectionModel()->selectedRows()) {
        const int row = filter_.SourceRow(decorator_.mapToSource(index).row());
        if (row >= 0)
            rows.push_back(row);
    }
    std::sort(rows.begin(), rows.end());
    return rows;
}

void TSessionListView::SelectRow(int row) {
    const int shown = filter_.ProxyRow(row);
    const QModelIndex index = shown < 0 ? QModelIndex() : decorator_.index(shown, 0);
    if (!index.isValid())
        return;
    selectionModel()->select(index,
                             QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    selectionModel()->setCurrentIndex(index, QItemSelectionModel::NoUpdate);
    scrollTo(index);
}

void TSessionListView::SortBy(int column, Qt::SortOrder order) {
    if (header()->sortIndicatorSection() == column && header()->sortIndicatorOrder() == order) {
        filter_.sort(column, order);
        KeepSelectedInView();
    } else {
        header()->setSortIndicator(column, order);
    }
}

void TSessionListView::KeepSelectedInView() {
    // The selection follows its rows through a sort; the current row, when selected, is
    // scrolled to at its new place.
    const QModelIndex current = currentIndex();
    if (current.isValid() && selectionModel() && selectionModel()->isSelected(current))
        scrollTo(current);
}

} // namespace gui
