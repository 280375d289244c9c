#include "gui/pages/LocksPage.h"

#include "gui/pages/DetailHeader.h"
#include "gui/views/ListHeaderKeeper.h"

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
    layout->addWidget(MakeDetailHeader(
        this, usernameValue_, machineValue_, programValue_, QStringLiteral("locksUsernameValue"),
        QStringLiteral("locksMachineValue"), QStringLiteral("locksProgramValue")));
    locksList_ = new QTreeView(this);
    locksList_->setObjectName(QStringLiteral("LVLocks"));
    locksList_->setRootIsDecorated(false);
    locksList_->setAlternatingRowColors(true);
    locksList_->setUniformRowHeights(true);
    locksList_->setSortingEnabled(false);
    locksList_->setSelectionBehavior(QAbstractItemView::SelectRows);
    locksList_->setModel(&lockModel_);
    locksList_->header()->setSectionsClickable(false);
    ApplyListColumnWidths(locksList_);
    new TListHeaderKeeper(*locksList_, locksList_->objectName());
    layout->addWidget(locksList_, 1);
}

void TLocksPage::showEvent(QShowEvent* event) {
    FillHeader();
    QWidget::showEvent(event);
}

void TLocksPage::FillHeader() {
    FillDetailHeader(monitor_, usernameValue_, machineValue_, programValue_);
}

} // namespace gui
