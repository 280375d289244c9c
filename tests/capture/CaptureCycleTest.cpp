// Open-cursor capture and the log files, end to end on a sandbox: the toggle with its lock, the
// due test with an injected clock, the capture block, the fetches and the CSV lines they write.
#include "CaptureSupport.h"
#include "capture/CaptureLog.h"
#include "util/AppLog.h"

#include <algorithm>
#include <map>

namespace {

using namespace testing_support;
using capture::TCollectorDefinition;

util::TDateTime at(int year, int month, int day, int hour, int minute, int second = 0) {
    return util::encodeDateTime({year, month, day, hour, minute, second, 0});
}

constexpr double kSecond = 1.0 / 86400;

struct Capture : ::testing::Test {
    CaptureRig r;
    void SetUp() override {
        ASSERT_TRUE(r.Login());
        ASSERT_TRUE(r.Install());
    }
    // A user session with an open cursor whose statement has exactly three pieces.
    std::pair<std::string, std::string> sessionWithThreePieces() {
        const auto found =
            rows(r.Session(),
                 "select oc.sid sid,rawtohex(oc.saddr) saddr from v$open_cursor oc,v$session s,"
                 "v$sqltext st where s.saddr=oc.saddr and s.type='USER' and st.address=oc.address "
                 "and st.piece=2 and not exists (select piece from v$sqltext s3 where "
                 "s3.address=oc.address and s3.piece=3) order by oc.sid");
        EXPECT_FALSE(found.empty()) << "the sandbox has no three-piece statement open";
        return found.empty() ? std::make_pair(std::string(), std::string())
                             : std::make_pair(found[0][0], found[0][1]);
    }
    TCollectorDefinition bySession(const std::string& name, const std::string& sid,
                                   const std::string& saddr) {
        TCollectorDefinition d = r.Scheduled(name, capture::fkSession, sid);
        d.sessionAddress = saddr;
        return d;
    }
    // The lines a fetch writes for the captured rows of one session, built from the capture
    // table and the shared SQL area directly.
    std::vector<std::string> expectedLines(const std::string& sid) {
        std::vector<std::string> lines;
        for (const auto& tot :
             rows(r.Session(), "select address,hash_value,user_name,program,machine,osuser "
                               "from public_qby_capturesql where sid=" +
                                   sid + " order by sid,address,hash_value")) {
            const auto sa =
                rows(r.Session(), "select sorts,parse_calls,executions,loads,rows_processed,"
                                  "first_load_time from v$sqlarea where rawtohex(address)='" +
                                      tot[0] + "'");
            const auto pieces = rows(r.Session(), "select sql_text from v$sqltext where "
                                                  "rawtohex(address)='" +
                                                      tot[0] + "' order by piece");
            if (sa.empty() || pieces.empty())
                continue;
            std::string text;
            for (const auto& p : pieces)
                text += p[0];
            lines.push_back("\"" + tot[2] + "\",\"" + tot[3] + "\",\"" + tot[4] + "\",\"" + tot[5] +
                            "\"," + sa[0][0] + "," + sa[0][1] + "," + sa[0][2] + "," + sa[0][3] +
                            "," + sa[0][4] + ",\"" + sa[0][5] + "\",\"" + text + "\"");
        }
        return lines;
    }
    // Two ticks a sampling interval apart, each waited for to its end.
    void twoTicks() {
        r.capture.Tick();
        ASSERT_TRUE(r.WaitForThreads());
        r.clock += 6 * kSecond;
        r.capture.Tick();
        ASSERT_TRUE(r.WaitForThreads());
    }
};

TEST_F(Capture, EnabledCaptureWritesHeaderAndOneLinePerStatement) {
    const auto [sid, saddr] = sessionWithThreePieces();
    ASSERT_FALSE(sid.empty());
    ASSERT_TRUE(r.capture.AddCollector(bySession("one", sid, saddr)));
    ASSERT_TRUE(r.capture.ToggleCapture());
    EXPECT_TRUE(r.capture.CaptureEnabled());
    EXPECT_STREQ(r.capture.EnableCaption(), "&Disable Capture SQL");
    twoTicks();

    const std::string path = r.Path("one.sql");
    const auto lines = crlfLines(readFile(path));
    ASSERT_GE(lines.size(), 2u);
    EXPECT_EQ(lines[0], "\"username\",\"program\",\"machine\",\"osuser\",\"Sorts\","
                        "\"Parse_calls\",\"executions\",\"loads\",\"rows_processed\","
                        "\"first_load_time\",\"SQL\"");
    const auto expected = expectedLines(sid);
    ASSERT_FALSE(expected.empty());
    EXPECT_EQ(std::vector<std::string>(lines.begin() + 1, lines.end()), expected);
    // The three-piece statement is one line holding its three pieces joined.
    const auto three = rows(r.Session(), "select st.sql_text from v$sqltext st,v$open_cursor "
                                         "oc where oc.sid=" +
                                             sid +
                                             " and st.address=oc.address and not exists "
                                             "(select piece from v$sqltext s3 where "
                                             "s3.address=oc.address and s3.piece=3) "
                                             "and exists (select piece from v$sqltext "
                                             "s2 where s2.address=oc.address and "
                                             "s2.piece=2) order by st.piece");
    ASSERT_GE(three.size(), 3u);
    const std::string joined = three[0][0] + three[1][0] + three[2][0];
    EXPECT_EQ(std::count_if(lines.begin(), lines.end(),
                            [&](const std::string& l) {
                                return l.size() > joined.size() + 2 &&
                                       l.compare(l.size() - joined.size() - 2, joined.size() + 2,
                                                 "\"" + joined + "\"") == 0;
                            }),
              1);

    const auto& c = *r.capture.Collectors()[0];
    EXPECT_EQ(c.sqls.load(), static_cast<int>(expected.size()));
    EXPECT_EQ(c.samples, 2);
    // The next tick (no collector due yet) shows the counters in the list.
    r.capture.Tick();
    EXPECT_FALSE(r.capture.OpencursorRunning());
    EXPECT_EQ(r.capture.Rows().Text(0, capture::TSqlCollectorListModel::colSqls),
              std::to_string(expected.size()));
    EXPECT_EQ(r.capture.Rows().Text(0, capture::TSqlCollectorListModel::colSamples), "2");
    EXPECT_GT(c.lastFetchTime.load(), c.WindowStart());

    // Disable, enable again: the capture table is emptied and refilled; with the watermark set
    // back the same statements are appended, without a second header.
    ASSERT_TRUE(r.capture.ToggleCapture());
    EXPECT_FALSE(r.capture.CaptureEnabled());
    EXPECT_EQ(c.sqls.load(), 0);
    EXPECT_STREQ(r.capture.EnableCaption(), "&Enable Capture SQL");
    ASSERT_TRUE(r.capture.ToggleCapture());
    r.capture.Collectors()[0]->lastFetchTime = c.WindowStart();
    r.clock += 6 * kSecond;
    twoTicks();
    const auto again = crlfLines(readFile(path));
    ASSERT_EQ(again.size(), 1 + 2 * expected.size());
    EXPECT_EQ(std::count(again.begin(), again.end(), lines[0]), 1);
    EXPECT_EQ(std::vector<std::string>(again.begin() + 1 + static_cast<long>(expected.size()),
                                       again.end()),
              expected);
}

TEST_F(Capture, TwoCollectorsOnOneSessionEachWriteTheirOwnFile) {
    const auto [sid, saddr] = sessionWithThreePieces();
    ASSERT_FALSE(sid.empty());
    const std::string user =
        rows(r.Session(), "select username from v$session where sid=" + sid)[0][0];
    ASSERT_TRUE(r.capture.AddCollector(bySession("bysession", sid, saddr)));
    r.clock += 0.01 * kSecond;
    TCollectorDefinition byUser = r.Scheduled("byuser", capture::fkUser, user);
    for (char& ch : byUser.value)
        ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
    ASSERT_TRUE(r.capture.AddCollector(byUser));
    ASSERT_TRUE(r.capture.ToggleCapture());
    twoTicks();
    const auto a = crlfLines(readFile(r.Path("bysession.sql")));
    const auto b = crlfLines(readFile(r.Path("byuser.sql")));
    const auto expected = expectedLines(sid);
    ASSERT_FALSE(expected.empty());
    EXPECT_EQ(std::vector<std::string>(a.begin() + 1, a.end()), expected);
    // The user's collector writes the same statements among those of the user's other sessions.
    for (const std::string& line : expected)
        EXPECT_NE(std::find(b.begin(), b.end(), line), b.end()) << line;
    EXPECT_EQ(r.capture.Collectors()[0]->sqls.load(), static_cast<int>(expected.size()));
    EXPECT_EQ(r.capture.Collectors()[1]->sqls.load(), static_cast<int>(b.size() - 1));
    EXPECT_GT(r.capture.Collectors()[0]->lastFetchTime.load(), 0);
    EXPECT_GT(r.capture.Collectors()[1]->lastFetchTime.load(), 0);
}

TEST_F(Capture, CollectorsSharingALogFileNeverInterleaveWithinALine) {
    const auto [sid, saddr] = sessionWithThreePieces();
    ASSERT_FALSE(sid.empty());
    for (const char* name : {"x1", "x2", "x3"}) {
        TCollectorDefinition d = bySession(name, sid, saddr);
        d.logFileName = "shared.sql";
        ASSERT_TRUE(r.capture.AddCollector(d));
        r.clock += 0.01 * kSecond;
    }
    ASSERT_TRUE(r.capture.ToggleCapture());
    twoTicks();
    const auto lines = crlfLines(readFile(r.Path("shared.sql")));
    const auto expected = expectedLines(sid);
    ASSERT_FALSE(expected.empty());
    ASSERT_EQ(lines.size(), 1 + 3 * expected.size());
    EXPECT_EQ(lines[0], capture::LogHeaderLine());
    std::map<std::string, int> seen;
    for (std::size_t i = 1; i < lines.size(); ++i)
        ++seen[lines[i]];
    for (const std::string& line : expected)
        EXPECT_EQ(seen[line], 3) << line;
}

TEST_F(Capture, DueTestHonoursTheWindowAndTheSamplingStrictly) {
    TCollectorDefinition d = r.Scheduled("due", capture::fkMachine, "m");
    d.startDate = util::dayNumber(2026, 12, 8);
    d.startHour = 10;
    d.startMinute = 0;
    d.runTimePeriod = 60;
    d.monitorSampling = 5;
    capture::TSqlCollector c;
    c.def = d;
    const util::TDateTime start = at(2026, 12, 8, 10, 0);
    r.clock = start - kSecond;
    EXPECT_FALSE(r.capture.DueTest(c));
    EXPECT_DOUBLE_EQ(c.lastFetchTime.load(), start);
    EXPECT_DOUBLE_EQ(c.lastSampleTime, start);
    r.clock = start + 5 * kSecond; // last sample + 5 s is not before now
    EXPECT_FALSE(r.capture.DueTest(c));
    r.clock = start + 6 * kSecond;
    EXPECT_TRUE(r.capture.DueTest(c));
    c.lastSampleTime = start + 50 * kSecond;
    r.clock = start + 55 * kSecond;
    EXPECT_FALSE(r.capture.DueTest(c));
    r.clock = start + 59 * kSecond;
    EXPECT_TRUE(r.capture.DueTest(c));
    r.clock = start + 30 * kSecond; // the clock was set back below the last sample
    EXPECT_TRUE(r.capture.DueTest(c));
    r.clock = start + 60 * kSecond; // the end is not after now
    EXPECT_FALSE(r.capture.DueTest(c));
    c.lastSampleTime = 0;
    r.clock = start;
    EXPECT_FALSE(r.capture.DueTest(c));
}

TEST_F(Capture, TwoDueCollectorsGiveTheCombinedConditionInTheBlock) {
    r.clock = at(2026, 12, 8, 12, 0);
    ASSERT_TRUE(r.capture.AddCollector(r.Scheduled("m", capture::fkMachine, "APPSRV'01")));
    r.clock += kSecond;
    ASSERT_TRUE(r.capture.AddCollector(r.Scheduled("u", capture::fkUser, "scott")));
    r.clock += kSecond;
    TCollectorDefinition off = r.Scheduled("off", capture::fkOsuser, "nobody");
    off.scheduled = 0;
    ASSERT_TRUE(r.capture.AddCollector(off));
    ASSERT_TRUE(r.capture.ToggleCapture());
    r.capture.Tick();
    EXPECT_EQ(r.capture.DueCount(), 2);
    EXPECT_EQ(
        r.capture.LastBlock(),
        "  declare  cursor c1 is select s.osuser osuser,s.machine machine,s.terminal terminal, "
        "s.program program,s.module module,s.action action, s.client_info client_info, "
        "rawtohex(oc.saddr) saddr, s.sid sid ,s.username username , rawtohex(oc.address) "
        "address, to_char(oc.hash_value) hash_value, sysdate fetchtime  from v$session "
        "s,v$open_cursor oc  where s.saddr=oc.saddr  and ( ( s.machine='APPSRV''01') or ( "
        "oc.user_name='SCOTT') ) and not exists (   select sid from public_qby_capturesql tot "
        "where   tot.sid=s.sid and tot.saddr=oc.saddr and tot.address=oc.address and "
        "tot.hash_value=oc.hash_value); c1_rec  c1%ROWTYPE; begin  open c1;  loop    fetch c1 "
        "into c1_rec;    exit when c1%notfound;    begin    insert /*+ append */ into "
        "public_qby_capturesql values( c1_rec.saddr,c1_rec.sid, c1_rec.username,c1_rec.address, "
        "c1_rec.osuser,c1_rec.machine,c1_rec.terminal,c1_rec.program, "
        "c1_rec.module,c1_rec.action,c1_rec.client_info, c1_rec.hash_value,c1_rec.fetchtime);  "
        "exception  when others then null;  end;  end loop;  exception  when others then null;  "
        "close c1;end;");
    ASSERT_TRUE(r.WaitForThreads());
    // The block ran: SCOTT's cursors are in the capture table, upper-cased user matched.
    const auto captured = rows(r.Session(), "select distinct user_name from public_qby_capturesql");
    ASSERT_EQ(captured.size(), 1u);
    EXPECT_EQ(captured[0][0], "SCOTT");
    EXPECT_EQ(r.capture.Collectors()[2]->samples, 0);
}

TEST_F(Capture, OnlyUnscheduledCollectorsNeverRunTheBlock) {
    TCollectorDefinition off = r.Scheduled("off", capture::fkUser, "scott");
    off.scheduled = 0;
    ASSERT_TRUE(r.capture.AddCollector(off));
    ASSERT_TRUE(r.capture.ToggleCapture());
    for (int i = 0; i < 3; ++i) {
        r.clock += 6 * kSecond;
        r.capture.Tick();
    }
    EXPECT_EQ(r.capture.DueCount(), 0);
    EXPECT_TRUE(r.capture.LastBlock().empty());
    EXPECT_FALSE(r.capture.OpencursorRunning());
    EXPECT_EQ(r.capture.Collectors()[0]->samples, 0);
}

TEST_F(Capture, ASecondInstanceCannotEnableWhileTheFirstHoldsTheLock) {
    ASSERT_TRUE(r.capture.AddCollector(r.Scheduled("u", capture::fkUser, "scott")));
    ASSERT_TRUE(r.capture.ToggleCapture());
    MonitorRig second;
    ASSERT_TRUE(second.LoginAs("system", "lantern", r.Server()));
    capture::TCaptureSql other(second.monitor);
    std::vector<std::string> warnings;
    other.ShowWarning = [&](const std::string& t) { warnings.push_back(t); };
    other.LoadCollectors();
    EXPECT_TRUE(other.Present);
    EXPECT_FALSE(other.ToggleCapture());
    EXPECT_FALSE(other.CaptureEnabled());
    EXPECT_EQ(warnings,
              std::vector<std::string>{"Can not capture SQL while other QBY program is capturing "
                                       "SQL!"});
    try {
        run(second.monitor.Session(), "lock table public_qby_capturesql in exclusive mode nowait");
        FAIL() << "the second session got the lock";
    } catch (const oradb::EOraError& e) {
        EXPECT_EQ(e.ErrorCode(), 54);
    }
    // Disabling commits, which releases the lock.
    ASSERT_TRUE(r.capture.ToggleCapture());
    EXPECT_TRUE(other.ToggleCapture());
    EXPECT_TRUE(other.CaptureEnabled());
    EXPECT_TRUE(other.ToggleCapture());
    other.Stop();
    second.monitor.Disconnect();
}

TEST_F(Capture, CloseIsRefusedWhileAFetchRunsAndItsCollectorOutlivesADelete) {
    ASSERT_TRUE(r.capture.AddCollector(r.Scheduled("u", capture::fkUser, "scott")));
    r.capture.RebuildRows();
    oradb::sandbox::Fault slow;
    slow.fragment = "from public_qby_capturesql tot,v$sqltext";
    slow.delayMs = 600000;
    r.instance->addFault(slow);
    ASSERT_TRUE(r.capture.ToggleCapture());
    r.capture.Tick();
    ASSERT_EQ(r.capture.FetchesRunning(), 1);
    EXPECT_FALSE(r.capture.CanClose());
    ASSERT_EQ(r.warnings.size(), 1u);
    EXPECT_EQ(r.warnings[0], "Please stop capturing sql before exit!\r\n(Utilities->capture "
                             "sql->disable capture sql)");
    // Modifying while the fetch runs changes the definition for the next fetch only.
    TCollectorDefinition changed = r.Scheduled("u2", capture::fkUser, "system");
    ASSERT_TRUE(r.capture.ModifyCollector(0, changed));
    EXPECT_EQ(r.capture.Collectors()[0]->def.logFileName, "u2.sql");
    EXPECT_NE(r.capture.Collectors()[0]->fetchThread, nullptr);
    std::weak_ptr<capture::TSqlCollector> collector = r.capture.Collectors()[0];
    ASSERT_TRUE(r.capture.DeleteCollector(0));
    EXPECT_TRUE(r.capture.Collectors().empty());
    EXPECT_FALSE(collector.expired()) << "the running fetch still uses the collector";
    EXPECT_FALSE(r.capture.CanClose()) << "a deleted collector's fetch still writes its file";
    r.capture.Stop(); // cancels the fetch and waits for it
    r.instance->clearFaults();
    util::HandOver::instance().runPosted();
    EXPECT_TRUE(collector.expired());
    EXPECT_TRUE(r.capture.CanClose());
    EXPECT_FALSE(r.capture.CaptureEnabled());
}

TEST_F(Capture, ExitAsksWhileCaptureOrTheAutomaticProbeRunsNamingWhatRuns) {
    std::vector<std::string> asked;
    bool answer = false;
    r.capture.Confirm = [&](const std::string& q) {
        asked.push_back(q);
        return answer;
    };
    EXPECT_EQ(r.capture.ExitQuestion(), "");
    EXPECT_TRUE(r.capture.CanClose());
    EXPECT_TRUE(asked.empty()) << "nothing runs: no question";
    ASSERT_TRUE(r.capture.AddCollector(r.Scheduled("u", capture::fkUser, "scott")));
    r.capture.RebuildRows();
    ASSERT_TRUE(r.capture.ToggleCapture());
    EXPECT_FALSE(r.capture.CanClose()) << "No keeps the program open";
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0], "Quenby is still at work:\n- SQL capture is enabled (1 collector)\n\n"
                        "Exit anyway? What runs stops when Quenby closes.");
    EXPECT_TRUE(r.capture.CaptureEnabled());
    r.rig.monitor.SetAutoProbe(true);
    answer = true;
    EXPECT_TRUE(r.capture.CanClose());
    ASSERT_EQ(asked.size(), 2u);
    EXPECT_EQ(asked[1], "Quenby is still at work:\n- SQL capture is enabled (1 collector)\n"
                        "- the automatic memory probe runs every 30 seconds\n\n"
                        "Exit anyway? What runs stops when Quenby closes.");
    ASSERT_TRUE(r.capture.ToggleCapture());
    EXPECT_EQ(r.capture.ExitQuestion(),
              "Quenby is still at work:\n- the automatic memory probe runs every 30 seconds\n\n"
              "Exit anyway? What runs stops when Quenby closes.");
    r.rig.monitor.SetAutoProbe(false);
    EXPECT_EQ(r.capture.ExitQuestion(), "");
}

TEST_F(Capture, FailuresOfTheThreadsGoToTheApplicationLog) {
    ASSERT_TRUE(r.capture.AddCollector(r.Scheduled("u", capture::fkUser, "scott")));
    oradb::sandbox::Fault fetchFault;
    fetchFault.fragment = "from public_qby_capturesql tot,v$sqltext";
    fetchFault.failAfterRows = 0;
    fetchFault.code = 942;
    fetchFault.text = "table or view does not exist";
    r.instance->addFault(fetchFault);
    oradb::sandbox::Fault blockFault;
    blockFault.fragment = "declare  cursor c1";
    blockFault.failAfterRows = 0;
    blockFault.code = 4031;
    blockFault.text = "unable to allocate shared memory";
    r.instance->addFault(blockFault);
    ASSERT_TRUE(r.capture.ToggleCapture());
    r.capture.Tick();
    ASSERT_TRUE(r.WaitForThreads());
    r.instance->clearFaults();
    const std::string log = readFile(util::appLogPath());
    EXPECT_NE(log.find(": Fetch sql error :ORA-00942: table or view does not exist\r\n\r\n"),
              std::string::npos);
    EXPECT_NE(log.find(": open cursor error: ORA-04031: unable to allocate shared memory\r\n"),
              std::string::npos);
    EXPECT_EQ(r.capture.Collectors()[0]->sqls.load(), 0);
    EXPECT_EQ(r.capture.Collectors()[0]->samples, 1);
    // The completion messages arrived: the next sampling may start both again.
    r.clock += 6 * kSecond;
    r.capture.Tick();
    EXPECT_EQ(r.capture.Collectors()[0]->samples, 2);
    ASSERT_TRUE(r.WaitForThreads());
}

// A fetch's lines reach the file in batches: the file holds none of them before a flush, a
// batch of 64 KB is written as it fills, whole lines only, and what is left goes at the end.
TEST(CaptureLogAppender, WritesWholeLinesInBatchesAndTheRestWhenDone) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const std::string path = dir.filePath("batched.sql").toStdString();
    const std::string line(100, 'q');
    {
        capture::TLogAppender log(path);
        log.Append(line);
        EXPECT_EQ(readFile(path), "");
        for (int i = 1; i < 1000; ++i)
            log.Append(line);
        const std::string written = readFile(path);
        EXPECT_GE(written.size(), 65536u);
        EXPECT_LT(written.size(), 1000 * (line.size() + 2));
        EXPECT_EQ(written.size() % (line.size() + 2), 0u);
    }
    const auto lines = crlfLines(readFile(path));
    ASSERT_EQ(lines.size(), 1000u);
    EXPECT_TRUE(
        std::all_of(lines.begin(), lines.end(), [&](const std::string& l) { return l == line; }));

    // A file that cannot be opened fails the flush, with the path in the message.
    capture::TLogAppender broken(dir.filePath("no/such/folder/x.sql").toStdString());
    broken.Append(line);
    try {
        broken.Flush();
        ADD_FAILURE() << "no error";
    } catch (const std::runtime_error& e) {
        EXPECT_NE(std::string(e.what()).find("no/such/folder/x.sql"), std::string::npos)
            << e.what();
    }
}

} // namespace
