#include "gui/views/ListHeaderKeeper.h"

#include "monitor/ListCopy.h"
#include "monitor/RememberedSettings.h"

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QHeaderView>
#include <QTreeView>
#include <algorithm>
#include <array>
#include <functional>
#include <utility>

namespace gui {

TListHeaderKeeper::TListHeaderKeeper(QTreeView& view, const QString& name)
    : QObject(&view), view_(view), name_(name) {
    setObjectName(name + QStringLiteral("HeaderKeeper"));
    QHeaderView* header = view.header();
    // Several size changes in a row (a drag) are written once.
    saveTimer_.setSingleShot(true);
    saveTimer_.setInterval(500);
    connect(&saveTimer_, &QTimer::timeout, this, [this] { Save(); });
    connect(header, &QHeaderView::sectionResized, this, [this](int column, int from, int to) {
        // Not the user's: the keeper's own sizing, the list's widths at new columns, hiding and
        // showing a column, and the stretched last column following the window.
        if (applying_ || inReset_ || from == 0 || to == 0 || !ViewWhole() ||
            (view_.header()->stretchLastSection() && column == LastVisible()))
            return;
        UserChanged();
    });
    connect(header, &QHeaderView::sectionMoved, this, [this] {
        if (!applying_)
            UserChanged();
    });
    connect(header, &QHeaderView::sortIndicatorChanged, this, [this] {
        if (!applying_)
            UserChanged();
    });
    if (QAbstractItemModel* model = view.model()) {
        connect(model, &QAbstractItemModel::modelAboutToBeReset, this, [this] { inReset_ = true; });
        connect(model, &QAbstractItemModel::modelReset, this, [this] {
            inReset_ = false;
            if (ViewWhole())
                Settle();
        });
        // Rows added to a list that had none fill it the first time; rows that a filter brings
        // back (many small insertions) change nothing, so that filtering stays fast.
        connect(model, &QAbstractItemModel::rowsInserted, this, [this] {
            if (!fitted_ && !userSet_ && ViewWhole())
                Settle();
        });
    }

    auto* copy = new QAction(QStringLiteral("Copy Rows"), &view);
    copy->setObjectName(name + QStringLiteral("CopyRows"));
    copy->setShortcut(QKeySequence::Copy);
    copy->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    view.addAction(copy);
    connect(copy, &QAction::triggered, this, [this] {
        const QString text = SelectedRowsText(view_);
        if (!text.isEmpty())
            QGuiApplication::clipboard()->setText(text);
    });
    Settle();
}

bool TListHeaderKeeper::ViewWhole() const {
    // A QTreeWidget's own model is among the view's children: deleted with them, it clears
    // its rows when the view is a tree view no more, only the widget underneath.
    return qobject_cast<const QTreeView*>(static_cast<const QObject*>(&view_)) != nullptr;
}

TListHeaderKeeper::~TListHeaderKeeper() {
    // The header may be gone already: the last state seen is written.
    if (dirty_)
        monitor::SaveListHeader(Key(), state_);
}

QString TListHeaderKeeper::Key() const {
    // Per column count, so that a list whose columns changed does not take a foreign state.
    return name_ + QLatin1Char('/') + QString::number(settledColumns_);
}

void TListHeaderKeeper::SetMinimumWidth(std::function<int(int column)> minimum) {
    minimum_ = std::move(minimum);
    ApplyMinimums();
}

void TListHeaderKeeper::Settle() {
    QHeaderView* header = view_.header();
    const int columns = header->count();
    if (columns != settledColumns_) {
        if (dirty_)
            Save();
        settledColumns_ = columns;
        userSet_ = fitted_ = false;
        if (columns > 0) {
            const QByteArray saved = monitor::SavedListHeader(Key());
            applying_ = true;
            userSet_ = !saved.isEmpty() && header->restoreState(saved);
            applying_ = false;
            if (userSet_)
                state_ = saved;
        }
    }
    // Until the user sets widths, the columns follow their contents: exactly at the first rows,
    // afterwards only wider, so that they do not jump from refresh to refresh.
    if (!userSet_ && columns > 0 && view_.model() && view_.model()->rowCount() > 0) {
        Fit(fitted_);
        fitted_ = true;
    }
    ApplyMinimums();
}

int TListHeaderKeeper::LastVisible() const {
    const QHeaderView* header = view_.header();
    for (int v = header->count() - 1; v >= 0; --v)
        if (!header->isSectionHidden(header->logicalIndex(v)))
            return header->logicalIndex(v);
    return -1;
}

void TListHeaderKeeper::FitColumns() {
    Fit(false);
}

int TListHeaderKeeper::LongestTextsWidth(int column) const {
    const QAbstractItemModel* model = view_.model();
    const int rows = model ? model->rowCount() : 0;
    // A short flat list or a tree is measured by the view itself, row by row.
    if (rows <= kMeasuredRows || model->hasChildren(model->index(0, 0)))
        return static_cast<const QAbstractItemView&>(view_).sizeHintForColumn(column);
    // A long list: the widest text of a column is nearly always among its longest; measuring
    // every row's item through the style would cost the window a frame per column. The rows
    // from the top (up to a thousand, as the view would) are looked through for the longest
    // texts, and only those are measured.
    constexpr int kCandidates = 4;
    std::array<std::pair<qsizetype, int>, kCandidates> longest{};
    longest.fill({-1, -1});
    const int scanned = std::min(rows, 1000);
    for (int r = 0; r < scanned; ++r) {
        const qsizetype length = model->index(r, column).data(Qt::DisplayRole).toString().size();
        if (length > longest.back().first) {
            longest.back() = {length, r};
            std::sort(longest.begin(), longest.end(), std::greater<>());
        }
    }
    int width = 0;
    for (const auto& [length, row] : longest)
        if (row >= 0)
            width = std::max(width, view_.sizeHintForIndex(model->index(row, column)).width());
    return width;
}

void TListHeaderKeeper::Fit(bool widenOnly) {
    QHeaderView* header = view_.header();
    const int last = LastVisible();
    // The first fit looks through up to a thousand rows; the later ones, at every refresh,
    // measure only the rows in view, so that a refresh of a long list does not measure it again.
    const int precision = header->resizeContentsPrecision();
    if (widenOnly)
        header->setResizeContentsPrecision(0);
    applying_ = true;
    for (int c = 0; c < header->count(); ++c) {
        const bool stretched = c == last && header->stretchLastSection();
        if (header->isSectionHidden(c) || (stretched && widenOnly))
            continue;
        const int wanted = std::min(
            std::max(widenOnly ? static_cast<const QAbstractItemView&>(view_).sizeHintForColumn(c)
                               : LongestTextsWidth(c),
                     header->sectionSizeHint(c)),
            kMaximumFitWidth);
        if (stretched) {
            // The stretched last column fills what the others leave but never gets narrower
            // than its own width (the header's default at first): that width becomes its
            // contents', so that a narrow last column leaves the others room.
            header->setStretchLastSection(false);
            view_.setColumnWidth(c, wanted);
            header->setStretchLastSection(true);
        } else if (!widenOnly || wanted > view_.columnWidth(c)) {
            view_.setColumnWidth(c, wanted);
        }
    }
    applying_ = false;
    header->setResizeContentsPrecision(precision);
    ApplyMinimums();
}

void TListHeaderKeeper::SetDefaultSort(int column, Qt::SortOrder order) {
    if (userSet_)
        return;
    applying_ = true;
    view_.header()->setSortIndicator(column, order);
    applying_ = false;
}

void TListHeaderKeeper::ApplyMinimums() {
    if (!minimum_)
        return;
    QHeaderView* header = view_.header();
    applying_ = true;
    for (int c = 0; c < header->count(); ++c) {
        const int least = minimum_(c);
        if (least > 0 && !header->isSectionHidden(c) && view_.columnWidth(c) < least)
            view_.setColumnWidth(c, least);
    }
    applying_ = false;
}

void TListHeaderKeeper::UserChanged() {
    if (!ViewWhole() || view_.header()->count() == 0)
        return;
    userSet_ = true;
    state_ = view_.header()->saveState();
    dirty_ = true;
    saveTimer_.start();
}

void TListHeaderKeeper::Save() {
    saveTimer_.stop();
    if (!dirty_)
        return;
    monitor::SaveListHeader(Key(), state_);
    dirty_ = false;
}

QString TListHeaderKeeper::SelectedRowsText(const QTreeView& view) {
    const QAbstractItemModel* model = view.model();
    if (!model || !view.selectionModel())
        return {};
    std::vector<QModelIndex> rows;
    for (const QModelIndex& index : view.selectionModel()->selectedRows())
        rows.push_back(index);
    if (rows.empty())
        return {};
    monitor::SortInTreeOrder(rows);
    std::vector<int> columns;
    const QHeaderView* header = view.header();
    for (int v = 0; v < header->count(); ++v) {
        const int c = header->logicalIndex(v);
        if (!header->isSectionHidden(c))
            columns.push_back(c);
    }
    return monitor::IndexRowsAsTabText(*model, rows, columns);
}

} // namespace gui
