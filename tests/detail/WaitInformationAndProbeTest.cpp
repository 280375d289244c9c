// The waiting-block lookup and the memory probe against the sandbox.
#include "DetailSupport.h"
#include "detail/CurrentWaitInformation.h"
#include "detail/MemoryProbe.h"
#include "gui/dialogs/ProbeOptionsDialog.h"
#include "oradb/OraQuery.h"
#include "support/CallGate.h"
#include "util/DateTimeText.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QTest>

namespace {

using testing_support::DetailTest;

class WaitInformation : public DetailTest {
protected:
    detail::TDetailListModel info, current;
    std::vector<bool> searchEnabled;
    detail::TWaitInformationTarget Target() {
        return {&info, &current, [this](bool on) { searchEnabled.push_back(on); }};
    }
    bool Lookup(int file, int block) {
        rig->monitor.WaitingBlock.fileId = file;
        rig->monitor.WaitingBlock.blockId = block;
        rig->monitor.WaitingBlockState = 0;
        detail::StartWaitInformationLookup(rig->monitor, Target());
        return util::HandOver::instance().waitUntil(
            [&] { return !searchEnabled.empty() && searchEnabled.back(); },
            std::chrono::seconds(30));
    }
    std::string Value(const std::string& name) {
        for (const auto& r : info.Rows())
            if (r.caption == name)
                return r.subItems.at(0);
        return "<missing>";
    }
};

TEST_F(WaitInformation, FindsTheSegmentOfABlockASessionReadsFromItsOwnQuery) {
    // A session of the sandbox in a single-block read, on a block inside an extent.
    const auto waits = instance->sqliteRows(
        "select p1, p2 from \"v$session_wait\" where event = 'db file sequential read' limit 1");
    ASSERT_EQ(waits.size(), 1u);
    const int file = std::stoi(waits[0][0]), block = std::stoi(waits[0][1]);
    const auto extent = instance->sqliteRows(
        "select owner, segment_type, segment_name, tablespace_name, file_id, block_id from "
        "dba_extents where file_id = " +
        waits[0][0] + " and block_id <= " + waits[0][1] + " and block_id + blocks > " +
        waits[0][1]);
    ASSERT_EQ(extent.size(), 1u);
    // The general query stays open on the user-interface thread meanwhile.
    oradb::TOraQuery& general = *rig->monitor.GeneralQuery();
    general.SQL.Clear();
    general.SQL.Add("select name from v$statname order by statistic#");
    general.Open();
    general.Next();
    const std::string second = general.FieldByName("name").AsString();

    current.SetRows({{"x", {}}});
    ASSERT_TRUE(Lookup(file, block));
    EXPECT_EQ(searchEnabled, (std::vector<bool>{false, true}));
    EXPECT_TRUE(current.Rows().empty());
    ASSERT_EQ(info.Rows().size(), 6u);
    const char* names[6] = {"Owner",           "Segment type", "Segment name",
                            "Tablespace name", "File id",      "Block id"};
    for (std::size_t i = 0; i < 6; ++i) {
        EXPECT_EQ(info.Rows()[i].caption, names[i]);
        EXPECT_EQ(info.Rows()[i].subItems.at(0), extent[0][i]) << names[i];
    }
    EXPECT_NE(Value("Block id"), std::to_string(block)); // the extent's first block
    EXPECT_TRUE(general.Active());
    EXPECT_EQ(general.FieldByName("name").AsString(), second);
    general.Close();
}

TEST_F(WaitInformation, ABlockInNoExtentOrAMissingFileIsNotFound) {
    ASSERT_TRUE(Lookup(1, 99999999));
    ASSERT_EQ(info.Rows().size(), 1u);
    EXPECT_EQ(info.Rows()[0].caption, "Not Found");
    searchEnabled.clear();
    ASSERT_TRUE(Lookup(999, 10));
    ASSERT_EQ(info.Rows().size(), 1u);
    EXPECT_EQ(info.Rows()[0].caption, "Not Found");
    EXPECT_EQ(rig->host.workerFailures, 0);
}

TEST_F(WaitInformation, DoesNothingWhileTheStateForbidsIt) {
    info.SetRows({{"kept", {}}});
    rig->monitor.WaitingBlockState = 4;
    detail::StartWaitInformationLookup(rig->monitor, Target());
    rig->monitor.StopWorkers();
    EXPECT_TRUE(searchEnabled.empty());
    ASSERT_EQ(info.Rows().size(), 1u);
    EXPECT_EQ(info.Rows()[0].caption, "kept");
}

TEST_F(WaitInformation, AFailureShowsNotFoundAndAMessageWithoutStoppingAutoRefresh) {
    oradb::sandbox::Fault fault;
    fault.fragment = "from dba_extents e,dba_data_files f";
    fault.failAfterRows = 0;
    instance->addFault(fault);
    rig->monitor.SetAutoRefresh(true);
    ASSERT_TRUE(Lookup(1, 10));
    util::HandOver::instance().runPosted();
    ASSERT_EQ(info.Rows().size(), 1u);
    EXPECT_EQ(info.Rows()[0].caption, "Not Found");
    EXPECT_EQ(rig->host.workerFailures, 1);
    EXPECT_EQ(rig->monitor.LastError.rfind("ORA-00600", 0), 0u);
    EXPECT_TRUE(rig->monitor.AutoRefresh());
}

class MemoryProbe : public DetailTest {
protected:
    void SetUp() override {
        DetailTest::SetUp();
        history.SetColumns(detail::ProbeHistoryColumns());
        detail::RegisterMemoryThread(rig->monitor,
                                     {&history, [this](bool on) { probeEnabled.push_back(on); }});
    }
    bool Probe() {
        const std::size_t before = probeEnabled.size();
        rig->monitor.StartMemoryProbe();
        return util::HandOver::instance().waitUntil(
            [&] { return probeEnabled.size() >= before + 2 && probeEnabled.back(); },
            std::chrono::seconds(30));
    }
    detail::TDetailListModel history;
    std::vector<bool> probeEnabled;
};

TEST_F(MemoryProbe, EachProbeAddsARowAtTheTopAndTheFiguresMove) {
    ASSERT_TRUE(Probe());
    ASSERT_EQ(history.Rows().size(), 1u);
    const auto first = history.Rows()[0];
    ASSERT_EQ(first.subItems.size(), 4u);
    EXPECT_FALSE(first.caption.empty());
    EXPECT_TRUE(util::parseDateTime(first.caption).has_value()) << first.caption;
    const double lib = std::stod(One("select (sum(pins - reloads) * 1.0) / sum(pins) from "
                                     "\"v$librarycache\""));
    char expected[32];
    std::snprintf(expected, sizeof expected, "%.2f", (1 - lib) * 100);
    EXPECT_EQ(first.subItems[0], expected);
    EXPECT_EQ(first.subItems[3],
              One("select sum(bytes) from \"v$sgastat\" where name = 'free memory'"));
    for (int i = 0; i < 9; ++i) {
        instance->step(5);
        ASSERT_TRUE(Probe());
    }
    ASSERT_EQ(history.Rows().size(), 10u);
    EXPECT_EQ(history.Rows()[9].subItems, first.subItems); // the oldest at the bottom
    EXPECT_NE(history.Rows()[0].subItems, first.subItems); // the figures moved
    EXPECT_EQ(history.Rows()[0].subItems[3],
              One("select sum(bytes) from \"v$sgastat\" where name = 'free memory'"));
}

TEST_F(MemoryProbe, ARatioOfExactlyOneAndCountsBeyond32Bits) {
    instance->sqliteRows("update \"v$librarycache\" set reloads = 0");
    instance->sqliteRows(
        "update \"v$sysstat\" set value = 6000000000 where name = 'db block gets'");
    instance->sqliteRows("update \"v$sysstat\" set value = 4000000000 where name = "
                         "'consistent gets'");
    instance->sqliteRows("update \"v$sysstat\" set value = 2500000000 where name = "
                         "'physical reads'");
    ASSERT_TRUE(Probe());
    ASSERT_EQ(history.Rows().size(), 1u);
    EXPECT_EQ(history.Rows()[0].subItems[0], "0.00");
    EXPECT_EQ(history.Rows()[0].subItems[2], "75.00");
    EXPECT_DOUBLE_EQ(static_cast<double>(detail::BufferCacheHit(1, 3, 1)), 75.0);
}

TEST_F(MemoryProbe, ADivisionByZeroInTheBufferRatioStopsAutoProbeWithoutARow) {
    instance->sqliteRows("update \"v$sysstat\" set value = 0 where name in ('db block gets',"
                         " 'consistent gets', 'physical reads')");
    rig->monitor.SetAutoProbe(true);
    ASSERT_TRUE(Probe());
    util::HandOver::instance().runPosted();
    EXPECT_TRUE(history.Rows().empty());
    EXPECT_FALSE(rig->monitor.AutoProbe());
    EXPECT_FALSE(rig->monitor.TimerAutoProbe().isActive());
    EXPECT_EQ(rig->monitor.LastError, "Floating point division by zero");
    EXPECT_EQ(rig->host.workerFailures, 1);
    EXPECT_THROW(detail::BufferCacheHit(0, 0, 5), std::domain_error);
}

TEST_F(MemoryProbe, AFailingQueryTurnsAutoProbeOff) {
    oradb::sandbox::Fault fault;
    fault.fragment = "from v$rowcache";
    fault.failAfterRows = 0;
    fault.code = 1476;
    fault.text = "divisor is equal to zero";
    instance->addFault(fault);
    rig->monitor.SetAutoRefresh(true);
    rig->monitor.SetAutoProbe(true);
    ASSERT_TRUE(Probe());
    util::HandOver::instance().runPosted();
    EXPECT_TRUE(history.Rows().empty());
    EXPECT_FALSE(rig->monitor.AutoProbe());
    EXPECT_TRUE(rig->monitor.AutoRefresh()); // the list refresh goes on
    EXPECT_EQ(rig->monitor.LastError, "ORA-01476: divisor is equal to zero");
}

TEST_F(MemoryProbe, ANewProbeStopsTheRunningOneWhichAddsNoRow) {
    oradb::sandbox::Fault fault;
    fault.fragment = "from v$librarycache";
    fault.delayMs = 600000; // far beyond the test's deadlines: only the cancel ends it
    fault.times = 1;
    instance->addFault(fault);
    // Counts the library-cache query as it starts; once it has, the slow fault is its own.
    testing_support::InstanceGate started(*instance, "from v$librarycache", false);
    rig->monitor.StartMemoryProbe();
    ASSERT_TRUE(started.WaitArrived());
    ASSERT_TRUE(Probe()); // frees (stops) the slow one first
    util::HandOver::instance().runPosted();
    EXPECT_EQ(history.Rows().size(), 1u);
    EXPECT_EQ(rig->host.workerFailures, 0);
}

TEST(ProbeOption, IntervalsFromTheFieldsAndTheCheckBox) {
    testing_support::RecordingHost host;
    monitor::TPvConnection monitor(&host);
    detail::TFrmProbeOption dialog;
    EXPECT_EQ(dialog.windowTitle(), "Probe Option");
    monitor.SetProbeInterval(90);
    dialog.LoadFrom(monitor);
    EXPECT_FALSE(dialog.autoProbeCheck->isChecked());
    EXPECT_FALSE(dialog.secondsEdit->isEnabled());
    EXPECT_EQ(dialog.hoursEdit->text(), "0");
    EXPECT_EQ(dialog.minutesEdit->text(), "1");
    EXPECT_EQ(dialog.secondsEdit->text(), "30");
    dialog.autoProbeCheck->click();
    EXPECT_TRUE(dialog.secondsEdit->isEnabled());
    auto apply = [&](const char* h, const char* m, const char* s) {
        dialog.hoursEdit->setText(h);
        dialog.minutesEdit->setText(m);
        dialog.secondsEdit->setText(s);
        dialog.ApplyTo(monitor);
        return monitor.ProbeInterval();
    };
    EXPECT_EQ(apply("0", "0", "2"), 30);
    EXPECT_EQ(apply("23", "59", "59"), 86399);
    EXPECT_EQ(monitor.TimerAutoProbe().interval(), 86399000);
    EXPECT_TRUE(monitor.AutoProbe());
    EXPECT_TRUE(monitor.TimerAutoProbe().isActive());
    EXPECT_EQ(apply("0", "x", "10"), 30);
    EXPECT_EQ(apply("1", "0", "5"), 3605);
    // The up/down controls step within their ranges.
    dialog.secondsEdit->setText("59");
    dialog.secondsUpDown->StepBy(1);
    EXPECT_EQ(dialog.secondsEdit->text(), "59");
    dialog.hoursEdit->setText("0");
    dialog.hoursUpDown->StepBy(-1);
    EXPECT_EQ(dialog.hoursEdit->text(), "0");
    dialog.autoProbeCheck->click();
    dialog.ApplyTo(monitor);
    EXPECT_FALSE(monitor.TimerAutoProbe().isActive());
    EXPECT_EQ(detail::ProbeIntervalText(90), "0 Hour 1 Min 30 Sec");
}

TEST(ProbeOption, EnterInAFieldClicksOk) {
    detail::TFrmProbeOption dialog;
    dialog.autoProbeCheck->click();
    dialog.show();
    dialog.minutesEdit->setFocus();
    QTest::keyClick(dialog.minutesEdit, Qt::Key_Return);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_FALSE(dialog.isVisible());
}

} // namespace
