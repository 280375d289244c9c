// The database-wide information loads and the parameter editor's rules, against the sandbox.
#include "monitor/DatabaseInfo.h"

#include "MonitorSupport.h"
#include "monitor/SessionControl.h"
#include "monitor/WaitFigures.h"
#include "oradb/OraError.h"

#include <regex>

namespace {

using testing_support::MonitorRig;
using testing_support::openInstance;

class DatabaseInfo : public ::testing::Test {
protected:
    void SetUp() override {
        name = std::string("db_") + ::testing::UnitTest::GetInstance()->current_test_info()->name();
        instance = openInstance(name, 8);
        rig.Connect("sandbox::memory:" + name);
    }
    void TearDown() override {
        if (rig.monitor.Connected())
            rig.monitor.Disconnect();
    }
    std::string Report() { return monitor::ReportText(monitor::DatabaseInfoReport(rig.monitor)); }
    std::string name;
    std::shared_ptr<oradb::sandbox::Instance> instance;
    MonitorRig rig;
};

const std::string kIndent(11, ' ');

TEST_F(DatabaseInfo, TheReportHasItsFiveSectionsInOrderWithBlueHeadings) {
    const monitor::TReport report = monitor::DatabaseInfoReport(rig.monitor);
    std::vector<std::string> headings;
    for (const auto& piece : report)
        if (piece.heading)
            headings.push_back(piece.text);
    EXPECT_EQ(headings, (std::vector<std::string>{"VERSION", "\r\nDATABASE", "\r\nINSTANCE",
                                                  "\r\nSGA", "\r\nLICENSE"}));
    const std::string text = monitor::ReportText(report);
    const auto banner = instance->sqliteRows("select banner from \"v$version\"");
    ASSERT_FALSE(banner.empty());
    EXPECT_EQ(text.rfind("VERSION\r\n" + kIndent + banner[0][0], 0), 0u);
    // v$database: name in 30 characters and a blank; v$instance: no blank.
    EXPECT_NE(text.find("\r\n" + kIndent + "NAME" + std::string(26, ' ') + " PROD"),
              std::string::npos);
    EXPECT_NE(text.find("\r\n" + kIndent + "INSTANCE_NAME" + std::string(17, ' ') + "PROD"),
              std::string::npos);
    EXPECT_NE(
        text.find("\r\n" + kIndent + "Fixed Size" + std::string(20, ' ') + "        731,168 bytes"),
        std::string::npos);
    EXPECT_EQ(text.find("error"), std::string::npos);
}

TEST_F(DatabaseInfo, AnSgaComponentOf1234567BytesIsShownWithThousandsSeparators) {
    instance->sqliteRows("insert into \"v$sga\" values ('Test Component', 1234567)");
    EXPECT_NE(Report().find("\r\n" + kIndent + "Test Component" + std::string(16, ' ') +
                            "      1,234,567 bytes"),
              std::string::npos);
}

TEST_F(DatabaseInfo, ALicenceViewThatCannotBeReadEndsTheReportWithItsErrorText) {
    oradb::sandbox::Fault denied;
    denied.fragment = "v$license";
    denied.failAfterRows = 0;
    denied.code = 942;
    denied.text = "table or view does not exist";
    instance->addFault(denied);
    const std::string text = Report();
    const std::string tail = "\r\nLICENSEGet v$license error";
    ASSERT_GE(text.size(), tail.size());
    EXPECT_EQ(text.substr(text.size() - tail.size()), tail);
    // The four other sections are intact.
    EXPECT_EQ(text.find("error"), text.size() - std::string("error").size());
    EXPECT_NE(text.find("INSTANCE_NAME"), std::string::npos);
    EXPECT_NE(text.find("bytes"), std::string::npos);
}

TEST_F(DatabaseInfo, EachSectionFailsOnItsOwnWhereItStopped) {
    oradb::sandbox::Fault fault;
    fault.fragment = "v$database";
    fault.failAfterRows = 0;
    instance->addFault(fault);
    const std::string text = Report();
    EXPECT_NE(text.find("\r\nDATABASEGet v$database error\r\nINSTANCE"), std::string::npos);
    EXPECT_NE(text.find("INSTANCE_NAME"), std::string::npos);
    instance->clearFaults();
    instance->sqliteRows("insert into \"v$sga\" values ('More', 1)");
    fault.fragment = "v$SGA";
    fault.failAfterRows = 2;
    instance->addFault(fault);
    const std::string sga = Report();
    // Two component lines, then the error text on the same line as the second.
    EXPECT_NE(sga.find(" bytesGet v$sga error\r\nLICENSE"), std::string::npos);
    EXPECT_EQ(sga.find("Database Buffers"), std::string::npos);
}

TEST_F(DatabaseInfo, NlsParametersFillTheListAndAFailureAddsItsRow) {
    monitor::TTextListModel list(monitor::NlsParameterColumns());
    monitor::LoadNlsParameters(rig.monitor, list);
    const auto rows = instance->sqliteRows("select parameter, value from \"v$nls_parameters\"");
    ASSERT_EQ(list.rowCount(), static_cast<int>(rows.size()));
    EXPECT_EQ(list.Cell(0, 0), rows[0][0]);
    EXPECT_EQ(list.Cell(0, 1), rows[0][1]);
    oradb::sandbox::Fault fault;
    fault.fragment = "v$nls_parameters";
    fault.failAfterRows = 3;
    instance->addFault(fault);
    monitor::LoadNlsParameters(rig.monitor, list);
    ASSERT_EQ(list.rowCount(), 4);
    EXPECT_EQ(list.Cell(3, 0), "Get v$nls_parameter error");
    EXPECT_FALSE(list.HasCell(3, 1));
}

TEST_F(DatabaseInfo, AParameterQueryFailingAfterTenRowsLeavesTenRowsTenRecordsAndTheErrorRow) {
    monitor::TTextListModel list(monitor::SystemParameterColumns());
    monitor::LoadSystemParameters(rig.monitor, list);
    const int all = list.rowCount();
    ASSERT_GT(all, 100);
    ASSERT_EQ(rig.monitor.SystemParameters.size(), static_cast<std::size_t>(all));
    // Rows in name order; each record belongs to its row.
    const auto first = instance->sqliteRows(
        "select num, name, value, description from \"v$system_parameter\" order by name limit 1");
    EXPECT_EQ(list.Cell(0, 0), first[0][1]);
    EXPECT_EQ(rig.monitor.SystemParameters[0][monitor::spNum], first[0][0]);
    EXPECT_EQ(list.Cell(0, 2), first[0][3]);

    oradb::sandbox::Fault fault;
    fault.fragment = "v$system_parameter";
    fault.failAfterRows = 10;
    instance->addFault(fault);
    monitor::LoadSystemParameters(rig.monitor, list);
    ASSERT_EQ(list.rowCount(), 11);
    EXPECT_EQ(list.Cell(10, 0), "Get v$system_parameter error");
    EXPECT_EQ(rig.monitor.SystemParameters.size(), 10u);
    EXPECT_NE(monitor::ParameterRecordOf(rig.monitor, list, 9), nullptr);
    EXPECT_EQ(monitor::ParameterRecordOf(rig.monitor, list, 10), nullptr);
}

TEST_F(DatabaseInfo, AParameterQueryFailingAtOnceKeepsTheRecordsButTheErrorRowHasNone) {
    monitor::TTextListModel list(monitor::SystemParameterColumns());
    monitor::LoadSystemParameters(rig.monitor, list);
    const std::size_t before = rig.monitor.SystemParameters.size();
    oradb::sandbox::Fault fault;
    fault.fragment = "v$system_parameter";
    fault.failAfterRows = 0;
    instance->addFault(fault);
    monitor::LoadSystemParameters(rig.monitor, list);
    ASSERT_EQ(list.rowCount(), 1);
    EXPECT_EQ(rig.monitor.SystemParameters.size(), before);
    const auto* record = monitor::ParameterRecordOf(rig.monitor, list, 0);
    EXPECT_EQ(record, nullptr);
    EXPECT_FALSE(monitor::ParameterEditorState(record).modifyEnabled);
}

TEST_F(DatabaseInfo, SystemEventTimesShowTheirUnitAndIdleEventsOnlyWhenAsked) {
    instance->sqliteRows("update \"v$system_event\" set time_waited=12345, average_wait=250, "
                         "total_waits=987654, total_timeouts=3 where event='db file "
                         "sequential read'");
    instance->sqliteRows("update \"v$system_event\" set time_waited=9999, average_wait=25 "
                         "where event='SQL*Net message from client'");
    instance->sqliteRows("update \"v$system_event\" set time_waited=4, average_wait=0.5 "
                         "where event='log file sync'");
    monitor::TTextListModel list(monitor::SystemEventColumns());
    monitor::LoadSystemEvents(rig.monitor, list);
    int row = -1;
    for (int i = 0; i < list.rowCount(); ++i)
        if (list.Cell(i, 0) == "db file sequential read")
            row = i;
    ASSERT_GE(row, 0);
    EXPECT_EQ(list.Cell(row, 1), "987654");
    EXPECT_EQ(list.Cell(row, 2), "3");
    EXPECT_EQ(list.Cell(row, 3), "123.450 s");
    EXPECT_EQ(list.Cell(row, 4), "2.500 s");
    auto rowOf = [&](const std::string& event) {
        for (int i = 0; i < list.rowCount(); ++i)
            if (list.Cell(i, 0) == event)
                return i;
        return -1;
    };
    const int sync = rowOf("log file sync");
    ASSERT_GE(sync, 0);
    EXPECT_EQ(list.Cell(sync, 3), "40 ms");
    EXPECT_EQ(list.Cell(sync, 4), "5 ms");
    // Ordered by time waited, longest first; no idle event among them.
    for (int i = 0; i < list.rowCount(); ++i) {
        EXPECT_FALSE(monitor::IsIdleEvent(list.Cell(i, 0))) << list.Cell(i, 0);
        if (i > 0) {
            EXPECT_GE(monitor::ParseWaitTime(list.Cell(i - 1, 3)).value(),
                      monitor::ParseWaitTime(list.Cell(i, 3)).value());
        }
    }
    EXPECT_EQ(rowOf("SQL*Net message from client"), -1);
    EXPECT_EQ(rowOf("pmon timer"), -1);
    // Asked for, the idle events are listed too.
    rig.monitor.ShowIdleEvents = true;
    monitor::LoadSystemEvents(rig.monitor, list);
    const int client = rowOf("SQL*Net message from client");
    ASSERT_GE(client, 0);
    EXPECT_EQ(list.Cell(client, 4), "250 ms");
    EXPECT_GE(rowOf("pmon timer"), 0);
    // Sorting by a time column compares the seconds behind the units.
    list.Reorder(monitor::SystemEventOrder(list, 4, true));
    for (int i = 1; i < list.rowCount(); ++i)
        EXPECT_LE(monitor::ParseWaitTime(list.Cell(i - 1, 4)).value(),
                  monitor::ParseWaitTime(list.Cell(i, 4)).value());
}

TEST_F(DatabaseInfo, SystemEventsSortNumbersUpAndNamesDownForTheSameFlag) {
    monitor::TTextListModel list(monitor::SystemEventColumns());
    monitor::LoadSystemEvents(rig.monitor, list);
    ASSERT_GT(list.rowCount(), 3);
    list.Reorder(monitor::SystemEventOrder(list, 1, true));
    for (int i = 1; i < list.rowCount(); ++i)
        EXPECT_LE(monitor::ParseLocaleNumber(list.Cell(i - 1, 1)).value(),
                  monitor::ParseLocaleNumber(list.Cell(i, 1)).value());
    list.Reorder(monitor::SystemEventOrder(list, 0, true));
    for (int i = 1; i < list.rowCount(); ++i)
        EXPECT_GE(monitor::TextCompare(list.Cell(i - 1, 0), list.Cell(i, 0)), 0);
    list.Reorder(monitor::SystemEventOrder(list, 3, false));
    for (int i = 1; i < list.rowCount(); ++i)
        EXPECT_GE(monitor::ParseWaitTime(list.Cell(i - 1, 3)).value(),
                  monitor::ParseWaitTime(list.Cell(i, 3)).value());
    // The error row's empty cells do not convert: the sort stops.
    list.AddRow({"Get v$system_event error", {}});
    EXPECT_THROW(monitor::SystemEventOrder(list, 2, true), std::runtime_error);
}

// ---- the parameter editor against the sandbox ----

class ParameterEditor : public DatabaseInfo {
protected:
    void SetUp() override {
        DatabaseInfo::SetUp();
        monitor::LoadSystemParameters(rig.monitor, list);
    }
    const monitor::TSystemParameterArray& Record(const std::string& parameter) {
        for (int i = 0; i < list.rowCount(); ++i)
            if (list.Cell(i, 0) == parameter)
                return *monitor::ParameterRecordOf(rig.monitor, list, i);
        throw std::runtime_error("no parameter " + parameter);
    }
    std::string SystemValue(const std::string& parameter) {
        return instance->sqliteRows("select value from \"v$system_parameter\" where name='" +
                                    parameter + "'")[0][0];
    }
    // Plans and runs a change as Modify does; the error's message when the instance refuses.
    std::string Run(const monitor::TParameterChange& change) {
        try {
            monitor::ExecuteParameterChange(rig.monitor, change.statement);
        } catch (const oradb::EOraError& e) {
            return e.what();
        }
        return {};
    }
    monitor::TTextListModel list{monitor::SystemParameterColumns()};
};

TEST_F(ParameterEditor, BothLevelsShowTheCheckBoxAndTheCheckBoxChoosesTheScope) {
    const auto& record = Record("timed_statistics");
    const auto state = monitor::ParameterEditorState(&record);
    EXPECT_TRUE(state.modifyEnabled);
    EXPECT_TRUE(state.checkBoxVisible);
    EXPECT_TRUE(state.valueVisible);
    auto change = monitor::PlanParameterChange(record, "false", true, false);
    ASSERT_TRUE(change);
    EXPECT_EQ(change->statement, "alter system set timed_statistics=false");
    EXPECT_EQ(change->message, "New Value apply to all existing and future sessions");
    EXPECT_EQ(change->listValue, "FALSE");
    EXPECT_EQ(Run(*change), "");
    EXPECT_EQ(SystemValue("timed_statistics"), "FALSE");

    change = monitor::PlanParameterChange(record, "true", true, true);
    EXPECT_EQ(change->statement, "alter session set timed_statistics=true");
    EXPECT_EQ(change->message, "New Value only apply to this session!");
    EXPECT_EQ(Run(*change), "");
    EXPECT_EQ(SystemValue("timed_statistics"), "FALSE");
}

TEST_F(ParameterEditor, ASessionOnlyParameterHidesTheCheckBoxAndQuotesStrings) {
    const auto& record = Record("tracefile_identifier");
    const auto state = monitor::ParameterEditorState(&record);
    EXPECT_TRUE(state.modifyEnabled);
    EXPECT_FALSE(state.checkBoxVisible);
    const auto change = monitor::PlanParameterChange(record, "  it's mine\t", false, false);
    ASSERT_TRUE(change);
    // The quote inside the value is doubled: the literal cannot end early.
    EXPECT_EQ(change->statement, "alter session set tracefile_identifier='it''s mine'");
    EXPECT_EQ(change->message, "New Value only apply to this session!");
    EXPECT_EQ(change->listValue, "  it's mine\t");
    EXPECT_EQ(Run(*change), "");
    // A value that tries to end the literal and add a clause stays one literal.
    const auto sneaky = monitor::PlanParameterChange(record, "x' scope=spfile --", false, false);
    EXPECT_EQ(sneaky->statement, "alter session set tracefile_identifier='x'' scope=spfile --'");
    EXPECT_EQ(Run(*sneaky), "");
}

TEST_F(ParameterEditor, ADeferredSystemParameterAddsDeferred) {
    const auto& record = Record("backup_tape_io_slaves");
    const auto state = monitor::ParameterEditorState(&record);
    EXPECT_TRUE(state.modifyEnabled);
    EXPECT_FALSE(state.checkBoxVisible);
    const auto change = monitor::PlanParameterChange(record, "true", false, false);
    EXPECT_EQ(change->statement, "alter system set backup_tape_io_slaves=true deferred");
    EXPECT_EQ(change->message, "New Value only apply to future sessions");
    EXPECT_EQ(Run(*change), "");
    EXPECT_EQ(SystemValue("backup_tape_io_slaves"), "TRUE");
}

TEST_F(ParameterEditor, TheQuestionNamesTheStatementAndItsScopeAndAnEqualValueIsUnchanged) {
    const auto& record = Record("timed_statistics");
    ASSERT_EQ(record[monitor::spValue], "TRUE");
    auto change = monitor::PlanParameterChange(record, "false", true, false);
    ASSERT_TRUE(change);
    EXPECT_FALSE(change->unchanged);
    EXPECT_EQ(change->question, "Change timed_statistics from TRUE to false?\n\nStatement:\n"
                                "alter system set timed_statistics=false\n\nScope: the whole "
                                "instance: all existing and future sessions (alter system)");
    change = monitor::PlanParameterChange(record, "false", true, true);
    EXPECT_NE(change->question.find("Scope: this session only (alter session)"), std::string::npos);
    change = monitor::PlanParameterChange(Record("backup_tape_io_slaves"), "true", false, false);
    EXPECT_NE(change->question.find("alter system set backup_tape_io_slaves=true deferred\n\n"
                                    "Scope: the whole instance, for sessions that start from now "
                                    "on"),
              std::string::npos);
    // Booleans compare without case; other values as typed (after trimming).
    change = monitor::PlanParameterChange(record, " true ", true, false);
    EXPECT_TRUE(change->unchanged);
    EXPECT_TRUE(change->question.empty());
    EXPECT_EQ(change->message, "timed_statistics is already TRUE: nothing was changed.");
    EXPECT_TRUE(
        monitor::PlanParameterChange(Record("cursor_sharing"), "EXACT", true, false)->unchanged);
    EXPECT_FALSE(
        monitor::PlanParameterChange(Record("cursor_sharing"), "FORCE", true, false)->unchanged);
    // Once a change has run, its value is the current one.
    int row = -1;
    for (int i = 0; i < list.rowCount(); ++i)
        if (list.Cell(i, 0) == "timed_statistics")
            row = i;
    // A change for the session alone is always asked: the session's value may differ.
    EXPECT_FALSE(monitor::PlanParameterChange(record, "true", true, true)->unchanged);
    change = monitor::PlanParameterChange(record, "false", true, true);
    monitor::StoreParameterValue(rig.monitor, row, *change);
    EXPECT_EQ(Record("timed_statistics")[monitor::spValue], "TRUE");
    change = monitor::PlanParameterChange(record, "false", true, false);
    monitor::StoreParameterValue(rig.monitor, row, *change);
    EXPECT_EQ(Record("timed_statistics")[monitor::spValue], "FALSE");
    EXPECT_TRUE(
        monitor::PlanParameterChange(Record("timed_statistics"), "false", true, false)->unchanged);
}

TEST_F(ParameterEditor, AParameterModifiableAtNeitherLevelDisablesEverything) {
    const auto state = monitor::ParameterEditorState(&Record("processes"));
    EXPECT_FALSE(state.modifyEnabled);
    EXPECT_FALSE(state.checkBoxVisible);
    EXPECT_FALSE(state.valueVisible);
    EXPECT_FALSE(monitor::ParameterEditorState(nullptr).modifyEnabled);
}

TEST_F(ParameterEditor, OnlyBlanksAndControlCharactersAreNoValue) {
    EXPECT_FALSE(monitor::PlanParameterChange(Record("timed_statistics"), " \t\r\n ", true, false));
    EXPECT_EQ(monitor::TrimControl("\x01 a b \x1f"), "a b");
}

TEST_F(ParameterEditor, TheInstanceRefusesBadValuesAndChangedModifiabilityAsOracleDoes) {
    auto change = monitor::PlanParameterChange(Record("cursor_sharing"), "BOGUS", true, false);
    EXPECT_EQ(change->statement, "alter system set cursor_sharing='BOGUS'");
    EXPECT_EQ(Run(*change), "ORA-00096: invalid value BOGUS for parameter cursor_sharing, must be "
                            "from among SIMILAR, EXACT, FORCE");
    EXPECT_EQ(SystemValue("cursor_sharing"), "EXACT");
    change = monitor::PlanParameterChange(Record("cursor_sharing"), "force", true, false);
    EXPECT_EQ(Run(*change), "");
    EXPECT_EQ(SystemValue("cursor_sharing"), "force");

    change = monitor::PlanParameterChange(Record("timed_statistics"), "maybe", true, false);
    EXPECT_EQ(Run(*change), "ORA-00096: invalid value maybe for parameter timed_statistics, must "
                            "be from among TRUE, FALSE");
    change = monitor::PlanParameterChange(Record("timed_os_statistics"), "ten", true, false);
    EXPECT_EQ(Run(*change), "ORA-02017: integer value required");

    // The instance changed the modifiability after the list was loaded.
    instance->sqliteRows("update \"v$system_parameter\" set issys_modifiable='FALSE' where "
                         "name='resource_limit'");
    change = monitor::PlanParameterChange(Record("resource_limit"), "true", false, false);
    EXPECT_EQ(change->statement, "alter system set resource_limit=true");
    EXPECT_EQ(Run(*change), "ORA-02095: specified initialization parameter cannot be modified");
    instance->sqliteRows("update \"v$system_parameter\" set isses_modifiable='FALSE' where "
                         "name='nls_date_format'");
    change = monitor::PlanParameterChange(Record("nls_date_format"), "YYYY", false, false);
    EXPECT_EQ(change->statement, "alter session set nls_date_format='YYYY'");
    EXPECT_EQ(Run(*change),
              "ORA-02096: specified initialization parameter is not modifiable with this option");
}

} // namespace
