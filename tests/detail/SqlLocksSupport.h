// Support for the SQL and locks view tests: a connected monitor over a sandbox held for the test,
// the notifications it sent, and waits for its SQL and locks workers.
#pragma once

#include "detail/SessionLocks.h"
#include "detail/SessionSql.h"
#include "monitor/MonitorSupport.h"
#include "util/AppLog.h"

#include <QTemporaryDir>
#include <fstream>
#include <sstream>

namespace testing_support {

// Records every notification code in order.
struct CodeRecorder final : monitor::IPvObserver {
    std::vector<int> codes;
    void Update(monitor::TPvConnection&, int code) override { codes.push_back(code); }
    int Count(int code) const {
        return static_cast<int>(std::count(codes.begin(), codes.end(), code));
    }
    // The codes among `wanted`, in the order they came.
    std::vector<int> Only(std::initializer_list<int> wanted) const {
        std::vector<int> out;
        for (int c : codes)
            if (std::find(wanted.begin(), wanted.end(), c) != wanted.end())
                out.push_back(c);
        return out;
    }
};

class SqlLocksTest : public ::testing::Test {
protected:
    void SetUp() override {
        name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
        instance = openInstance("sqllocks_" + name);
        ASSERT_TRUE(logDir.isValid());
        util::setAppLogPath(logDir.filePath(QStringLiteral("App.log")).toStdString());
        detail::TSessSqlObserver::RegisterThread(rig.monitor);
        detail::TSessLocksObserver::RegisterThread(rig.monitor);
        rig.monitor.Attach(sqlObserver);
        rig.monitor.Attach(locksObserver);
        rig.monitor.Attach(recorder);
        rig.Connect("sandbox::memory:sqllocks_" + name);
    }
    void TearDown() override {
        if (rig.monitor.Connected())
            rig.monitor.Disconnect();
        util::setAppLogPath({});
    }

    std::vector<std::vector<std::string>> rows(const std::string& sql) {
        return instance->sqliteRows(sql);
    }
    std::string one(const std::string& sql) {
        const auto r = rows(sql);
        return r.empty() || r[0].empty() ? std::string() : r[0][0];
    }
    // Selects the session as the session list does, without showing a view.
    void Select(const std::string& sid) {
        rig.monitor.SelectedSid = sid;
        ASSERT_NE(rig.monitor.LocateSelectedSession(), -1) << "sid " << sid << " not listed";
    }
    // A new session-list fetch (which makes every cached detail stale), then the shown view's
    // request, run to its end.
    void RefreshList() {
        rig.monitor.Refresh();
        ASSERT_TRUE(rig.WaitForList());
        ASSERT_TRUE(WaitIdle(monitor::wkSql));
        ASSERT_TRUE(WaitIdle(monitor::wkLocks));
    }
    // Waits until the kind's worker (if any) has ended and its notifications were handled.
    bool WaitIdle(monitor::TWorkerKind kind) {
        return util::HandOver::instance().waitUntil(
            [this, kind] {
                auto* t = rig.monitor.Thread(kind);
                return !rig.monitor.Running(kind) && (!t || !t->Started() || t->Finished());
            },
            std::chrono::seconds(30));
    }
    std::string AppLog() const {
        std::ifstream in(logDir.filePath(QStringLiteral("App.log")).toStdString());
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }

    std::string name;
    std::shared_ptr<oradb::sandbox::Instance> instance;
    QTemporaryDir logDir;
    MonitorRig rig;
    monitor::TSessionListModel cursorList, lockList;
    detail::TSqlTextModel statementText;
    std::shared_ptr<detail::TSessSqlObserver> sqlObserver =
        std::make_shared<detail::TSessSqlObserver>(rig.monitor, cursorList, statementText);
    std::shared_ptr<detail::TSessLocksObserver> locksObserver =
        std::make_shared<detail::TSessLocksObserver>(rig.monitor, lockList);
    std::shared_ptr<CodeRecorder> recorder = std::make_shared<CodeRecorder>();
};

} // namespace testing_support
