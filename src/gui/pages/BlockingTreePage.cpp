#include "gui/pages/BlockingTreePage.h"

#include "gui/views/ListHeaderKeeper.h"
#include "monitor/SessionControl.h"

#include <QAction>
#include <QFontMetrics>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QStyledItemDelegate>
#include <QTreeView>
#include <QVBoxLayout>
#include <algorithm>

namespace gui {

namespace {

QString qs(const std::string& s) {
    return QString::fromStdString(s);
}

// Draws the root blockers, the sessions at the head of a chain, in bold.
class TRootBlockerDelegate final : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override {
        QStyledItemDelegate::initStyleOption(option, index);
        if (index.isValid() && !index.parent().isValid())
            option->font.setBold(true);
    }
};

} // namespace

TBlockingTreePage::TBlockingTreePage(monitor::TPvConnection& monitor, QWidget* parent)
    : QWidget(parent), monitor_(monitor),
      reader_(std::make_shared<monitor::TBlockingTreeMonitor>(monitor, model_)) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    summary_ = new QLabel(this);
    summary_->setObjectName(QStringLiteral("blockingSummary"));
    summary_->setContentsMargins(6, 4, 6, 2);
    summary_->setWordWrap(true);
    layout->addWidget(summary_);

    tree_ = new QTreeView(this);
    tree_->setObjectName(QStringLiteral("blockingTree"));
    tree_->setModel(&model_);
    tree_->setSelectionBehavior(QAbstractItemView::SelectRows);
    tree_->setSelectionMode(QAbstractItemView::SingleSelection);
    tree_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    tree_->setAlternatingRowColors(true);
    tree_->setUniformRowHeights(true);
    tree_->setContextMenuPolicy(Qt::CustomContextMenu);
    tree_->header()->setStretchLastSection(true);
    tree_->header()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    tree_->setItemDelegate(new TRootBlockerDelegate(tree_));
    for (int c = 0; c < monitor::TBlockingTreeModel::ColumnCount; ++c)
        tree_->setColumnWidth(c, model_.headerData(c, Qt::Horizontal, Qt::UserRole).toInt());
    // Widths follow the contents until the user sets them, and are remembered; Ctrl+C copies.
    // The SID column grows with the depth of the chains (one indentation per level), so that no
    // SID is cut.
    keeper_ = new TListHeaderKeeper(*tree_, QStringLiteral("BlockingTree"));
    keeper_->SetMinimumWidth([this](int column) {
        if (column != monitor::TBlockingTreeModel::ColSid)
            return 0;
        QFont bold = tree_->font();
        bold.setBold(true);
        return monitor::ForestDepth(model_.Forest()) * tree_->indentation() +
               QFontMetrics(bold).horizontalAdvance(QStringLiteral("000000")) + 16;
    });
    layout->addWidget(tree_, 1);

    popup_ = new QMenu(this);
    popup_->setObjectName(QStringLiteral("blockingTreeMenu"));
    popup_->setToolTipsVisible(true);
    killItem_ = popup_->addAction(QStringLiteral("Kill Session"));
    killItem_->setObjectName(QStringLiteral("blockingKillItem"));
    cancelItem_ = popup_->addAction(QStringLiteral("Cancel SQL"));
    cancelItem_->setObjectName(QStringLiteral("blockingCancelItem"));
    connect(killItem_, &QAction::triggered, this, [this] {
        monitor::TBasicFieldArray fields{};
        if (SelectedSession(fields) && OnKill)
            OnKill(fields);
    });
    connect(cancelItem_, &QAction::triggered, this, [this] {
        monitor::TBasicFieldArray fields{};
        if (SelectedSession(fields) && OnCancelSql)
            OnCancelSql(fields);
    });
    connect(popup_, &QMenu::aboutToShow, this, [this] { UpdateItems(); });
    connect(tree_, &QWidget::customContextMenuRequested, this, [this](const QPoint& p) {
        UpdateItems();
        popup_->popup(tree_->viewport()->mapToGlobal(p));
    });

    // Each read replaces the tree: the chains show expanded and the selected session stays
    // selected while it is still in a chain.
    connect(&model_, &QAbstractItemModel::modelAboutToBeReset, this, [this] {
        keptSid_.clear();
        keptSerial_.clear();
        if (const monitor::TBlockingNode* node = model_.NodeAt(tree_->currentIndex())) {
            keptSid_ = node->session.sid;
            keptSerial_ = node->session.serial;
        }
    });
    reader_->OnRead = [this] {
        tree_->expandAll();
        keeper_->Settle();
        const QModelIndex kept = model_.IndexOf(keptSid_, keptSerial_);
        if (kept.isValid())
            tree_->selectionModel()->setCurrentIndex(kept, QItemSelectionModel::ClearAndSelect |
                                                               QItemSelectionModel::Rows);
        const std::vector<monitor::TBlockingNode>& forest = model_.Forest();
        const int sessions = monitor::CountSessions(forest);
        QString text;
        if (!reader_->LastError().empty())
            text = QStringLiteral("The blocking chains could not be read: ") +
                   qs(reader_->LastError());
        else if (forest.empty())
            text = QStringLiteral("No session waits for another session.");
        else
            text = QStringLiteral("%1 blocking %2, %3 waiting %4; deepest chain: %5 levels")
                       .arg(forest.size())
                       .arg(forest.size() == 1 ? QStringLiteral("chain") : QStringLiteral("chains"))
                       .arg(sessions - static_cast<int>(forest.size()))
                       .arg(sessions - static_cast<int>(forest.size()) == 1
                                ? QStringLiteral("session")
                                : QStringLiteral("sessions"))
                       .arg(monitor::ForestDepth(forest));
        summary_->setText(text);
        UpdateItems();
    };
    monitor_.Attach(reader_);
    summary_->setText(QStringLiteral("Reading the blocking chains..."));
}

void TBlockingTreePage::SetShown(bool shown) {
    reader_->SetShown(shown);
    if (shown)
        reader_->Refresh();
}

bool TBlockingTreePage::SelectedSession(monitor::TBasicFieldArray& fields) const {
    const monitor::TBlockingNode* node = model_.NodeAt(tree_->currentIndex());
    if (!node || node->missing || !tree_->selectionModel()->isSelected(tree_->currentIndex()))
        return false;
    const monitor::TBlockingSession& s = node->session;
    fields = {};
    fields[monitor::bfSid] = s.sid;
    fields[monitor::bfSerial] = s.serial;
    fields[monitor::bfUsername] = s.username;
    fields[monitor::bfMachine] = s.machine;
    fields[monitor::bfProgram] = s.program;
    return true;
}

void TBlockingTreePage::UpdateItems() {
    monitor::TBasicFieldArray fields{};
    const bool selected = monitor_.Connected() && SelectedSession(fields);
    killItem_->setEnabled(selected);
    const std::string reason = monitor::CancelSqlUnavailableReason(monitor_.InstanceVersion);
    cancelItem_->setEnabled(selected && reason.empty());
    cancelItem_->setToolTip(reason.empty() ? QStringLiteral("Cancel the running statement of the "
                                                            "selected session; it stays connected")
                                           : qs(reason));
}

} // namespace gui
