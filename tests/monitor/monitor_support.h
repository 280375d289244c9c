// Support for the monitor tests: a sandbox held for the test, a host that records what the
// monitor tells the window, and a driver that answers modal dialogs as a user would.
#pragma once

#include "monitor/u_pvclass.h"
#include "monitor/u_pvclass_basic.h"
#include "oradb/dialogs/OraConnectForm.h"
#include "oradb/sandbox/SandboxInstance.h"
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

inline std::shared_ptr<sandbox::Instance> openInstance(const std::string& name, int sessions = 40) {
    sandbox::InstanceOptions options;
    options.sessions = sessions;
    options.autoTick = false;
    return sandbox::Instance::open("sandbox::memory:" + name, options);
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

// Answers the modal dialogs that appear, in order: each step gets the active modal widget.
class ModalDriver : public QObject {
public:
    using Step = std::function<void(QWidget*)>;
    explicit ModalDriver(std::deque<Step> steps) : steps_(std::move(steps)) {
        timer_.setInterval(2);
        QObject::connect(&timer_, &QTimer::timeout, this, [this] { poll(); });
        timer_.start();
    }
    bool Done() const { return steps_.empty(); }
    void Add(Step step) { steps_.push_back(std::move(step)); }
    std::vector<QString> messages; // texts of the message boxes answered

    // A step typing into the login form and pressing its connect button.
    static Step Login(const std::string& user, const std::string& password,
                      const std::string& server) {
        return [=](QWidget* w) {
            auto* form = qobject_cast<oradb::TConnectForm*>(w);
            ASSERT_NE(form, nullptr);
            form->edUsername->setText(QString::fromStdString(user));
            form->edPassword->setText(QString::fromStdString(password));
            form->edServer->setEditText(QString::fromStdString(server));
            form->btConnect->click();
        };
    }
    static Step Cancel() {
        return [](QWidget* w) {
            auto* form = qobject_cast<oradb::TConnectForm*>(w);
            ASSERT_NE(form, nullptr);
            form->btCancel->click();
        };
    }
    // A step closing a message box.
    Step Acknowledge() {
        return [this](QWidget* w) {
            auto* box = qobject_cast<QMessageBox*>(w);
            ASSERT_NE(box, nullptr);
            messages.push_back(box->text());
            box->accept();
        };
    }

private:
    // Acts on a modal widget when it becomes the active one: a new dialog, or a form that is
    // active again after the message box shown over it has closed.
    void poll() {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal || steps_.empty() || modal == last_.data())
            return;
        last_ = modal;
        Step step = std::move(steps_.front());
        steps_.pop_front();
        // Run the step outside the timer's slot, as the user's click would come.
        QPointer<QWidget> target(modal);
        QTimer::singleShot(0, this, [step, target] {
            if (target)
                step(target.data());
        });
    }
    std::deque<Step> steps_;
    QTimer timer_;
    QPointer<QWidget> last_;
};

// A monitor with the real login dialog and the session list observer attached.
struct MonitorRig {
    RecordingHost host;
    monitor::TPvConnection monitor{&host};
    monitor::TSessionListModel list;
    std::shared_ptr<monitor::TPvSesslistObserver> observer =
        std::make_shared<monitor::TPvSesslistObserver>(monitor, list);
    MonitorRig() {
        monitor.Attach(observer);
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
