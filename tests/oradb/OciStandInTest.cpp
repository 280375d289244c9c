// The stand-in client library answers OCI calls as Oracle documents them: array fetches into the
// caller's buffers with indicators, lengths and column return codes, truncation, NULLs, binds and
// the errors OCIErrorGet reports.
#include "OciFixture.h"
#include "oradb/OraNumber.h"
#include "oradb/oci/OciLibrary.h"
#include "support/SandboxFixture.h"

#include <cstring>

namespace {

using namespace testing_support;
using oradb::oci::OciFunctions;

// A logged-on service context on the stand-in, built with plain OCI calls.
class StandIn : public ::testing::Test {
protected:
    void SetUp() override {
        stub.instanceOptions(40);
        fn = oradb::oci::OciLibrary::loadFile(kStubLibrary)->fn();
        ASSERT_EQ(fn.EnvNlsCreate(&env, OCI_THREADED, nullptr, nullptr, nullptr, nullptr, 0,
                                  nullptr, OCI_CHARSET_AL32UTF8, OCI_CHARSET_AL32UTF8),
                  OCI_SUCCESS);
        err = alloc<OCIError>(OCI_HTYPE_ERROR);
        server = alloc<OCIServer>(OCI_HTYPE_SERVER);
        svc = alloc<OCISvcCtx>(OCI_HTYPE_SVCCTX);
        user = alloc<OCISession>(OCI_HTYPE_SESSION);
        const std::string connect = "sandbox::memory:" + name();
        ASSERT_EQ(fn.ServerAttach(server, err, reinterpret_cast<const OraText*>(connect.data()),
                                  static_cast<sb4>(connect.size()), OCI_DEFAULT),
                  OCI_SUCCESS);
        ASSERT_EQ(fn.AttrSet(svc, OCI_HTYPE_SVCCTX, server, 0, OCI_ATTR_SERVER, err), OCI_SUCCESS);
        char username[] = "system", password[] = "lantern";
        fn.AttrSet(user, OCI_HTYPE_SESSION, username, 6, OCI_ATTR_USERNAME, err);
        fn.AttrSet(user, OCI_HTYPE_SESSION, password, 7, OCI_ATTR_PASSWORD, err);
        ASSERT_EQ(fn.SessionBegin(svc, err, user, OCI_CRED_RDBMS, OCI_DEFAULT), OCI_SUCCESS);
        ASSERT_EQ(fn.AttrSet(svc, OCI_HTYPE_SVCCTX, user, 0, OCI_ATTR_SESSION, err), OCI_SUCCESS);
    }
    void TearDown() override {
        if (stmt)
            fn.StmtRelease(stmt, err, nullptr, 0, OCI_DEFAULT);
        fn.SessionEnd(svc, err, user, OCI_DEFAULT);
        fn.ServerDetach(server, err, OCI_DEFAULT);
        fn.HandleFree(env, OCI_HTYPE_ENV);
    }

    static std::string name() {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        return std::string(info->test_suite_name()) + "." + info->name();
    }
    template <typename T>
    T* alloc(ub4 type) {
        void* h = nullptr;
        EXPECT_EQ(fn.HandleAlloc(env, &h, type, 0, nullptr), OCI_SUCCESS);
        return static_cast<T*>(h);
    }
    sword prepare(const std::string& sql) {
        return fn.StmtPrepare2(svc, &stmt, err, reinterpret_cast<const OraText*>(sql.data()),
                               static_cast<ub4>(sql.size()), nullptr, 0, OCI_NTV_SYNTAX,
                               OCI_DEFAULT);
    }
    sword execute(ub4 iterations) {
        return fn.StmtExecute(svc, stmt, err, iterations, 0, nullptr, nullptr, OCI_DEFAULT);
    }
    // The code and message the error handle holds.
    std::pair<int, std::string> error() {
        sb4 code = 0;
        OraText buf[512] = {};
        EXPECT_EQ(fn.ErrorGet(err, 1, nullptr, &code, buf, sizeof buf, OCI_HTYPE_ERROR),
                  OCI_SUCCESS);
        return {code, reinterpret_cast<const char*>(buf)};
    }
    ub4 rowsFetched() {
        ub4 n = 0;
        fn.AttrGet(stmt, OCI_HTYPE_STMT, &n, nullptr, OCI_ATTR_ROWS_FETCHED, err);
        return n;
    }

    StubControls stub;
    OciFunctions fn;
    OCIEnv* env = nullptr;
    OCIError* err = nullptr;
    OCIServer* server = nullptr;
    OCISvcCtx* svc = nullptr;
    OCISession* user = nullptr;
    OCIStmt* stmt = nullptr;
};

TEST_F(StandIn, FetchesArraysWithIndicatorsLengthsAndTruncation) {
    // What the sandbox itself holds, to compare with.
    oradb::TOraSession direct;
    direct.Username = "system";
    direct.Password = "lantern";
    direct.Server = "sandbox::memory:" + name() + ".direct";
    direct.ConnectDirect();
    const auto expected =
        rowsOf(direct, "select name, statistic# from v$statname where statistic# < 12 order by 2");
    ASSERT_EQ(expected.size(), 12u);

    ASSERT_EQ(prepare("select name, statistic# from v$statname where statistic# < 12 order by 2"),
              OCI_SUCCESS);
    ASSERT_EQ(execute(0), OCI_SUCCESS);
    constexpr int kArray = 5, kWidth = 9; // room for 8 bytes and the terminator
    char names[kArray][kWidth];
    sb2 nameInd[kArray];
    ub2 nameLen[kArray], nameCode[kArray];
    std::int64_t numbers[kArray];
    sb2 numberInd[kArray];
    OCIDefine* d1 = nullptr;
    OCIDefine* d2 = nullptr;
    ASSERT_EQ(fn.DefineByPos(stmt, &d1, err, 1, names, kWidth, SQLT_STR, nameInd, nameLen, nameCode,
                             OCI_DEFAULT),
              OCI_SUCCESS);
    ASSERT_EQ(fn.DefineByPos(stmt, &d2, err, 2, numbers, sizeof numbers[0], SQLT_INT, numberInd,
                             nullptr, nullptr, OCI_DEFAULT),
              OCI_SUCCESS);

    std::size_t row = 0;
    std::vector<ub4> batches;
    for (;;) {
        const sword status = fn.StmtFetch2(stmt, err, kArray, OCI_FETCH_NEXT, 0, OCI_DEFAULT);
        ASSERT_TRUE(status == OCI_SUCCESS || status == OCI_SUCCESS_WITH_INFO ||
                    status == OCI_NO_DATA)
            << status;
        const ub4 got = rowsFetched();
        batches.push_back(got);
        bool truncated = false;
        for (ub4 i = 0; i < got; ++i, ++row) {
            const std::string& full = expected[row][0];
            EXPECT_EQ(numbers[i], std::stoll(expected[row][1]));
            EXPECT_EQ(numberInd[i], 0);
            EXPECT_EQ(std::string(names[i]), full.substr(0, kWidth - 1));
            if (full.size() > kWidth - 1) {
                truncated = true;
                EXPECT_EQ(nameInd[i], static_cast<sb2>(full.size()));
                EXPECT_EQ(nameCode[i], 1406);
            } else {
                EXPECT_EQ(nameInd[i], 0);
                EXPECT_EQ(nameLen[i], full.size());
            }
        }
        if (status == OCI_NO_DATA)
            break;
        EXPECT_EQ(status == OCI_SUCCESS_WITH_INFO, truncated);
    }
    EXPECT_EQ(row, expected.size());
    EXPECT_EQ(batches, (std::vector<ub4>{5, 5, 2}));
    ub4 count = 0;
    fn.AttrGet(stmt, OCI_HTYPE_STMT, &count, nullptr, OCI_ATTR_ROW_COUNT, err);
    EXPECT_EQ(count, 12u);
    // Past the end the cursor is out of sequence.
    EXPECT_EQ(fn.StmtFetch2(stmt, err, kArray, OCI_FETCH_NEXT, 0, OCI_DEFAULT), OCI_ERROR);
    EXPECT_EQ(error().first, 1002);
}

TEST_F(StandIn, ANullNeedsAnIndicator) {
    ASSERT_EQ(prepare("select null z, 'x' y from dual"), OCI_SUCCESS);
    ASSERT_EQ(execute(0), OCI_SUCCESS);
    char z[8] = "unset", y[8] = {};
    sb2 zInd = 0;
    OCIDefine* d = nullptr;
    fn.DefineByPos(stmt, &d, err, 1, z, sizeof z, SQLT_STR, &zInd, nullptr, nullptr, OCI_DEFAULT);
    fn.DefineByPos(stmt, &d, err, 2, y, sizeof y, SQLT_STR, nullptr, nullptr, nullptr, OCI_DEFAULT);
    EXPECT_EQ(fn.StmtFetch2(stmt, err, 1, OCI_FETCH_NEXT, 0, OCI_DEFAULT), OCI_SUCCESS);
    EXPECT_EQ(zInd, OCI_IND_NULL);
    EXPECT_STREQ(y, "x");

    fn.StmtRelease(stmt, err, nullptr, 0, OCI_DEFAULT);
    stmt = nullptr;
    ASSERT_EQ(prepare("select null z from dual"), OCI_SUCCESS);
    ASSERT_EQ(execute(0), OCI_SUCCESS);
    fn.DefineByPos(stmt, &d, err, 1, z, sizeof z, SQLT_STR, nullptr, nullptr, nullptr, OCI_DEFAULT);
    EXPECT_EQ(fn.StmtFetch2(stmt, err, 1, OCI_FETCH_NEXT, 0, OCI_DEFAULT), OCI_ERROR);
    EXPECT_EQ(error().first, 1405);
}

TEST_F(StandIn, ReportsErrorsAsOracleDoes) {
    ASSERT_EQ(prepare("select * from v$nothing"), OCI_SUCCESS);
    EXPECT_EQ(execute(0), OCI_ERROR);
    EXPECT_EQ(error(), (std::pair<int, std::string>{942, "ORA-00942: table or view does not "
                                                         "exist\n"}));
    sb4 code = 0;
    OraText buf[64];
    EXPECT_EQ(fn.ErrorGet(err, 2, nullptr, &code, buf, sizeof buf, OCI_HTYPE_ERROR), OCI_NO_DATA);
    fn.StmtRelease(stmt, err, nullptr, 0, OCI_DEFAULT);
    stmt = nullptr;

    ASSERT_EQ(prepare("select * from dual where dummy = :d"), OCI_SUCCESS);
    EXPECT_EQ(execute(0), OCI_ERROR);
    EXPECT_EQ(error().first, 1008); // not all variables bound
    OCIBind* bind = nullptr;
    char value[] = "X";
    const OraText wrong[] = ":nothere";
    EXPECT_EQ(fn.BindByName(stmt, &bind, err, wrong, 8, value, 1, SQLT_CHR, nullptr, nullptr,
                            nullptr, 0, nullptr, OCI_DEFAULT),
              OCI_ERROR);
    EXPECT_EQ(error().first, 1036);
    const OraText right[] = ":D";
    ASSERT_EQ(fn.BindByName(stmt, &bind, err, right, 2, value, 1, SQLT_CHR, nullptr, nullptr,
                            nullptr, 0, nullptr, OCI_DEFAULT),
              OCI_SUCCESS);
    EXPECT_EQ(execute(0), OCI_SUCCESS);
    fn.StmtRelease(stmt, err, nullptr, 0, OCI_DEFAULT);
    stmt = nullptr;

    ASSERT_EQ(prepare("create table system.z(a number)"), OCI_SUCCESS);
    EXPECT_EQ(execute(0), OCI_ERROR);
    EXPECT_EQ(error().first, 24333); // zero iteration count
    EXPECT_EQ(execute(1), OCI_SUCCESS);
}

TEST_F(StandIn, ConvertsAsOraclesTableOfConversionsSays) {
    // A CLOB converts to SQLT_CHR and SQLT_LNG, not to SQLT_STR.
    for (const ub2 dty : {SQLT_STR, SQLT_CHR}) {
        ASSERT_EQ(prepare("select to_clob('abc') c from dual"), OCI_SUCCESS);
        ASSERT_EQ(execute(0), OCI_SUCCESS);
        void* param = nullptr;
        ASSERT_EQ(fn.ParamGet(stmt, OCI_HTYPE_STMT, err, &param, 1), OCI_SUCCESS);
        ub2 type = 0;
        fn.AttrGet(param, OCI_DTYPE_PARAM, &type, nullptr, OCI_ATTR_DATA_TYPE, err);
        fn.DescriptorFree(param, OCI_DTYPE_PARAM);
        EXPECT_EQ(type, SQLT_CLOB);
        char value[16] = {};
        ub2 length = 0;
        OCIDefine* d = nullptr;
        fn.DefineByPos(stmt, &d, err, 1, value, sizeof value, dty, nullptr, &length, nullptr,
                       OCI_DEFAULT);
        const sword status = fn.StmtFetch2(stmt, err, 1, OCI_FETCH_NEXT, 0, OCI_DEFAULT);
        if (dty == SQLT_STR) {
            EXPECT_EQ(status, OCI_ERROR);
            EXPECT_EQ(error().first, 932);
        } else {
            EXPECT_EQ(status, OCI_SUCCESS);
            EXPECT_EQ(std::string(value, length), "abc");
        }
        fn.StmtRelease(stmt, err, nullptr, 0, OCI_DEFAULT);
        stmt = nullptr;
    }
    // An object type names itself and refuses every plain define.
    ASSERT_EQ(prepare("select xmltype('<a/>') x from dual"), OCI_SUCCESS);
    ASSERT_EQ(execute(0), OCI_SUCCESS);
    void* param = nullptr;
    ASSERT_EQ(fn.ParamGet(stmt, OCI_HTYPE_STMT, err, &param, 1), OCI_SUCCESS);
    ub2 type = 0;
    OraText* typeName = nullptr;
    ub4 typeNameLength = 0;
    fn.AttrGet(param, OCI_DTYPE_PARAM, &type, nullptr, OCI_ATTR_DATA_TYPE, err);
    fn.AttrGet(param, OCI_DTYPE_PARAM, &typeName, &typeNameLength, OCI_ATTR_TYPE_NAME, err);
    EXPECT_EQ(type, SQLT_NTY);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(typeName), typeNameLength), "XMLTYPE");
    fn.DescriptorFree(param, OCI_DTYPE_PARAM);
    char value[16] = {};
    OCIDefine* d = nullptr;
    fn.DefineByPos(stmt, &d, err, 1, value, sizeof value, SQLT_CHR, nullptr, nullptr, nullptr,
                   OCI_DEFAULT);
    EXPECT_EQ(fn.StmtFetch2(stmt, err, 1, OCI_FETCH_NEXT, 0, OCI_DEFAULT), OCI_ERROR);
    EXPECT_EQ(error().first, 932);
}

TEST_F(StandIn, TheTerritoryOfNlsLangChangesNumbersAsTextButNotTheirInternalForm) {
    // The territory is read when an environment is created, as a real client reads it.
    OCIEnv* german = nullptr;
    {
        EnvVar nls("NLS_LANG", "GERMAN_GERMANY.AL32UTF8");
        ASSERT_EQ(fn.EnvNlsCreate(&german, OCI_THREADED, nullptr, nullptr, nullptr, nullptr, 0,
                                  nullptr, OCI_CHARSET_AL32UTF8, OCI_CHARSET_AL32UTF8),
                  OCI_SUCCESS);
    }
    std::swap(env, german);
    err = alloc<OCIError>(OCI_HTYPE_ERROR);
    OCIServer* germanServer = alloc<OCIServer>(OCI_HTYPE_SERVER);
    OCISvcCtx* germanSvc = alloc<OCISvcCtx>(OCI_HTYPE_SVCCTX);
    OCISession* germanUser = alloc<OCISession>(OCI_HTYPE_SESSION);
    const std::string connect = "sandbox::memory:" + name();
    ASSERT_EQ(fn.ServerAttach(germanServer, err, reinterpret_cast<const OraText*>(connect.data()),
                              static_cast<sb4>(connect.size()), OCI_DEFAULT),
              OCI_SUCCESS);
    fn.AttrSet(germanSvc, OCI_HTYPE_SVCCTX, germanServer, 0, OCI_ATTR_SERVER, err);
    char username[] = "system", password[] = "lantern";
    fn.AttrSet(germanUser, OCI_HTYPE_SESSION, username, 6, OCI_ATTR_USERNAME, err);
    fn.AttrSet(germanUser, OCI_HTYPE_SESSION, password, 7, OCI_ATTR_PASSWORD, err);
    ASSERT_EQ(fn.SessionBegin(germanSvc, err, germanUser, OCI_CRED_RDBMS, OCI_DEFAULT),
              OCI_SUCCESS);
    fn.AttrSet(germanSvc, OCI_HTYPE_SVCCTX, germanUser, 0, OCI_ATTR_SESSION, err);

    const std::string sql = "select 3.14 x, 3.14 y from dual";
    OCIStmt* st = nullptr;
    ASSERT_EQ(fn.StmtPrepare2(germanSvc, &st, err, reinterpret_cast<const OraText*>(sql.data()),
                              static_cast<ub4>(sql.size()), nullptr, 0, OCI_NTV_SYNTAX,
                              OCI_DEFAULT),
              OCI_SUCCESS);
    ASSERT_EQ(fn.StmtExecute(germanSvc, st, err, 0, 0, nullptr, nullptr, OCI_DEFAULT), OCI_SUCCESS);
    char text[16] = {};
    unsigned char internal[22] = {};
    OCIDefine* d = nullptr;
    fn.DefineByPos(st, &d, err, 1, text, sizeof text, SQLT_STR, nullptr, nullptr, nullptr,
                   OCI_DEFAULT);
    fn.DefineByPos(st, &d, err, 2, internal, sizeof internal, SQLT_VNU, nullptr, nullptr, nullptr,
                   OCI_DEFAULT);
    ASSERT_EQ(fn.StmtFetch2(st, err, 1, OCI_FETCH_NEXT, 0, OCI_DEFAULT), OCI_SUCCESS);
    EXPECT_STREQ(text, "3,14");
    EXPECT_EQ(oradb::oracleNumberText(internal + 1, internal[0]), "3.14");
    fn.StmtRelease(st, err, nullptr, 0, OCI_DEFAULT);
    fn.SessionEnd(germanSvc, err, germanUser, OCI_DEFAULT);
    fn.ServerDetach(germanServer, err, OCI_DEFAULT);
    fn.HandleFree(env, OCI_HTYPE_ENV);
    // The fixture ends what it began on its own environment.
    env = german;
    err = nullptr;
    void* h = nullptr;
    fn.HandleAlloc(env, &h, OCI_HTYPE_ERROR, 0, nullptr);
    err = static_cast<OCIError*>(h);
}

} // namespace
