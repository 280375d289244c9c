// Support for the monitor tests: a sandbox held for the test, a host that records what the
// monitor tells the window, and a driver that answers modal dialogs as a user would.
#pragma once

#include "gui/dialogs/ConnectForm.h"
#include "monitor/Monitor.h"
#include "monitor/SessionListFetch.h"
#include "sandbox/SandboxInstance.h"
#include "support/ModalDriver.h"
#include "util/HandOver.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <deque>
#include <functional>
#include <gtest/gtest.h>
#include <map>

namespace testing_support {

inline std::shared_ptr<oradb::sandbox::Instance> openInstance(const std::string& name,
                                                              int sessions = 40) {
    oradb::sandbox::InstanceOptions options;
    options.sessions = sessions;
    options.autoTick = false;
    return oradb::sandbox::Instance::open("sandbox::memory:" + name, options);
}

class RecordingHost : public monitor::TMonitorHost {
public:
    void SetStatusPanel(int panel, const std::string& text) override { panels[panel] = text; }
    void WorkerFailed() override { ++workerFailures; }
    void SetCloseButtonVisible(bool visible) override { closeVisible = visible; }
    void ClearProbeHistory() override { ++probeHistoryCleared; }
    std::map<int, std::string> panels;
    int workerFailures = 0;
    bool closeVisible = true;
    int probeHistoryCleared = 0;
};

// Counts the session list fetches that reached the observers.
struct FetchCounter final : monitor::IPvObserver {
    int fetched = 0;
    void Update(monitor::TPvConnection&, int code) override {
        fetched += code == monitor::ncListFetched;
    }
};

// A monitor with the real login dialog and the session list observer attached.
struct MonitorRig {
    RecordingHost host;
    monitor::TPvConnection monitor{&host};
    monitor::TSessionListModel list;
    std::shared_ptr<monitor::TPvSesslistObserver> observer =
        std::make_shared<monitor::TPvSesslistObserver>(monitor, list);
    std::shared_ptr<FetchCounter> fetches = std::make_shared<FetchCounter>();
    MonitorRig() {
        monitor.Attach(observer);
        monitor.Attach(fetches);
        monitor.ConnectDialogFactory = [] { return std::make_unique<oradb::TConnectDialog>(); };
    }
    // Logs in through the login form as a user types it.
    bool LoginAs(const std::string& user, const std::string& password, const std::string& server) {
        ModalDriver driver({ModalDriver::Login(user, password, server)});
        return monitor.Login();
    }
    // Waits until the list worker has finished and its notification has been handled.
    bool WaitForList() {
        return util::HandOver::instance().waitUntil(
            [this] {
                auto* t = monitor.Thread(monitor::wkList);
                return !monitor.Running(monitor::wkList) && (!t || t->Finished());
            },
            std::chrono::seconds(30));
    }
    // Refreshes the session list and waits for the refresh to end.
    void Refresh() {
        monitor.Refresh();
        ASSERT_TRUE(WaitForList());
    }
    // The list row of the session with this SID, or -1.
    int RowOfSid(const std::string& sid) const {
        const auto& rows = list.RowsCopy();
        for (std::size_t i = 0; i < rows.size(); ++i)
            if (rows[i].caption == sid)
                return static_cast<int>(i);
        return -1;
    }
    // Logs in as SYSTEM, loads the caches and runs the first refresh to its end.
    void Connect(const std::string& server) {
        ASSERT_TRUE(LoginAs("system", "lantern", server));
        ASSERT_TRUE(monitor.PrivilegeCheck());
        monitor.CacheLoad();
        monitor.Notify(monitor::ncRebuildListColumns);
        monitor.Refresh();
        ASSERT_TRUE(WaitForList());
    }
};

} // namespace testing_support
