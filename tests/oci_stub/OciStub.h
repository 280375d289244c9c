// The stand-in Oracle client library (libclntsh.so) for tests: OCI handles and their state,
// answered from the embedded sandbox instance. Internal to the library. Each handle is used by
// one thread at a time, as OCI requires, except OCIBreak on a server from any thread.
#pragma once

#include "oradb/OraDriver.h"
#include "oradb/OraError.h"
#include "oradb/oci/OciDefs.h"
#include "sandbox/SandboxInstance.h"

#include <atomic>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <vector>

namespace ocistub {

constexpr ub4 kMagic = 0x51424e59;

struct Env;

// Every handle and descriptor starts with this header, so that a pointer handed back by the
// caller can be checked for its kind.
struct Handle {
    Handle(ub4 t, Env* e) : type(t), env(e) {}
    virtual ~Handle() { magic = 0; }
    ub4 magic = kMagic;
    ub4 type;
    Env* env;
};

struct Env final : Handle {
    Env(ub4 m, ub2 cs) : Handle(OCI_HTYPE_ENV, nullptr), mode(m), charset(cs) {}
    ~Env() override;
    ub4 mode;
    ub2 charset;
    // The decimal character of numbers converted to text: the territory of NLS_LANG when the
    // environment was created decides it, as in a real client.
    char decimal = '.';
    std::mutex childrenMutex;
    std::set<Handle*> children; // freed with the environment
    int errorCode = 0;          // for OCIErrorGet on the environment
    std::string errorText;
};

struct Error final : Handle {
    explicit Error(Env* e) : Handle(OCI_HTYPE_ERROR, e) {}
    int code = 0;
    std::string message; // "ORA-nnnnn: text\n"
};

struct Server final : Handle {
    explicit Server(Env* e) : Handle(OCI_HTYPE_SERVER, e) {}
    std::shared_ptr<oradb::sandbox::Instance> instance;
    // A break from OCIBreak: interrupts the call in progress. In blocking mode a break with no
    // call in progress has nothing to interrupt and is dropped.
    std::atomic<bool> breakFlag{false};
    std::atomic<int> callsRunning{0};
};

struct Session final : Handle {
    explicit Session(Env* e) : Handle(OCI_HTYPE_SESSION, e) {}
    std::string username;
    std::string password;
    std::unique_ptr<oradb::IDriverSession> db;
};

struct SvcCtx final : Handle {
    explicit SvcCtx(Env* e) : Handle(OCI_HTYPE_SVCCTX, e) {}
    Server* server = nullptr;
    Session* session = nullptr;
};

// A select-list item as described by OCIParamGet.
struct Param final : Handle {
    explicit Param(Env* e) : Handle(OCI_DTYPE_PARAM, e) {}
    std::string name;
    ub2 dataType = SQLT_CHR;
    ub2 dataSize = 0;
    ub2 charSize = 0;
    sb2 precision = 0;
    sb1 scale = 0;
    oradb::TFieldType fieldType = oradb::TFieldType::ftString;
    std::string oracleType; // as the sandbox names it; empty for the usual type of fieldType
    std::string typeName;   // object types: OCI_ATTR_TYPE_NAME and OCI_ATTR_SCHEMA_NAME
    std::string schemaName;
};

struct Define {
    ub4 position = 0;
    void* value = nullptr;
    sb4 size = 0;
    ub2 dty = 0;
    sb2* indicators = nullptr;
    ub2* lengths = nullptr;
    ub2* codes = nullptr;
};

struct Bind {
    std::string name; // lower case, without the colon
    void* value = nullptr;
    sb4 size = 0;
    ub2 dty = 0;
    sb2* indicator = nullptr;
    ub2* length = nullptr;
};

struct Stmt final : Handle {
    Stmt(Env* e, SvcCtx* s) : Handle(OCI_HTYPE_STMT, e), svc(s) {}
    SvcCtx* svc;
    std::string sql;
    ub2 stmtType = OCI_STMT_UNKNOWN;
    std::vector<std::string> placeholders;
    std::vector<std::unique_ptr<Bind>> binds;
    std::vector<std::unique_ptr<Define>> defines;
    bool executed = false;
    oradb::TResultSet result;
    std::vector<Param> columns;
    std::size_t next = 0; // next row to fetch
    bool finished = false;
    ub4 rowsFetched = 0;
    std::uint64_t rowCount = 0;
};

// Records an Oracle error on the error handle and returns OCI_ERROR.
sword fail(Error* err, int code, const std::string& text);
sword fail(Error* err, const oradb::EOraError& e);
// The handle if `p` is one of type `type`, else nullptr.
template <typename T>
T* as(const void* p, ub4 type) {
    auto* h = static_cast<Handle*>(const_cast<void*>(p));
    if (!h || h->magic != kMagic || h->type != type)
        return nullptr;
    return static_cast<T*>(h);
}
// Clears the error handle at the start of a call.
void clear(Error* err);

// The options new sandbox instances open with (quenby_stub_instance_options).
oradb::sandbox::InstanceOptions instanceOptions();
// Counts OCIStmtFetch2 calls for quenby_stub_fetch_calls.
void countFetch();

// Marks a call at the server for OCIBreak; a break that arrives after the call has ended is
// dropped when it ends.
class CallInProgress {
public:
    explicit CallInProgress(Server* server);
    ~CallInProgress();
    CallInProgress(const CallInProgress&) = delete;
    CallInProgress& operator=(const CallInProgress&) = delete;

private:
    Server* server_;
};

// The statement type OCI reports for a statement text (its first keyword).
ub2 statementTypeOf(const std::string& sql);

} // namespace ocistub
