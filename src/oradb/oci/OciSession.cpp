// Logging on and off through OCI, the errors of OCI calls, and the serialising and breaking of
// the calls that threads make on one connection.
#include "oradb/oci/OciSession.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>

namespace oradb::oci {

namespace {

std::string trimmedMessage(std::string s) {
    while (!s.empty() && (s.back() == '\n' || s.back() == '\r' || s.back() == ' '))
        s.pop_back();
    return s;
}

// A flag never set, for calls that nobody cancels (log on, log off).
const std::atomic<bool> kNeverCancelled{false};

// Oracle knows an unquoted user name in upper case.
std::string serverUserName(const std::string& username) {
    if (username.size() >= 2 && username.front() == '"' && username.back() == '"')
        return username.substr(1, username.size() - 2);
    std::string upper = username;
    for (char& c : upper)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return upper;
}

// The user an administrative login works as: SYS for SYSDBA, PUBLIC for SYSOPER.
std::string sessionUser(const TConnectParams& params) {
    switch (params.privilege) {
    case TConnectPrivilege::SysDba:
        return "SYS";
    case TConnectPrivilege::SysOper:
        return "PUBLIC";
    case TConnectPrivilege::Normal:
        break;
    }
    return serverUserName(params.username);
}

// The mode of OCISessionBegin for the privilege asked for.
ub4 sessionMode(TConnectPrivilege privilege) {
    switch (privilege) {
    case TConnectPrivilege::SysDba:
        return OCI_SYSDBA;
    case TConnectPrivilege::SysOper:
        return OCI_SYSOPER;
    case TConnectPrivilege::Normal:
        break;
    }
    return OCI_DEFAULT;
}

} // namespace

// ---- errors ----

void errorOf(const OciFunctions& fn, OCIError* err, int& code, std::string& text) {
    sb4 errcode = 0;
    OraText buf[3072] = {};
    if (!err ||
        fn.ErrorGet(err, 1, nullptr, &errcode, buf, sizeof buf, OCI_HTYPE_ERROR) != OCI_SUCCESS) {
        code = 0;
        text = "unknown error";
        return;
    }
    code = errcode;
    text = trimmedMessage(reinterpret_cast<const char*>(buf));
    // "ORA-00942: table or view does not exist" -> the text after the prefix
    if (text.size() > 11 && text.compare(0, 4, "ORA-") == 0 && text.compare(9, 2, ": ") == 0)
        text.erase(0, 11);
}

void check(const OciFunctions& fn, sword status, OCIError* err, const char* function) {
    switch (status) {
    case OCI_SUCCESS:
    case OCI_SUCCESS_WITH_INFO:
        return;
    case OCI_ERROR: {
        int code = 0;
        std::string text;
        errorOf(fn, err, code, text);
        if (code == 1013)
            throw EOraCancelled();
        if (code == 0)
            throw EOciError(std::string(function) + ": " + text, function);
        throw EOciError(code, text, function);
    }
    case OCI_INVALID_HANDLE:
        throw EOciError(std::string(function) + ": invalid handle", function);
    case OCI_NO_DATA:
        throw EOciError(std::string(function) + ": no data", function);
    default:
        throw EOciError(std::string(function) + ": unexpected status " + std::to_string(status),
                        function);
    }
}

// ---- logging on and off ----

OciHandle<OCIError> OciSession::newErrorHandle() const {
    void* h = nullptr;
    if (fn_.HandleAlloc(env_, &h, OCI_HTYPE_ERROR, 0, nullptr) != OCI_SUCCESS || !h)
        throw EOciError("OCIHandleAlloc: cannot allocate an error handle", "OCIHandleAlloc");
    return OciHandle<OCIError>(static_cast<OCIError*>(h), HandleFree{&fn_, OCI_HTYPE_ERROR});
}

OciSession::OciSession(std::shared_ptr<OciLibrary> library, const TConnectParams& params)
    : library_(std::move(library)), fn_(library_->fn()), env_(library_->environment()),
      user_(sessionUser(params)), err_(nullptr, HandleFree{&fn_, OCI_HTYPE_ERROR}),
      breakErr_(nullptr, HandleFree{&fn_, OCI_HTYPE_ERROR}),
      server_(nullptr, HandleFree{&fn_, OCI_HTYPE_SERVER}),
      svc_(nullptr, HandleFree{&fn_, OCI_HTYPE_SVCCTX}),
      session_(nullptr, HandleFree{&fn_, OCI_HTYPE_SESSION}) {
    err_ = newErrorHandle();
    breakErr_ = newErrorHandle();
    auto alloc = [&](auto& handle, ub4 type) {
        void* h = nullptr;
        check(fn_, fn_.HandleAlloc(env_, &h, type, 0, nullptr), err_.get(), "OCIHandleAlloc");
        handle.reset(static_cast<typename std::remove_reference_t<decltype(handle)>::pointer>(h));
    };
    alloc(server_, OCI_HTYPE_SERVER);
    alloc(svc_, OCI_HTYPE_SVCCTX);
    alloc(session_, OCI_HTYPE_SESSION);

    // The Server text is the connect identifier: a net service alias or an Easy Connect string;
    // the client resolves it (TNS_ADMIN included).
    check(fn_,
          fn_.ServerAttach(server_.get(), err_.get(),
                           reinterpret_cast<const OraText*>(params.server.data()),
                           static_cast<sb4>(params.server.size()), OCI_DEFAULT),
          err_.get(), "OCIServerAttach");
    attached_ = true;
    try {
        check(fn_,
              fn_.AttrSet(svc_.get(), OCI_HTYPE_SVCCTX, server_.get(), 0, OCI_ATTR_SERVER,
                          err_.get()),
              err_.get(), "OCIAttrSet");
        check(fn_,
              fn_.AttrSet(session_.get(), OCI_HTYPE_SESSION,
                          const_cast<char*>(params.username.data()),
                          static_cast<ub4>(params.username.size()), OCI_ATTR_USERNAME, err_.get()),
              err_.get(), "OCIAttrSet");
        check(fn_,
              fn_.AttrSet(session_.get(), OCI_HTYPE_SESSION,
                          const_cast<char*>(params.password.data()),
                          static_cast<ub4>(params.password.size()), OCI_ATTR_PASSWORD, err_.get()),
              err_.get(), "OCIAttrSet");
        check(fn_,
              fn_.SessionBegin(svc_.get(), err_.get(), session_.get(), OCI_CRED_RDBMS,
                               sessionMode(params.privilege)),
              err_.get(), "OCISessionBegin");
        loggedOn_ = true;
        check(fn_,
              fn_.AttrSet(svc_.get(), OCI_HTYPE_SVCCTX, session_.get(), 0, OCI_ATTR_SESSION,
                          err_.get()),
              err_.get(), "OCIAttrSet");
    } catch (...) {
        logOff();
        throw;
    }
}

OciSession::~OciSession() {
    logOff();
}

void OciSession::logOff() noexcept {
    if (loggedOn_)
        fn_.SessionEnd(svc_.get(), err_.get(), session_.get(), OCI_DEFAULT);
    loggedOn_ = false;
    if (attached_)
        fn_.ServerDetach(server_.get(), err_.get(), OCI_DEFAULT);
    attached_ = false;
    session_.reset();
    svc_.reset();
    server_.reset();
}

// ---- one call at a time, and breaking it ----

OciSession::CallScope::CallScope(OciSession& session, const std::atomic<bool>& cancel, bool local)
    : s_(session) {
    std::unique_lock lock(s_.stateMutex_);
    // The connection is free once the call before has ended and, unless this call stays local,
    // once a break sent for that call has gone out: a late break must not reach this call. That
    // wait is bounded, since a break that cannot reach a lost server fails the next call anyway.
    const auto breakDeadline = std::chrono::steady_clock::now() + kBreakDeadline;
    for (;;) {
        if (cancel)
            throw EOraCancelled();
        if (!s_.busy_ &&
            (local || s_.breaksInFlight_ == 0 || std::chrono::steady_clock::now() >= breakDeadline))
            break;
        if (s_.busy_)
            s_.idle_.wait(lock);
        else
            s_.idle_.wait_until(lock, breakDeadline);
    }
    s_.busy_ = true;
    s_.current_ = &cancel;
    s_.breakIssued_ = false;
}

OciSession::CallScope::~CallScope() {
    std::lock_guard lock(s_.stateMutex_);
    s_.busy_ = false;
    s_.current_ = nullptr;
    s_.idle_.notify_all();
}

void OciSession::breakCall() {
    {
        std::lock_guard lock(stateMutex_);
        // An owner still waiting for the connection is woken and gives up by itself.
        idle_.notify_all();
        // Only the call whose owner asked to stop is broken, once.
        if (!busy_ || !current_ || !current_->load() || breakIssued_)
            return;
        breakIssued_ = true;
        ++breaksInFlight_;
    }
    // The driver uses OCI in blocking mode, where OCIBreak from another thread makes the
    // running call return ORA-01013 and no OCIReset follows (that is for non-blocking mode).
    // OCIBreak may wait on the network, so no lock is held across it.
    fn_.Break(svc_.get(), breakErr_.get());
    std::lock_guard lock(stateMutex_);
    --breaksInFlight_;
    idle_.notify_all();
}

// ---- placeholders ----

std::vector<std::string> placeholderNames(const std::string& sql) {
    std::vector<std::string> names;
    const std::size_t n = sql.size();
    auto isNameChar = [](char c) {
        return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '$' || c == '#';
    };
    for (std::size_t i = 0; i < n; ++i) {
        const char c = sql[i];
        if (c == '\'' || c == '"') {
            const std::size_t end = sql.find(c, i + 1);
            i = end == std::string::npos ? n : end;
        } else if (c == '-' && i + 1 < n && sql[i + 1] == '-') {
            const std::size_t end = sql.find('\n', i);
            i = end == std::string::npos ? n : end;
        } else if (c == '/' && i + 1 < n && sql[i + 1] == '*') {
            const std::size_t end = sql.find("*/", i + 2);
            i = end == std::string::npos ? n : end + 1;
        } else if (c == ':' && i + 1 < n && isNameChar(sql[i + 1]) &&
                   !(i > 0 && sql[i - 1] == ':')) {
            std::size_t j = i + 1;
            while (j < n && isNameChar(sql[j]))
                ++j;
            std::string name = sql.substr(i + 1, j - i - 1);
            for (char& ch : name)
                ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
            bool seen = false;
            for (const auto& existing : names)
                seen = seen || existing == name;
            if (!seen)
                names.push_back(name);
            i = j - 1;
        }
    }
    return names;
}

// ---- connecting ----

std::unique_ptr<IDriverSession> connect(const TConnectParams& params,
                                        const TOciSearchPlaces& places) {
    return std::make_unique<OciSession>(OciLibrary::load(params.home, places), params);
}

std::unique_ptr<IDriverSession> connect(const TConnectParams& params) {
    return connect(params, TOciSearchPlaces::system());
}

} // namespace oradb::oci
