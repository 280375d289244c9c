#include "gui/dialogs/OptionsDialog.h"

#include "monitor/SessionControl.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QVBoxLayout>

namespace monitor {

TFrmOptions::TFrmOptions(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("FrmOptions"));
    setWindowTitle(QStringLiteral("Options"));

    Pages = new QTabWidget(this);
    displayPage = new QWidget;
    displayPage->setObjectName(QStringLiteral("displayPage"));
    auto* display = new QVBoxLayout(displayPage);

    auto* autoGroup = new QGroupBox(QStringLiteral("Auto Refresh"), displayPage);
    auto* autoLayout = new QVBoxLayout(autoGroup);
    autoRefreshCheck = new QCheckBox(QStringLiteral("Auto Refresh"), autoGroup);
    autoRefreshCheck->setObjectName(QStringLiteral("autoRefreshCheck"));
    auto* intervalRow = new QHBoxLayout;
    auto* intervalLabel = new QLabel(QStringLiteral("Interval"), autoGroup);
    refreshIntervalSpin = new QSpinBox(autoGroup);
    refreshIntervalSpin->setObjectName(QStringLiteral("refreshIntervalSpin"));
    // Values below 3 may be typed; the monitor stores them as 3 seconds.
    refreshIntervalSpin->setRange(0, 10000);
    refreshIntervalSpin->setValue(20);
    intervalLabel->setBuddy(refreshIntervalSpin);
    intervalRow->addWidget(intervalLabel);
    intervalRow->addWidget(refreshIntervalSpin);
    intervalRow->addWidget(new QLabel(QStringLiteral("Seconds"), autoGroup));
    intervalRow->addStretch(1);
    autoLayout->addWidget(autoRefreshCheck);
    autoLayout->addLayout(intervalRow);

    auto* displayGroup = new QGroupBox(QStringLiteral("Display Options"), displayPage);
    auto* displayLayout = new QVBoxLayout(displayGroup);
    showBackgroundCheck = new QCheckBox(QStringLiteral("Show background sessions"), displayGroup);
    showBackgroundCheck->setObjectName(QStringLiteral("showBackgroundCheck"));
    showKilledCheck =
        new QCheckBox(QStringLiteral("Show sessions that have been killed"), displayGroup);
    showKilledCheck->setObjectName(QStringLiteral("showKilledCheck"));
    displayLayout->addWidget(showBackgroundCheck);
    displayLayout->addWidget(showKilledCheck);
    display->addWidget(autoGroup);
    display->addWidget(displayGroup);
    display->addStretch(1);

    sortPage = new QWidget;
    sortPage->setObjectName(QStringLiteral("sortPage"));
    auto* sort = new QFormLayout(sortPage);
    statisticsClassCombo = new QComboBox(sortPage);
    statisticsClassCombo->setObjectName(QStringLiteral("statisticsClassCombo"));
    sortStatisticCombo = new QComboBox(sortPage);
    sortStatisticCombo->setObjectName(QStringLiteral("sortStatisticCombo"));
    sortStatisticCombo->setMinimumContentsLength(28);
    sort->addRow(QStringLiteral("Statistic Filter"), statisticsClassCombo);
    sort->addRow(QStringLiteral("Sort Statistic"), sortStatisticCombo);
    statisticShownAsCombo = new QComboBox(sortPage);
    statisticShownAsCombo->setObjectName(QStringLiteral("statisticShownAsCombo"));
    statisticShownAsCombo->addItem(QStringLiteral("Total since logon"));
    statisticShownAsCombo->addItem(QStringLiteral("Change per second since the last refresh"));
    sort->addRow(QStringLiteral("Show as"), statisticShownAsCombo);

    columnsPage = new QWidget;
    columnsPage->setObjectName(QStringLiteral("columnsPage"));
    auto* columns = new QVBoxLayout(columnsPage);
    auto* columnsLabel =
        new QLabel(QStringLiteral("Optional columns of the session list:"), columnsPage);
    columnsList = new QListWidget(columnsPage);
    columnsList->setObjectName(QStringLiteral("columnsList"));
    columnsLabel->setBuddy(columnsList);
    for (const TOptionalColumn& c : kOptionalColumns) {
        auto* item = new QListWidgetItem(
            QString::fromLatin1(c.caption.data(), static_cast<qsizetype>(c.caption.size())),
            columnsList);
        item->setFlags(Qt::ItemIsUserCheckable | Qt::ItemIsEnabled | Qt::ItemIsSelectable);
        item->setCheckState(c.byDefault ? Qt::Checked : Qt::Unchecked);
    }
    columns->addWidget(columnsLabel);
    columns->addWidget(columnsList);

    // The activity history: how often the active sessions are sampled, how long and how much of
    // them the store keeps.
    historyPage = new QWidget;
    historyPage->setObjectName(QStringLiteral("historyPage"));
    auto* history = new QFormLayout(historyPage);
    // The unit follows the number: "1 second", "5 seconds".
    auto spin = [&](const char* name, int low, int high, const char* one, const char* many) {
        auto* box = new QSpinBox(historyPage);
        box->setObjectName(QString::fromLatin1(name));
        box->setRange(low, high);
        auto unit = [box, one, many](int value) {
            box->setSuffix(QString::fromLatin1(value == 1 ? one : many));
        };
        unit(box->value());
        connect(box, &QSpinBox::valueChanged, box, unit);
        return box;
    };
    sampleIntervalSpin = spin("sampleIntervalSpin", 1, 3600, " second", " seconds");
    retentionSpin = spin("retentionSpin", 1, 24 * 366, " hour", " hours");
    maxSizeSpin = spin("maxSizeSpin", 1, 1024 * 1024, " MB", " MB");
    history->addRow(QStringLiteral("Sample active sessions every"), sampleIntervalSpin);
    history->addRow(QStringLiteral("Keep samples for"), retentionSpin);
    history->addRow(QStringLiteral("Keep at most"), maxSizeSpin);
    auto* historyNote = new QLabel(QStringLiteral("The oldest samples go first. The history of "
                                                  "each instance is a file in your data folder "
                                                  "(quenby/history)."),
                                   historyPage);
    historyNote->setWordWrap(true);
    history->addRow(historyNote);

    Pages->addTab(displayPage, QStringLiteral("Display"));
    Pages->addTab(sortPage, QStringLiteral("Sort"));
    Pages->addTab(columnsPage, QStringLiteral("Columns"));
    Pages->addTab(historyPage, QStringLiteral("History"));

    auto* buttons = new QDialogButtonBox(this);
    auto* ok = buttons->addButton(QStringLiteral("&Ok"), QDialogButtonBox::AcceptRole);
    ok->setObjectName(QStringLiteral("okButton"));
    ok->setDefault(true); // Enter acts as OK
    buttons->addButton(QStringLiteral("&Cancel"), QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Pages);
    layout->addWidget(buttons);

    connect(autoRefreshCheck, &QCheckBox::toggled, this, [this] { UpdateIntervalEnabled(); });
    connect(statisticsClassCombo, &QComboBox::currentIndexChanged, this, [this] { FillNames(); });
    resize(QSize(359, 276).expandedTo(sizeHint()));
}

void TFrmOptions::LoadHistory(const history::THistoryOptions& options) {
    sampleIntervalSpin->setValue(options.sampleSeconds);
    retentionSpin->setValue(options.retentionHours);
    maxSizeSpin->setValue(options.maxMegabytes);
}

history::THistoryOptions TFrmOptions::HistoryValues() const {
    history::THistoryOptions o;
    o.sampleSeconds = sampleIntervalSpin->value();
    o.retentionHours = retentionSpin->value();
    o.maxMegabytes = maxSizeSpin->value();
    return o;
}

void TFrmOptions::UpdateIntervalEnabled() {
    refreshIntervalSpin->setEnabled(autoRefreshCheck->isChecked());
}

void TFrmOptions::LoadFrom(const TPvConnection& monitor) {
    monitor_ = &monitor;
    autoRefreshCheck->setChecked(monitor.AutoRefresh());
    refreshIntervalSpin->setValue(monitor.RefreshInterval() / 1000);
    UpdateIntervalEnabled();
    showBackgroundCheck->setChecked(monitor.ShowBackgroundSessions);
    showKilledCheck->setChecked(monitor.ShowKilledSessions);
    statisticShownAsCombo->setCurrentIndex(monitor.ShowSortRate ? 1 : 0);
    {
        const QSignalBlocker block(statisticsClassCombo);
        statisticsClassCombo->clear();
        int selected = 0;
        for (std::size_t i = 0; i < kStatisticClasses.size(); ++i) {
            const auto& c = kStatisticClasses[i];
            statisticsClassCombo->addItem(
                QString::fromUtf8(c.name.data(), static_cast<qsizetype>(c.name.size())));
            if (std::to_string(c.code) == monitor.SortStatisticClass)
                selected = static_cast<int>(i);
        }
        statisticsClassCombo->setCurrentIndex(selected);
    }
    FillNames();
    const int major = MajorVersion(monitor.InstanceVersion);
    for (int id = 0; id < ocCount && id < columnsList->count(); ++id) {
        QListWidgetItem* item = columnsList->item(id);
        item->setCheckState((monitor.ListColumns & ColumnBit(id)) != 0 ? Qt::Checked
                                                                       : Qt::Unchecked);
        // A column the instance lacks keeps the user's choice for other instances.
        const bool available = ColumnAvailable(id, major);
        item->setFlags(available ? item->flags() | Qt::ItemIsEnabled
                                 : item->flags() & ~Qt::ItemIsEnabled);
        item->setToolTip(available ? QString()
                                   : QStringLiteral("Not in v$session before Oracle 10g; this "
                                                    "instance is version ") +
                                         QString::fromStdString(monitor.InstanceVersion));
    }
    Pages->setCurrentWidget(displayPage);
}

void TFrmOptions::FillNames() {
    sortStatisticCombo->clear();
    if (!monitor_)
        return;
    const TClassStatistics names =
        StatisticsOfClass(*monitor_, statisticsClassCombo->currentText().toStdString());
    for (const auto& n : names.names)
        sortStatisticCombo->addItem(QString::fromStdString(n));
    sortStatisticCombo->setCurrentIndex(names.selected);
}

TOptionsValues TFrmOptions::Values() const {
    TOptionsValues v;
    v.autoRefresh = autoRefreshCheck->isChecked();
    v.intervalText = refreshIntervalSpin->text().toStdString();
    v.showBackground = showBackgroundCheck->isChecked();
    v.showKilled = showKilledCheck->isChecked();
    v.className = statisticsClassCombo->currentText().toStdString();
    v.statisticName = sortStatisticCombo->currentText().toStdString();
    v.sortRate = statisticShownAsCombo->currentIndex() == 1;
    v.columns = 0;
    for (int id = 0; id < ocCount && id < columnsList->count(); ++id)
        if (columnsList->item(id)->checkState() == Qt::Checked)
            v.columns |= ColumnBit(id);
    return v;
}

} // namespace monitor
