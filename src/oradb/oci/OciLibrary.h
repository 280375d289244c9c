// Finding and loading the Oracle client library (libclntsh.so) at run time: the Oracle homes of
// the workstation, the library of a chosen home, its table of OCI entry points and its version.
// Nothing links against the client at build time. Any thread may call these; a loaded library
// stays loaded for the life of the process.
#pragma once

#include "oradb/oci/OciDefs.h"

#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace oradb::oci {

// The places searched for Oracle homes and the library. `system()` reads the environment and
// the settings; tests build their own.
struct TOciSearchPlaces {
    std::optional<std::string> oracleHome; // $ORACLE_HOME, when set
    std::string oratab = "/etc/oratab";
    // Instant Client folders (glob patterns), searched in this order.
    std::vector<std::string> instantClientPatterns = {"/usr/lib/oracle/*/client64/lib",
                                                      "/opt/oracle/instantclient*"};
    // A library path from the settings value "Oracle/OCIDLL"; used directly when set.
    std::optional<std::string> ociDll;
    // Library file name loaded from the system search path when no home is found.
    std::string libraryName = "libclntsh.so";

    static TOciSearchPlaces system();
};

struct TOracleHomeEntry {
    std::string name; // "ORACLE_HOME", the oratab SID, or the Instant Client folder
    std::string path;
};

struct TOracleHomes {
    std::vector<TOracleHomeEntry> homes; // at most six, in search order
    int defaultHome = -1;                // index into homes; -1 when none was found
};

constexpr std::size_t kMaxOracleHomes = 6;

// $ORACLE_HOME, the homes of the oratab file, then the Instant Client folders (newest version
// first), without duplicates, at most six. The default is $ORACLE_HOME when set, else the first.
TOracleHomes findOracleHomes(const TOciSearchPlaces& places);

// The OCI entry points the driver uses, resolved with dlsym.
struct OciFunctions {
    OCIEnvNlsCreate_t EnvNlsCreate = nullptr;
    OCIHandleAlloc_t HandleAlloc = nullptr;
    OCIHandleFree_t HandleFree = nullptr;
    OCIDescriptorFree_t DescriptorFree = nullptr;
    OCIAttrGet_t AttrGet = nullptr;
    OCIAttrSet_t AttrSet = nullptr;
    OCIErrorGet_t ErrorGet = nullptr;
    OCIServerAttach_t ServerAttach = nullptr;
    OCIServerDetach_t ServerDetach = nullptr;
    OCISessionBegin_t SessionBegin = nullptr;
    OCISessionEnd_t SessionEnd = nullptr;
    OCIStmtPrepare2_t StmtPrepare2 = nullptr;
    OCIStmtRelease_t StmtRelease = nullptr;
    OCIStmtExecute_t StmtExecute = nullptr;
    OCIStmtFetch2_t StmtFetch2 = nullptr;
    OCIParamGet_t ParamGet = nullptr;
    OCIDefineByPos_t DefineByPos = nullptr;
    OCIBindByName_t BindByName = nullptr;
    OCIBreak_t Break = nullptr;
    OCIClientVersion_t ClientVersion = nullptr;
};

// One loaded client library with its function table and the process's OCI environment on it.
class OciLibrary {
public:
    // Loads the library for a TOracleHome index (0 the default home, 1 to 6 the homes found in
    // order). Raises EOraError naming every path tried when no library loads, or the missing
    // entry points.
    static std::shared_ptr<OciLibrary> load(int homeIndex, const TOciSearchPlaces& places);
    // Loads the library file at `path` (or by plain name from the system search path).
    static std::shared_ptr<OciLibrary> loadFile(const std::string& path);

    OciLibrary(const OciLibrary&) = delete;
    OciLibrary& operator=(const OciLibrary&) = delete;

    const OciFunctions& fn() const { return fn_; }
    // The file the library was loaded from, as the dynamic loader resolved it.
    const std::string& path() const { return path_; }
    // OCIClientVersion as "major.minor.update.patch.port-update", e.g. "19.3.0.0.0".
    std::string versionText() const;
    // The OCI environment of this process on this library (threaded, AL32UTF8), created on first
    // use. Raises EOraError when the client cannot create one.
    OCIEnv* environment();

private:
    OciLibrary(void* handle, std::string path);
    // Opens a file; nothing, with the reason in `why`, when it cannot be used.
    static std::shared_ptr<OciLibrary> open(const std::string& path, std::string& why);
    // Resolves the function table; the reason when entry points are missing, else empty.
    std::string resolve();

    void* handle_;
    std::string path_;
    OciFunctions fn_;
    std::mutex envMutex_;
    OCIEnv* env_ = nullptr; // guarded by envMutex_ until created, then read-only
};

// The client library that a login with this home index would use, and its version; raises
// EOraError as OciLibrary::load does.
struct TOciClientInfo {
    std::string libraryPath;
    std::string version;
};
TOciClientInfo detectClient(int homeIndex, const TOciSearchPlaces& places);

} // namespace oradb::oci
