// The "Object" page (segment of a data block) and the "Tuning Memory" page (memory probe,
// schedule, history) of the main window.
#include "detail/CurrentWaitInformation.h"
#include "detail/MemoryProbe.h"
#include "gui/ReadableColour.h"
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
    fileIdEdit = new QLineEdit(page);
    fileIdEdit->setObjectName(QStringLiteral("fileIdEdit"));
    fileIdEdit->setMaximumWidth(90);
    row->addWidget(fileIdEdit);
    row->addWidget(new QLabel(QStringLiteral("Block Id"), page));
    blockIdEdit = new QLineEdit(page);
    blockIdEdit->setObjectName(QStringLiteral("blockIdEdit"));
    blockIdEdit->setMaximumWidth(90);
    row->addWidget(blockIdEdit);
    searchButton = new QPushButton(QStringLiteral("&Search"), page);
    searchButton->setObjectName(QStringLiteral("searchButton"));
    searchButton->setEnabled(false);
    row->addWidget(searchButton);
    row->addStretch();
    layout->addLayout(row);
    waitObjectList = new TDetailListView(WaitInformationModel, "lvCurrentWaitInformation", page);
    layout->addWidget(waitObjectList);
    for (QLineEdit* edit : {fileIdEdit, blockIdEdit}) {
        connect(edit, &QLineEdit::textChanged, this, [this] { onBlockAddressChanged(); });
        // "&Search" is the page's default button: Enter in an edit presses it.
        connect(edit, &QLineEdit::returnPressed, this, [this] {
            if (searchButton->isEnabled())
                searchButton->click();
        });
    }
    connect(searchButton, &QPushButton::clicked, this, [this] { onSearchClicked(); });
}

void TDetailPages::onBlockAddressChanged() {
    searchButton->setEnabled(!fileIdEdit->text().isEmpty() && !blockIdEdit->text().isEmpty());
}

void TDetailPages::onSearchClicked() {
    bool fileOk = false, blockOk = false;
    const int file = fileIdEdit->text().toInt(&fileOk);
    const int block = blockIdEdit->text().toInt(&blockOk);
    if (!fileOk || !blockOk) {
        QMessageBox::information(&window_, QApplication::applicationDisplayName(),
                                 QStringLiteral("File Id or Block Id Error!"));
        return;
    }
    monitor_.WaitingBlock.fileId = file;
    monitor_.WaitingBlock.blockId = block;
    monitor_.WaitingBlockState = 0;
    detail::StartWaitInformationLookup(
        monitor_, {&WaitInformationModel, &CurrentWaitsModel,
                   [this](bool enabled) { searchButton->setEnabled(enabled); }});
}

void TDetailPages::onFindObject() {
    tabs_.setTabVisible(ObjectPage, true);
    tabs_.setCurrentIndex(ObjectPage);
    fileIdEdit->clear();
    blockIdEdit->clear();
    fileIdEdit->setFocus();
}

// ---- "Tuning Memory" ----

void TDetailPages::BuildMemoryPage() {
    QWidget* page = pages_[TuningMemoryPage];
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(2, 2, 2, 2);
    auto* row = new QHBoxLayout;
    probeButton = new QPushButton(QStringLiteral("&Probe"), page);
    probeButton->setObjectName(QStringLiteral("probeButton"));
    scheduleButton = new QPushButton(QStringLiteral("&Schedule"), page);
    scheduleButton->setObjectName(QStringLiteral("scheduleButton"));
    clearHistoryButton = new QPushButton(QStringLiteral("&Clear"), page);
    clearHistoryButton->setObjectName(QStringLiteral("clearHistoryButton"));
    clearHistoryButton->setEnabled(false);
    for (QPushButton* b : {probeButton, scheduleButton, clearHistoryButton})
        row->addWidget(b);
    row->addSpacing(20);
    row->addWidget(new QLabel(QStringLiteral("Auto Probe:"), page));
    autoProbeValue = new QLabel(page);
    autoProbeValue->setObjectName(QStringLiteral("autoProbeValue"));
    row->addWidget(autoProbeValue);
    row->addSpacing(20);
    intervalLabel = new QLabel(QStringLiteral("Interval:"), page);
    intervalLabel->setObjectName(QStringLiteral("intervalLabel"));
    row->addWidget(intervalLabel);
    intervalValue = new QLabel(page);
    intervalValue->setObjectName(QStringLiteral("intervalValue"));
    row->addWidget(intervalValue);
    row->addStretch();
    layout->addLayout(row);
    memoryHistory = new TDetailListView(MemoryModel, "LvMemory", page);
    layout->addWidget(memoryHistory);
    connect(memoryHistory->header(), &QHeaderView::sectionClicked, this,
            [this](int column) { SortColumnClick(memoryHistory, column); });
    KeepSorted(memoryHistory);
    connect(probeButton, &QPushButton::clicked, this, [this] { monitor_.StartMemoryProbe(); });
    connect(scheduleButton, &QPushButton::clicked, this, [this] { onScheduleClicked(); });
    connect(clearHistoryButton, &QPushButton::clicked, this, [this] { ClearProbeHistory(); });
    // "&Clear" is enabled exactly while the history has rows.
    auto updateClear = [this] { clearHistoryButton->setEnabled(MemoryModel.rowCount() > 0); };
    connect(&MemoryModel, &QAbstractItemModel::rowsInserted, this, updateClear);
    connect(&MemoryModel, &QAbstractItemModel::modelReset, this, updateClear);
    UpdateAutoProbeLabels();
}

void TDetailPages::UpdateAutoProbeLabels() {
    const bool on = monitor_.AutoProbe();
    autoProbeValue->setText(on ? QStringLiteral("ON") : QStringLiteral("OFF"));
    QPalette palette = autoProbeValue->palette();
    palette.setColor(QPalette::WindowText, ReadableOn(on ? QColor(Qt::green) : QColor(Qt::red),
                                                      palette.color(QPalette::Window)));
    autoProbeValue->setPalette(palette);
    intervalLabel->setVisible(on);
    intervalValue->setVisible(on);
    intervalValue->setText(
        QString::fromStdString(detail::ProbeIntervalText(monitor_.ProbeInterval())));
}

void TDetailPages::onScheduleClicked() {
    detail::TFrmProbeOption dialog(&window_);
    dialog.LoadFrom(monitor_);
    if (dialog.exec() == QDialog::Accepted)
        dialog.ApplyTo(monitor_);
    UpdateAutoProbeLabels();
}

void TDetailPages::ClearProbeHistory() {
    MemoryModel.Clear();
}

void TDetailPages::onTuneMemory() {
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
