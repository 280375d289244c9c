#include "gui/pages/LocksPage.h"

#include "gui/pages/DetailHeader.h"

#include <QHeaderView>
#include <QLabel>
#include <QTreeView>
#include <QVBoxLayout>

namespace gui {

using namespace sqllocks;

TLocksPage::TLocksPage(monitor::TPvConnection& monitor, QWidget* parent)
    : QWidget(parent), monitor_(monitor) {
    observer_ = std::make_shared<detail::TSessLocksObserver>(monitor_, lockModel_);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(MakeDetailHeader(this, LbLocksUsernameV, LbLocksMachineV, LbLocksProgramV,
                                       QStringLiteral("LbLocksUsernameV"),
                                       QStringLiteral("LbLocksMachineV"),
                                       QStringLiteral("LbLocksProgramV")));
    LVLocks = new QTreeView(this);
    LVLocks->setObjectName(QStringLiteral("LVLocks"));
    LVLocks->setRootIsDecorated(false);
    LVLocks->setUniformRowHeights(true);
    LVLocks->setSortingEnabled(false);
    LVLocks->setSelectionBehavior(QAbstractItemView::SelectRows);
    LVLocks->setModel(&lockModel_);
    LVLocks->header()->setSectionsClickable(false);
    ApplyListColumnWidths(LVLocks);
    connect(&lockModel_, &QAbstractItemModel::modelReset, LVLocks,
            [this] { ApplyListColumnWidths(LVLocks); });
    layout->addWidget(LVLocks, 1);
}

void TLocksPage::showEvent(QShowEvent* event) {
    FillHeader();
    QWidget::showEvent(event);
}

void TLocksPage::FillHeader() {
    FillDetailHeader(monitor_, LbLocksUsernameV, LbLocksMachineV, LbLocksProgramV);
}

} // namespace gui
