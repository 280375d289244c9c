#include "gui/dialogs/OptionsDialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QVBoxLayout>

namespace monitor {

TFrmOptions::TFrmOptions(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("FrmOptions"));
    setWindowTitle(QStringLiteral("Options"));

    Pages = new QTabWidget(this);
    TSDisplay = new QWidget;
    TSDisplay->setObjectName(QStringLiteral("TSDisplay"));
    auto* display = new QVBoxLayout(TSDisplay);

    auto* autoGroup = new QGroupBox(QStringLiteral("Auto Refresh"), TSDisplay);
    auto* autoLayout = new QVBoxLayout(autoGroup);
    CBAutoRefresh = new QCheckBox(QStringLiteral("Auto Refresh"), autoGroup);
    CBAutoRefresh->setObjectName(QStringLiteral("CBAutoRefresh"));
    auto* intervalRow = new QHBoxLayout;
    auto* intervalLabel = new QLabel(QStringLiteral("Interval"), autoGroup);
    ERefreshInterval = new QSpinBox(autoGroup);
    ERefreshInterval->setObjectName(QStringLiteral("ERefreshInterval"));
    // Values below 3 may be typed; the monitor stores them as 3 seconds.
    ERefreshInterval->setRange(0, 10000);
    ERefreshInterval->setValue(20);
    intervalLabel->setBuddy(ERefreshInterval);
    intervalRow->addWidget(intervalLabel);
    intervalRow->addWidget(ERefreshInterval);
    intervalRow->addWidget(new QLabel(QStringLiteral("Seconds"), autoGroup));
    intervalRow->addStretch(1);
    autoLayout->addWidget(CBAutoRefresh);
    autoLayout->addLayout(intervalRow);

    auto* displayGroup = new QGroupBox(QStringLiteral("Display Options"), TSDisplay);
    auto* displayLayout = new QVBoxLayout(displayGroup);
    CBShowServerSession = new QCheckBox(QStringLiteral("Show background sessions"), displayGroup);
    CBShowServerSession->setObjectName(QStringLiteral("CBShowServerSession"));
    CBShowKilledSession =
        new QCheckBox(QStringLiteral("Show sessions that have been killed"), displayGroup);
    CBShowKilledSession->setObjectName(QStringLiteral("CBShowKilledSession"));
    displayLayout->addWidget(CBShowServerSession);
    displayLayout->addWidget(CBShowKilledSession);
    display->addWidget(autoGroup);
    display->addWidget(displayGroup);
    display->addStretch(1);

    TSSort = new QWidget;
    TSSort->setObjectName(QStringLiteral("TSSort"));
    auto* sort = new QFormLayout(TSSort);
    CBStatisticsType = new QComboBox(TSSort);
    CBStatisticsType->setObjectName(QStringLiteral("CBStatisticsType"));
    CBStatisticsNames = new QComboBox(TSSort);
    CBStatisticsNames->setObjectName(QStringLiteral("CBStatisticsNames"));
    CBStatisticsNames->setMinimumContentsLength(28);
    sort->addRow(QStringLiteral("Statistic Filter"), CBStatisticsType);
    sort->addRow(QStringLiteral("Sort Statistic"), CBStatisticsNames);

    Pages->addTab(TSDisplay, QStringLiteral("Display"));
    Pages->addTab(TSSort, QStringLiteral("Sort"));

    auto* buttons = new QDialogButtonBox(this);
    auto* ok = buttons->addButton(QStringLiteral("&Ok"), QDialogButtonBox::AcceptRole);
    ok->setObjectName(QStringLiteral("BtOk"));
    ok->setDefault(true); // Enter acts as OK
    buttons->addButton(QStringLiteral("&Cancel"), QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Pages);
    layout->addWidget(buttons);

    connect(CBAutoRefresh, &QCheckBox::toggled, this, [this] { UpdateIntervalEnabled(); });
    connect(CBStatisticsType, &QComboBox::currentIndexChanged, this, [this] { FillNames(); });
    resize(QSize(359, 276).expandedTo(sizeHint()));
}

void TFrmOptions::UpdateIntervalEnabled() {
    ERefreshInterval->setEnabled(CBAutoRefresh->isChecked());
}

void TFrmOptions::LoadFrom(const TPvConnection& monitor) {
    monitor_ = &monitor;
    CBAutoRefresh->setChecked(monitor.AutoRefresh());
    ERefreshInterval->setValue(monitor.RefreshInterval() / 1000);
    UpdateIntervalEnabled();
    CBShowServerSession->setChecked(monitor.ShowBackgroundSessions);
    CBShowKilledSession->setChecked(monitor.ShowKilledSessions);
    {
        const QSignalBlocker block(CBStatisticsType);
        CBStatisticsType->clear();
        int selected = 0;
        for (std::size_t i = 0; i < kStatisticClasses.size(); ++i) {
            const auto& c = kStatisticClasses[i];
            CBStatisticsType->addItem(
                QString::fromUtf8(c.name.data(), static_cast<qsizetype>(c.name.size())));
            if (std::to_string(c.code) == monitor.SortStatisticClass)
                selected = static_cast<int>(i);
        }
        CBStatisticsType->setCurrentIndex(selected);
    }
    FillNames();
    Pages->setCurrentWidget(TSDisplay);
}

void TFrmOptions::FillNames() {
    CBStatisticsNames->clear();
    if (!monitor_)
        return;
    const TClassStatistics names =
        StatisticsOfClass(*monitor_, CBStatisticsType->currentText().toStdString());
    for (const auto& n : names.names)
        CBStatisticsNames->addItem(QString::fromStdString(n));
    CBStatisticsNames->setCurrentIndex(names.selected);
}

TOptionsValues TFrmOptions::Values() const {
    TOptionsValues v;
    v.autoRefresh = CBAutoRefresh->isChecked();
    v.intervalText = ERefreshInterval->text().toStdString();
    v.showBackground = CBShowServerSession->isChecked();
    v.showKilled = CBShowKilledSession->isChecked();
    v.className = CBStatisticsType->currentText().toStdString();
    v.statisticName = CBStatisticsNames->currentText().toStdString();
    return v;
}

} // namespace monitor
