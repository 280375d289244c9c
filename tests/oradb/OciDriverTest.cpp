// The OCI driver against the sandbox driver statement by statement, its round trips for a long
// list, and a login when no client library can be found.
#include "oradb/oci/OciDriver.h"

#include "OciFixture.h"
#include "oradb/LoginErrorHint.h"
#include "support/SandboxFixture.h"

#include <cmath>
#include <cstdio>

namespace {

using namespace testing_support;

struct Result {
    std::vector<oradb::TColumnInfo> columns;
    std::vector<std::vector<std::string>> texts;
    std::vector<std::vector<bool>> nulls;
    std::vector<std::vector<std::string>> bytes;
    std::vector<std::vector<double>> dates;
};

Result resultOf(oradb::TOraSession& session, const std::string& sql) {
    oradb::TOraQuery q(&session);
    q.SQL.Add(sql);
    q.Open();
    Result r;
    for (int i = 0; i < q.FieldCount(); ++i)
        r.columns.push_back({q.Fields(i).FieldName(), q.Fields(i).DataType(), 0, {}});
    for (; !q.Eof(); q.Next()) {
        r.texts.emplace_back();
        r.nulls.emplace_back();
        r.bytes.emplace_back();
        r.dates.emplace_back();
        for (int i = 0; i < q.FieldCount(); ++i) {
            const oradb::TField& f = q.Fields(i);
            r.nulls.back().push_back(f.IsNull());
            const bool date = f.DataType() == oradb::TFieldType::ftDateTime;
            // Dates are compared apart: each instance was seeded at its own moment.
            r.texts.back().push_back(date ? std::string() : f.AsString());
            r.dates.back().push_back(date ? f.AsDateTime() : 0.0);
            r.bytes.back().push_back(f.DataType() == oradb::TFieldType::ftVarBytes ? f.AsBytes()
                                                                                   : "");
        }
    }
    return r;
}

class OciDriver : public ::testing::Test {
protected:
    void SetUp() override { stub.instanceOptions(40); }

    std::unique_ptr<oradb::TOraSession> login(const std::string& server) {
        auto s = std::make_unique<oradb::TOraSession>();
        s->Username = "system";
        s->Password = "lantern";
        s->Server = server;
        s->ConnectDirect();
        return s;
    }

    StubControls stub;
};

TEST_F(OciDriver, GivesWhatTheSandboxDriverGivesForTheSameStatements) {
    const auto instance = openTestInstance();
    const std::string server = serverOf(*instance);
    auto direct = login(server);
    std::unique_ptr<oradb::TOraSession> throughOci;
    {
        OciRoute route;
        throughOci = login(server);
    }
    const char* statements[] = {
        "select 'ab' a, 12345 b, 1/4 q, -0.5 neg, 1e20 big, 123456789012345678 wide, null z, "
        "'Grüße ✓' w, hextoraw('0A0B00FF') r from dual",
        "select sid, serial#, username, saddr, paddr, status, type, logon_time, program "
        "from v$session order by sid",
        "select statistic#, name, class from v$statname order by statistic#",
        "select * from sys.audit_actions order by action",
        "select sid, statistic#, value from v$sesstat where statistic# < 20 order by sid, "
        "statistic#",
        "select * from v$version",
        "select name, value, isdefault from v$system_parameter order by name",
        "select sid, piece, sql_text from v$sqltext s, v$session x where s.address=x.sql_address "
        "order by sid, piece",
        "select sid from v$session where 1=0",
    };
    for (const char* sql : statements) {
        SCOPED_TRACE(sql);
        const Result a = resultOf(*direct, sql);
        const Result b = resultOf(*throughOci, sql);
        ASSERT_EQ(a.columns.size(), b.columns.size());
        for (std::size_t i = 0; i < a.columns.size(); ++i) {
            EXPECT_EQ(a.columns[i].name, b.columns[i].name);
            EXPECT_EQ(a.columns[i].type, b.columns[i].type) << a.columns[i].name;
        }
        EXPECT_EQ(a.texts, b.texts);
        EXPECT_EQ(a.nulls, b.nulls);
        EXPECT_EQ(a.bytes, b.bytes);
        ASSERT_EQ(a.dates.size(), b.dates.size());
        for (std::size_t r = 0; r < a.dates.size(); ++r)
            for (std::size_t c = 0; c < a.dates[r].size(); ++c)
                EXPECT_NEAR(a.dates[r][c], b.dates[r][c], 2.0 / 86400) << r << "," << c;
    }
}

TEST_F(OciDriver, ALongListCostsOneFetchCallPerHundredRowsAtMost) {
    constexpr int kRows = 10000;
    stub.instanceOptions(kRows - 1); // with the test's own session: kRows rows
    OciRoute route;
    auto session = login("sandbox::memory:OciDriver.LongList");
    oradb::TOraQuery q(session.get());
    q.SQL.Add("select * from v$session");
    const long long before = stub.fetchCalls();
    q.Open();
    const long long calls = stub.fetchCalls() - before;
    EXPECT_EQ(q.RecordCount(), kRows);
    EXPECT_GE(calls, 1);
    EXPECT_LE(calls, kRows / 100 + 1);
    // Every row arrived whole, the last ones as well as the first.
    int withSid = 0;
    for (; !q.Eof(); q.Next())
        withSid += q.FieldByName("sid").AsInteger() > 0;
    EXPECT_EQ(withSid, kRows);
}

TEST_F(OciDriver, ALoginWithoutAClientLibraryNamesWhatWasSearched) {
    const std::string home = ::testing::TempDir() + "quenby-no-client";
    EnvVar oracleHome("ORACLE_HOME", home);
    EnvVar driver("QUENBY_DRIVER", "oci");
    oradb::TOraSession s;
    s.Username = "system";
    s.Password = "lantern";
    s.Server = "orcl";
    try {
        s.ConnectDirect();
        FAIL() << "connected without a client";
    } catch (const oradb::EOraError& e) {
        const std::string message = e.what();
        EXPECT_EQ(e.ErrorCode(), 0);
        EXPECT_NE(message.find(home + "/lib/libclntsh.so"), std::string::npos) << message;
        EXPECT_NE(message.find(home + "/libclntsh.so"), std::string::npos) << message;
    }
    EXPECT_FALSE(s.Connected());

    // Nothing anywhere: the places searched and the library search path are named.
    oradb::oci::TOciSearchPlaces nowhere;
    nowhere.oratab = home + "/oratab";
    nowhere.instantClientPatterns = {home + "/instantclient*"};
    nowhere.libraryName = "libclntsh-quenby-absent.so";
    try {
        oradb::oci::connect({"system", "lantern", "orcl", 0}, nowhere);
        FAIL() << "connected without a client";
    } catch (const oradb::EOraError& e) {
        const std::string message = e.what();
        EXPECT_NE(message.find("$ORACLE_HOME (not set)"), std::string::npos) << message;
        EXPECT_NE(message.find(nowhere.oratab), std::string::npos) << message;
        EXPECT_NE(message.find(nowhere.instantClientPatterns[0]), std::string::npos) << message;
        EXPECT_NE(message.find("libclntsh-quenby-absent.so is not on the library search path"),
                  std::string::npos)
            << message;
    }
}

TEST_F(OciDriver, ErrorsNameTheOciFunctionThatFailed) {
    OciRoute route;
    auto session = login("sandbox::memory:OciDriver.Errors");
    try {
        session->driver()->query("select * from v$nothing", {}, std::atomic<bool>{false});
        FAIL();
    } catch (const oradb::oci::EOciError& e) {
        EXPECT_EQ(e.ErrorCode(), 942);
        EXPECT_EQ(e.function(), "OCIStmtExecute");
    }
    try {
        oradb::oci::connect({"system", "lantern", "sandbox:/no/such/folder/x.db", 0});
        FAIL();
    } catch (const oradb::oci::EOciError& e) {
        EXPECT_EQ(e.ErrorCode(), 12154);
        EXPECT_EQ(e.function(), "OCIServerAttach");
    }
    try {
        oradb::oci::connect({"system", "wrong", "sandbox::memory:OciDriver.Errors", 0});
        FAIL();
    } catch (const oradb::oci::EOciError& e) {
        EXPECT_EQ(e.ErrorCode(), 1017);
        EXPECT_EQ(e.function(), "OCISessionBegin");
    }
}

TEST_F(OciDriver, ConnectIdentifiersReachTheClientAsTyped) {
    // No driver is forced: the Server text alone chooses OCI for everything but the sandbox.
    EnvVar home("ORACLE_HOME", kTestOracleHome);
    EnvVar driver("QUENBY_DRIVER", std::nullopt);
    for (const std::string id :
         {"localhost/FREEPDB1", "//localhost:1521/freepdb1", "127.0.0.1:1521/FREEPDB1"}) {
        SCOPED_TRACE(id);
        auto s = login(id);
        EXPECT_EQ(rowsOf(*s, "select user from dual"),
                  (std::vector<std::vector<std::string>>{{"SYSTEM"}}));
    }
    struct Case {
        std::string id;
        int code;
    };
    for (const auto& [id, code] :
         {Case{"orcl", 12154}, Case{"localhost:1521/NOSUCH", 12514},
          Case{"//dbhost.invalid:1521/FREEPDB1", 12541}, Case{"sandbox:1521/FREEPDB1", 12541}}) {
        SCOPED_TRACE(id);
        try {
            login(id);
            FAIL();
        } catch (const oradb::oci::EOciError& e) {
            EXPECT_EQ(e.ErrorCode(), code);
            EXPECT_EQ(e.function(), "OCIServerAttach");
            char url[64];
            std::snprintf(url, sizeof url, "https://docs.oracle.com/error-help/db/ora-%05d/", code);
            const oradb::TErrorHelp help = oradb::splitHelpLink(e.what());
            EXPECT_EQ(help.helpUrl, url);
            EXPECT_EQ(help.message.find("Help:"), std::string::npos) << help.message;
        }
    }
}

TEST(SandboxServerText, NamesTheSandboxButNotAHostCalledSandbox) {
    EXPECT_TRUE(oradb::isSandboxServer("sandbox"));
    EXPECT_TRUE(oradb::isSandboxServer("SANDBOX:/tmp/x.db"));
    EXPECT_TRUE(oradb::isSandboxServer("sandbox::memory:a/b"));
    EXPECT_FALSE(oradb::isSandboxServer("sandbox:1521/orcl"));
    EXPECT_FALSE(oradb::isSandboxServer("sandbox:1521"));
    EXPECT_FALSE(oradb::isSandboxServer("sandboxes/orcl"));
    EXPECT_FALSE(oradb::isSandboxServer("//sandbox/orcl"));
}

TEST(OciPlaceholders, AreFoundOutsideQuotesAndComments) {
    EXPECT_EQ(oradb::oci::placeholderNames(
                  "select ':no', \":nor\" from t -- :comment\n where a=:FetchTime and b = :x1 "
                  "/* :c */ or c=:fetchtime and d::text = 'x'"),
              (std::vector<std::string>{"fetchtime", "x1"}));
    EXPECT_TRUE(oradb::oci::placeholderNames("select 1 from dual").empty());
}

} // namespace
