// The "Object" page (segment of a data block) and the "Tuning Memory" page (memory probe,
// schedule, history) of the main window.
#include "detail/CurrentWaitInformation.h"
#include "detail/MemoryProbe.h"
#include "gui/dialogs/ProbeOptionsDialog.h"
#include "gui/pages/DetailPages.h"
#include "gui/views/DetailListView.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

namespace gui {

// ---- "Object" ----

void TDetailPages::BuildObjectPage() {
    QWidget* page = pages_[ObjectPage];
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(2, 2, 2, 2);
    auto* row = new QHBoxLayout;
    row->addWidget(new QLabel(QStringLiteral("File Id"), page));
    EdFileId = new QLineEdit(page);
    EdFileId->setObjectName(QStringLiteral("EdFileId"));
    EdFileId->setMaximumWidth(90);
    row->addWidget(EdFileId);
    row->addWidget(new QLabel(QStringLiteral("Block Id"), page));
    EdBlockId = new QLineEdit(page);
    EdBlockId->setObjectName(QStringLiteral("EdBlockId"));
    EdBlockId->setMaximumWidth(90);
    row->addWidget(EdBlockId);
    BtFindObj = new QPushButton(QStringLiteral("&Search"), page);
    BtFindObj->setObjectName(QStringLiteral("BtFindObj"));
    BtFindObj->setEnabled(false);
    row->addWidget(BtFindObj);
    row->addStretch();
    layout->addLayout(row);
    lvCurrentWaitInformation =
        new TDetailListView(WaitInformationModel, "lvCurrentWaitInformation", page);
    layout->addWidget(lvCurrentWaitInformation);
    for (QLineEdit* edit : {EdFileId, EdBlockId}) {
        connect(edit, &QLineEdit::textChanged, this, [this] { EdFileIdChange(); });
        // "&Search" is the page's default button: Enter in an edit presses it.
        connect(edit, &QLineEdit::returnPressed, this, [this] {
            if (BtFindObj->isEnabled())
                BtFindObj->click();
        });
    }
    connect(BtFindObj, &QPushButton::clicked, this, [this] { BtFindObjClick(); });
}

void TDetailPages::EdFileIdChange() {
    BtFindObj->setEnabled(!EdFileId->text().isEmpty() && !EdBlockId->text().isEmpty());
}

void TDetailPages::BtFindObjClick() {
    bool fileOk = false, blockOk = false;
    const int file = EdFileId->text().toInt(&fileOk);
    const int block = EdBlockId->text().toInt(&blockOk);
    if (!fileOk || !blockOk) {
        QMessageBox::information(&window_, QApplication::applicationDisplayName(),
                                 QStringLiteral("File Id or Block Id Error!"));
        return;
    }
    monitor_.WaitingBlock.fileId = file;
    monitor_.WaitingBlock.blockId = block;
    monitor_.WaitingBlockState = 0;
    detail::StartWaitInformationLookup(monitor_,
                                       {&WaitInformationModel, &CurrentWaitsModel,
                                        [this](bool enabled) { BtFindObj->setEnabled(enabled); }});
}

void TDetailPages::AcFindObjExecute() {
    tabs_.setTabVisible(ObjectPage, true);
    tabs_.setCurrentIndex(ObjectPage);
    EdFileId->clear();
    EdBlockId->clear();
    EdFileId->setFocus();
}

// ---- "Tuning Memory" ----

void TDetailPages::BuildMemoryPage() {
    QWidget* page = pages_[TuningMemoryPage];
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(2, 2, 2, 2);
    auto* row = new QHBoxLayout;
    BtProbe = new QPushButton(QStringLiteral("&Probe"), page);
    BtProbe->setObjectName(QStringLiteral("BtProbe"));
    BtSchedule = new QPushButton(QStringLiteral("&Schedule"), page);
    BtSchedule->setObjectName(QStringLiteral("BtSchedule"));
    BtClearHistory = new QPushButton(QStringLiteral("&Clear"), page);
    BtClearHistory->setObjectName(QStringLiteral("BtClearHistory"));
    BtClearHistory->setEnabled(false);
    for (QPushButton* b : {BtProbe, BtSchedule, BtClearHistory})
        row->addWidget(b);
    row->addSpacing(20);
    row->addWidget(new QLabel(QStringLiteral("Auto Probe:"), page));
    LbAutoProbeV = new QLabel(page);
    LbAutoProbeV->setObjectName(QStringLiteral("LbAutoProbeV"));
    row->addWidget(LbAutoProbeV);
    row->addSpacing(20);
    LbInterval = new QLabel(QStringLiteral("Interval:"), page);
    LbInterval->setObjectName(QStringLiteral("LbInterval"));
    row->addWidget(LbInterval);
    LbIntervalV = new QLabel(page);
    LbIntervalV->setObjectName(QStringLiteral("LbIntervalV"));
    row->addWidget(LbIntervalV);
    row->addStretch();
    layout->addLayout(row);
    LvMemory = new TDetailListView(MemoryModel, "LvMemory", page);
    layout->addWidget(LvMemory);
    connect(LvMemory->header(), &QHeaderView::sectionClicked, this,
            [this](int column) { SortColumnClick(LvMemory, column); });
    connect(BtProbe, &QPushButton::clicked, this, [this] { monitor_.StartMemoryProbe(); });
    connect(BtSchedule, &QPushButton::clicked, this, [this] { BtScheduleClick(); });
    connect(BtClearHistory, &QPushButton::clicked, this, [this] { ClearProbeHistory(); });
    // "&Clear" is enabled exactly while the history has rows.
    auto updateClear = [this] { BtClearHistory->setEnabled(MemoryModel.rowCount() > 0); };
    connect(&MemoryModel, &QAbstractItemModel::rowsInserted, this, updateClear);
    connect(&MemoryModel, &QAbstractItemModel::modelReset, this, updateClear);
    UpdateAutoProbeLabels();
}

void TDetailPages::UpdateAutoProbeLabels() {
    const bool on = monitor_.AutoProbe();
    LbAutoProbeV->setText(on ? QStringLiteral("ON") : QStringLiteral("OFF"));
    QPalette palette = LbAutoProbeV->palette();
    palette.setColor(QPalette::WindowText, on ? QColor(Qt::green) : QColor(Qt::red));
    LbAutoProbeV->setPalette(palette);
    LbInterval->setVisible(on);
    LbIntervalV->setVisible(on);
    LbIntervalV->setText(
        QString::fromStdString(detail::ProbeIntervalText(monitor_.ProbeInterval())));
}

void TDetailPages::BtScheduleClick() {
    detail::TFrmProbeOption dialog(&window_);
    dialog.LoadFrom(monitor_);
    if (dialog.exec() == QDialog::Accepted)
        dialog.ApplyTo(monitor_);
    UpdateAutoProbeLabels();
}

void TDetailPages::ClearProbeHistory() {
    MemoryModel.Clear();
}

void TDetailPages::AcTuneMemoryExecute() {
    tabs_.setTabVisible(TuningMemoryPage, true);
    tabs_.setCurrentIndex(TuningMemoryPage);
    if (!monitor_.AutoProbe())
        monitor_.StartMemoryProbe();
}

// ---- the main window's side ----

void TFrmMain::ClearProbeHistory() {
    if (detailPages_)
        detailPages_->ClearProbeHistory();
}

} // namespace gui
