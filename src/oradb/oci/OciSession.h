// The driver session of the OCI driver: one server attachment and one user session on the
// process's OCI environment. Internal to the driver. Calls that reach the server (prepare,
// execute, fetch, release) run one at a time; breakCall may come from any thread.
#pragma once

#include "oradb/oci/OciDriver.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>

namespace oradb::oci {

// Frees an OCI handle of one type.
struct HandleFree {
    const OciFunctions* fn = nullptr;
    ub4 type = 0;
    void operator()(void* h) const {
        if (h)
            fn->HandleFree(h, type);
    }
};
template <typename T>
using OciHandle = std::unique_ptr<T, HandleFree>;

// Raises the error an OCI call returned: code and message from OCIErrorGet on `err`, and the
// function's name. Returns when the status is success (with or without information).
void check(const OciFunctions& fn, sword status, OCIError* err, const char* function);
// The Oracle error code and message (without "ORA-nnnnn: ") that `err` holds.
void errorOf(const OciFunctions& fn, OCIError* err, int& code, std::string& text);

class OciSession final : public IDriverSession {
public:
    OciSession(std::shared_ptr<OciLibrary> library, const TConnectParams& params);
    ~OciSession() override;
    OciSession(const OciSession&) = delete;
    OciSession& operator=(const OciSession&) = delete;

    TResultSet query(const std::string& sql, const TBindList& binds,
                     const std::atomic<bool>& cancel) override;
    std::int64_t execute(const std::string& sql, const TBindList& binds,
                         const std::atomic<bool>& cancel) override;
    void breakCall() override;
    std::string user() const override { return user_; }

    // Holds the connection for one call to the server. Waiting for a call of another thread
    // ends early, with EOraCancelled, when this call's cancel flag is set.
    class CallScope {
    public:
        // `local`: a call that does not reach the server (releasing a statement), which need
        // not wait for a break of the call before it to be sent.
        CallScope(OciSession& session, const std::atomic<bool>& cancel, bool local = false);
        ~CallScope();
        CallScope(const CallScope&) = delete;
        CallScope& operator=(const CallScope&) = delete;

    private:
        OciSession& s_;
    };

    const OciFunctions& fn() const { return fn_; }
    OCIEnv* env() const { return env_; }
    OCISvcCtx* svc() const { return svc_.get(); }
    OciHandle<OCIError> newErrorHandle() const;

private:
    void logOff() noexcept;
    // `wrapped`: the query is already the placeholder form of another.
    TResultSet query(const std::string& sql, const TBindList& binds,
                     const std::atomic<bool>& cancel, bool wrapped);

    std::shared_ptr<OciLibrary> library_;
    const OciFunctions& fn_;
    OCIEnv* env_;
    std::string user_;
    OciHandle<OCIError> err_;      // log on and log off
    OciHandle<OCIError> breakErr_; // OCIBreak, from any thread
    OciHandle<OCIServer> server_;
    OciHandle<OCISvcCtx> svc_;
    OciHandle<OCISession> session_;
    bool attached_ = false;
    bool loggedOn_ = false;

    // How long a call waits for a break of the call before it to be sent.
    static constexpr std::chrono::seconds kBreakDeadline{30};

    std::mutex stateMutex_;
    std::condition_variable idle_;
    bool busy_ = false;                          // a call is at the server
    const std::atomic<bool>* current_ = nullptr; // that call's cancel flag
    bool breakIssued_ = false;                   // OCIBreak asked for during that call
    int breaksInFlight_ = 0;                     // OCIBreak calls not yet returned
};

} // namespace oradb::oci
