// The "Activity" page as a user meets it in the main window at 1280 x 900, offscreen, against
// the sandbox: the simulator's first minute of activity (its CPU burst, I/O storm and lock
// pile-up at known ticks) as a stacked chart by wait class with the CPUs, a range dragged over
// with its top lists, the other ranges, the export of the chart and of the samples, and a
// session of the lists opened in its details.
#include "gui/pages/ActivityPage.h"

#include "gui/MainWindow.h"
#include "gui/views/ActivityChart.h"
#include "history/ActivitySampler.h"
#include "oradb/OraQuery.h"
#include "oradb/OraSession.h"
#include "sandbox/SandboxInstance.h"
#include "support/WindowRig.h"

#include <QComboBox>
#include <QDateTime>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>
#include <algorithm>
#include <map>

namespace {

using testing_support::shot;
using testing_support::ShowAndLogin;
using testing_support::waitFor;

class ActivityPage : public testing_support::WindowTest {
protected:
    void SetUp() override {
        name = "activity_" + TestName();
        server = "sandbox::memory:" + name;
        began = QDateTime::currentSecsSinceEpoch(); // before the window's first sample
        OpenInstanceAndWindow(server);
        // Every test has a history file of its own: the sandbox instances of one run share
        // their database name, and so would share the file in the data folder.
        ASSERT_TRUE(historyDir.isValid());
        window->ActivitySampler().SetFolder(historyDir.path().toStdString());
        ASSERT_TRUE(ShowAndLogin(*window, server));
        window->resize(1280, 900);
        sampler = &window->ActivitySampler();
        // The window's first sample opens the instance's history.
        ASSERT_TRUE(waitFor([&] { return sampler->SamplesTaken() > 0 && !sampler->Running(); }));
        ASSERT_NE(sampler->Store(), nullptr);
        page = window->Activity();
    }

    // The simulator's first minute as history ending just before the window's first sample, an
    // instant a second: at each, the simulator ticks once and the sandbox's active sessions are
    // read as the sampler reads them. Ticks 20-24 are the CPU burst, 30-35 the I/O storm, 45 the
    // lock pile-up. Ending so late, those ticks stay inside the last five minutes however slowly
    // the test runs on.
    void RecordFirstMinute() {
        oradb::TOraSession session;
        session.Username = "system";
        session.Password = "lantern";
        session.Server = server;
        session.ConnectDirect();
        oradb::TOraQuery q(&session);
        const history::TInstanceFacts facts = history::ReadInstanceFacts(q);
        // The window samples the live instance no more while the recorded instants are counted,
        // and those instants end before its first sample, however slowly the test runs.
        sampler->Timer().stop();
        ASSERT_TRUE(waitFor([&] { return !sampler->Running(); }));
        ASSERT_LT(instance->tickCount(), 20u);
        const int instants = 60 - static_cast<int>(instance->tickCount());
        start = std::min<std::int64_t>(QDateTime::currentSecsSinceEpoch(), began) - instants - 1;
        for (int i = 0; i < instants; ++i) {
            instance->step(1);
            history::TActivityBatch b;
            b.time = start + i;
            b.samples = history::ReadActiveSessions(q, true, facts.ownSid);
            tick[b.time] = instance->tickCount();
            for (const auto& s : b.samples)
                perInstant[b.time][s.waitClass] += 1;
            sampler->Store()->Append(std::move(b));
        }
        ASSERT_TRUE(sampler->Store()->Flush());
    }
    // The instant at which the simulator stood at `t` ticks.
    std::int64_t instantOfTick(std::uint64_t t) const {
        for (const auto& [time, at] : tick)
            if (at == t)
                return time;
        return 0;
    }
    bool ReadShown() {
        const int before = page->ReadsShown();
        return waitFor([&] { return page->ReadsShown() > before && !page->Reading(); });
    }
    // Drags over the chart from instant `from` to instant `to`.
    void Drag(std::int64_t from, std::int64_t to) {
        gui::TActivityChart* chart = page->Chart();
        const int y = chart->PlotRect().center().y();
        QTest::mousePress(chart, Qt::LeftButton, {}, QPoint(chart->XOf(from), y));
        QTest::mouseMove(chart, QPoint((chart->XOf(from) + chart->XOf(to)) / 2, y));
        QTest::mouseRelease(chart, Qt::LeftButton, {}, QPoint(chart->XOf(to), y));
    }
    int ClassesShown() const {
        int classes = 0;
        for (int c = 0; c < history::kWaitClassCount; ++c) {
            double sum = 0;
            for (const auto& b : page->Chart()->Series().buckets)
                sum += b[static_cast<std::size_t>(c)];
            classes += sum > 0;
        }
        return classes;
    }

    std::string server;
    history::TActivitySampler* sampler = nullptr;
    gui::TActivityPage* page = nullptr;
    std::int64_t start = 0;
    std::int64_t began = 0;
    QTemporaryDir historyDir;
    std::map<std::int64_t, std::uint64_t> tick;
    std::map<std::int64_t, std::map<std::string, int>> perInstant;
};

TEST_F(ActivityPage, ChartsTheActivityByWaitClassAndListsTheTopOfADraggedRange) {
    RecordFirstMinute();
    page->WindowCombo()->setCurrentIndex(gui::TActivityPage::Last5Minutes);
    window->onActivity();
    ASSERT_TRUE(ReadShown());
    EXPECT_EQ(window->Pages()->currentIndex(), gui::ActivityPage);
    EXPECT_EQ(window->Pages()->tabText(gui::ActivityPage), "Activity");
    const history::TActivitySeries& series = page->Chart()->Series();
    EXPECT_EQ(series.to - series.from, 300);
    EXPECT_GE(ClassesShown(), 3);
    EXPECT_GT(sampler->Facts().cpuCount, 0);
    EXPECT_TRUE(page->SummaryLabel()->text().contains(
        QStringLiteral("%1 CPUs").arg(sampler->Facts().cpuCount)))
        << page->SummaryLabel()->text().toStdString();

    // The CPU burst of ticks 20 to 24: the top event of that range is ON CPU.
    const std::int64_t burstFrom = instantOfTick(21), burstTo = instantOfTick(24);
    ASSERT_GT(burstFrom, 0);
    Drag(burstFrom, burstTo);
    ASSERT_TRUE(ReadShown());
    ASSERT_TRUE(page->Chart()->Selection().has_value());
    const auto [from, to] = *page->Chart()->Selection();
    EXPECT_LE(std::abs(from - burstFrom), 2);
    EXPECT_LE(std::abs(to - burstTo), 2);
    // The lists count exactly the samples recorded in the range.
    std::int64_t samples = 0, cpu = 0;
    for (const auto& [time, classes] : perInstant)
        if (time >= from && time < to)
            for (const auto& [cls, n] : classes) {
                samples += n;
                cpu += cls == "CPU" ? n : 0;
            }
    EXPECT_EQ(page->Summary().samples, samples);
    ASSERT_GT(page->EventList()->topLevelItemCount(), 0);
    EXPECT_EQ(page->EventList()->topLevelItem(0)->text(0), "ON CPU");
    EXPECT_EQ(page->EventList()->topLevelItem(0)->text(2), QString::number(cpu));
    EXPECT_GT(page->SessionList()->topLevelItemCount(), 3);
    EXPECT_GT(page->SqlList()->topLevelItemCount(), 0);
    EXPECT_TRUE(page->RangeLabel()->text().startsWith("Selected "))
        << page->RangeLabel()->text().toStdString();
    // The share of the range's samples, under a "%" heading.
    EXPECT_EQ(page->SessionList()->headerItem()->text(6), "%");
    bool number = false;
    const double share = page->SessionList()->topLevelItem(0)->text(6).toDouble(&number);
    EXPECT_TRUE(number && share > 0 && share <= 100)
        << page->SessionList()->topLevelItem(0)->text(6).toStdString();
    shot(window.get(), "activity");

    // The lock pile-up of tick 45: row-lock waits of class Application lead that range.
    const std::int64_t pileUp = instantOfTick(46);
    Drag(pileUp, pileUp + 3);
    ASSERT_TRUE(ReadShown());
    ASSERT_GT(page->EventList()->topLevelItemCount(), 0);
    EXPECT_EQ(page->EventList()->topLevelItem(0)->text(0), "enq: TX - row lock contention");
    EXPECT_EQ(page->EventList()->topLevelItem(0)->text(1), "Application");

    // A click without a drag lists the whole chart again.
    const QPoint middle = page->Chart()->PlotRect().center();
    QTest::mouseClick(page->Chart(), Qt::LeftButton, {}, middle);
    ASSERT_TRUE(ReadShown());
    EXPECT_FALSE(page->Chart()->Selection().has_value());
    EXPECT_TRUE(page->RangeLabel()->text().startsWith("Top lists of the last 5 minutes"));

    // The other ranges.
    page->WindowCombo()->setCurrentIndex(gui::TActivityPage::LastDay);
    ASSERT_TRUE(ReadShown());
    EXPECT_EQ(page->Chart()->Series().to - page->Chart()->Series().from, 86400);
    EXPECT_LE(page->Chart()->Series().buckets.size(), 1000u);
    EXPECT_GE(ClassesShown(), 3);
}

TEST_F(ActivityPage, MovesOnWithTheSamplesWhileInFrontOnly) {
    page->WindowCombo()->setCurrentIndex(gui::TActivityPage::Last5Minutes);
    window->onActivity();
    ASSERT_TRUE(ReadShown());
    EXPECT_TRUE(page->Shown());
    // The window's own samples, a second apart, move the chart on.
    const std::int64_t to = page->Chart()->Series().to;
    ASSERT_TRUE(waitFor([&] { return page->Chart()->Series().to > to && !page->Reading(); }));
    // With another page in front the samples go on, the reads stop.
    window->Pages()->setCurrentIndex(gui::SessionListPage);
    EXPECT_FALSE(page->Shown());
    const int reads = page->ReadsShown();
    const std::int64_t taken = sampler->SamplesTaken();
    ASSERT_TRUE(waitFor([&] { return sampler->SamplesTaken() >= taken + 2; }));
    EXPECT_EQ(page->ReadsShown(), reads);
}

TEST_F(ActivityPage, ExportsTheChartAndTheRangesSamples) {
    RecordFirstMinute();
    page->WindowCombo()->setCurrentIndex(gui::TActivityPage::Last5Minutes);
    window->onActivity();
    ASSERT_TRUE(ReadShown());
    Drag(instantOfTick(30), instantOfTick(36));
    ASSERT_TRUE(ReadShown());
    // The I/O storm: single-block reads of class User I/O lead.
    ASSERT_GT(page->EventList()->topLevelItemCount(), 0);
    EXPECT_EQ(page->EventList()->topLevelItem(0)->text(1), "User I/O");

    QTemporaryDir dir;
    const QString png = dir.filePath("chart.png");
    ASSERT_TRUE(page->ExportPng(png));
    const QImage image(png);
    EXPECT_EQ(image.size(), page->Chart()->size() * page->Chart()->devicePixelRatio());

    const QString csv = dir.filePath("samples.csv");
    std::int64_t written = -2;
    QString error;
    page->ExportCsv(csv, [&](std::int64_t rows, const QString& e) {
        written = rows;
        error = e;
    });
    ASSERT_TRUE(waitFor([&] { return written != -2; }));
    EXPECT_EQ(error, "");
    EXPECT_EQ(written, page->Summary().samples);
    QFile file(csv);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = file.readAll().split('\n');
    ASSERT_GT(lines.size(), 2);
    EXPECT_EQ(lines[0], "TIME,SID,SERIAL#,USER,PROGRAM,MACHINE,SQL_ID,EVENT,WAIT_CLASS,STATE,"
                        "BLOCKING_SESSION\r");
    EXPECT_EQ(lines.size() - 2, written); // the header, and the empty piece after the last line
    EXPECT_TRUE(lines[1].contains(",ON CPU,") || lines[1].contains(",WAITING,"));

    // A file that cannot be written says so.
    std::int64_t failed = -2;
    page->ExportCsv(dir.filePath("no/such/folder/x.csv"), [&](std::int64_t rows, const QString& e) {
        failed = rows;
        error = e;
    });
    ASSERT_TRUE(waitFor([&] { return failed != -2; }));
    EXPECT_EQ(failed, -1);
    EXPECT_TRUE(error.startsWith("Cannot write")) << error.toStdString();
}

TEST_F(ActivityPage, FollowsTheDarkPaletteAndOpensASessionOfItsLists) {
    testing_support::PaletteScope dark(testing_support::DarkPalette());
    RecordFirstMinute();
    page->WindowCombo()->setCurrentIndex(gui::TActivityPage::Last5Minutes);
    window->onActivity();
    ASSERT_TRUE(ReadShown());
    Drag(instantOfTick(21), instantOfTick(36));
    ASSERT_TRUE(ReadShown());
    // The areas are lighter than on a light ground, the chart's ground is the palette's.
    EXPECT_GT(page->Chart()->ClassColour(1).lightness(), QColor(0x1f, 0x5f, 0xd6).lightness());
    const QImage picture = page->Chart()->grab().toImage();
    EXPECT_LT(
        QColor(picture.pixel(page->Chart()->width() - 3, page->Chart()->height() - 3)).lightness(),
        100);
    shot(window.get(), "activity-dark");

    // A double-click on a session opens its details.
    ASSERT_GT(page->SessionList()->topLevelItemCount(), 0);
    QTreeWidgetItem* first = page->SessionList()->topLevelItem(0);
    const std::string sid = first->text(0).toStdString();
    QTreeWidget* list = page->SessionList();
    const QPoint at = list->visualItemRect(first).center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
    EXPECT_EQ(window->Monitor().SelectedSid, sid);
    EXPECT_EQ(window->Pages()->currentIndex(), gui::SessionDetailsPage);
}

} // namespace
