// The display options: class membership of statistics, the options dialog, applying its values.
#include "gui/dialogs/OptionsDialog.h"

#include "monitor/DisplayOptions.h"
#include "monitor/MonitorSupport.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QListWidget>
#include <QSpinBox>
#include <QTabWidget>

namespace {

using namespace monitor;
using testing_support::MonitorRig;
using testing_support::openInstance;

TEST(StatisticClasses, MembershipFollowsTheClassBits) {
    EXPECT_TRUE(StatisticBelongsToClass("1", 1));
    EXPECT_TRUE(StatisticBelongsToClass("72", 8));
    EXPECT_TRUE(StatisticBelongsToClass("72", 64));
    EXPECT_FALSE(StatisticBelongsToClass("72", 1));
    EXPECT_TRUE(StatisticBelongsToClass("40", 8));
    EXPECT_TRUE(StatisticBelongsToClass("40", 32));
    EXPECT_FALSE(StatisticBelongsToClass("256", 1));
    EXPECT_TRUE(StatisticBelongsToClass("256", 256)); // only the equal text matches
    EXPECT_FALSE(StatisticBelongsToClass("0", 1));
    EXPECT_FALSE(StatisticBelongsToClass("", 1));
}

class Options : public ::testing::Test {
protected:
    void SetUp() override {
        instance = openInstance("options");
        rig.Connect("sandbox::memory:options");
    }
    std::shared_ptr<oradb::sandbox::Instance> instance;
    MonitorRig rig;
};

TEST_F(Options, ClassesListTheirStatisticsInDictionaryOrder) {
    TPvConnection& m = rig.monitor;
    const auto user = StatisticsOfClass(m, "User");
    ASSERT_FALSE(user.names.empty());
    EXPECT_EQ(user.names[static_cast<std::size_t>(user.selected)], "session logical reads");
    // A statistic of class 72 is listed under both Cache and SQL.
    m.StatisticNames.push_back({"9998", "sandbox cache sql statistic", "72", ""});
    const auto cache = StatisticsOfClass(m, "Cache");
    const auto sql = StatisticsOfClass(m, "SQL");
    EXPECT_NE(std::find(cache.names.begin(), cache.names.end(), "sandbox cache sql statistic"),
              cache.names.end());
    EXPECT_NE(std::find(sql.names.begin(), sql.names.end(), "sandbox cache sql statistic"),
              sql.names.end());
    EXPECT_EQ(cache.selected, 0); // the sort statistic is not a Cache one: the first is chosen
    // A class no statistic belongs to gives an empty list.
    m.StatisticNames.erase(
        std::remove_if(m.StatisticNames.begin(), m.StatisticNames.end(),
                       [](const auto& s) { return StatisticBelongsToClass(s[2], 128); }),
        m.StatisticNames.end());
    const auto debug = StatisticsOfClass(m, "Debug");
    EXPECT_TRUE(debug.names.empty());
    EXPECT_EQ(debug.selected, -1);
}

TEST_F(Options, TheDialogShowsTheMonitorsValues) {
    TPvConnection& m = rig.monitor;
    m.SetAutoRefresh(true);
    m.SetRefreshInterval(45);
    TFrmOptions dialog;
    dialog.LoadFrom(m);
    EXPECT_TRUE(dialog.autoRefreshCheck->isChecked());
    EXPECT_EQ(dialog.refreshIntervalSpin->value(), 45);
    EXPECT_TRUE(dialog.refreshIntervalSpin->isEnabled());
    dialog.autoRefreshCheck->setChecked(false);
    EXPECT_FALSE(dialog.refreshIntervalSpin->isEnabled());
    EXPECT_FALSE(dialog.showBackgroundCheck->isChecked());
    EXPECT_TRUE(dialog.showKilledCheck->isChecked());
    EXPECT_EQ(dialog.statisticsClassCombo->count(), 8);
    EXPECT_EQ(dialog.statisticsClassCombo->currentText(), "User");
    EXPECT_EQ(dialog.sortStatisticCombo->currentText(), "session logical reads");
    EXPECT_EQ(dialog.Pages->currentWidget(), dialog.displayPage);
    dialog.statisticsClassCombo->setCurrentText("Cache");
    EXPECT_TRUE(dialog.sortStatisticCombo->findText("physical reads") >= 0);
    EXPECT_EQ(dialog.sortStatisticCombo->findText("session logical reads"), -1);

    if (const QByteArray shots = qgetenv("QUENBY_SHOTS"); !shots.isEmpty()) {
        QDir().mkpath(QString::fromLocal8Bit(shots));
        dialog.show();
        dialog.grab().save(QString::fromLocal8Bit(shots) + "/dialog-options.png");
        dialog.Pages->setCurrentWidget(dialog.sortPage);
        dialog.grab().save(QString::fromLocal8Bit(shots) + "/dialog-options-sort.png");
    }
}

TEST_F(Options, TheHistoryPageShowsAndHandsBackTheHistorysOptions) {
    TFrmOptions dialog;
    dialog.LoadFrom(rig.monitor);
    history::THistoryOptions o;
    o.sampleSeconds = 5;
    o.retentionHours = 48;
    o.maxMegabytes = 500;
    dialog.LoadHistory(o);
    EXPECT_EQ(dialog.Pages->tabText(3), "History");
    EXPECT_EQ(dialog.sampleIntervalSpin->value(), 5);
    EXPECT_EQ(dialog.sampleIntervalSpin->text(), "5 seconds");
    EXPECT_EQ(dialog.retentionSpin->value(), 48);
    EXPECT_EQ(dialog.maxSizeSpin->value(), 500);
    dialog.retentionSpin->setValue(12);
    dialog.sampleIntervalSpin->setValue(0); // below the range: one second
    EXPECT_EQ(dialog.sampleIntervalSpin->text(), "1 second");
    const history::THistoryOptions back = dialog.HistoryValues();
    EXPECT_EQ(back.sampleSeconds, 1);
    EXPECT_EQ(back.retentionHours, 12);
    EXPECT_EQ(back.maxMegabytes, 500);
    if (const QByteArray shots = qgetenv("QUENBY_SHOTS"); !shots.isEmpty()) {
        QDir().mkpath(QString::fromLocal8Bit(shots));
        dialog.show();
        dialog.Pages->setCurrentWidget(dialog.historyPage);
        dialog.grab().save(QString::fromLocal8Bit(shots) + "/dialog-options-history.png");
    }
}

TEST_F(Options, ApplyingStoresTheIntervalAndRefreshesOnlyWhenTheListChanges) {
    TPvConnection& m = rig.monitor;
    TOptionsValues v;
    v.autoRefresh = true;
    v.intervalText = "1";
    v.showBackground = false;
    v.showKilled = true;
    v.className = "User";
    v.statisticName = "session logical reads";
    const int before = rig.fetches->fetched;
    ApplyOptions(m, v);
    EXPECT_EQ(m.RefreshInterval(), 3000);
    EXPECT_TRUE(m.RefreshTimer().isActive());
    EXPECT_FALSE(m.Running(wkList)); // no refresh at once
    EXPECT_EQ(rig.fetches->fetched, before);

    v.autoRefresh = false;
    v.intervalText = "abc";
    v.showBackground = true;
    EXPECT_THROW(ApplyOptions(m, v), std::invalid_argument);
    EXPECT_TRUE(m.ShowBackgroundSessions); // the steps before the interval took effect
    EXPECT_FALSE(m.AutoRefresh());
    EXPECT_FALSE(m.Running(wkList));
    EXPECT_EQ(rig.fetches->fetched, before);

    v.intervalText = "20";
    v.className = "Cache";
    v.statisticName = "physical reads";
    ApplyOptions(m, v);
    EXPECT_EQ(m.SortStatisticName, "physical reads");
    EXPECT_EQ(m.SortStatisticClass, "8");
    EXPECT_EQ(m.SortStatisticNumber, m.StatisticNumberList.Value("physical reads"));
    EXPECT_EQ(rig.list.Columns()[3].caption.toStdString(), "physical reads");
    ASSERT_TRUE(rig.WaitForList());
    EXPECT_EQ(rig.fetches->fetched, before + 1);
    bool background = false;
    for (const auto& s : m.Sessions)
        background |= s.basic.fields[bfType] == "BACKGROUND";
    EXPECT_TRUE(background);
}

TEST_F(Options, TheStatisticAsAChangePerSecondIsChosenOnTheSortPage) {
    TPvConnection& m = rig.monitor;
    TFrmOptions dialog;
    dialog.LoadFrom(m);
    EXPECT_EQ(dialog.statisticShownAsCombo->currentText(), "Total since logon");
    EXPECT_FALSE(dialog.Values().sortRate);
    dialog.statisticShownAsCombo->setCurrentIndex(1);
    EXPECT_EQ(dialog.statisticShownAsCombo->currentText(),
              "Change per second since the last refresh");
    const TOptionsValues values = dialog.Values();
    EXPECT_TRUE(values.sortRate);
    const int before = rig.fetches->fetched;
    ApplyOptions(m, values);
    EXPECT_TRUE(m.ShowSortRate);
    // The column says which, and the list is read again.
    EXPECT_EQ(rig.list.Columns()[3].caption.toStdString(), m.SortStatisticName + "/s");
    ASSERT_TRUE(rig.WaitForList());
    EXPECT_EQ(rig.fetches->fetched, before + 1);
    TFrmOptions again;
    again.LoadFrom(m);
    EXPECT_EQ(again.statisticShownAsCombo->currentIndex(), 1);
}

TEST_F(Options, TheColumnsPageOffersOnlyTheColumnsOfTheInstancesVersion) {
    TPvConnection& m = rig.monitor;
    m.ListColumns = DefaultColumns() | ColumnBit(ocSqlId);
    TFrmOptions dialog;
    dialog.LoadFrom(m);
    ASSERT_EQ(dialog.columnsList->count(), ocCount);
    for (int id = 0; id < ocCount; ++id) {
        const QListWidgetItem* item = dialog.columnsList->item(id);
        EXPECT_EQ(item->text().toStdString(),
                  kOptionalColumns[static_cast<std::size_t>(id)].caption);
        EXPECT_EQ(item->checkState() == Qt::Checked, (m.ListColumns & ColumnBit(id)) != 0);
        EXPECT_TRUE(item->flags() & Qt::ItemIsEnabled); // a 19c instance has them all
    }
    EXPECT_EQ(dialog.Values().columns, m.ListColumns);

    // As a 9i instance: the 10g columns are off with a tip, the user's choice of them kept.
    m.InstanceVersion = "9.2.0.8.0";
    TFrmOptions old;
    old.LoadFrom(m);
    for (const int id : {ocBlockingSession, ocSqlId, ocServiceName, ocWaitClass}) {
        const QListWidgetItem* item = old.columnsList->item(id);
        EXPECT_FALSE(item->flags() & Qt::ItemIsEnabled) << id;
        EXPECT_EQ(item->toolTip(), QStringLiteral("Not in v$session before Oracle 10g; this "
                                                  "instance is version 9.2.0.8.0"));
    }
    EXPECT_TRUE(old.columnsList->item(ocEvent)->flags() & Qt::ItemIsEnabled);
    old.columnsList->item(ocSpid)->setCheckState(Qt::Unchecked);
    EXPECT_EQ(old.Values().columns, m.ListColumns & ~ColumnBit(ocSpid));
}

} // namespace
