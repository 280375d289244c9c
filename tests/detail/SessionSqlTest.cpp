// The "Session SQL" view against the sandbox: the open cursors reassembled from their pieces, the
// current statement, the notifications, the cache, failures, cancelling, switching and saving.
#include "SqlLocksSupport.h"
#include "support/CallGate.h"
#include "util/DateTimeText.h"

#include <QTemporaryDir>
#include <cerrno>
#include <cstring>
#include <fstream>

namespace {

using namespace monitor;
using testing_support::SqlLocksTest;

class SessionSql : public SqlLocksTest {
protected:
    // A listed user session with at least one open cursor whose text spans several pieces.
    std::string SessionWithLongCursor() {
        for (const auto& r : rows("select distinct oc.sid from \"v$open_cursor\" oc,"
                                  " \"v$sqltext\" st where st.address = oc.address and"
                                  " st.hash_value = oc.hash_value and st.piece >= 2"
                                  " order by oc.sid"))
            for (const TRSession& s : rig.monitor.Sessions)
                if (s.Key() == r[0])
                    return r[0];
        return {};
    }
    // The full texts (from v$sqlarea) of the session's open cursors, in address order, one per
    // open-cursor row.
    std::vector<std::string> CursorTexts(const std::string& sid) {
        std::vector<std::string> texts;
        for (const auto& r : rows("select sa.sql_text from \"v$open_cursor\" oc, \"v$sqlarea\" sa"
                                  " where oc.sid = " +
                                  sid + " and sa.address = oc.address order by oc.address"))
            texts.push_back(r[0]);
        return texts;
    }
    void ShowSql() {
        sqlObserver->SetActive(true);
        ASSERT_TRUE(WaitIdle(wkSql));
    }
    static std::string Join(const std::vector<std::string>& pieces) {
        std::string s;
        for (const auto& p : pieces)
            s += p;
        return s;
    }
};

TEST_F(SessionSql, CursorsAreReassembledFromTheirPiecesAndListedByFirstPiece) {
    const std::string sid = SessionWithLongCursor();
    ASSERT_FALSE(sid.empty());
    Select(sid);
    ShowSql();
    const TRSql& sql = rig.monitor.SelectedSession()->Sql();
    std::vector<std::string> got;
    for (const auto& cursor : sql.cursors) {
        for (std::size_t i = 0; i + 1 < cursor.size(); ++i)
            EXPECT_EQ(cursor[i].size(), 64u);
        got.push_back(Join(cursor));
    }
    EXPECT_EQ(got, CursorTexts(sid));
    bool multiPiece = false;
    for (const auto& cursor : sql.cursors)
        multiPiece = multiPiece || cursor.size() > 1;
    EXPECT_TRUE(multiPiece);

    ASSERT_EQ(cursorList.rowCount(), static_cast<int>(sql.cursors.size()));
    for (int i = 0; i < cursorList.rowCount(); ++i) {
        EXPECT_EQ(cursorList.RowsCopy()[static_cast<std::size_t>(i)].caption, sid);
        EXPECT_EQ(cursorList.RowsCopy()[static_cast<std::size_t>(i)].subItems,
                  std::vector<std::string>{sql.cursors[static_cast<std::size_t>(i)][0]});
    }
    EXPECT_EQ(recorder->Only({19, 20, 21, 22, 27, 28}), (std::vector<int>{20, 22, 19, 21}));
    EXPECT_EQ(rig.monitor.SqlTextSql,
              " select oc.sid,st.hash_value,st.sql_text from v$sqltext st,v$open_cursor oc,"
              "v$session s where s.sid=" +
                  sid +
                  " and oc.saddr=s.saddr and st.address=oc.address and st.hash_value="
                  "oc.hash_value order by st.address,st.hash_value,st.piece");
    EXPECT_FALSE(rig.monitor.SqlCursorsLoading);
    EXPECT_FALSE(rig.monitor.SqlCurrentLoading);
    EXPECT_FALSE(rig.monitor.RenderingFlag(wkSql));
}

TEST_F(SessionSql, CurrentStatementIsShownWithHeaderAndKeywords) {
    const std::string sid = SessionWithLongCursor();
    ASSERT_FALSE(sid.empty());
    // The session runs its longest open statement now.
    const auto cur = rows("select oc.address, oc.hash_value, sa.sql_text from \"v$open_cursor\" oc,"
                          " \"v$sqlarea\" sa where oc.sid = " +
                          sid + " and sa.address = oc.address order by length(sa.sql_text) desc");
    ASSERT_FALSE(cur.empty());
    rows("update \"v$session\" set sql_address = '" + cur[0][0] +
         "', sql_hash_value = " + cur[0][1] + " where sid = " + sid);
    RefreshList();
    Select(sid);
    ShowSql();
    EXPECT_EQ(Join(rig.monitor.SelectedSession()->Sql().current), cur[0][2]);
    const std::string text = statementText.PlainText();
    ASSERT_EQ(text.rfind("[Current Sql Statement]\r\n", 0), 0u) << text;
    std::string expected = "[Current Sql Statement]\r\n";
    detail::TSqlTextModel reference;
    reference.WriteTokens(detail::TokenizeAndMark(cur[0][2]));
    EXPECT_EQ(text, expected + reference.PlainText());
    bool blue = false;
    for (const auto& run : statementText.Runs())
        blue = blue || run.keyword;
    EXPECT_TRUE(blue);
}

TEST_F(SessionSql, SessionExecutingNothingAndWithoutCursorsShowsEmptyViews) {
    const std::string sid = SessionWithLongCursor();
    ASSERT_FALSE(sid.empty());
    rows("delete from \"v$open_cursor\" where sid = " + sid);
    rows("update \"v$session\" set sql_address = '00', sql_hash_value = 0 where sid = " + sid);
    RefreshList();
    Select(sid);
    ShowSql();
    EXPECT_TRUE(rig.monitor.SelectedSession()->Sql().cursors.empty());
    EXPECT_EQ(cursorList.rowCount(), 0);
    EXPECT_EQ(statementText.PlainText(), "");
    EXPECT_TRUE(statementText.Runs().empty());
    // The statement query still ran and stamped the record.
    EXPECT_TRUE(rig.monitor.IsFresh(rig.monitor.SelectedSession()->Sql().fetchGeneration));
}

TEST_F(SessionSql, StatementOpenedByTwoCursorsFormsOneGroupWithEveryPieceTwice) {
    const std::string sid = SessionWithLongCursor();
    ASSERT_FALSE(sid.empty());
    const auto r = rows("select oc.address from \"v$open_cursor\" oc where oc.sid = " + sid +
                        " and (select count(*) from \"v$sqltext\" st where st.address ="
                        " oc.address) > 1 limit 1");
    ASSERT_FALSE(r.empty());
    rows("insert into \"v$open_cursor\" select * from \"v$open_cursor\" where sid = " + sid +
         " and address = '" + r[0][0] + "'");
    const auto pieces =
        rows("select sql_text from \"v$sqltext\" where address = '" + r[0][0] + "' order by piece");
    RefreshList();
    Select(sid);
    ShowSql();
    const auto& cursors = rig.monitor.SelectedSession()->Sql().cursors;
    std::vector<std::string> doubled;
    for (const auto& p : pieces) {
        doubled.push_back(p[0]);
        doubled.push_back(p[0]);
    }
    EXPECT_EQ(std::count(cursors.begin(), cursors.end(), doubled), 1);
    // One list row per group, not per open cursor.
    EXPECT_EQ(cursors.size() + 1, CursorTexts(sid).size());
}

TEST_F(SessionSql, HashValuesBeyondThirtyTwoBitsKeepCursorsApart) {
    const std::string sid = SessionWithLongCursor();
    ASSERT_FALSE(sid.empty());
    const std::string saddr = one("select saddr from \"v$session\" where sid = " + sid);
    rows("delete from \"v$open_cursor\" where sid = " + sid);
    // Two statements whose hash values agree in their low 32 bits, at adjacent addresses.
    for (const auto& [address, hash, text] :
         {std::tuple<std::string, std::string, std::string>{"00000000DEAD0000", "7",
                                                            "select 1 from dual"},
          {"00000000DEAD0040", "4294967303", "select 2 from dual"}}) {
        rows("insert into \"v$sqltext\" (address, hash_value, command_type, piece, sql_text) "
             "values ('" +
             address + "', " + hash + ", 3, 0, '" + text + "')");
        rows("insert into \"v$open_cursor\" (saddr, sid, user_name, address, hash_value, "
             "sql_text) values ('" +
             saddr + "', " + sid + ", 'X', '" + address + "', " + hash + ", '" + text + "')");
    }
    RefreshList();
    Select(sid);
    ShowSql();
    const auto& cursors = rig.monitor.SelectedSession()->Sql().cursors;
    ASSERT_EQ(cursors.size(), 2u);
    EXPECT_EQ(cursors[0], std::vector<std::string>{"select 1 from dual"});
    EXPECT_EQ(cursors[1], std::vector<std::string>{"select 2 from dual"});
}

TEST_F(SessionSql, CachedRecordRendersWithoutAQueryUntilTheNextListRefresh) {
    const std::string sid = SessionWithLongCursor();
    Select(sid);
    ShowSql();
    ASSERT_EQ(recorder->Count(ncCursorsLoading), 1);
    sqlObserver->SetActive(false);
    cursorList.SetRows({});
    statementText.Clear();
    sqlObserver->SetActive(true);
    ASSERT_TRUE(WaitIdle(wkSql));
    EXPECT_EQ(recorder->Count(ncCursorsLoading), 1);
    EXPECT_EQ(recorder->Count(ncCursorsStored), 2);
    EXPECT_EQ(cursorList.rowCount(),
              static_cast<int>(rig.monitor.SelectedSession()->Sql().cursors.size()));
    RefreshList();
    EXPECT_EQ(recorder->Count(ncCursorsLoading), 2);
}

TEST_F(SessionSql, ObserverIgnoresCodesWhileInactive) {
    const std::string sid = SessionWithLongCursor();
    Select(sid);
    ShowSql();
    const int rowsShown = cursorList.rowCount();
    ASSERT_GT(rowsShown, 0);
    locksObserver->SetActive(true); // another view clears show-SQL
    ASSERT_TRUE(WaitIdle(wkLocks));
    EXPECT_FALSE(sqlObserver->Active());
    rig.monitor.Notify(ncCursorsLoading);
    EXPECT_EQ(cursorList.rowCount(), rowsShown);
}

TEST_F(SessionSql, FailingCursorQueryShowsAbortAndReportsOnceThenLoadsTheStatement) {
    const std::string sid = SessionWithLongCursor();
    Select(sid);
    rig.monitor.SetAutoRefresh(true);
    oradb::sandbox::Fault fault;
    fault.fragment = "v$open_cursor";
    fault.failAfterRows = 0;
    fault.times = 1;
    instance->addFault(fault);
    ShowSql();
    util::HandOver::instance().runPending();
    EXPECT_EQ(recorder->Only({19, 20, 21, 22, 27, 28}), (std::vector<int>{20, 28, 19, 21}));
    ASSERT_EQ(cursorList.rowCount(), 1);
    EXPECT_EQ(cursorList.RowsCopy()[0].caption, "Abort");
    EXPECT_EQ(rig.host.workerFailures, 1);
    EXPECT_NE(rig.monitor.LastError.find("ORA-00600"), std::string::npos);
    EXPECT_FALSE(rig.monitor.AutoRefresh());
    EXPECT_FALSE(rig.monitor.Running(wkSql));
}

TEST_F(SessionSql, FailingStatementQueryShowsAbortInTheBox) {
    const std::string sid = SessionWithLongCursor();
    Select(sid);
    oradb::sandbox::Fault fault;
    fault.fragment = "order by st.piece";
    fault.failAfterRows = 0;
    fault.code = 3113;
    fault.text = "end-of-file on communication channel";
    instance->addFault(fault);
    ShowSql();
    util::HandOver::instance().runPending();
    EXPECT_EQ(recorder->Only({19, 20, 21, 22, 27, 28}), (std::vector<int>{20, 22, 19, 27}));
    EXPECT_EQ(statementText.PlainText(), "Abort");
    EXPECT_GT(cursorList.rowCount(), 0);
    EXPECT_EQ(rig.host.workerFailures, 1);
    EXPECT_FALSE(rig.monitor.SqlCurrentLoading);
    // Nothing was stamped: the next request fetches again.
    EXPECT_FALSE(rig.monitor.IsFresh(rig.monitor.SelectedSession()->Sql().fetchGeneration));
}

TEST_F(SessionSql, ReadFailuresKeepWhatWasReadAndGoToTheApplicationLog) {
    const std::string sid = SessionWithLongCursor();
    Select(sid);
    oradb::sandbox::Fault cursors;
    cursors.fragment = "v$open_cursor";
    cursors.failAfterRows = 2;
    instance->addFault(cursors);
    ShowSql();
    util::HandOver::instance().runPending();
    // The two rows read before the failure stay, grouped; the view goes on to the statement.
    const auto& got = rig.monitor.SelectedSession()->Sql().cursors;
    std::size_t pieces = 0;
    for (const auto& c : got)
        pieces += c.size();
    EXPECT_EQ(pieces, 2u);
    EXPECT_EQ(recorder->Only({19, 20, 21, 22, 27, 28}), (std::vector<int>{20, 22, 19, 21}));
    EXPECT_EQ(rig.host.workerFailures, 0);
    const std::string log = AppLog();
    EXPECT_NE(log.find(": Error while get all sql:EOraError,ORA-00600: internal error code"),
              std::string::npos)
        << log;
}

TEST_F(SessionSql, StatementReadFailureIsLoggedAndWhatWasReadIsShown) {
    const std::string sid = SessionWithLongCursor();
    const auto cur = rows("select oc.address, oc.hash_value from \"v$open_cursor\" oc,"
                          " \"v$sqlarea\" sa where oc.sid = " +
                          sid + " and sa.address = oc.address and length(sa.sql_text) > 128");
    ASSERT_FALSE(cur.empty());
    rows("update \"v$session\" set sql_address = '" + cur[0][0] +
         "', sql_hash_value = " + cur[0][1] + " where sid = " + sid);
    RefreshList();
    Select(sid);
    oradb::sandbox::Fault fault;
    fault.fragment = "order by st.piece";
    fault.failAfterRows = 1;
    instance->addFault(fault);
    ShowSql();
    util::HandOver::instance().runPending();
    const TRSql& sql = rig.monitor.SelectedSession()->Sql();
    ASSERT_EQ(sql.current.size(), 1u);
    EXPECT_EQ(sql.current[0], one("select sql_text from \"v$sqltext\" where address = '" +
                                  cur[0][0] + "' and piece = 0"));
    EXPECT_TRUE(rig.monitor.IsFresh(sql.fetchGeneration));
    EXPECT_EQ(recorder->Only({19, 20, 21, 22, 27, 28}), (std::vector<int>{20, 22, 19, 21}));
    EXPECT_EQ(rig.host.workerFailures, 0);
    EXPECT_NE(AppLog().find(": Sid:" + sid + "get Current Sql error : EOraError ORA-00600"),
              std::string::npos)
        << AppLog();
    EXPECT_EQ(statementText.PlainText().rfind("[Current Sql Statement]\r\n", 0), 0u);
}

TEST_F(SessionSql, SwitchingToAnotherPageCancelsTheFetchSilently) {
    const std::string sid = SessionWithLongCursor();
    Select(sid);
    oradb::sandbox::Fault slow;
    slow.fragment = "v$open_cursor";
    slow.delayMs = 600000; // only a cancel ends it
    instance->addFault(slow);
    sqlObserver->SetActive(true);
    // The worker sets its loading flag, then hands the "Loading..." row over: wait for both.
    ASSERT_TRUE(util::HandOver::instance().waitUntil(
        [&] { return rig.monitor.SqlCursorsLoading.load() && cursorList.rowCount() == 1; },
        std::chrono::seconds(30)));
    EXPECT_EQ(cursorList.RowsCopy()[0].caption, "Loading...");
    // A click on a cursor row while loading changes nothing and logs nothing.
    sqlObserver->SwitchStatement(0);
    EXPECT_EQ(AppLog(), "");
    instance->clearFaults();
    locksObserver->SetActive(true);
    ASSERT_TRUE(WaitIdle(wkSql));
    ASSERT_TRUE(WaitIdle(wkLocks));
    util::HandOver::instance().runPending();
    EXPECT_EQ(rig.host.workerFailures, 0);
    EXPECT_EQ(recorder->Count(ncCursorsFailed), 1);
    EXPECT_EQ(recorder->Count(ncCurrentSqlFailed), 1);
    EXPECT_EQ(recorder->Count(ncCursorsStored), 0);
    EXPECT_EQ(recorder->Count(ncLocksStored), 1);
    EXPECT_FALSE(rig.monitor.Running(wkSql));
}

TEST_F(SessionSql, RowsGoToTheSessionTheFetchWasForWhenTheSelectionMovedOn) {
    const std::string first = SessionWithLongCursor();
    ASSERT_FALSE(first.empty());
    const std::string second =
        one("select sid from \"v$session\" where type = 'USER' and sid <> " + first +
            " and sid not in (select sid from \"v$open_cursor\")"
            " order by sid");
    ASSERT_FALSE(second.empty());
    Select(first);
    testing_support::InstanceGate gate(*instance, "v$open_cursor");
    sqlObserver->SetActive(true);
    ASSERT_TRUE(gate.WaitArrived());
    // The user selects another session meanwhile; its request is dropped while the fetch runs.
    Select(second);
    rig.monitor.Request(wkSql);
    gate.Release();
    ASSERT_TRUE(WaitIdle(wkSql));
    const auto& sessions = rig.monitor.Sessions;
    const auto recordOf = [&](const std::string& sid) {
        return std::find_if(sessions.begin(), sessions.end(),
                            [&](const TRSession& s) { return s.Key() == sid; });
    };
    std::vector<std::string> got;
    for (const auto& c : recordOf(first)->Sql().cursors)
        got.push_back(Join(c));
    EXPECT_EQ(got, CursorTexts(first));
    EXPECT_TRUE(rig.monitor.IsFresh(recordOf(first)->Sql().fetchGeneration));
    EXPECT_TRUE(recordOf(second)->Sql().cursors.empty());
    EXPECT_FALSE(rig.monitor.IsFresh(recordOf(second)->Sql().fetchGeneration));
    // So the next request for the selected session fetches its own cursors.
    rig.monitor.Request(wkSql);
    ASSERT_TRUE(WaitIdle(wkSql));
    EXPECT_EQ(recorder->Count(ncCursorsLoading), 2);
    EXPECT_EQ(cursorList.rowCount(), 0);
}

TEST_F(SessionSql, SelectingACursorShowsItsFullTextWithoutHeader) {
    const std::string sid = SessionWithLongCursor();
    Select(sid);
    ShowSql();
    const auto& cursors = rig.monitor.SelectedSession()->Sql().cursors;
    ASSERT_GE(cursors.size(), 2u);
    std::size_t longest = 0;
    for (std::size_t i = 0; i < cursors.size(); ++i)
        if (cursors[i].size() > cursors[longest].size())
            longest = i;
    sqlObserver->SwitchStatement(static_cast<int>(longest));
    detail::TSqlTextModel reference;
    reference.WriteTokens(detail::TokenizeAndMark(Join(cursors[longest])));
    EXPECT_EQ(statementText.PlainText(), reference.PlainText());
    EXPECT_EQ(statementText.PlainText().find("[Current Sql Statement]"), std::string::npos);
    // A row that holds no cursor is logged, and the box stays as it was.
    sqlObserver->SwitchStatement(static_cast<int>(cursors.size()));
    EXPECT_EQ(statementText.PlainText(), reference.PlainText());
    EXPECT_NE(AppLog().find(": Error:switch sql error\r\n"), std::string::npos);
}

TEST_F(SessionSql, SavingWritesTheHeaderAndTheSelectedCursorsPieceByPiece) {
    const std::string sid = SessionWithLongCursor();
    Select(sid);
    ShowSql();
    const auto& cursors = rig.monitor.SelectedSession()->Sql().cursors;
    ASSERT_GE(cursors.size(), 2u);
    const TBasicFieldArray f = rig.monitor.SelectedSession()->basic.fields.ToArray();
    const std::string file = logDir.filePath(QStringLiteral("saved.log")).toStdString();
    ASSERT_TRUE(sqlObserver->SaveStatements(file, {1, 0}));
    std::ifstream in(file, std::ios::binary);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) {
        ASSERT_FALSE(line.empty());
        ASSERT_EQ(line.back(), '\r');
        line.pop_back();
        lines.push_back(line);
    }
    ASSERT_GE(lines.size(), 2u);
    const auto stampedLine = [](const std::string& line, const std::string& rest) {
        // "Rem " + date and time + ": " + rest
        const auto at = line.find(": ");
        if (line.rfind("Rem ", 0) != 0 || at == std::string::npos)
            return false;
        return util::parseDateTime(line.substr(4, at - 4)).has_value() &&
               line.substr(at + 2) == rest;
    };
    EXPECT_TRUE(stampedLine(lines[0], "Sid " + sid + ",Serial " + f[bfSerial] + ",Oracle User " +
                                          f[bfUsername] + ",logon time " + f[bfLogonTime]))
        << lines[0];
    EXPECT_TRUE(
        stampedLine(lines[1], "Machine " + f[bfMachine] + ",Client program " + f[bfProgram]))
        << lines[1];
    std::vector<std::string> expected = {lines[0], lines[1], " "};
    expected.insert(expected.end(), cursors[0].begin(), cursors[0].end());
    expected.push_back(" ");
    expected.insert(expected.end(), cursors[1].begin(), cursors[1].end());
    EXPECT_EQ(lines, expected);

    // With no row selected only the header is written.
    ASSERT_TRUE(sqlObserver->SaveStatements(file, {}));
    std::ifstream again(file, std::ios::binary);
    int count = 0;
    for (std::string line; std::getline(again, line);)
        ++count;
    EXPECT_EQ(count, 2);
    // A folder that does not exist is refused.
    EXPECT_FALSE(sqlObserver->SaveStatements("/nonexistent-quenby/x.log", {0}));
    std::string why;
    EXPECT_FALSE(sqlObserver->SaveStatements("/nonexistent-quenby/x.log", {0}, &why));
    EXPECT_EQ(why, std::strerror(ENOENT));
}

TEST_F(SessionSql, SavingWhileTheCursorsReloadStopsWithTheTwoNotes) {
    const std::string sid = SessionWithLongCursor();
    Select(sid);
    ShowSql();
    oradb::sandbox::Fault slow;
    slow.fragment = "v$open_cursor";
    slow.delayMs = 600000; // only a cancel ends it
    instance->addFault(slow);
    rig.monitor.Refresh(); // the request of the shown view waits in the slow query
    ASSERT_TRUE(rig.WaitForList());
    ASSERT_TRUE(util::HandOver::instance().waitUntil(
        [&] { return rig.monitor.SqlCursorsLoading.load(); }, std::chrono::seconds(20)));
    const std::string file = logDir.filePath(QStringLiteral("reload.log")).toStdString();
    ASSERT_TRUE(sqlObserver->SaveStatements(file, {0}));
    instance->clearFaults();
    rig.monitor.Thread(wkSql)->Terminate();
    ASSERT_TRUE(WaitIdle(wkSql));
    std::ifstream in(file, std::ios::binary);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_EQ(lines[2], " \r");
    EXPECT_NE(lines[3].find(": Reload SQL while saving SQL Statement to file.\r"),
              std::string::npos);
    EXPECT_NE(lines[4].find(": Switch to manual mode and save SQL Statement again.\r"),
              std::string::npos);
}

TEST_F(SessionSql, SimulatorOpensAndClosesCursorsAndTheNextRefreshShowsThem) {
    Select(SessionWithLongCursor());
    ShowSql();
    instance->step(30);
    RefreshList();
    // The selected session (or, when it logged off, the first listed one) shows what it has
    // open now.
    std::vector<std::string> after;
    for (const auto& c : rig.monitor.SelectedSession()->Sql().cursors)
        after.push_back(Join(c));
    EXPECT_EQ(after, CursorTexts(rig.monitor.SelectedSid));
}

} // namespace
