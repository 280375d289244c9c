// The OCI driver against the sandbox driver statement by statement, its round trips for a long
// list, and a login when no client library can be found.
#include "oradb/oci/OciDriver.h"

#include "OciFixture.h"
#include "oradb/LoginErrorHint.h"
#include "support/SandboxFixture.h"
#include "util/DateTimeText.h"

#include <QString>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>

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

TEST_F(OciDriver, EveryColumnTypeArrivesAsTextBytesOrAPlaceholder) {
    OciRoute route;
    auto session = login("sandbox::memory:OciDriver.Types");
    oradb::TOraQuery q(session.get());
    q.SQL.Add("select to_clob('abc') c, systimestamp t, rowid r, to_binary_double(3.25) d, "
              "numtodsinterval(1.5, 'DAY') i, xmltype('<a/>') x, 12.5 n from dual");
    q.Open();
    ASSERT_EQ(q.RecordCount(), 1);
    EXPECT_EQ(q.FieldByName("c").AsString(), "abc");
    EXPECT_EQ(q.FieldByName("t").DataType(), oradb::TFieldType::ftDateTime);
    EXPECT_NEAR(q.FieldByName("t").AsDateTime(), util::now(), 60.0 / 86400);
    EXPECT_EQ(q.FieldByName("r").AsString().size(), 18u);
    EXPECT_EQ(q.FieldByName("d").DataType(), oradb::TFieldType::ftFloat);
    EXPECT_EQ(q.FieldByName("d").AsFloat(), 3.25);
    EXPECT_EQ(q.FieldByName("i").AsString(), "+000000001 12:00:00.000000000");
    EXPECT_EQ(q.FieldByName("x").AsString(), "(XMLTYPE)");
    EXPECT_EQ(q.FieldByName("n").AsString(), "12.5");
    ASSERT_EQ(q.FieldCount(), 7);
    EXPECT_EQ(q.Fields(0).FieldName(), "C");
    EXPECT_EQ(q.Fields(6).FieldName(), "N");

    // LOBs and LONGs are read up to 32 KB; what is cut says so, at a whole character.
    session->driver()->execute("create table system.longs (t long)", {}, std::atomic<bool>{false});
    session->driver()->execute(
        "insert into longs values (rpad('é', 20000, 'é') || rpad('é', 20000, 'é'))", {},
        std::atomic<bool>{false});
    for (const char* sql :
         {"select to_clob(rpad('x', 30000, 'x') || rpad('y', 30000, 'y')) c from dual",
          "select t c from longs"}) {
        SCOPED_TRACE(sql);
        const oradb::TResultSet r = session->driver()->query(sql, {}, std::atomic<bool>{false});
        ASSERT_EQ(r.rows.size(), 1u);
        const std::string& text = r.rows[0][0].s;
        const std::string note = " [truncated at 32768 bytes]";
        ASSERT_GT(text.size(), note.size());
        EXPECT_EQ(text.substr(text.size() - note.size()), note);
        const std::string value = text.substr(0, text.size() - note.size());
        EXPECT_GE(value.size(), 32767u);
        EXPECT_LE(value.size(), 32768u);
        EXPECT_TRUE(QString::fromUtf8(value.data(), static_cast<int>(value.size()))
                        .toUtf8()
                        .toStdString() == value)
            << "cut inside a character";
    }

    // A placeholder needs the columns by name: duplicate names get a message saying what to do.
    try {
        session->driver()->query("select 1 a, 2 a, xmltype('<a/>') x from dual", {},
                                 std::atomic<bool>{false});
        FAIL() << "duplicate names around an object column were read";
    } catch (const oradb::oci::EOciError& e) {
        EXPECT_NE(std::string(e.what()).find("(XMLTYPE)"), std::string::npos) << e.what();
        EXPECT_NE(std::string(e.what()).find("distinct aliases"), std::string::npos) << e.what();
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
    // A tnsnames.ora in TNS_ADMIN: comments, several names for one entry, a descriptor over lines.
    const std::string admin = ::testing::TempDir() + "quenby-tns-admin";
    std::filesystem::create_directories(admin);
    {
        std::ofstream tnsnames(admin + "/tnsnames.ora");
        tnsnames << "# the test network\n"
                    "OTHER = (DESCRIPTION=(ADDRESS=(PROTOCOL=TCP)(HOST=elsewhere)(PORT=1521))\n"
                    "  (CONNECT_DATA=(SERVICE_NAME=X)))\n"
                    "pdb1, pdb1.example.com =\n"
                    "  (DESCRIPTION =\n"
                    "    (ADDRESS = (PROTOCOL = TCP)(HOST = localhost)(PORT = 1521)) # listener\n"
                    "    (CONNECT_DATA = (SERVICE_NAME = FREEPDB1)))\n";
    }
    EnvVar tnsAdmin("TNS_ADMIN", admin);
    for (const std::string id : {"localhost/FREEPDB1", "//localhost:1521/freepdb1",
                                 "127.0.0.1:1521/FREEPDB1", "pdb1", "PDB1.example.com",
                                 "(DESCRIPTION=(ADDRESS=(PROTOCOL=TCP)(HOST=localhost)(PORT=1521))"
                                 "(CONNECT_DATA=(SERVICE_NAME=FREEPDB1)))"}) {
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
         {Case{"orcl", 12154}, Case{"other", 12541}, Case{"localhost:1521/NOSUCH", 12514},
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
