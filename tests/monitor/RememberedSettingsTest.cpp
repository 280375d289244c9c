// What is remembered between runs: the display options, the window's place and where it goes on
// the screens of today, the last page and the export folder.
#include "monitor/RememberedSettings.h"

#include "monitor/DisplayOptions.h"
#include "monitor/MonitorSupport.h"
#include "oradb/OraConnectDialog.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryDir>

namespace {

using namespace monitor;

// Each case starts from a user who has nothing remembered yet.
class Remembered : public ::testing::Test {
protected:
    void SetUp() override { Forget(); }
    void TearDown() override { Forget(); }
    static void Forget() {
        const auto settings = oradb::connectSettings();
        for (const char* group : {"Display", "Window", "Folders"})
            settings->remove(QString::fromLatin1(group));
    }
};

TEST(WindowPlace, ARectangleOnAScreenIsKeptElseTheFallbackIsCentredOnThePrimary) {
    const QRect left(0, 0, 1920, 1040);
    const QRect right(1920, 0, 1280, 1000);
    const QSize fallback(900, 560);
    // Wholly on the first or the second screen: kept as it is.
    EXPECT_EQ(FitWindowRect(QRect(100, 80, 800, 600), {left, right}, left, fallback),
              QRect(100, 80, 800, 600));
    EXPECT_EQ(FitWindowRect(QRect(2000, 50, 1000, 700), {left, right}, left, fallback),
              QRect(2000, 50, 1000, 700));
    // The second screen is gone: the window comes back centred on the primary screen.
    const QRect back = FitWindowRect(QRect(2000, 50, 1000, 700), {left}, left, fallback);
    EXPECT_EQ(back.size(), fallback);
    EXPECT_EQ(back.center(), left.center());
    // Straddling two screens, or larger than any, counts as not fitting.
    EXPECT_EQ(FitWindowRect(QRect(1500, 50, 1000, 700), {left, right}, left, fallback).size(),
              fallback);
    EXPECT_EQ(FitWindowRect(QRect(0, 0, 4000, 3000), {left, right}, left, fallback).size(),
              fallback);
    // Nothing remembered, or an empty rectangle: the fallback.
    EXPECT_EQ(FitWindowRect(std::nullopt, {left}, left, fallback).center(), left.center());
    EXPECT_EQ(FitWindowRect(QRect(), {left}, left, fallback).size(), fallback);
    // A primary screen smaller than the fallback size gets a window that fits on it.
    const QRect small(0, 0, 800, 480);
    const QRect shrunk = FitWindowRect(std::nullopt, {small}, small, fallback);
    EXPECT_TRUE(small.contains(shrunk));
    EXPECT_EQ(shrunk.size(), QSize(800, 480));
}

TEST_F(Remembered, WindowRectAndPageSurviveUntilForgotten) {
    EXPECT_FALSE(SavedWindowRect().has_value());
    EXPECT_EQ(SavedPage(-1), -1);
    SaveWindowRect(QRect(30, 40, 700, 500));
    SavePage(9);
    EXPECT_EQ(SavedWindowRect(), QRect(30, 40, 700, 500));
    EXPECT_EQ(SavedPage(-1), 9);
}

TEST_F(Remembered, TheExportFolderStartsUnderHomeAndFollowsTheLastExport) {
    const QString first = LastExportFolder();
    EXPECT_NE(QDir(first), QDir(QCoreApplication::applicationDirPath()));
    EXPECT_TRUE(QDir(first).exists());
    const QString home = QDir::homePath();
    EXPECT_TRUE(QDir::cleanPath(first).startsWith(QDir::cleanPath(home))) << first.toStdString();
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (QDir(documents).exists()) {
        EXPECT_EQ(QDir(first), QDir(documents));
    }

    QTemporaryDir folder;
    SaveExportFolder(folder.path());
    EXPECT_EQ(LastExportFolder(), folder.path());
    // A folder that has gone since is not offered.
    SaveExportFolder(folder.path() + QStringLiteral("/gone"));
    EXPECT_EQ(LastExportFolder(), first);
}

class RememberedOptions : public Remembered {
protected:
    void SetUp() override {
        Remembered::SetUp();
        instance = testing_support::openInstance("remembered");
    }
    std::shared_ptr<oradb::sandbox::Instance> instance;
};

TEST_F(RememberedOptions, DisplayOptionsAndSortStatisticGoToTheNextMonitor) {
    {
        testing_support::MonitorRig rig;
        rig.Connect("sandbox::memory:remembered");
        TOptionsValues values;
        values.autoRefresh = true;
        values.intervalText = "45";
        values.showBackground = true;
        values.showKilled = false;
        values.className = "Cache";
        const auto cache = StatisticsOfClass(rig.monitor, "Cache");
        ASSERT_GE(cache.names.size(), 2u);
        values.statisticName = cache.names[1];
        values.sortRate = true;
        ApplyOptions(rig.monitor, values);
        SaveDisplayOptions(rig.monitor);
        rig.monitor.SetAutoRefresh(false);
        ASSERT_TRUE(rig.WaitForList());
    }
    testing_support::MonitorRig next;
    EXPECT_FALSE(next.monitor.AutoRefresh());
    RestoreDisplayOptions(next.monitor);
    EXPECT_TRUE(next.monitor.AutoRefresh());
    EXPECT_FALSE(next.monitor.RefreshTimer().isActive()); // not before a connection
    EXPECT_EQ(next.monitor.RefreshInterval(), 45000);
    EXPECT_TRUE(next.monitor.ShowBackgroundSessions);
    EXPECT_FALSE(next.monitor.ShowKilledSessions);
    EXPECT_TRUE(next.monitor.ShowSortRate);
    next.monitor.SetAutoRefresh(false);
    next.Connect("sandbox::memory:remembered");
    // The statistic names come with the connection; then the remembered one is chosen again.
    EXPECT_EQ(next.monitor.SortStatisticName, "session logical reads");
    EXPECT_TRUE(RestoreSortStatistic(next.monitor));
    const auto cache = StatisticsOfClass(next.monitor, "Cache");
    EXPECT_EQ(next.monitor.SortStatisticName, cache.names[1]);
    EXPECT_EQ(cache.names[static_cast<std::size_t>(cache.selected)], cache.names[1]);
    EXPECT_FALSE(RestoreSortStatistic(next.monitor)); // already chosen
}

TEST_F(RememberedOptions, AnUnknownSortStatisticIsIgnored) {
    oradb::connectSettings()->setValue(QStringLiteral("Display/SortStatistic"),
                                       QStringLiteral("no such statistic"));
    testing_support::MonitorRig rig;
    rig.Connect("sandbox::memory:remembered");
    EXPECT_FALSE(RestoreSortStatistic(rig.monitor));
    EXPECT_EQ(rig.monitor.SortStatisticName, "session logical reads");
}

} // namespace
