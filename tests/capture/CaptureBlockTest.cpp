// The capture block on the sandbox: run as one set-based insert and row by row it leaves the same
// rows in the capture table (cursors captured before kept as they were, a cursor a session
// holds twice captured once, a row too long for its column skipped), and a cancel in the middle
// of the block leaves nothing of it. A collector's fetch reads the pieces of what it captured
// through an index of v$sqltext.
#include "CaptureSupport.h"
#include "capture/CaptureThreads.h"
#include "capture/SqlCollector.h"
#include "sandbox/OraDialect.h"
#include "util/TextHelpers.h"

#include <algorithm>

namespace {

using namespace testing_support;

using Rows = std::vector<std::vector<std::string>>;

struct CaptureBlock : ::testing::Test {
    CaptureRig r{testName(), 60};
    std::string condition;
    capture::TCollectorDefinition byProgram;

    void SetUp() override {
        ASSERT_TRUE(r.Login());
        ASSERT_TRUE(r.Install());
        // Twelve open cursors for every user session, from the shared SQL area.
        r.instance->sqliteRows("delete from \"v$open_cursor\"");
        r.instance->sqliteRows(
            "insert into \"v$open_cursor\"(saddr,sid,user_name,address,hash_value,sql_text) "
            "select s.saddr,s.sid,s.username,a.address,a.hash_value,substr(a.sql_text,1,60) "
            "from \"v$session\" s,(select address,hash_value,sql_text,row_number() over (order "
            "by address) rn from \"v$sqltext\" where piece=0) a where s.type='USER' and "
            "a.rn<=12");
        const Rows programs = rows(r.Session(), "select program from v$session where "
                                                "type='USER' and program is not null order by "
                                                "sid");
        ASSERT_GE(programs.size(), 2u);
        const Rows users = rows(r.Session(), "select username from v$session where type='USER' "
                                             "and program<>'" +
                                                 programs[0][0] + "' order by sid");
        ASSERT_FALSE(users.empty());
        // Two collectors due together, as a tick combines them: by program and by user.
        byProgram = r.Scheduled("p", capture::fkProgram, programs[0][0]);
        capture::TCollectorDefinition byUser = r.Scheduled("u", capture::fkUser, users[0][0]);
        condition = "(" + capture::CaptureCondition(byProgram) + ") or (" +
                    capture::CaptureCondition(byUser) + ")";
        // The first session of that program holds each of its cursors twice.
        r.instance->sqliteRows(
            "insert into \"v$open_cursor\"(saddr,sid,user_name,address,hash_value,sql_text) "
            "select saddr,sid,user_name,address,hash_value,sql_text from \"v$open_cursor\" "
            "where sid=(select min(sid) from \"v$session\" where type='USER' and program=" +
            util::sqlQuoted(programs[0][0]) + ")");
        // One cursor of a session of that program was captured before, by an earlier tick.
        run(r.Session(), "insert into public_qby_capturesql select rawtohex(oc.saddr),oc.sid,"
                         "oc.user_name,rawtohex(oc.address),'EARLIER',null,null,null,null,null,"
                         "null,to_char(oc.hash_value),sysdate from v$open_cursor oc where "
                         "oc.sid=(select max(sid) from v$session where type='USER' and "
                         "program=" +
                             util::sqlQuoted(programs[0][0]) +
                             ") and oc.address=(select min(address) from v$open_cursor)");
        ASSERT_EQ(Count(), 1);
    }

    long long Count() {
        return std::stoll(rows(r.Session(), "select count(*) from public_qby_capturesql")[0][0]);
    }
    // The captured rows but their fetch time, in key order.
    Rows Captured() {
        return rows(r.Session(),
                    "select saddr,sid,user_name,address,osuser,machine,terminal,program,module,"
                    "action,client_info,hash_value from public_qby_capturesql order by sid,saddr,"
                    "address,hash_value");
    }
    // The fetch times of the rows the block wrote (every row of one block has the same).
    long long FetchTimes() {
        return std::stoll(rows(r.Session(), "select count(distinct fetchtime) from "
                                            "public_qby_capturesql where osuser is null or "
                                            "osuser<>'EARLIER'")[0][0]);
    }
    void Block() {
        oradb::TOraSQL block(r.Session());
        block.SQL.Add(capture::TCaptureSql::CaptureBlock(condition));
        block.Execute();
    }
    // Back to the state before the block: the earlier row only.
    void Undo() {
        run(r.Session(), "delete from public_qby_capturesql where osuser is null or "
                         "osuser<>'EARLIER'");
    }
    // The rows the condition asks for, one per cursor key, that were not captured before.
    long long Expected() {
        return std::stoll(
            rows(r.Session(),
                 "select count(*) from (select distinct oc.sid,oc.saddr,oc.address,oc.hash_value "
                 "from v$session s,v$open_cursor oc where s.saddr=oc.saddr and (" +
                     condition +
                     ") and not exists (select 1 from public_qby_capturesql tot where "
                     "tot.sid=oc.sid and tot.address=rawtohex(oc.address)))")[0][0]);
    }
};

TEST_F(CaptureBlock, SetBasedAndRowByRowLeaveTheSameRows) {
    const long long expected = Expected();
    const long long duplicated = std::stoll(
        rows(r.Session(), "select count(*)-count(distinct sid||address) from v$open_cursor")[0][0]);
    ASSERT_GT(duplicated, 0);
    const std::uint64_t setBased = r.instance->setBasedBlockCount();

    Block();
    EXPECT_EQ(r.instance->setBasedBlockCount(), setBased + 1);
    const Rows together = Captured();
    EXPECT_EQ(static_cast<long long>(together.size()), expected + 1);
    EXPECT_EQ(FetchTimes(), 1);
    // The row captured before stays as it was.
    EXPECT_EQ(std::count_if(together.begin(), together.end(),
                            [](const auto& row) { return row[4] == "EARLIER"; }),
              1);
    // A second block finds every cursor captured.
    Block();
    EXPECT_EQ(Captured(), together);

    Undo();
    r.instance->setSetBasedLoops(false);
    Block();
    EXPECT_EQ(r.instance->setBasedBlockCount(), setBased + 2);
    EXPECT_EQ(Captured(), together);
    EXPECT_EQ(FetchTimes(), 1);
}

TEST_F(CaptureBlock, TheFetchReadsEachCapturedStatementsPiecesInOrderThroughAnIndex) {
    Block();
    const std::string fetch = capture::FetchQueryText(capture::FetchFilter(byProgram));
    // Every piece of every statement the collector's sessions hold, in the fetch's order: the
    // same join written on the stored columns, without the fetch's conversions.
    const Rows expected = r.instance->sqliteRows(
        "select tot.sid, tot.address, tot.hash_value, st.piece, st.sql_text from qby_capturesql "
        "tot join \"v$sqltext\" st on st.address=tot.address and cast(st.hash_value as text)="
        "tot.hash_value join \"v$sqlarea\" sa on sa.address=st.address and sa.hash_value="
        "st.hash_value+(case when st.hash_value<0 then 4294967296 else 0 end) where "
        "tot.program=" +
        util::sqlQuoted(byProgram.value) +
        " order by tot.sid, tot.address, tot.hash_value, st.piece");
    ASSERT_GT(expected.size(), 12u);
    oradb::TOraQuery q(r.Session());
    q.SQL.Add(fetch);
    q.ParamByName("fetchtime").SetAsDateTime(0);
    q.Open();
    Rows fetched;
    for (; !q.Eof(); q.Next())
        fetched.push_back({q.FieldByName("sid").AsString(), q.FieldByName("address").AsString(),
                           q.FieldByName("hash_value").AsString(),
                           q.FieldByName("piece").AsString(),
                           q.FieldByName("sql_text").AsString()});
    q.Close();
    EXPECT_EQ(fetched, expected);

    // SQLite finds the pieces of each captured statement by the index on the texts of
    // v$sqltext's address and hash value: it neither builds an automatic index over the
    // captured rows for each fetch nor reads all of v$sqltext for each of them.
    std::string plan;
    for (const auto& row : r.instance->sqliteRows(
             "explain query plan " +
             oradb::sandbox::translate(fetch, {{"public_qby_capturesql", "qby_capturesql"}}).sql))
        plan += row.back() + "\n";
    EXPECT_NE(plan.find("SEARCH st USING INDEX v$sqltext_texts (<expr>=? AND <expr>=?)"),
              std::string::npos)
        << plan;
    EXPECT_NE(plan.find("SEARCH sa USING INDEX"), std::string::npos) << plan;
    EXPECT_EQ(plan.find("AUTOMATIC"), std::string::npos) << plan;
    EXPECT_EQ(plan.find("SCAN st"), std::string::npos) << plan;
}

TEST_F(CaptureBlock, ARowTooLongForItsColumnIsSkippedOnBothPaths) {
    // A user name longer than the capture table's 20 characters: Oracle refuses that row, and
    // the block's handler skips it.
    const Rows victim = rows(r.Session(), "select min(oc.sid) from v$session s,v$open_cursor oc "
                                          "where s.saddr=oc.saddr and (" +
                                              condition + ")");
    ASSERT_FALSE(victim.empty());
    r.instance->sqliteRows("update \"v$session\" set username='A_NAME_OF_TWENTY_FIVE_CHR' "
                           "where sid=" +
                           victim[0][0]);
    const long long skipped =
        std::stoll(rows(r.Session(), "select count(distinct oc.address) from v$session s,"
                                     "v$open_cursor oc where s.saddr=oc.saddr and s.sid=" +
                                         victim[0][0])[0][0]);
    ASSERT_GT(skipped, 0);
    const long long expected = Expected();
    const std::uint64_t setBased = r.instance->setBasedBlockCount();

    Block();
    // The set-based insert stopped at that row, so the block ran row by row.
    EXPECT_EQ(r.instance->setBasedBlockCount(), setBased);
    const Rows fallen = Captured();
    EXPECT_EQ(static_cast<long long>(fallen.size()), expected - skipped + 1);
    for (const auto& row : fallen)
        EXPECT_NE(row[1], victim[0][0]);

    Undo();
    r.instance->setSetBasedLoops(false);
    Block();
    EXPECT_EQ(Captured(), fallen);
}

// Cancels the block at the last step but one at which the instance looks at the cancel flag,
// counted in an uncancelled run of the same block over the same data: well into the inserting.
void cancelHalfway(CaptureBlock& t) {
    int steps = 0;
    t.r.instance->setProgressHook([&steps] { ++steps; });
    t.Block();
    t.r.instance->setProgressHook({});
    const Rows complete = t.Captured();
    ASSERT_GT(complete.size(), 1u);
    ASSERT_GE(steps, 3) << "too short a block to cancel halfway";
    t.Undo();

    oradb::TOraSQL block(t.r.Session());
    block.SQL.Add(capture::TCaptureSql::CaptureBlock(t.condition));
    int seen = 0;
    const int at = steps - 1;
    t.r.instance->setProgressHook([&] {
        if (++seen == at)
            block.Cancel();
    });
    EXPECT_THROW(block.Execute(), oradb::EOraCancelled);
    t.r.instance->setProgressHook({});
    EXPECT_EQ(seen, at);
    // Only the row captured before the block is there.
    EXPECT_EQ(t.Count(), 1);
    EXPECT_EQ(t.Captured()[0][4], "EARLIER");
    // The session goes on: the next block captures everything.
    t.Block();
    EXPECT_EQ(t.Captured(), complete);
}

TEST_F(CaptureBlock, ACancelLeavesNothingOfTheBlock) {
    SCOPED_TRACE("set-based");
    const std::uint64_t setBased = r.instance->setBasedBlockCount();
    cancelHalfway(*this);
    EXPECT_EQ(r.instance->setBasedBlockCount(), setBased + 2);
}

TEST_F(CaptureBlock, ACancelLeavesNothingOfTheBlockRowByRow) {
    r.instance->setSetBasedLoops(false);
    const std::uint64_t setBased = r.instance->setBasedBlockCount();
    cancelHalfway(*this);
    EXPECT_EQ(r.instance->setBasedBlockCount(), setBased);
}

} // namespace
