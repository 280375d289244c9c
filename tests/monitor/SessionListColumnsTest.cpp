// The optional columns of the session list: the statement built for the chosen columns and the
// instance's version, the choice as remembered, and the columns read and shown against the
// sandbox instance, also when the monitor takes it for an Oracle 9i instance.
#include "monitor/SessionListColumns.h"

#include "monitor/DisplayOptions.h"
#include "monitor/MonitorSupport.h"
#include "monitor/RememberedSettings.h"
#include "oradb/OraConnectDialog.h"
#include "oradb/OraQuery.h"

#include <QSettings>
#include <map>
#include <set>

namespace {

using namespace monitor;
using testing_support::MonitorRig;
using testing_support::openInstance;

constexpr TColumnSet kAll = (TColumnSet{1} << ocCount) - 1;

bool contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

TEST(SessionListColumnChoice, DefaultsAvailabilityAndTheSettingsText) {
    EXPECT_EQ(DefaultColumns(), ColumnBit(ocSerial) | ColumnBit(ocSpid) | ColumnBit(ocEvent) |
                                    ColumnBit(ocSecondsInWait) | ColumnBit(ocProgress));
    // 10g added these to v$session; event and seconds in wait come from v$session_wait before.
    for (const int id : {ocBlockingSession, ocSqlId, ocServiceName, ocWaitClass}) {
        EXPECT_FALSE(ColumnAvailable(id, 9)) << id;
        EXPECT_TRUE(ColumnAvailable(id, 10)) << id;
        EXPECT_TRUE(ColumnAvailable(id, 0)) << id; // a version not known counts as current
    }
    for (const int id : {ocSerial, ocSpid, ocEvent, ocSecondsInWait, ocModule, ocBlockGets})
        EXPECT_TRUE(ColumnAvailable(id, 9)) << id;
    EXPECT_FALSE(ColumnAvailable(ocCount, 19));
    EXPECT_EQ(AvailableColumns(kAll, 19), kAll);
    EXPECT_EQ(AvailableColumns(kAll, 9) & ColumnBit(ocSqlId), 0u);

    EXPECT_EQ(ColumnSetText(DefaultColumns()).toStdString(),
              "SERIAL#,SPID,EVENT,SECONDS_IN_WAIT,Progress");
    EXPECT_EQ(ColumnSetFromText(ColumnSetText(kAll)), kAll);
    EXPECT_EQ(ColumnSetFromText(QStringLiteral(" spid ,NOSUCH,,Wait_Class")),
              ColumnBit(ocSpid) | ColumnBit(ocWaitClass));
    EXPECT_EQ(ColumnSetFromText(QString()), 0u);
}

TEST(SessionListColumnChoice, OnlyTheChosenColumnsAreReadAndJoined) {
    // No optional column: v$session and v$sesstat only, no join at all.
    const std::string none = SessionListSql("9", 0, 19, true, true);
    EXPECT_FALSE(contains(none, "v$process"));
    EXPECT_FALSE(contains(none, "v$sess_io"));
    EXPECT_FALSE(contains(none, "event"));
    EXPECT_TRUE(contains(none, "s.blocking_session,st.value from v$session s,v$sesstat st where"));
    for (int field = bfSpid; field < bfSortField; ++field)
        EXPECT_FALSE(FieldRead(field, 0)) << field;
    EXPECT_TRUE(FieldRead(bfSid, 0));
    EXPECT_TRUE(FieldRead(bfSerial, 0));
    EXPECT_TRUE(FieldRead(bfSortField, 0));

    // The I/O figures come from v$sess_io, outer-joined so that no session is lost.
    const TColumnSet io = ColumnBit(ocPhysicalReads) | ColumnBit(ocBlockGets);
    EXPECT_EQ(SessionListSql("9", io, 19, true, true),
              "select s.Sid,s.Serial#,s.Username,s.Status,s.Server,s.Machine,s.process,s.OsUser,"
              "s.program,s.Logon_time,s.SchemaName,s.Client_Info,s.Module,s.Action,s.audsid,"
              "s.command,s.sql_address,s.sql_hash_value,s.lockwait,s.type,s.row_wait_obj#,"
              "s.sql_id,s.blocking_session,io.block_gets,io.physical_reads,st.value "
              "from v$session s,v$sesstat st,v$sess_io io where s.sid=st.sid and "
              "st.statistic#=9 and s.sid=io.sid(+) and  1=1 order by st.value desc");
    EXPECT_TRUE(FieldRead(bfPhysicalReads, io));
    EXPECT_FALSE(FieldRead(bfConsistentGets, io));

    // Every column of a 19c instance: v$session's own wait columns, SPID by paddr.
    const std::string all = SessionListSql("9", kAll, 19, false, false);
    for (const char* part :
         {"p.spid", "s.last_call_et", "s.event", "s.seconds_in_wait", "s.service_name",
          "s.wait_class", "io.block_changes", "io.consistent_gets", "s.paddr=p.addr(+)"})
        EXPECT_TRUE(contains(all, part)) << part;
    EXPECT_FALSE(contains(all, "v$session_wait"));
}

TEST(SessionListColumnChoice, A9iStatementReadsNullForTenGColumnsAndTheWaitFromSessionWait) {
    std::string select;
    const TColumnSet columns =
        ColumnBit(ocSerial) | ColumnBit(ocSpid) | ColumnBit(ocEvent) | ColumnBit(ocSecondsInWait);
    const std::string sql = SessionListSql("12", columns, 9, false, true, &select);
    EXPECT_EQ(sql,
              "select s.Sid,s.Serial#,s.Username,s.Status,s.Server,s.Machine,s.process,s.OsUser,"
              "s.program,s.Logon_time,s.SchemaName,s.Client_Info,s.Module,s.Action,s.audsid,"
              "s.command,s.sql_address,s.sql_hash_value,s.lockwait,s.type,s.row_wait_obj#,"
              "null sql_id,null blocking_session,p.spid,w.event,w.seconds_in_wait,st.value "
              "from v$session s,v$sesstat st,v$process p,v$session_wait w where s.sid=st.sid "
              "and st.statistic#=12 and s.paddr=p.addr(+) and s.sid=w.sid(+) and  1=1 and "
              "s.type <>'BACKGROUND' order by st.value desc");
    EXPECT_EQ(sql.rfind(select, 0), 0u);
    // Columns 9i lacks are not read even when chosen.
    const std::string all = SessionListSql("12", kAll, 9, true, true);
    for (const char* part : {"s.sql_id", "s.blocking_session", "s.event", "service_name",
                             "wait_class", "s.seconds_in_wait"})
        EXPECT_FALSE(contains(all, part)) << part;
    EXPECT_TRUE(contains(all, "io.block_gets"));
    // A 10g instance reads them from v$session.
    const std::string tenG = SessionListSql("12", kAll, 10, true, true);
    EXPECT_TRUE(contains(tenG, "s.sql_id,s.blocking_session,"));
    EXPECT_TRUE(contains(tenG, "s.event"));
    EXPECT_FALSE(contains(tenG, "v$session_wait"));
}

TEST(SessionListProgress, PercentDoneAndTimeLeftOfALongOperation) {
    EXPECT_EQ(ProgressText("42", "100", "65"), "42% (1:05 left)");
    EXPECT_EQ(ProgressText("999", "1000", "7387"), "99% (2:03:07 left)"); // not yet 100%
    EXPECT_EQ(ProgressText("1", "3", "0"), "33% (0:00 left)");
    EXPECT_EQ(ProgressText("50", "200", ""), "25%"); // the time left not known
    EXPECT_EQ(ProgressText("50", "0", "10"), "");    // no work to measure against
    EXPECT_EQ(ProgressText("", "", ""), "");
    EXPECT_EQ(RemainingText("59.6"), "1:00");
    EXPECT_EQ(RemainingText("-3"), "");

    TBasicFieldArray fields{};
    fields[bfProgress] = "420/1000/65/Table Scan/APP./u01/ORDERS";
    SetLongOperation(fields);
    EXPECT_EQ(fields[bfProgress], "42% (1:05 left)");
    EXPECT_EQ(fields[bfLongOperation], "Table Scan");
    EXPECT_EQ(fields[bfLongTarget], "APP./u01/ORDERS"); // a target keeps its slashes
    EXPECT_EQ(fields[bfLongDone], "42%");
    EXPECT_EQ(fields[bfLongRemaining], "1:05");
    // No long operation, or one whose figures make no sense: nothing at all.
    for (const char* text : {"", "x/y/z/Scan/T"}) {
        TBasicFieldArray none{};
        none[bfProgress] = text;
        SetLongOperation(none);
        for (int f = bfProgress; f <= bfLongRemaining; ++f)
            EXPECT_TRUE(none[static_cast<std::size_t>(f)].empty()) << text << " " << f;
    }
}

class SessionListColumns : public ::testing::Test {
protected:
    void SetUp() override {
        const std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
        instance = openInstance(name);
        rig.Connect("sandbox::memory:" + name);
    }
    void Show(TColumnSet columns) {
        rig.monitor.ListColumns = columns;
        rig.monitor.Notify(ncRebuildListColumns);
        rig.monitor.Refresh();
        ASSERT_TRUE(rig.WaitForList());
    }
    int ColumnOf(const std::string& caption) const {
        const auto& columns = rig.list.Columns();
        for (std::size_t i = 0; i < columns.size(); ++i)
            if (columns[i].caption.toStdString() == caption)
                return static_cast<int>(i);
        return -1;
    }
    std::string Text(int row, int column) const {
        return rig.list.data(rig.list.index(row, column)).toString().toStdString();
    }
    std::shared_ptr<oradb::sandbox::Instance> instance;
    MonitorRig rig;
};

TEST_F(SessionListColumns, EveryChosenColumnIsShownWithTheInstancesValuesAndNoSessionIsLost) {
    const std::size_t before = rig.monitor.Sessions.size();
    ASSERT_GT(before, 5u);
    Show(kAll);
    ASSERT_EQ(rig.monitor.Sessions.size(), before);
    for (const TOptionalColumn& c : kOptionalColumns)
        EXPECT_GE(ColumnOf(std::string(c.caption)), 0) << c.caption;
    // The values are the instance's: SPID from v$process, the I/O figures from v$sess_io.
    const int spid = ColumnOf("SPID");
    const int gets = ColumnOf("CONSISTENT_GETS");
    const int service = ColumnOf("SERVICE_NAME");
    for (int row = 0; row < rig.list.rowCount(); ++row) {
        const std::string sid = Text(row, 0);
        const auto process = instance->sqliteRows(
            "select p.spid from \"v$process\" p, \"v$session\" s where s.paddr = p.addr and "
            "s.sid = " +
            sid);
        ASSERT_EQ(process.size(), 1u);
        EXPECT_EQ(Text(row, spid), process[0][0]) << sid;
        const auto io =
            instance->sqliteRows("select consistent_gets from \"v$sess_io\" where sid = " + sid);
        ASSERT_EQ(io.size(), 1u);
        EXPECT_EQ(Text(row, gets), io[0][0]) << sid;
        if (rig.list.RowsCopy()[static_cast<std::size_t>(row)].user) {
            EXPECT_FALSE(Text(row, service).empty()) << sid;
        }
    }
    // Numbers right-aligned and sorted as numbers, texts left and sorted as texts.
    const auto alignment = [&](int column) {
        return rig.list.data(rig.list.index(0, column), Qt::TextAlignmentRole)
            .value<Qt::Alignment>();
    };
    EXPECT_TRUE(alignment(spid) & Qt::AlignRight);
    EXPECT_TRUE(alignment(gets) & Qt::AlignRight);
    EXPECT_FALSE(alignment(ColumnOf("EVENT")) & Qt::AlignRight);
    EXPECT_FALSE(alignment(0) & Qt::AlignRight); // the SID, next to its image
    EXPECT_TRUE(
        rig.list.headerData(gets, Qt::Horizontal, Qt::TextAlignmentRole).value<Qt::Alignment>() &
        Qt::AlignRight);
    EXPECT_EQ(rig.list.data(rig.list.index(0, gets), TSessionListModel::SortKeyRole).typeId(),
              QMetaType::Double);
    EXPECT_EQ(rig.list.data(rig.list.index(0, service), TSessionListModel::SortKeyRole).typeId(),
              QMetaType::QString);
}

TEST_F(SessionListColumns, AColumnNotChosenIsNeitherReadNorShown) {
    Show(ColumnBit(ocSqlId));
    ASSERT_FALSE(rig.monitor.Sessions.empty());
    for (const TRSession& s : rig.monitor.Sessions)
        for (int field = bfSpid; field < bfSortField; ++field)
            EXPECT_TRUE(s.basic.fields[static_cast<std::size_t>(field)].empty()) << field;
    EXPECT_EQ(ColumnOf("SPID"), -1);
    EXPECT_EQ(ColumnOf("SERIAL#"), -1);
    EXPECT_EQ(ColumnOf("SQL_ID"), 10); // after the nine fixed columns and the statistic
    EXPECT_EQ(ColumnOf("Username"), 1);
    // The serial# is read all the same: the selection needs it.
    EXPECT_FALSE(rig.monitor.Sessions[0].basic.fields[bfSerial].empty());
}

TEST_F(SessionListColumns, AsA9iInstanceTheListReadsTheWaitFromSessionWaitAndLacksTenGColumns) {
    // The sandbox answers as 19c; the monitor builds its statement for the version it read.
    rig.monitor.InstanceVersion = "9.2.0.8.0";
    Show(kAll);
    ASSERT_EQ(rig.host.workerFailures, 0) << rig.monitor.LastError;
    ASSERT_GT(rig.monitor.Sessions.size(), 5u);
    EXPECT_TRUE(contains(rig.monitor.ListSql, "v$session_wait w"));
    for (const char* caption : {"BLOCKING_SESSION", "SQL_ID", "SERVICE_NAME", "WAIT_CLASS"})
        EXPECT_EQ(ColumnOf(caption), -1) << caption;
    const int event = ColumnOf("EVENT");
    ASSERT_GE(event, 0);
    int waiting = 0;
    for (int row = 0; row < rig.list.rowCount(); ++row) {
        const std::string sid = Text(row, 0);
        const auto wait =
            instance->sqliteRows("select event from \"v$session_wait\" where sid = " + sid);
        ASSERT_EQ(wait.size(), 1u);
        EXPECT_EQ(Text(row, event), wait[0][0]) << sid;
        waiting += !wait[0][0].empty();
        EXPECT_TRUE(rig.monitor.Sessions[static_cast<std::size_t>(row)]
                        .basic.fields[bfBlockingSession]
                        .empty());
        EXPECT_TRUE(
            rig.monitor.Sessions[static_cast<std::size_t>(row)].basic.fields[bfSqlId].empty());
    }
    EXPECT_GT(waiting, 0);
}

TEST_F(SessionListColumns, TheOptionsChooseTheColumnsAndTheChoiceIsRemembered) {
    const auto settings = oradb::connectSettings();
    settings->remove(QStringLiteral("Display"));
    TOptionsValues values;
    values.autoRefresh = false;
    values.intervalText = "20";
    values.showKilled = true;
    values.columns = ColumnBit(ocModule) | ColumnBit(ocLastCallEt);
    const int fetched = rig.fetches->fetched;
    ApplyOptions(rig.monitor, values);
    ASSERT_TRUE(rig.WaitForList());
    EXPECT_GT(rig.fetches->fetched, fetched); // the list was read again with the new columns
    EXPECT_GE(ColumnOf("MODULE"), 0);
    EXPECT_GE(ColumnOf("LAST_CALL_ET"), 0);
    EXPECT_EQ(ColumnOf("EVENT"), -1);
    SaveDisplayOptions(rig.monitor);
    EXPECT_EQ(settings->value(QStringLiteral("Display/SessionListColumns")).toString(),
              QStringLiteral("LAST_CALL_ET,MODULE"));
    TPvConnection other;
    EXPECT_EQ(other.ListColumns, DefaultColumns());
    RestoreDisplayOptions(other);
    EXPECT_EQ(other.ListColumns, values.columns);
    // No column at all is a choice that is remembered too.
    rig.monitor.ListColumns = 0;
    SaveDisplayOptions(rig.monitor);
    RestoreDisplayOptions(other);
    EXPECT_EQ(other.ListColumns, 0u);
    settings->remove(QStringLiteral("Display"));
}

TEST_F(SessionListColumns, ASessionInALongOperationShowsItsProgressOthersNone) {
    const int progress = ColumnOf("Progress");
    ASSERT_GE(progress, 0);
    // The sandbox's long operations: the full scans in progress.
    const auto longops =
        instance->sqliteRows("select sid, sofar, totalwork, time_remaining, opname, target from "
                             "\"v$session_longops\" where sofar < totalwork");
    ASSERT_FALSE(longops.empty());
    std::map<std::string, std::vector<std::string>> bySid;
    for (const auto& r : longops)
        bySid[r[0]] = r;
    int shown = 0;
    for (int row = 0; row < rig.list.rowCount(); ++row) {
        const std::string sid = Text(row, 0);
        const auto it = bySid.find(sid);
        if (it == bySid.end()) {
            EXPECT_EQ(Text(row, progress), "") << sid;
            continue;
        }
        const auto& r = it->second;
        EXPECT_EQ(Text(row, progress), ProgressText(r[1], r[2], r[3])) << sid;
        EXPECT_NE(Text(row, progress).find("% ("), std::string::npos) << Text(row, progress);
        const TBasicFieldArray f =
            rig.monitor.Sessions[static_cast<std::size_t>(row)].basic.fields.ToArray();
        EXPECT_EQ(f[bfLongOperation], r[4]);
        EXPECT_EQ(f[bfLongTarget], r[5]);
        ++shown;
    }
    EXPECT_GT(shown, 0);
    // Without the column, nothing of it is read.
    Show(DefaultColumns() & ~ColumnBit(ocProgress));
    EXPECT_EQ(ColumnOf("Progress"), -1);
    for (const TRSession& s : rig.monitor.Sessions)
        EXPECT_TRUE(s.basic.fields[bfLongOperation].empty());
    // Long operations that cannot be read leave the list whole, without progress.
    instance->sqliteRows("drop view \"v$session_longops\"");
    const std::size_t sessions = rig.monitor.Sessions.size();
    Show(DefaultColumns());
    ASSERT_GE(ColumnOf("Progress"), 0);
    EXPECT_EQ(rig.monitor.Sessions.size(), sessions);
    for (int row = 0; row < rig.list.rowCount(); ++row)
        EXPECT_EQ(Text(row, ColumnOf("Progress")), "");
}

TEST_F(SessionListColumns, TheMonitorsOwnSessionIsMarkedOnItsRowOnly) {
    // The SID read at connect is the session's own, as v$mystat tells it.
    oradb::TOraQuery& q = *rig.monitor.GeneralQuery();
    q.SQL.Clear();
    q.SQL.Add("select sid from v$mystat where rownum = 1");
    q.Open();
    ASSERT_FALSE(q.Eof());
    const std::string mine = q.FieldByName("sid").AsString();
    q.Close();
    ASSERT_FALSE(mine.empty());
    EXPECT_EQ(rig.monitor.OwnSid, mine);
    int own = 0;
    for (int row = 0; row < rig.list.rowCount(); ++row) {
        const bool marked =
            rig.list.data(rig.list.index(row, 2), TSessionListModel::OwnRole).toBool();
        own += marked;
        EXPECT_EQ(marked, Text(row, 0) == mine) << Text(row, 0);
    }
    EXPECT_EQ(own, 1);
}

} // namespace
