// quenby-bench subcommands: each measurement is one function, registered under its name, that
// prints its figures as "name: value" lines and returns the exit status.
#pragma once

#include "monitor/Monitor.h"
#include "oradb/OraConnectDialog.h"
#include "oradb/OraSession.h"

#include <chrono>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace bench {

using Args = std::vector<std::string>;
using Command = int (*)(const Args& args);

struct Registration {
    Registration(const char* name, Command command, const char* usage);
};

// The value after "--name" in args, or the fallback.
std::string option(const Args& args, const std::string& name, const std::string& fallback);
int intOption(const Args& args, const std::string& name, int fallback);

inline double msSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
        .count();
}

inline void figure(const char* name, double value) {
    std::printf("%s: %.2f\n", name, value);
}
inline void figure(const char* name, long long value) {
    std::printf("%s: %lld\n", name, value);
}

// Logs in without a form: the server is given, the password typed in advance.
class DirectLogin final : public oradb::TCustomConnectDialog {
public:
    explicit DirectLogin(std::string server) : server_(std::move(server)) { StoreLogInfo = false; }

protected:
    bool ShowForm() override {
        Session()->Server = server_;
        Session()->Password = "lantern";
        Session()->ConnectDirect();
        return true;
    }

private:
    std::string server_;
};

// A monitor host without a window.
struct NullHost final : monitor::TMonitorHost {
    void SetStatusPanel(int, const std::string&) override {}
    void WorkerFailed() override {}
    void SetCloseButtonVisible(bool) override {}
    void ClearProbeHistory() override {}
};

// Logs `monitor` in to `server` through DirectLogin and, with `checkPrivileges`, checks the
// privileges; prints "login failed" and returns false when either fails.
inline bool DirectConnect(monitor::TPvConnection& monitor, const std::string& server,
                          bool checkPrivileges = true) {
    monitor.ConnectDialogFactory = [server] { return std::make_unique<DirectLogin>(server); };
    if (!monitor.Login() || (checkPrivileges && !monitor.PrivilegeCheck())) {
        std::fprintf(stderr, "login failed\n");
        return false;
    }
    return true;
}

} // namespace bench
