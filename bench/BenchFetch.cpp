// quenby-bench fetch: a list of N rows through TOraQuery over the OCI driver and the stand-in
// client library of the build's test Oracle home, counting the library's fetch calls (round
// trips against a real server) and timing the whole open.
#include "Bench.h"
#include "oradb/OraQuery.h"
#include "oradb/OraSession.h"
#include "oradb/oci/OciLibrary.h"

#include <cstdlib>
#include <dlfcn.h>
#include <filesystem>
#include <stdexcept>

namespace {

namespace fs = std::filesystem;

// The build's test Oracle home: tests/oracle-home beside the bench folder of this executable.
std::string testOracleHome(const bench::Args& args) {
    const std::string given = bench::option(args, "home", "");
    if (!given.empty())
        return given;
    const fs::path exe = fs::read_symlink("/proc/self/exe");
    return (exe.parent_path().parent_path() / "tests" / "oracle-home").string();
}

template <typename F>
F stubFunction(void* library, const char* name) {
    void* p = ::dlsym(library, name);
    if (!p)
        throw std::runtime_error(std::string("the stand-in client library lacks ") + name);
    return reinterpret_cast<F>(p);
}

int fetch(const bench::Args& args) {
    const int rows = bench::intOption(args, "rows", 10000);
    if (rows < 1)
        throw std::invalid_argument("--rows must be at least 1");
    const std::string home = testOracleHome(args);
    const std::string libraryPath = home + "/lib/libclntsh.so";
    // The driver's loader brings the library's neighbours from the home folder; the library is
    // then opened once more for the stand-in's controls.
    void* library = nullptr;
    try {
        oradb::oci::OciLibrary::loadFile(libraryPath);
        library = ::dlopen(libraryPath.c_str(), RTLD_NOW | RTLD_LOCAL);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "quenby-bench fetch: %s; build the tests or give --home\n", e.what());
        return 1;
    }
    if (!library) {
        std::fprintf(stderr, "quenby-bench fetch: %s\n", ::dlerror());
        return 1;
    }
    auto fetchCalls = stubFunction<long long (*)()>(library, "quenby_stub_fetch_calls");
    auto instanceOptions =
        stubFunction<void (*)(int, int)>(library, "quenby_stub_instance_options");

    // The login's own session makes the last row of v$session.
    instanceOptions(rows - 1, 0);
    ::setenv("ORACLE_HOME", home.c_str(), 1);
    ::setenv("QUENBY_DRIVER", "oci", 1);

    oradb::TOraSession session;
    session.Username = "system";
    session.Password = "lantern";
    session.Server = "sandbox::memory:bench-fetch";
    session.ConnectDirect();

    oradb::TOraQuery query(&session);
    query.SQL.Add("select * from v$session");
    const long long before = fetchCalls();
    const auto start = std::chrono::steady_clock::now();
    query.Open();
    const double ms = bench::msSince(start);
    const long long calls = fetchCalls() - before;
    const long long fetched = query.RecordCount();

    bench::figure("rows", fetched);
    bench::figure("fetch_calls", calls);
    bench::figure("fetch_ms", ms);
    query.Close();
    session.Disconnect();
    if (fetched != rows) {
        std::fprintf(stderr, "quenby-bench fetch: %lld rows instead of %d\n", fetched, rows);
        return 1;
    }
    return 0;
}

const bench::Registration registration("fetch", fetch, "[--rows N] [--home ORACLE_HOME]");

} // namespace
