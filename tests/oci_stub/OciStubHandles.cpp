// The stand-in client library: environment, handles, attributes, errors, logging on and off,
// breaks, the client version, and the controls that tests reach through dlsym.
#include "OciStub.h"
#include "OciStubCore.h"
#include "oradb/OraError.h"
#include "util/TextHelpers.h"

#include <cctype>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <regex>
#include <sstream>

namespace ocistub {

namespace {

std::mutex optionsMutex;
oradb::sandbox::InstanceOptions stubOptions;
std::atomic<long long> fetchCalls{0};

// OCIBreak can be held, as over a network that does not answer, until a test releases it.
std::mutex breakHoldMutex;
std::condition_variable breakHoldReleased;
bool holdBreaks = false;
int breaksHeld = 0;

// The decimal character of the territory in NLS_LANG ("GERMAN_GERMANY.AL32UTF8"): a comma in
// the territories that write one, else a point.
char decimalOfNlsLang() {
    const char* nls = std::getenv("NLS_LANG");
    if (!nls)
        return '.';
    std::string territory(nls);
    territory = territory.substr(0, territory.find('.'));
    const auto underscore = territory.find('_');
    territory = underscore == std::string::npos ? "" : territory.substr(underscore + 1);
    static const char* const kCommaTerritories[] = {
        "GERMANY", "AUSTRIA",  "FRANCE", "ITALY",   "SPAIN",  "THE NETHERLANDS", "BELGIUM",
        "DENMARK", "NORWAY",   "SWEDEN", "FINLAND", "POLAND", "CZECH REPUBLIC",  "RUSSIA",
        "BRAZIL",  "PORTUGAL", "TURKEY", "GREECE",  "HUNGARY"};
    for (const char* t : kCommaTerritories)
        if (territory == t)
            return ',';
    return '.';
}

template <typename T>
void copyOut(void* attributep, ub4* sizep, const T& value) {
    std::memcpy(attributep, &value, sizeof value);
    if (sizep)
        *sizep = sizeof value;
}

void addChild(Env* env, Handle* h) {
    std::lock_guard lock(env->childrenMutex);
    env->children.insert(h);
}

void dropChild(Handle* h) {
    if (!h->env)
        return;
    std::lock_guard lock(h->env->childrenMutex);
    h->env->children.erase(h);
}

} // namespace

Env::~Env() {
    std::set<Handle*> left;
    {
        std::lock_guard lock(childrenMutex);
        left.swap(children);
    }
    for (Handle* h : left)
        delete h;
}

sword fail(Error* err, int code, const std::string& text) {
    if (err) {
        err->code = code;
        err->message = oradb::EOraError::format(code, text) + "\n";
    }
    return OCI_ERROR;
}

sword fail(Error* err, const oradb::EOraError& e) {
    if (err) {
        err->code = e.ErrorCode();
        err->message = std::string(e.what()) + "\n";
    }
    return OCI_ERROR;
}

void clear(Error* err) {
    if (err) {
        err->code = 0;
        err->message.clear();
    }
}

oradb::sandbox::InstanceOptions instanceOptions() {
    std::lock_guard lock(optionsMutex);
    return stubOptions;
}

void countFetch() {
    ++fetchCalls;
}

CallInProgress::CallInProgress(Server* server) : server_(server) {
    if (server_)
        ++server_->callsRunning;
}

CallInProgress::~CallInProgress() {
    if (server_ && --server_->callsRunning == 0)
        server_->breakFlag = false;
}

} // namespace ocistub

using namespace ocistub;

extern "C" {

// ---- environment and handles ----

sword OCIEnvNlsCreate(OCIEnv** envp, ub4 mode, void*, void* (*)(void*, std::size_t),
                      void* (*)(void*, void*, std::size_t), void (*)(void*, void*), std::size_t,
                      void**, ub2 charset, ub2) {
    if (!envp)
        return OCI_INVALID_HANDLE;
    auto* env = new Env(mode, charset);
    env->decimal = decimalOfNlsLang();
    *envp = reinterpret_cast<OCIEnv*>(env);
    return OCI_SUCCESS;
}

sword OCIHandleAlloc(const void* parenth, void** hndlpp, ub4 type, std::size_t, void**) {
    Env* env = as<Env>(parenth, OCI_HTYPE_ENV);
    if (!env || !hndlpp)
        return OCI_INVALID_HANDLE;
    Handle* h = nullptr;
    switch (type) {
    case OCI_HTYPE_ERROR:
        h = new Error(env);
        break;
    case OCI_HTYPE_SERVER:
        h = new Server(env);
        break;
    case OCI_HTYPE_SESSION:
        h = new Session(env);
        break;
    case OCI_HTYPE_SVCCTX:
        h = new SvcCtx(env);
        break;
    case OCI_HTYPE_STMT:
        h = new Stmt(env, nullptr);
        break;
    default:
        return OCI_INVALID_HANDLE;
    }
    addChild(env, h);
    *hndlpp = h;
    return OCI_SUCCESS;
}

sword OCIHandleFree(void* hndlp, ub4 type) {
    auto* h = static_cast<Handle*>(hndlp);
    if (!h || h->magic != kMagic || h->type != type)
        return OCI_INVALID_HANDLE;
    if (type != OCI_HTYPE_ENV)
        dropChild(h);
    delete h;
    return OCI_SUCCESS;
}

sword OCIDescriptorFree(void* descp, ub4 type) {
    return OCIHandleFree(descp, type);
}

// ---- errors ----

sword OCIErrorGet(void* hndlp, ub4 recordno, OraText* sqlstate, sb4* errcodep, OraText* bufp,
                  ub4 bufsiz, ub4 type) {
    int code = 0;
    std::string message;
    if (type == OCI_HTYPE_ERROR) {
        Error* err = as<Error>(hndlp, OCI_HTYPE_ERROR);
        if (!err)
            return OCI_INVALID_HANDLE;
        code = err->code;
        message = err->message;
    } else if (type == OCI_HTYPE_ENV) {
        Env* env = as<Env>(hndlp, OCI_HTYPE_ENV);
        if (!env)
            return OCI_INVALID_HANDLE;
        code = env->errorCode;
        message = env->errorText;
    } else {
        return OCI_INVALID_HANDLE;
    }
    // One record per error here; record numbers start at 1.
    if (recordno != 1 || message.empty())
        return OCI_NO_DATA;
    if (errcodep)
        *errcodep = code;
    if (sqlstate)
        std::memcpy(sqlstate, "HY000", 6);
    if (bufp && bufsiz > 0) {
        const std::size_t n = std::min<std::size_t>(message.size(), bufsiz - 1);
        std::memcpy(bufp, message.data(), n);
        bufp[n] = 0;
    }
    return OCI_SUCCESS;
}

// ---- attributes ----

sword OCIAttrSet(void* trgthndlp, ub4 trghndltyp, void* attributep, ub4 size, ub4 attrtype,
                 OCIError* errhp) {
    Error* err = as<Error>(errhp, OCI_HTYPE_ERROR);
    auto* target = static_cast<Handle*>(trgthndlp);
    if (!err || !target || target->magic != kMagic || target->type != trghndltyp)
        return OCI_INVALID_HANDLE;
    clear(err);
    if (trghndltyp == OCI_HTYPE_SVCCTX) {
        auto* svc = static_cast<SvcCtx*>(target);
        if (attrtype == OCI_ATTR_SERVER) {
            if (!as<Server>(attributep, OCI_HTYPE_SERVER))
                return OCI_INVALID_HANDLE;
            svc->server = static_cast<Server*>(attributep);
            return OCI_SUCCESS;
        }
        if (attrtype == OCI_ATTR_SESSION) {
            if (!as<Session>(attributep, OCI_HTYPE_SESSION))
                return OCI_INVALID_HANDLE;
            svc->session = static_cast<Session*>(attributep);
            return OCI_SUCCESS;
        }
    } else if (trghndltyp == OCI_HTYPE_SESSION &&
               (attrtype == OCI_ATTR_USERNAME || attrtype == OCI_ATTR_PASSWORD)) {
        auto* session = static_cast<Session*>(target);
        const std::string text =
            attributep ? std::string(static_cast<const char*>(attributep), size) : std::string();
        (attrtype == OCI_ATTR_USERNAME ? session->username : session->password) = text;
        return OCI_SUCCESS;
    } else if (trghndltyp == OCI_HTYPE_STMT && attrtype == OCI_ATTR_PREFETCH_ROWS) {
        return OCI_SUCCESS;
    }
    return fail(err, 24315, "illegal attribute type");
}

sword OCIAttrGet(const void* trgthndlp, ub4 trghndltyp, void* attributep, ub4* sizep, ub4 attrtype,
                 OCIError* errhp) {
    Error* err = as<Error>(errhp, OCI_HTYPE_ERROR);
    auto* target = static_cast<Handle*>(const_cast<void*>(trgthndlp));
    if (!err || !target || target->magic != kMagic || target->type != trghndltyp || !attributep)
        return OCI_INVALID_HANDLE;
    clear(err);
    if (trghndltyp == OCI_HTYPE_STMT) {
        auto* stmt = static_cast<Stmt*>(target);
        switch (attrtype) {
        case OCI_ATTR_STMT_TYPE:
            copyOut(attributep, sizep, stmt->stmtType);
            return OCI_SUCCESS;
        case OCI_ATTR_PARAM_COUNT:
            if (!stmt->executed)
                return fail(err, 24338, "statement handle not executed");
            copyOut(attributep, sizep, static_cast<ub4>(stmt->columns.size()));
            return OCI_SUCCESS;
        case OCI_ATTR_ROW_COUNT:
            copyOut(attributep, sizep, static_cast<ub4>(stmt->rowCount));
            return OCI_SUCCESS;
        case OCI_ATTR_UB8_ROW_COUNT:
            copyOut(attributep, sizep, static_cast<std::uint64_t>(stmt->rowCount));
            return OCI_SUCCESS;
        case OCI_ATTR_ROWS_FETCHED:
            copyOut(attributep, sizep, stmt->rowsFetched);
            return OCI_SUCCESS;
        default:
            break;
        }
    } else if (trghndltyp == OCI_DTYPE_PARAM) {
        auto* param = static_cast<Param*>(target);
        switch (attrtype) {
        case OCI_ATTR_DATA_TYPE:
            copyOut(attributep, sizep, param->dataType);
            return OCI_SUCCESS;
        case OCI_ATTR_DATA_SIZE:
            copyOut(attributep, sizep, param->dataSize);
            return OCI_SUCCESS;
        case OCI_ATTR_CHAR_SIZE:
            copyOut(attributep, sizep, param->charSize);
            return OCI_SUCCESS;
        case OCI_ATTR_CHAR_USED:
            copyOut(attributep, sizep, static_cast<ub1>(param->dataType == SQLT_CHR));
            return OCI_SUCCESS;
        case OCI_ATTR_PRECISION:
            copyOut(attributep, sizep, param->precision);
            return OCI_SUCCESS;
        case OCI_ATTR_SCALE:
            copyOut(attributep, sizep, param->scale);
            return OCI_SUCCESS;
        case OCI_ATTR_IS_NULL:
            copyOut(attributep, sizep, static_cast<ub1>(1));
            return OCI_SUCCESS;
        case OCI_ATTR_NAME:
        case OCI_ATTR_TYPE_NAME:
        case OCI_ATTR_SCHEMA_NAME: {
            // The text stays owned by the descriptor, as in OCI.
            std::string& value = attrtype == OCI_ATTR_NAME        ? param->name
                                 : attrtype == OCI_ATTR_TYPE_NAME ? param->typeName
                                                                  : param->schemaName;
            auto* text = reinterpret_cast<OraText*>(value.data());
            std::memcpy(attributep, &text, sizeof text);
            if (sizep)
                *sizep = static_cast<ub4>(value.size());
            return OCI_SUCCESS;
        }
        default:
            break;
        }
    } else if (trghndltyp == OCI_HTYPE_SVCCTX) {
        auto* svc = static_cast<SvcCtx*>(target);
        if (attrtype == OCI_ATTR_SERVER) {
            copyOut(attributep, sizep, static_cast<void*>(svc->server));
            return OCI_SUCCESS;
        }
        if (attrtype == OCI_ATTR_SESSION) {
            copyOut(attributep, sizep, static_cast<void*>(svc->session));
            return OCI_SUCCESS;
        }
    }
    return fail(err, 24315, "illegal attribute type");
}

// ---- attaching and logging on ----

namespace {

// A network error as an Oracle 23 client words it: the message, then its help page.
oradb::EOraError networkError(int code, const std::string& text) {
    char number[8];
    std::snprintf(number, sizeof number, "%05d", code);
    return oradb::EOraError(code, text + "\nHelp: https://docs.oracle.com/error-help/db/ora-" +
                                      number + "/");
}

// The value of KEY=value inside a connect descriptor ("(HOST=db1)"), or "".
std::string descriptorValue(const std::string& descriptor, const char* key) {
    const std::regex pattern(std::string("\\(\\s*") + key + "\\s*=\\s*([^)\\s]+)\\s*\\)",
                             std::regex::icase);
    std::smatch m;
    return std::regex_search(descriptor, m, pattern) ? m[1].str() : std::string();
}

// A connect descriptor as Easy Connect text, "host:port/service"; "" when it names no service.
std::string easyConnectOf(const std::string& descriptor) {
    const std::string host = descriptorValue(descriptor, "HOST");
    std::string port = descriptorValue(descriptor, "PORT");
    std::string service = descriptorValue(descriptor, "SERVICE_NAME");
    if (service.empty())
        service = descriptorValue(descriptor, "SID");
    if (host.empty() || service.empty())
        return {};
    return host + ":" + (port.empty() ? "1521" : port) + "/" + service;
}

// The connect descriptor of a net service alias in the tnsnames.ora of TNS_ADMIN (or of
// ORACLE_HOME/network/admin); "" when there is none. Names compare without case; an entry may
// give several names separated by commas.
std::string tnsnamesDescriptor(const std::string& alias) {
    std::string folder;
    if (const char* tnsAdmin = std::getenv("TNS_ADMIN"); tnsAdmin && *tnsAdmin)
        folder = tnsAdmin;
    else if (const char* home = std::getenv("ORACLE_HOME"); home && *home)
        folder = std::string(home) + "/network/admin";
    std::ifstream file(folder + "/tnsnames.ora");
    if (folder.empty() || !file)
        return {};
    std::string text, line;
    while (std::getline(file, line))
        text += line.substr(0, line.find('#')) + "\n";
    const std::string wanted = util::upperAscii(alias);
    std::size_t i = 0;
    while (i < text.size()) {
        const std::size_t equals = text.find('=', i);
        const std::size_t open = text.find('(', equals);
        if (equals == std::string::npos || open == std::string::npos)
            break;
        std::size_t close = open;
        for (int depth = 0; close < text.size(); ++close) {
            depth += text[close] == '(' ? 1 : text[close] == ')' ? -1 : 0;
            if (depth == 0)
                break;
        }
        std::stringstream names(text.substr(i, equals - i));
        for (std::string name; std::getline(names, name, ',');)
            if (util::upperAscii(util::trimmed(name)) == wanted)
                return text.substr(open, close - open + 1);
        i = close + 1;
    }
    return {};
}

// The instance a connect identifier reaches. A sandbox Server text names a sandbox instance.
// The stand-in's network has one listener, on localhost port 1521, offering one service,
// FREEPDB1, served by the in-memory sandbox instance of that name; Easy Connect texts
// ("host[:port]/service", "//host[:port]/service"), connect descriptors and the aliases of
// tnsnames.ora reach it, and fail as a real client fails elsewhere.
std::shared_ptr<oradb::sandbox::Instance> resolve(const std::string& connect) {
    if (oradb::isSandboxServer(connect))
        return oradb::sandbox::Instance::open(connect, instanceOptions());
    if (connect.starts_with("(")) {
        const std::string ez = easyConnectOf(connect);
        if (ez.empty())
            throw networkError(12504, "TNS:listener was not given the SERVICE_NAME in "
                                      "CONNECT_DATA");
        return resolve(ez);
    }
    std::string ez = connect.starts_with("//") ? connect.substr(2) : connect;
    const auto slash = ez.find('/');
    if (slash == std::string::npos) {
        const std::string descriptor = tnsnamesDescriptor(connect);
        if (!descriptor.empty())
            return resolve(descriptor);
        throw networkError(12154, "Cannot connect to database. Cannot find alias " + connect +
                                      " in tnsnames.ora.");
    }
    std::string host = ez.substr(0, slash);
    std::string port = "1521";
    if (const auto colon = host.find(':'); colon != std::string::npos) {
        port = host.substr(colon + 1);
        host.erase(colon);
    }
    std::string service = ez.substr(slash + 1);
    service = service.substr(0, service.find_first_of(":/"));
    std::string lowerHost = host;
    for (char& c : lowerHost)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if ((lowerHost != "localhost" && lowerHost != "127.0.0.1") || port != "1521")
        throw networkError(12541,
                           "Cannot connect. No listener at host " + host + " port " + port + ".");
    std::string upperService = service;
    for (char& c : upperService)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    if (upperService != "FREEPDB1")
        throw networkError(12514, "Cannot connect to database. Service " + service +
                                      " is not registered with the listener at host " + host +
                                      " port " + port + ".");
    return oradb::sandbox::Instance::open("sandbox::memory:FREEPDB1", instanceOptions());
}

} // namespace

sword OCIServerAttach(OCIServer* srvhp, OCIError* errhp, const OraText* dblink, sb4 dblink_len,
                      ub4) {
    Server* server = as<Server>(srvhp, OCI_HTYPE_SERVER);
    Error* err = as<Error>(errhp, OCI_HTYPE_ERROR);
    if (!server || !err)
        return OCI_INVALID_HANDLE;
    clear(err);
    if (server->instance)
        return fail(err, 24309, "already connected to a server");
    const std::string connect = dblink
                                    ? std::string(reinterpret_cast<const char*>(dblink),
                                                  static_cast<std::size_t>(std::max(dblink_len, 0)))
                                    : std::string();
    try {
        server->instance = resolve(connect);
    } catch (const oradb::EOraError& e) {
        return fail(err, e);
    }
    return OCI_SUCCESS;
}

sword OCIServerDetach(OCIServer* srvhp, OCIError* errhp, ub4) {
    Server* server = as<Server>(srvhp, OCI_HTYPE_SERVER);
    Error* err = as<Error>(errhp, OCI_HTYPE_ERROR);
    if (!server || !err)
        return OCI_INVALID_HANDLE;
    clear(err);
    if (!server->instance)
        return fail(err, 24324, "service handle not initialized");
    server->instance.reset();
    return OCI_SUCCESS;
}

sword OCISessionBegin(OCISvcCtx* svchp, OCIError* errhp, OCISession* usrhp, ub4 credt, ub4 mode) {
    SvcCtx* svc = as<SvcCtx>(svchp, OCI_HTYPE_SVCCTX);
    Error* err = as<Error>(errhp, OCI_HTYPE_ERROR);
    Session* session = as<Session>(usrhp, OCI_HTYPE_SESSION);
    if (!svc || !err || !session)
        return OCI_INVALID_HANDLE;
    clear(err);
    if (!svc->server || !svc->server->instance)
        return fail(err, 24324, "service handle not initialized");
    if (credt != OCI_CRED_RDBMS)
        return fail(err, 1017, "invalid username/password; logon denied");
    try {
        // The mode carries the administrative privilege asked for.
        const auto privilege = (mode & OCI_SYSDBA)    ? oradb::TConnectPrivilege::SysDba
                               : (mode & OCI_SYSOPER) ? oradb::TConnectPrivilege::SysOper
                                                      : oradb::TConnectPrivilege::Normal;
        session->db =
            svc->server->instance->connect(session->username, session->password, privilege);
    } catch (const oradb::EOraError& e) {
        return fail(err, e);
    }
    svc->session = session;
    return OCI_SUCCESS;
}

sword OCISessionEnd(OCISvcCtx* svchp, OCIError* errhp, OCISession* usrhp, ub4) {
    SvcCtx* svc = as<SvcCtx>(svchp, OCI_HTYPE_SVCCTX);
    Error* err = as<Error>(errhp, OCI_HTYPE_ERROR);
    Session* session = usrhp ? as<Session>(usrhp, OCI_HTYPE_SESSION) : svc ? svc->session : nullptr;
    if (!svc || !err || !session)
        return OCI_INVALID_HANDLE;
    clear(err);
    if (!session->db)
        return fail(err, 1012, "not logged on");
    session->db.reset();
    if (svc->session == session)
        svc->session = nullptr;
    return OCI_SUCCESS;
}

// ---- breaks ----

sword OCIBreak(void* hndlp, OCIError* errhp) {
    Error* err = as<Error>(errhp, OCI_HTYPE_ERROR);
    Server* server = as<Server>(hndlp, OCI_HTYPE_SERVER);
    if (SvcCtx* svc = as<SvcCtx>(hndlp, OCI_HTYPE_SVCCTX))
        server = svc->server;
    if (!err || !server)
        return OCI_INVALID_HANDLE;
    clear(err);
    // Blocking mode: the call in progress returns ORA-01013; with none, there is nothing to
    // interrupt.
    if (server->callsRunning > 0)
        server->breakFlag = true;
    std::unique_lock lock(breakHoldMutex);
    if (holdBreaks) {
        ++breaksHeld;
        breakHoldReleased.notify_all();
        breakHoldReleased.wait_for(lock, std::chrono::seconds(60), [] { return !holdBreaks; });
        --breaksHeld;
    }
    return OCI_SUCCESS;
}

sword OCIReset(void* hndlp, OCIError* errhp) {
    Error* err = as<Error>(errhp, OCI_HTYPE_ERROR);
    Server* server = as<Server>(hndlp, OCI_HTYPE_SERVER);
    if (SvcCtx* svc = as<SvcCtx>(hndlp, OCI_HTYPE_SVCCTX))
        server = svc->server;
    if (!err || !server)
        return OCI_INVALID_HANDLE;
    clear(err);
    server->breakFlag = false;
    return OCI_SUCCESS;
}

// ---- version ----

void OCIClientVersion(sword* major_version, sword* minor_version, sword* update_num,
                      sword* patch_num, sword* port_update_num) {
    // The release comes from the core library, a neighbour in the home's folder.
    quenby_core_release(major_version, minor_version, update_num, patch_num, port_update_num);
}

// ---- controls for tests and benchmarks ----

// hold != 0: OCIBreak calls from now on wait (up to a minute) until hold is 0 again.
void quenby_stub_hold_breaks(int hold) {
    std::lock_guard lock(breakHoldMutex);
    holdBreaks = hold != 0;
    breakHoldReleased.notify_all();
}

// Waits up to timeoutMs for an OCIBreak call to be held; returns 1 when one is, else 0.
int quenby_stub_wait_break_held(int timeoutMs) {
    std::unique_lock lock(breakHoldMutex);
    return breakHoldReleased.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                                      [] { return breaksHeld > 0; })
               ? 1
               : 0;
}

// OCIStmtFetch2 calls since the library was loaded.
long long quenby_stub_fetch_calls() {
    return fetchCalls.load();
}

// The simulated sessions and the ticking of sandbox instances opened from now on.
void quenby_stub_instance_options(int sessions, int autoTick) {
    std::lock_guard lock(optionsMutex);
    stubOptions.sessions = sessions;
    stubOptions.autoTick = autoTick != 0;
}

// Adds a fault to the sandbox instance that `server` names (it must be attached already).
int quenby_stub_add_fault(const char* server, const char* fragment, int failAfterRows, int code,
                          const char* text, int delayMs, int times) {
    try {
        auto instance = oradb::sandbox::Instance::open(server, instanceOptions());
        oradb::sandbox::Fault fault;
        fault.fragment = fragment ? fragment : "";
        fault.failAfterRows = failAfterRows;
        fault.code = code;
        if (text)
            fault.text = text;
        fault.delayMs = delayMs;
        fault.times = times;
        instance->addFault(fault);
        return 0;
    } catch (const std::exception&) {
        return -1;
    }
}

void quenby_stub_clear_faults(const char* server) {
    try {
        oradb::sandbox::Instance::open(server, instanceOptions())->clearFaults();
    } catch (const std::exception&) {
    }
}

// Every session connected to that instance gets ORA-03113 on its next call.
void quenby_stub_lose_connections(const char* server) {
    try {
        oradb::sandbox::Instance::open(server, instanceOptions())->loseConnections();
    } catch (const std::exception&) {
    }
}

// Runs hook(sql, context) at the start of every call of that instance's sessions (no hook: null).
int quenby_stub_set_call_hook(const char* server, void (*hook)(const char* sql, void* context),
                              void* context) {
    try {
        auto instance = oradb::sandbox::Instance::open(server, instanceOptions());
        if (!hook)
            instance->setCallHook({});
        else
            instance->setCallHook(
                [hook, context](const std::string& sql) { hook(sql.c_str(), context); });
        return 0;
    } catch (const std::exception&) {
        return -1;
    }
}

} // extern "C"
