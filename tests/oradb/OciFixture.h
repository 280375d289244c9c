// Routing sessions through the OCI driver and the stand-in client library of the test Oracle
// home, and the stand-in's controls (fetch-call count, instance options, faults) reached through
// dlsym as a test program reaches any library.
#pragma once

#include "oradb/OraError.h"
#include "oradb/OraQuery.h"
#include "oradb/OraSession.h"
#include "oradb/oci/OciLibrary.h"

#include <cstdlib>
#include <dlfcn.h>
#include <functional>
#include <gtest/gtest.h>
#include <optional>
#include <stdexcept>
#include <string>

namespace testing_support {

inline const std::string kTestOracleHome = QUENBY_TEST_ORACLE_HOME;
inline const std::string kStubLibrary = kTestOracleHome + "/lib/libclntsh.so";
// The neighbours that the stand-in needs from its own folder: libclntsh.so needs the core
// library, which needs libnnz19.so.
inline const std::string kStubCoreName = "libclntshcore.so.19.1";
inline const std::string kStubCoreLibrary = kTestOracleHome + "/lib/" + kStubCoreName;
inline const std::string kStubNnzName = "libnnz19.so";
inline const std::string kStubNnzLibrary = kTestOracleHome + "/lib/" + kStubNnzName;

// Sets an environment variable for the life of the object and restores it afterwards.
class EnvVar {
public:
    EnvVar(const char* name, const std::optional<std::string>& value) : name_(name) {
        if (const char* old = std::getenv(name))
            old_ = old;
        if (value)
            ::setenv(name, value->c_str(), 1);
        else
            ::unsetenv(name);
    }
    ~EnvVar() {
        if (old_)
            ::setenv(name_, old_->c_str(), 1);
        else
            ::unsetenv(name_);
    }
    EnvVar(const EnvVar&) = delete;
    EnvVar& operator=(const EnvVar&) = delete;

private:
    const char* name_;
    std::optional<std::string> old_;
};

// The stand-in library's controls.
class StubControls {
public:
    StubControls() {
        // The driver's loader brings the neighbours from the home's folder; then the loader
        // hands out the same library again.
        oradb::oci::OciLibrary::loadFile(kStubLibrary);
        handle_ = ::dlopen(kStubLibrary.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (!handle_)
            throw std::runtime_error(std::string("cannot load the stand-in: ") + ::dlerror());
        fetchCalls_ = reinterpret_cast<long long (*)()>(sym("quenby_stub_fetch_calls"));
        options_ = reinterpret_cast<void (*)(int, int)>(sym("quenby_stub_instance_options"));
        addFault_ =
            reinterpret_cast<int (*)(const char*, const char*, int, int, const char*, int, int)>(
                sym("quenby_stub_add_fault"));
        clearFaults_ = reinterpret_cast<void (*)(const char*)>(sym("quenby_stub_clear_faults"));
        loseConnections_ =
            reinterpret_cast<void (*)(const char*)>(sym("quenby_stub_lose_connections"));
        setCallHook_ = reinterpret_cast<int (*)(const char*, void (*)(const char*, void*), void*)>(
            sym("quenby_stub_set_call_hook"));
        holdBreaks_ = reinterpret_cast<void (*)(int)>(sym("quenby_stub_hold_breaks"));
        waitBreakHeld_ = reinterpret_cast<int (*)(int)>(sym("quenby_stub_wait_break_held"));
    }
    // The library stays loaded, as the driver keeps it: unloading it while the process runs on
    // would tear down the sandbox copy it carries.
    ~StubControls() = default;
    StubControls(const StubControls&) = delete;
    StubControls& operator=(const StubControls&) = delete;

    long long fetchCalls() const { return fetchCalls_(); }
    // Instances the stand-in opens from now on: that many simulated sessions, no ticking.
    void instanceOptions(int sessions) const { options_(sessions, 0); }
    void addFault(const std::string& server, const std::string& fragment, int failAfterRows,
                  int code, const std::string& text, int delayMs) const {
        if (addFault_(server.c_str(), fragment.c_str(), failAfterRows, code, text.c_str(), delayMs,
                      -1) != 0)
            throw std::runtime_error("the stand-in has no instance " + server);
    }
    void clearFaults(const std::string& server) const { clearFaults_(server.c_str()); }
    void loseConnections(const std::string& server) const { loseConnections_(server.c_str()); }
    // Runs `hook` (kept alive by the caller until it is removed) at the start of every call of
    // the stand-in's instance `server`; nullptr removes it.
    void setCallHook(const std::string& server,
                     const std::function<void(const std::string&)>* hook) const {
        auto trampoline = [](const char* sql, void* context) {
            (*static_cast<const std::function<void(const std::string&)>*>(context))(sql);
        };
        if (setCallHook_(server.c_str(), hook ? +trampoline : nullptr,
                         const_cast<std::function<void(const std::string&)>*>(hook)) != 0)
            throw std::runtime_error("the stand-in has no instance " + server);
    }
    void* handle() const { return handle_; }
    // While held, OCIBreak waits (at most a minute) as over a network that does not answer.
    void holdBreaks(bool hold) const { holdBreaks_(hold ? 1 : 0); }
    // Waits up to 60 s for an OCIBreak to be held.
    bool waitBreakHeld() const { return waitBreakHeld_(60000) != 0; }

private:
    void* sym(const char* name) const {
        void* p = ::dlsym(handle_, name);
        if (!p)
            throw std::runtime_error(std::string("the stand-in lacks ") + name);
        return p;
    }
    void* handle_ = nullptr;
    long long (*fetchCalls_)() = nullptr;
    void (*options_)(int, int) = nullptr;
    int (*addFault_)(const char*, const char*, int, int, const char*, int, int) = nullptr;
    void (*clearFaults_)(const char*) = nullptr;
    void (*loseConnections_)(const char*) = nullptr;
    int (*setCallHook_)(const char*, void (*)(const char*, void*), void*) = nullptr;
    void (*holdBreaks_)(int) = nullptr;
    int (*waitBreakHeld_)(int) = nullptr;
};

// While alive, logins go through the OCI driver and the stand-in's home.
class OciRoute {
public:
    OciRoute() : home_("ORACLE_HOME", kTestOracleHome), driver_("QUENBY_DRIVER", "oci") {}

private:
    EnvVar home_;
    EnvVar driver_;
};

// The error code a call raises; -1 when it raises none.
inline int errorCodeOf(const std::function<void()>& f) {
    try {
        f();
    } catch (const oradb::EOraError& e) {
        return e.ErrorCode();
    }
    return -1;
}

} // namespace testing_support
