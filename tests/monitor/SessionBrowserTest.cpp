// The session list as a DBA browses it: the statistic as a rate, the selection by SID and
// serial#, the local filter, the blockers' mark, the remembered list headers and the copied rows,
// against the sandbox instance.
#include "MonitorSupport.h"
#include "monitor/ListCopy.h"
#include "monitor/RememberedSettings.h"
#include "monitor/SessionFilterModel.h"
#include "monitor/SessionRates.h"
#include "oradb/OraConnectDialog.h"

#include <QItemSelectionModel>
#include <QStandardItemModel>
#include <cmath>
#include <set>

namespace {

using namespace monitor;
using testing_support::MonitorRig;
using testing_support::openInstance;

TRSession session(const std::string& sid, const std::string& serial, const std::string& value) {
    TRSession s;
    s.basic.fields.Set(bfSid, sid);
    s.basic.fields.Set(bfSerial, serial);
    s.basic.fields.Set(bfSortField, value);
    return s;
}

TEST(SessionRates, FiguresAsTheInstanceWritesThem) {
    EXPECT_EQ(StatisticValue("4996308"), 4996308.0);
    EXPECT_EQ(StatisticValue(".5"), 0.5); // Oracle writes no leading zero
    EXPECT_EQ(StatisticValue("-12.25"), -12.25);
    EXPECT_EQ(StatisticValue("1.5E+10"), 1.5e10);
    for (const char* text : {"", " 12", "12 ", "12abc", "+5", "n/a"})
        EXPECT_TRUE(std::isnan(StatisticValue(text))) << text;
}

TEST(SessionRates, FirstRefreshBlankThenPerSecondChangeNewAndGoneSessions) {
    // No previous refresh: every rate blank, nothing marked changed.
    std::vector<TRSession> first = {session("10", "1", "100"), session("11", "5", "7")};
    ComputeSortRates(TRateFigures{}, 0, first, 46000.0);
    for (const TRSession& s : first) {
        EXPECT_TRUE(std::isnan(s.sortRate));
        EXPECT_FALSE(s.changed);
    }
    // Four seconds later: 10 grew by 200 (50/s), 11 did not change, 12 logged off, 13 is new and
    // 14 took over the SID of a session that logged off (another serial#).
    const std::vector<TRSession> before = {session("10", "1", "100"), session("11", "5", "7"),
                                           session("12", "3", "9"), session("14", "8", "40")};
    std::vector<TRSession> now = {session("10", "1", "300"), session("11", "5", "7"),
                                  session("13", "2", "55"), session("14", "9", "90")};
    const TDateTime t0 = 46000.25;
    ComputeSortRates(before, t0, now, t0 + 4.0 / 86400.0);
    EXPECT_NEAR(now[0].sortRate, 50.0, 1e-3);
    EXPECT_TRUE(now[0].changed);
    EXPECT_NEAR(now[1].sortRate, 0.0, 1e-9);
    EXPECT_FALSE(now[1].changed);
    EXPECT_TRUE(std::isnan(now[2].sortRate));
    EXPECT_FALSE(now[2].changed);
    EXPECT_TRUE(std::isnan(now[3].sortRate));
    EXPECT_FALSE(now[3].changed);
}

TEST(SessionRates, TheBaselineComparesReadsOfOneStatisticOnly) {
    TRateBaseline baseline;
    const TDateTime t0 = 46000.25, second = 1.0 / 86400.0;
    std::vector<TRSession> first = {session("10", "1", "100")};
    baseline.Advance(first, "12", t0);
    EXPECT_TRUE(std::isnan(first[0].sortRate));
    // The next read of the same statistic two seconds later: 100 more is 50 a second.
    std::vector<TRSession> second2 = {session("10", "1", "200")};
    baseline.Advance(second2, "12", t0 + 2 * second);
    EXPECT_NEAR(second2[0].sortRate, 50.0, 1e-3);
    EXPECT_TRUE(second2[0].changed);
    // Another statistic: no rate, though the session is the same; then its own rates follow.
    std::vector<TRSession> other = {session("10", "1", "7")};
    baseline.Advance(other, "9", t0 + 3 * second);
    EXPECT_TRUE(std::isnan(other[0].sortRate));
    EXPECT_FALSE(other[0].changed);
    std::vector<TRSession> again = {session("10", "1", "17")};
    baseline.Advance(again, "9", t0 + 5 * second);
    EXPECT_NEAR(again[0].sortRate, 5.0, 1e-3);
}

TEST(SessionRates, TheStatisticsOrderPutsSessionsWithoutAFigureLastAndKeepsTiesInTheirOrder) {
    std::vector<TRSession> list = {session("1", "1", "5"), session("2", "1", ""),
                                   session("3", "1", "9"), session("4", "1", "5"),
                                   session("5", "1", "n/a")};
    const auto sids = [&] {
        std::string order;
        for (const TRSession& s : list)
            order += std::string(s.Key()) + " ";
        return order;
    };
    OrderByStatistic(list, false);
    EXPECT_EQ(sids(), "3 1 4 2 5 ");
    for (TRSession& s : list)
        s.sortRate = s.Key() == "2" || s.Key() == "3" ? 3.0 : s.Key() == "4" ? -1.0 : std::nan("");
    OrderByStatistic(list, true);
    EXPECT_EQ(sids(), "3 2 4 1 5 ");
}

TEST(SessionRates, ASessionIsKnownByItsSidAndSerialAsOneNumber) {
    EXPECT_EQ(SessionKey("12", "34"), (std::uint64_t{12} << 32) | 34u);
    EXPECT_NE(SessionKey("12", "34"), SessionKey("12", "35"));
    EXPECT_NE(SessionKey("12", "34"), SessionKey("34", "12"));
    // Texts that are not whole numbers have keys of their own, apart from every number's.
    for (const auto& [sid, serial] : std::vector<std::pair<const char*, const char*>>{
             {"12", "x"}, {"", "34"}, {"12", "-1"}, {"99999999999", "1"}, {"1 2", "3"}}) {
        EXPECT_NE(SessionKey(sid, serial) >> 63, 0u) << sid << "," << serial;
        EXPECT_EQ(SessionKey(sid, serial), SessionKey(sid, serial));
    }
    EXPECT_NE(SessionKey("12", "x"), SessionKey("12", "y"));
}

class SessionBrowser : public ::testing::Test {
protected:
    void SetUp() override {
        const std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
        instance = openInstance(name);
        rig.Connect("sandbox::memory:" + name);
    }
    void Refresh() { rig.Refresh(); }
    int RowOfSid(const std::string& sid) const { return rig.RowOfSid(sid); }
    const TRSession& SessionOfSid(const std::string& sid) {
        for (const TRSession& s : rig.monitor.Sessions)
            if (s.Key() == sid)
                return s;
        throw std::runtime_error("no session " + sid);
    }
    std::shared_ptr<oradb::sandbox::Instance> instance;
    MonitorRig rig;
};

TEST_F(SessionBrowser, TheStatisticAsARateIsBlankFirstThenTheChangePerSecond) {
    TPvConnection& m = rig.monitor;
    m.ShowSortRate = true;
    m.Notify(ncRebuildListColumns);
    EXPECT_EQ(rig.list.Columns()[3].caption.toStdString(), m.SortStatisticName + "/s");
    // The statistic's column when the rate is not wanted says the plain name.
    m.ShowSortRate = false;
    m.Notify(ncRebuildListColumns);
    EXPECT_EQ(rig.list.Columns()[3].caption.toStdString(), m.SortStatisticName);
    m.ShowSortRate = true;
    m.Notify(ncRebuildListColumns);

    // One session gets 5000 more since the last refresh, the others stay.
    const std::string busy(m.Sessions[3].Key());
    const TDateTime before = m.LastListRefresh;
    instance->sqliteRows("update \"v$sesstat\" set value = value + 5000 where sid = " + busy +
                         " and \"statistic#\" = " + m.SortStatisticNumber);
    Refresh();
    const double seconds = (m.LastListRefresh - before) * 86400.0;
    ASSERT_GT(seconds, 0.0);
    const int row = RowOfSid(busy);
    ASSERT_GE(row, 0);
    const TSessionListRow shown = rig.list.RowAt(static_cast<std::size_t>(row));
    EXPECT_NEAR(shown.statistic, 5000.0 / seconds, 1e-6 * (5000.0 / seconds));
    EXPECT_EQ(shown.subItems[2], QLocale().toString(5000.0 / seconds, 'f', 1).toStdString());
    EXPECT_TRUE(shown.changed);
    EXPECT_TRUE(rig.list.index(row, 0).data(TSessionListModel::ChangedRole).toBool());
    int unchanged = 0;
    for (const TSessionListRow& r : rig.list.RowsCopy())
        if (r.caption != busy && !r.changed) {
            ++unchanged;
            EXPECT_EQ(r.statistic, 0.0);
        }
    EXPECT_GT(unchanged, 0);

    // A new session (a SID reused with another serial#) has no rate yet.
    const std::string reused(m.Sessions[5].Key());
    instance->sqliteRows("update \"v$session\" set \"serial#\" = \"serial#\" + 101 where sid = " +
                         reused);
    Refresh();
    const auto again = rig.list.RowAt(static_cast<std::size_t>(RowOfSid(reused)));
    EXPECT_EQ(again.subItems[2], "");
    EXPECT_TRUE(std::isnan(again.statistic));
}

TEST_F(SessionBrowser, TheSelectionFollowsSidAndSerialAndNotAReusedSid) {
    TPvConnection& m = rig.monitor;
    ASSERT_GT(m.Sessions.size(), 4u);
    const TRSession chosen = m.Sessions[3];
    const std::string chosenSid(chosen.Key()), chosenSerial(chosen.basic.fields[bfSerial]);
    m.SelectSession(chosenSid, chosenSerial);
    Refresh();
    EXPECT_EQ(m.SelectedSid, chosenSid);
    EXPECT_EQ(m.SelectedSerial(), chosenSerial);
    EXPECT_EQ(rig.list.SelectedRow(), RowOfSid(chosenSid));

    // The session logs off and Oracle gives its SID to a new session (another serial#): the
    // new one is another session and is not selected.
    instance->sqliteRows("update \"v$session\" set \"serial#\" = \"serial#\" + 7 where sid = " +
                         chosenSid);
    Refresh();
    ASSERT_NE(RowOfSid(chosenSid), -1);
    EXPECT_NE(rig.list.SelectedRow(), RowOfSid(chosenSid));
    EXPECT_NE(m.SelectedSid, chosenSid);
    ASSERT_GE(m.SelectedIndex, 0);
    EXPECT_EQ(m.SelectedSession()->Key(), m.SelectedSid);
    EXPECT_EQ(m.SelectedSession()->basic.fields[bfSerial], m.SelectedSerial());
}

TEST_F(SessionBrowser, TheFilterLooksInEveryFieldKeepsItsTogglesAndSurvivesRefreshes) {
    TPvConnection& m = rig.monitor;
    TSessionFilterModel filter(rig.list);
    rig.observer->SetFilter(&filter);
    const std::string target(m.Sessions[2].Key());
    instance->sqliteRows("update \"v$session\" set module = 'PayrollNightlyBatch', sql_id = "
                         "'7h35uxf5uhmm1', schemaname = 'HRSCHEMA' where sid = " +
                         target);
    Refresh();
    const TRSession& s = SessionOfSid(target);
    // Kept: rows whose fields hold the text, letter case ignored.
    auto kept = [&] {
        std::set<std::string> sids;
        for (int r = 0; r < filter.rowCount(); ++r)
            sids.insert(filter.index(r, 0).data().toString().toStdString());
        return sids;
    };
    auto holds = [](const TRSession& x, const QString& text) {
        for (int f : {bfSid, bfUsername, bfSchemaName, bfOsUser, bfMachine, bfProgram, bfModule,
                      bfStatus, bfSqlId})
            if (QString::fromUtf8(x.basic.fields[static_cast<std::size_t>(f)])
                    .contains(text, Qt::CaseInsensitive))
                return true;
        return false;
    };
    for (int field : {bfSid, bfUsername, bfSchemaName, bfOsUser, bfMachine, bfProgram, bfModule,
                      bfStatus, bfSqlId}) {
        const std::string value(s.basic.fields[static_cast<std::size_t>(field)]);
        ASSERT_FALSE(value.empty()) << field;
        // Typed in the other letter case.
        QString typed = QString::fromStdString(value);
        typed = typed == typed.toUpper() ? typed.toLower() : typed.toUpper();
        filter.SetText(typed);
        const auto sids = kept();
        EXPECT_TRUE(sids.count(target)) << value;
        for (const TRSession& x : m.Sessions)
            EXPECT_EQ(sids.count(std::string(x.Key())) != 0, holds(x, typed))
                << value << " " << x.Key();
    }
    filter.SetText(QStringLiteral("payrollnightly"));
    EXPECT_EQ(kept(), std::set<std::string>{target});
    EXPECT_EQ(filter.CountText(), "1 of " + std::to_string(m.Sessions.size()) + " sessions");
    // Refreshes keep the filter, and the status bar says how many of all.
    Refresh();
    EXPECT_EQ(kept(), std::set<std::string>{target});
    EXPECT_EQ(rig.host.panels[2], "1 of " + std::to_string(m.Sessions.size()) + " sessions");
    // A session that comes to match after a refresh is kept, one that stops matching is not.
    const std::string other(m.Sessions[3].Key());
    instance->sqliteRows("update \"v$session\" set module = 'PAYROLLNIGHTLY2' where sid = " +
                         other);
    Refresh();
    EXPECT_EQ(kept(), (std::set<std::string>{target, other}));
    instance->sqliteRows("update \"v$session\" set module = 'Other' where sid = " + target);
    Refresh();
    EXPECT_EQ(kept(), std::set<std::string>{other});

    // The toggles: active sessions only, user sessions only.
    filter.SetText(QString());
    EXPECT_EQ(filter.CountText(), std::to_string(m.Sessions.size()) + " sessions");
    m.ShowBackgroundSessions = true;
    Refresh();
    filter.SetActiveOnly(true);
    std::size_t active = 0;
    for (const TRSession& x : m.Sessions)
        active += x.basic.fields[bfStatus] == "ACTIVE";
    ASSERT_GT(active, 0u);
    ASSERT_LT(active, m.Sessions.size());
    EXPECT_EQ(static_cast<std::size_t>(filter.rowCount()), active);
    for (const std::string& sid : kept())
        EXPECT_EQ(SessionOfSid(sid).basic.fields[bfStatus], "ACTIVE");
    filter.SetActiveOnly(false);
    filter.SetUserOnly(true);
    std::size_t users = 0;
    for (const TRSession& x : m.Sessions)
        users += x.basic.fields[bfType] != "BACKGROUND";
    ASSERT_LT(users, m.Sessions.size());
    EXPECT_EQ(static_cast<std::size_t>(filter.rowCount()), users);
    Refresh();
    EXPECT_EQ(static_cast<std::size_t>(filter.rowCount()), users);
}

TEST_F(SessionBrowser, SessionsThatOthersWaitForCarryTheBlockerImage) {
    TPvConnection& m = rig.monitor;
    std::set<std::string, std::less<>> blockers;
    for (const TRSession& s : m.Sessions)
        if (!s.basic.fields[bfBlockingSession].empty())
            blockers.insert(std::string(s.basic.fields[bfBlockingSession]));
    ASSERT_FALSE(blockers.empty());
    int marked = 0;
    for (std::size_t i = 0; i < m.Sessions.size(); ++i) {
        const auto& f = m.Sessions[i].basic.fields;
        const int expected = f[bfStatus] == "KILLED"         ? kImageKilled
                             : !f[bfLockwait].empty()        ? kImageLockWait
                             : blockers.count(f[bfSid]) != 0 ? kImageBlocker
                                                             : -1;
        EXPECT_EQ(rig.list.RowsCopy()[i].image, expected) << f[bfSid];
        marked += expected == kImageBlocker;
    }
    EXPECT_GT(marked, 0);
}

TEST_F(SessionBrowser, TheListShowsTheRecordsInTheStatisticsOrderWithoutSortingThemAgain) {
    TPvConnection& m = rig.monitor;
    TSessionFilterModel shown(rig.list);
    const int statistic = rig.list.StatisticColumn();
    ASSERT_GT(statistic, 0);
    const auto sameAsRecords = [&] {
        if (shown.rowCount() != static_cast<int>(m.Sessions.size()))
            return false;
        for (int r = 0; r < shown.rowCount(); ++r)
            if (shown.index(r, 0).data().toString().toStdString() != m.Sessions[r].Key() ||
                rig.list.Session(shown.SourceRow(r)) != &m.Sessions[r])
                return false;
        return true;
    };
    // Highest first is the records' own order: the filter leaves the rows as they come.
    shown.sort(statistic, Qt::DescendingOrder);
    EXPECT_EQ(shown.sortColumn(), -1);
    EXPECT_EQ(shown.RequestedSortColumn(), statistic);
    EXPECT_TRUE(sameAsRecords());
    for (int r = 1; r < shown.rowCount(); ++r)
        EXPECT_GE(rig.list.Statistic(shown.SourceRow(r - 1)) + 0.0,
                  std::isnan(rig.list.Statistic(shown.SourceRow(r)))
                      ? -1e300
                      : rig.list.Statistic(shown.SourceRow(r)));
    // Another order sorts; back to the statistic's, the rows are as they come again.
    shown.sort(0, Qt::AscendingOrder);
    EXPECT_EQ(shown.sortColumn(), 0);
    EXPECT_FALSE(sameAsRecords());
    shown.sort(statistic, Qt::DescendingOrder);
    EXPECT_TRUE(sameAsRecords());
    // The statistic column switched to rates: the records take the rates' order at once, and
    // each refresh reads them in it.
    const std::string busy(m.Sessions.back().Key());
    instance->sqliteRows("update \"v$sesstat\" set value = value + 900000 where sid = " + busy +
                         " and \"statistic#\" = " + m.SortStatisticNumber);
    m.ShowSortRate = true;
    m.Notify(ncRebuildListColumns);
    EXPECT_TRUE(m.SessionsByRate);
    EXPECT_TRUE(sameAsRecords());
    Refresh();
    EXPECT_TRUE(m.SessionsByRate);
    EXPECT_TRUE(sameAsRecords());
    EXPECT_EQ(m.Sessions.front().Key(), busy);
    EXPECT_EQ(shown.index(0, 0).data().toString().toStdString(), busy);
    ASSERT_GE(m.SelectedIndex, 0);
    EXPECT_EQ(m.Sessions[static_cast<std::size_t>(m.SelectedIndex)].Key(), m.SelectedSid);
}

TEST_F(SessionBrowser, SortingUsesNumbersForSidAndStatisticAndDatesForLogonTime) {
    TSessionFilterModel sorted(rig.list);
    sorted.sort(0, Qt::AscendingOrder);
    for (int r = 1; r < sorted.rowCount(); ++r)
        EXPECT_LT(sorted.index(r - 1, 0).data().toInt(), sorted.index(r, 0).data().toInt());
    sorted.sort(3, Qt::DescendingOrder);
    for (int r = 1; r < sorted.rowCount(); ++r)
        EXPECT_GE(sorted.index(r - 1, 3).data().toDouble(), sorted.index(r, 3).data().toDouble());
    // A refresh keeps the order.
    Refresh();
    sorted.sort(0, Qt::DescendingOrder);
    Refresh();
    ASSERT_GT(sorted.rowCount(), 3);
    for (int r = 1; r < sorted.rowCount(); ++r)
        EXPECT_GT(sorted.index(r - 1, 0).data().toInt(), sorted.index(r, 0).data().toInt());
    // By a text column, letter case ignored; new texts after a refresh take their place.
    int machine = -1;
    for (int c = 0; c < rig.list.columnCount(); ++c)
        if (rig.list.headerData(c, Qt::Horizontal)
                .toString()
                .compare(QStringLiteral("Machine"), Qt::CaseInsensitive) == 0)
            machine = c;
    ASSERT_GE(machine, 0);
    const auto inOrder = [&] {
        for (int r = 1; r < sorted.rowCount(); ++r)
            if (QString::compare(sorted.index(r - 1, machine).data().toString(),
                                 sorted.index(r, machine).data().toString(),
                                 Qt::CaseInsensitive) > 0)
                return false;
        return true;
    };
    sorted.sort(machine, Qt::AscendingOrder);
    EXPECT_TRUE(inOrder());
    const std::string last = sorted.index(sorted.rowCount() - 1, 0).data().toString().toStdString();
    instance->sqliteRows("update \"v$session\" set machine = 'aaa-first' where sid = " + last);
    Refresh();
    EXPECT_TRUE(inOrder());
    EXPECT_EQ(sorted.index(0, 0).data().toString().toStdString(), last);
}

TEST_F(SessionBrowser, ATextSortFoldsEveryLetterCaseKeepsTiesInOrderAndTheSelectionFollows) {
    TPvConnection& m = rig.monitor;
    int machine = -1;
    for (int c = 0; c < rig.list.columnCount(); ++c)
        if (rig.list.headerData(c, Qt::Horizontal).toString() == QStringLiteral("Machine"))
            machine = c;
    ASSERT_GE(machine, 0);
    ASSERT_GT(m.Sessions.size(), 6u);
    // Texts beyond ASCII among ASCII ones, and texts that differ only in letter case.
    const char* machines[] = {"\u00c9tude", "zulu", "ALPHA", "\u00e9tude", "alpha", "Alpha"};
    for (int i = 0; i < 6; ++i)
        instance->sqliteRows(
            "update \"v$session\" set machine = '" + std::string(machines[i]) +
            "' where sid = " + std::string(m.Sessions[static_cast<std::size_t>(i)].Key()));
    Refresh();
    TSessionFilterModel sorted(rig.list);
    QItemSelectionModel selection(&sorted);
    const std::string chosen(m.Sessions[3].Key());
    selection.select(sorted.index(sorted.ProxyRow(RowOfSid(chosen)), 0),
                     QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    const auto key = [&](int r) {
        return sorted.index(r, machine).data().toString().toCaseFolded();
    };
    for (const Qt::SortOrder order : {Qt::AscendingOrder, Qt::DescendingOrder}) {
        sorted.sort(machine, order);
        for (int r = 1; r < sorted.rowCount(); ++r) {
            const QString a = key(r - 1), b = key(r);
            EXPECT_TRUE(order == Qt::AscendingOrder ? a <= b : a >= b) << r;
            // Equal keys keep the records' order, both ways.
            if (a == b) {
                EXPECT_LT(sorted.SourceRow(r - 1), sorted.SourceRow(r)) << r;
            }
        }
        // The selection is on the same session at its new place.
        const QModelIndexList rows = selection.selectedRows();
        ASSERT_EQ(rows.size(), 1);
        EXPECT_EQ(rig.list.Caption(sorted.SourceRow(rows[0].row())), chosen);
    }
    // Both spellings of each word sort together.
    std::vector<QString> words;
    for (int r = 0; r < sorted.rowCount(); ++r)
        if (key(r) == QStringLiteral("\u00e9tude") || key(r) == QStringLiteral("alpha"))
            words.push_back(key(r));
    ASSERT_EQ(words.size(), 5u);
    EXPECT_EQ(std::vector<QString>(words.begin(), words.begin() + 2),
              std::vector<QString>(2, QStringLiteral("\u00e9tude")));
    // A filter that leaves the selected session out drops the selection; a refresh keeps the
    // sort.
    sorted.SetText(QStringLiteral("zulu"));
    EXPECT_EQ(sorted.rowCount(), 1);
    EXPECT_TRUE(selection.selectedRows().isEmpty());
    sorted.SetText(QString());
    Refresh();
    EXPECT_EQ(sorted.sortColumn(), machine);
    EXPECT_EQ(key(0), QStringLiteral("\u00e9tude"));
}

TEST(ListCopy, SelectedRowsBecomeTabSeparatedLinesUnderTheirHeadings) {
    QStandardItemModel model(3, 3);
    model.setHorizontalHeaderLabels({"Sid", "Machine", "Program"});
    const char* cells[3][3] = {{"12", "CORP\\PC1", "TOAD.exe"},
                               {"7", "app\tsrv", "JDBC\nThin"},
                               {"40", "db01", "sqlplus"}};
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c)
            model.setItem(r, c, new QStandardItem(QString::fromLatin1(cells[r][c])));
    EXPECT_EQ(RowsAsTabText(model, {0, 1}, {2, 0, 1}).toStdString(),
              "Program\tSid\tMachine\nTOAD.exe\t12\tCORP\\PC1\nJDBC Thin\t7\tapp srv\n");
    EXPECT_EQ(RowsAsTabText(model, {2}, {0}).toStdString(), "Sid\n40\n");
}

TEST(RememberedListHeaders, AreKeptPerListName) {
    const QByteArray a("state-of-the-session-list"), b("state-of-the-locks");
    SaveListHeader(QStringLiteral("SessionListTest/11"), a);
    SaveListHeader(QStringLiteral("LocksTest/9"), b);
    EXPECT_EQ(SavedListHeader(QStringLiteral("SessionListTest/11")), a);
    EXPECT_EQ(SavedListHeader(QStringLiteral("LocksTest/9")), b);
    EXPECT_TRUE(SavedListHeader(QStringLiteral("SessionListTest/12")).isEmpty());
    oradb::connectSettings()->remove(QStringLiteral("Lists"));
    EXPECT_TRUE(SavedListHeader(QStringLiteral("LocksTest/9")).isEmpty());
}

} // namespace
